#include "engine/web/IPlayerScores.h"
#include "game/world/arms/WeaponFire.h"
#include "game/world/net/GameMessage.h"
#include "game/world/net/IMultiplayerHandler.h"
#include "game/world/objects/ObjectContacts.h"
#include "game/world/objects/StartPoint.h"
#include "game/world/player/Player.h"
#include "game/world/resources/IResource.h"
#include "game/world/resources/IResourceManager.h"
#include "game/world/resources/ParameterRecord.h"
#include "game/world/resources/WeaponTable.h"
#include "game/world/state/IGameState.h"
#include "game/world/state/WorldServices.h"

#include <algorithm>
#include <cmath>

namespace {

// A whole or real number, false when the parameter has no usable value.
bool NumberOf(IResource* item, const char16_t* name, float* out)
{
    const ParameterRecord* record = item ? item->FindItem(name) : nullptr;
    const ParameterValue* value = record ? record->Value(0) : nullptr;
    if (!value)
        return false;
    if (value->type == ParameterValue::Integer)
        *out = float(value->integer);
    else if (value->type == ParameterValue::Real)
        *out = value->real;
    else
        return false;
    return std::isfinite(*out);
}

int DetonatorTag()
{
    static int counter = 0;
    if (++counter == 0)
        ++counter;
    return counter;
}

} // namespace

bool Player::Carries(int weaponId) { return weaponId != -1 && inventory_.HasWeapon(weaponId); }

int Player::DetonatorId()
{
    for (const Inventory::WeaponEntry& entry : inventory_.GetWeapons())
        if (entry.type == 8)
            return entry.id;
    return -1;
}

void Player::ScoreAlive() { scores_->AddRoundStats(0, 0, 1); }

void Player::SelectWeapon(int weaponId)
{
    if (weaponId == -1 || Carries(weaponId))
        currentWeapon_ = weaponId;
}

bool Player::PickUpWeapon(int weaponId, int clip)
{
    const WeaponTable* table = Services().weapons;
    const WeaponDef* def = table ? table->FindWeapon(weaponId) : nullptr;
    if (!def)
        return false;
    int give = def->pickClip;
    if (def->category == 4) {
        const int carried = inventory_.CountExplosives();
        if (give + carried > 6)
            give = 6 - carried;
        if (give < 1)
            return false;
    }
    int k1 = 0, k2 = 0, k3 = 0;
    for (const Inventory::WeaponEntry& entry : inventory_.GetWeapons()) {
        k1 += entry.category == 1;
        k2 += entry.category == 2 && entry.type != 0;
        k3 += entry.category == 3;
    }
    if ((def->category == 2 && k2 >= 2) || (def->category == 3 && k3 >= 1))
        return false;
    const bool firearm = def->type < 1 || def->type > 4;
    if (firearm && def->category != 4 && Carries(weaponId)) {
        int ammo = 0, loaded = 0;
        inventory_.GetWeaponAmmo(weaponId, &ammo, &loaded);
        if (loaded != 0 || ammo != 0)
            return false;
        return inventory_.AddAmmo(weaponId, give, 0);
    }
    if (clip == -1) {
        if (!inventory_.AddAmmo(weaponId, give, 0))
            return false;
    } else {
        Inventory::WeaponEntry* entry = inventory_.FindWeapon(weaponId, true);
        if (!entry)
            return false;
        entry->clip = clip;
    }
    SendWeaponUpdate(weaponId);
    const bool firstFirearm = def->category >= 1 && def->category <= 3 && k1 + k2 + k3 == 0;
    if (firstFirearm) {
        SendToOwner(int(GameMessage::SelectWeapon), weaponId);
        IGameState* game = Services().game;
        if (IsServing() && IsLocal() && game && game->GetInventory())
            game->GetInventory()->SelectWeapon(weaponId);
    }
    return true;
}

bool Player::PickUpAmmo(int ammoDefinitionId)
{
    const WeaponTable* table = Services().weapons;
    const AmmoPickupDef* def = table ? table->FindAmmoPickup(ammoDefinitionId) : nullptr;
    if (!def || def->ammoType == -1)
        return false;
    const int maximum = table->GetPickupMaxAmmo(ammoDefinitionId);
    Inventory::AmmoEntry* stock = inventory_.FindAmmo(def->ammoType);
    if (!stock || stock->amount >= maximum)
        return false;
    stock->amount = int(std::min<long long>((long long)stock->amount + def->amount, maximum));
    IMultiplayerHandler* handler = ActiveHandler();
    if (connection_ && handler) {
        GamePacket& p = handler->Outgoing();
        GameMessages::WriteAmmoUpdate(p, uint32_t(def->ammoType), int16_t(std::clamp(stock->amount, 0, 32767)));
        p.Send(connection_);
    }
    return true;
}

bool Player::PickUpItem(int itemDefinitionId)
{
    IResourceManager* resources = Services().resources;
    IResource* item = resources ? resources->GetById(itemDefinitionId) : nullptr;
    bool taken = false;
    float add;
    if (NumberOf(item, u"health_add", &add) && health_ < 100.0f) {
        health_ = std::min(health_ + add, 100.0f);
        taken = true;
    }
    if (NumberOf(item, u"armor_add", &add) && armour_ < 100.0f) {
        armour_ = std::clamp(armour_ + add, 0.0f, 100.0f);
        if (IObjectOutput* out = Services().output)
            out->PlayNamed(u"weapons/pick_armor.ogg", x_, y_, 20.0f);
        taken = true;
    }
    return taken;
}

void Player::RemoveCarried(int weaponId)
{
    inventory_.RemoveWeapon(weaponId);
    SendToOwner(int(GameMessage::RemoveWeapon), weaponId);
    IGameState* game = Services().game;
    Inventory* own = game ? game->GetInventory() : nullptr;
    if (IsServing() && IsLocal() && own && own->GetSelectedWeapon() == weaponId)
        own->SelectWeapon(-1);
    if (currentWeapon_ == weaponId)
        currentWeapon_ = -1;
}

void Player::DropWeapon(int selector)
{
    int weaponId = -1;
    if (selector == 8) {
        weaponId = DetonatorId();
    } else if (selector == -1) {
        weaponId = currentWeapon_;
    } else {
        for (const Inventory::WeaponEntry& entry : inventory_.GetWeapons())
            if (entry.type == selector) {
                weaponId = entry.id;
                break;
            }
    }
    if (!Carries(weaponId))
        return;
    bool makePickUp = true;
    int tag = 0;
    const WeaponTable* table = Services().weapons;
    // A detonator, however it leaves the hand, carries only this player's
    // charges under a tag of its own; without any it is simply gone.
    if (table && table->GetWeaponClass(weaponId) == 8) {
        tag = DetonatorTag();
        makePickUp = RetagRemoteCharges(this, tag) > 0;
    }
    if (makePickUp) {
        int ammo = 0, clip = 0;
        inventory_.GetWeaponAmmo(weaponId, &ammo, &clip);
        CreateThrownWeapon(weaponId, x_, y_, angle_, clip, tag);
    }
    RemoveCarried(weaponId);
}

void Player::RemoveDetonator()
{
    const int detonator = DetonatorId();
    if (detonator != -1)
        RemoveCarried(detonator);
}

void Player::ReleaseHeldExplosive()
{
    if (grenadeArmed_ && currentExplosive_ != -1) {
        FireWeapon(this, currentExplosive_, 30, 0.0f);
    } else if (throwTimer_ > 0.0f) {
        FireWeapon(this, throwWeapon_, 30, 0.0f);
        throwTimer_ = 0.0f;
    }
    grenadeArmed_ = false;
}
