#include "DrawTestSupport.h"

#include "engine/render/GlFunctions.h"
#include "engine/render/VertexBuffer_SDL.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

using namespace DrawTest;

namespace {

struct Colour {
    float r, g, b;
    Colour operator+(Colour o) const { return {r + o.r, g + o.g, b + o.b}; }
    Colour operator*(Colour o) const { return {r * o.r, g * o.g, b * o.b}; }
    Colour operator*(float k) const { return {r * k, g * k, b * k}; }
};

Colour Bytes(int r, int g, int b) { return {r / 255.0f, g / 255.0f, b / 255.0f}; }
uint32_t Byte(float v) { return uint32_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)); }
uint32_t Pixel(Colour c) { return 0xFF000000u | Byte(c.r) | (Byte(c.g) << 8) | (Byte(c.b) << 16); }

struct Light {
    float x, y, radius;
    Colour colour;
    // The point light's falloff at a pixel's centre.
    float At(int px, int py) const
    {
        const float dx = (px + 0.5f - x) / radius, dy = (py + 0.5f - y) / radius;
        const float f = std::max(0.0f, 1.0f - dx * dx - dy * dy);
        return f * f;
    }
};

const Colour kAmbient = {0.6f, 0.5f, 0.4f};
const Colour kFloor = Bytes(200, 180, 160), kSprite = Bytes(40, 200, 80), kWall = Bytes(90, 60, 30);
const Colour kGlass = Bytes(20, 40, 250), kHud = Bytes(60, 70, 80);
const Light kLights[2] = {{250, 300, 250, {0.5f, 0.25f, 0.1f}}, {450, 300, 250, {0.1f, 0.3f, 0.6f}}};
// Light 0's shadow shape, inside light 1's reach.
const int kShadow[4] = {320, 200, 380, 260};

std::vector<uint32_t> Solid(int w, int h, Colour c) { return std::vector<uint32_t>(size_t(w) * h, Pixel(c)); }

class FrameCompositing : public DrawFixture {
protected:
    void Floor()
    {
        for (int y = 0; y < 576; y += 64)
            for (int x = 0; x < 704; x += 64)
                renderer_->DrawFloorTile(float(x), float(y), 0, 0, 0, 0, 0, true, 0);
    }
    void Sprite(Texture_SDL* t, float x0, float y0, float x1, float y1, float alpha)
    {
        renderer_->SetTexture(0, t);
        Quad q = Rect(x0, y0, x1, y1);
        q.depth = 0.5f;
        renderer_->DrawQuad(&q, alpha);
    }
};

} // namespace

// One frame in the game's order: sprite and floor under ambient light,
// then per light its square's alpha cleared, a shadow shape, the sprite
// and the floor tiles lit; walls with a mask; a translucent sprite and an
// additive overlay. Every checked pixel follows from the blend rules.
TEST_F(FrameCompositing, WholeFrameFollowsTheBlendRules)
{
    Texture_SDL* floor = MakeTexture("floor.png", 64, 64, Solid(64, 64, kFloor));
    Texture_SDL* sprite = MakeTexture("sprite.png", 8, 8, Solid(8, 8, kSprite));
    Texture_SDL* wall = MakeTexture("wall.png", 8, 8, Solid(8, 8, kWall));
    Texture_SDL* glass = MakeTexture("glass.png", 8, 8, Solid(8, 8, kGlass));
    Texture_SDL* hud = MakeTexture("hud.png", 8, 8, Solid(8, 8, kHud));

    renderer_->BeginScene();
    renderer_->SetLightBlend();
    renderer_->BeginAmbientPass(kAmbient.r, kAmbient.g, kAmbient.b, 1, false);
    Sprite(sprite, 120, 280, 160, 320, 1.0f);
    renderer_->BeginAmbientPass(kAmbient.r, kAmbient.g, kAmbient.b, 0, true);
    renderer_->SetTexture(0, floor);
    Floor();
    renderer_->EndAmbientPass();

    for (const Light& l : kLights) {
        const int x0 = int(l.x - l.radius), y0 = int(l.y - l.radius);
        const int x1 = int(l.x + l.radius), y1 = int(l.y + l.radius);
        renderer_->SetClipRect(x0, y0, x1, y1);
        renderer_->FillAlphaRect(x0, y0, x1, y1, 0);
        renderer_->BeginOccluderPass(false);
        if (&l == &kLights[0]) {
            Quad shape = Rect(float(kShadow[0]), float(kShadow[1]), float(kShadow[2]), float(kShadow[3]));
            renderer_->DrawQuadShape(&shape);
        }
        renderer_->EndOccluderPass();
        const Colour c = l.colour;
        renderer_->BeginPointLight(l.x, l.y, l.radius, c.r, c.g, c.b, false, false);
        renderer_->BeginLightPass();
        Sprite(sprite, 120, 280, 160, 320, 1.0f);
        renderer_->BeginPointLight(l.x, l.y, l.radius, c.r, c.g, c.b, true, true);
        renderer_->SetTexture(0, floor);
        renderer_->BeginWallAlpha();
        Floor();
        renderer_->EndWallAlpha();
        renderer_->EndLightPass();
        renderer_->ResetClipRect();
    }
    renderer_->FillAlphaRect(0, 0, 1024, 768, 0);

    // A wall whose mask keeps its left half.
    const uint32_t maskPixels[2] = {0xFFFFFFFFu, 0x00000000u};
    GLuint mask = 0;
    glGenTextures(1, &mask);
    g_gl.ActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, mask);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, maskPixels);
    g_gl.ActiveTexture(GL_TEXTURE0);
    renderer_->BeginAmbientPass(kAmbient.r, kAmbient.g, kAmbient.b, 2, false);
    renderer_->SetTexture(0, wall);
    Quad wallQuad = Rect(560, 100, 624, 132);
    wallQuad.tex2Right = wallQuad.tex2Bottom = 1.0f;
    VertexBuffer_SDL walls(2);
    walls.SetQuads(&wallQuad, 1);
    walls.Bind();
    walls.DrawRange(0, 1);
    walls.Unbind();

    renderer_->BeginAmbientPass(kAmbient.r, kAmbient.g, kAmbient.b, 1, false);
    renderer_->SetAlphaBlend();
    Sprite(glass, 40, 500, 80, 540, 0.5f);
    renderer_->EndAmbientPass();
    renderer_->SetAdditiveBlend();
    renderer_->SetTexture(0, hud);
    Quad overlay = Rect(600, 520, 640, 560);
    renderer_->DrawScreenQuad(&overlay, false, 0.5f);
    const std::vector<uint32_t> px = Read();
    glDeleteTextures(1, &mask);

    const Light &l0 = kLights[0], &l1 = kLights[1];
    const Colour floorAmbient = kFloor * kAmbient;
    const auto litFloor = [&](int x, int y, bool shadowed) {
        return floorAmbient + kFloor * l0.colour * (shadowed ? 0.0f : l0.At(x, y)) + kFloor * l1.colour * l1.At(x, y);
    };
    const struct {
        const char* what;
        int x, y;
        Colour want;
    } checks[] = {
        {"floor in light 0's shadow, lit by light 1", 350, 230, litFloor(350, 230, true)},
        {"floor under both lights", 300, 400, litFloor(300, 400, false)},
        {"floor at light 0's centre", 250, 300, litFloor(250, 300, false)},
        {"sprite lit once, the floor under it not", 140, 300, kSprite * (kAmbient + l0.colour * l0.At(140, 300))},
        {"floor in a light's square beyond its reach", 20, 60, floorAmbient},
        {"wall kept by its mask", 576, 116, kWall * kAmbient},
        {"floor where the mask drops the wall", 608, 116, litFloor(608, 116, false)},
        {"translucent sprite over the floor", 60, 520, kGlass * kAmbient * 0.5f + floorAmbient * 0.5f},
        {"additive overlay", 620, 540, floorAmbient + kHud},
        {"nothing drawn", 800, 100, {0, 0, 0}},
    };
    for (const auto& c : checks) {
        const uint32_t got = PixelAt(px, 1024, c.x, c.y), want = Pixel(c.want);
        for (int shift : {0, 8, 16})
            EXPECT_NEAR(int((got >> shift) & 255), int((want >> shift) & 255), 3) << c.what << ", byte " << shift / 8;
    }
}
