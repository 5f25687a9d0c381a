#pragma once

#include "engine/core/Engine.h"
#include "game/shell/protocol/ClientHandler.h"
#include "game/world/map/LevelFile.h"
#include "game/world/map/World.h"
#include "game/world/resources/ResourceManager.h"
#include "game/world/system/GameSystem.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace TestGame {

// The client's game state without a window: the engine, the data set's
// definitions (sheets stood in for), a world, the game state and its client
// handler, working in a game folder of its own with an empty "levels"
// folder. Only one lives at a time: the game state is process-wide.
class HeadlessGame {
public:
    explicit HeadlessGame(const std::string& gameDir);
    ~HeadlessGame();
    HeadlessGame(const HeadlessGame&) = delete;
    HeadlessGame& operator=(const HeadlessGame&) = delete;

    bool Ok() const { return ok_; }
    Engine& GetEngine() { return *engine_; }
    GameSystem& Game() { return *game_; }
    ClientHandler& Handler() { return *handler_; }
    const std::string& Dir() const { return dir_; }
    // A file of the game folder.
    std::string File(const std::string& relative) const { return dir_ + "/" + relative; }

    // The bytes of a shipped level (from the build tree).
    static std::vector<uint8_t> ShippedLevel(const std::string& name);
    // A loadable level of at least `size` bytes: a shipped level's world and
    // objects with a map picture of pseudo-random bytes.
    std::vector<uint8_t> MakeLevel(const std::string& shipped, size_t size, uint32_t seed);
    // A shipped level with its doors taken out: scripted players walk the
    // open ways between the bases.
    std::vector<uint8_t> WithoutDoors(const std::string& shipped);
    // A shipped level whose teams start at one place each, the second
    // team's the first team's first start point moved by (dx, dy), so that
    // the players meet at once and know where.
    std::vector<uint8_t> StartsFacing(const std::string& shipped, float dx, float dy);

private:
    // A shipped level read, changed and written again; empty when it does
    // not read or write.
    std::vector<uint8_t> RewriteShipped(const std::string& shipped, const std::function<void(LevelContents&)>& change);

    std::string dir_;
    std::unique_ptr<Engine> engine_;
    std::unique_ptr<ResourceManager> resources_;
    std::unique_ptr<World> world_;
    std::unique_ptr<GameSystem> game_;
    std::unique_ptr<ClientHandler> handler_;
    bool ok_ = false;
};

} // namespace TestGame
