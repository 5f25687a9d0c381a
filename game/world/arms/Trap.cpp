#include "game/world/arms/Trap.h"

#include "game/world/arms/ProjectileShared.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/objects/ObjectView.h"
#include "game/world/objects/ParticleSystem.h"
#include "game/world/player/PlayerTargets.h"
#include "game/world/resources/WeaponTable.h"
#include "game/world/state/IGameState.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldQueries.h"
#include "game/world/state/WorldServices.h"

#include <cmath>

Trap::Trap(int definitionId) : Object(ObjectKind::Trap, definitionId)
{
    const WeaponDef* def = FindWeaponDef(definitionId);
    if (!def)
        return;
    detonation_ = def->detonation;
    detonationTime_ = float(def->detonationTime);
    behaviour_ = def->behaviour;
    effectRadius_ = def->behaviourRadius;
    effectValue_ = def->behaviourTime;
    damage_ = def->damage;
    blastRange_ = def->range;
}

const MPAPI::FieldRecord* Trap::GetFieldTable()
{
    static const MPAPI::FieldRecord table[] = {
        {MPAPI::kHeaderReplicated, 0, 0, 0, 0},
        {MPAPI::kFieldFloat, OffsetOf(&x_), 0, 0, 0},
        {MPAPI::kFieldFloat, OffsetOf(&y_), 0, 0, 0},
        {MPAPI::kFieldWord, OffsetOf(&angle_), 0, 0, 0},
        {MPAPI::kFieldEnd, 0, 0, 0, 0},
    };
    return table;
}

void Trap::LoadProperties()
{
    Object::LoadProperties();
    image_ = ProjectileImage(definition_);
    ObjectView::MakeSprite(&sprite_, height_);
}

void Trap::BoundMembers()
{
    x_ = Bounded(x_, -1.0e6f, 1.0e6f, 0.0f);
    y_ = Bounded(y_, -1.0e6f, 1.0e6f, 0.0f);
    angle_ = Bounded(angle_, -3600.0f, 3600.0f, 0.0f);
}

void Trap::TakeBlastDamage(float, float, float amount, int32_t, int32_t)
{
    if (health_ > 0.0f && health_ <= amount) {
        timer_ = detonationTime_;
        triggered_ = true;
        forced_ = true;
    }
}

void Trap::Update(float dt)
{
    if (!IsServing()) {
        // Replicated values are drawn here; keep them usable.
        BoundMembers();
        return;
    }
    if (spent_ || !std::isfinite(dt))
        return;
    if (placementMode_ == 2) {
        UpdateMine(dt);
        return;
    }
    if (detonation_ == 1) {
        timer_ += dt;
        if (timer_ >= detonationTime_)
            Detonate();
    } else if (detonation_ == 2 && triggered_) {
        Detonate();
    }
}

void Trap::UpdateMine(float dt)
{
    if (timer_ <= 2.0f)
        timer_ += dt;
    if (!armed_ && !forced_) {
        // Nobody at all (the placer included) may stand on it to arm it.
        if (!FindLivingPlayerNear(x_, y_, 10.0f))
            armed_ = true;
        return;
    }
    // Whoever steps on an armed mine sets it off, the placer's side too.
    if ((timer_ >= 2.0f || forced_) && (forced_ || FindLivingPlayerNear(x_, y_, 15.0f)))
        Detonate();
}

void Trap::Detonate()
{
    PlayDetonationSound(definition_, x_, y_);
    if (behaviour_ == 0) {
        BroadcastExplosion(x_, y_, 2);
        Object* owner = FindPlayerById(ownerId_);
        if (Services().renderer)
            SpawnExplosion(x_, y_, 2);
        if (IGameState* game = Services().game)
            game->ApplyBlast(x_, y_, damage_, blastRange_);
        spent_ = true;
        ApplyExplosionDamage(x_, y_, damage_, blastRange_, owner ? ownerId_ : 0, definitionId_);
        delete this;
        return;
    }
    if (behaviour_ == 1) {
        BroadcastSmoke(x_, y_, angle_);
        if (Services().renderer)
            SpawnSmoke(x_, y_, angle_, 10.0f);
        delete this;
        return;
    }
    spent_ = true;
}

namespace {

template <class F> void ForEachTrap(F f)
{
    ObjectManager* objects = Services().objects;
    if (!objects)
        return;
    objects->ForEachObject([&](Object* object) {
        if (object->GetKind() == ObjectKind::Trap)
            f(static_cast<Trap*>(object));
    });
}

} // namespace

void TriggerOwnedTraps(int ownerId)
{
    if (ownerId == 0)
        return;
    ForEachTrap([&](Trap* trap) {
        if (trap->GetOwnerId() == ownerId)
            trap->Trigger();
    });
}

bool ParkOwnedTraps(int ownerId, int key)
{
    bool any = false;
    if (ownerId == 0 || key == 0)
        return false;
    ForEachTrap([&](Trap* trap) {
        if (trap->GetOwnerId() == ownerId) {
            trap->SetOwnerId(0);
            trap->SetParkedKey(key);
            any = true;
        }
    });
    return any;
}

bool ClaimParkedTraps(int newOwnerId, int key)
{
    bool any = false;
    if (key == 0)
        return false;
    ForEachTrap([&](Trap* trap) {
        if (trap->GetParkedKey() == key) {
            trap->SetOwnerId(newOwnerId);
            trap->SetParkedKey(0);
            any = true;
        }
    });
    return any;
}
