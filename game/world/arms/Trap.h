#pragma once

#include "game/world/objects/Object.h"

class ITexture;

// A placed explosive: a proximity mine (placement mode 2) or a charge that
// follows its detonation mode (timer or the owner's remote key). Only the
// server decides when it goes off.
class Trap : public Object {
public:
    explicit Trap(int definitionId);
    const MPAPI::FieldRecord* GetFieldTable() override;
    void LoadProperties() override;
    void TakeBlastDamage(float blastX, float blastY, float amount, int32_t ownerId, int32_t weaponId) override;
    void Update(float dt) override;
    void Draw() override;

    void SetOwnerId(int id) { ownerId_ = id; }
    int GetOwnerId() const { return ownerId_; }
    void SetParkedKey(int key) { parkedKey_ = key; }
    int GetParkedKey() const { return parkedKey_; }
    void SetPlacementMode(int mode) { placementMode_ = mode; }
    void Trigger() { triggered_ = true; }
    bool IsArmed() const { return armed_; }
    bool IsTriggered() const { return triggered_; }
    bool IsSpent() const { return spent_; }

private:
    void BoundMembers();
    void UpdateMine(float dt);
    void Detonate();

    ITexture* image_ = nullptr;
    float visibility_ = 1.0f;
    int ownerId_ = 0;
    int parkedKey_ = 0;
    bool armed_ = false;
    float timer_ = 0.0f;
    int placementMode_ = 2;
    int detonation_ = 0;
    float detonationTime_ = 0.0f;
    int behaviour_ = 0;
    int effectRadius_ = 0;
    float effectValue_ = 0.0f;
    float damage_ = 10.0f;
    float blastRange_ = 0.0f;
    bool triggered_ = false;
    bool forced_ = false;
    // Set by a detonation that leaves the trap in place, so that it goes
    // off once and not on every later frame.
    bool spent_ = false;
};

// The remote key and the detonator's hand-over, over every trap.
void TriggerOwnedTraps(int ownerId);
bool ParkOwnedTraps(int ownerId, int key);
// Key 0 claims nothing: it is the key of every trap that is not parked.
bool ClaimParkedTraps(int newOwnerId, int key);
