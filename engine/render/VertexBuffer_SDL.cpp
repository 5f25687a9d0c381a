#ifndef VORNHAL_DEDICATED

#include "engine/render/VertexBuffer_SDL.h"

#include "engine/render/GlFunctions.h"
#include "engine/render/Quad.h"
#include "engine/render/Renderer_SDL.h"

#include <cstring>

namespace {

void SetColour(float* slot, const Quad& q)
{
    const uint8_t bytes[4] = {q.r, q.g, q.b, q.a};
    std::memcpy(slot, bytes, 4);
}

// Unit-4 weights of one corner (0 top-left, 1 top-right, 2 bottom-right,
// 3 bottom-left).
void CornerWeights(int flags, int corner, float* out)
{
    out[0] = out[1] = out[2] = out[3] = 0.0f;
    if (flags == 255)
        return;
    if (corner == 1)
        out[0] = (flags & 1) ? 1.0f : 0.0f;
    else if (corner == 2)
        out[0] = out[1] = out[2] = out[3] = 1.0f;
    else if (corner == 3)
        out[1] = (flags & 2) ? 1.0f : 0.0f;
}

void RectCorner(const float* rect, int corner, float* out)
{
    out[0] = (corner == 1 || corner == 2) ? rect[2] : rect[0];
    out[1] = (corner >= 2) ? rect[3] : rect[1];
}

} // namespace

VertexBuffer_SDL::VertexBuffer_SDL(int kind) : kind_(kind)
{
    if (g_gl.GenBuffers) {
        GLuint name = 0;
        g_gl.GenBuffers(1, &name);
        name_ = name;
    }
}

VertexBuffer_SDL::~VertexBuffer_SDL()
{
    if (name_ != 0 && g_gl.DeleteBuffers) {
        GLuint name = name_;
        g_gl.DeleteBuffers(1, &name);
    }
}

int VertexBuffer_SDL::FloatsPerVertex(int kind)
{
    switch (kind) {
    case 1:
        return 6;
    case 2:
    case 3:
        return 8;
    case 4:
        return 16;
    default:
        return 0;
    }
}

void VertexBuffer_SDL::NoOp() {}

// The first six floats of every kind, then units 1 for kinds 2 and 3.
void VertexBuffer_SDL::WriteQuad(const Quad& q, float* out) const
{
    const int stride = FloatsPerVertex(kind_);
    const Vector2* corners[4] = {&q.topLeft, &q.topRight, &q.bottomRight, &q.bottomLeft};
    const float rect[4] = {q.texLeft, q.texTop, q.texRight, q.texBottom};
    const float rect2[4] = {q.tex2Left, q.tex2Top, q.tex2Right, q.tex2Bottom};
    for (int c = 0; c < 4; ++c) {
        float* v = out + c * stride;
        v[0] = corners[c]->x;
        v[1] = corners[c]->y;
        v[2] = Renderer_SDL::kFloorDepth;
        SetColour(v + 3, q);
        RectCorner(rect, c, v + 4);
        if (kind_ == 2)
            RectCorner(rect2, c, v + 6);
        else if (kind_ == 3) {
            v[6] = corners[c]->x;
            v[7] = corners[c]->y;
        }
    }
}

void VertexBuffer_SDL::SetQuads(const Quad* quads, int count)
{
    if (kind_ < 1 || kind_ > 3 || !quads || count < 0)
        return;
    const int perQuad = 4 * FloatsPerVertex(kind_);
    std::vector<float> vertices(size_t(count) * perQuad);
    for (int i = 0; i < count; ++i)
        WriteQuad(quads[i], &vertices[size_t(i) * perQuad]);
    vertices_.swap(vertices);
    quadCount_ = count;
    Upload();
}

void VertexBuffer_SDL::SetLayeredQuads(const Quad* quads, const float* set1, const float* set2, const float* set3,
                                       const int* flags, int count)
{
    if (kind_ != 4 || !quads || !set1 || !set2 || !set3 || !flags || count < 0)
        return;
    const int perQuad = 4 * 16;
    std::vector<float> vertices(size_t(count) * perQuad);
    const float* sets[3] = {set1, set2, set3};
    for (int i = 0; i < count; ++i) {
        float* out = &vertices[size_t(i) * perQuad];
        WriteQuad(quads[i], out);
        for (int c = 0; c < 4; ++c) {
            float* v = out + c * 16;
            for (int s = 0; s < 3; ++s)
                RectCorner(sets[s] + size_t(i) * 4, c, v + 6 + 2 * s);
            CornerWeights(flags[i], c, v + 12);
        }
    }
    vertices_.swap(vertices);
    quadCount_ = count;
    Upload();
}

void VertexBuffer_SDL::Upload()
{
    if (name_ == 0)
        return;
    g_gl.BindBuffer(GL_ARRAY_BUFFER_ARB, name_);
    g_gl.BufferData(GL_ARRAY_BUFFER_ARB, GLsizeiptrARB(vertices_.size() * sizeof(float)), vertices_.data(),
                    GL_STATIC_DRAW_ARB);
    g_gl.BindBuffer(GL_ARRAY_BUFFER_ARB, 0);
}

void VertexBuffer_SDL::UpdateQuad(const Quad* quad, int index)
{
    if (!quad || index < 0 || index >= quadCount_ || FloatsPerVertex(kind_) == 0)
        return;
    const int perQuad = 4 * FloatsPerVertex(kind_);
    float* out = &vertices_[size_t(index) * perQuad];
    WriteQuad(*quad, out); // kind 4: floats 6.. of each vertex stay as they were
    if (name_ == 0)
        return;
    g_gl.BindBuffer(GL_ARRAY_BUFFER_ARB, name_);
    g_gl.BufferSubData(GL_ARRAY_BUFFER_ARB, GLintptrARB(size_t(index) * perQuad * sizeof(float)),
                       GLsizeiptrARB(perQuad * sizeof(float)), out);
    g_gl.BindBuffer(GL_ARRAY_BUFFER_ARB, 0);
}

void VertexBuffer_SDL::Bind()
{
    const int stride = FloatsPerVertex(kind_) * int(sizeof(float));
    if (name_ == 0 || stride == 0)
        return;
    const auto at = [](int floats) { return reinterpret_cast<const void*>(size_t(floats) * sizeof(float)); };
    g_gl.BindBuffer(GL_ARRAY_BUFFER_ARB, name_);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, stride, at(0));
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_UNSIGNED_BYTE, stride, at(3));
    const struct {
        int unit, size, offset;
    } units[] = {{0, 2, 4}, {1, 2, 6}, {2, 2, 8}, {3, 2, 10}, {4, 4, 12}};
    const int unitCount = kind_ == 1 ? 1 : (kind_ == 4 ? 5 : 2);
    for (int i = 0; i < unitCount; ++i) {
        g_gl.ClientActiveTexture(GL_TEXTURE0 + units[i].unit);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(units[i].size, GL_FLOAT, stride, at(units[i].offset));
    }
    g_gl.ClientActiveTexture(GL_TEXTURE0);
}

void VertexBuffer_SDL::Unbind()
{
    for (int unit = 4; unit >= 0; --unit) {
        g_gl.ClientActiveTexture(GL_TEXTURE0 + unit);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    g_gl.BindBuffer(GL_ARRAY_BUFFER_ARB, 0);
}

void VertexBuffer_SDL::DrawAll()
{
    const int stride = FloatsPerVertex(kind_) * int(sizeof(float));
    if (name_ == 0 || stride == 0 || quadCount_ == 0)
        return;
    glDisable(GL_BLEND);
    glColor4f(1, 1, 1, 1);
    g_gl.BindBuffer(GL_ARRAY_BUFFER_ARB, name_);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, stride, nullptr);
    g_gl.ClientActiveTexture(GL_TEXTURE0);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, stride, reinterpret_cast<const void*>(4 * sizeof(float)));
    glDrawArrays(GL_QUADS, 0, 4 * quadCount_);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    g_gl.BindBuffer(GL_ARRAY_BUFFER_ARB, 0);
}

// A range reaching past the buffer (a stale numbering) draws nothing.
void VertexBuffer_SDL::DrawRange(int firstQuad, int quadCount)
{
    if (firstQuad < 0 || quadCount <= 0 || quadCount > quadCount_ - firstQuad)
        return;
    glDrawArrays(GL_QUADS, 4 * firstQuad, 4 * quadCount);
}

#endif
