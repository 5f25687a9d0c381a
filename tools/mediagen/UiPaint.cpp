#include "UiPaint.h"

#include "PixelFont.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr float kPi = 3.14159265f;

float Smooth(float t) { return t * t * (3 - 2 * t); }

uint32_t Hash(int x, int y, uint32_t seed)
{
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

// Smooth value noise in 0..1 over cells of the given size.
float ValueNoise(float x, float y, float cell, uint32_t seed)
{
    const float fx = x / cell, fy = y / cell;
    const int ix = int(std::floor(fx)), iy = int(std::floor(fy));
    const float tx = Smooth(fx - ix), ty = Smooth(fy - iy);
    auto v = [&](int i, int j) { return (Hash(ix + i, iy + j, seed) & 0xffff) / 65535.0f; };
    const float top = v(0, 0) + (v(1, 0) - v(0, 0)) * tx;
    const float bottom = v(0, 1) + (v(1, 1) - v(0, 1)) * tx;
    return top + (bottom - top) * ty;
}

float Fractal(float x, float y, float cell, uint32_t seed)
{
    float sum = 0, weight = 0, amp = 1;
    for (int octave = 0; octave < 4; ++octave) {
        sum += amp * ValueNoise(x, y, cell, seed + uint32_t(octave) * 101u);
        weight += amp;
        amp *= 0.5f;
        cell *= 0.5f;
    }
    return sum / weight;
}

// The shield's outline, width 1 and height 1.2, from the top left round.
std::vector<float> ShieldOutline(float cx, float cy, float size, bool leftHalf, bool rightHalf)
{
    std::vector<float> xy;
    auto add = [&](float u, float v) {
        xy.push_back(cx + (u - 0.5f) * size);
        xy.push_back(cy + (v - 0.6f) * size);
    };
    // Quadratic curve from the side's foot to the point.
    auto side = [&](bool left, bool down) {
        for (int k = 0; k <= 12; ++k) {
            const float t = down ? k / 12.0f : 1 - k / 12.0f;
            const float x0 = left ? 0.0f : 1.0f, x1 = x0, x2 = 0.5f;
            const float u = (1 - t) * (1 - t) * x0 + 2 * t * (1 - t) * x1 + t * t * x2;
            const float v = (1 - t) * (1 - t) * 0.62f + 2 * t * (1 - t) * 1.02f + t * t * 1.2f;
            add(u, v);
        }
    };
    if (leftHalf && rightHalf) {
        add(0, 0);
        add(0.5f, 0.06f);
        add(1, 0);
        side(false, true);
        side(true, false);
    } else if (leftHalf) {
        add(0, 0);
        add(0.5f, 0.06f);
        add(0.5f, 1.2f);
        side(true, false);
    } else {
        add(0.5f, 0.06f);
        add(1, 0);
        side(false, true);
    }
    return xy;
}

} // namespace

namespace UiPaint {

Canvas TerrainMap(int w, int h, uint32_t seed)
{
    Canvas c(w, h);
    const Rgb meadow{118, 120, 80}, upland{138, 132, 92}, wood{66, 84, 52}, water{50, 82, 108}, shore{150, 150, 116};
    Rng rng(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float e = Fractal(float(x), float(y), 220.0f, seed);
            const float f = Fractal(float(x), float(y), 90.0f, seed + 7);
            Rgb colour;
            if (e < 0.36f)
                colour = Mix(water, Shade(water, 0.7f), std::min(1.0f, (0.36f - e) * 6));
            else if (e < 0.375f)
                colour = shore;
            else
                colour = Mix(meadow, upland, std::min(1.0f, (e - 0.375f) * 3));
            if (e >= 0.375f && f > 0.56f)
                colour = Mix(colour, wood, std::min(1.0f, (f - 0.56f) * 12));
            // Contour lines every twelfth of the height.
            const float level = e * 14;
            if (e >= 0.375f && level - std::floor(level) < 0.07f)
                colour = Shade(colour, 0.78f);
            c.Set(x, y, Shade(colour, 1.0f + 0.05f * rng.Signed()));
        }
    // Two roads winding across.
    for (int road = 0; road < 2; ++road) {
        const float base = h * (0.3f + 0.4f * road), phase = rng.Unit() * 6.0f;
        float px = -10, py = base;
        for (int x = -10; x <= w + 10; x += 6) {
            const float y = base + std::sin(x / 170.0f + phase) * h * 0.12f + std::sin(x / 53.0f) * 6;
            c.SmoothLine(px, py, float(x), y, 3.0f, Rgb{168, 150, 108});
            px = float(x);
            py = y;
        }
    }
    return c;
}

void Vignette(Canvas& c, float strength)
{
    const float cx = c.Width() / 2.0f, cy = c.Height() / 2.0f;
    const float reach = std::hypot(cx, cy);
    for (int y = 0; y < c.Height(); ++y)
        for (int x = 0; x < c.Width(); ++x)
            if (!c.IsClear(x, y)) {
                const float d = std::hypot(x - cx, y - cy) / reach;
                c.Set(x, y, Shade(c.Get(x, y), 1.0f - strength * d * d));
            }
}

void Darken(Canvas& c, int x, int y, int w, int h, float factor)
{
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i)
            if (!c.IsClear(i, j))
                c.Set(i, j, Shade(c.Get(i, j), factor));
}

void FramedPanel(Canvas& c, int x, int y, int w, int h, Rgb fill)
{
    c.FillRect(x, y, w, h, fill);
    c.FrameRect(x, y, w, h, kFrameDark);
    c.FrameRect(x + 1, y + 1, w - 2, h - 2, Shade(kFrameLight, 0.8f));
    c.FrameRect(x + 2, y + 2, w - 4, h - 4, kInk);
}

void Star(Canvas& c, float cx, float cy, float r, Rgb colour)
{
    std::vector<float> xy;
    for (int k = 0; k < 10; ++k) {
        const float a = -kPi / 2 + k * kPi / 5, rr = (k % 2) ? r * 0.4f : r;
        xy.push_back(cx + rr * std::cos(a));
        xy.push_back(cy + rr * std::sin(a));
    }
    c.SmoothPolygon(xy, colour);
}

void Emblem(Canvas& c, float cx, float cy, float size)
{
    const float border = std::max(1.5f, size * 0.05f);
    // Gold rim: the whole shield a little larger, then the two halves.
    const std::vector<float> rim = ShieldOutline(cx, cy + border * 0.2f, size + border * 2.2f, true, true);
    c.SmoothPolygon(rim, kGold);
    c.SmoothPolygon(ShieldOutline(cx, cy, size, true, false), kFinBlue);
    c.SmoothPolygon(ShieldOutline(cx, cy, size, false, true), kRusRed);
    // The chevron, shadowed.
    auto chevron = [&](float dx, float dy, Rgb colour) {
        std::vector<float> xy;
        const float v[] = {0.18f, 0.24f, 0.35f, 0.24f, 0.5f, 0.72f, 0.65f, 0.24f, 0.82f, 0.24f, 0.5f, 1.0f};
        for (int k = 0; k < 6; ++k) {
            xy.push_back(cx + (v[2 * k] - 0.5f) * size + dx);
            xy.push_back(cy + (v[2 * k + 1] - 0.6f) * size + dy);
        }
        c.SmoothPolygon(xy, colour);
    };
    chevron(size * 0.02f, size * 0.03f, kShadow);
    chevron(0, 0, kCream);
    Star(c, cx - size * 0.25f, cy - size * 0.4f, size * 0.07f, kCream);
    Star(c, cx + size * 0.25f, cy - size * 0.4f, size * 0.07f, kGold);
}

void FlagCloth(Canvas& c, float x, float y, float w, float h, Side side, float amplitude)
{
    auto design = [&](float u, float v) -> Rgb {
        if (side == Side::Finland) {
            const bool cross = (u >= 5.0f / 18 && u < 8.0f / 18) || (v >= 4.0f / 11 && v < 7.0f / 11);
            return cross ? kFinBlue : kFinWhite;
        }
        return kRusRed;
    };
    auto wave = [&](float u) { return amplitude * std::sin(u * kPi * 2.4f) * u; };
    // Three by three samples a pixel: the waving edges stay smooth.
    for (int py = int(std::floor(y - amplitude)); py <= int(std::ceil(y + h + amplitude)); ++py)
        for (int px = int(std::floor(x)); px < int(std::ceil(x + w)); ++px) {
            int hits = 0;
            float r = 0, g = 0, b = 0;
            for (int sy = 0; sy < 3; ++sy)
                for (int sx = 0; sx < 3; ++sx) {
                    const float fx = px + (sx + 0.5f) / 3, fy = py + (sy + 0.5f) / 3;
                    const float u = (fx - x) / w, v = (fy - y - wave(u)) / h;
                    if (u < 0 || u >= 1 || v < 0 || v >= 1)
                        continue;
                    // Light falls on the crests of the folds.
                    const float slope = std::cos(u * kPi * 2.4f);
                    const Rgb col = Shade(design(u, v), 0.9f + 0.16f * slope * (amplitude > 0 ? 1.0f : 0.0f));
                    r += col.r;
                    g += col.g;
                    b += col.b;
                    ++hits;
                }
            if (hits == 0)
                continue;
            const Rgb avg{uint8_t(r / hits), uint8_t(g / hits), uint8_t(b / hits)};
            if (hits == 9)
                c.Set(px, py, avg);
            else
                c.Blend(px, py, avg, hits / 9.0f);
        }
    if (side == Side::Russia) {
        const float u = 0.2f;
        Star(c, x + u * w, y + 0.3f * h + wave(u), h * 0.16f, kGold);
    }
}

void SidesLine(Canvas& c, float x, float y, float scale, float stroke)
{
    const float offset = std::max(1.0f, stroke * 0.5f);
    PixelFont::DrawStroked(c, x + offset, y + offset, "FINLAND - RUSSIA", scale, stroke, kShadow);
    PixelFont::DrawStroked(c, x, y, "FINLAND", scale, stroke, kFinland);
    x += PixelFont::Width("FINLAND ", scale);
    PixelFont::DrawStroked(c, x, y, "-", scale, stroke, kCream);
    x += PixelFont::Width("- ", scale);
    PixelFont::DrawStroked(c, x, y, "RUSSIA", scale, stroke, kRussia);
}

} // namespace UiPaint
