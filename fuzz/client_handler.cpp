// Arbitrary server message streams into the client handler, level download
// included: nothing may be written outside the game folder's "levels", and
// no partial file may stay behind once the handler stops.
#include "ScratchFolder.h"
#include "engine/core/Engine.h"
#include "game/shell/protocol/ClientHandler.h"
#include "game/world/map/World.h"
#include "game/world/resources/ResourceManager.h"
#include "game/world/system/GameSystem.h"
#include "tests/game/shell/protocol/MemoryClient.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

struct ClientGame {
    std::string root;
    Engine* engine = nullptr;
    ResourceManager* resources = nullptr;
    World* world = nullptr;
    GameSystem* game = nullptr;
    ClientHandler* handler = nullptr;

    ClientGame()
    {
        root = Fuzz::ScratchFolder();
        fs::create_directories(root + "/game/levels");
        char old[4096];
        if (!getcwd(old, sizeof old) || chdir((root + "/game").c_str()) != 0)
            abort();
        engine = new Engine();
        if (chdir(old) != 0)
            abort();
        resources = new ResourceManager(nullptr, engine, nullptr);
        resources->BuildIndex();
        world = new World(resources);
        game = new GameSystem(engine, world, resources, nullptr, nullptr);
        handler = new ClientHandler(game);
        game->SetHandlers(nullptr, handler);
        game->SetActiveHandler(handler);
        handler->SetSleep([](int) {});
    }

    // Only "game" under the root, only plain files without a leading dot
    // directly in "levels"; then an empty "levels" for the next input.
    void CheckAndClear()
    {
        for (const auto& entry : fs::directory_iterator(root))
            if (entry.path().filename() != "game")
                abort();
        for (const auto& entry : fs::directory_iterator(root + "/game"))
            if (entry.path().filename() != "levels")
                abort();
        for (const auto& entry : fs::directory_iterator(root + "/game/levels")) {
            if (!entry.is_regular_file() || entry.path().filename().string()[0] == '.')
                abort();
            fs::remove(entry.path());
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static ClientGame* state = new ClientGame();
    MemoryConnection link;
    MemoryClient client(&link);
    state->handler->SetClient(&client);
    // The stream in three parts, with the connection lost before the last
    // when the first byte says so: a download may be cut off anywhere.
    size_t cut = size > 0 ? size / 3 : 0;
    link.inbound.assign(data, data + cut);
    state->handler->ProcessNetwork();
    link.inbound.insert(link.inbound.end(), data + cut, data + 2 * cut);
    state->handler->ProcessNetwork();
    if (size > 0 && (data[0] & 1))
        link.state = MPAPI::IConnection::kTimedOut;
    link.inbound.insert(link.inbound.end(), data + 2 * cut, data + size);
    state->handler->ProcessNetwork();
    state->handler->Stop();
    state->handler->SetClient(nullptr);
    state->CheckAndClear();
    return 0;
}
