#include "TileArt.h"

#include "Canvas.h"
#include "MediaWriter.h"

#include <cmath>

namespace {

constexpr int kTile = 32;
constexpr float kPi = 3.14159265f;

// Per-pixel noise only, so that neighbouring tiles meet without seams.
void Grain(Canvas& c, int x0, int y0, Rgb base, float amount, Rng& rng)
{
    for (int y = 0; y < kTile; ++y)
        for (int x = 0; x < kTile; ++x)
            c.Set(x0 + x, y0 + y, Shade(base, 1.0f + amount * rng.Signed()));
}

void Grass(Canvas& c, int x0, int y0, Rng& rng)
{
    Grain(c, x0, y0, Rgb{72, 118, 52}, 0.12f, rng);
    for (int k = 0; k < 40; ++k) {
        const int x = rng.Below(kTile), y = rng.Below(kTile - 3);
        const Rgb blade = rng.Below(2) ? Rgb{98, 150, 66} : Rgb{52, 90, 40};
        for (int j = 0; j < 3; ++j)
            c.Set(x0 + x, y0 + y + j, blade);
    }
}

void Dirt(Canvas& c, int x0, int y0, Rng& rng)
{
    Grain(c, x0, y0, Rgb{116, 86, 58}, 0.14f, rng);
    for (int k = 0; k < 6; ++k)
        c.FillCircle(x0 + 2 + rng.Below(28), y0 + 2 + rng.Below(28), 1.0f + rng.Unit(), Rgb{140, 120, 100});
}

void Concrete(Canvas& c, int x0, int y0, int variant, Rng& rng)
{
    Grain(c, x0, y0, Rgb{150, 150, 146}, 0.05f, rng);
    for (int i = 0; i < kTile; ++i) {
        c.Set(x0 + i, y0, Rgb{118, 118, 115});
        c.Set(x0, y0 + i, Rgb{118, 118, 115});
    }
    if (variant == 2) {
        float x = 6, y = 4;
        for (int k = 0; k < 24; ++k) {
            c.Set(x0 + int(x), y0 + int(y), Rgb{105, 105, 102});
            x = std::fmin(31.0f, x + 0.6f + 0.5f * rng.Signed());
            y = std::fmin(31.0f, y + 0.9f);
        }
    } else if (variant == 3) {
        c.FillEllipse(x0 + 20, y0 + 18, 6, 4, Rgb{136, 134, 128});
    }
}

void Planks(Canvas& c, int x0, int y0, int variant, Rng& rng)
{
    for (int y = 0; y < kTile; ++y) {
        const int plank = y / 8;
        const Rgb base = Shade(Rgb{146, 104, 62}, 0.9f + 0.06f * float((plank * 3 + variant) % 4));
        for (int x = 0; x < kTile; ++x) {
            float f = 1.0f + 0.05f * rng.Signed() + 0.06f * std::sin((x + plank * 11) * 0.45f + y * 0.2f);
            if (y % 8 == 7)
                f = 0.6f;
            // Plank joints at different places on each board.
            if ((x + plank * 13 + variant * 7) % kTile == 0)
                f = 0.65f;
            c.Set(x0 + x, y0 + y, Shade(base, f));
        }
    }
}

void Sand(Canvas& c, int x0, int y0, Rng& rng)
{
    for (int y = 0; y < kTile; ++y)
        for (int x = 0; x < kTile; ++x) {
            const float ripple = 0.05f * std::sin((x + 2.0f * y) * 2.0f * kPi / 16.0f);
            c.Set(x0 + x, y0 + y, Shade(Rgb{206, 186, 136}, 1.0f + ripple + 0.05f * rng.Signed()));
        }
}

void Water(Canvas& c, int x0, int y0, int variant, Rng& rng)
{
    for (int y = 0; y < kTile; ++y)
        for (int x = 0; x < kTile; ++x) {
            const float w =
                std::sin((x + variant * 8) * 2.0f * kPi / 32.0f) + std::sin((y * 2 + x) * 2.0f * kPi / 32.0f);
            Rgb col = Shade(Rgb{44, 96, 150}, 1.0f + 0.08f * w + 0.03f * rng.Signed());
            if (w > 1.6f)
                col = Rgb{120, 170, 210};
            c.Set(x0 + x, y0 + y, col);
        }
}

void Asphalt(Canvas& c, int x0, int y0, int variant, Rng& rng)
{
    Grain(c, x0, y0, Rgb{62, 62, 64}, 0.18f, rng);
    if (variant == 1)
        c.FillRect(x0 + 14, y0, 4, kTile, Rgb{214, 200, 90});
}

void Snow(Canvas& c, int x0, int y0, Rng& rng)
{
    Grain(c, x0, y0, Rgb{232, 236, 244}, 0.03f, rng);
    for (int k = 0; k < 3; ++k)
        c.FillEllipse(x0 + 4 + rng.Below(24), y0 + 4 + rng.Below(24), 3.0f + rng.Below(3), 2.0f, Rgb{210, 218, 236});
}

void Bricks(Canvas& c, int x0, int y0, Rng& rng)
{
    for (int y = 0; y < kTile; ++y)
        for (int x = 0; x < kTile; ++x) {
            const int course = y / 8;
            const int bx = (x + (course % 2) * 8) % 16;
            const bool mortar = y % 8 == 7 || bx == 15;
            const Rgb brick =
                Shade(Rgb{150, 62, 46}, 0.9f + 0.1f * float((course * 5 + (x + (course % 2) * 8) / 16) % 3));
            c.Set(x0 + x, y0 + y, mortar ? Rgb{176, 170, 156} : Shade(brick, 1.0f + 0.06f * rng.Signed()));
        }
}

void ConcreteWall(Canvas& c, int x0, int y0, Rng& rng)
{
    Grain(c, x0, y0, Rgb{124, 124, 130}, 0.04f, rng);
    c.FrameRect(x0 + 1, y0 + 1, kTile - 2, kTile - 2, Rgb{104, 104, 110});
    c.FillCircle(x0 + 6, y0 + 6, 1.2f, Rgb{96, 96, 100});
    c.FillCircle(x0 + 26, y0 + 26, 1.2f, Rgb{96, 96, 100});
}

void Logs(Canvas& c, int x0, int y0, Rng& rng)
{
    for (int y = 0; y < kTile; ++y) {
        const float across = std::sin(float(y % 8) / 8.0f * kPi);
        for (int x = 0; x < kTile; ++x)
            c.Set(x0 + x, y0 + y, Shade(Rgb{120, 82, 48}, 0.55f + 0.55f * across + 0.05f * rng.Signed()));
    }
}

void Stones(Canvas& c, int x0, int y0, Rng& rng)
{
    c.FillRect(x0, y0, kTile, kTile, Rgb{96, 94, 90});
    static const float kStones[][4] = {{8, 7, 7, 6}, {23, 6, 8, 5}, {6, 21, 6, 7}, {20, 20, 9, 8}, {14, 14, 4, 3}};
    for (const auto& s : kStones)
        c.FillEllipse(x0 + s[0], y0 + s[1], s[2], s[3], Shade(Rgb{150, 148, 140}, 0.9f + 0.2f * rng.Unit()));
    c.Speckle(x0, y0, kTile, kTile, 0.06f, rng);
}

void Gravel(Canvas& c, int x0, int y0, Rng& rng)
{
    Grain(c, x0, y0, Rgb{104, 96, 86}, 0.16f, rng);
    for (int k = 0; k < 10; ++k)
        c.FillCircle(x0 + 3 + rng.Below(26), y0 + 3 + rng.Below(26), 1.0f + rng.Unit() * 1.5f,
                     Shade(Rgb{130, 124, 116}, 0.8f + 0.4f * rng.Unit()));
}

// Cracks and, when heavy, knocked-out chunks over an intact tile.
void Damage(Canvas& c, int x0, int y0, int level, Rng& rng)
{
    const int cracks = level * 3;
    for (int k = 0; k < cracks; ++k) {
        float x = 4.0f + rng.Below(24), y = 4.0f + rng.Below(24);
        float angle = rng.Unit() * 2.0f * kPi;
        for (int s = 0; s < 10; ++s) {
            c.Set(x0 + int(x), y0 + int(y), Shade(c.Get(x0 + int(x), y0 + int(y)), 0.45f));
            angle += 0.6f * rng.Signed();
            x = std::fmin(31.0f, std::fmax(0.0f, x + std::cos(angle)));
            y = std::fmin(31.0f, std::fmax(0.0f, y + std::sin(angle)));
        }
    }
    if (level >= 2)
        for (int k = 0; k < 3; ++k)
            c.FillEllipse(x0 + 5 + rng.Below(22), y0 + 5 + rng.Below(22), 3.0f + rng.Below(3), 2.5f + rng.Below(3),
                          Rgb{70, 64, 58});
}

Canvas Floors()
{
    Canvas c(128, 8 * kTile);
    for (int row = 0; row < 8; ++row)
        for (int col = 0; col < 4; ++col) {
            Rng rng(uint32_t(row * 16 + col + 1));
            const int x0 = col * kTile, y0 = row * kTile;
            switch (row) {
            case 0:
                Grass(c, x0, y0, rng);
                break;
            case 1:
                Dirt(c, x0, y0, rng);
                break;
            case 2:
                Concrete(c, x0, y0, col, rng);
                break;
            case 3:
                Planks(c, x0, y0, col, rng);
                break;
            case 4:
                Sand(c, x0, y0, rng);
                break;
            case 5:
                Water(c, x0, y0, col, rng);
                break;
            case 6:
                Asphalt(c, x0, y0, col, rng);
                break;
            default:
                Snow(c, x0, y0, rng);
                break;
            }
        }
    return c;
}

Canvas Walls()
{
    Canvas c(128, 4 * kTile);
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) {
            Rng rng(uint32_t(100 + row * 16 + col));
            const int x0 = col * kTile, y0 = row * kTile;
            if (col == 3) {
                Gravel(c, x0, y0, rng);
                continue;
            }
            Rng face(uint32_t(200 + row)); // the same wall face in the three damage columns
            switch (row) {
            case 0:
                Bricks(c, x0, y0, face);
                break;
            case 1:
                ConcreteWall(c, x0, y0, face);
                break;
            case 2:
                Logs(c, x0, y0, face);
                break;
            default:
                Stones(c, x0, y0, face);
                break;
            }
            Damage(c, x0, y0, col, rng);
        }
    return c;
}

// Cell (col, row): col = 2 x (right neighbour) + (left neighbour), row =
// 2 x (neighbour below) + (neighbour above). Where neither wall side of a
// corner has a neighbour the corner is rounded off; the rest is solid.
Canvas WallAlpha()
{
    Canvas c(128, 128);
    const float radius = 8.0f;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) {
            const bool left = col & 1, right = col & 2, above = row & 1, below = row & 2;
            for (int y = 0; y < kTile; ++y)
                for (int x = 0; x < kTile; ++x) {
                    const float px = x + 0.5f, py = y + 0.5f;
                    auto cut = [&](bool open, float cx, float cy) {
                        if (!open)
                            return false;
                        const bool inCorner = std::fabs(px - cx) < radius && std::fabs(py - cy) < radius;
                        const float ox = cx < 16 ? radius : kTile - radius, oy = cy < 16 ? radius : kTile - radius;
                        return inCorner && std::hypot(px - ox, py - oy) > radius;
                    };
                    const bool hole = cut(!left && !above, 0, 0) || cut(!right && !above, kTile, 0) ||
                                      cut(!left && !below, 0, kTile) || cut(!right && !below, kTile, kTile);
                    if (!hole)
                        c.Set(col * kTile + x, row * kTile + y, Rgb{255, 255, 255});
                }
        }
    return c;
}

} // namespace

namespace TileArt {

void Write(MediaWriter& out)
{
    out.Picture("world/floors.png", Floors());
    out.Picture("world/walls.png", Walls());
    out.Picture("world/walls_alpha.png", WallAlpha());
}

} // namespace TileArt
