#pragma once

#include <cstdint>

namespace MPAPI {

class Object;

// One end of a client-server link as the game sees it: a reliable, ordered
// byte stream each way, the client-state block, and link statistics.
class IConnection {
public:
    // GetState values.
    static constexpr int kConnected = 0;
    static constexpr int kConnecting = 1;
    static constexpr int kClosed = 2;
    static constexpr int kTimedOut = 4;

    virtual ~IConnection() {}
    virtual int GetState() = 0;
    // Blocks (sleeps) until the peer answers: never call it holding the
    // manager's lock.
    virtual bool SetStreaming(bool on) = 0;
    virtual void Disconnect() = 0;
    virtual void ReservedSlot1(int) = 0; // unused, keeps the table's order
    virtual int GetPing() = 0;
    virtual bool IsValid() = 0;
    virtual uint32_t GetRemoteAddress() = 0;
    virtual int GetRemotePort() = 0;
    virtual void GetDebugText(char16_t* buffer, int size) = 0;
    virtual bool ToggleDebug() = 0;
    virtual int GetPacketsSent() = 0;
    virtual int GetPacketsReceived() = 0;
    virtual float GetBytesOutPerSecond() = 0;
    virtual float GetBytesInPerSecond() = 0;
    virtual float GetPacketLoss() = 0;
    virtual int ReservedSlot2() = 0; // unused, keeps the table's order
    virtual void SetClientFlags(int flags) = 0;
    virtual int GetClientFlags() = 0;
    virtual float GetClientX() = 0;
    virtual float GetClientY() = 0;
    virtual void SetClientValue(float value) = 0;
    virtual float GetClientValue() = 0;
    virtual void SetClientIntA(int value) = 0;
    virtual int GetClientIntA() = 0;
    virtual void SetClientIntB(int value) = 0;
    virtual int GetClientIntB() = 0;
    virtual void SetClientPoint(float u, float v) = 0;
    virtual void GetClientPoint(float* u, float* v) = 0;
    virtual void SetPlayerObject(Object* object) = 0;
    // Borrowed: the game's object given to SetPlayerObject.
    virtual Object* GetPlayerObject() = 0;
    virtual bool Send(const void* data, int length) = 0;
    virtual int GetSendSpace() = 0;
    virtual int Receive(void* buffer, int length) = 0;
    virtual int PeekAt(void* buffer, int offset, int length) = 0;
    virtual int Peek(void* buffer, int length) = 0;
    virtual bool Skip(int length) = 0;
    virtual int GetReceivedSize() = 0;
};

} // namespace MPAPI
