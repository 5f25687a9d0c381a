#pragma once

// The game state over the shipped data set in a game folder of its own,
// with a real renderer when an X display is there, and recording handlers.

#include "engine/core/Engine.h"
#include "engine/render/IRenderer.h"
#include "game/world/map/LevelFile.h"
#include "game/world/map/World.h"
#include "game/world/resources/ResourceManager.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"
#include "support-game/FakeResourceHost.h"
#include "support-game/RecordingHandlers.h"
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
    static FakeHost* host_;
    static ResourceManager* resources_;
    static World* world_;
    GameSystem* game_ = nullptr;
    RecordingServer server_;
    RecordingClient client_;
};

// The first object of type T on the side whose services are current.
template <typename T> T* FirstObject()
{
    T* found = nullptr;
    Services().objects->ForEachObject([&](Object* o) {
        if (!found)
            found = dynamic_cast<T*>(o);
    });
    return found;
}

} // namespace StateTest
