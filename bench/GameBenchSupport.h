#pragma once

#include "engine/render/ITexture.h"
#include "game/shell/protocol/ServerHandler.h"
#include "game/world/resources/ResourceManager.h"

// Pieces the game's benchmarks share: resources without a renderer and a
// serving handler that sends nothing.
namespace GameBench {

// Sheets without a renderer: the blocks only need to exist for their ids.
class SizedTexture final : public ITexture {
public:
    ITexture* GetAtlas() override { return nullptr; }
    void Release() override {}
    void SetName(const char16_t*) override {}
    const char16_t* GetName() override { return u""; }
    int GetWidth() override { return 128; }
    int GetHeight() override { return 512; }
    const uint32_t* LoadPixels(int, int, int, int) override { return nullptr; }
    void FreePixels() override {}
    void GetTexCoords(int, int, int, int, float*, float*, float*, float*) override {}
    void GetFullTexCoords(float*, float*, float*, float*) override {}
    void Bind(int) override {}
};

class HeadlessResources final : public ResourceManager {
public:
    explicit HeadlessResources(IEngine* engine) : ResourceManager(nullptr, engine, nullptr) {}
    ITexture* LoadTextureA(const char*, bool, int) override { return &sheet_; }

private:
    SizedTexture sheet_;
};

class SilentServer : public ServerHandler {
public:
    void AddObject(MPAPI::Object*) override {}
    void AddLevelObject(MPAPI::Object*) override {}
    void RemoveObject(MPAPI::Object*) override {}
    void SendInventoryClear(Player*) override {}
    void SetServer(MPAPI::IServer*) override {}
    MPAPI::IServer* GetServer() override { return nullptr; }
    void SetLevelCheckValue(int32_t) override {}
    void BroadcastBlast(float, float, float, float) override {}
    void SendPlayerStatus() override {}
};

} // namespace GameBench
