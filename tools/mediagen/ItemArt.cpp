#include "ItemArt.h"

#include "Canvas.h"
#include "MediaWriter.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr float kPi = 3.14159265f;
constexpr Rgb kMetal{58, 60, 64};
constexpr Rgb kWood{120, 80, 46};
constexpr Rgb kOlive{92, 100, 58};
constexpr Rgb kBrass{206, 168, 72};

// A side-view silhouette made of polygons and discs in free units; it is
// fitted into whatever rectangle it is drawn in.
struct Part {
    std::vector<float> xy; // polygon; a disc when r > 0 (xy holds its centre)
    float r = 0.0f;
    Rgb colour;
};
using Shape = std::vector<Part>;

Part Box(float x, float y, float w, float h, Rgb c) { return Part{{x, y, x + w, y, x + w, y + h, x, y + h}, 0.0f, c}; }
Part Poly(std::vector<float> xy, Rgb c) { return Part{std::move(xy), 0.0f, c}; }
Part Disc(float x, float y, float r, Rgb c) { return Part{{x, y}, r, c}; }

void Bounds(const Shape& shape, float& x0, float& y0, float& x1, float& y1)
{
    x0 = y0 = 1e9f;
    x1 = y1 = -1e9f;
    for (const Part& p : shape) {
        for (size_t i = 0; i + 1 < p.xy.size(); i += 2) {
            x0 = std::min(x0, p.xy[i] - p.r);
            x1 = std::max(x1, p.xy[i] + p.r);
            y0 = std::min(y0, p.xy[i + 1] - p.r);
            y1 = std::max(y1, p.xy[i + 1] + p.r);
        }
    }
}

void Draw(Canvas& c, const Shape& shape, int margin)
{
    float x0, y0, x1, y1;
    Bounds(shape, x0, y0, x1, y1);
    const float s = std::min((c.Width() - 2 * margin) / (x1 - x0), (c.Height() - 2 * margin) / (y1 - y0));
    const float ox = (c.Width() - (x1 - x0) * s) / 2 - x0 * s;
    const float oy = (c.Height() - (y1 - y0) * s) / 2 - y0 * s;
    for (const Part& p : shape) {
        if (p.r > 0.0f) {
            c.FillCircle(ox + p.xy[0] * s, oy + p.xy[1] * s, p.r * s, p.colour);
            continue;
        }
        std::vector<float> xy(p.xy);
        for (size_t i = 0; i + 1 < xy.size(); i += 2) {
            xy[i] = ox + xy[i] * s;
            xy[i + 1] = oy + xy[i + 1] * s;
        }
        c.FillPolygon(xy, p.colour);
    }
    c.Outline(0.5f);
}

Shape Pistol()
{
    return {Box(0, 0, 44, 8, kMetal), Poly({8, 8, 22, 8, 18, 26, 6, 26}, Rgb{70, 56, 44}), Box(40, 2, 6, 3, kMetal),
            Poly({22, 8, 28, 8, 26, 14, 20, 14}, Shade(kMetal, 0.8f))};
}

Shape Rifle()
{
    return {Poly({0, 10, 34, 7, 36, 15, 2, 20}, kWood),
            Box(34, 6, 44, 8, kWood),
            Box(40, 4, 30, 4, kMetal),
            Box(70, 6, 54, 3, kMetal),
            Disc(50, 3, 2, kMetal),
            Poly({44, 14, 50, 14, 48, 20}, kMetal)};
}

Shape MachineGun()
{
    return {Poly({0, 8, 26, 6, 28, 14, 2, 18}, kMetal),
            Box(26, 4, 46, 12, kMetal),
            Box(72, 7, 54, 4, kMetal),
            Disc(50, 22, 8, Shade(kMetal, 0.8f)),
            Box(70, 5, 20, 8, Rgb{80, 82, 86}),
            Poly({96, 11, 98, 11, 108, 30, 106, 30}, kMetal),
            Poly({98, 11, 100, 11, 92, 30, 90, 30}, kMetal)};
}

Shape Shotgun()
{
    return {Poly({0, 10, 30, 7, 32, 15, 2, 20}, kWood), Box(30, 6, 30, 8, kMetal), Box(60, 6, 60, 3, kMetal),
            Box(64, 10, 30, 4, kWood), Box(94, 10, 26, 2, kMetal)};
}

Shape Grenade()
{
    return {Part{{16, 18}, 10.0f, kOlive}, Box(12, 4, 8, 5, kMetal), Poly({20, 5, 28, 8, 26, 10, 20, 8}, kMetal),
            Part{{9, 6}, 3.0f, Rgb{150, 150, 150}}};
}

Shape SmokeGrenade()
{
    return {Box(4, 6, 20, 28, Rgb{150, 154, 150}), Box(4, 14, 20, 5, Rgb{236, 236, 236}), Box(8, 2, 12, 4, kMetal),
            Poly({20, 3, 28, 6, 26, 8, 20, 6}, kMetal)};
}

Shape RocketLauncher()
{
    return {Box(0, 4, 110, 10, kOlive), Poly({110, 4, 124, 9, 110, 14}, Rgb{120, 60, 40}), Box(30, 14, 6, 10, kMetal),
            Box(56, 14, 6, 8, kMetal), Box(40, 0, 10, 4, kMetal)};
}

Shape Mine() { return {Box(0, 8, 48, 10, kOlive), Box(14, 4, 20, 4, Rgb{70, 76, 44}), Box(22, 1, 4, 3, kMetal)}; }

Shape Charge()
{
    return {Box(0, 6, 40, 16, Rgb{196, 176, 128}), Box(26, 2, 10, 6, kMetal), Disc(31, 5, 1.5f, Rgb{230, 40, 40}),
            Poly({36, 4, 46, 0, 47, 2, 37, 6}, Rgb{200, 40, 40})};
}

Shape Detonator()
{
    return {Box(4, 14, 30, 16, Rgb{120, 84, 50}), Box(17, 2, 4, 12, kMetal), Box(8, 0, 22, 3, kMetal)};
}

// The weapon held in both hands, seen from above and pointing up; rows of
// the shared sheet are 64 pixels apart, like the body pictures they overlay.
void Held(Canvas& c, int row)
{
    const int y0 = row * 64;
    auto bar = [&](float x, float top, float bottom, float width, Rgb col) {
        c.Line(x, y0 + top, x, y0 + bottom, width, col);
    };
    switch (row) {
    case 0:
        bar(33, 18, 27, 3, kMetal);
        break;
    case 1:
        bar(33, 6, 22, 2, kMetal);
        bar(33, 20, 34, 4, kWood);
        break;
    case 2:
        bar(33, 4, 22, 3, kMetal);
        bar(33, 20, 34, 6, kMetal);
        c.FillCircle(38, y0 + 26, 4, Shade(kMetal, 0.8f));
        break;
    case 3:
        bar(33, 8, 22, 3, kMetal);
        bar(33, 20, 34, 4, kWood);
        break;
    case 4:
        c.FillCircle(36, y0 + 24, 3, kOlive);
        break;
    case 5:
        c.FillCircle(36, y0 + 24, 3, Rgb{150, 154, 150});
        break;
    case 6:
        bar(39, 2, 46, 6, kOlive);
        break;
    case 7:
        c.FillCircle(33, y0 + 22, 5, kOlive);
        break;
    case 8:
        c.FillRect(29, y0 + 19, 9, 6, Rgb{196, 176, 128});
        break;
    default:
        c.FillRect(30, y0 + 20, 6, 6, Rgb{120, 84, 50});
        bar(33, 15, 20, 2, kMetal);
        break;
    }
}

// Eight frames of a rolling grenade, 8 pixels each.
Canvas RollingStrip(Rgb body)
{
    Canvas c(64, 8);
    for (int k = 0; k < 8; ++k) {
        const float cx = k * 8 + 4.0f, a = k * kPi / 4;
        c.FillEllipse(cx, 4, 3, 3, body);
        c.Line(cx, 4, cx + 3 * std::cos(a), 4 + 3 * std::sin(a), 1, kMetal);
    }
    return c;
}

Canvas Rocket()
{
    Canvas c(4, 16);
    c.FillPolygon({2, 0, 4, 4, 0, 4}, Rgb{120, 60, 40});
    c.FillRect(1, 4, 2, 10, kOlive);
    c.FillRect(0, 13, 4, 3, kMetal);
    return c;
}

Canvas PlacedMine()
{
    Canvas c(16, 16);
    c.FillCircle(8, 8, 7, kOlive);
    c.FillCircle(8, 8, 3, Rgb{70, 76, 44});
    c.Outline(0.6f);
    return c;
}

Canvas PlacedCharge()
{
    Canvas c(16, 16);
    c.FillRect(2, 4, 12, 8, Rgb{196, 176, 128});
    c.FillCircle(11, 6, 1.5f, Rgb{230, 40, 40});
    c.Outline(0.6f);
    return c;
}

struct WeaponArt {
    const char* base;
    Shape (*shape)();
    int row;
};

Canvas Fitted(int w, int h, const Shape& shape, int margin)
{
    Canvas c(w, h);
    Draw(c, shape, margin);
    return c;
}

Canvas AmmoBox(Rgb box, Rgb round, int rounds, int w)
{
    Canvas c(w, 16);
    c.FillRect(1, 6, w - 2, 9, box);
    for (int k = 0; k < rounds; ++k) {
        const int x = 3 + k * (w - 6) / rounds;
        c.FillRect(x, 2, 2, 5, round);
        c.Set(x, 2, Shade(round, 0.7f));
    }
    c.Outline(0.55f);
    return c;
}

Canvas Belt()
{
    Canvas c(32, 16);
    for (int k = 0; k < 9; ++k) {
        const float x = 3 + k * 3.2f, y = 8 + 3 * std::sin(k * 0.8f);
        c.Line(x, y - 4, x, y + 4, 2, kBrass);
        c.Set(int(x), int(y - 4), Rgb{150, 110, 50});
    }
    c.Outline(0.55f);
    return c;
}

Canvas Rockets()
{
    Canvas c(32, 16);
    for (int k = 0; k < 2; ++k) {
        const int y = 4 + k * 7;
        c.FillRect(2, y, 22, 4, kOlive);
        c.FillPolygon({24, float(y), 30, y + 2.0f, 24, y + 4.0f}, Rgb{120, 60, 40});
    }
    c.Outline(0.55f);
    return c;
}

Canvas Medkit()
{
    Canvas c(16, 16);
    c.FillRect(1, 3, 14, 11, Rgb{236, 236, 232});
    c.FillRect(6, 4, 4, 9, Rgb{200, 30, 30});
    c.FillRect(3, 7, 10, 3, Rgb{200, 30, 30});
    c.Outline(0.6f);
    return c;
}

Canvas Bandage()
{
    Canvas c(16, 16);
    c.FillCircle(8, 8, 6, Rgb{240, 236, 224});
    c.Ring(8, 8, 4, 1, Rgb{210, 204, 190});
    c.FillCircle(8, 8, 1.5f, Rgb{190, 184, 170});
    c.Outline(0.6f);
    return c;
}

Canvas Armour()
{
    Canvas c(32, 32);
    c.FillPolygon({8, 4, 13, 4, 16, 8, 19, 4, 24, 4, 28, 10, 27, 28, 5, 28, 4, 10}, Rgb{80, 90, 70});
    for (int y = 12; y < 27; y += 5)
        c.FillRect(7, y, 18, 2, Rgb{66, 74, 56});
    c.Outline(0.55f);
    return c;
}

Canvas Helmet()
{
    Canvas c(16, 16);
    c.FillCircle(8, 8, 6.5f, Rgb{96, 106, 80});
    c.FillCircle(6, 6, 2, Rgb{120, 130, 104});
    c.Outline(0.55f);
    return c;
}

} // namespace

namespace ItemArt {

void Write(MediaWriter& out)
{
    static const WeaponArt kWeapons[] = {
        {"pistol", Pistol, 0},
        {"rifle", Rifle, 1},
        {"machinegun", MachineGun, 2},
        {"shotgun", Shotgun, 3},
        {"grenade", Grenade, 4},
        {"smokegrenade", SmokeGrenade, 5},
        {"rocketlauncher", RocketLauncher, 6},
        {"mine", Mine, 7},
        {"charge", Charge, 8},
        {"detonator", Detonator, 9},
    };
    Canvas held(64, 64 * 10);
    for (const WeaponArt& w : kWeapons) {
        const std::string base = std::string("weapons/") + w.base;
        out.Picture(base + ".png", Fitted(48, 16, w.shape(), 1));
        out.Picture(base + "_slot.png", Fitted(128, 32, w.shape(), 2));
        Held(held, w.row);
    }
    held.Outline(0.6f);
    out.Picture("weapons/held.png", held);
    for (const char* icon : {"grenade", "smokegrenade", "mine", "charge"})
        for (const WeaponArt& w : kWeapons)
            if (std::string(w.base) == icon)
                out.Picture(std::string("weapons/") + icon + "_icon.png", Fitted(24, 24, w.shape(), 1));
    out.Picture("weapons/grenade_proj.png", RollingStrip(kOlive));
    out.Picture("weapons/smokegrenade_proj.png", RollingStrip(Rgb{150, 154, 150}));
    out.Picture("weapons/rocket_proj.png", Rocket());
    out.Picture("weapons/mine_proj.png", PlacedMine());
    out.Picture("weapons/charge_proj.png", PlacedCharge());

    out.Picture("items/ammo_9mm.png", AmmoBox(Rgb{90, 100, 70}, kBrass, 4, 16));
    out.Picture("items/ammo_rifle.png", AmmoBox(Rgb{110, 90, 60}, kBrass, 5, 16));
    out.Picture("items/ammo_belt.png", Belt());
    out.Picture("items/ammo_shells.png", AmmoBox(Rgb{90, 80, 70}, Rgb{190, 40, 36}, 4, 16));
    out.Picture("items/ammo_rockets.png", Rockets());
    out.Picture("items/medkit.png", Medkit());
    out.Picture("items/bandage.png", Bandage());
    out.Picture("items/armour.png", Armour());
    out.Picture("items/helmet.png", Helmet());
}

} // namespace ItemArt
