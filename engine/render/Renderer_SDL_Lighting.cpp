#ifndef VORNHAL_DEDICATED

// The lighting passes of Renderer_SDL and the floor drawing they light.
// Program parameters belong to the bound program: every begin operation
// binds first and sets its parameters after.

#include "engine/render/GlFunctions.h"
#include "engine/render/ITexture.h"
#include "engine/render/Renderer_SDL.h"

namespace {

void VertexParam(int index, float x, float y, float z, float w)
{
    g_gl.ProgramLocalParameter4f(GL_VERTEX_PROGRAM_ARB, GLuint(index), x, y, z, w);
}

void FragmentParam(int index, float x, float y, float z, float w)
{
    g_gl.ProgramLocalParameter4f(GL_FRAGMENT_PROGRAM_ARB, GLuint(index), x, y, z, w);
}

void LightParams(float x, float y, float radius, float r, float g, float b)
{
    const float inv = radius != 0.0f ? 1.0f / radius : 0.0f;
    VertexParam(0, x, y, 1.5f, 0);
    VertexParam(1, inv, inv, 0, 0);
    FragmentParam(0, r, g, b, 1);
}

void UnitFilters(GLint wrap, GLint filter)
{
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
}

} // namespace

// Texture-env combine on one unit: RGB = mode of (texture, source1), operands
// source colour; unit 0 is active again afterwards.
void Renderer_SDL::SetUnitCombine(int unit, bool enable, unsigned rgbMode, unsigned source1)
{
    g_gl.ActiveTexture(GL_TEXTURE0 + unit);
    if (enable)
        glEnable(GL_TEXTURE_2D);
    else
        glDisable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GLint(rgbMode));
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_TEXTURE);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB, GL_SRC_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB, GLint(source1));
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB, GL_SRC_COLOR);
    g_gl.ActiveTexture(GL_TEXTURE0);
}

void Renderer_SDL::SetAmbientColor(float r, float g, float b) { VertexParam(0, r, g, b, 1); }

void Renderer_SDL::BeginAmbientPass(float r, float g, float b, int surface, bool flat)
{
    if (surface == 1)
        BindPrograms(programs_[kObjectAmbientVs], programs_[kObjectAmbientFs]);
    else if (surface == 2)
        BindPrograms(programs_[kObjectAmbientVs], programs_[kWallAmbientFs]);
    else if (flat)
        BindPrograms(programs_[kFloorAmbientFlatVs], programs_[kFloorAmbientFlatFs]);
    else
        BindPrograms(programs_[kFloorAmbientVs], programs_[kFloorAmbientFs]);
    VertexParam(0, r, g, b, 1);
}

void Renderer_SDL::EndAmbientPass() { BindPrograms(0, 0); }

void Renderer_SDL::BeginOccluderPass(bool keepVertexProgram)
{
    if (!keepVertexProgram) {
        glDisable(GL_VERTEX_PROGRAM_ARB);
        g_gl.BindProgram(GL_VERTEX_PROGRAM_ARB, 0);
    }
    glDisable(GL_FRAGMENT_PROGRAM_ARB);
    g_gl.BindProgram(GL_FRAGMENT_PROGRAM_ARB, 0);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_GEQUAL);
    glDepthMask(GL_TRUE);
    EnableAlphaTest();
}

void Renderer_SDL::EndOccluderPass()
{
    glDisable(GL_VERTEX_PROGRAM_ARB);
    g_gl.BindProgram(GL_VERTEX_PROGRAM_ARB, 0);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_ALPHA_TEST);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
}

void Renderer_SDL::BeginLightPass()
{
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_GEQUAL);
    glDepthMask(GL_FALSE);
    SetUnitCombine(1, true, GL_MODULATE, GL_PREVIOUS);
    lightLevel_ = 255;
    SetLightBlend();
}

void Renderer_SDL::EndLightPass()
{
    BindPrograms(0, 0);
    SetUnitCombine(1, false, GL_REPLACE, GL_PREVIOUS);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    lightLevel_ = 255;
}

void Renderer_SDL::BeginPointLight(float x, float y, float radius, float r, float g, float b, bool floor, bool flat)
{
    if (!floor)
        BindPrograms(programs_[kLight1Vs], programs_[kLight1Fs]);
    else if (flat)
        BindPrograms(programs_[kFloorLight1FlatVs], programs_[kFloorLight1FlatFs]);
    else
        BindPrograms(programs_[kFloorLight1Vs], programs_[kFloorLight1Fs]);
    LightParams(x, y, radius, r, g, b);
}

void Renderer_SDL::BeginSpotLight(float x, float y, float dirX, float dirY, float radius, float r, float g, float b,
                                  bool floor, bool flat)
{
    if (!floor)
        BindPrograms(programs_[kLight1Vs], programs_[kSpot1Fs]);
    else if (flat)
        BindPrograms(programs_[kFloorLight1FlatVs], programs_[kFloorSpot1FlatFs]);
    else
        BindPrograms(programs_[kFloorLight1Vs], programs_[kFloorSpot1Fs]);
    LightParams(x, y, radius, r, g, b);
    FragmentParam(1, -dirX, -dirY, 0, 0);
}

void Renderer_SDL::BeginSignLight(float x, float y, float dirX, float dirY, float radius, float r, float g, float b)
{
    BindPrograms(programs_[kLight1Vs], programs_[kSignFs]);
    LightParams(x + 20.0f * dirX, y + 20.0f * dirY, radius, r, g, b);
    FragmentParam(1, -dirX, -dirY, 0, 0);
}

void Renderer_SDL::BeginTubeLight(float x, float y, float, float, float, float, float, float, float)
{
    BindPrograms(programs_[kTube1Vs], programs_[kTube1Fs]);
    FragmentParam(0, x, y, 0, 0);
    FragmentParam(1, 50, 0, 0, 0);
    FragmentParam(2, 0, 1, 0, 0);
}

void Renderer_SDL::BeginWallAlpha()
{
    glColor4f(1, 1, 1, 1);
    SetUnitCombine(1, true, GL_MODULATE, GL_PREVIOUS);
    g_gl.ActiveTexture(GL_TEXTURE1);
    UnitFilters(GL_CLAMP, GL_LINEAR);
    g_gl.ActiveTexture(GL_TEXTURE0);
}

void Renderer_SDL::EndWallAlpha()
{
    glDisable(GL_BLEND);
    g_gl.ActiveTexture(GL_TEXTURE1);
    UnitFilters(GL_CLAMP, GL_NEAREST);
    g_gl.ActiveTexture(GL_TEXTURE0);
}

void Renderer_SDL::FillAlphaRect(int x0, int y0, int x1, int y1, int alpha)
{
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glColor4f(0, 0, 0, alpha / 255.0f);
    glBegin(GL_QUADS);
    glVertex3f(float(x0), float(y0), -1);
    glVertex3f(float(x1), float(y0), -1);
    glVertex3f(float(x1), float(y1), -1);
    glVertex3f(float(x0), float(y1), -1);
    glEnd();
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glEnable(GL_TEXTURE_2D);
    glDepthMask(GL_TRUE);
    glClearDepth(0.0);
    glClear(GL_DEPTH_BUFFER_BIT);
}

void Renderer_SDL::FloorTexCoords(int unit, int tx, int ty, int n, float* u0, float* v0, float* u1, float* v1)
{
    *u0 = *v0 = *u1 = *v1 = 0.0f;
    if (ITexture* t = boundTextures_[unit])
        t->GetTexCoords(tx, ty, tx + n, ty + n, u0, v0, u1, v1);
}

void Renderer_SDL::DrawTileLit(float x, float y, int tx, int ty, float ox, float oy, float scale)
{
    float u0, v0, u1, v1;
    FloorTexCoords(0, tx, ty, 32, &u0, &v0, &u1, &v1);
    const float xs[4] = {x, x + 32, x + 32, x}, ys[4] = {y, y, y + 32, y + 32};
    const float us[4] = {u0, u1, u1, u0}, vs[4] = {v0, v0, v1, v1};
    const float inv = scale != 0.0f ? 1.0f / scale : 0.0f;
    glBegin(GL_QUADS);
    for (int i = 0; i < 4; ++i) {
        g_gl.MultiTexCoord2f(GL_TEXTURE0, us[i], vs[i]);
        g_gl.MultiTexCoord2f(GL_TEXTURE1, (xs[i] - ox) * inv, (ys[i] - oy) * inv);
        glVertex3f(xs[i], ys[i], kFloorDepth);
    }
    glEnd();
}

void Renderer_SDL::BeginFloorBlend(bool detail)
{
    glEnable(GL_BLEND);
    g_gl.BlendFuncSeparate(GL_ONE_MINUS_DST_ALPHA, GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA, GL_DST_ALPHA);
    glColor4f(lightLevel_ / 255.0f, lightLevel_ / 255.0f, lightLevel_ / 255.0f, 1.0f);
    SetUnitCombine(0, true, GL_MODULATE, GL_PRIMARY_COLOR);
    if (detail) {
        SetUnitCombine(1, true, GL_MODULATE, GL_PREVIOUS);
        g_gl.ActiveTexture(GL_TEXTURE1);
        UnitFilters(GL_REPEAT, GL_NEAREST);
        g_gl.ActiveTexture(GL_TEXTURE0);
    }
}

void Renderer_SDL::EndFloorBlend()
{
    g_gl.ActiveTexture(GL_TEXTURE1);
    glDisable(GL_TEXTURE_2D);
    g_gl.ActiveTexture(GL_TEXTURE0);
}

void Renderer_SDL::DrawFloorTile(float x, float y, int tx, int ty, int layer1y, int layer2y, int layer3y, bool big,
                                 int blendFlags)
{
    const int n = big ? 64 : 32;
    const float s = viewScale_ != 0.0f ? viewScale_ : 1.0f;
    const float x0 = x / s, y0 = y / s, x1 = (x + n) / s, y1 = (y + n) / s;
    const float xs[4] = {x0, x1, x1, x0}, ys[4] = {y0, y0, y1, y1};
    float rect[4][4];
    FloorTexCoords(0, tx, ty, n, &rect[0][0], &rect[0][1], &rect[0][2], &rect[0][3]);
    const int layers[3] = {layer1y, layer2y, layer3y};
    for (int l = 0; l < 3 && !big; ++l)
        FloorTexCoords(l + 1, tx, layers[l], 32, &rect[l + 1][0], &rect[l + 1][1], &rect[l + 1][2], &rect[l + 1][3]);
    const float weights[4][3] = {
        {0, 0, 0}, {(blendFlags & 1) ? 1.0f : 0.0f, 0, 0}, {1, 1, 1}, {0, (blendFlags & 2) ? 1.0f : 0.0f, 0}};
    const int uSide[4] = {0, 2, 2, 0}, vSide[4] = {1, 1, 3, 3};
    glColor4f(lightLevel_ / 255.0f, lightLevel_ / 255.0f, lightLevel_ / 255.0f, 1.0f);
    glBegin(GL_QUADS);
    for (int c = 0; c < 4; ++c) {
        for (int unit = 0; unit < (big ? 1 : 4); ++unit)
            g_gl.MultiTexCoord2f(GL_TEXTURE0 + unit, rect[unit][uSide[c]], rect[unit][vSide[c]]);
        if (!big)
            g_gl.MultiTexCoord3f(GL_TEXTURE4, weights[c][0], weights[c][1], weights[c][2]);
        glVertex3f(xs[c], ys[c], kFloorDepth);
    }
    glEnd();
}

void Renderer_SDL::DrawFloorTileDetail(float x, float y, int tx, int ty, int dx, int dy)
{
    const float s = viewScale_ != 0.0f ? viewScale_ : 1.0f;
    const float x0 = x / s, y0 = y / s, x1 = (x + 32) / s, y1 = (y + 32) / s;
    const float xs[4] = {x0, x1, x1, x0}, ys[4] = {y0, y0, y1, y1};
    float u0, v0, u1, v1;
    FloorTexCoords(0, tx, ty, 32, &u0, &v0, &u1, &v1);
    const float us[4] = {u0, u1, u1, u0}, vs[4] = {v0, v0, v1, v1};
    const float du0 = dx / 128.0f, dv0 = dy / 128.0f, du1 = (dx + 32) / 128.0f, dv1 = (dy + 32) / 128.0f;
    const float dus[4] = {du0, du1, du1, du0}, dvs[4] = {dv0, dv0, dv1, dv1};
    SetUnitCombine(0, true, GL_MODULATE, GL_PRIMARY_COLOR);
    SetUnitCombine(1, true, GL_MODULATE, GL_PREVIOUS);
    glDisable(GL_BLEND);
    glColor4f(lightLevel_ / 255.0f, lightLevel_ / 255.0f, lightLevel_ / 255.0f, 1.0f);
    glBegin(GL_QUADS);
    for (int c = 0; c < 4; ++c) {
        g_gl.MultiTexCoord2f(GL_TEXTURE0, us[c], vs[c]);
        g_gl.MultiTexCoord2f(GL_TEXTURE1, dus[c], dvs[c]);
        glVertex3f(xs[c], ys[c], kFloorDepth);
    }
    glEnd();
    SetUnitCombine(1, false, GL_MODULATE, GL_PREVIOUS);
    SetUnitCombine(0, true, GL_REPLACE, GL_PRIMARY_COLOR);
}

#endif
