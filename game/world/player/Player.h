#pragma once

#include "engine/core/List.h"
#include "game/world/objects/Object.h"
#include "game/world/objects/SoundSystem.h"
#include "game/world/resources/Inventory.h"

#include <cstdint>

class IPlayerScores;
class ISprite;
class Light;
class MissionItem;
class IResource;
class Vehicle;
struct WeaponDef;
namespace MPAPI {
class IConnection;
}

// The input bits a controlling client sends in its client state.
namespace PlayerInputFlags {
constexpr uint32_t Left = 0x1;
constexpr uint32_t Right = 0x2;
constexpr uint32_t Up = 0x4;
constexpr uint32_t Down = 0x8;
constexpr uint32_t Shoot = 0x10;
constexpr uint32_t Crouch = 0x20;
constexpr uint32_t Use = 0x40;
constexpr uint32_t Reload = 0x80;
constexpr uint32_t Throw = 0x100;
constexpr uint32_t Sprint = 0x200;
constexpr uint32_t Remote = 0x400;
constexpr uint32_t Drop = 0x800;
constexpr uint32_t Light = 0x1000;
constexpr uint32_t Aiming = 0x2000;
constexpr uint32_t Pick = 0x4000;
constexpr uint32_t Respawn = 0x8000;
constexpr uint32_t LookAround = 0x10000;
constexpr uint32_t Movement = 0xF;
} // namespace PlayerInputFlags

// One participant of a match. The server's copy is authoritative; clients
// hold replicated copies and predict the movement of their own.
class Player : public Object {
public:
    enum StateBits : uint16_t {
        Firing = 0x2,
        Crouching = 0x4,
        FlashlightOn = 0x8,
        InVehicle = 0x10,
        LookingAround = 0x20,
        RelativeMoving = 0x40,
    };
    static constexpr int kNoTeam = -1;
    static constexpr float kWalkSpeed = 140.0f;
    static constexpr float kSprintSpeed = 210.0f;
    static constexpr float kCrouchFactor = 0.8f;
    static constexpr float kRespawnDelay = 5.0f;
    // A point sweep slips past box corners; the player is a small circle.
    static constexpr float kBodyRadius = 8.0f;

    Player();
    ~Player() override;

    const MPAPI::FieldRecord* GetFieldTable() override;
    void LoadProperties() override;
    void SetPosition(float x, float y) override;
    void SetInputState(uint32_t flags, float value, int weapon, int explosive, float charge) override;
    void SetNetPosition(float x, float y, float dx, float dy) override;
    bool IsAlive() override { return health_ > 0.0f && team_ >= 0; }
    void Update(float dt) override;
    void ServerUpdate(float dt) override { ClientUpdate(dt); }
    void ClientUpdate(float dt);

    // Drawing, on clients only.
    void Draw() override;
    // Name, health and rank while the mouse pointer is over the player.
    void DrawNameTag();
    void DrawShadowCaster(float lightX, float lightY, float extra) override;
    void DrawUpperLayer(float viewX, float viewY, float extra, bool asShadow) override;
    // How well the local viewer sees this player, 0..1, as last drawn.
    float GetViewerVisibility() const { return visibility_; }

    void SetJoinFlag(int value);
    void ResetForSpawn();
    void GiveAllAmmo();
    void TakeBulletDamage(float damage, float direction, Object* attacker, float hitX, float hitY, bool headShot,
                          int weaponId);
    void TakeBlastDamage(float blastX, float blastY, float amount, int32_t ownerId, int32_t weaponId) override;
    void TakeBlastDamageFrom(float blastX, float blastY, float amount, Object* attacker, int weaponId);
    void TakeDrowningDamage(float dt);

    // Movement.
    void GetMoveVector(float* vx, float* vy);
    void ApplyMove(float vx, float vy, float dt, bool record);
    void AnimateWalk(float dx, float dy);
    bool IsStrafeStep(float dx, float dy, float* sign);
    // Moves by the displacement against walls and bodies, sliding along
    // them; the displacement made comes back.
    void Sweep(float* dx, float* dy);

    // Firing, as the weapon-firing operation uses the player.
    float GetDispersion();
    void AddDispersion(float amount, float cap);
    void SetDispersion(float crouchValue, float standValue, float movingValue);
    bool CanFire(int* shots, int weaponId);
    void SpendAmmo(int shots, int weaponId);
    // The three sound holders; each replays its source (serving only).
    void PlayShotSound(const WeaponDef& weapon);
    void PlayReloadSound(const WeaponDef& weapon);
    void PlayHitSound(IResource* sound, float x, float y);

    // Inventory and pick-ups.
    bool PickUpWeapon(int weaponId, int clip);
    bool PickUpAmmo(int ammoDefinitionId);
    bool PickUpItem(int itemDefinitionId);
    void DropWeapon(int selector);
    void RemoveDetonator();
    void ReleaseHeldExplosive();
    // Death: drops what is carried, leaves a corpse (or gibs) unless in
    // water, tells the game mode. Serving only; health still holds the blow.
    void Kill(Object* attacker, bool headShot, int weaponId, bool blast, float blastX = 0.0f, float blastY = 0.0f,
              float force = -1.0f);
    void SwitchOffLight() { stateFlags_ &= uint16_t(~FlashlightOn); }

    // Mission items carried (the world owns them).
    bool TakeMissionItem(MissionItem* item);
    void RemoveMissionItem(MissionItem* item);
    bool HasMissionItemOfType(int type);
    bool RemoveMissionItemOfType(int type);
    // spawn: a dropped team flag leaves its dropped marker (serving only).
    void DropMissionItems(bool spawn);
    int GetMissionItemCount() const { return missionItems_.GetCount(); }
    MissionItem* GetMissionItem(int i) const { return missionItems_.Get(i); }

    Vehicle* GetVehicle() const { return vehicle_; }
    void SetVehicle(Vehicle* vehicle) { vehicle_ = vehicle; }
    void SelectWeapon(int weaponId);

    MPAPI::IConnection* GetConnection() const { return connection_; }
    void SetConnection(MPAPI::IConnection* connection) { connection_ = connection; }
    IPlayerScores* GetScores() const { return scores_; }
    void SetScores(IPlayerScores* scores) { scores_ = scores; }
    int GetTeam() const { return team_; }
    void SetTeam(int team) { team_ = team == 0 || team == 7 ? team : kNoTeam; }
    uint32_t GetInputFlags() const { return inputFlags_; }
    uint16_t GetStateFlags() const { return stateFlags_; }
    float GetArmour() const { return armour_; }
    void SetArmour(float armour);
    float GetBreath() const { return breath_; }
    float GetDeathTimer() const { return deathTimer_; }
    float GetFireCooldown() const { return fireCooldown_; }
    void SetFireCooldown(float seconds) { fireCooldown_ = seconds; }
    float GetReloadTimer() const { return reloadTimer_; }
    float GetDispersionValue() const { return dispersion_; }
    float GetDispersionFactor() const { return dispersionFactor_; }
    float GetWalkPhase() const { return walkPhase_; }
    bool IsStrafing() const { return strafing_; }
    void GetVelocity(float* vx, float* vy) const { *vx = velocityX_, *vy = velocityY_; }
    void GetAim(float* x, float* y) const { *x = aimX_, *y = aimY_; }
    int GetCurrentWeapon() const { return currentWeapon_; }
    int GetCurrentExplosive() const { return currentExplosive_; }
    void SetCurrentExplosive(int id) { currentExplosive_ = id; }
    Inventory& GetInventory() { return inventory_; }
    int16_t GetFrags() const { return frags_; }
    uint16_t GetDeaths() const { return deaths_; }
    void AddFrags(int n) { frags_ = int16_t(frags_ + n); }
    void AddDeath() { deaths_ = uint16_t(deaths_ + 1); }
    int16_t GetCaptures() const { return captures_; }
    void AddCapture() { captures_ = int16_t(captures_ + 1); }
    int GetRank() const { return rank_; }
    bool IsLocal();
    bool IsCrouching() const { return (stateFlags_ & Crouching) != 0; }
    // The server's answer to a throw request.
    void RequestThrow(int power);
    void StartMuzzleFlash();
    void ClearGrenadeArmed() { grenadeArmed_ = false; }
    bool IsGrenadeArmed() const { return grenadeArmed_; }
    int GetMuzzleFlashFrame() const { return muzzleFlashFrame_; }

private:
    // The steps of Update: on every machine, the player's breath; on the
    // machine that plays it, its own moves (a client predicts them); on
    // the serving machine, the rules.
    void Breathe(float dt);
    void MoveOwnPlayer(float dt, bool serving);
    void ApplyServerRules(float dt);
    void ScoreTicks(float dt);
    void CountAliveTime(float dt);
    // Drop, remote detonation, crouch and flashlight, each on its key.
    void ApplyActionKeys();
    void UpdateThrow(float dt);
    void ReadClientState();
    void UpdateDead(float dt);
    void UpdateClipChange(float dt);
    void UpdateShooting();
    void UpdateDispersion(float dt);
    // Water of factor 0.6 or less under a crouching player.
    bool IsUnderWater();
    bool GetWater(float* factor);
    void ApplyArmour(float damage, float share);
    void SendWeaponUpdate(int weaponId);
    void SendToOwner(int type, int32_t value);
    bool Carries(int weaponId);
    // Out of the inventory, the owner told, the hand emptied.
    void RemoveCarried(int weaponId);
    int DetonatorId();
    void ScoreAlive();
    void MakeDrawing();
    void FreeDrawing();
    float ComputeVisibility();
    void PlaceFlashlight(bool on);
    int CarriedFlagType();

    MPAPI::IConnection* connection_ = nullptr;
    SoundSourcePtr shotSound_, reloadSound_, hitSound_;
    uint32_t inputFlags_ = 0;
    float aimX_ = 0.0f, aimY_ = 0.0f;
    float visibility_ = 1.0f;
    float previousAngle_ = 0.0f;
    float velocityX_ = 0.0f, velocityY_ = 0.0f;
    float lastMoveX_ = 0.0f, lastMoveY_ = 0.0f;
    bool positionCorrection_ = false;
    int32_t team_ = kNoTeam;
    int16_t frags_ = 0;
    uint16_t deaths_ = 0;
    uint8_t rank_ = 0;
    int16_t captures_ = 0;
    float presenceTimer_ = 0.0f;
    float aliveTimer_ = 0.0f;
    uint16_t stateFlags_ = 0;
    float walkPhase_ = 0.0f;
    bool strafing_ = false;
    float armour_ = 0.0f;
    float breath_ = 100.0f;
    float drowningTimer_ = 0.0f;
    float fireCooldown_ = 0.0f;
    int32_t muzzleFlashFrame_ = -1;
    float muzzleFlashTimer_ = 0.0f;
    float deathTimer_ = 0.0f;
    int32_t currentWeapon_ = -1;
    int32_t currentExplosive_ = -1;
    Inventory inventory_;
    float reloadTimer_ = 0.0f;
    bool reloadRequested_ = false;
    int32_t reloadingWeapon_ = -1;
    bool dropLatch_ = false, lightLatch_ = false, grenadeArmed_ = false, dryFireLatch_ = false;
    float throwTimer_ = 0.0f;
    int32_t throwPower_ = 0;
    int32_t throwWeapon_ = 0;
    Vehicle* vehicle_ = nullptr;
    Util::List<MissionItem> missionItems_;
    float dispersion_ = 0.0f;
    float dispersionFactor_ = 1.0f;
    IPlayerScores* scores_ = nullptr;
    Light* flashlight_ = nullptr;
    ISprite* weaponSprite_ = nullptr;
    ISprite* legsSprite_ = nullptr;
    ISprite* flashSprite_ = nullptr;
    ISprite* flagSprite_ = nullptr;
};

// The facing from (x1, y1) toward (x2, y2), in degrees; 0 is up the screen.
float AngleBetweenPoints(float x1, float y1, float x2, float y2);

// A new player on the server, registered and handed to the handler.
Player* CreatePlayer();
// The player's insignia, cell n = its rank of its team's icon sheet,
// moved by (dx, dy); nothing for an id that names no player. The client's.
void DrawPlayerIcon(int networkId, int dx, int dy);
