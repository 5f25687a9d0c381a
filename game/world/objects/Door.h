#pragma once

#include "game/world/objects/Object.h"

class IResource;
namespace PhysEng {
class PolygonHull;
}

// A door leaf turning 90 degrees from its closed angle; a player with the
// use bit toggles it while serving. Solid while less than half open.
class Door : public Object {
public:
    static constexpr uint32_t kUseBit = 0x40;
    // 50 x this reaches across the whole view.
    static constexpr float kSunShadowSize = 32.0f;

    explicit Door(int definitionId);
    ~Door() override;
    const MPAPI::FieldRecord* GetFieldTable() override;
    void LoadProperties() override;
    void SetAngle(float degrees) override;
    void TakeHit(float damage, bool playSounds, int soundVariant, float hitX, float hitY, float direction) override;
    float GetVisibility(float x0, float y0, float x1, float y1) override;
    void Update(float dt) override;
    void Draw() override;
    void DrawShadowCaster(float, float, float) override {}
    void DrawUpperLayer(float viewX, float viewY, float size, bool asShadow) override;

    float GetClosedAngle() const { return closedAngle_; }
    float GetOpening() const { return opening_; }
    void SetOpening(float opening) { opening_ = opening; }
    bool IsClosing() const { return closing_ != 0; }
    bool IsBroken() const { return broken_ != 0; }
    bool IsSolid() const { return solid_ != 0; }

private:
    IResource* doorstep_ = nullptr;
    float closedAngle_ = -1.0f;
    float opening_ = 0.0f;
    uint8_t closing_ = 1;
    uint8_t clockwise_ = 0;
    float cooldown_ = 0.0f;
    uint8_t broken_ = 0;
    uint8_t solid_ = 1;
    // What the engine body was last told of solid_ (-1 nothing yet): it is
    // told again only when that changes.
    int engineSolid_ = -1;
    // A negative angle is a real angle too, so "known" is kept apart.
    bool closedKnown_ = false;
    PhysEng::PolygonHull* leaf_ = nullptr;
    ISprite* doorstepSprite_ = nullptr;
};
