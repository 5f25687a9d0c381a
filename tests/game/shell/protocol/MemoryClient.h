#pragma once

// A client whose one connection is a MemoryConnection.
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
    void SetClientState(int, float, float, float, int, int, float, float) override {}

private:
    MemoryConnection* c_;
};
