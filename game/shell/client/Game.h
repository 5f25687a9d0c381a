#pragma once

#include "game/shell/client/GameParts.h"
#include "game/shell/client/IGame.h"
#include "game/shell/client/PlayState.h"
#include "game/shell/client/ScreenState.h"
#include "game/shell/menu/IMenuHost.h"
#include "game/shell/menu/ScreenContext.h"
#include "game/world/resources/IResourceHost.h"
#include "game/world/system/LoadingListener.h"

#include <memory>
#include <string>
#include <vector>

class ClientHandler;
class EditorUI;
class IAudio;
class IFileManager;
class IInput;
class IPhysics;
class ResourceManager;
class ResourceScript;
class ServerHandler;
class World;
class GameSystem;
struct CommonMedia;

// The one object through which every host reaches the game library: it
// owns the client's pieces below the engine (GameParts: audio, the resource
// manager, the world, the shared media, the game state and its protocol
// handlers) and runs the client.
class Game : public IGame, public LoadingListener, public IResourceHost, public IMenuHost, private GameParts {
public:
    static constexpr int kLoadingLines = 5;
    static constexpr int kLoadingUnits = 1024;
    static constexpr int kScriptCount = 4;
    // The resource-definition scripts, in the order they load.
    static const char16_t* const kScriptNames[kScriptCount];
    static constexpr int kStartFailed = kRunFailedExitCode;

    Game();
    ~Game() override;
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // IGame
    void Shutdown() override;
    void Init(IEngine* engine) override;
    void SetRenderer(IRenderer* renderer) override;
    IEditorUI* GetEditorUI() override;
    bool LoadOptions() override;
    bool SaveOptions() override;
    void Run(const char16_t* first, const char16_t* second, bool fullScreen) override;
    IGameOptions* GetGameOptions() override;
    const char16_t* GetPlayerName() override;
    void SetPlayerName(const char16_t* name) override;
    void ListLevels() override;
    int CountLevelsOfMode(int mode) override;
    int LevelCount() override;
    int LevelMode(int index) override;
    const char16_t* ModeLevelName(int mode, int n) override;
    const char16_t* LevelName(int index) override;
    const char16_t* ModeLevelFile(int mode, int n) override;
    const char16_t* LevelFile(int index) override;
    int GetRunResult(const char16_t** reason) override;

    // LoadingListener: the loading screen's log, newest line last.
    void ShowLoadingText(const char16_t* text, bool newLine) override;
    const char16_t* GetLoadingLine(int i) const;
    void ClearLoadingLog();

    // IResourceHost
    IRenderer* GetRenderer() override { return renderer_; }
    void SetCurrentResource(int position, IResource* resource) override;
    bool HasEditor() override;
    void SelectBlockTool() override;
    void SelectObjectTool() override;
    IEditorListener* GetStartedEditorListener() override;
    IEditorSelectionPage* GetSelectionPage(Page page) override;

    // The level editor (game/shell/editor): the palettes from the four
    // scripts, and the view of the level with the editing overlays.
    void BuildEditorPalettes();
    void DrawEditorView(unsigned long window);
    void DrawEditorGrid();
    // The whole level drawn small (game/shell/hud): the editor's minimap (a
    // 256 x 256 target shown in a window of at most 200 x 200) and the
    // 512 x 512 map picture.
    void RenderMiniMap(unsigned long window);
    void DrawMiniMap(unsigned long window, int width, int height);
    void RenderGameMap();
    void DrawGameMap(unsigned long window, int width, int height);

    // IMenuHost
    IRenderer* GetMenuRenderer() override { return renderer_; }
    IInput* GetMenuInput() override { return input_; }
    float GetMenuFrameTime() override;
    void UpdateMenuFrameTime() override;
    void SetRunMode(int mode) override;
    ITexture* GetMenuArrows() override;

    IEngine* GetEngine() { return engine_; }
    IInput* GetInput() { return input_; }
    // The run attaches the engine's input; a host that draws play itself
    // hands it in.
    void SetInput(IInput* input) { input_ = input; }
    IPhysics* GetPhysics() { return physics_; }
    // Null while there is no game state, or no sound.
    IAudio* GetAudio() { return game_ ? audio_.get() : nullptr; }
    IFileManager* GetFileManager() { return files_; }
    GameSystem* GetGameSystem() { return game_.get(); }
    World* GetWorld() { return world_.get(); }
    ResourceManager* GetResources() { return resources_.get(); }
    CommonMedia* GetMedia() { return media_.get(); }
    ServerHandler* GetServerHandler() { return server_.get(); }
    ClientHandler* GetClientHandler() { return client_.get(); }
    // Play's own state; the play frame's state and the in-game menus are
    // shared with the HUD.
    PlayState& GetPlayState() { return play_; }
    SceneState& Scene() { return play_.scene; }
    ChatMenu* GetChatMenu() { return play_.chat.get(); }
    KickMenu* GetKickMenu() { return play_.kick.get(); }

    // The chat input, the password prompt and the kick table, made once.
    void CreateInGameMenus();
    // Joins or hosts as the run mode says and plays until the player leaves;
    // sets the run mode that follows.
    void Play();
    // One frame's input, overlays, client state and camera; true ends play.
    bool StepScene();
    // The loading picture and log; with input, one frame of the password
    // prompt. True when the window was asked to close.
    bool DrawLoadingScreen(bool withInput);
    bool IsFullScreen() const { return fullScreen_; }
    // One frame of play drawn: the world, then the HUD on top.
    void DrawScene();
    // Everything DrawScene puts over the world, inside its scene.
    void DrawHud();
    ScreenState& GetScreens() { return screens_; }
    ScreenContext GetScreenContext();
    // The palette's current resource: position in the manager (-1 none).
    int GetCurrentPosition() const { return currentPosition_; }
    IResource* GetCurrentResource() { return currentResource_; }

private:
    // A start that failed: the launcher reports the line and exits with the code.
    void FailRun(int exitCode, const char* why);
    // The run's stages: the update check returns only when no update is
    // being installed now; the log-in answers false when the player cancelled.
    // gameArguments: this start's, for the game the updater starts again.
    void RunUpdateCheck(const std::vector<std::u16string>& gameArguments);
    bool RunLogin();
    void RunMainMenu();
    void RunHostMenu();
    void KeepDamagedOptions(const std::string& fault);

    // The engine's, and what it keeps: renderer, input, files, physics.
    IEngine* engine_ = nullptr;
    IRenderer* renderer_ = nullptr;
    IFileManager* files_ = nullptr;
    // A damaged "game.opt" that could not be kept aside: never written.
    bool optionsLocked_ = false;
    IInput* input_ = nullptr;
    IPhysics* physics_ = nullptr;
    // The editor's scripts, which write back what it changed at shutdown.
    std::unique_ptr<ResourceScript> scripts_[kScriptCount];
    PlayState play_;
    std::unique_ptr<EditorUI> editor_;
    char16_t loadingLog_[kLoadingLines][kLoadingUnits] = {};
    bool fullScreen_ = false;
    int currentPosition_ = -1;
    IResource* currentResource_ = nullptr;
    int runExitCode_ = 0;
    std::u16string runError_;
    ScreenState screens_;
};

// The library's one game; GetGame hands it out.
Game& TheGame();
