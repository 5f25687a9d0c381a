#pragma once

#ifndef VORNHAL_DEDICATED

#include "engine/core/List.h"
#include "engine/render/ISpritePainter.h"

#include <cstdint>
#include <functional>
#include <queue>
#include <vector>

class Sprite_SDL;

// Every sprite in one vertex buffer of slots, drawn in list order by one
// glDrawElements. Indices are 32 bits so that every slot can be addressed.
class SpritePainter_SDL : public ISpritePainter {
public:
    SpritePainter_SDL();
    ~SpritePainter_SDL() override;
    SpritePainter_SDL(const SpritePainter_SDL&) = delete;
    SpritePainter_SDL& operator=(const SpritePainter_SDL&) = delete;

    bool Init(int maxSprites) override;
    void Clear() override;
    ISprite* CreateSprite(int order) override;
    void DestroySprite(ISprite* sprite) override;
    void Draw(int x0, int y0, int x1, int y1, bool reversed) override;

    int GetSpriteCount() const { return sprites_.GetCount(); }
    Sprite_SDL* GetSprite(int i) const { return sprites_.Get(i); }
    int GetEntryCount() const { return entryCount_; }
    int GetCapacity() const { return capacity_; }
    // The four vertex indices of a draw-list entry, forward or reversed.
    const uint32_t* GetEntry(int i, bool reversed) const;

private:
    struct Range {
        int first = -1, last = -1;
        void Widen(int a, int b);
        void Reset() { first = last = -1; }
    };
    static constexpr float kFreeSlot = -999.0f;

    void RemoveEntry(Sprite_SDL* s);
    void InsertEntry(Sprite_SDL* s, int position);
    bool TakeSlot(Sprite_SDL* s);
    void ReleaseSlot(Sprite_SDL* s);
    void MakeIdle(Sprite_SDL* s);
    void LeaveIdle(Sprite_SDL* s);
    void WritePositions(const Sprite_SDL* s);
    void WriteAppearance(const Sprite_SDL* s);
    void MirrorEntries();
    void UploadDirty();
    void UploadRange(Range& r, size_t base, size_t unit, const void* data, unsigned target);

    Util::List<Sprite_SDL> sprites_;
    int capacity_ = 0;
    unsigned vbo_ = 0;
    unsigned indexBuffers_[2] = {};
    std::vector<float> positions_;
    std::vector<uint8_t> colours_;
    std::vector<float> texCoords_;
    std::vector<uint32_t> forward_;
    // Stored from the end: entry i of the draw list sits at capacity - 1 - i,
    // so an insertion touches as many entries here as in the draw list.
    std::vector<uint32_t> reversed_;
    std::vector<Sprite_SDL*> owners_;
    std::vector<Sprite_SDL*> idle_;
    std::priority_queue<int, std::vector<int>, std::greater<int>> freeSlots_;
    int entryCount_ = 0;
    Range positionsDirty_, coloursDirty_, texCoordsDirty_, forwardDirty_, reversedDirty_;
};

#endif
