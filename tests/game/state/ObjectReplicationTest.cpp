// A door opened, closed and broken by the server reaches a client over
// real UDP on loopback, each side a whole game state. The world's services
// are process-wide, so each side's are put in place before it runs.
#include "LoopbackHandlers.h"
#include "ObjectFakes.h"

#include "engine/net/IClient.h"
#include "engine/net/IConnection.h"
#include "game/world/Door.h"
#include "game/world/ObjectManager.h"
#include "game/world/StartPoint.h"
#include "game/world/WorldServices.h"

#include <functional>

namespace StateTest {
namespace {

Door* FindDoor()
{
    Door* door = nullptr;
    Services().objects->ForEachObject([&](Object* o) {
        if (!door)
            door = dynamic_cast<Door*>(o);
    });
    return door;
}

} // namespace

TEST_F(GameState, DoorReplicatesToAClientOverLoopback)
{
    WriteTestLevel("r_door.lvl", 20, 15, u"Doors", 0, {{kDoor, 200, 200, 0}});
    LoopServer loopServer;
    game_->SetHandlers(&loopServer, &client_);
    ASSERT_TRUE(game_->StartServer(0));
    const int port = engine_->GetMasterServerUpdater().GetServerPort();
    ASSERT_TRUE(game_->LoadLevel(u"levels/r_door.lvl"));
    Door* serverDoor = FindDoor();
    ASSERT_NE(serverDoor, nullptr);
    const WorldServices serverSide = Services();

    World clientWorld(resources_);
    GameSystem* clientGame = new GameSystem(engine_, &clientWorld, resources_, nullptr, nullptr);
    WorldServices clientSide = Services();
    // Drawing stays the server side's (it has the renderer).
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
    ASSERT_TRUE(clientGame->LoadLevel(u"levels/r_door.lvl"));
    Door* clientDoor = FindDoor();
    ASSERT_NE(clientDoor, nullptr);
    ASSERT_NE(clientDoor, serverDoor);

    // The server's viewer stands at the door.
    StartPoint viewer(kStartPoint);
    viewer.SetPositionAngle(200, 200, 0);
    FakePlayers players;
    auto run = [&](const std::function<bool()>& done) {
        for (int i = 0; i < 500; ++i) {
            Services() = serverSide;
            MPAPI::IServer* server = loopServer.GetServer();
            server->Update(0.02f);
            if (MPAPI::IConnection* joined = server->NextNewConnection()) {
                joined->SetPlayerObject(&viewer);
                joined->SetStreaming(true);
            }
            game_->Update(0.02f);
            Services() = clientSide;
            client->Update(0.02f);
            clientGame->Update(0.02f);
            if (done())
                return true;
            usleep(2000);
        }
        return false;
    };

    // The use key is let go once the server's door has turned.
    players.touching = true;
    players.bits = Door::kUseBit;
    ASSERT_TRUE(run([&] { return !serverDoor->IsClosing(); }));
    players.bits = 0;
    EXPECT_TRUE(run([&] { return !clientDoor->IsSolid() && clientDoor->GetAngle() == 90.0f; }))
        << "angle " << clientDoor->GetAngle();
    EXPECT_FLOAT_EQ(clientDoor->GetClosedAngle(), 0.0f);
    players.bits = Door::kUseBit;
    ASSERT_TRUE(run([&] { return serverDoor->IsClosing(); }));
    players.bits = 0;
    EXPECT_TRUE(run([&] { return clientDoor->IsSolid() && clientDoor->GetAngle() == 0.0f; }))
        << "angle " << clientDoor->GetAngle();
    players.touching = false;

    Services() = serverSide;
    serverDoor->TakeHit(1000, false, 0, 200, 200, 0);
    EXPECT_TRUE(run([&] { return clientDoor->IsBroken(); }));

    Services() = clientSide;
    delete clientGame;
    client.reset();
    Services() = serverSide;
    game_->SetHandlers(&server_, &client_);
}

} // namespace StateTest
