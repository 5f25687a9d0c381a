#pragma once

#include <cstdint>
#include <vector>

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
};

// Small deterministic generator, so that every build makes the same files.
class Rng {
public:
    explicit Rng(uint32_t seed) : state_(seed * 2654435761u + 0x9e3779b9u) {}
    uint32_t Next();
    // 0 <= result < 1.
    float Unit() { return float(Next() >> 8) / 16777216.0f; }
    // -1 <= result < 1.
    float Signed() { return Unit() * 2.0f - 1.0f; }
    int Below(int n) { return n > 0 ? int(Next() % uint32_t(n)) : 0; }

private:
    uint32_t state_;
};

Rgb Shade(Rgb c, float factor);
Rgb Mix(Rgb a, Rgb b, float t);

// A picture, rows top to bottom. The PNG writer keeps no alpha; the reader
// turns magenta into transparency, so "clear" pixels are written magenta and
// painted colours are kept off it.
class Canvas {
public:
    static constexpr Rgb kClear{255, 0, 255};

    Canvas(int width, int height);
    Canvas(int width, int height, Rgb fill);

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool IsClear(int x, int y) const;
    Rgb Get(int x, int y) const;

    // Out-of-range pixels are ignored.
    void Set(int x, int y, Rgb c);
    void Erase(int x, int y);
    // Mixes c over the pixel by alpha 0..1; over a clear pixel c is set
    // when alpha reaches 0.5.
    void Blend(int x, int y, Rgb c, float alpha);

    void Fill(Rgb c);
    void FillRect(int x, int y, int w, int h, Rgb c);
    void FrameRect(int x, int y, int w, int h, Rgb c);
    void FillEllipse(float cx, float cy, float rx, float ry, Rgb c);
    void FillCircle(float cx, float cy, float r, Rgb c) { FillEllipse(cx, cy, r, r, c); }
    void Ring(float cx, float cy, float r, float thickness, Rgb c);
    // A segment of the given width with round ends.
    void Line(float x0, float y0, float x1, float y1, float width, Rgb c);
    // Even-odd fill of a closed polygon given as x, y pairs.
    void FillPolygon(const std::vector<float>& xy, Rgb c);

    // Anti-aliased shapes: edge pixels are blended by their coverage.
    void SmoothLine(float x0, float y0, float x1, float y1, float width, Rgb c);
    void SmoothPolygon(const std::vector<float>& xy, Rgb c);
    // A rounded rectangle shaded from top to bottom.
    void SmoothRoundRect(float x, float y, float w, float h, float radius, Rgb top, Rgb bottom);
    // Brightness noise over the painted pixels of a rectangle.
    void Speckle(int x, int y, int w, int h, float amount, Rng& rng);
    // Darkens painted pixels next to clear ones, which reads as an outline.
    void Outline(float factor);
    void Blit(const Canvas& source, int x, int y);

    // The pixels as the engine's PNG writer takes them: bytes red, green,
    // blue, alpha; rows bottom to top.
    std::vector<uint32_t> WriterPixels() const;

private:
    int width_;
    int height_;
    std::vector<Rgb> pixels_;
    std::vector<uint8_t> clear_;
};
