#pragma once

#include <memory>

class ClientHandler;
class GameSystem;
class IAudio;
class ResourceManager;
class ServerHandler;
class World;
struct CommonMedia;

// What the game makes below the engine, in the order Init makes it: each
// part may use those above it, never those below. Drop destroys them in the
// reverse order of these lines; the handlers are stopped first.
struct GameParts {
    GameParts();
    ~GameParts();
    GameParts(GameParts&&) noexcept;
    GameParts& operator=(GameParts&&) = delete;

    void Drop();

    // Null on a machine without sound.
    std::unique_ptr<IAudio> audio_;
    std::unique_ptr<ResourceManager> resources_;
    std::unique_ptr<World> world_;
    std::unique_ptr<CommonMedia> media_;
    std::unique_ptr<GameSystem> game_;
    std::unique_ptr<ServerHandler> server_;
    std::unique_ptr<ClientHandler> client_;
};
