#pragma once

class GameSystem;
class IEngine;
struct CommonMedia;

// What the full-screen menus reach beside their host: the engine (the
// master server's list), the game state (run settings, the level list,
// where a join goes) and the shared pictures.
struct ScreenContext {
    IEngine* engine = nullptr;
    GameSystem* game = nullptr;
    CommonMedia* media = nullptr;
};
