#include "Fighter.h"

#include "game/world/map/World.h"
#include "game/world/modes/MissionItemFlag.h"
#include "game/world/objects/MissionItem.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/objects/StartPoint.h"
#include "game/world/phys/HitObjects.h"
#include "game/world/phys/IntersectionPacket.h"
#include "game/world/phys/Object.h"
#include "game/world/phys/PhysicsEngine.h"
#include "game/world/resources/BlockResource.h"
#include "game/world/resources/Inventory.h"
#include "game/world/resources/WeaponTable.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kTile = float(kTileSize);
// Close enough to shoot at, and where a chase stops to do so.
constexpr float kFiringRange = 400.0f;
constexpr float kStandOff = 120.0f;
constexpr float kPointBlank = 48.0f;
// A grenade goes off 3 s after the throw; a mine can go off 2 s after it
// was laid.
constexpr float kFuse = 3.5f;
constexpr float kMineDelay = 2.2f;

float Distance(float ax, float ay, float bx, float by) { return std::hypot(bx - ax, by - ay); }

// Where to stand to touch an object lying about: the middle of a picture
// of 32 pixels, within reach of the middle of any up to twice that.
void ReachPoint(Object* object, float* x, float* y)
{
    *x = object->GetX() + 16.0f;
    *y = object->GetY() + 16.0f;
}

// The level's mission items as this client knows them; it is told of every
// one.
template <class F> void ForEachMissionItem(F f)
{
    if (ObjectManager* objects = Services().objects)
        objects->ForEachObject([&](Object* object) {
            if (object->GetKind() == ObjectKind::MissionItem)
                if (MissionItem* item = dynamic_cast<MissionItem*>(object))
                    f(item);
        });
}

// Nothing but the target stops a shot from the own body at it: shots into a
// wall waste the clip, and a grenade thrown at one comes back.
bool InLineOfFire(Player* own, Player* target)
{
    PhysEng::PhysicsEngine* physics = Services().physics;
    if (!physics)
        return false;
    HitObjects passed;
    passed.Add(own, 0.0f);
    PhysEng::IntersectionPacket* packet = physics->NewPacket();
    if (!physics->IntersectSegment(&passed, own->GetX(), own->GetY(), target->GetX(), target->GetY(), packet, own))
        return true;
    return packet->hitBody && packet->hitBody->GetOwner() == target;
}

} // namespace

void Fighter::Steer(TestGame::HeadlessClient& client, float dt)
{
    clock_ += dt;
    Player* own = client.Handler().GetOwnPlayer();
    if (!own) {
        client.Hold(0, 0.0f, 0.0f, -1);
        return;
    }
    Orders o;
    o.aimX = own->GetX(), o.aimY = own->GetY() - 100.0f;
    if (!own->IsAlive()) {
        wasAlive_ = false, laid_ = false, fleeing_ = false;
        // The respawn key is a press: held every other frame.
        respawnPress_ = !respawnPress_;
        client.Hold(respawnPress_ ? PlayerInputFlags::Respawn : 0, o.aimX, o.aimY, -1);
        return;
    }
    if (!wasAlive_)
        homeTouched_ = false, wasAlive_ = true;
    if (role_ == Role::Chase)
        Chase(own, dt, &o);
    else if (client.Game().Game().GetLevelGameMode() == 1)
        CaptureFlag(own, dt, &o);
    else if (client.Game().Game().GetLevelGameMode() == 2)
        HoldHill(own, dt, &o);
    else
        Deathmatch(client, own, dt, &o);
    if (walker_.WantsUse())
        o.flags |= PlayerInputFlags::Use;
    heldFor_ = o.explosive == heldExplosive_ ? heldFor_ + dt : 0.0f;
    heldExplosive_ = o.explosive;
    client.Hold(o.flags, o.aimX, o.aimY, o.weapon, o.explosive);
    if (o.throwPower >= 0)
        client.Throw(o.throwPower);
}

std::string Fighter::Describe() const
{
    return "goal " + std::to_string(int(goalX_)) + " " + std::to_string(int(goalY_)) + " stage " +
           std::to_string(stage_) + (laid_ ? " laid" : "") + (fleeing_ ? " fleeing" : "");
}

void Fighter::GoTo(Player* own, float x, float y, float dt, bool exact, bool sprint, Orders* o)
{
    goalX_ = x, goalY_ = y;
    o->flags |= walker_.Towards(own, x, y, dt, exact);
    if (sprint)
        o->flags |= PlayerInputFlags::Sprint;
}

void Fighter::Patrol(Player* own, float dt, Orders* o)
{
    // Back and forth between the own start and its mirror image across the
    // map, where the other side starts.
    if (!patrolSet_) {
        homeX_ = own->GetX(), homeY_ = own->GetY(), patrolSet_ = true;
        World* world = Services().world;
        awayX_ = world ? float(world->GetWidth()) * kTile - homeX_ : homeX_;
        awayY_ = homeY_;
        Walker::NearestOpen(&awayX_, &awayY_);
    }
    const float gx = outbound_ ? awayX_ : homeX_, gy = outbound_ ? awayY_ : homeY_;
    if (Distance(own->GetX(), own->GetY(), gx, gy) < kStandOff)
        outbound_ = !outbound_;
    GoTo(own, gx, gy, dt, false, false, o);
}

void Fighter::Seek(Player* own, float dt, Orders* o)
{
    // A stale enemy's place is the last the server told; a dead one comes
    // back at its side's start.
    bool lastKnown = false, start = false;
    float lx = 0.0f, ly = 0.0f, sx = 0.0f, sy = 0.0f, best = 0.0f;
    if (ObjectManager* objects = Services().objects) {
        for (Object* object : objects->Players()) {
            Player* p = static_cast<Player*>(object);
            const float d = p ? Distance(own->GetX(), own->GetY(), p->GetX(), p->GetY()) : 0.0f;
            if (p && p != own && p->IsAlive() && p->GetTeam() != own->GetTeam() && (!lastKnown || d < best))
                lx = p->GetX(), ly = p->GetY(), best = d, lastKnown = true;
        }
        objects->ForEachObject([&](Object* object) {
            StartPoint* point = dynamic_cast<StartPoint*>(object);
            if (!start && point && point->GetTeam() != own->GetTeam())
                sx = point->GetX(), sy = point->GetY(), start = true;
        });
    }
    if (!lastKnown && !start) {
        Patrol(own, dt, o);
        return;
    }
    if (!lastKnown || (seekStart_ && start))
        lx = sx, ly = sy;
    Walker::NearestOpen(&lx, &ly);
    if (Distance(own->GetX(), own->GetY(), lx, ly) < kStandOff && lastKnown && start)
        seekStart_ = !seekStart_;
    o->aimX = lx, o->aimY = ly;
    GoTo(own, lx, ly, dt, false, false, o);
}

void Fighter::Engage(TestGame::HeadlessClient& client, Player* own, Player* target, float dt, bool fire, Orders* o)
{
    const float d = Distance(own->GetX(), own->GetY(), target->GetX(), target->GetY());
    o->aimX = target->GetX(), o->aimY = target->GetY();
    // Round the wall between, when near but out of sight; a shot from
    // within the target's body misses it.
    const bool seen = InLineOfFire(own, target);
    if (d < kPointBlank)
        StepBack(own, target->GetX(), target->GetY(), dt, o);
    else if (d > kStandOff || !seen)
        GoTo(own, target->GetX(), target->GetY(), dt, false, false, o);
    int weapon = -1, clip = 0;
    ChooseWeapon(client, &weapon, &clip);
    o->weapon = weapon;
    ++trigger_;
    if (fire && weapon >= 0 && clip > 0 && d < kFiringRange && trigger_ % 4 != 0 && seen)
        o->flags |= PlayerInputFlags::Shoot;
    if (weapon >= 0 && clip == 0 && trigger_ % 30 == 0)
        o->flags |= PlayerInputFlags::Reload;
}

void Fighter::StepBack(Player* own, float fromX, float fromY, float dt, Orders* o)
{
    const float dx = own->GetX() - fromX, dy = own->GetY() - fromY;
    const float d = std::max(std::hypot(dx, dy), 1.0f);
    float bx = own->GetX() + dx / d * 160.0f, by = own->GetY() + dy / d * 160.0f;
    Walker::NearestOpen(&bx, &by);
    GoTo(own, bx, by, dt, false, true, o);
    o->aimX = fromX, o->aimY = fromY;
}

void Fighter::Chase(Player* own, float dt, Orders* o)
{
    Player* target = Nearest(own);
    if (!target) {
        Seek(own, dt, o);
        return;
    }
    o->aimX = target->GetX(), o->aimY = target->GetY();
    if (Distance(own->GetX(), own->GetY(), target->GetX(), target->GetY()) > kStandOff)
        GoTo(own, target->GetX(), target->GetY(), dt, false, false, o);
}

void Fighter::Deathmatch(TestGame::HeadlessClient& client, Player* own, float dt, Orders* o)
{
    const int frags = client.Handler().GetPlayerFrags(client.Handler().GetLocalPlayerId());
    if (frags > frags_) {
        stage_ = stage_ < 3 ? stage_ + 1 : 3;
        laid_ = fleeing_ = false;
    }
    frags_ = frags;
    Player* target = Nearest(own);
    if (clock_ - lastThrow_ < kFuse) {
        // Still until the own grenade goes off: a chaser stays by it, and
        // no way taken meanwhile leads over it.
        if (target)
            o->aimX = target->GetX(), o->aimY = target->GetY();
        return;
    }
    const bool close = target && Distance(own->GetX(), own->GetY(), target->GetX(), target->GetY()) < kFiringRange;
    const int grenade = Explosive(client, 1, false), mine = Explosive(client, 2, false);
    // Armed before the fight: a mine for the third kill, and grenades for
    // the second when they are gone.
    if (stage_ <= 2 && mine < 0 && (!close || stage_ == 2) && Fetch(own, 2, stage_ == 2, dt, o))
        return;
    if (stage_ == 1 && grenade < 0 && Fetch(own, 1, true, dt, o))
        return;
    if (!target) {
        Seek(own, dt, o);
        return;
    }
    if (stage_ == 1 && grenade >= 0) {
        // Wounded by bullets, finished by the grenade, thrown from out of
        // its blast.
        o->explosive = grenade;
        const float dx = own->GetX() - target->GetX(), dy = own->GetY() - target->GetY();
        const float d = std::hypot(dx, dy);
        if (d < 90.0f) {
            StepBack(own, target->GetX(), target->GetY(), dt, o);
            return;
        }
        Engage(client, own, target, dt, target->GetHealth() > 60.0f, o);
        ThrowGrenade(client, own, target, grenade, o);
        return;
    }
    if (stage_ == 2 && mine >= 0) {
        LureOnto(own, target, mine, dt, o);
        return;
    }
    // Without the explosive of its stage, bullets only wound: a frag by
    // them would pass the stage by.
    Engage(client, own, target, dt, stage_ == 0 || stage_ == 3 || (stage_ == 1 && target->GetHealth() > 60.0f), o);
}

void Fighter::ThrowGrenade(TestGame::HeadlessClient& client, Player* own, Player* target, int grenade, Orders* o)
{
    // One at a time, and only at someone standing still.
    if (clock_ - lastThrow_ < 3.5f || heldFor_ < 0.5f || Explosive(client, 1, true) != grenade)
        return;
    float vx = 0.0f, vy = 0.0f;
    target->GetVelocity(&vx, &vy);
    const float d = Distance(own->GetX(), own->GetY(), target->GetX(), target->GetY());
    if (d < 70.0f || d > 260.0f || vx * vx + vy * vy > 20.0f * 20.0f || !InLineOfFire(own, target))
        return;
    // It leaves 20 units ahead at 500 x power / 255 twice over and rolls
    // to a stop against a drag of 2000 / 15.
    const float speedPerPower = 2.0f * 500.0f / 255.0f, drag = 2000.0f / 15.0f;
    const float power = std::sqrt(std::max(d - 20.0f, 0.0f) * 2.0f * drag) / speedPerPower;
    o->throwPower = int(std::clamp(power + 0.5f, 1.0f, 255.0f));
    lastThrow_ = clock_;
}

void Fighter::LureOnto(Player* own, Player* target, int mine, float dt, Orders* o)
{
    o->explosive = mine;
    o->aimX = target->GetX(), o->aimY = target->GetY();
    if (laid_) {
        // A tile back until the mine can go off (two seconds after it was
        // laid), the chaser waiting short of it; then on back, the chaser
        // following over it.
        if (clock_ - laidAt_ < kMineDelay)
            GoTo(own, nearX_, nearY_, dt, true, false, o);
        else
            GoTo(own, backX_, backY_, dt, true, true, o);
        // It went round the mine: the next one is laid elsewhere.
        if (clock_ - laidAt_ > 15.0f)
            laid_ = false;
        return;
    }
    if (fleeing_) {
        GoTo(own, fleeX_, fleeY_, dt, false, true, o);
        if (Distance(own->GetX(), own->GetY(), fleeX_, fleeY_) < kTile || clock_ - fledAt_ > 6.0f)
            fleeing_ = false;
        return;
    }
    if (waitingSince_ < 0.0f)
        waitingSince_ = clock_;
    if (clock_ - waitingSince_ > 8.0f) {
        // No straight street here: down another, the chaser behind.
        Reposition(own, target);
        return;
    }
    const int at = Walker::TileOf(own->GetX(), own->GetY()), enemy = Walker::TileOf(target->GetX(), target->GetY());
    float cx = own->GetX(), cy = own->GetY();
    Walker::TileCentre(at, &cx, &cy);
    // Onto the middle of the tile, for a while: at a slow frame rate a step
    // overshoots it.
    if ((std::fabs(cx - own->GetX()) > 3.0f || std::fabs(cy - own->GetY()) > 3.0f) && clock_ - waitingSince_ < 2.0f) {
        GoTo(own, cx, cy, dt, true, false, o);
        return;
    }
    if (clock_ - lastPlan_ < 0.3f)
        return;
    lastPlan_ = clock_;
    int back = -1;
    if (heldFor_ >= 0.5f && MinePlanHolds(at, enemy, &back)) {
        o->throwPower = 1;
        laid_ = true, laidAt_ = clock_, waitingSince_ = -1.0f;
        Walker::TileCentre(back, &backX_, &backY_);
        Walker::TileCentre(at + (back - at) / kMineBack, &nearX_, &nearY_);
    }
}

void Fighter::Reposition(Player* own, Player* target)
{
    // Fourteen tiles away from the chaser along the axis it is farther on,
    // else along the other, else back past it; the first that leads away.
    const float dx = own->GetX() - target->GetX(), dy = own->GetY() - target->GetY();
    const float reach = 14.0f * kTile;
    const float sx = dx >= 0.0f ? 1.0f : -1.0f, sy = dy >= 0.0f ? 1.0f : -1.0f;
    const bool alongX = std::fabs(dx) >= std::fabs(dy);
    const float ways[4][2] = {{alongX ? sx : 0.0f, alongX ? 0.0f : sy},
                              {alongX ? 0.0f : sx, alongX ? sy : 0.0f},
                              {alongX ? 0.0f : -sx, alongX ? -sy : 0.0f},
                              {alongX ? -sx : 0.0f, alongX ? 0.0f : -sy}};
    World* world = Services().world;
    if (!world)
        return;
    const float here = Distance(own->GetX(), own->GetY(), target->GetX(), target->GetY());
    for (const auto& way : ways) {
        float x = std::clamp(own->GetX() + way[0] * reach, kTile, float(world->GetWidth() - 1) * kTile);
        float y = std::clamp(own->GetY() + way[1] * reach, kTile, float(world->GetHeight() - 1) * kTile);
        Walker::NearestOpen(&x, &y);
        fleeX_ = x, fleeY_ = y;
        if (Distance(own->GetX(), own->GetY(), x, y) > 6.0f * kTile &&
            Distance(target->GetX(), target->GetY(), x, y) > here)
            break;
    }
    fleeing_ = true, fledAt_ = clock_, waitingSince_ = -1.0f;
}

bool Fighter::MinePlanHolds(int at, int enemy, int* back)
{
    // The enemy's way to the fighter, and to every tile behind it on the
    // line it comes along, must run straight through here: a walker cuts
    // corners, and a mine goes off only within 15 units.
    const std::vector<int> way = walker_.Route(enemy, at);
    World* world = Services().world;
    if (way.size() < 3 || !world)
        return false;
    const int w = world->GetWidth(), step = at - way[way.size() - 2];
    int goal = at;
    for (int j = 0; j < kMineBack; ++j) {
        const int next = goal + step;
        if ((step == 1 || step == -1) && next / w != goal / w)
            return false;
        if (!Walker::IsOpen(next))
            return false;
        goal = next;
        const std::vector<int> through = walker_.Route(enemy, goal);
        auto it = std::find(through.begin(), through.end(), at);
        if (it == through.end() || it == through.begin() || it + 1 == through.end() || *(it - 1) != at - step ||
            *(it + 1) != at + step)
            return false;
    }
    *back = goal;
    return true;
}

bool Fighter::Fetch(Player* own, int weaponType, bool anywhere, float dt, Orders* o)
{
    ObjectManager* objects = Services().objects;
    WeaponTable* table = Services().weapons;
    if (!objects || !table)
        return false;
    // The nearest one lying about; sent anywhere, and all of them taken,
    // the spot of the nearest, to wait there until it is back.
    const float reach = anywhere ? 1e9f : 40.0f * kTile;
    float bestX[2] = {}, bestY[2] = {}, best[2] = {reach, reach};
    objects->ForEachObject([&](Object* object) {
        Weapon* lying = object->GetKind() == ObjectKind::Weapon ? dynamic_cast<Weapon*>(object) : nullptr;
        const WeaponDef* def = lying ? table->FindWeapon(lying->GetDefinitionId()) : nullptr;
        // A far one is not kept up to date, but it is still there.
        if (!def || def->type != weaponType || (lying->IsStale() && !anywhere))
            return;
        const int k = lying->IsTaken() ? 1 : 0;
        float x, y;
        ReachPoint(lying, &x, &y);
        const float d = Distance(own->GetX(), own->GetY(), x, y);
        if (d < best[k])
            best[k] = d, bestX[k] = x, bestY[k] = y;
    });
    const int k = best[0] < reach ? 0 : 1;
    if (best[k] >= reach || (k == 1 && !anywhere))
        return false;
    GoTo(own, bestX[k], bestY[k], dt, true, true, o);
    return true;
}

void Fighter::HoldHill(Player* own, float dt, Orders* o)
{
    // The nearest flag the own team does not hold.
    MissionItemFlag* goal = nullptr;
    float best = 0.0f;
    ForEachMissionItem([&](MissionItem* item) {
        MissionItemFlag* flag = dynamic_cast<MissionItemFlag*>(item);
        const float d = flag ? Distance(own->GetX(), own->GetY(), flag->GetX(), flag->GetY()) : 0.0f;
        if (flag && flag->GetTeam() != own->GetTeam() && (!goal || d < best))
            goal = flag, best = d;
    });
    if (!goal)
        return;
    float x, y;
    ReachPoint(goal, &x, &y);
    GoTo(own, x, y, dt, true, true, o);
}

void Fighter::CaptureFlag(Player* own, float dt, Orders* o)
{
    const bool finn = own->GetTeam() == 0;
    const int ownType = finn ? MissionItem::Finnish : MissionItem::Russian;
    const int enemyType = finn ? MissionItem::Russian : MissionItem::Finnish;
    const int droppedEnemy = finn ? MissionItem::DroppedRussian : MissionItem::DroppedFinnish;
    MissionItem* home = nullptr;
    MissionItem* away = nullptr;
    ForEachMissionItem([&](MissionItem* item) {
        if (item->GetType() == ownType)
            home = item;
        // A flag dropped in the field goes before the one at its base.
        if ((item->GetType() == enemyType && !away) || (item->GetType() == droppedEnemy && !item->IsCarried()))
            away = item;
    });
    if (!home || !away) {
        Patrol(own, dt, o);
        return;
    }
    float x, y;
    // Out from the own flag; the enemy flag home to it.
    if (own->HasMissionItemOfType(enemyType) || !homeTouched_) {
        ReachPoint(home, &x, &y);
        GoTo(own, x, y, dt, true, true, o);
        if (Distance(own->GetX(), own->GetY(), x, y) < 6.0f)
            homeTouched_ = true;
        return;
    }
    ReachPoint(away, &x, &y);
    GoTo(own, x, y, dt, true, true, o);
}

int Fighter::Explosive(TestGame::HeadlessClient& client, int weaponType, bool loaded)
{
    Inventory* inventory = client.Game().Game().GetInventory();
    if (!inventory)
        return -1;
    for (const Inventory::WeaponEntry& e : inventory->GetWeapons()) {
        int ammo = 0, clip = 0;
        inventory->GetWeaponAmmo(e.id, &ammo, &clip);
        if (e.category == 4 && e.type == weaponType && (loaded ? clip > 0 : clip + ammo > 0))
            return e.id;
    }
    return -1;
}

void Fighter::ChooseWeapon(TestGame::HeadlessClient& client, int* weapon, int* clip)
{
    Inventory* inventory = client.Game().Game().GetInventory();
    if (!inventory)
        return;
    // A gun, one with a loaded clip first.
    for (const Inventory::WeaponEntry& e : inventory->GetWeapons()) {
        if (e.category == 4 || e.type == 8)
            continue;
        if (*weapon < 0 || (*clip <= 0 && e.clip > 0))
            *weapon = e.id, *clip = e.clip;
    }
}

Player* Fighter::Nearest(Player* own)
{
    Player* best = nullptr;
    float bestDistance = 0.0f;
    ObjectManager* objects = Services().objects;
    if (!objects)
        return nullptr;
    // Enemies out of the server's reach are not brought up to date.
    for (Object* o : objects->Players()) {
        Player* p = static_cast<Player*>(o);
        if (!p || p == own || !p->IsAlive() || p->IsStale() || p->GetTeam() == own->GetTeam())
            continue;
        const float d = Distance(own->GetX(), own->GetY(), p->GetX(), p->GetY());
        if (!best || d < bestDistance)
            best = p, bestDistance = d;
    }
    return best;
}
