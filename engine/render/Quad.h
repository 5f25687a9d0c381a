#pragma once

#include "engine/core/Vector2.h"

#include <cstdint>

class ITexture;

// The drawing record the game fills and the renderer draws. The field order
// is read by the engine's quad, sprite, mesh and vertex-buffer code: do not
// reorder. Corners are kept top-left, top-right, bottom-left, bottom-right;
// drawing emits them top-left, top-right, bottom-right, bottom-left.
struct Quad {
    Vector2 topLeft;
    Vector2 topRight;
    Vector2 bottomLeft;
    Vector2 bottomRight;
    float texLeft = 0.0f;
    float texTop = 0.0f;
    float texRight = 0.0f;
    float texBottom = 0.0f;
    // Second texture rectangle, read only by two-texture vertex buffers.
    float tex2Left = 0.0f;
    float tex2Top = 0.0f;
    float tex2Right = 0.0f;
    float tex2Bottom = 0.0f;
    uint8_t r = 255;
    uint8_t g = 255;
    uint8_t b = 255;
    uint8_t a = 255;
    float depth = -1.0f;

    // The game's geometry on the record, defined in game/world/geometry/Quad.cpp:
    // the renderer only reads the fields. Builders write the corners, the
    // first texture rectangle, the colour and the depth; the second
    // rectangle is left as it was.
    void SetSize(int w, int h);
    void SetFromTexture(ITexture* t);
    void SetFromTextureRect(ITexture* t, int left, int top, int right, int bottom);
    void SetFromSize(int texW, int texH, int w, int h);

    // Transforms move the corners only.
    void Translate(float dx, float dy);
    void Scale(float sx, float sy);
    void RotateAboutOrigin(float degrees);
    void Rotate(float cx, float cy, float degrees);

private:
    void SetCorners(float w, float h);
    void SetTexRect(float l, float t, float r, float b);
};
