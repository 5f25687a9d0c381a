#pragma once

#include "game/world/objects/Object.h"

class IResource;
struct Quad;

// The common base of a level's mission item and the modes' own flags.
class MissionItem : public Object {
public:
    enum Type { None = 0, Blank = 1, Finnish = 2, Russian = 3, DroppedFinnish = 4, DroppedRussian = 5 };

    explicit MissionItem(int definitionId) : Object(21, definitionId) {}
    // The type a definition's "type" parameter gives; None without one.
    static int TypeOf(IResource* definition);
    void LoadProperties() override;
    bool IsNear(float, float, bool* far) override;
    void Update(float dt) override;
    void Draw() override;
    void DrawShadowCaster(float, float, float) override {}
    void DrawUpperLayer(float viewX, float viewY, float extra, bool asShadow) override;
    // A dropped flag that is picked up goes away (deletes itself).
    virtual void PickUp(int carrierId);
    virtual void Drop(float x, float y, bool spawn);
    virtual void DrawIndicator() {}

    bool IsCarried() const { return carried_ != 0; }
    int GetCarrierId() const { return carrierId_; }
    int GetType() const { return type_; }
    void SetType(int type) { type_ = type; }
    ITexture* CurrentImage();

protected:
    // The picture drawn for the item's own image; the modes' flags show
    // their team's instead.
    virtual void ShapeQuad(Quad* quad, ITexture* image);

    // A byte on the wire in a 32-bit slot: kept whole so no padding is sent.
    int32_t carried_ = 0;
    uint32_t word_ = 0;
    float visibility_ = 1.0f;
    int32_t type_ = None;
    int32_t carrierId_ = 0;
};

class MissionItemImpl : public MissionItem {
public:
    explicit MissionItemImpl(int definitionId) : MissionItem(definitionId) {}
    const MPAPI::FieldRecord* GetFieldTable() override;
};

// A level's item of a definition, or of a type (below 1000) with none.
MissionItem* CreateMissionItemOfType(int type, float x, float y);
