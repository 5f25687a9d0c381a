#pragma once

#include "game/shell/MultiplayerHandler.h"

#include <cstdint>

namespace MPAPI {
class IServer;
}

// The serving handler: keeps the server the game state started and the
// check value of the level being played.
class ServerHandler : public MultiplayerHandler {
public:
    virtual void SetServer(MPAPI::IServer* server) = 0;
    virtual MPAPI::IServer* GetServer() = 0;
    virtual void SetLevelCheckValue(int32_t value) = 0;
    // Both send only while a server is held.
    virtual void BroadcastBlast(float x, float y, float power, float radius) = 0;
    virtual void SendPlayerStatus() = 0;
};
