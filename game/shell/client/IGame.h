#pragma once

// Symbols other deliverables bind to; everything else stays hidden.
#define GAME_API __attribute__((visibility("default")))

class IEngine;
class IRenderer;
class IEditorUI;
class IGameOptions;

// Exit code of a client whose Run failed before it could play (networking,
// renderer, its set-up, shaders, keyboard or mouse); see GetRunResult.
const int kRunFailedExitCode = 4;

// The game library as its hosts see it: the launcher (Init, LoadOptions,
// SaveOptions, Run), the level editor (Init, SetRenderer, GetEditorUI) and
// the outside options dialog (the settings and the level catalogue).
// Strings returned are borrowed from the game library.
class IGame {
public:
    virtual ~IGame() {}
    virtual void Shutdown() = 0;
    virtual void Init(IEngine* engine) = 0;
    virtual void SetRenderer(IRenderer* renderer) = 0;
    // The game's, made on the first call and kept; later calls return the
    // same object.
    virtual IEditorUI* GetEditorUI() = 0;
    // False when "game.opt" is missing or unreadable; nothing else changes.
    virtual bool LoadOptions() = 0;
    virtual bool SaveOptions() = 0;
    // The whole client: returns when it ends or a start-up step fails; a
    // non-empty first argument is the player name, a second argument
    // "debug" asks for the debug renderer.
    virtual void Run(const char16_t* first, const char16_t* second, bool fullScreen) = 0;

    // The game state's settings; null before Init.
    virtual IGameOptions* GetGameOptions() = 0;
    virtual const char16_t* GetPlayerName() = 0;
    virtual void SetPlayerName(const char16_t* name) = 0;
    // The level catalogue: ListLevels rescans "levels/*.lvl"; the others read
    // the list as it last left it. An index outside 0..LevelCount() - 1, or
    // n beyond a mode's count, gives 0 or an empty string.
    virtual void ListLevels() = 0;
    virtual int CountLevelsOfMode(int mode) = 0;
    virtual int LevelCount() = 0;
    virtual int LevelMode(int index) = 0;
    virtual const char16_t* ModeLevelName(int mode, int n) = 0;
    virtual const char16_t* LevelName(int index) = 0;
    virtual const char16_t* ModeLevelFile(int mode, int n) = 0;
    virtual const char16_t* LevelFile(int index) = 0;

    // How the last Run ended: 0 when it ended normally (the player left,
    // cancelled the login, or Run never ran), kRunFailedExitCode when a
    // start-up step failed. With a failure, *reason (when reason is given)
    // names the step in a sentence for the player ("Unable to initialize
    // renderer."); else it is empty. Failures that end the process inside
    // Run keep their own codes: 3 after a crash, 255 for a resource script
    // that does not load.
    virtual int GetRunResult(const char16_t** reason) = 0;
};

// The game library's single game object; the caller never destroys it.
extern "C" GAME_API IGame* GetGame();
