#pragma once

#include "RenderTestSupport.h"

#include "engine/render/Quad.h"
#include "engine/render/Texture_SDL.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace DrawTest {

// The window read back as 0xAABBGGRR values, rows top to bottom.
std::vector<uint32_t> ReadWindow(int w, int h);
uint32_t PixelAt(const std::vector<uint32_t>& pixels, int w, int x, int y);
inline int Red(uint32_t p) { return int(p & 255); }
inline int Green(uint32_t p) { return int((p >> 8) & 255); }
inline int Blue(uint32_t p) { return int((p >> 16) & 255); }
// An opaque pixel in the same layout.
constexpr uint32_t Rgb(int r, int g, int b)
{
    return 0xFF000000u | uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16);
}
// Compares with tests/engine/render/golden/<name>.png within a per-channel
// tolerance; a missing golden is written and kept, except under CI=true
// or after a failure in the test, where it fails.
void ExpectMatchesGolden(const std::string& name, const std::vector<uint32_t>& pixels, int w, int h, int tolerance = 8);
Quad Rect(float x0, float y0, float x1, float y1);

// A 1024 x 768 window with the shaders loaded and a plain starting state.
class DrawFixture : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::vector<uint32_t> Read() { return ReadWindow(1024, 768); }
    // A 1 x 1 white texture on unit 0, for the programs that sample it.
    void BindWhite();
    // A texture of the renderer holding those pixels (0xAABBGGRR, rows top
    // to bottom, alpha 255 as the PNG keeps no alpha); it loads on its first
    // bind and is deleted with the fixture.
    Texture_SDL* MakeTexture(const std::string& file, int w, int h, const std::vector<uint32_t>& pixels);

    RenderTest::GameDir game_{true};
    std::unique_ptr<Renderer_SDL> renderer_;
    unsigned white_ = 0;
    std::vector<Texture_SDL*> made_;
};

} // namespace DrawTest
