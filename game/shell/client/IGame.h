#pragma once

class IEditorUI;
class IEngine;
class IGameOptions;
class IRenderer;

// Symbols other deliverables bind to; everything else stays hidden.
#define GAME_API __attribute__((visibility("default")))

// Every host's way into the game library, reached through GetGame(). The
// launcher uses Init, LoadOptions, SaveOptions and Run; the level editor
// Init, SetRenderer and GetEditorUI; the catalogue operations from
// GetGameOptions on serve the outside options dialog. Strings returned are
// borrowed from the library. The order of the operations is the interface.
class IGame {
public:
    virtual ~IGame() {}
    virtual void Shutdown() = 0;
    virtual void Init(IEngine* engine) = 0;
    virtual void SetRenderer(IRenderer* renderer) = 0;
    // Made on the first call and kept; later calls give the same object.
    virtual IEditorUI* GetEditorUI() = 0;
    // False when "game.opt" could not be read; nothing else changes then.
    virtual bool LoadOptions() = 0;
    virtual bool SaveOptions() = 0;
    // The whole client: update check, log-in, menus and play.
    virtual void Run(const char16_t* first, const char16_t* second, bool fullScreen) = 0;

    virtual IGameOptions* GetGameOptions() = 0;
    virtual const char16_t* GetPlayerName() = 0;
    virtual void SetPlayerName(const char16_t* name) = 0;
    // Refills the level catalogue from "levels/*.lvl".
    virtual void ListLevels() = 0;
    virtual int CountLevelsOfMode(int mode) = 0;
    virtual int LevelCount() = 0;
    // Index operations answer 0 or "" outside the catalogue.
    virtual int LevelMode(int index) = 0;
    // The n-th level of that mode; "" when there is none.
    virtual const char16_t* ModeLevelName(int mode, int n) = 0;
    virtual const char16_t* LevelName(int index) = 0;
    virtual const char16_t* ModeLevelFile(int mode, int n) = 0;
    virtual const char16_t* LevelFile(int index) = 0;

    // How the last Run ended: 0 when the client ran and ended normally; a
    // start that failed leaves a non-zero code and a line saying why, which
    // the launcher reports (the run itself shows what a player must see).
    virtual int GetRunExitCode() = 0;
    virtual const char* GetRunError() = 0;
};

extern "C" GAME_API IGame* GetGame();
