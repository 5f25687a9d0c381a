// Every kind of object a level holds, a player and a sound, made by a server
// game state and rebuilt by a client over loopback, compared member by
// member; then a player takes the level's weapon, once.
#include "LoopbackPair.h"
#include "ObjectFakes.h"

#include "engine/net/ClientManager.h"
#include "engine/render/ITexture.h"
#include "game/world/arms/Vehicle.h"
#include "game/world/objects/Door.h"
#include "game/world/objects/DummyObject.h"
#include "game/world/objects/Pickups.h"
#include "game/world/objects/Scenery.h"
#include "game/world/objects/SoundSystem.h"
#include "game/world/player/Player.h"
#include "game/world/resources/WeaponTable.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/system/ObjectFactory.h"

#include <tuple>

namespace StateTest {
namespace {

constexpr int kWindow = 34078720, kPine = 36700160, kRussiaStart = 26476544, kFinnishFlag = 29097984;
constexpr int kAmmoBox = 55050240, kMedkit = 57671680, kPistol = 78643200, kPistolShot = 838860800;
constexpr int kJeep = 44564480;

// The pick-ups meet one real player, who takes a weapon by its own rules.
class StandingPlayer : public FakePlayers {
public:
    bool PickUpWeapon(Object*, int id, int clip) override { return ++offers, real->PickUpWeapon(id, clip); }
    Player* real = nullptr;
};

template <class T> T* FindFirst()
{
    T* found = nullptr;
    Services().objects->ForEach([&](Object* o) { found = found ? found : dynamic_cast<T*>(o); });
    return found;
}

// The replicated state of each kind, read the same way on both sides.
template <class T, class F> void Same(Object* s, Object* c, F f)
{
    if (auto* a = dynamic_cast<T*>(s)) {
        EXPECT_EQ(f(static_cast<T*>(c)), f(a));
    }
}

void ExpectSame(Object* s, Object* c)
{
    SCOPED_TRACE("kind " + std::to_string(s->GetKind()));
    ASSERT_NE(c, nullptr);
    EXPECT_NE(c, s);
    EXPECT_EQ(c->GetTypeId(), s->GetTypeId());
    EXPECT_EQ(c->GetDefinitionId(), s->GetDefinitionId());
    EXPECT_EQ(c->GetX(), s->GetX());
    EXPECT_EQ(c->GetY(), s->GetY());
    EXPECT_EQ(c->GetAngle(), s->GetAngle());
    Same<Door>(s, c, [](Door* d) { return std::make_tuple(d->GetClosedAngle(), d->IsSolid(), d->IsBroken()); });
    Same<Window>(s, c, [](Window* w) { return w->IsBroken(); });
    Same<PickupObject>(s, c, [](PickupObject* p) { return p->IsTaken(); });
    Same<Weapon>(s, c, [](Weapon* w) { return w->IsTaken(); });
    Same<MissionItem>(s, c, [](MissionItem* m) { return std::make_pair(m->IsCarried(), m->GetType()); });
    Same<Player>(s, c, [](Player* p) { return std::make_pair(p->GetTeam(), p->GetHealth()); });
    Same<DummyBreakableObject>(s, c, [](Object* o) { return o->GetHealth(); });
    Same<Vehicle>(s, c, [](Vehicle* v) { return v->GetPartCount(); });
}

} // namespace

TEST_F(GameState, WorldObjectsReachAClientMemberByMember)
{
    WriteTestLevel("r_world.lvl", 20, 15, u"World", 0,
                   {{kDoor, 200, 200, 90},
                    {kWindow, 260, 120, 0},
                    {kPine, 120, 300, 0},
                    {kTable, 300, 260, 45},
                    {kBush, 340, 200, 0},
                    {kAmmoBox, 150, 150, 0},
                    {kMedkit, 250, 320, 0},
                    {kPistol, 400, 300, 0},
                    {kRussiaStart, 500, 100, 180},
                    {kFinnishFlag, 450, 380, 0},
                    {kJeep, 520, 220, 0}});
    LoopbackPair pair(engine_, resources_, game_, 300, 250);
    ASSERT_TRUE(pair.Start(u"levels/r_world.lvl"));
    pair.ServerSide();
    ASSERT_TRUE(resources_->ApplyItemDefinitions(Services().weapons));
    Player* player = CreatePlayer();
    player->SetTeam(0);
    player->SetPositionAngle(100, 100, 90);
    SoundSource* shot = Services().sounds->PlayAt(kPistolShot, 310, 250, 20.0f);
    ASSERT_NE(shot, nullptr);
    std::vector<Object*> serverObjects;
    Services().objects->ForEach([&](Object* o) { serverObjects.push_back(o); });
    ASSERT_EQ(serverObjects.size(), 12u);
    auto copyOf = [&](Object* o) {
        pair.ClientSide();
        return Services().objects->FindObject(o->GetNetworkId());
    };

    // Every registered object gets a copy; what each machine builds from the
    // level is there unregistered; start points stay the server's.
    ASSERT_TRUE(pair.Run([&] {
        for (Object* o : serverObjects)
            if (o->GetNetworkId() != 0 && !copyOf(o))
                return false;
        return pair.clientSide.sounds->Count() == 1;
    }));
    ASSERT_TRUE(pair.Run([] { return true; })); // the fields of the last arrival
    int replicated = 0;
    for (Object* s : serverObjects) {
        Object* c = s->GetNetworkId() != 0 ? (++replicated, copyOf(s)) : nullptr;
        pair.ClientSide();
        Services().objects->ForEach([&](Object* o) {
            if (!c && o->GetNetworkId() == 0 && o->GetDefinitionId() == s->GetDefinitionId() && o->GetX() == s->GetX())
                c = o;
        });
        if (dynamic_cast<StartPoint*>(s))
            EXPECT_EQ(c, nullptr);
        else
            ExpectSame(s, c);
    }
    EXPECT_EQ(replicated, 9); // door, window, table, ammo, medkit, pistol, flag, jeep, player
    // Lights are each machine's own: the level's lamp and the player's flashlight.
    EXPECT_EQ(pair.clientSide.objects->CountLights(), 2);
    EXPECT_EQ(pair.serverSide.objects->CountLights(), 2);
    auto& handler = dynamic_cast<MPAPI::ClientManager&>(*pair.client).GetHandler();
    auto* shotCopy = dynamic_cast<SoundSource*>(handler.FindObject(shot->GetNetworkId()));
    ASSERT_NE(shotCopy, nullptr);
    EXPECT_EQ(std::make_tuple(shotCopy->soundId, shotCopy->ownerId, shotCopy->volume, shotCopy->x, shotCopy->y,
                              shotCopy->playCounter),
              std::make_tuple(shot->soundId, shot->ownerId, shot->volume, shot->x, shot->y, shot->playCounter));

    // The player steps onto the pistol and stays: one offer, one clip's
    // worth of rounds, and the client sees it taken.
    pair.ServerSide();
    Weapon* pistol = FindFirst<Weapon>();
    ASSERT_TRUE(pistol && pistol->GetImage());
    const float px = pistol->GetX() + pistol->GetImage()->GetWidth() / 2.0f;
    const float py = pistol->GetY() + pistol->GetImage()->GetHeight() / 2.0f;
    const int pickClip = Services().weapons->FindWeapon(kPistol)->pickClip;
    StandingPlayer players;
    players.real = player;
    players.player = player;
    players.x = px, players.y = py;
    player->SetPositionAngle(px, py, 90);
    auto* pistolCopy = static_cast<Weapon*>(copyOf(pistol));
    ASSERT_TRUE(pair.Run([&] { return pistolCopy->IsTaken(); }));
    for (int i = 0; i < 100; ++i)
        pair.Run([] { return true; });
    EXPECT_EQ(players.offers, 1);
    int ammo = 0, clip = 0;
    ASSERT_TRUE(player->GetInventory().GetWeaponAmmo(kPistol, &ammo, &clip));
    EXPECT_EQ(ammo + clip, pickClip);

    // Back after two minutes; the player, who still has rounds for it,
    // leaves it lying.
    pair.ServerSide();
    pistol->Update(Weapon::kRespawnSeconds);
    EXPECT_TRUE(pair.Run([&] { return !pistolCopy->IsTaken(); }));
    EXPECT_GE(players.offers, 2);
    ASSERT_TRUE(player->GetInventory().GetWeaponAmmo(kPistol, &ammo, &clip));
    EXPECT_EQ(ammo + clip, pickClip);

    // A level object changed after creation: the window breaks.
    pair.ServerSide();
    Window* window = FindFirst<Window>();
    window->TakeHit(1000, false, 0, 260, 120, 0);
    EXPECT_TRUE(pair.Run([&] { return static_cast<Window*>(copyOf(window))->IsBroken(); }));

    // The jeep driven away on the server: the client's goes along.
    pair.ServerSide();
    Vehicle* jeep = FindFirst<Vehicle>();
    jeep->SetPosition(540, 260);
    jeep->SetAngle(30);
    Object* jeepCopy = copyOf(jeep);
    EXPECT_TRUE(pair.Run([&] { return jeepCopy->GetX() == 540 && jeepCopy->GetY() == 260; }));
}

} // namespace StateTest
