// The scene step's weapon choice: keeping a usable weapon in hand, the
// weapon keys and the mouse wheel.
#include "game/shell/client/SceneStep.h"

#include "engine/render/IInput.h"
#include "game/world/resources/Inventory.h"
#include "game/world/resources/WeaponTable.h"
#include "game/world/state/WorldServices.h"

namespace {

// A detonator is never switched away from.
constexpr int kDetonatorType = 8;
constexpr int kMaxWheelCycles = 100;

bool HasRounds(const Inventory& inventory, int id)
{
    int ammo = 0, clip = 0;
    return inventory.GetWeaponAmmo(id, &ammo, &clip) && (ammo > 0 || clip > 0);
}

} // namespace

void SceneStep::SelectUsableWeapon()
{
    const int usable = inventory_->FindUsableWeapon();
    if (usable == -1)
        return;
    inventory_->SelectWeapon(usable);
    // The trigger still held must not fire the weapon just taken.
    if (Down(GameAction::Shoot))
        scene_.fireLatch = true;
}

void SceneStep::WeaponUpkeep()
{
    if (!inventory_)
        return;
    const WeaponTable* table = Services().weapons;
    if (inventory_->GetCurrentWeapon() == -1) {
        const int selected = inventory_->GetSelectedWeapon();
        const int type = table && selected != -1 ? table->GetWeaponClass(selected) : 0;
        if (type == kDetonatorType || HasRounds(*inventory_, selected))
            return;
        // Spent weapons that are used up go from the hand and the pack.
        if (selected != -1 && (type == 2 || type == 3)) {
            inventory_->RemoveWeapon(selected);
            inventory_->SelectWeapon(-1);
        }
        SelectUsableWeapon();
        return;
    }
    if ((Down(GameAction::Shoot) || Down(GameAction::ThrowGrenade)) && !scene_.fireLatch)
        inventory_->CancelCycle();
    else if (!inventory_->HasWeapon(inventory_->GetCurrentWeapon()))
        SelectUsableWeapon();
}

void SceneStep::WeaponKeys()
{
    if (!inventory_)
        return;
    Inventory& inventory = *inventory_;
    const int selected = inventory.GetSelectedWeapon();
    if (Down(GameAction::SelectExplosive)) {
        if (inventory.GetCurrentWeapon() != selected)
            inventory.SetCurrentWeapon(selected);
        inventory.CycleWeapon(1);
    } else if (Down(GameAction::SelectSmall)) {
        inventory.CycleWeaponClass(2);
    } else if (Down(GameAction::SelectMain)) {
        inventory.CycleWeaponClass(3);
    } else if (Down(GameAction::SelectGrenade)) {
        const int explosive = inventory.GetSelectedExplosive();
        if (inventory.GetCurrentWeapon() != explosive)
            inventory.SetCurrentWeapon(explosive);
        inventory.CycleWeapon(4);
    } else {
        CycleWithWheel();
    }
    if (inventory.GetCurrentWeapon() != -1)
        inventory.SelectWeapon(inventory.GetCurrentWeapon());
}

void SceneStep::CycleWithWheel()
{
    Inventory& inventory = *inventory_;
    const float wheel = input_->TakeWheelDelta();
    if (wheel == 0.0f) {
        inventory.ResetRepeatTimer();
        return;
    }
    // On until a weapon with rounds is in hand; the repeat delay may hold
    // the cycle where it is.
    for (int i = 0; i < kMaxWheelCycles; ++i) {
        const int pending = wheel > 0.0f ? inventory.CycleWeaponClass(0) : inventory.CycleExplosive();
        if (pending != -1)
            inventory.SelectWeapon(pending);
        if (HasRounds(inventory, inventory.GetSelectedWeapon()))
            break;
    }
}
