// A door opened, closed and broken by the server reaches a client over
// real UDP on loopback, each side a whole game state.
#include "LoopbackPair.h"
#include "ObjectFakes.h"

#include "game/world/objects/Door.h"
#include "game/world/state/ObjectManager.h"

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
    // The server's viewer stands at the door.
    LoopbackPair pair(engine_, resources_, game_, 200, 200);
    ASSERT_TRUE(pair.Start(u"levels/r_door.lvl"));
    Door* clientDoor = FindDoor();
    pair.ServerSide();
    Door* serverDoor = FindDoor();
    ASSERT_NE(serverDoor, nullptr);
    ASSERT_NE(clientDoor, nullptr);
    ASSERT_NE(clientDoor, serverDoor);
    FakePlayers players;
    auto run = [&](const std::function<bool()>& done) { return pair.Run(done); };

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

    pair.ServerSide();
    serverDoor->TakeHit(1000, false, 0, 200, 200, 0);
    EXPECT_TRUE(run([&] { return clientDoor->IsBroken(); }));
}

} // namespace StateTest
