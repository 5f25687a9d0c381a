#pragma once

// A connection end whose streams are byte vectors: what the game sends is
// kept in `sent`, what it receives is taken from `inbound`.
#include "engine/net/IConnection.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

class MemoryConnection : public MPAPI::IConnection {
public:
    std::vector<uint8_t> inbound;
    std::vector<uint8_t> sent;
    int sendSpace = 13000;
    int state = kConnected;
    int ping = 0;
    MPAPI::Object* player = nullptr;

    int GetState() override { return state; }
    bool SetStreaming(bool) override { return true; }
    void Disconnect() override { state = kClosed; }
    void ReservedSlot1(int) override {}
    int GetPing() override { return ping; }
    bool IsValid() override { return true; }
    uint32_t GetRemoteAddress() override { return 0; }
    int GetRemotePort() override { return 0; }
    void GetDebugText(char16_t* buffer, int size) override
    {
        if (buffer && size > 0)
            buffer[0] = 0;
    }
    bool ToggleDebug() override { return false; }
    int GetPacketsSent() override { return 0; }
    int GetPacketsReceived() override { return 0; }
    float GetBytesOutPerSecond() override { return 0; }
    float GetBytesInPerSecond() override { return 0; }
    float GetPacketLoss() override { return 0; }
    int ReservedSlot2() override { return 0; }
    void SetClientFlags(int) override {}
    int GetClientFlags() override { return 0; }
    float GetClientX() override { return 0; }
    float GetClientY() override { return 0; }
    void SetClientValue(float) override {}
    float GetClientValue() override { return 0; }
    void SetClientIntA(int) override {}
    int GetClientIntA() override { return 0; }
    void SetClientIntB(int) override {}
    int GetClientIntB() override { return 0; }
    void SetClientPoint(float, float) override {}
    void GetClientPoint(float* u, float* v) override { *u = *v = 0; }
    void SetPlayerObject(MPAPI::Object* object) override { player = object; }
    MPAPI::Object* GetPlayerObject() override { return player; }
    bool Send(const void* data, int length) override
    {
        if (length < 0 || length > sendSpace || state != kConnected)
            return false;
        const uint8_t* b = static_cast<const uint8_t*>(data);
        sent.insert(sent.end(), b, b + length);
        return true;
    }
    int GetSendSpace() override { return sendSpace; }
    int Receive(void* buffer, int length) override
    {
        if (Peek(buffer, length) != length)
            return 0;
        inbound.erase(inbound.begin(), inbound.begin() + length);
        return length;
    }
    int PeekAt(void* buffer, int offset, int length) override
    {
        if (offset < 0 || length < 0 || size_t(offset) + size_t(length) > inbound.size())
            return 0;
        std::memcpy(buffer, inbound.data() + offset, size_t(length));
        return length;
    }
    int Peek(void* buffer, int length) override { return PeekAt(buffer, 0, length); }
    bool Skip(int length) override
    {
        if (length < 0 || size_t(length) > inbound.size())
            return false;
        inbound.erase(inbound.begin(), inbound.begin() + length);
        return true;
    }
    int GetReceivedSize() override { return int(inbound.size()); }
};
