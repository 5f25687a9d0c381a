#pragma once

namespace MPAPI {

class IClientListener;
class IConnection;
class Object;

// The client end of the engine networking as the game drives it.
class IClient {
public:
    static constexpr int kDefaultPort = 8887;

    // GetStatus values.
    static constexpr int kStatusConnected = 0;
    static constexpr int kStatusNoAnswer = 1;
    static constexpr int kStatusFull = 2;
    static constexpr int kStatusWrongVersion = 3;
    static constexpr int kStatusWrongPassword = 4;
    static constexpr int kStatusBanned = 5;

    virtual ~IClient() {}
    virtual void SetListener(IClientListener* listener) = 0;
    virtual int GetStatus() = 0;
    // The client's own connection, valid while the client lives.
    virtual IConnection* GetConnection() = 0;
    // Blocks for up to 5 attempts of 1 s. The client's own connection.
    virtual IConnection* Connect(const char16_t* host, int port, const char16_t* password) = 0;
    // The client's own connection, as Connect.
    virtual IConnection* ConnectDefaultPort(const char16_t* host, const char16_t* password) = 0;
    virtual void Disconnect() = 0;
    // Deletes the replicated objects the server removed, on the caller's thread.
    virtual void Update(float seconds) = 0;
    // The object stays the caller's.
    virtual void AddObject(Object* object) = 0;
    virtual void RemoveObject(Object* object) = 0;
    virtual void RemoveAllObjects() = 0;
    virtual void SetClientState(int flags, float x, float y, float value, int intA, int intB, float u, float v) = 0;
};

} // namespace MPAPI
