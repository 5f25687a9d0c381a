#ifndef VORNHAL_DEDICATED

#include "engine/render/SpritePainter_SDL.h"

#include "engine/render/GlFunctions.h"
#include "engine/render/Sprite_SDL.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kPositionBytes = 4 * 3 * sizeof(float);
constexpr size_t kColourBytes = 4 * 4;
constexpr size_t kTexCoordBytes = 4 * 2 * sizeof(float);
constexpr size_t kEntryBytes = 4 * sizeof(uint32_t);

} // namespace

void SpritePainter_SDL::Range::Widen(int a, int b)
{
    first = first < 0 ? a : std::min(first, a);
    last = std::max(last, b);
}

SpritePainter_SDL::SpritePainter_SDL() = default;

SpritePainter_SDL::~SpritePainter_SDL()
{
    sprites_.DeleteAll();
    if (vbo_ != 0 && g_gl.DeleteBuffers) {
        GLuint names[3] = {vbo_, indexBuffers_[0], indexBuffers_[1]};
        g_gl.DeleteBuffers(3, names);
    }
}

bool SpritePainter_SDL::Init(int maxSprites)
{
    if (capacity_ > 0)
        return true;
    if (maxSprites <= 0 || maxSprites > (1 << 24) || !g_gl.GenBuffers)
        return false;
    capacity_ = maxSprites;
    const size_t n = size_t(maxSprites);
    positions_.assign(n * 12, 0.0f);
    colours_.assign(n * 16, 0);
    texCoords_.assign(n * 8, 0.0f);
    forward_.assign(n * 4, 0);
    reversed_.assign(n * 4, 0);
    owners_.assign(n, nullptr);
    for (int i = 0; i < maxSprites; ++i) {
        positions_[size_t(i) * 12] = kFreeSlot;
        freeSlots_.push(i);
    }
    GLuint names[3] = {};
    g_gl.GenBuffers(3, names);
    vbo_ = names[0];
    indexBuffers_[0] = names[1];
    indexBuffers_[1] = names[2];
    g_gl.BindBuffer(GL_ARRAY_BUFFER_ARB, vbo_);
    g_gl.BufferData(GL_ARRAY_BUFFER_ARB, GLsizeiptrARB(n * (kPositionBytes + kColourBytes + kTexCoordBytes)), nullptr,
                    GL_DYNAMIC_DRAW_ARB);
    g_gl.BufferSubData(GL_ARRAY_BUFFER_ARB, 0, GLsizeiptrARB(n * kPositionBytes), positions_.data());
    g_gl.BindBuffer(GL_ARRAY_BUFFER_ARB, 0);
    for (GLuint b : {names[1], names[2]}) {
        g_gl.BindBuffer(GL_ELEMENT_ARRAY_BUFFER_ARB, b);
        g_gl.BufferData(GL_ELEMENT_ARRAY_BUFFER_ARB, GLsizeiptrARB(n * kEntryBytes), forward_.data(),
                        GL_DYNAMIC_DRAW_ARB);
    }
    g_gl.BindBuffer(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
    entryCount_ = 0;
    return true;
}

void SpritePainter_SDL::Clear()
{
    sprites_.DeleteAll();
    idle_.clear();
    entryCount_ = 0;
    for (Range* r : {&positionsDirty_, &coloursDirty_, &texCoordsDirty_, &forwardDirty_, &reversedDirty_})
        r->Reset();
    if (capacity_ == 0)
        return;
    std::fill(owners_.begin(), owners_.end(), nullptr);
    freeSlots_ = {};
    for (int i = 0; i < capacity_; ++i) {
        positions_[size_t(i) * 12] = kFreeSlot;
        freeSlots_.push(i);
    }
    g_gl.BindBuffer(GL_ARRAY_BUFFER_ARB, vbo_);
    g_gl.BufferSubData(GL_ARRAY_BUFFER_ARB, 0, GLsizeiptrARB(size_t(capacity_) * kPositionBytes), positions_.data());
    g_gl.BindBuffer(GL_ARRAY_BUFFER_ARB, 0);
}

ISprite* SpritePainter_SDL::CreateSprite(int order)
{
    Sprite_SDL* s = new Sprite_SDL(this, order);
    // After every sprite of the same order: the first one larger, found by
    // halving since the list is sorted.
    int lo = 0, hi = sprites_.GetCount();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (sprites_.Get(mid)->GetOrder() > order)
            hi = mid;
        else
            lo = mid + 1;
    }
    sprites_.Insert(lo, s);
    return s;
}

void SpritePainter_SDL::DestroySprite(ISprite* sprite)
{
    Sprite_SDL* s = static_cast<Sprite_SDL*>(sprite);
    const int at = sprites_.IndexOf(s);
    if (!s || at < 0)
        return;
    RemoveEntry(s);
    LeaveIdle(s);
    ReleaseSlot(s);
    sprites_.RemoveAt(at);
    delete s;
}

const uint32_t* SpritePainter_SDL::GetEntry(int i, bool reversed) const
{
    if (i < 0 || i >= entryCount_)
        return nullptr;
    return reversed ? &reversed_[size_t(capacity_ - entryCount_ + i) * 4] : &forward_[size_t(i) * 4];
}

void SpritePainter_SDL::MakeIdle(Sprite_SDL* s)
{
    if (s->idlePos_ >= 0 || s->slot_ < 0)
        return;
    s->idlePos_ = int(idle_.size());
    idle_.push_back(s);
}

void SpritePainter_SDL::LeaveIdle(Sprite_SDL* s)
{
    if (s->idlePos_ < 0)
        return;
    Sprite_SDL* last = idle_.back();
    idle_[size_t(s->idlePos_)] = last;
    last->idlePos_ = s->idlePos_;
    idle_.pop_back();
    s->idlePos_ = -1;
}

void SpritePainter_SDL::ReleaseSlot(Sprite_SDL* s)
{
    if (s->slot_ < 0)
        return;
    positions_[size_t(s->slot_) * 12] = kFreeSlot;
    positionsDirty_.Widen(s->slot_, s->slot_);
    freeSlots_.push(s->slot_);
    s->slot_ = -1;
}

bool SpritePainter_SDL::TakeSlot(Sprite_SDL* s)
{
    if (!idle_.empty()) {
        Sprite_SDL* holder = idle_.back();
        LeaveIdle(holder);
        s->slot_ = holder->slot_;
        holder->slot_ = -1;
    } else if (!freeSlots_.empty()) {
        s->slot_ = freeSlots_.top();
        freeSlots_.pop();
    } else {
        return false;
    }
    // The slot holds whatever its last owner wrote.
    s->appearanceDirty_ = true;
    return true;
}

void SpritePainter_SDL::RemoveEntry(Sprite_SDL* s)
{
    const int p = s->entry_;
    if (p < 0)
        return;
    const int moved = entryCount_ - 1 - p;
    std::memmove(&forward_[size_t(p) * 4], &forward_[size_t(p + 1) * 4], size_t(moved) * kEntryBytes);
    for (int i = p; i < entryCount_ - 1; ++i) {
        owners_[size_t(i)] = owners_[size_t(i) + 1];
        owners_[size_t(i)]->entry_ = i;
    }
    --entryCount_;
    owners_[size_t(entryCount_)] = nullptr;
    if (entryCount_ > p)
        forwardDirty_.Widen(p, entryCount_ - 1);
    s->entry_ = -1;
    MakeIdle(s);
}

void SpritePainter_SDL::InsertEntry(Sprite_SDL* s, int p)
{
    const int moved = entryCount_ - p;
    std::memmove(&forward_[size_t(p + 1) * 4], &forward_[size_t(p) * 4], size_t(moved) * kEntryBytes);
    for (int i = entryCount_; i > p; --i) {
        owners_[size_t(i)] = owners_[size_t(i) - 1];
        owners_[size_t(i)]->entry_ = i;
    }
    const uint32_t base = uint32_t(s->slot_) * 4;
    for (uint32_t k = 0; k < 4; ++k)
        forward_[size_t(p) * 4 + k] = base + k;
    owners_[size_t(p)] = s;
    s->entry_ = p;
    ++entryCount_;
    forwardDirty_.Widen(p, entryCount_ - 1);
}

void SpritePainter_SDL::WritePositions(const Sprite_SDL* s)
{
    const Quad& q = s->quad_;
    const Vector2* corners[4] = {&q.topLeft, &q.topRight, &q.bottomRight, &q.bottomLeft};
    float* out = &positions_[size_t(s->slot_) * 12];
    for (int c = 0; c < 4; ++c) {
        out[c * 3 + 0] = corners[c]->x;
        out[c * 3 + 1] = corners[c]->y;
        out[c * 3 + 2] = s->depth_;
    }
    positionsDirty_.Widen(s->slot_, s->slot_);
}

void SpritePainter_SDL::WriteAppearance(const Sprite_SDL* s)
{
    const Quad& q = s->quad_;
    uint8_t* colour = &colours_[size_t(s->slot_) * 16];
    for (int c = 0; c < 4; ++c) {
        colour[c * 4 + 0] = q.r;
        colour[c * 4 + 1] = q.g;
        colour[c * 4 + 2] = q.b;
        colour[c * 4 + 3] = q.a;
    }
    const float uv[8] = {q.texLeft, q.texTop, q.texRight, q.texTop, q.texRight, q.texBottom, q.texLeft, q.texBottom};
    std::memcpy(&texCoords_[size_t(s->slot_) * 8], uv, sizeof uv);
    coloursDirty_.Widen(s->slot_, s->slot_);
    texCoordsDirty_.Widen(s->slot_, s->slot_);
}

// The reversed list follows the draw list's changed entries.
void SpritePainter_SDL::MirrorEntries()
{
    if (forwardDirty_.first < 0)
        return;
    const int a = forwardDirty_.first, b = std::min(forwardDirty_.last, entryCount_ - 1);
    for (int i = a; i <= b; ++i)
        std::memcpy(&reversed_[size_t(capacity_ - 1 - i) * 4], &forward_[size_t(i) * 4], kEntryBytes);
    if (a <= b)
        reversedDirty_.Widen(capacity_ - 1 - b, capacity_ - 1 - a);
}

void SpritePainter_SDL::UploadRange(Range& r, size_t base, size_t unit, const void* data, unsigned target)
{
    if (r.first < 0)
        return;
    const size_t offset = size_t(r.first) * unit, length = size_t(r.last - r.first + 1) * unit;
    g_gl.BufferSubData(target, GLintptrARB(base + offset), GLsizeiptrARB(length),
                       static_cast<const uint8_t*>(data) + offset);
    r.Reset();
}

void SpritePainter_SDL::UploadDirty()
{
    const size_t n = size_t(capacity_);
    g_gl.BindBuffer(GL_ARRAY_BUFFER_ARB, vbo_);
    UploadRange(positionsDirty_, 0, kPositionBytes, positions_.data(), GL_ARRAY_BUFFER_ARB);
    UploadRange(coloursDirty_, n * kPositionBytes, kColourBytes, colours_.data(), GL_ARRAY_BUFFER_ARB);
    UploadRange(texCoordsDirty_, n * (kPositionBytes + kColourBytes), kTexCoordBytes, texCoords_.data(),
                GL_ARRAY_BUFFER_ARB);
    g_gl.BindBuffer(GL_ELEMENT_ARRAY_BUFFER_ARB, indexBuffers_[0]);
    UploadRange(forwardDirty_, 0, kEntryBytes, forward_.data(), GL_ELEMENT_ARRAY_BUFFER_ARB);
    g_gl.BindBuffer(GL_ELEMENT_ARRAY_BUFFER_ARB, indexBuffers_[1]);
    UploadRange(reversedDirty_, 0, kEntryBytes, reversed_.data(), GL_ELEMENT_ARRAY_BUFFER_ARB);
}

void SpritePainter_SDL::Draw(int, int, int, int, bool reversed)
{
    if (capacity_ == 0)
        return;
    const int count = sprites_.GetCount();
    Sprite_SDL* const* items = sprites_.GetItems();
    for (int i = 0; i < count; ++i)
        if (!items[i]->visible_ && items[i]->entry_ >= 0)
            RemoveEntry(items[i]);
    // Hidden sprites have no entry now, so the nearest earlier sprite with
    // one is the last visible one handled.
    int after = -1;
    for (int i = 0; i < count; ++i) {
        Sprite_SDL* s = items[i];
        if (!s->visible_)
            continue;
        if (s->slot_ < 0 && !TakeSlot(s))
            continue;
        if (s->appearanceDirty_) {
            WritePositions(s);
            WriteAppearance(s);
            s->appearanceDirty_ = s->geometryDirty_ = false;
        } else if (s->geometryDirty_) {
            WritePositions(s);
            s->geometryDirty_ = false;
        }
        if (s->entry_ < 0) {
            if (entryCount_ >= capacity_) {
                MakeIdle(s);
                continue;
            }
            LeaveIdle(s);
            InsertEntry(s, after + 1);
        }
        after = s->entry_;
    }
    MirrorEntries();
    UploadDirty();
    if (entryCount_ > 0) {
        const size_t n = size_t(capacity_);
        const auto at = [](size_t bytes) { return reinterpret_cast<const void*>(bytes); };
        g_gl.BindBuffer(GL_ARRAY_BUFFER_ARB, vbo_);
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(3, GL_FLOAT, 0, at(0));
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(4, GL_UNSIGNED_BYTE, 0, at(n * kPositionBytes));
        g_gl.ClientActiveTexture(GL_TEXTURE0);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, 0, at(n * (kPositionBytes + kColourBytes)));
        g_gl.BindBuffer(GL_ELEMENT_ARRAY_BUFFER_ARB, indexBuffers_[reversed ? 1 : 0]);
        const size_t first = reversed ? size_t(capacity_ - entryCount_) * kEntryBytes : 0;
        glDrawElements(GL_QUADS, 4 * entryCount_, GL_UNSIGNED_INT, at(first));
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisableClientState(GL_COLOR_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
    }
    g_gl.BindBuffer(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
    g_gl.BindBuffer(GL_ARRAY_BUFFER_ARB, 0);
}

#endif
