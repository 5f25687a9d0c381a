#pragma once

#include <cstdint>

namespace MPAPI {

class IConnection;
class IServerListener;
class Object;

// The server end of the engine networking as the game drives it.
class IServer {
public:
    virtual ~IServer() {}
    virtual void SetListener(IServerListener* listener) = 0;
    virtual int SetMaxPlayers(int count) = 0;
    virtual void SetUpstreamBandwidth(int bytesPerSecond) = 0;
    virtual void SetPassword(const char16_t* password) = 0;
    virtual int AddBan(uint32_t ip) = 0;
    virtual void RemoveBan(uint32_t ip) = 0;
    // One of the server's slots, valid while the server lives; reused once its peer leaves.
    virtual IConnection* NextNewConnection() = 0;
    virtual bool Listen(int port) = 0;
    virtual void DisconnectAll() = 0;
    virtual void Update(float seconds) = 0;
    virtual void ResetObjectStreams() = 0;
    // The object stays the caller's.
    virtual void AddObject(Object* object) = 0;
    // The object stays the caller's.
    virtual void AddObjectUnlocked(Object* object) = 0;
    virtual void RemoveObject(Object* object) = 0;
    virtual void RemoveAllObjects() = 0;
    virtual void SendNow(IConnection* connection, Object* object) = 0;
};

} // namespace MPAPI
