#include "Canvas.h"

#include <algorithm>
#include <cmath>

uint32_t Rng::Next()
{
    // xorshift32
    uint32_t x = state_ ? state_ : 0x1234567u;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    state_ = x;
    return x;
}

namespace {

uint8_t Clamp8(float v) { return uint8_t(std::lround(std::min(255.0f, std::max(0.0f, v)))); }

} // namespace

Rgb Shade(Rgb c, float factor) { return Rgb{Clamp8(c.r * factor), Clamp8(c.g * factor), Clamp8(c.b * factor)}; }

Rgb Mix(Rgb a, Rgb b, float t)
{
    return Rgb{Clamp8(a.r + (b.r - a.r) * t), Clamp8(a.g + (b.g - a.g) * t), Clamp8(a.b + (b.b - a.b) * t)};
}

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), pixels_(size_t(width) * height, kClear), clear_(size_t(width) * height, 1)
{
}

Canvas::Canvas(int width, int height, Rgb fill) : Canvas(width, height) { Fill(fill); }

bool Canvas::IsClear(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return true;
    return clear_[size_t(y) * width_ + x] != 0;
}

Rgb Canvas::Get(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return kClear;
    return pixels_[size_t(y) * width_ + x];
}

void Canvas::Set(int x, int y, Rgb c)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    // Exact magenta would read back as a hole.
    if (c.r == 255 && c.g == 0 && c.b == 255)
        c.r = 254;
    const size_t i = size_t(y) * width_ + x;
    pixels_[i] = c;
    clear_[i] = 0;
}

void Canvas::Erase(int x, int y)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    const size_t i = size_t(y) * width_ + x;
    pixels_[i] = kClear;
    clear_[i] = 1;
}

void Canvas::Blend(int x, int y, Rgb c, float alpha)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || alpha <= 0.0f)
        return;
    if (IsClear(x, y)) {
        if (alpha >= 0.5f)
            Set(x, y, c);
        return;
    }
    Set(x, y, Mix(Get(x, y), c, std::min(1.0f, alpha)));
}

void Canvas::Fill(Rgb c) { FillRect(0, 0, width_, height_, c); }

void Canvas::FillRect(int x, int y, int w, int h, Rgb c)
{
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i)
            Set(i, j, c);
}

void Canvas::FrameRect(int x, int y, int w, int h, Rgb c)
{
    FillRect(x, y, w, 1, c);
    FillRect(x, y + h - 1, w, 1, c);
    FillRect(x, y, 1, h, c);
    FillRect(x + w - 1, y, 1, h, c);
}

void Canvas::FillEllipse(float cx, float cy, float rx, float ry, Rgb c)
{
    if (rx <= 0.0f || ry <= 0.0f)
        return;
    const int x0 = int(std::floor(cx - rx)), x1 = int(std::ceil(cx + rx));
    const int y0 = int(std::floor(cy - ry)), y1 = int(std::ceil(cy + ry));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const float dx = (x + 0.5f - cx) / rx, dy = (y + 0.5f - cy) / ry;
            if (dx * dx + dy * dy <= 1.0f)
                Set(x, y, c);
        }
}

void Canvas::Ring(float cx, float cy, float r, float thickness, Rgb c)
{
    const int x0 = int(std::floor(cx - r)), x1 = int(std::ceil(cx + r));
    const int y0 = int(std::floor(cy - r)), y1 = int(std::ceil(cy + r));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
            if (d <= r && d >= r - thickness)
                Set(x, y, c);
        }
}

void Canvas::Line(float x0, float y0, float x1, float y1, float width, Rgb c)
{
    const float half = std::max(0.5f, width * 0.5f);
    const int bx0 = int(std::floor(std::min(x0, x1) - half)), bx1 = int(std::ceil(std::max(x0, x1) + half));
    const int by0 = int(std::floor(std::min(y0, y1) - half)), by1 = int(std::ceil(std::max(y0, y1) + half));
    const float dx = x1 - x0, dy = y1 - y0;
    const float len2 = dx * dx + dy * dy;
    for (int y = by0; y <= by1; ++y)
        for (int x = bx0; x <= bx1; ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            float t = len2 > 0.0f ? ((px - x0) * dx + (py - y0) * dy) / len2 : 0.0f;
            t = std::min(1.0f, std::max(0.0f, t));
            if (std::hypot(px - (x0 + t * dx), py - (y0 + t * dy)) <= half)
                Set(x, y, c);
        }
}

void Canvas::FillPolygon(const std::vector<float>& xy, Rgb c)
{
    const size_t n = xy.size() / 2;
    if (n < 3)
        return;
    float minY = xy[1], maxY = xy[1];
    for (size_t i = 0; i < n; ++i) {
        minY = std::min(minY, xy[2 * i + 1]);
        maxY = std::max(maxY, xy[2 * i + 1]);
    }
    for (int y = int(std::floor(minY)); y <= int(std::ceil(maxY)); ++y) {
        const float py = y + 0.5f;
        std::vector<float> xs;
        for (size_t i = 0, j = n - 1; i < n; j = i++) {
            const float yi = xy[2 * i + 1], yj = xy[2 * j + 1];
            if ((yi > py) != (yj > py))
                xs.push_back(xy[2 * i] + (py - yi) / (yj - yi) * (xy[2 * j] - xy[2 * i]));
        }
        std::sort(xs.begin(), xs.end());
        for (size_t k = 0; k + 1 < xs.size(); k += 2)
            for (int x = int(std::ceil(xs[k] - 0.5f)); x + 0.5f < xs[k + 1]; ++x)
                Set(x, y, c);
    }
}

void Canvas::Speckle(int x, int y, int w, int h, float amount, Rng& rng)
{
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i)
            if (!IsClear(i, j))
                Set(i, j, Shade(Get(i, j), 1.0f + amount * rng.Signed()));
}

void Canvas::Outline(float factor)
{
    std::vector<uint8_t> edge(pixels_.size(), 0);
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            if (!IsClear(x, y) && (IsClear(x - 1, y) || IsClear(x + 1, y) || IsClear(x, y - 1) || IsClear(x, y + 1)))
                edge[size_t(y) * width_ + x] = 1;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            if (edge[size_t(y) * width_ + x])
                Set(x, y, Shade(Get(x, y), factor));
}

void Canvas::Blit(const Canvas& source, int x, int y)
{
    for (int j = 0; j < source.Height(); ++j)
        for (int i = 0; i < source.Width(); ++i)
            if (!source.IsClear(i, j))
                Set(x + i, y + j, source.Get(i, j));
}

std::vector<uint32_t> Canvas::WriterPixels() const
{
    std::vector<uint32_t> out(size_t(width_) * height_);
    uint8_t* bytes = reinterpret_cast<uint8_t*>(out.data());
    for (int y = 0; y < height_; ++y) {
        const int row = height_ - 1 - y;
        for (int x = 0; x < width_; ++x) {
            const Rgb c = pixels_[size_t(y) * width_ + x];
            uint8_t* p = bytes + (size_t(row) * width_ + x) * 4;
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
            p[3] = 255;
        }
    }
    return out;
}

namespace {

float Coverage(float distanceInside) { return std::min(1.0f, std::max(0.0f, distanceInside + 0.5f)); }

} // namespace

void Canvas::SmoothLine(float x0, float y0, float x1, float y1, float width, Rgb c)
{
    const float half = std::max(0.5f, width * 0.5f);
    const int bx0 = int(std::floor(std::min(x0, x1) - half - 1)), bx1 = int(std::ceil(std::max(x0, x1) + half + 1));
    const int by0 = int(std::floor(std::min(y0, y1) - half - 1)), by1 = int(std::ceil(std::max(y0, y1) + half + 1));
    const float dx = x1 - x0, dy = y1 - y0;
    const float len2 = dx * dx + dy * dy;
    for (int y = by0; y <= by1; ++y)
        for (int x = bx0; x <= bx1; ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            float t = len2 > 0.0f ? ((px - x0) * dx + (py - y0) * dy) / len2 : 0.0f;
            t = std::min(1.0f, std::max(0.0f, t));
            const float a = Coverage(half - std::hypot(px - (x0 + t * dx), py - (y0 + t * dy)));
            if (a >= 1.0f)
                Set(x, y, c);
            else
                Blend(x, y, c, a);
        }
}

void Canvas::SmoothPolygon(const std::vector<float>& xy, Rgb c)
{
    const size_t n = xy.size() / 2;
    if (n < 3)
        return;
    float minX = xy[0], maxX = xy[0], minY = xy[1], maxY = xy[1];
    for (size_t i = 0; i < n; ++i) {
        minX = std::min(minX, xy[2 * i]);
        maxX = std::max(maxX, xy[2 * i]);
        minY = std::min(minY, xy[2 * i + 1]);
        maxY = std::max(maxY, xy[2 * i + 1]);
    }
    auto inside = [&](float px, float py) {
        bool in = false;
        for (size_t i = 0, j = n - 1; i < n; j = i++) {
            const float xi = xy[2 * i], yi = xy[2 * i + 1], xj = xy[2 * j], yj = xy[2 * j + 1];
            if ((yi > py) != (yj > py) && px < xi + (py - yi) / (yj - yi) * (xj - xi))
                in = !in;
        }
        return in;
    };
    // Four by four samples a pixel.
    for (int y = int(std::floor(minY)); y <= int(std::ceil(maxY)); ++y)
        for (int x = int(std::floor(minX)); x <= int(std::ceil(maxX)); ++x) {
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx)
                    hits += inside(x + (sx + 0.5f) / 4, y + (sy + 0.5f) / 4);
            if (hits == 16)
                Set(x, y, c);
            else
                Blend(x, y, c, hits / 16.0f);
        }
}

void Canvas::SmoothRoundRect(float x, float y, float w, float h, float radius, Rgb top, Rgb bottom)
{
    radius = std::max(0.0f, std::min(radius, std::min(w, h) / 2));
    for (int j = int(std::floor(y)); j < int(std::ceil(y + h)); ++j)
        for (int i = int(std::floor(x)); i < int(std::ceil(x + w)); ++i) {
            const float px = i + 0.5f, py = j + 0.5f;
            // Distance inside the rounded outline: the box shrunk by the
            // radius, grown back round.
            const float qx = std::max(std::fabs(px - (x + w / 2)) - (w / 2 - radius), 0.0f);
            const float qy = std::max(std::fabs(py - (y + h / 2)) - (h / 2 - radius), 0.0f);
            const float edge = std::min(std::min(px - x, x + w - px), std::min(py - y, y + h - py));
            const float inside = (qx > 0.0f && qy > 0.0f) ? radius - std::hypot(qx, qy) : edge;
            const Rgb colour = Mix(top, bottom, h > 1 ? (py - y) / h : 0.0f);
            const float a = Coverage(inside);
            if (a >= 1.0f)
                Set(i, j, colour);
            else
                Blend(i, j, colour, a);
        }
}
