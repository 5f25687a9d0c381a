#include "EditorArt.h"

#include "Canvas.h"
#include "MediaWriter.h"

#include <functional>
#include <vector>

namespace {

constexpr Rgb kLine{36, 36, 40};

void Outlined(Canvas& c, const std::vector<float>& xy, Rgb fill)
{
    c.SmoothPolygon(xy, fill);
    const size_t n = xy.size() / 2;
    for (size_t i = 0, j = n - 1; i < n; j = i++)
        c.SmoothLine(xy[2 * j], xy[2 * j + 1], xy[2 * i], xy[2 * i + 1], 1.0f, kLine);
}

void NewPage(Canvas& c)
{
    Outlined(c, {3.5f, 1.5f, 10, 1.5f, 13.5f, 5, 13.5f, 14.5f, 3.5f, 14.5f}, Rgb{246, 246, 240});
    Outlined(c, {10, 1.5f, 10, 5, 13.5f, 5}, Rgb{196, 196, 188});
}

void OpenFolder(Canvas& c)
{
    Outlined(c, {1.5f, 3.5f, 6, 3.5f, 7.5f, 5, 13.5f, 5, 13.5f, 13.5f, 1.5f, 13.5f}, Rgb{196, 150, 56});
    Outlined(c, {1.5f, 13.5f, 4, 7.5f, 15, 7.5f, 12.5f, 13.5f}, Rgb{240, 200, 92});
}

void SaveDisk(Canvas& c)
{
    Outlined(c, {1.5f, 1.5f, 13, 1.5f, 14.5f, 3, 14.5f, 14.5f, 1.5f, 14.5f}, Rgb{58, 90, 170});
    c.FillRect(5, 2, 6, 4, Rgb{206, 208, 216});
    c.FillRect(8, 3, 2, 2, Rgb{58, 90, 170});
    c.FillRect(4, 9, 8, 5, Rgb{246, 246, 240});
    c.FillRect(5, 11, 6, 1, Rgb{150, 150, 150});
}

// Stone blocks under a brush.
void BlockBrush(Canvas& c)
{
    c.FillRect(1, 6, 10, 9, kLine);
    c.FillRect(2, 7, 8, 7, Rgb{150, 140, 120});
    c.FillRect(2, 10, 8, 1, kLine);
    c.FillRect(6, 7, 1, 3, kLine);
    c.FillRect(4, 11, 1, 3, kLine);
    c.SmoothLine(14.5f, 1.5f, 9.5f, 6.5f, 2.5f, Rgb{140, 90, 44});
    c.SmoothLine(9, 7, 7, 9, 3.5f, Rgb{220, 60, 40});
}

void FillBucket(Canvas& c)
{
    c.SmoothLine(4.5f, 6, 8, 1.5f, 1.5f, kLine);
    c.SmoothLine(8, 1.5f, 11.5f, 6, 1.5f, kLine);
    Outlined(c, {3, 6, 13, 6, 11.5f, 14.5f, 4.5f, 14.5f}, Rgb{176, 180, 188});
    c.SmoothLine(4, 6.5f, 12, 6.5f, 2, Rgb{60, 110, 220});
    c.SmoothLine(13, 7, 14.5f, 12, 2, Rgb{60, 110, 220});
}

void LightBulb(Canvas& c)
{
    c.SmoothLine(8, 6, 8, 6, 10, kLine);
    c.SmoothLine(8, 6, 8, 6, 8, Rgb{255, 226, 80});
    c.SmoothLine(6.5f, 4.5f, 6.5f, 4.5f, 2.5f, Rgb{255, 252, 214});
    c.FillRect(5, 10, 6, 5, kLine);
    c.FillRect(6, 11, 4, 3, Rgb{170, 170, 176});
}

// A lit rectangle, its edge dashed.
void LightArea(Canvas& c)
{
    c.FillRect(2, 3, 12, 10, Rgb{255, 236, 150});
    for (int i = 1; i < 15; ++i) {
        const Rgb dash = (i / 2) % 2 ? Rgb{255, 255, 255} : kLine;
        c.Set(i, 2, dash);
        c.Set(i, 13, dash);
    }
    for (int j = 2; j < 14; ++j) {
        const Rgb dash = (j / 2) % 2 ? Rgb{255, 255, 255} : kLine;
        c.Set(1, j, dash);
        c.Set(14, j, dash);
    }
    c.SmoothLine(8, 8, 8, 8, 4, Rgb{255, 200, 40});
}

void ObjectCrate(Canvas& c)
{
    c.FillRect(1, 4, 11, 11, kLine);
    c.FillRect(2, 5, 9, 9, Rgb{176, 124, 64});
    c.SmoothLine(2.5f, 5.5f, 10.5f, 13.5f, 1.5f, Rgb{120, 80, 40});
    c.SmoothLine(10.5f, 5.5f, 2.5f, 13.5f, 1.5f, Rgb{120, 80, 40});
    c.FillRect(11, 1, 5, 1, Rgb{40, 150, 50});
    c.FillRect(13, 0, 1, 5, Rgb{40, 150, 50});
    c.FillRect(12, 1, 3, 1, Rgb{90, 210, 100});
    c.FillRect(13, 0, 1, 3, Rgb{90, 210, 100});
}

void MoveArrows(Canvas& c)
{
    const Rgb blue{40, 70, 150};
    c.SmoothLine(8, 2, 8, 14, 2, blue);
    c.SmoothLine(2, 8, 14, 8, 2, blue);
    c.SmoothPolygon({8, 0.5f, 11, 4, 5, 4}, blue);
    c.SmoothPolygon({8, 15.5f, 11, 12, 5, 12}, blue);
    c.SmoothPolygon({0.5f, 8, 4, 5, 4, 11}, blue);
    c.SmoothPolygon({15.5f, 8, 12, 5, 12, 11}, blue);
}

// Trees strewn about.
void Scatter(Canvas& c)
{
    const float spots[5][2] = {{4, 4}, {11.5f, 3.5f}, {7.5f, 9}, {13, 12}, {3.5f, 12.5f}};
    for (const auto& s : spots) {
        c.SmoothLine(s[0], s[1], s[0], s[1], 5, Rgb{24, 60, 24});
        c.SmoothLine(s[0], s[1], s[0], s[1], 3.5f, Rgb{70, 170, 70});
    }
}

void PanHand(Canvas& c)
{
    const Rgb skin{242, 204, 166};
    const float fingers[4] = {5, 7.5f, 10, 12.5f};
    for (float x : fingers)
        c.SmoothLine(x, 3, x, 9, 3.2f, kLine);
    c.SmoothLine(2, 8, 5, 11, 3.2f, kLine);
    c.SmoothRoundRect(3.5f, 7, 10.5f, 8.5f, 3, kLine, kLine);
    for (float x : fingers)
        c.SmoothLine(x, 3.5f, x, 9, 1.8f, skin);
    c.SmoothLine(2.5f, 8.5f, 5, 11, 1.8f, skin);
    c.SmoothRoundRect(4.5f, 8, 8.5f, 6.5f, 2, skin, skin);
}

// In the toolbar's order: New, Open, Save, Block Brush, Fill Tool, Light
// Tool, Light Area Tool, Object Tool, Move Tool, Object Scatter Brush, Pan
// Tool.
Canvas Strip(bool hot)
{
    const std::vector<std::function<void(Canvas&)>> icons = {NewPage,    OpenFolder, SaveDisk,  BlockBrush,
                                                             FillBucket, LightBulb,  LightArea, ObjectCrate,
                                                             MoveArrows, Scatter,    PanHand};
    Canvas strip(16 * int(icons.size()), 16);
    for (size_t i = 0; i < icons.size(); ++i) {
        Canvas icon(16, 16);
        icons[i](icon);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                if (!icon.IsClear(x, y)) {
                    const Rgb c = icon.Get(x, y);
                    // At rest the images are muted; under the mouse in full colour.
                    const uint8_t grey = uint8_t((c.r * 30 + c.g * 59 + c.b * 11) / 100);
                    strip.Set(int(i) * 16 + x, y, hot ? c : Mix(c, Rgb{grey, grey, grey}, 0.55f));
                }
    }
    return strip;
}

} // namespace

namespace EditorArt {

void Write(MediaWriter& out)
{
    out.Picture("editor/toolbar.png", Strip(false));
    out.Picture("editor/toolbar_hot.png", Strip(true));
}

} // namespace EditorArt
