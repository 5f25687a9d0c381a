// The engine hands out real servers and clients, and the master-server
// updater learns the port of the last server only while it lives.
#include "engine/core/Engine.h"
#include "engine/net/IClient.h"
#include "engine/net/IConnection.h"
#include "engine/net/IServer.h"

#include <gtest/gtest.h>

#include <memory>

TEST(MpapiEngine, CreateServerAndClientTalkAndTheUpdaterForgetsAGoneServer)
{
    auto* engine = static_cast<Engine*>(GetEngine());
    ASSERT_NE(engine, nullptr);
    std::unique_ptr<MPAPI::IServer> server(engine->CreateServer());
    ASSERT_NE(server, nullptr);
    ASSERT_TRUE(server->Listen(0));
    int port = engine->GetMasterServerUpdater().GetServerPort();
    EXPECT_GT(port, 0);
    std::unique_ptr<MPAPI::IClient> client(engine->CreateClient());
    ASSERT_NE(client, nullptr);
    ASSERT_NE(client->Connect(u"127.0.0.1", port, nullptr), nullptr);
    EXPECT_EQ(client->GetStatus(), 0);
    MPAPI::IConnection* accepted = nullptr;
    for (int i = 0; i < 2000 && !accepted; ++i) {
        server->Update(0.02f);
        client->Update(0.02f);
        accepted = server->NextNewConnection();
    }
    EXPECT_NE(accepted, nullptr);
    client.reset();
    server.reset();
    EXPECT_EQ(engine->GetMasterServerUpdater().GetServerPort(), 0);
}
