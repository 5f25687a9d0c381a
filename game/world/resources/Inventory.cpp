#include "game/world/resources/Inventory.h"

#include "engine/core/IEngine.h"
#include "game/world/resources/WeaponTable.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

int SaturatedAdd(int a, int b)
{
    const int64_t sum = int64_t(a) + int64_t(b);
    return int(std::clamp<int64_t>(sum, INT_MIN, INT_MAX));
}

} // namespace

Inventory::Inventory(const WeaponTable* table, IEngine* engine) : table_(table), engine_(engine) {}

void Inventory::Clear()
{
    weapons_.clear();
    ammo_.clear();
    selectedWeapon_ = -1;
    selectedExplosive_ = -1;
    currentWeapon_ = -1;
    currentCategory_ = 0;
    repeatTimer_ = 0.0f;
}

// A table with more definitions than the floor lets every one be carried.
int Inventory::GetWeaponLimit() const
{
    return table_ ? std::max(kMinWeaponLimit, table_->GetWeaponCount()) : kMinWeaponLimit;
}

int Inventory::GetAmmoLimit() const
{
    return table_ ? std::max(kMinAmmoLimit, table_->GetAmmoTypeCount()) : kMinAmmoLimit;
}

const Inventory::WeaponEntry* Inventory::FindCarried(int id) const
{
    for (const WeaponEntry& entry : weapons_)
        if (entry.id == id)
            return &entry;
    return nullptr;
}

const Inventory::AmmoEntry* Inventory::FindAmmoEntry(int type) const
{
    for (const AmmoEntry& entry : ammo_)
        if (entry.ammoType == type)
            return &entry;
    return nullptr;
}

bool Inventory::HasWeapon(int id) const { return FindCarried(id) != nullptr; }

Inventory::WeaponEntry* Inventory::FindWeapon(int id, bool create)
{
    for (WeaponEntry& entry : weapons_)
        if (entry.id == id)
            return &entry;
    if (!create || GetWeaponCount() >= GetWeaponLimit())
        return nullptr;
    WeaponEntry entry;
    entry.id = id;
    if (const WeaponDef* def = table_ ? table_->FindWeapon(id) : nullptr) {
        entry.category = def->category;
        entry.type = def->type;
        entry.ammoType = def->ammoType;
    }
    weapons_.push_back(entry);
    return &weapons_.back();
}

bool Inventory::RemoveWeapon(int id)
{
    for (auto it = weapons_.begin(); it != weapons_.end(); ++it) {
        if (it->id == id) {
            weapons_.erase(it);
            return true;
        }
    }
    return false;
}

Inventory::AmmoEntry* Inventory::FindAmmo(int type)
{
    for (AmmoEntry& entry : ammo_)
        if (entry.ammoType == type)
            return &entry;
    if (GetAmmoCount() >= GetAmmoLimit())
        return nullptr;
    AmmoEntry entry;
    entry.ammoType = type;
    ammo_.push_back(entry);
    return &ammo_.back();
}

bool Inventory::SetWeapon(int id, int clip, int ammo)
{
    const bool added = !HasWeapon(id);
    WeaponEntry* weapon = FindWeapon(id, true);
    if (!weapon)
        return false;
    weapon->clip = clip;
    if (AmmoEntry* entry = FindAmmo(weapon->ammoType))
        entry->amount = ammo;
    return added;
}

int Inventory::AmmoMaximum(int type) const
{
    const AmmoTypeDef* def = table_ ? table_->FindAmmoType(type) : nullptr;
    return def ? def->maxAmmo : 0;
}

bool Inventory::AddAmmo(int weaponId, int clipAdd, int ammoAdd)
{
    WeaponEntry* weapon = FindWeapon(weaponId, true);
    if (!weapon)
        return false;
    weapon->clip = SaturatedAdd(weapon->clip, clipAdd);
    const int clipSize = table_ ? table_->GetClipSize(weaponId) : 0;
    if (weapon->clip > clipSize) {
        ammoAdd = SaturatedAdd(ammoAdd, int(std::min<int64_t>(int64_t(weapon->clip) - clipSize, INT_MAX)));
        weapon->clip = clipSize;
    }
    if (AmmoEntry* entry = FindAmmo(weapon->ammoType))
        entry->amount = std::min(SaturatedAdd(entry->amount, ammoAdd), AmmoMaximum(weapon->ammoType));
    return true;
}

bool Inventory::GetWeaponAmmo(int id, int* ammo, int* clip) const
{
    if (ammo)
        *ammo = 0;
    if (clip)
        *clip = 0;
    const WeaponEntry* weapon = FindCarried(id);
    if (!weapon)
        return false;
    if (clip)
        *clip = weapon->clip;
    const AmmoEntry* entry = FindAmmoEntry(weapon->ammoType);
    if (ammo && entry)
        *ammo = entry->amount;
    return true;
}

int Inventory::CountExplosives()
{
    int seen[kMaxExplosiveTypes];
    int seenCount = 0;
    int total = 0;
    for (const WeaponEntry& weapon : weapons_) {
        if (weapon.category != 4)
            continue;
        total = SaturatedAdd(total, weapon.clip);
        if (std::find(seen, seen + seenCount, weapon.ammoType) != seen + seenCount)
            continue;
        if (seenCount >= kMaxExplosiveTypes)
            continue;
        seen[seenCount++] = weapon.ammoType;
        if (AmmoEntry* entry = FindAmmo(weapon.ammoType))
            total = SaturatedAdd(total, entry->amount);
    }
    return total;
}

bool Inventory::RepeatElapsed()
{
    repeatTimer_ -= engine_ ? engine_->GetFrameTime1() : 0.0f;
    if (repeatTimer_ > 0.0f)
        return false;
    repeatTimer_ = kRepeatTime;
    return true;
}

int Inventory::CycleWeapon(int category)
{
    if (category != 0 && category != currentCategory_) {
        currentWeapon_ = -1;
        repeatTimer_ = 0.0f;
        currentCategory_ = category;
    }
    if (!RepeatElapsed())
        return currentWeapon_;
    auto matches = [category](const WeaponEntry& entry) {
        return category == 0 ? entry.category != 4 : entry.category == category;
    };
    const WeaponEntry* first = nullptr;
    const WeaponEntry* next = nullptr;
    bool afterCurrent = false;
    for (const WeaponEntry& entry : weapons_) {
        if (!matches(entry))
            continue;
        if (!first)
            first = &entry;
        if (afterCurrent) {
            next = &entry;
            break;
        }
        if (currentWeapon_ != -1 && entry.id == currentWeapon_)
            afterCurrent = true;
    }
    if (!next)
        next = first;
    currentWeapon_ = next ? next->id : -1;
    return currentWeapon_;
}

int Inventory::CyclePrevious()
{
    if (!RepeatElapsed())
        return currentWeapon_;
    const WeaponEntry* previous = nullptr;
    const WeaponEntry* last = nullptr;
    bool found = false;
    for (const WeaponEntry& entry : weapons_) {
        if (entry.category == 4)
            continue;
        if (!found && currentWeapon_ != -1 && entry.id == currentWeapon_) {
            found = true;
            previous = last;
        }
        last = &entry;
    }
    const WeaponEntry* chosen = (found && previous) ? previous : last;
    currentWeapon_ = chosen ? chosen->id : -1;
    return currentWeapon_;
}

int Inventory::FindUsableWeapon() const
{
    int usable = -1;
    for (const WeaponEntry& weapon : weapons_) {
        if (weapon.type == 8)
            continue;
        const AmmoEntry* entry = FindAmmoEntry(weapon.ammoType);
        if (weapon.clip > 0 || (entry && entry->amount > 0))
            usable = weapon.id;
    }
    return usable;
}

void Inventory::SetCurrentWeapon(int id)
{
    if (const WeaponEntry* weapon = FindCarried(id)) {
        currentWeapon_ = id;
        currentCategory_ = weapon->category;
    }
}

void Inventory::CancelCycle()
{
    repeatTimer_ = 0.0f;
    currentWeapon_ = -1;
    currentCategory_ = 0;
}

void Inventory::SelectWeapon(int id)
{
    if (id != -1) {
        const int category = table_ ? table_->GetWeaponCategory(id) : 0;
        if (category != 4)
            lastSelectedCategory_ = category;
    }
    const WeaponEntry* weapon = id != -1 ? FindCarried(id) : nullptr;
    if (weapon && weapon->category == 4)
        selectedExplosive_ = id;
    else if (weapon)
        selectedWeapon_ = id;
    else
        selectedWeapon_ = -1;
}

int Inventory::CycleWeaponClass(int category)
{
    if (category != 4 && selectedWeapon_ != -1)
        SetCurrentWeapon(selectedWeapon_);
    return CycleWeapon(category);
}

int Inventory::CycleExplosive()
{
    if (selectedWeapon_ != -1)
        SetCurrentWeapon(selectedWeapon_);
    return CyclePrevious();
}
