#include "HudArt.h"

#include "Canvas.h"
#include "MediaWriter.h"
#include "PixelFont.h"
#include "UiPaint.h"

#include <string>

using namespace UiPaint;

namespace {

constexpr Rgb kEdge{12, 12, 10};
constexpr Rgb kHudLabel{168, 162, 138};

void Panel(Canvas& c, int x, int y, int w, int h)
{
    c.SmoothRoundRect(float(x), float(y), float(w), float(h), 4, kEdge, kEdge);
    c.SmoothRoundRect(x + 1.0f, y + 1.0f, w - 2.0f, h - 2.0f, 3, Rgb{60, 62, 54}, Rgb{34, 35, 31});
}

// A sunken slot for what the game draws at run time (digits, bars, icons).
void Well(Canvas& c, int x, int y, int w, int h)
{
    c.FillRect(x, y, w, h, Rgb{10, 10, 9});
    c.FillRect(x, y, w, 1, Rgb{2, 2, 2});
    c.FillRect(x, y + h - 1, w, 1, Rgb{84, 86, 76});
}

void Label(Canvas& c, int x, int y, const std::string& text, Rgb colour)
{
    PixelFont::Draw(c, x + 1, y + 1, text, kShadow);
    PixelFont::Draw(c, x, y, text, colour);
}

// Laid out for the HUD's fixed places, 704 rows down the screen: health
// digits from x 41 and armour from 144 at row 28, the stamina bar at
// 250..425 rows 32..39, grenades from 477 at row 27, the reload bar at
// 730..858 rows 1..5, explosive and weapon icons at 708 and 730 rows 19..50,
// clip digits from 872 and the ammunition's from 937.
Canvas StatusBar()
{
    Canvas c(1024, 64);
    for (int y = 14; y < 64; ++y)
        c.FillRect(0, y, 1024, 1, Mix(Rgb{42, 44, 38}, Rgb{18, 19, 16}, (y - 14) / 50.0f));
    c.FillRect(0, 14, 1024, 1, Rgb{100, 102, 88});
    c.FillRect(0, 15, 1024, 1, kEdge);

    Panel(c, 2, 18, 94, 44);
    Label(c, 40, 19, "HEALTH", kHudLabel);
    Well(c, 38, 26, 46, 18);
    c.SmoothLine(12, 40, 28, 40, 7, kEdge);
    c.SmoothLine(20, 32, 20, 48, 7, kEdge);
    c.SmoothLine(12, 40, 28, 40, 5, Rgb{214, 64, 52});
    c.SmoothLine(20, 32, 20, 48, 5, Rgb{214, 64, 52});

    Panel(c, 104, 18, 94, 44);
    Label(c, 143, 19, "ARMOUR", kHudLabel);
    Well(c, 141, 26, 46, 18);
    c.SmoothPolygon({112, 31, 122, 28, 132, 31, 132, 40, 122, 51, 112, 40}, kEdge);
    c.SmoothPolygon({114, 32.5f, 122, 30, 130, 32.5f, 130, 40, 122, 48.5f, 114, 40}, Rgb{122, 140, 172});
    c.SmoothLine(122, 31, 122, 47, 1.5f, Rgb{170, 186, 214});

    Panel(c, 240, 18, 196, 44);
    Label(c, 250, 19, "STAMINA", kHudLabel);
    Well(c, 248, 30, 180, 12);
    for (int k = 0; k <= 5; ++k)
        c.FillRect(250 + k * 35, 45, 1, 4, Rgb{96, 98, 86});

    Panel(c, 468, 18, 206, 44);
    Label(c, 478, 19, "GRENADES", kHudLabel);
    Well(c, 472, 26, 198, 33);

    Panel(c, 700, 0, 164, 62);
    Well(c, 728, 0, 132, 7);
    Well(c, 704, 17, 156, 38);
    c.FillRect(730, 18, 1, 36, Rgb{40, 42, 36});

    Panel(c, 866, 18, 156, 44);
    Label(c, 872, 19, "AMMO", kHudLabel);
    Well(c, 869, 26, 46, 18);
    PixelFont::DrawStroked(c, 920, 28, "/", 1.8f, 1.6f, kHudLabel);
    Well(c, 934, 26, 46, 18);
    for (int k = 0; k < 3; ++k) {
        const float x = 991.0f + k * 9;
        c.SmoothLine(x, 33, x, 48, 5, kEdge);
        c.SmoothLine(x, 37, x, 48, 3.5f, Rgb{196, 150, 70});
        c.SmoothLine(x, 33, x, 36, 3, Rgb{150, 120, 90});
    }
    return c;
}

// Ten 13 x 13 cells: the digits 1 to 9, then 0. Black, since they are added.
Canvas Digits()
{
    Canvas c(130, 13, Rgb{0, 0, 0});
    const std::string order = "1234567890";
    for (int k = 0; k < 10; ++k)
        PixelFont::DrawStroked(c, k * 13 + 2.75f, 1.25f, order.substr(size_t(k), 1), 1.5f, 1.7f, Rgb{255, 238, 196});
    return c;
}

// One arm of the crosshair, the HUD turns it about (4, 4) four times.
Canvas Crosshair()
{
    Canvas c(8, 8);
    c.FillRect(2, 0, 4, 8, Rgb{14, 30, 14});
    c.FillRect(3, 1, 2, 6, Rgb{156, 255, 124});
    return c;
}

// The breath label and the frame round the bar drawn at (1, 14)..(176, 24).
Canvas Oxygen()
{
    Canvas c(177, 25);
    Label(c, 1, 2, "OXYGEN", Rgb{196, 224, 244});
    for (int k = 0; k < 3; ++k)
        c.Ring(46.0f + k * 8, 7.0f - k % 2, 2.5f + (k == 1), 1.0f, Rgb{150, 200, 236});
    c.FrameRect(0, 13, 177, 12, Rgb{130, 160, 184});
    c.FillRect(1, 14, 175, 10, Rgb{8, 16, 24});
    return c;
}

// Drawn above a flag being taken; the progress bar fills (9, 22)..(118, 31).
Canvas Captured()
{
    Canvas c(128, 32);
    c.SmoothRoundRect(0, 0, 128, 32, 5, kEdge, kEdge);
    c.SmoothRoundRect(1, 1, 126, 30, 4, Rgb{52, 50, 42}, Rgb{26, 25, 21});
    const std::string text = "CAPTURING";
    Label(c, 64 - PixelFont::Cells(text) / 2, 6, text, kCream);
    c.FrameRect(8, 21, 111, 11, Rgb{150, 150, 140});
    c.FillRect(9, 22, 109, 9, Rgb{8, 8, 8});
    return c;
}

// Rows of 32 x 32: the local player on team 0 and on the other team, then
// everybody else likewise.
Canvas MapSprites()
{
    Canvas c(32, 128);
    for (int row = 0; row < 4; ++row) {
        const bool local = row < 2;
        const Rgb team = row % 2 == 0 ? kFinland : kRussia;
        const float cx = 16, cy = row * 32 + 16.0f;
        if (local) {
            c.Ring(cx, cy, 11, 2.5f, kEdge);
            c.Ring(cx, cy, 10, 1.5f, kCream);
            c.SmoothLine(cx, cy, cx, cy, 13, kEdge);
            c.SmoothLine(cx, cy, cx, cy, 11, team);
            c.SmoothLine(cx, cy, cx, cy, 4, kCream);
        } else {
            c.SmoothLine(cx, cy, cx, cy, 10, kEdge);
            c.SmoothLine(cx, cy, cx, cy, 8, team);
        }
    }
    return c;
}

// A flag on its pole for the scoreboard.
Canvas PoleFlag(Side side)
{
    Canvas c(140, 128);
    c.SmoothLine(6, 6, 6, 127, 3.5f, Rgb{96, 78, 56});
    c.SmoothLine(6, 5, 6, 5, 7, kGold);
    FlagCloth(c, 8, 12, 128, 80, side, 5);
    return c;
}

// A plate with a line of text between two flags.
Canvas Banner(const std::string& text, Rgb top, Rgb bottom, Side left, Side right)
{
    Canvas c(400, 60);
    c.SmoothRoundRect(0, 0, 400, 60, 8, kGold, Shade(kGold, 0.6f));
    c.SmoothRoundRect(3, 3, 394, 54, 6, top, bottom);
    c.SmoothLine(10, 6.5f, 390, 6.5f, 1, Shade(top, 1.4f));
    FlagCloth(c, 14, 17, 40, 26, left, 2);
    FlagCloth(c, 346, 17, 40, 26, right, 2);
    PixelFont::DrawCentred(c, 200, 19.5f, text, 3.0f, 2.6f, kCream, kShadow);
    return c;
}

} // namespace

namespace HudArt {

void Write(MediaWriter& out)
{
    out.Picture("gui/gui.png", StatusBar());
    out.Picture("gui/gui font.png", Digits());
    out.Picture("gui/oxygen.png", Oxygen());
    out.Picture("gui/captured.png", Captured());
    out.Picture("crosshair.png", Crosshair());
    out.Picture("map_sprites.png", MapSprites());
    out.Picture("finland.png", PoleFlag(Side::Finland));
    out.Picture("soviet.png", PoleFlag(Side::Russia));
    const Rgb blue{44, 78, 168}, deepBlue{16, 34, 96}, red{176, 44, 38}, deepRed{92, 18, 16};
    out.Picture("gui/finland_wins.png", Banner("FINLAND WINS", blue, deepBlue, Side::Finland, Side::Finland));
    out.Picture("gui/russia_wins.png", Banner("RUSSIA WINS", red, deepRed, Side::Russia, Side::Russia));
    out.Picture("gui/draw.png", Banner("DRAW", Rgb{92, 90, 78}, Rgb{46, 45, 40}, Side::Finland, Side::Russia));
    out.Picture("gui/finland_scores.png", Banner("FINLAND SCORES", blue, deepBlue, Side::Finland, Side::Finland));
    out.Picture("gui/russia_scores.png", Banner("RUSSIA SCORES", red, deepRed, Side::Russia, Side::Russia));
}

} // namespace HudArt
