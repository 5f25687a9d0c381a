#pragma once

// A client whose one connection is a MemoryConnection; it keeps the client
// state it is given.
#include "MemoryConnection.h"
#include "engine/net/IClient.h"

class MemoryClient : public MPAPI::IClient {
public:
    explicit MemoryClient(MemoryConnection* c) : c_(c) {}
    void SetListener(MPAPI::IClientListener*) override {}
    int GetStatus() override { return kStatusConnected; }
    MPAPI::IConnection* GetConnection() override { return c_; }
    MPAPI::IConnection* Connect(const char16_t*, int, const char16_t*) override { return c_; }
    MPAPI::IConnection* ConnectDefaultPort(const char16_t*, const char16_t*) override { return c_; }
    void Disconnect() override { c_->Disconnect(); }
    void Update(float) override {}
    void AddObject(MPAPI::Object*) override {}
    void RemoveObject(MPAPI::Object*) override {}
    void RemoveAllObjects() override {}
    void SetClientState(int flags, float x, float y, float value, int a, int b, float u, float v) override
    {
        state = {flags, x, y, value, a, b, u, v};
        ++states;
    }

    // The client state last reported, and how many were.
    struct State {
        int flags;
        float x, y, value;
        int a, b;
        float u, v;
    } state = {};
    int states = 0;

private:
    MemoryConnection* c_;
};
