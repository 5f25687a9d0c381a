#include "PlayerFixture.h"

#include "game/world/arms/WeaponFire.h"
#include "game/world/net/GameMessage.h"
#include "game/world/resources/WeaponTable.h"

#include <cmath>
#include <limits>

using namespace playertest;
namespace In = PlayerInputFlags;

namespace {

constexpr float kFrame = 1.0f / 64.0f; // exact in binary, so timers land on whole frames

void Frames(Player* p, uint32_t flags, int frames)
{
    p->SetInputState(flags, 0, 0, 0, 0);
    for (int i = 0; i < frames; ++i)
        p->Update(kFrame);
}

float Distance(Player* p, float x0, float y0)
{
    float x, y;
    p->GetPosition(&x, &y);
    return std::hypot(x - x0, y - y0);
}

int Clip(Player* p, int weapon, int* ammo = nullptr)
{
    int a = 0, c = -99;
    p->GetInventory().GetWeaponAmmo(weapon, &a, &c);
    if (ammo)
        *ammo = a;
    return c;
}

// Game message types in what the connection was sent.
std::vector<int> Types(const std::vector<uint8_t>& bytes)
{
    std::vector<int> types;
    for (size_t at = 0; at + 4 <= bytes.size();) {
        types.push_back(bytes[at] | bytes[at + 1] << 8);
        at += 4 + size_t(bytes[at + 2] | bytes[at + 3] << 8);
    }
    return types;
}

} // namespace

TEST(PlayerMovement, SpeedsFromTheInputBitsAndSlidingAlongAWall)
{
    PlayerWorld w;
    Player* p = w.Spawn(0, 100, 100);
    Frames(p, In::Up | In::Left, 32);
    EXPECT_NEAR(Distance(p, 100, 100), 70.0f, 0.01f) << "a diagonal is normalised to 140 units a second";
    p->SetPositionAngle(100, 100, 0);
    Frames(p, In::Down | In::Sprint, 16);
    EXPECT_NEAR(Distance(p, 100, 100), 52.5f, 0.01f) << "sprinting";
    p->SetPositionAngle(100, 100, 0);
    Frames(p, In::Down | In::Sprint | In::Crouch, 16);
    EXPECT_NEAR(Distance(p, 100, 100), 28.0f, 0.01f) << "crouching ignores the sprint";
    p->SetPositionAngle(100, 400, 0);
    Frames(p, In::Right, 8);
    EXPECT_NEAR(Distance(p, 100, 400), 8.75f, 0.01f) << "water of factor 0.5 halves the speed";

    // Into the wall column at x 256 at a slant: stopped across, sliding along.
    p->SetPositionAngle(230, 150, 0);
    Frames(p, In::Right | In::Down, 64);
    float x, y;
    p->GetPosition(&x, &y);
    EXPECT_LE(x, 256.0f - Player::kBodyRadius + 0.01f);
    EXPECT_GT(x, 240.0f);
    EXPECT_GT(y, 150.0f + 45.0f) << "the part of the step along the wall is kept";
    EXPECT_GT(p->GetWalkPhase(), 0.0f);

    // The dead stand still.
    p->SetHealth(0);
    p->SetPositionAngle(100, 100, 0);
    Frames(p, In::Right, 10);
    EXPECT_FLOAT_EQ(Distance(p, 100, 100), 0.0f);
    float vx, vy;
    p->GetVelocity(&vx, &vy);
    EXPECT_EQ(vx, 0.0f);
}

TEST(PlayerFiring, RateClipChangeAndSpreadFollowTheWeapon)
{
    PlayerWorld w;
    Player* p = w.Spawn(0, 100, 100);
    ASSERT_TRUE(p->PickUpWeapon(kRifle, -1));
    int ammo = 0;
    EXPECT_EQ(Clip(p, kRifle, &ammo), 5);
    EXPECT_EQ(ammo, 5) << "rounds beyond the clip go to the ammunition";
    p->SelectWeapon(kRifle);
    Frames(p, In::Shoot, 20); // 125 ms between shots: frames 0, 8 and 16
    EXPECT_EQ(Clip(p, kRifle), 2);
    EXPECT_TRUE(p->GetStateFlags() & Player::Firing);
    Frames(p, In::Shoot, 14);
    EXPECT_EQ(Clip(p, kRifle), 0);
    EXPECT_GT(p->GetReloadTimer(), 0.0f) << "an empty clip starts the clip change";
    Frames(p, 0, 20);
    EXPECT_EQ(Clip(p, kRifle), 0) << "the clip change takes 0.5 s";
    Frames(p, 0, 12);
    EXPECT_EQ(Clip(p, kRifle, &ammo), 5);
    EXPECT_EQ(ammo, 0);
    Frames(p, In::Reload, 40);
    EXPECT_EQ(p->GetReloadTimer(), 0.0f) << "no ammunition, no clip change";

    // Spread: base plus the player's dispersion; recoil adds up to max - base.
    Player* q = w.Spawn(0, 150, 100);
    q->PickUpWeapon(kRifle, -1);
    float spread = -1;
    ASSERT_TRUE(FireWeapon(q, kRifle, 0, 0, &spread));
    EXPECT_FLOAT_EQ(spread, 2.0f);
    EXPECT_FALSE(FireWeapon(q, kRifle, 0, 0, &spread)) << "cooldown";
    q->SetFireCooldown(0);
    ASSERT_TRUE(FireWeapon(q, kRifle, 0, 0, &spread));
    EXPECT_FLOAT_EQ(spread, 3.0f);
    for (int i = 0; i < 8; ++i, q->SetFireCooldown(0))
        FireWeapon(q, kRifle, 0, 0);
    EXPECT_FLOAT_EQ(q->GetDispersionValue(), 4.0f);
    q->SetInputState(In::Sprint, 0, 0, 0, 0);
    q->GetInventory().FindWeapon(kRifle, false)->clip = 1;
    ASSERT_TRUE(FireWeapon(q, kRifle, 0, 0, &spread));
    EXPECT_FLOAT_EQ(spread, 10.0f) << "sprinting doubles the player's part";

    // A round-by-round clip change loads one round per change while held.
    Player* s = w.Spawn(7, 200, 100);
    s->PickUpWeapon(kShotgun, -1);
    s->GetInventory().FindWeapon(kShotgun, false)->clip = 2;
    s->SelectWeapon(kShotgun);
    Frames(s, In::Reload, 20); // one change of 0.3 s
    EXPECT_EQ(Clip(s, kShotgun, &ammo), 3);
    EXPECT_EQ(ammo, 5);
    Frames(s, In::Reload, 100);
    EXPECT_EQ(Clip(s, kShotgun, &ammo), 6);
    EXPECT_EQ(ammo, 2);

    // Extended values set the spread at rest, in shallow water too.
    enum : int { kShallow = 7, kSteady = 14 << 18 };
    Param(w.Block(ResourceClass::Floor, kShallow), u"water", {0.8f});
    w.Weapon(kSteady, 2, 0, u"rifle_ammo", 5, 100, 500);
    w.resources.BuildIndex();
    auto* steady = static_cast<ObjectResource*>(w.resources.GetById(kSteady));
    Param(steady, u"w_dispersion_ex", {1.0f, 3.0f, 5.0f});
    Services().weapons->AddWeapon(steady);
    w.world->SetTileVariant(12, 12, w.resources.GetIndexOfId(kShallow), 0);
    Player* r = w.Spawn(0, 400, 400);
    r->PickUpWeapon(kSteady, -1);
    r->SelectWeapon(kSteady);
    Frames(r, 0, 1);
    EXPECT_FLOAT_EQ(r->GetDispersionValue(), 3.0f - 20.0f * kFrame) << "the stand value, less a frame's drop";

    // Nothing fires on a client.
    w.game->SetActiveHandler(&w.client);
    s->SetFireCooldown(0);
    EXPECT_FALSE(FireWeapon(s, kShotgun, 0, 0));
}

TEST(PlayerLife, ArmourDeathScoredOnceOnlyWhileServingAndRespawnAfterFiveSeconds)
{
    PlayerWorld w;
    Player* a = w.Spawn(0, 100, 100);
    for (auto [armour, health, left] : {std::tuple{10.f, 60.f, 0.f}, {40.f, 90.f, 0.f}, {100.f, 90.f, 60.f}}) {
        a->SetHealth(100);
        a->SetArmour(armour);
        a->TakeBulletDamage(50, 0, nullptr, 0, 0, false, kRifle);
        EXPECT_FLOAT_EQ(a->GetHealth(), health);
        EXPECT_FLOAT_EQ(a->GetArmour(), left);
    }
    a->SetHealth(100);
    a->SetArmour(5);
    a->TakeBlastDamageFrom(0, 0, 30, nullptr, -1);
    EXPECT_FLOAT_EQ(a->GetHealth(), 75.0f);

    Player* spectator = w.Spawn(-1, 300, 300);
    spectator->TakeBulletDamage(50, 0, a, 0, 0, false, kRifle);
    EXPECT_FLOAT_EQ(spectator->GetHealth(), 100.0f);

    Player* victim = w.Spawn(7, 400, 100);
    victim->PickUpWeapon(kRifle, -1);
    victim->SelectWeapon(kRifle);
    w.game->SetActiveHandler(&w.client);
    victim->TakeBulletDamage(500, 0, a, 0, 0, false, kRifle);
    EXPECT_FLOAT_EQ(victim->GetHealth(), 100.0f) << "a client decides no hits";
    w.game->SetActiveHandler(&w.server);
    w.server.sent.clear();
    victim->TakeBulletDamage(500, 0, a, 0, 0, true, kRifle);
    victim->TakeBulletDamage(500, 0, a, 0, 0, true, kRifle);
    victim->TakeBlastDamageFrom(0, 0, 500, a, -1);
    EXPECT_EQ(w.mode->kills, 1);
    EXPECT_EQ(w.mode->lastKiller, a);
    EXPECT_EQ(w.server.sent, std::vector<int>{int(GameMessage::Blood)}) << "blood even for the killing hit";
    EXPECT_EQ(victim->GetCurrentWeapon(), -1);
    EXPECT_EQ(victim->GetInventory().GetWeaponCount(), 0);

    Frames(victim, In::Respawn | In::Right, 319); // 4.98 s
    EXPECT_FALSE(victim->IsAlive());
    EXPECT_FLOAT_EQ(Distance(victim, 400, 100), 0.0f);
    EXPECT_EQ(w.mode->spawns, 0);
    Frames(victim, In::Respawn, 1);
    EXPECT_TRUE(victim->IsAlive());
    EXPECT_EQ(w.mode->spawns, 1);
    EXPECT_FLOAT_EQ(victim->GetHealth(), 100.0f);
    EXPECT_FLOAT_EQ(victim->GetArmour(), 0.0f);
    EXPECT_FLOAT_EQ(Distance(victim, 400, 80), 0.0f) << "at the mode's start point of team 7";
    EXPECT_EQ(w.mode->kills, 1);
}

TEST(PlayerPickUps, WeaponAmmunitionAndItemRules)
{
    PlayerWorld w;
    Player* p = w.Spawn(0, 100, 100);
    Inventory* host = w.game->GetInventory();
    host->SetWeapon(kShotgun, 6, 0);
    host->SelectWeapon(kShotgun);
    p->PickUpWeapon(kRifle, -1);
    EXPECT_EQ(host->GetSelectedWeapon(), kShotgun) << "another player's first firearm leaves the host's choice";
    EXPECT_FALSE(p->PickUpWeapon(kRifle, -1)) << "the same firearm with rounds left";
    p->GetInventory().FindWeapon(kRifle, false)->clip = 0;
    p->GetInventory().FindAmmo(kRifleAmmo)->amount = 0;
    EXPECT_TRUE(p->PickUpWeapon(kRifle, -1)) << "an empty one refills";
    EXPECT_EQ(Clip(p, kRifle), 5);
    EXPECT_TRUE(p->PickUpWeapon(kShotgun, -1));
    EXPECT_FALSE(p->PickUpWeapon(kShotgun, -1)) << "one weapon of category 3";

    EXPECT_TRUE(p->PickUpWeapon(kCharge, -1));
    EXPECT_TRUE(p->PickUpWeapon(kCharge, -1));
    p->GetInventory().FindAmmo(kCharges)->amount += 1; // five carried
    EXPECT_TRUE(p->PickUpWeapon(kCharge, -1)) << "one of the two, up to six";
    EXPECT_EQ(p->GetInventory().CountExplosives(), 6);
    EXPECT_FALSE(p->PickUpWeapon(kCharge, -1)) << "six explosives at most";

    Player* first = w.Spawn(0, 100, 100);
    Player* second = w.Spawn(7, 100, 100);
    first->PickUpWeapon(kRifle, -1);
    second->PickUpWeapon(kRifle, -1);
    int taken = 0;
    for (Player* who : {first, first, first, first, second})
        taken += who->PickUpAmmo(kRifleBox);
    EXPECT_EQ(taken, 4) << "5 + 25 + 25 + 5 reach the maximum of 60; the second player gets his own";

    p->SetHealth(100);
    EXPECT_TRUE(p->PickUpItem(kMedkit)) << "armour only at full health";
    EXPECT_FLOAT_EQ(p->GetArmour(), 50.0f);
    EXPECT_TRUE(p->PickUpItem(kMedkit));
    EXPECT_FALSE(p->PickUpItem(kMedkit)) << "nothing left to gain";
}

TEST(PlayerClientState, UntrustedValuesAreRejectedAndHeldKeysSendOnce)
{
    PlayerWorld w;
    Player* p = w.Spawn(0, 100, 100);
    ClientStateConnection c;
    p->SetConnection(&c);
    p->PickUpWeapon(kRifle, -1);
    p->PickUpWeapon(kCharge, -1);
    p->GetInventory().FindAmmo(kCharges)->amount = 0;
    c.sent.clear();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    c.x = nan, c.y = 120, c.facing = nan, c.weapon = kShotgun, c.aimX = nan;
    Frames(p, 0, 1);
    EXPECT_FLOAT_EQ(Distance(p, 100, 100), 0.0f);
    EXPECT_FALSE(std::isnan(p->GetAngle()));
    EXPECT_EQ(p->GetCurrentWeapon(), -1) << "a weapon the player does not carry";
    c.x = 1e9f, c.y = -5, c.weapon = kRifle;
    Frames(p, 0, 1);
    EXPECT_FLOAT_EQ(Distance(p, 512, 0), 0.0f) << "kept on the map";
    EXPECT_EQ(p->GetCurrentWeapon(), kRifle);

    // A placed player takes reports only near his new place.
    p->SetPosition(300, 300);
    c.x = 100, c.y = 100;
    Frames(p, 0, 3);
    EXPECT_FLOAT_EQ(Distance(p, 300, 300), 0.0f);
    c.x = 305, c.y = 295;
    Frames(p, 0, 1);
    c.x = 150, c.y = 150;
    Frames(p, 0, 1);
    EXPECT_FLOAT_EQ(Distance(p, 150, 150), 0.0f);

    // Placing a charge gives the detonator; holding the remote key removes it once.
    c.weapon = kCharge;
    c.flags = In::Shoot;
    Frames(p, 0, 1);
    c.flags = In::Remote;
    c.sent.clear();
    Frames(p, 0, 30);
    EXPECT_EQ(Types(c.sent), std::vector<int>{int(GameMessage::RemoveWeapon)});
    EXPECT_FALSE(p->GetInventory().HasWeapon(kDetonator));

    // The facing towards an aim point half a unit below is down, not the default 0.
    EXPECT_FLOAT_EQ(AngleBetweenPoints(0, 0, 0, 0.5f), 180.0f);

    // Replication makes a player for type id 2.
    std::unique_ptr<Object> replica(CreateReplicatedObject(2, -1));
    ASSERT_NE(replica, nullptr);
    EXPECT_EQ(replica->GetKind(), 2);
    p->SetConnection(nullptr);
}

TEST(PlayerRoster, AJoinMakesAPlayerOfTheModeWithItsConnection)
{
    PlayerWorld w;
    ClientStateConnection c;
    Player* p = w.server.AcceptJoin(&c, u"Anna", "uid-1");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->GetConnection(), &c);
    EXPECT_EQ(c.GetPlayerObject(), p);
    EXPECT_FALSE(p->IsAlive()) << "a joined player is a spectator";
    EXPECT_EQ(w.server.AcceptJoin(nullptr, u"anna", "uid-2"), nullptr) << "the name is taken";
    p->SetConnection(nullptr);
    w.game->SetGameMode(nullptr);
    EXPECT_EQ(w.server.AcceptJoin(nullptr, u"Bert", "uid-3"), nullptr) << "no game mode, no player";
}
