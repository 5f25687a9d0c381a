#pragma once

// The fixture's game state serving over real UDP on loopback, and a client
// game state of its own world connected to it. The world's services are
// process-wide, so each side's are put in place before it runs.

#include "StateFixture.h"
#include "support-game/ServiceSides.h"

#include "engine/net/IClient.h"
#include "game/world/objects/StartPoint.h"
#include "game/world/state/WorldServices.h"

#include <functional>
#include <memory>

namespace StateTest {

class LoopbackPair {
public:
    // Serves the level on the server side; the viewer of the joining
    // connection stands at (viewX, viewY).
    LoopbackPair(Engine* engine, ResourceManager* resources, GameSystem* serverGame, float viewX, float viewY);
    ~LoopbackPair();
    // Connects the client and loads the level there too.
    bool Start(const char16_t* level);
    // Frames of both sides until done() holds; false when it never did.
    bool Run(const std::function<bool()>& done);
    void ServerSide() { Switch(serverSide); }
    void ClientSide() { Switch(clientSide); }

    WorldServices serverSide, clientSide;
    RecordingServer loopServer;
    RecordingClient loopClient;
    std::unique_ptr<MPAPI::IClient> client;
    GameSystem* clientGame = nullptr;

private:
    // The players a test stands in for (Services().contacts) are both sides'.
    void Switch(const WorldServices& side)
    {
        ServiceSides::Held held = sides_.Hold();
        IPlayerContacts* players = Services().contacts;
        Services() = side;
        Services().contacts = players;
    }

    Engine* engine_;
    ResourceManager* resources_;
    GameSystem* serverGame_;
    IMultiplayerHandler* oldServer_;
    std::unique_ptr<World> clientWorld_;
    StartPoint viewer_;
    ServiceSides sides_;
};

} // namespace StateTest
