#pragma once

// Handlers that pass the game state's objects to a real MPAPI server or
// client, so two whole game states can talk over UDP on loopback.

#include "StateFixture.h"

#include "engine/net/IClient.h"
#include "engine/net/IServer.h"

namespace StateTest {

class LoopServer : public RecordingServer {
public:
    void AddObject(MPAPI::Object* o) override
    {
        added.push_back(o);
        if (server)
            server->AddObject(o);
    }
    void AddLevelObject(MPAPI::Object* o) override
    {
        levelAdded.push_back(o);
        if (server)
            server->AddObjectUnlocked(o);
    }
    void RemoveObject(MPAPI::Object* o) override
    {
        if (server)
            server->RemoveObject(o);
    }
};

class LoopClient : public RecordingClient {
public:
    void AddLevelObject(MPAPI::Object* o) override
    {
        if (client)
            client->AddObject(o);
    }
    void RemoveObject(MPAPI::Object* o) override
    {
        if (client)
            client->RemoveObject(o);
    }
    MPAPI::IClient* client = nullptr;
};

} // namespace StateTest
