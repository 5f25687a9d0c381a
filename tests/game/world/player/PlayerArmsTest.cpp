#include "PlayerFixture.h"

#include "../resources/WeaponTestSupport.h"
#include "game/world/arms/ArmsFactory.h"
#include "game/world/arms/BulletProjectile.h"
#include "game/world/arms/Trap.h"
#include "game/world/arms/Vehicle.h"
#include "game/world/arms/WeaponFire.h"
#include "game/world/net/GameMessage.h"
#include "game/world/objects/MissionItem.h"
#include "game/world/objects/ObjectContacts.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/objects/Pickups.h"
#include "game/world/objects/StartPoint.h"
#include "game/world/resources/GraphicsResource.h"
#include "game/world/resources/WeaponTable.h"
#include "game/world/state/ObjectManager.h"

#include <algorithm>

using namespace playertest;
using weapontest::Int;
using weapontest::Word;
namespace In = PlayerInputFlags;

namespace {

enum : int { kGun = 40 << 18, kGrenade = 41 << 18, kMine = 42 << 18, kRemote = 43 << 18, kPistol = 44 << 18 };

// The world's players, weapons and arms on a served match, with the real
// player side installed by the game state.
struct Armed : PlayerWorld {
    Armed()
    {
        Arm(kGun, {{u"w_category", {Int(2)}},
                   {u"w_clip", {Int(10)}},
                   {u"w_pickclip", {Int(10)}},
                   {u"w_shspeed", {Int(100)}},
                   {u"w_damage", {Int(600)}}});
        Arm(kGrenade, {{u"w_category", {Int(4)}},
                       {u"w_type", {Int(1)}},
                       {u"w_clip", {Int(1)}},
                       {u"w_pickclip", {Int(1)}},
                       {u"w_damage", {Int(300)}},
                       {u"w_behaviour", {Word(u"explode"), Int(4)}},
                       {u"w_detonation", {Word(u"time"), Int(1000)}}});
        for (int id : {kMine, kRemote})
            Arm(id, {{u"w_category", {Int(4)}},
                     {u"w_type", {Int(id == kMine ? 2 : 3)}},
                     {u"w_clip", {Int(1)}},
                     {u"w_pickclip", {Int(1)}},
                     {u"w_damage", {Int(300)}},
                     {u"w_range", {Int(3)}},
                     {u"w_detonation", {Word(u"click")}}});
        Arm(kPistol,
            {{u"w_category", {Int(1)}}, {u"w_clip", {Int(7)}}, {u"w_pickclip", {Int(7)}}, {u"w_addonspawn", {Int(1)}}});
        resources.BuildIndex();
    }
    void Arm(int id, std::initializer_list<std::pair<const char16_t*, std::initializer_list<ParameterValue>>> params)
    {
        ObjectResource* block = Block(ResourceClass::Weapon, id);
        for (auto& p : params)
            weapontest::AddParam(block, p.first, p.second);
        Services().weapons->AddWeapon(block);
    }
    void Frames(int n, float dt = 1.0f / 64.0f)
    {
        for (int i = 0; i < n; ++i)
            game->Update(dt);
    }
    int CountKind(int kind)
    {
        int n = 0;
        Services().objects->ForEachObject([&](Object* o) { n += o->GetKind() == kind; });
        return n;
    }
    Trap* TrapOf(int owner)
    {
        Trap* found = nullptr;
        Services().objects->ForEachObject([&](Object* o) {
            if (o->GetKind() == ObjectKind::Trap && static_cast<Trap*>(o)->GetOwnerId() == owner)
                found = static_cast<Trap*>(o);
        });
        return found;
    }
};

// Fires the weapon in hand once through the player's own update.
void Pull(Armed& w, Player* p, int weapon)
{
    p->PickUpWeapon(weapon, -1);
    p->SelectWeapon(weapon);
    p->SetInputState(In::Shoot, 0, 0, 0, 0);
    w.Frames(1);
    p->SetInputState(0, 0, 0, 0, 0);
}

} // namespace

TEST(PlayerArms, AShotKillsTheEnemyOnceOnTheServerAndStopsAtAWall)
{
    Armed w;
    Player* shooter = w.Spawn(0, 100, 420);
    shooter->SetAngle(90); // along +x
    Player* enemy = w.Spawn(7, 200, 420);
    Player* mate = w.Spawn(0, 150, 420);
    Pull(w, shooter, kGun);
    EXPECT_EQ(w.CountKind(ObjectKind::Bullet), 1) << "the shot is a bullet of the gun";
    w.Frames(20);
    EXPECT_FLOAT_EQ(mate->GetHealth(), 100.0f) << "team mates are shot through";
    EXPECT_FALSE(enemy->IsAlive());
    EXPECT_EQ(w.mode->kills, 1);
    EXPECT_EQ(w.mode->lastKiller, shooter);
    EXPECT_EQ(w.CountKind(ObjectKind::Bullet), 0);
    EXPECT_EQ(w.CountKind(ObjectKind::DeadPlayer), 1) << "the corpse stays";

    // Behind the wall column (x 256..288) nobody is hit.
    Player* covered = w.Spawn(7, 330, 200);
    shooter->SetPositionAngle(200, 200, 90);
    shooter->SetFireCooldown(0);
    Pull(w, shooter, kGun);
    w.Frames(40);
    EXPECT_FLOAT_EQ(covered->GetHealth(), 100.0f);
    EXPECT_EQ(w.CountKind(ObjectKind::Bullet), 0) << "the wall ends the bullet";

    // A client's copy of a bullet decides nothing.
    w.game->SetActiveHandler(&w.client);
    BulletProjectile* copy = CreateBullet(300, 200, 90, kGun, 0);
    copy->SetOwnerId(shooter->GetNetworkId());
    copy->SetDamage(300);
    w.Frames(20);
    EXPECT_FLOAT_EQ(covered->GetHealth(), 100.0f);
    EXPECT_EQ(w.mode->kills, 1);

    // A shot scattered over 2.5 degrees off the facing flies only 200 units;
    // one less far off goes the aimed distance.
    w.game->SetActiveHandler(&w.server);
    Player* far = w.Spawn(7, 380, 480);
    shooter->SetPositionAngle(80, 470, 90);
    const WeaponDef& gun = *Services().weapons->FindWeapon(kGun);
    CreateProjectile(gun, shooter, 80, 470, 93, 0, 400);
    w.Frames(20);
    EXPECT_FLOAT_EQ(far->GetHealth(), 100.0f);
    CreateProjectile(gun, shooter, 80, 470, 92, 0, 400);
    w.Frames(20);
    EXPECT_FALSE(far->IsAlive());
}

TEST(PlayerArms, AThrownGrenadeKillsInTheOpenButNotThroughAWall)
{
    Armed w;
    Player* thrower = w.Spawn(0, 200, 100);
    // A server numbers the objects it makes while playing from 0x80000000.
    thrower->SetNetworkId(int32_t(0x80000005u));
    thrower->SetAngle(180); // down the screen
    Player* open = w.Spawn(7, 200, 180);
    Player* covered = w.Spawn(7, 310, 120); // beyond the wall column
    thrower->PickUpWeapon(kGrenade, -1);
    thrower->SetCurrentExplosive(kGrenade);
    thrower->RequestThrow(255);
    w.Frames(1);
    EXPECT_EQ(w.CountKind(ObjectKind::Grenade), 1);
    Object* grenade = nullptr;
    Services().objects->ForEachObject([&](Object* o) { grenade = o->GetKind() == ObjectKind::Grenade ? o : grenade; });
    ASSERT_NE(grenade, nullptr);
    // It leaves 20 units ahead, along the facing turned with the game's 3.1516.
    EXPECT_NEAR(grenade->GetX(), 199.9f, 0.01f);
    EXPECT_NEAR(grenade->GetY(), 120.0f, 0.01f);
    w.server.sent.clear();
    w.Frames(70); // a one-second fuse
    EXPECT_EQ(w.CountKind(ObjectKind::Grenade), 0);
    EXPECT_EQ(std::count(w.server.sent.begin(), w.server.sent.end(), int(GameMessage::Explosion)), 1);
    EXPECT_FALSE(open->IsAlive());
    EXPECT_EQ(w.mode->lastKiller, thrower) << "the blast is credited to the thrower";
    EXPECT_FLOAT_EQ(covered->GetHealth(), 100.0f);
}

// A blast falls off from its damage at the centre to nothing at its radius
// (4 tiles: 128); walls take a quarter of it; below -40 health a blast gibs.
TEST(PlayerArms, ABlastFallsOffToItsRadiusCracksWallsAndGibsBelowMinusForty)
{
    Armed w;
    Player* edge = w.Spawn(0, 48, 208);       // 128 off the blast at (176, 208)
    Player* grazed = w.Spawn(0, 176, 335.5f); // 127.5 off
    Player* killed = w.Spawn(0, 176, 144);    // 64 off
    CreateGrenade(kGrenade, 176, 208, 0);
    w.Frames(70);
    ASSERT_EQ(w.CountKind(ObjectKind::Grenade), 0);
    EXPECT_FLOAT_EQ(edge->GetHealth(), 100.0f);
    EXPECT_FLOAT_EQ(grazed->GetHealth(), 100.0f - 300.0f * 0.5f / 128);
    EXPECT_FALSE(killed->IsAlive());
    EXPECT_EQ(w.world->GetDamage(8, 6), 18); // 96 off
    EXPECT_EQ(w.world->GetDamage(8, 8), 7);  // 115.4 off

    // 140 everywhere at once: 100 health is left lying at -40, 98.8 gibbed.
    const int debris = w.CountKind(ObjectKind::Mess);
    w.game->DamageEverything(14);
    EXPECT_EQ(w.CountKind(ObjectKind::DeadPlayer), 1);
    EXPECT_EQ(w.CountKind(ObjectKind::Mess), debris + 6);
}

TEST(PlayerArms, AMineGoesOffForWhoeverStepsOnIt)
{
    Armed w;
    Player* placer = w.Spawn(0, 100, 420);
    Pull(w, placer, kMine);
    Trap* mine = w.TrapOf(placer->GetNetworkId());
    ASSERT_NE(mine, nullptr);
    placer->SetPositionAngle(100, 300, 0);
    w.Frames(10);
    EXPECT_TRUE(mine->IsArmed()) << "armed once nobody stands on it";
    // The placer's own side is not spared.
    Player* mate = w.Spawn(0, 100, 420);
    w.Frames(200);
    EXPECT_EQ(w.TrapOf(placer->GetNetworkId()), nullptr);
    EXPECT_FALSE(mate->IsAlive());
    EXPECT_EQ(w.mode->lastKiller, placer);
}

TEST(PlayerArms, DroppingADetonatorHandsOverOnlyItsOwnersCharges)
{
    Armed w;
    Player* a = w.Spawn(0, 60, 420);
    Player* b = w.Spawn(7, 200, 420);
    Pull(w, a, kRemote);
    Pull(w, b, kRemote);
    Trap* charge = w.TrapOf(a->GetNetworkId());
    Trap* other = w.TrapOf(b->GetNetworkId());
    ASSERT_TRUE(charge && other && charge != other);
    ASSERT_TRUE(a->GetInventory().HasWeapon(kDetonator)) << "a charge comes with its detonator";

    // The detonator in hand leaves by the drop key.
    a->SelectWeapon(kDetonator);
    a->SetInputState(In::Drop, 0, 0, 0, 0);
    w.Frames(1);
    EXPECT_FALSE(a->GetInventory().HasWeapon(kDetonator));
    EXPECT_EQ(w.CountKind(ObjectKind::Weapon), 1);
    const int tag = charge->GetParkedKey();
    EXPECT_NE(tag, 0);
    EXPECT_EQ(charge->GetOwnerId(), 0);
    EXPECT_EQ(other->GetOwnerId(), b->GetNetworkId()) << "another player's charge stays its own";

    // Whoever picks the detonator up takes over exactly the parked charge.
    Player* c = w.Spawn(7, 300, 420);
    Services().contacts->ClaimParkedTraps(c, 0);
    EXPECT_EQ(other->GetOwnerId(), b->GetNetworkId()) << "key 0 claims nothing";
    Services().contacts->ClaimParkedTraps(c, tag);
    EXPECT_EQ(charge->GetOwnerId(), c->GetNetworkId());
    EXPECT_EQ(other->GetOwnerId(), b->GetNetworkId());
    EXPECT_EQ(DetonateRemoteCharges(c), 1);
    w.Frames(1);
    EXPECT_EQ(w.TrapOf(c->GetNetworkId()), nullptr) << "set off by its new holder";
    EXPECT_EQ(w.TrapOf(b->GetNetworkId()), other);
}

TEST(PlayerArms, APickUpGoesOnceToTheFirstOfTwoPlayers)
{
    Armed w;
    FakeTexture texture;
    static_cast<ObjectResource*>(w.resources.GetById(kRifleBox))
        ->SetGraphics(w.resources.CreateGraphicsResource(&texture, 0, 0, 32, 32));
    // Reach is a square of 15 about the box's centre (116, 116), its edge outside.
    Player* first = w.Spawn(0, 131, 116);
    Player* second = w.Spawn(7, 116, 101);
    auto* box = static_cast<Ammo*>(CreateObjectByType(kRifleBox, 100, 100));
    ASSERT_NE(box, nullptr);
    w.Frames(2);
    EXPECT_FALSE(box->IsTaken());
    first->SetPosition(130.5f, 101.5f); // a corner, beyond a circle of 15
    second->SetPosition(118, 118);
    w.Frames(30);
    EXPECT_TRUE(box->IsTaken());
    const int taken = first->GetInventory().FindAmmo(kRifleAmmo)->amount;
    EXPECT_GT(taken, 0);
    EXPECT_EQ(second->GetInventory().FindAmmo(kRifleAmmo)->amount, 0);
    w.Frames(30);
    EXPECT_EQ(first->GetInventory().FindAmmo(kRifleAmmo)->amount, taken) << "taken once";

    // With six explosives carried a charge on the ground is refused and stays.
    static_cast<ObjectResource*>(w.resources.GetById(kCharge))->SetGraphics(box->GetDefinition()->GetGraphics());
    for (int i = 0; i < 3; ++i)
        second->PickUpWeapon(kCharge, -1);
    auto* charge = static_cast<::Weapon*>(CreateObjectByType(kCharge, 102, 102));
    w.Frames(2);
    EXPECT_FALSE(charge->IsTaken());
    EXPECT_EQ(second->GetInventory().CountExplosives(), 6);
}

namespace {

// The shared spawn rule: a start point of the team and the spawn weapons.
class StartPointMode : public CountingMode {
public:
    void SpawnPlayer(Player* p) override
    {
        if (StartPoint* point = PickStartPoint(p->GetTeam()))
            p->SetPosition(point->GetX(), point->GetY());
        Services().game->GiveSpawnWeapons(p);
        ++spawns;
    }
};

} // namespace

TEST(PlayerArms, DeathLeavesACorpseAndRespawnIsAtAStartPointOfTheTeam)
{
    Armed w;
    auto* mode = new StartPointMode();
    w.game->SetGameMode(mode);
    Param(w.Block(ResourceClass::StartPoint, 50 << 18), u"team_id", {1.0f});
    Param(w.Block(ResourceClass::StartPoint, 51 << 18), u"team_id", {8.0f});
    w.resources.BuildIndex();
    CreateObjectByType(50 << 18, 64, 64);
    CreateObjectByType(51 << 18, 448, 448);
    Player* victim = w.Spawn(7, 150, 300);
    victim->TakeBulletDamage(500, 0, nullptr, 150, 300, false, kGun);
    EXPECT_EQ(w.CountKind(ObjectKind::DeadPlayer), 1);
    victim->SetInputState(In::Respawn, 0, 0, 0, 0);
    w.Frames(330);
    ASSERT_TRUE(victim->IsAlive());
    EXPECT_EQ(mode->spawns, 1);
    EXPECT_FLOAT_EQ(victim->GetX(), 448.0f);
    EXPECT_FLOAT_EQ(victim->GetY(), 448.0f);
    EXPECT_TRUE(victim->GetInventory().HasWeapon(kPistol)) << "handed out at spawn";

    // In water nobody leaves a corpse.
    Player* swimmer = w.Spawn(0, 3 * 32 + 16, 12 * 32 + 16);
    swimmer->TakeBulletDamage(500, 0, nullptr, 0, 0, false, kGun);
    EXPECT_EQ(w.CountKind(ObjectKind::DeadPlayer), 1);
}

TEST(PlayerArms, AFlagIsCarriedUntilDeathAndAVehicleSeatNeverOutlivesItsPlayer)
{
    Armed w;
    FakeTexture texture;
    ObjectResource* flag = w.Block(ResourceClass::MissionItem, 60 << 18);
    flag->SetGraphics(w.resources.CreateGraphicsResource(&texture, 0, 0, 32, 32));
    Param(flag, u"type", {}, u"flag_blank");
    w.resources.BuildIndex();
    Player* carrier = w.Spawn(0, 216, 101);
    Object* item = CreateObjectByType(60 << 18, 200, 100);
    ASSERT_NE(item, nullptr);
    w.Frames(2);
    EXPECT_EQ(carrier->GetMissionItemCount(), 0) << "15 off the flag's centre is out of reach";
    carrier->SetPosition(230.5f, 130.5f);
    w.Frames(1);
    ASSERT_EQ(carrier->GetMissionItemCount(), 1);
    EXPECT_EQ(static_cast<Object*>(carrier->GetMissionItem(0)), item);
    Pull(w, carrier, kMine);
    EXPECT_EQ(w.CountKind(ObjectKind::Trap), 0) << "no charge beside a flag";

    carrier->SetPositionAngle(100, 140, 0);
    w.server.sent.clear();
    carrier->TakeBulletDamage(500, 0, nullptr, 0, 0, false, kGun);
    EXPECT_EQ(carrier->GetMissionItemCount(), 0);
    EXPECT_FLOAT_EQ(item->GetX(), 112.0f) << "dropped on the centre of the tile underfoot";
    EXPECT_FLOAT_EQ(item->GetY(), 144.0f);
    EXPECT_NE(std::find(w.server.sent.begin(), w.server.sent.end(), int(GameMessage::MissionItemsDropped)),
              w.server.sent.end());

    // Seats and players let go of each other whichever goes first.
    auto* car = new Vehicle(-1);
    Player* driver = w.Spawn(0, 300, 300);
    car->GetSeat(0)->occupant = driver;
    driver->SetVehicle(car);
    delete car;
    EXPECT_EQ(driver->GetVehicle(), nullptr);
    auto* bus = new Vehicle(-1);
    bus->GetSeat(1)->occupant = driver;
    driver->SetVehicle(bus);
    delete driver;
    EXPECT_EQ(bus->GetSeat(1)->occupant, nullptr);
    delete bus;
}
