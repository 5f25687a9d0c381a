#include "ScreenArt.h"

#include "Canvas.h"
#include "MediaWriter.h"
#include "PixelFont.h"
#include "UiPaint.h"

#include <string>

using namespace UiPaint;

namespace {

// Drawn at (0, 0) of the 1024 x 768 screen; the last five lines of the
// loading log go at x 10 from row 688 down, in light grey, on the dark band.
Canvas Loading()
{
    Canvas c = TerrainMap(1024, 768, 23);
    Darken(c, 0, 0, 1024, 768, 0.72f);
    Vignette(c, 0.75f);
    Emblem(c, 512, 262, 190);
    PixelFont::DrawCentred(c, 512, 420, "VORNHAL", 10.0f, 8.0f, kCream, kShadow);
    SidesLine(c, 512 - PixelFont::Width("FINLAND - RUSSIA", 3.0f) / 2, 516, 3.0f, 2.6f);
    c.FillRect(0, 676, 1024, 92, Rgb{14, 13, 11});
    c.FillRect(0, 676, 1024, 1, kFrameLight);
    c.FillRect(0, 677, 1024, 1, kFrameDark);
    return c;
}

// A dialog's banner: map paper, the badge at the left, a gold rule under
// the shown part.
Canvas DialogBanner(int w, int h, int shown, uint32_t seed)
{
    Canvas c = TerrainMap(w, h, seed);
    Darken(c, 0, 0, w, h, 0.45f);
    Vignette(c, 0.4f);
    Emblem(c, 30, shown / 2.0f - 2, 34);
    c.FillRect(0, shown - 2, w, 1, kFrameLight);
    c.FillRect(0, shown - 1, w, 1, kFrameDark);
    return c;
}

void Text(Canvas& c, float x, float y, const std::string& text, float scale, float stroke)
{
    PixelFont::DrawStroked(c, x + 1, y + 1, text, scale, stroke, kShadow);
    PixelFont::DrawStroked(c, x, y, text, scale, stroke, kCream);
}

// Dialog units of "MS Shell Dlg" 8 taken at 1.5 pixels across and 1.625
// down, but for the log-in picture, which is taken at 2 down so that the two
// fields on it (at rows 60 and 78 of its 105 units) fit a desktop's text
// fields: 341 x 210 shown, the bottom 47 rows hidden. The fields' labels are
// the picture's, right-aligned before column 130 (87 units).
Canvas Login()
{
    Canvas c = DialogBanner(341, 257, 210, 31);
    Text(c, 60, 14, "VORNHAL", 4.0f, 3.4f);
    SidesLine(c, 61, 48, 1.2f, 1.2f);
    const char* labels[] = {"User name", "Password"};
    const int rows[] = {120, 156};
    for (int i = 0; i < 2; ++i)
        Text(c, 124 - PixelFont::Width(labels[i], 2.0f), float(rows[i] + 10), labels[i], 2.0f, 1.6f);
    Darken(c, 0, 210, 341, 47, 0.6f);
    return c;
}

// Dialog 104, 282 x 60 units, the whole of it: the question above the
// buttons (row 63 down).
Canvas UpdateQuestion()
{
    Canvas c = DialogBanner(423, 98, 58, 32);
    Text(c, 58, 10, "There is update available.", 2.0f, 1.5f);
    Text(c, 58, 32, "Would you like to update now?", 2.0f, 1.5f);
    Darken(c, 0, 58, 423, 40, 0.6f);
    return c;
}

// Dialog 102's top, 277 x 43 units; the status text starts at row 55.
Canvas UpdateProgress()
{
    Canvas c = DialogBanner(416, 70, 52, 33);
    Text(c, 58, 14, "Updating Vornhal", 3.0f, 2.4f);
    Darken(c, 0, 52, 416, 18, 0.6f);
    return c;
}

} // namespace

namespace ScreenArt {

void Write(MediaWriter& out)
{
    out.Picture("loading.png", Loading());
    out.Picture("login.png", Login());
    out.Picture("update1.png", UpdateQuestion());
    out.Picture("update2.png", UpdateProgress());
}

} // namespace ScreenArt
