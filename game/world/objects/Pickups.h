#pragma once

#include "game/world/objects/Object.h"

// Ammunition and item pick-ups: taken by the first player near their
// centre while serving, back after 70 seconds.
class PickupObject : public Object {
public:
    static constexpr float kRespawnSeconds = 70.0f;

    void LoadProperties() override;
    void Update(float dt) override;
    void Draw() override;
    void DrawShadowCaster(float, float, float) override {}
    void DrawUpperLayer(float viewX, float viewY, float extra, bool asShadow) override;

    virtual bool IsTaken() const = 0;
    float GetRespawnTimer() const { return respawn_; }
    ITexture* GetImage() const { return image_; }

protected:
    PickupObject(int kind, int definitionId) : Object(kind, definitionId) {}
    // Offers the pick-up to the player; true when taken.
    virtual bool Offer(Object* player) = 0;
    virtual void SetTaken(bool taken) = 0;

    ITexture* image_ = nullptr;
    float respawn_ = 0.0f;
    float visibility_ = 1.0f;
};

class Ammo : public PickupObject {
public:
    explicit Ammo(int definitionId) : PickupObject(15, definitionId) {}
    const MPAPI::FieldRecord* GetFieldTable() override;
    bool IsTaken() const override { return taken_ != 0; }
    void DrawUpperLayer(float viewX, float viewY, float extra, bool asShadow) override;

protected:
    bool Offer(Object* player) override;
    void SetTaken(bool taken) override { taken_ = taken ? 1 : 0; }

private:
    uint8_t taken_ = 0;
};

class Item : public PickupObject {
public:
    explicit Item(int definitionId) : PickupObject(16, definitionId) {}
    const MPAPI::FieldRecord* GetFieldTable() override;
    bool IsTaken() const override { return taken_ != 0; }

protected:
    bool Offer(Object* player) override;
    void SetTaken(bool taken) override { taken_ = taken ? 1 : 0; }

private:
    // A byte on the wire in a 32-bit slot: kept whole so no padding is sent.
    int32_t taken_ = 0;
};
