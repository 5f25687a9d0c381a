// A sound source replicated from a real server to a real client over
// loopback UDP, rebuilt by the game state's listener; a sound the client
// does not know is skipped.
#include "EffectsFixture.h"

#include "engine/net/ClientManager.h"
#include "engine/net/IConnection.h"
#include "engine/net/MpapiTestObjects.h"
#include "engine/net/ServerManager.h"
#include "game/world/objects/SoundSystem.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"

using namespace EffectsTest;

TEST_F(Effects, SoundSourcesReachTheClientThroughTheGameListener)
{
    // The server's sounds know one more than the client's.
    ResourceManager serverResources(nullptr, engine_, audio_);
    AddSound(&serverResources, kGlass, u"weapons/hit_glass.ogg");
    AddSound(&serverResources, kWood + 100, u"weapons/hit_wood.ogg");
    SoundSystem serverSounds(nullptr, &serverResources);

    GameSystem game(engine_, nullptr, resources_, nullptr, audio_);
    MPAPI::ServerManager server;
    ASSERT_TRUE(server.Listen(0));
    MPAPI::ClientManager client;
    client.SetListener(&game);
    MPAPI::IConnection* toServer = client.Connect(u"127.0.0.1", server.GetPort(), nullptr);
    ASSERT_NE(toServer, nullptr);
    MPAPI::IConnection* toClient = nullptr;
    ASSERT_TRUE(NetTest::Pump(server, {&client}, [&] { return (toClient = server.NextNewConnection()) != nullptr; }));
    NetTest::Thing viewer;
    viewer.x = 100.0f;
    viewer.y = 100.0f;
    toClient->SetPlayerObject(&viewer);
    ASSERT_TRUE(toServer->SetStreaming(true));

    SoundSource* known = serverSounds.PlayAt(kGlass, 300.0f, 400.0f, 20.0f);
    ASSERT_NE(known, nullptr);
    known->ownerId = 9;
    SoundSource* unknown = serverSounds.PlayAt(kWood + 100, 200.0f, 200.0f, 10.0f);
    ASSERT_NE(unknown, nullptr);
    server.AddObject(known);
    server.AddObject(unknown);

    auto copyOf = [&](SoundSource* s) {
        return dynamic_cast<SoundSource*>(client.GetHandler().FindObject(s->GetNetworkId()));
    };
    ASSERT_TRUE(NetTest::Pump(server, {&client}, [&] {
        SoundSource* c = copyOf(known);
        return c && c->playCounter == 1 && c->x == 300.0f;
    }));
    SoundSource* copy = copyOf(known);
    EXPECT_EQ(copy->y, 400.0f);
    EXPECT_EQ(copy->volume, 200);
    EXPECT_EQ(copy->ownerId, 9);
    EXPECT_EQ(copy->GetSubTypeId(), kGlass);
    EXPECT_EQ(copyOf(unknown), nullptr);
    EXPECT_EQ(Services().sounds->Count(), 1) << "the client made a source for a sound it does not know";

    // A level load clears the client's sounds; the copy stays the network's.
    Services().sounds->Clear();
    EXPECT_EQ(Services().sounds->Count(), 1) << "the client freed a copy the networking layer owns";

    // A second trigger moves the client's counter on, and the client plays it.
    known->x = 310.0f;
    known->Trigger(3, 0.0f);
    ASSERT_TRUE(NetTest::Pump(server, {&client}, [&] { return copy->playCounter == 2 && copy->x == 310.0f; }));
    Services().sounds->Update(0.01f);
    EXPECT_GE(copy->CountVoices(), 1);

    server.RemoveObject(known);
    server.RemoveObject(unknown);
    ASSERT_TRUE(NetTest::Pump(server, {&client}, [&] { return Services().sounds->Count() == 0; }))
        << "the client kept a source the server removed";
    client.Disconnect();
}
