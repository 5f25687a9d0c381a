#pragma once

#ifndef VORNHAL_DEDICATED

#include "engine/render/ISprite.h"
#include "engine/render/Quad.h"

class SpritePainter_SDL;

// One picture in a SpritePainter_SDL; the painter does the bookkeeping.
class Sprite_SDL : public ISprite {
public:
    Sprite_SDL(SpritePainter_SDL* painter, int order);

    void Set(const Quad* quad, float depth) override;
    void SetCorners(const Quad* quad) override;
    void SetParams(float a, float b, float c) override;
    void SetVisible(bool visible) override;
    bool IsVisible() override;

    const Quad& GetQuad() const { return quad_; }
    float GetDepth() const { return depth_; }
    int GetOrder() const { return order_; }
    int GetSlot() const { return slot_; }
    int GetEntry() const { return entry_; }

private:
    friend class SpritePainter_SDL;
    bool CornersDiffer(const Quad& q) const;

    SpritePainter_SDL* painter_;
    Quad quad_;
    float depth_ = 0.0f;
    float params_[3] = {};
    int order_;
    bool visible_ = false;
    bool appearanceDirty_ = false;
    bool geometryDirty_ = false;
    int slot_ = -1;
    int entry_ = -1;
    int idlePos_ = -1; // place among the sprites holding a slot without an entry
};

#endif
