#include "MenuArt.h"

#include "Canvas.h"
#include "MediaWriter.h"
#include "PixelFont.h"
#include "UiPaint.h"

#include <string>
#include <vector>

using namespace UiPaint;

namespace {

enum class Look { Normal, Active, Hover, Pressed, Disabled };

// Where one state's face lies in a sheet. The screens' rectangles for the
// 148-row sheets overlap by a row here and there; the faces keep clear of
// those rows.
struct Band {
    Look look;
    int top;
    int height;
};

struct FaceColours {
    Rgb border, top, bottom, text;
    bool highlight;
};

FaceColours ColoursOf(Look look)
{
    switch (look) {
    case Look::Active:
        return {kFrameLight, Rgb{74, 64, 46}, kPanel, kGold, true};
    case Look::Hover:
        return {kFrameLight, Rgb{156, 122, 66}, Rgb{98, 74, 40}, Rgb{255, 244, 214}, true};
    case Look::Pressed:
        return {kFrameDark, Rgb{48, 40, 26}, Rgb{86, 70, 44}, Rgb{226, 210, 170}, false};
    case Look::Disabled:
        return {Rgb{44, 42, 38}, Rgb{72, 70, 64}, Rgb{54, 52, 48}, Rgb{124, 120, 110}, false};
    case Look::Normal:
        break;
    }
    return {Rgb{34, 26, 14}, Rgb{108, 90, 58}, Rgb{62, 50, 32}, Rgb{232, 220, 192}, true};
}

// A button face, or a tab (round top corners, open at the bottom).
void Face(Canvas& sheet, const Band& band, const std::string& label, bool tab)
{
    const int w = sheet.Width(), h = band.height;
    const FaceColours col = ColoursOf(band.look);
    const int drawn = tab ? h + 8 : h;
    const float radius = tab ? 7.0f : 5.0f;
    Canvas face(w, drawn);
    face.SmoothRoundRect(0, 0, float(w), float(drawn), radius, col.border, col.border);
    face.SmoothRoundRect(1.5f, 1.5f, w - 3.0f, drawn - 3.0f, radius - 1, col.top, col.bottom);
    if (col.highlight)
        face.SmoothLine(radius, 2.5f, w - radius, 2.5f, 1.0f, Shade(col.top, 1.35f));
    const bool pressed = band.look == Look::Pressed;
    const float shift = pressed ? 1.0f : 0.0f;
    const float y = (h - PixelFont::kCapHeight * 2) / 2.0f + (tab ? 1.0f : 0.0f);
    PixelFont::DrawCentred(face, w / 2.0f + shift, y + shift, label, 2.0f, 1.8f, col.text, kShadow);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            if (!face.IsClear(i, j))
                sheet.Set(i, band.top + j, face.Get(i, j));
}

Canvas Sheet(int w, int h, const std::vector<Band>& bands, const std::string& label, bool tab)
{
    Canvas sheet(w, h);
    for (const Band& band : bands)
        Face(sheet, band, label, tab);
    return sheet;
}

// Quit button and tabs: normal (0..36), active (38..74), hovered (74..111),
// pressed (111..148).
const std::vector<Band> kTallBands = {
    {Look::Normal, 0, 36}, {Look::Active, 38, 36}, {Look::Hover, 75, 36}, {Look::Pressed, 112, 36}};
// Small buttons: 28 rows a state.
const std::vector<Band> kShortBands = {{Look::Normal, 0, 28}, {Look::Hover, 28, 28}, {Look::Pressed, 56, 28}};
const std::vector<Band> kJoinBands = {
    {Look::Normal, 0, 28}, {Look::Hover, 28, 28}, {Look::Pressed, 56, 28}, {Look::Disabled, 84, 28}};

constexpr Rgb kLabel{222, 208, 172};

// Label strips: one text every ten rows, one pixel a cell.
Canvas Strips(int w, const std::vector<std::string>& texts)
{
    Canvas c(w, int(texts.size()) * 10);
    for (size_t i = 0; i < texts.size(); ++i) {
        PixelFont::Draw(c, 2, int(i) * 10 + 2, texts[i], kShadow);
        PixelFont::Draw(c, 1, int(i) * 10 + 1, texts[i], kLabel);
    }
    return c;
}

// Nine by eight each, on black since they are added to what lies below:
// pointing down (the drop-down's and ascending order) and up.
Canvas Arrows()
{
    Canvas c(18, 8, Rgb{0, 0, 0});
    const Rgb colour{214, 190, 140};
    c.SmoothPolygon({0.5f, 1.5f, 8.5f, 1.5f, 4.5f, 6.5f}, colour);
    c.SmoothPolygon({9.5f, 6.5f, 17.5f, 6.5f, 13.5f, 1.5f}, colour);
    return c;
}

Canvas Background()
{
    Canvas c = TerrainMap(1024, 768, 11);
    Darken(c, 0, 0, 1024, 768, 0.42f);
    Vignette(c, 0.5f);
    // Title.
    Emblem(c, 74, 82, 84);
    PixelFont::DrawStroked(c, 136, 36, "VORNHAL", 8.0f, 6.5f, kShadow);
    PixelFont::DrawStroked(c, 132, 32, "VORNHAL", 8.0f, 6.5f, kCream);
    SidesLine(c, 136, 104, 2.0f, 1.8f);
    // Server table or host form, with the tabs standing on its top edge.
    FramedPanel(c, 14, 184, 694, 522, kPanel);
    // Bottom row: refresh, address and join, or the start button.
    FramedPanel(c, 14, 704, 694, 42, Rgb{20, 18, 15});
    // Side panel: the badge between the two sides.
    FramedPanel(c, 720, 184, 290, 562, Rgb{26, 24, 20});
    Emblem(c, 865, 330, 150);
    FlagCloth(c, 760, 470, 96, 60, Side::Finland, 4.0f);
    FlagCloth(c, 874, 470, 96, 60, Side::Russia, 4.0f);
    PixelFont::DrawCentred(c, 808, 552, "FINLAND", 2.0f, 1.8f, kFinland, kShadow);
    PixelFont::DrawCentred(c, 922, 552, "RUSSIA", 2.0f, 1.8f, kRussia, kShadow);
    // The version line sits in the bottom right corner.
    c.FillRect(0, 748, 1024, 20, kInk);
    c.FillRect(0, 747, 1024, 1, kFrameDark);
    return c;
}

} // namespace

namespace MenuArt {

void Write(MediaWriter& out)
{
    out.Picture("menu.png", Background());
    out.Picture("exit_btn.png", Sheet(118, 148, kTallBands, "EXIT", false));
    out.Picture("join_game_btn.png", Sheet(187, 148, kTallBands, "JOIN GAME", true));
    out.Picture("host_game_btn.png", Sheet(204, 148, kTallBands, "HOST GAME", true));
    out.Picture("refresh_btn.png", Sheet(105, 84, kShortBands, "REFRESH", false));
    out.Picture("join_btn.png", Sheet(91, 112, kJoinBands, "JOIN", false));
    out.Picture("host_btn.png", Sheet(91, 84, kShortBands, "HOST", false));
    // The server browser's address label.
    out.Picture("join_texts.png", Strips(60, {"Address:"}));
    // The host form's labels, in the rows the form reads them from.
    out.Picture("host_texts.png",
                Strips(119, {"Server name", "Level", "Max players", "Team balancing", "Frag limit", "Team frag limit",
                             "Time limit", "Use password", "Password", "Time of day", "Game mode"}));
    out.Picture("arrows.png", Arrows());
}

} // namespace MenuArt
