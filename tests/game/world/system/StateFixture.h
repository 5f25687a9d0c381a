#pragma once

// The game state over the shipped data set in a game folder of its own,
// with a real renderer when an X display is there, and recording handlers.

#include "engine/core/Engine.h"
#include "engine/net/IServer.h"
#include "engine/render/IRenderer.h"
#include "game/shell/protocol/ClientHandler.h"
#include "game/shell/protocol/ServerHandler.h"
#include "game/world/map/LevelFile.h"
#include "game/world/map/World.h"
#include "game/world/resources/IResourceHost.h"
#include "game/world/resources/ResourceManager.h"
#include "game/world/system/GameSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace StateTest {

// Script definitions the tests place.
constexpr int kTable = 40108032;      // furniture with health
constexpr int kBush = 40632320;       // plant without health
constexpr int kStartPoint = 26214400; // made by the server only
constexpr int kDoor = 31457280;

template <class Base> class Recording : public Base {
public:
    void AddObject(MPAPI::Object* o) override { added.push_back(o); }
    void AddLevelObject(MPAPI::Object* o) override { levelAdded.push_back(o); }
    void RemoveObject(MPAPI::Object* o) override { removed.push_back(o); }
    void SendInventoryClear(Player*) override {}
    std::vector<MPAPI::Object*> added, levelAdded, removed;
};

class RecordingServer : public Recording<ServerHandler> {
public:
    ~RecordingServer() override { delete server; }
    void SetServer(MPAPI::IServer* s) override { server = s; }
    MPAPI::IServer* GetServer() override { return server; }
    void SetLevelCheckValue(int32_t v) override { checkValue = v; }
    void BroadcastBlast(float, float, float, float) override { ++blasts; }
    void SendPlayerStatus() override { ++statusReports; }
    MPAPI::IServer* server = nullptr;
    int32_t checkValue = 0;
    int blasts = 0;
    int statusReports = 0;
};

class RecordingClient : public Recording<ClientHandler> {};

class Host : public IResourceHost {
public:
    IRenderer* GetRenderer() override { return renderer; }
    void SetCurrentResource(int, IResource*) override {}
    bool HasEditor() override { return false; }
    void SelectBlockTool() override {}
    void SelectObjectTool() override {}
    IEditorListener* GetStartedEditorListener() override { return nullptr; }
    IEditorSelectionPage* GetSelectionPage(Page) override { return nullptr; }
    IRenderer* renderer = nullptr;
};

class GameState : public testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Writes levels/<name> in the game folder: a w x h floor with a wall
    // border, and the objects given.
    static void WriteTestLevel(const std::string& name, int w, int h, const std::u16string& title, int mode,
                               const std::vector<LevelObject>& objects);
    static std::string LevelPath(const std::string& name);
    static bool Drew(); // no GL error since the last call
    static int BlockIndex(int id);

    static TestSupport::TempDir* dir_;
    static Engine* engine_;
    static IRenderer* renderer_;
    static Host* host_;
    static ResourceManager* resources_;
    static World* world_;
    GameSystem* game_ = nullptr;
    RecordingServer server_;
    RecordingClient client_;
};

} // namespace StateTest
