#pragma once

#include "engine/core/List.h"

#include <string>

class IGameState;
class IAudioBuffer;
class IResource;
class IResourceManager;
class ITexture;
struct ParameterValue;

struct AmmoTypeDef {
    int id = -1;
    int maxAmmo = 0;
};

struct AmmoPickupDef {
    int id = -1;
    int amount = 0;
    int ammoType = -1;
};

struct WeaponDef {
    int id = -1;
    int type = 0;
    int category = 0;
    int ammoType = -1;
    int clip = 0;
    int pickClip = 0;
    int shots = 1;
    int clipChange = 0;     // milliseconds
    int clipChangeMode = 0; // 0 once, 1 parts
    float damage = 0.0f;
    float dispersion[5] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    int behaviour = 0;          // 0 explode, 1 smoke, 2 light, 3 fire
    int behaviourRadius = 0;    // pixels
    float behaviourTime = 0.0f; // seconds
    int detonation = 0;         // 0 hit, 1 time, 2 click
    int detonationTime = 0;     // whole seconds
    float range = 0.0f;         // pixels
    int shotInterval = 0;       // milliseconds
    int speed = 0;
    int effect = 0; // 0 none, 1 smoke (the missile draws a smoke trail)
    bool addOnSpawn = false;
    std::u16string pickMessage; // only with hasPickMessage
    bool hasPickMessage = false;
    std::u16string displayName;
    bool hasDisplayName = false;
    bool exploding = false;
    ITexture* slotImage = nullptr;
    ITexture* characterImage = nullptr;
    int characterRow = 0;
    bool hasProjectile = false;
    // Sample sets of the block's linked sounds (the sound resources).
    IResource* shotSound = nullptr;
    IResource* reloadSound = nullptr;
    IResource* reloadPartsSound = nullptr;
    IResource* shellSound = nullptr;
};

// The game numbers of weapons, ammunition types and pick-ups, read once from
// the parameters of the script blocks after the scripts are loaded.
class WeaponTable {
public:
    WeaponTable(IGameState* owner, IResourceManager* manager);
    ~WeaponTable();
    WeaponTable(const WeaponTable&) = delete;
    WeaponTable& operator=(const WeaponTable&) = delete;

    // The builders of IResourceManager::ApplyItemDefinitions: one record
    // per block, appended in the manager's order.
    void AddAmmoType(IResource* block);
    void AddAmmoPickup(IResource* block);
    void AddWeapon(IResource* block);

    int GetAmmoTypeCount() const { return ammoTypes_.GetCount(); }
    const AmmoTypeDef* GetAmmoTypeAt(int i) const { return ammoTypes_.Get(i); }
    int GetAmmoPickupCount() const { return ammoPickups_.GetCount(); }
    const AmmoPickupDef* GetAmmoPickupAt(int i) const { return ammoPickups_.Get(i); }
    int GetWeaponCount() const { return weapons_.GetCount(); }
    const WeaponDef* GetWeaponAt(int i) const { return weapons_.Get(i); }

    // Look-ups by definition id; null, 0 (1.0 s for the clip change) when
    // the id is not listed.
    const WeaponDef* FindWeapon(int id) const;
    const AmmoTypeDef* FindAmmoType(int id) const;
    const AmmoPickupDef* FindAmmoPickup(int id) const;
    int GetWeaponClass(int id) const;
    int GetWeaponCategory(int id) const;
    int GetClipSize(int id) const;
    float GetClipChangeTime(int id) const;
    int GetPickupMaxAmmo(int pickupId) const;

    IGameState* GetOwner() const { return owner_; }

private:
    // The id of the first ammunition type (class 3) of the quoted name; -1
    // for anything else.
    int ResolveAmmoName(const ParameterValue* value) const;

    IGameState* owner_;
    IResourceManager* manager_;
    Util::List<AmmoTypeDef> ammoTypes_;
    Util::List<AmmoPickupDef> ammoPickups_;
    Util::List<WeaponDef> weapons_;
};
