#include "LoopbackPair.h"

#include "engine/net/IConnection.h"

#include <unistd.h>

namespace StateTest {

LoopbackPair::LoopbackPair(Engine* engine, ResourceManager* resources, GameSystem* serverGame, float viewX, float viewY)
    : engine_(engine), resources_(resources), serverGame_(serverGame), oldServer_(serverGame->GetServerHandler()),
      viewer_(kStartPoint)
{
    viewer_.SetPositionAngle(viewX, viewY, 0);
    serverGame_->SetHandlers(&loopServer, serverGame_->GetClientHandler());
}

bool LoopbackPair::Start(const char16_t* level)
{
    if (!serverGame_->StartServer(0) || !serverGame_->LoadLevel(level))
        return false;
    serverSide = Services();
    clientWorld_ = std::make_unique<World>(resources_);
    clientGame = new GameSystem(engine_, clientWorld_.get(), resources_, nullptr, nullptr);
    clientSide = Services();
    // Drawing stays the server side's (it has the renderer).
    clientSide.renderer = nullptr;
    clientSide.spritePainter = nullptr;
    clientSide.particlePainter = nullptr;
    Services() = clientSide;
    client.reset(engine_->CreateClient());
    sides_.AddClient(client.get());
    loopClient.client = client.get();
    client->SetListener(clientGame);
    clientGame->SetHandlers(nullptr, &loopClient);
    clientGame->SetActiveHandler(&loopClient);
    const int port = engine_->GetMasterServerUpdater().GetServerPort();
    if (!client->Connect(u"127.0.0.1", port, nullptr))
        return false;
    ServiceSides::Held held = sides_.Hold();
    return clientGame->LoadLevel(level);
}

bool LoopbackPair::Run(const std::function<bool()>& done)
{
    for (int i = 0; i < 500; ++i) {
        ServerSide();
        MPAPI::IServer* server = loopServer.GetServer();
        server->Update(0.02f);
        if (MPAPI::IConnection* joined = server->NextNewConnection()) {
            joined->SetPlayerObject(&viewer_);
            joined->SetStreaming(true);
        }
        serverGame_->Update(0.02f);
        ClientSide();
        client->Update(0.02f);
        clientGame->Update(0.02f);
        if (done())
            return true;
        usleep(2000);
    }
    return false;
}

LoopbackPair::~LoopbackPair()
{
    if (clientGame) {
        ClientSide();
        {
            ServiceSides::Held held = sides_.Hold();
            delete clientGame;
        }
        sides_.RemoveClient(client.get());
        client.reset();
        ServerSide();
    }
    serverGame_->SetHandlers(oldServer_, serverGame_->GetClientHandler());
}

} // namespace StateTest
