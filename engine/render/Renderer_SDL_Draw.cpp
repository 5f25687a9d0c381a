#ifndef VORNHAL_DEDICATED

// The drawing half of Renderer_SDL: frame state, quads, lines, text and the
// batched drawing objects. Lighting and the picture targets have files of
// their own.

#include "engine/render/Renderer_SDL.h"

#include "engine/render/BlockMesh_SDL.h"
#include "engine/render/GlFunctions.h"
#include "engine/render/ITexture.h"
#include "engine/render/Mesh_SDL.h"
#include "engine/render/ParticlePainter_SDL.h"
#include "engine/render/Quad.h"
#include "engine/render/SpritePainter_SDL.h"
#include "engine/render/VertexBuffer_SDL.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace {

constexpr int kFontChars = 255;
constexpr int kGlutChars = 2048;
// Where the baselines lie below a text's y, and the GLUT font's line.
constexpr int kLargeBaseline = 11;
constexpr int kSmallBaseline = 10;
constexpr int kGlutBaseline = 10;
constexpr int kGlutHeight = 13;

void EmitQuad(const Quad* q, float z)
{
    glTexCoord2f(q->texLeft, q->texTop);
    glVertex3f(q->topLeft.x, q->topLeft.y, z);
    glTexCoord2f(q->texRight, q->texTop);
    glVertex3f(q->topRight.x, q->topRight.y, z);
    glTexCoord2f(q->texRight, q->texBottom);
    glVertex3f(q->bottomRight.x, q->bottomRight.y, z);
    glTexCoord2f(q->texLeft, q->texBottom);
    glVertex3f(q->bottomLeft.x, q->bottomLeft.y, z);
}

// Low bytes of at most max characters; returns how many.
int LowBytes(const char16_t* text, char* out, int max)
{
    int n = 0;
    for (; text && text[n] && n < max; ++n)
        out[n] = char(text[n] & 0xFF);
    out[n] = 0;
    return n;
}

int GlutWidth(const char16_t* text)
{
    int width = 0;
    for (int i = 0; text && text[i] && i < kGlutChars; ++i)
        width += glutBitmapWidth(GLUT_BITMAP_8_BY_13, text[i] & 0xFF);
    return width;
}

// A raster position left of the window would be invalid and the whole text
// dropped: start at the edge and move left, so a scrolled field still shows
// its visible part.
void PlaceRaster(int x, int y)
{
    glRasterPos2i(std::max(x, 0), y);
    if (x < 0)
        glBitmap(0, 0, 0, 0, GLfloat(x), 0, nullptr);
}

void GlutText(int x, int y, const char16_t* text)
{
    PlaceRaster(x, y);
    for (int i = 0; text && text[i] && i < kGlutChars; ++i)
        glutBitmapCharacter(GLUT_BITMAP_8_BY_13, text[i] & 0xFF);
}

} // namespace

// Operations the game calls at fixed points and this renderer ignores.
void Renderer_SDL::NoOpA(int, int) {}
void Renderer_SDL::NoOpB(float, float, float, float, float, float, float, float, float) {}
void Renderer_SDL::NoOpC(float, float, float, float) {}
void Renderer_SDL::NoOpD(float, float, float) {}
void Renderer_SDL::SetBumpTexture(const void*) {}
void Renderer_SDL::SetShadowCaster(int) {}
void Renderer_SDL::DrawPlayerExtra(float, float, float, float) {}
void Renderer_SDL::DrawObjectShadow(float, float, float, float, float, float, float, float) {}
void Renderer_SDL::DrawVehicleShadow(const Quad*, float, float, float, float, float) {}

IVertexBuffer* Renderer_SDL::CreateVertexBuffer(int kind) { return new VertexBuffer_SDL(kind); }

IMesh* Renderer_SDL::CreateMesh(int kind) { return new Mesh_SDL(this, new VertexBuffer_SDL(kind)); }

IBlockMesh* Renderer_SDL::CreateBlockMesh(int kind, int cols, int rows)
{
    if (cols <= 0 || rows <= 0 || int64_t(cols) * rows > (int64_t(1) << 26))
        return nullptr;
    return new BlockMesh_SDL(new VertexBuffer_SDL(kind), cols, rows);
}

ISpritePainter* Renderer_SDL::CreateSpritePainter() { return new SpritePainter_SDL(); }

IParticlePainter* Renderer_SDL::CreateParticlePainter() { return new ParticlePainter_SDL(); }

void Renderer_SDL::SetTranslation(float x, float y, float z)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(std::floor(x), std::floor(y), z);
}

void Renderer_SDL::ResetTranslation()
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void Renderer_SDL::SetTextureTransform(int unit, float tx, float ty, float sx, float sy)
{
    g_gl.ActiveTexture(GL_TEXTURE0 + unit);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glScalef(sx, sy, 1.0f);
    glTranslatef(tx, ty, 0.0f);
    glMatrixMode(GL_MODELVIEW);
    g_gl.ActiveTexture(GL_TEXTURE0);
}

void Renderer_SDL::ResetTextureTransform(int unit)
{
    g_gl.ActiveTexture(GL_TEXTURE0 + unit);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    g_gl.ActiveTexture(GL_TEXTURE0);
}

void Renderer_SDL::EndScene() {}

void Renderer_SDL::BeginScene()
{
    glClearColor(0, 0, 0, 0);
    GLbitfield bits = GL_COLOR_BUFFER_BIT;
    if (!miniMapTargetActive_) {
        glClearStencil(0);
        glClearDepth(0.0);
        bits |= GL_STENCIL_BUFFER_BIT | GL_DEPTH_BUFFER_BIT;
    }
    glClear(bits);
}

void Renderer_SDL::ClearColor(int r, int g, int b, int a)
{
    glClearColor(r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f);
    GLbitfield bits = GL_COLOR_BUFFER_BIT;
    if (!miniMapTargetActive_) {
        glClearStencil(0);
        bits |= GL_STENCIL_BUFFER_BIT;
    }
    glClear(bits);
}

void Renderer_SDL::ClearStencil(int value)
{
    glClearStencil(value);
    glClear(GL_STENCIL_BUFFER_BIT);
}

void Renderer_SDL::SetClipRect(int x0, int y0, int x1, int y1)
{
    glScissor(x0, windowHeight_ - y1, std::max(0, x1 - x0), std::max(0, y1 - y0));
    glEnable(GL_SCISSOR_TEST);
}

void Renderer_SDL::ResetClipRect() { glDisable(GL_SCISSOR_TEST); }

void Renderer_SDL::SetStencilRef(int ref)
{
    glDisable(GL_ALPHA_TEST);
    glStencilFunc(GL_GREATER, ref, 255);
}

void Renderer_SDL::EnableAlphaTest()
{
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.0f);
}

void Renderer_SDL::SetLightBlend()
{
    glEnable(GL_BLEND);
    g_gl.BlendFuncSeparate(GL_ONE_MINUS_DST_ALPHA, GL_ONE, GL_ONE_MINUS_DST_ALPHA, GL_ONE);
}

void Renderer_SDL::SetAlphaBlend()
{
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void Renderer_SDL::SetAdditiveBlend()
{
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
}

void Renderer_SDL::DrawQuadShape(const Quad* quad)
{
    if (!quad)
        return;
    glDisable(GL_ALPHA_TEST);
    glBegin(GL_QUADS);
    EmitQuad(quad, 0.0f);
    glEnd();
    EnableAlphaTest();
}

void Renderer_SDL::DrawQuad(const Quad* quad, float alpha)
{
    if (!quad)
        return;
    glColor4f(quad->r / 255.0f, quad->g / 255.0f, quad->b / 255.0f, alpha);
    glBegin(GL_QUADS);
    EmitQuad(quad, std::max(0.0f, quad->depth));
    glEnd();
}

void Renderer_SDL::DrawScreenQuad(const Quad* quad, bool scaleToWindow, float alpha)
{
    if (!quad)
        return;
    Quad q = *quad;
    if (scaleToWindow) {
        const float sx = windowWidth_ / 1024.0f, sy = windowHeight_ / 768.0f;
        for (Vector2* v : {&q.topLeft, &q.topRight, &q.bottomLeft, &q.bottomRight}) {
            v->x *= sx;
            v->y *= sy;
        }
    }
    glColor4f(1, 1, 1, alpha);
    glBegin(GL_QUADS);
    EmitQuad(&q, 0.0f);
    glEnd();
}

void Renderer_SDL::FillQuad(const Quad* quad, int rgb, float alpha)
{
    if (!quad)
        return;
    glDisable(GL_TEXTURE_2D);
    SetAlphaBlend();
    glColor4f(((rgb >> 16) & 255) / 255.0f, ((rgb >> 8) & 255) / 255.0f, (rgb & 255) / 255.0f, alpha);
    glBegin(GL_QUADS);
    EmitQuad(quad, 0.0f);
    glEnd();
    glEnable(GL_TEXTURE_2D);
}

void Renderer_SDL::DrawImage(int x, int y, bool blend)
{
    ITexture* t = boundTextures_[0];
    if (!t)
        return;
    const int x0 = x * windowWidth_ / 1024, y0 = y * windowHeight_ / 768;
    const int x1 = (x + t->GetWidth()) * windowWidth_ / 1024, y1 = (y + t->GetHeight()) * windowHeight_ / 768;
    float u0, v0, u1, v1;
    t->GetFullTexCoords(&u0, &v0, &u1, &v1);
    if (blend)
        SetAlphaBlend();
    else
        glDisable(GL_BLEND);
    glColor4f(1, 1, 1, 1);
    glBegin(GL_QUADS);
    glTexCoord2f(u0, v0);
    glVertex3f(float(x0), float(y0), 0);
    glTexCoord2f(u1, v0);
    glVertex3f(float(x1), float(y0), 0);
    glTexCoord2f(u1, v1);
    glVertex3f(float(x1), float(y1), 0);
    glTexCoord2f(u0, v1);
    glVertex3f(float(x0), float(y1), 0);
    glEnd();
}

void Renderer_SDL::DrawLine(float x0, float y0, float x1, float y1, int r, int g, int b)
{
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glColor4f(r / 255.0f, g / 255.0f, b / 255.0f, 1.0f);
    glBegin(GL_LINES);
    glVertex3f(x0, y0, 0);
    glVertex3f(x1, y1, 0);
    glEnd();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
}

void Renderer_SDL::DrawLineAlpha(int x0, int y0, int x1, int y1, int r, int g, int b, float alpha)
{
    glDisable(GL_TEXTURE_2D);
    SetAlphaBlend();
    glColor4f(r / 255.0f, g / 255.0f, b / 255.0f, alpha);
    glBegin(GL_LINES);
    glVertex3f(x0 + 0.4f, y0 + 0.4f, 0);
    glVertex3f(x1 + 0.4f, y1 + 0.4f, 0);
    glEnd();
    glEnable(GL_TEXTURE_2D);
}

void Renderer_SDL::DrawRect(int x0, int y0, int x1, int y1, int r, int g, int b)
{
    DrawLine(float(x0), float(y0), float(x1), float(y0), r, g, b);
    DrawLine(float(x0), float(y0), float(x0), float(y1), r, g, b);
    DrawLine(float(x1), float(y0), float(x1), float(y1), r, g, b);
    DrawLine(float(x0), float(y1), float(x1), float(y1), r, g, b);
}

void Renderer_SDL::DrawPoint(int x, int y, int r, int g, int b, float alpha)
{
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glColor4f(r / 255.0f, g / 255.0f, b / 255.0f, alpha);
    glBegin(GL_POINTS);
    glVertex3f(x + 0.5f, y + 0.5f, 0);
    glEnd();
    glEnable(GL_TEXTURE_2D);
}

void Renderer_SDL::DrawTextWith(int x, int y, const char16_t* text, bool small)
{
    // A bound vertex program would transform the raster position too.
    BindPrograms(0, 0);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    const Gl::XBitmapFont& font = small ? smallFont_ : largeFont_;
    if (useFonts_ && font.IsBuilt()) {
        char bytes[kFontChars + 1];
        const int n = LowBytes(text, bytes, kFontChars);
        // A font taller than the built-in one keeps its ascent below y.
        const int baseline =
            small ? std::max(kSmallBaseline, font.GetAscent() - 1) : std::max(kLargeBaseline, font.GetAscent());
        PlaceRaster(x, y + baseline);
        glListBase(GLuint(small ? kSmallFontBase : kLargeFontBase));
        glCallLists(n, GL_UNSIGNED_BYTE, bytes);
        glListBase(0);
    } else {
        GlutText(x, y + kGlutBaseline, text);
    }
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
}

void Renderer_SDL::DrawText(int x, int y, const char16_t* text, int r, int g, int b)
{
    glColor4f(r / 255.0f, g / 255.0f, b / 255.0f, 1.0f);
    DrawTextWith(x, y, text, false);
}

void Renderer_SDL::DrawTextAligned(int x, int y, const char16_t* text, bool rightAlign)
{
    if (rightAlign)
        x -= GetTextWidth(text);
    glColor4f(1, 1, 1, 1);
    DrawTextWith(x, y, text, false);
}

int Renderer_SDL::GetTextWidth(const char16_t* text)
{
    if (!text)
        return 0;
    if (!(useFonts_ && largeFont_.IsBuilt()))
        return GlutWidth(text);
    std::string bytes;
    for (int i = 0; text[i]; ++i)
        bytes.push_back(char(text[i] & 0xFF));
    return largeFont_.TextWidth(bytes.data(), int(bytes.size()));
}

int Renderer_SDL::GetTextHeight()
{
    if (!(useFonts_ && largeFont_.IsBuilt()))
        return kGlutHeight;
    return std::max(kLargeBaseline, largeFont_.GetAscent()) + largeFont_.GetDescent();
}

void Renderer_SDL::DrawSmallText(int x, int y, const char16_t* text)
{
    glColor4f(1, 1, 1, 1);
    DrawTextWith(x, y, text, true);
}

#endif
