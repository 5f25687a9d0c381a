#pragma once

#include "game/world/objects/Object.h"

// Where a team's players appear.
class StartPoint : public Object {
public:
    explicit StartPoint(int definitionId);
    const MPAPI::FieldRecord* GetFieldTable() override;
    void Draw() override {}
    void DrawExtra() override;
    void DrawShadowCaster(float, float, float) override {}
    void DrawUpperLayer(float, float, float, bool) override {}
    int GetTeam() const { return team_; }

private:
    int32_t team_ = 0;
};

// A random start point of the team among those in the world; null when the
// team has none.
StartPoint* PickStartPoint(int team);

// A weapon lying in the world: placed by the level (back two minutes after
// it was taken) or thrown by a player (gone when taken).
class Weapon : public Object {
public:
    static constexpr float kRespawnSeconds = 120.0f;
    static constexpr int kDetonatorType = 8;

    explicit Weapon(int definitionId);
    const MPAPI::FieldRecord* GetFieldTable() override;
    void LoadProperties() override;
    void ApplyFriction() override;
    void Update(float dt) override;
    void Draw() override;
    void DrawShadowCaster(float lightX, float lightY, float extra) override;
    void DrawUpperLayer(float viewX, float viewY, float extra, bool asShadow) override;

    bool IsTaken() const { return taken_ != 0; }
    bool IsDropped() const { return dropped_ != 0; }
    bool IsWaitingUntilClear() const { return waitUntilClear_ != 0; }
    ITexture* GetImage() const { return image_; }
    // A thrown weapon: set before LoadProperties.
    void SetThrown(int clip, int detonatorTag);

private:
    ITexture* image_ = nullptr;
    uint8_t dropped_ = 0;
    uint8_t waitUntilClear_ = 0;
    uint8_t taken_ = 0;
    float respawn_ = 0.0f;
    float visibility_ = 1.0f;
    int32_t clip_ = 0;
    int32_t detonatorTag_ = 0;
};

// A weapon thrown by a player from (x, y) facing angle.
Weapon* CreateThrownWeapon(int weaponId, float x, float y, float angle, int clip, int detonatorTag);
