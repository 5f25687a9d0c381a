// Every kind of object a level holds, a player and a sound, made by a server
// game state and rebuilt by a client game state over real UDP on loopback,
// compared member by member; then the player takes the level's weapon, once,
// and the client sees it go and come back.
#include "LoopbackHandlers.h"
#include "ObjectFakes.h"

#include "engine/net/ClientManager.h"
#include "engine/net/IClient.h"
#include "engine/net/IConnection.h"
#include "engine/render/ITexture.h"
#include "game/world/Door.h"
#include "game/world/DummyObject.h"
#include "game/world/MissionItem.h"
#include "game/world/ObjectFactory.h"
#include "game/world/ObjectManager.h"
#include "game/world/Pickups.h"
#include "game/world/Player.h"
#include "game/world/Scenery.h"
#include "game/world/SoundSystem.h"
#include "game/world/StartPoint.h"
#include "game/world/WeaponTable.h"
#include "game/world/WorldServices.h"

#include <functional>

namespace StateTest {
namespace {

constexpr int kWindow = 34078720;
constexpr int kPine = 36700160;
constexpr int kRussiaStart = 26476544;
constexpr int kFinnishFlag = 29097984;
constexpr int kAmmoBox = 55050240;
constexpr int kMedkit = 57671680;
constexpr int kPistol = 78643200;
constexpr int kPistolShot = 838860800;

// The pick-ups meet one real player, who takes a weapon by its own rules.
class StandingPlayer : public FakePlayers {
public:
    bool PickUpWeapon(Object*, int id, int clip) override
    {
        ++offers;
        return real->PickUpWeapon(id, clip);
    }
    Player* real = nullptr;
};

template <class T> T* FindFirst()
{
    T* found = nullptr;
    Services().objects->ForEach([&](Object* o) {
        if (!found)
            found = dynamic_cast<T*>(o);
    });
    return found;
}

// The replicated state of each kind, read the same way on both sides.
void ExpectSame(Object* s, Object* c)
{
    SCOPED_TRACE("kind " + std::to_string(s->GetKind()) + " definition " + std::to_string(s->GetDefinitionId()));
    ASSERT_NE(c, nullptr);
    EXPECT_NE(c, s);
    EXPECT_EQ(c->GetTypeId(), s->GetTypeId());
    EXPECT_EQ(c->GetDefinitionId(), s->GetDefinitionId());
    EXPECT_FLOAT_EQ(c->GetX(), s->GetX());
    EXPECT_FLOAT_EQ(c->GetY(), s->GetY());
    EXPECT_FLOAT_EQ(c->GetAngle(), s->GetAngle());
    if (auto* d = dynamic_cast<Door*>(s)) {
        EXPECT_FLOAT_EQ(static_cast<Door*>(c)->GetClosedAngle(), d->GetClosedAngle());
        EXPECT_EQ(static_cast<Door*>(c)->IsSolid(), d->IsSolid());
        EXPECT_EQ(static_cast<Door*>(c)->IsBroken(), d->IsBroken());
    } else if (auto* w = dynamic_cast<Window*>(s)) {
        EXPECT_EQ(static_cast<Window*>(c)->IsBroken(), w->IsBroken());
    } else if (auto* p = dynamic_cast<PickupObject*>(s)) {
        EXPECT_EQ(static_cast<PickupObject*>(c)->IsTaken(), p->IsTaken());
    } else if (auto* g = dynamic_cast<Weapon*>(s)) {
        EXPECT_EQ(static_cast<Weapon*>(c)->IsTaken(), g->IsTaken());
    } else if (auto* m = dynamic_cast<MissionItem*>(s)) {
        EXPECT_EQ(static_cast<MissionItem*>(c)->IsCarried(), m->IsCarried());
        EXPECT_EQ(static_cast<MissionItem*>(c)->GetType(), m->GetType());
    } else if (auto* pl = dynamic_cast<Player*>(s)) {
        EXPECT_EQ(static_cast<Player*>(c)->GetTeam(), pl->GetTeam());
        EXPECT_FLOAT_EQ(c->GetHealth(), s->GetHealth());
    } else if (dynamic_cast<DummyBreakableObject*>(s)) {
        EXPECT_FLOAT_EQ(c->GetHealth(), s->GetHealth());
    }
}

} // namespace

TEST_F(GameState, WorldObjectsReachAClientMemberByMember)
{
    WriteTestLevel("r_world.lvl", 20, 15, u"World", 0,
                   {{kDoor, 200, 200, 90}, {kWindow, 260, 120, 0}, {kPine, 120, 300, 0}, {kTable, 300, 260, 45},
                    {kBush, 340, 200, 0}, {kAmmoBox, 150, 150, 0}, {kMedkit, 250, 320, 0}, {kPistol, 400, 300, 0},
                    {kRussiaStart, 500, 100, 180}, {kFinnishFlag, 450, 380, 0}});
    LoopServer loopServer;
    game_->SetHandlers(&loopServer, &client_);
    ASSERT_TRUE(game_->StartServer(0));
    const int port = engine_->GetMasterServerUpdater().GetServerPort();
    ASSERT_TRUE(game_->LoadLevel(u"levels/r_world.lvl"));
    ASSERT_TRUE(resources_->ApplyItemDefinitions(Services().weapons));
    Player* player = CreatePlayer();
    player->SetTeam(0);
    Weapon* pistol = FindFirst<Weapon>();
    ASSERT_NE(pistol, nullptr);
    ASSERT_NE(pistol->GetImage(), nullptr);
    const float pistolX = pistol->GetX() + pistol->GetImage()->GetWidth() / 2.0f;
    const float pistolY = pistol->GetY() + pistol->GetImage()->GetHeight() / 2.0f;
    player->SetPositionAngle(pistolX - 100, pistolY, 90);
    SoundSource* shot = Services().sounds->PlayAt(kPistolShot, 310, 250, 20.0f);
    ASSERT_NE(shot, nullptr);
    const WorldServices serverSide = Services();

    World clientWorld(resources_);
    GameSystem* clientGame = new GameSystem(engine_, &clientWorld, resources_, nullptr, nullptr);
    WorldServices clientSide = Services();
    clientSide.renderer = nullptr;
    clientSide.spritePainter = nullptr;
    clientSide.particlePainter = nullptr;
    Services() = clientSide;
    LoopClient loopClient;
    std::unique_ptr<MPAPI::IClient> client(engine_->CreateClient());
    loopClient.client = client.get();
    client->SetListener(clientGame);
    clientGame->SetHandlers(nullptr, &loopClient);
    clientGame->SetActiveHandler(&loopClient);
    ASSERT_NE(client->Connect(u"127.0.0.1", port, nullptr), nullptr);
    ASSERT_TRUE(clientGame->LoadLevel(u"levels/r_world.lvl"));

    StartPoint viewer(kStartPoint);
    viewer.SetPositionAngle(300, 250, 0);
    StandingPlayer players;
    players.real = player;
    players.player = player;
    players.present = false;
    auto run = [&](const std::function<bool()>& done, float dt = 0.02f) {
        for (int i = 0; i < 500; ++i) {
            Services() = serverSide;
            MPAPI::IServer* server = loopServer.GetServer();
            server->Update(dt);
            if (MPAPI::IConnection* joined = server->NextNewConnection()) {
                joined->SetPlayerObject(&viewer);
                joined->SetStreaming(true);
            }
            game_->Update(dt);
            Services() = clientSide;
            client->Update(dt);
            clientGame->Update(dt);
            if (done())
                return true;
            usleep(2000);
        }
        return false;
    };
    auto copyOf = [&](MPAPI::Object* o) -> Object* {
        Services() = clientSide;
        return Services().objects->FindObject(o->GetNetworkId());
    };

    // Everything the server registered has a copy; what every machine builds
    // from the level is there too, unregistered; start points stay the server's.
    std::vector<Object*> serverObjects;
    Services() = serverSide;
    Services().objects->ForEach([&](Object* o) { serverObjects.push_back(o); });
    ASSERT_EQ(serverObjects.size(), 11u);
    ASSERT_TRUE(run([&] {
        for (Object* o : serverObjects)
            if (o->GetNetworkId() != 0 && !copyOf(o))
                return false;
        return clientSide.sounds->Count() == 1;
    }));
    ASSERT_TRUE(run([] { return true; })); // one more frame: every field arrived
    int replicated = 0;
    for (Object* s : serverObjects) {
        if (s->GetNetworkId() != 0) {
            ++replicated;
            ExpectSame(s, copyOf(s));
            continue;
        }
        Object* c = nullptr;
        Services() = clientSide;
        Services().objects->ForEach([&](Object* o) {
            if (o->GetDefinitionId() == s->GetDefinitionId() && o->GetX() == s->GetX() && o->GetY() == s->GetY())
                c = o;
        });
        if (dynamic_cast<StartPoint*>(s))
            EXPECT_EQ(c, nullptr);
        else
            ExpectSame(s, c);
    }
    EXPECT_EQ(replicated, 8); // door, window, table, ammo, medkit, pistol, flag, player
    auto* manager = dynamic_cast<MPAPI::ClientManager*>(client.get());
    ASSERT_NE(manager, nullptr);
    auto* shotCopy = dynamic_cast<SoundSource*>(manager->GetHandler().FindObject(shot->GetNetworkId()));
    ASSERT_NE(shotCopy, nullptr);
    EXPECT_NE(shotCopy, shot);
    EXPECT_EQ(shotCopy->soundId, shot->soundId);
    EXPECT_EQ(shotCopy->ownerId, shot->ownerId);
    EXPECT_EQ(shotCopy->volume, 200);
    EXPECT_EQ(shotCopy->x, shot->x);
    EXPECT_EQ(shotCopy->y, shot->y);
    EXPECT_EQ(shotCopy->playCounter, shot->playCounter);

    // The player steps onto the pistol and stays there: one offer, one
    // pick-up, a clip's worth of rounds, and the client sees it taken.
    Services() = serverSide;
    player->SetPositionAngle(pistolX, pistolY, 90);
    players.x = pistolX, players.y = pistolY;
    players.present = true;
    Weapon* pistolCopy = static_cast<Weapon*>(copyOf(pistol));
    ASSERT_TRUE(run([&] { return pistolCopy->IsTaken(); }));
    for (int i = 0; i < 100; ++i)
        run([] { return true; });
    EXPECT_EQ(players.offers, 1);
    int ammo = 0, clip = 0;
    ASSERT_TRUE(player->GetInventory().GetWeaponAmmo(kPistol, &ammo, &clip));
    const WeaponDef* def = serverSide.weapons->FindWeapon(kPistol);
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(ammo + clip, def->pickClip);

    // Back after two minutes, offered again, refused by a player who still
    // has rounds for it: it stays, and the client sees it back.
    Services() = serverSide;
    pistol->Update(Weapon::kRespawnSeconds);
    EXPECT_TRUE(run([&] { return !pistolCopy->IsTaken(); }));
    EXPECT_GE(players.offers, 2);
    EXPECT_FALSE(pistol->IsTaken());
    ASSERT_TRUE(player->GetInventory().GetWeaponAmmo(kPistol, &ammo, &clip));
    EXPECT_EQ(ammo + clip, def->pickClip);

    // A change to a level object after creation: the window breaks.
    Services() = serverSide;
    Window* window = FindFirst<Window>();
    ASSERT_NE(window, nullptr);
    window->TakeHit(1000, false, 0, 260, 120, 0);
    EXPECT_TRUE(run([&] { return static_cast<Window*>(copyOf(window))->IsBroken(); }));

    players.present = false;
    Services() = clientSide;
    delete clientGame;
    client.reset();
    Services() = serverSide;
    game_->SetHandlers(&server_, &client_);
}

} // namespace StateTest
