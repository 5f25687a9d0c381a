#include "ObjectArt.h"

#include "Canvas.h"
#include "MediaWriter.h"

#include <cmath>
#include <string>

namespace {

constexpr float kPi = 3.14159265f;
constexpr Rgb kFinland{151, 145, 253};
constexpr Rgb kRussia{252, 81, 90};
constexpr Rgb kFinBlue{24, 68, 160};
constexpr Rgb kRusRed{196, 30, 36};
constexpr Rgb kGold{236, 196, 60};
constexpr Rgb kDark{40, 40, 44};

Rgb TeamColour(int team)
{
    static const Rgb kColours[8] = {kFinland,          Rgb{90, 200, 120},  Rgb{240, 200, 70},  Rgb{80, 200, 220},
                                    Rgb{230, 140, 60}, Rgb{200, 120, 220}, Rgb{200, 200, 200}, kRussia};
    return kColours[team & 7];
}

void Star(Canvas& c, float cx, float cy, float r, Rgb colour)
{
    std::vector<float> xy;
    for (int k = 0; k < 10; ++k) {
        const float a = -kPi / 2 + k * kPi / 5;
        const float rr = (k % 2) ? r * 0.4f : r;
        xy.push_back(cx + rr * std::cos(a));
        xy.push_back(cy + rr * std::sin(a));
    }
    c.FillPolygon(xy, colour);
}

Canvas StartPoint(int team)
{
    Canvas c(32, 32);
    const Rgb colour = TeamColour(team);
    c.Ring(16, 16, 15, 3, colour);
    c.FillPolygon({16, 5, 24, 18, 19, 18, 19, 26, 13, 26, 13, 18, 8, 18}, Shade(colour, 0.8f));
    c.Outline(0.5f);
    return c;
}

// Cloth: 0 white, 1 the Finnish cross, 2 red with a star.
void Cloth(Canvas& c, int x, int y, int w, int h, int kind)
{
    const Rgb base = kind == 2 ? kRusRed : Rgb{238, 238, 236};
    c.FillRect(x, y, w, h, base);
    if (kind == 1) {
        const int bar = std::max(2, h / 4);
        c.FillRect(x + w * 3 / 10, y, bar, h, kFinBlue);
        c.FillRect(x, y + (h - bar) / 2, w, bar, kFinBlue);
    } else if (kind == 2) {
        Star(c, x + h * 0.35f, y + h * 0.35f, h * 0.22f, kGold);
    }
    // A fold shadow, so that the cloth reads as fabric.
    for (int j = y; j < y + h; ++j)
        c.Set(x + w / 2, j, Shade(c.Get(x + w / 2, j), 0.85f));
}

Canvas Flag(int kind, int size)
{
    Canvas c(size, size);
    const float s = size / 32.0f;
    c.FillEllipse(7 * s, 29 * s, 5 * s, 2 * s, Rgb{90, 90, 90});
    c.Line(7 * s, 2 * s, 7 * s, 29 * s, std::max(1.0f, 2 * s), Rgb{70, 60, 50});
    Cloth(c, int(8 * s), int(3 * s), int(20 * s), int(13 * s), kind);
    c.Outline(0.55f);
    return c;
}

Canvas DroppedFlag(int kind)
{
    Canvas c(32, 32);
    Canvas cloth(20, 13);
    Cloth(cloth, 0, 0, 20, 13, kind);
    // The cloth lies skewed on the ground next to a fallen pole.
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 20; ++x)
            c.Set(6 + x + y / 2, 10 + y + x / 5, Shade(cloth.Get(x, y), 0.9f));
    c.Line(3, 26, 28, 8, 2, Rgb{70, 60, 50});
    c.Outline(0.55f);
    return c;
}

// The flag a carrier holds over his shoulder; (25, 27) sits on the player.
Canvas CarriedFlag(int kind)
{
    Canvas c(64, 64);
    c.Line(25, 27, 12, 4, 2, Rgb{70, 60, 50});
    Cloth(c, 13, 4, 22, 14, kind);
    c.Outline(0.55f);
    return c;
}

Canvas Door(bool metal)
{
    Canvas c(64, 8);
    Rng rng(metal ? 31 : 30);
    if (metal) {
        c.FillRect(0, 0, 64, 8, Rgb{118, 124, 130});
        for (int x = 4; x < 64; x += 12)
            c.Set(x, 3, Rgb{80, 84, 88});
    } else {
        for (int x = 0; x < 64; ++x)
            for (int y = 0; y < 8; ++y)
                c.Set(x, y, Shade(Rgb{132, 90, 52}, (x % 16 == 15 ? 0.7f : 1.0f) + 0.05f * rng.Signed()));
    }
    c.FillCircle(58, 4, 1.5f, kGold);
    c.Outline(0.6f);
    return c;
}

Canvas Doorstep()
{
    Canvas c(64, 8, Rgb{120, 112, 100});
    Rng rng(32);
    c.Speckle(0, 0, 64, 8, 0.08f, rng);
    c.Outline(0.7f);
    return c;
}

Canvas Window(int width)
{
    Canvas c(width, 8, Rgb{92, 80, 66});
    c.FillRect(2, 2, width - 4, 4, Rgb{168, 208, 228});
    c.FillRect(4, 3, width / 3, 1, Rgb{228, 244, 250});
    for (int x = 16; x < width; x += 16)
        c.FillRect(x - 1, 2, 2, 4, Rgb{92, 80, 66});
    return c;
}

Canvas Crown(bool pine)
{
    Canvas c(64, 64);
    Rng rng(pine ? 40 : 41);
    if (pine) {
        for (int layer = 0; layer < 3; ++layer) {
            const float r = 30.0f - layer * 8.0f;
            std::vector<float> xy;
            for (int k = 0; k < 18; ++k) {
                const float a = k * kPi / 9 + layer * 0.3f;
                const float rr = (k % 2) ? r * 0.72f : r;
                xy.push_back(32 + rr * std::cos(a));
                xy.push_back(32 + rr * std::sin(a));
            }
            c.FillPolygon(xy, Shade(Rgb{34, 82, 44}, 0.8f + 0.25f * layer));
        }
    } else {
        for (int k = 0; k < 14; ++k) {
            const float a = rng.Unit() * 2 * kPi, d = rng.Unit() * 16;
            c.FillCircle(32 + d * std::cos(a), 32 + d * std::sin(a), 9 + rng.Below(5),
                         Shade(Rgb{96, 150, 62}, 0.8f + 0.35f * rng.Unit()));
        }
    }
    c.Speckle(0, 0, 64, 64, 0.08f, rng);
    c.Outline(0.7f);
    return c;
}

Canvas Trunk(bool pine)
{
    Canvas c(16, 16);
    if (pine) {
        c.FillCircle(8, 8, 6, Rgb{96, 64, 40});
        c.Ring(8, 8, 4, 1, Rgb{70, 46, 28});
    } else {
        c.FillCircle(8, 8, 5, Rgb{226, 224, 214});
        c.FillRect(5, 6, 3, 1, kDark);
        c.FillRect(8, 10, 3, 1, kDark);
    }
    c.Outline(0.6f);
    return c;
}

Canvas Crate(bool broken)
{
    Canvas c(32, 32);
    Rng rng(50);
    if (!broken) {
        c.FillRect(1, 1, 30, 30, Rgb{158, 118, 70});
        for (int y = 8; y < 32; y += 8)
            c.FillRect(1, y, 30, 1, Rgb{110, 80, 46});
        c.Line(3, 3, 28, 28, 3, Rgb{126, 90, 52});
        c.FrameRect(1, 1, 30, 30, Rgb{100, 72, 42});
    } else {
        c.FillPolygon({2, 4, 14, 2, 12, 12, 3, 14}, Rgb{150, 110, 66});
        c.FillPolygon({18, 6, 30, 8, 28, 16, 16, 14}, Rgb{140, 100, 60});
        c.FillPolygon({6, 20, 16, 18, 20, 29, 4, 28}, Rgb{158, 118, 70});
        c.Line(20, 22, 30, 26, 2, Rgb{110, 80, 46});
    }
    c.Speckle(0, 0, 32, 32, 0.06f, rng);
    c.Outline(0.6f);
    return c;
}

Canvas Barrel(bool broken)
{
    Canvas c(32, 32);
    c.FillCircle(16, 16, 14, Rgb{70, 96, 128});
    c.Ring(16, 16, 14, 2, Rgb{50, 70, 96});
    c.Ring(16, 16, 8, 1, Rgb{60, 84, 112});
    c.FillCircle(11, 11, 2, Rgb{150, 160, 170});
    if (broken) {
        c.FillEllipse(19, 18, 6, 4, Rgb{30, 30, 30});
        c.FillPolygon({26, 4, 31, 10, 24, 12}, Rgb{50, 70, 96});
    }
    c.Outline(0.6f);
    return c;
}

Canvas Sandbags()
{
    Canvas c(64, 32);
    Rng rng(52);
    for (int row = 0; row < 2; ++row)
        for (int k = 0; k < 4; ++k)
            c.FillEllipse(8 + k * 16 + row * 8 - (row ? 4 : 0), 10 + row * 12, 9, 6,
                          Shade(Rgb{170, 150, 104}, 0.9f + 0.15f * rng.Unit()));
    c.Speckle(0, 0, 64, 32, 0.05f, rng);
    c.Outline(0.6f);
    return c;
}

Canvas Table()
{
    Canvas c(64, 32, Rgb{150, 108, 66});
    Rng rng(53);
    for (int y = 7; y < 32; y += 8)
        c.FillRect(0, y, 64, 1, Rgb{118, 84, 50});
    c.Speckle(0, 0, 64, 32, 0.05f, rng);
    c.Outline(0.6f);
    return c;
}

Canvas Radio(bool broken)
{
    Canvas c(32, 32);
    c.FillRect(4, 6, 24, 20, Rgb{86, 98, 64});
    for (int y = 9; y < 23; y += 3)
        c.FillRect(6, y, 10, 1, Rgb{50, 56, 40});
    c.FillCircle(22, 12, 3, Rgb{40, 40, 40});
    c.FillCircle(22, 21, 2, Rgb{40, 40, 40});
    c.Line(26, 6, 30, 1, 1, kDark);
    if (broken) {
        c.FillEllipse(14, 16, 6, 5, Rgb{28, 26, 24});
        c.Line(10, 12, 18, 20, 1, Rgb{250, 220, 90});
    } else {
        c.Set(22, 12, Rgb{240, 80, 60});
    }
    c.Outline(0.6f);
    return c;
}

Canvas Bush()
{
    Canvas c(32, 32);
    Rng rng(55);
    for (int k = 0; k < 9; ++k) {
        const float a = rng.Unit() * 2 * kPi, d = rng.Unit() * 7;
        c.FillCircle(16 + d * std::cos(a), 16 + d * std::sin(a), 6 + rng.Below(3),
                     Shade(Rgb{64, 118, 50}, 0.8f + 0.4f * rng.Unit()));
    }
    c.Outline(0.7f);
    return c;
}

Canvas LampPost()
{
    Canvas c(16, 16);
    c.FillCircle(8, 8, 5, Rgb{60, 62, 66});
    c.FillCircle(8, 8, 2, Rgb{96, 98, 104});
    c.Outline(0.6f);
    return c;
}

// The head that the upper layer draws over the post.
Canvas LampHead(int size)
{
    Canvas c(size, size);
    const float m = size / 2.0f;
    c.FillCircle(m, m, m - 2, Rgb{70, 72, 78});
    c.FillCircle(m, m, m - 5, Rgb{255, 236, 170});
    c.FillCircle(m, m, (m - 5) * 0.5f, Rgb{255, 252, 230});
    c.Outline(0.6f);
    return c;
}

Canvas WallLamp()
{
    Canvas c(16, 16);
    c.FillRect(2, 10, 12, 4, Rgb{70, 72, 78});
    c.FillRect(7, 4, 2, 7, Rgb{70, 72, 78});
    c.Outline(0.6f);
    return c;
}

// A soldier seen from above, facing up; (32, 37) is the body's centre.
Canvas Soldier(bool finn, bool crouch)
{
    Canvas c(64, 64);
    const Rgb uniform = finn ? Rgb{206, 210, 216} : Rgb{112, 104, 64};
    const Rgb helmet = finn ? Rgb{150, 160, 176} : Rgb{84, 96, 62};
    const Rgb accent = finn ? kFinland : kRussia;
    const float lean = crouch ? -3.0f : 0.0f;
    if (crouch)
        c.FillEllipse(32, 44, 9, 5, Shade(uniform, 0.8f)); // knees
    c.FillEllipse(32, 37 + lean, 13, crouch ? 8.0f : 7.0f, uniform);
    c.FillEllipse(20, 37 + lean, 3, 3, accent);
    c.FillEllipse(44, 37 + lean, 3, 3, accent);
    // Arms reaching forward to the weapon.
    c.Line(22, 36 + lean, 29, 27 + lean, 4, Shade(uniform, 0.9f));
    c.Line(42, 36 + lean, 35, 25 + lean, 4, Shade(uniform, 0.9f));
    c.FillCircle(29, 27 + lean, 2, Rgb{220, 180, 150});
    c.FillCircle(35, 25 + lean, 2, Rgb{220, 180, 150});
    c.FillCircle(32, 36 + lean, 6.5f, helmet);
    c.Ring(32, 36 + lean, 6.5f, 1.0f, Shade(accent, 0.8f));
    Rng rng(finn ? 60 : 61);
    c.Speckle(0, 0, 64, 64, 0.05f, rng);
    c.Outline(0.5f);
    return c;
}

} // namespace

namespace ObjectArt {

void Write(MediaWriter& out)
{
    for (int team = 0; team < 8; ++team)
        out.Picture("objects/startpoint" + std::to_string(team + 1) + ".png", StartPoint(team));
    static const char* const kFlagNames[3] = {"white", "fin", "rus"};
    for (int kind = 0; kind < 3; ++kind) {
        const std::string name = kFlagNames[kind];
        out.Picture("mission/flag_" + name + ".png", Flag(kind, 32));
        // The map view draws it 16 pixels up and left of the flag's place.
        Canvas mapIcon(32, 32);
        mapIcon.Blit(Flag(kind, 16), 8, 8);
        out.Picture("mission/flag_" + name + "_s.png", mapIcon);
        if (kind) {
            out.Picture("mission/flag_" + name + "_dr.png", DroppedFlag(kind));
            out.Picture("mission/flag_ctf_player_" + name + ".png", CarriedFlag(kind));
        }
    }
    out.Picture("objects/door_wood.png", Door(false));
    out.Picture("objects/door_metal.png", Door(true));
    out.Picture("objects/doorstep.png", Doorstep());
    out.Picture("objects/window.png", Window(32));
    out.Picture("objects/window_wide.png", Window(64));
    out.Picture("objects/pine_crown.png", Crown(true));
    out.Picture("objects/pine_trunk.png", Trunk(true));
    out.Picture("objects/birch_crown.png", Crown(false));
    out.Picture("objects/birch_trunk.png", Trunk(false));
    out.Picture("objects/crate.png", Crate(false));
    out.Picture("objects/crate_broken.png", Crate(true));
    out.Picture("objects/barrel.png", Barrel(false));
    out.Picture("objects/barrel_broken.png", Barrel(true));
    out.Picture("objects/sandbags.png", Sandbags());
    out.Picture("objects/table.png", Table());
    out.Picture("objects/radio.png", Radio(false));
    out.Picture("objects/radio_broken.png", Radio(true));
    out.Picture("objects/bush.png", Bush());
    out.Picture("objects/lamp_post.png", LampPost());
    out.Picture("objects/lamp_head.png", LampHead(32));
    out.Picture("objects/lamp_wall.png", WallLamp());
    out.Picture("objects/lamp_wall_head.png", LampHead(16));
    out.Picture("player/player_fin_stand.png", Soldier(true, false));
    out.Picture("player/player_fin_crouch.png", Soldier(true, true));
    out.Picture("player/player_rus_stand.png", Soldier(false, false));
    out.Picture("player/player_rus_crouch.png", Soldier(false, true));
}

} // namespace ObjectArt
