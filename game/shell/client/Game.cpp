#include "game/shell/client/Game.h"

#include "engine/audio/IAudio.h"
#include "engine/core/IEngine.h"
#include "engine/core/StringKit.h"
#include "engine/files/IFileManager.h"
#include "engine/net/IClient.h"
#include "engine/physics/IPhysics.h"
#include "engine/render/IRenderer.h"
#include "game/shell/client/ScreenLog.h"
#include "game/shell/editor/EditorUI.h"
#include "game/shell/protocol/ClientHandler.h"
#include "game/shell/protocol/ServerHandler.h"
#include "game/world/map/World.h"
#include "game/world/resources/CommonMedia.h"
#include "game/world/resources/ResourceManager.h"
#include "game/world/resources/ResourceScript.h"
#include "game/world/settings/OptionsFile.h"
#include "game/world/system/GameSystem.h"
#include "platform/ui/Ui.h"
#include "platform/ui/wx/Dialogs.h"

#include <cstdio>

Game& TheGame()
{
    static Game game;
    return game;
}

extern "C" IGame* GetGame() { return &TheGame(); }

const char16_t* const Game::kScriptNames[kScriptCount] = {u"blocks.cfg", u"objects.cfg", u"items.cfg",
                                                          u"weapons_fin_vs_rus.cfg"};

GameParts::GameParts() = default;
GameParts::~GameParts() = default;
GameParts::GameParts(GameParts&&) noexcept = default;

void GameParts::Drop() { GameParts gone(std::move(*this)); }

Game::Game() = default;

Game::~Game() = default;

void Game::Init(IEngine* engine)
{
    engine_ = engine;
    if (!engine_)
        return;
    // A machine without sound plays silent.
    audio_.reset(engine_->CreateAudio());
    if (audio_ && !audio_->Init()) {
        audio_.reset();
        std::fprintf(stderr, "Sound is off: no sound device could be opened.\n");
    }
    resources_ = std::make_unique<ResourceManager>(this, engine_, audio_.get());
    world_ = std::make_unique<World>(resources_.get());
    files_ = engine_->GetFileManager();
    media_ = std::make_unique<CommonMedia>(engine_, resources_.get());
    game_ = std::make_unique<GameSystem>(engine_, world_.get(), resources_.get(), media_.get(), audio_.get());
    game_->SetLoadingListener(this);
    server_ = std::make_unique<ServerHandler>(game_.get());
    client_ = std::make_unique<ClientHandler>(game_.get());
    game_->SetHandlers(server_.get(), client_.get());
    physics_ = engine_->CreatePhysics(1);
    game_->SetEnginePhysics(physics_);
}

void Game::SetRenderer(IRenderer* renderer)
{
    if (!renderer)
        return;
    renderer->CreateAtlas(0, 0);
    renderer->CreateAtlas(1, 1);
    renderer->CreateAtlas(2, 1);
    if (media_)
        media_->Load();
    renderer_ = renderer;
    // The renderer's window brings the keyboard and mouse with it.
    if (!input_ && engine_)
        input_ = engine_->GetInput();
    if (game_)
        game_->SetRenderer(renderer);
}

IEditorUI* Game::GetEditorUI()
{
    if (!editor_)
        editor_ = std::make_unique<EditorUI>(this);
    return editor_.get();
}

bool Game::LoadOptions()
{
    if (!game_ || !files_)
        return false;
    IGameOptions& options = game_->Options();
    std::string fault;
    const bool read = ReadOptionsFile(files_, &options, audio_.get(), u"game.opt", &fault);
    if (!fault.empty())
        KeepDamagedOptions(fault);
    else if (!read)
        return false;
    engine_->SetMasterServer(options.GetUpdaterString());
    engine_->SetStatusFilePath(options.GetServerInfoFile());
    return read;
}

void Game::KeepDamagedOptions(const std::string& fault)
{
    // The options dialog comes next with what could be read; the damaged
    // file is kept beside, or, when it cannot be, never written over.
    const std::u16string folder = files_->GetGameDir();
    const std::u16string path = folder.empty() ? u"game.opt" : folder + u"/game.opt";
    optionsLocked_ = !files_->MoveFile(path.c_str(), (path + u".bad").c_str());
    const std::string text = "game.opt does not read whole (" + fault + ").\n" +
                             (optionsLocked_ ? "It could not be kept as game.opt.bad, so it will not be written over."
                                             : "It is kept as game.opt.bad; the options show what could be read.");
    Ui::ShowMessage(u"Error!", Util::FromOs(text).c_str(), Ui::Icon::Error);
}

bool Game::SaveOptions()
{
    if (game_ && files_ && !optionsLocked_) {
        // The file keeps the engine's master server: one the options dialog
        // set since the file was read would be lost, and not used.
        engine_->SetMasterServer(game_->Options().GetUpdaterString());
        WriteOptionsFile(files_, &game_->Options(), engine_->GetMasterServer());
    }
    return true;
}

void Game::Shutdown()
{
    if (!engine_)
        return;
    engine_->Log("Deinitializing everything...\n");
    // Nothing reaches the game state from the network while it goes: the
    // handlers end their connections and the client's receive thread stops.
    if (server_)
        server_->Stop();
    if (client_) {
        client_->Stop();
        client_->SetClient(nullptr);
    }
    play_.client.reset();
    files_ = nullptr;
    // The palette's pick goes with the resources.
    currentPosition_ = -1;
    currentResource_ = nullptr;
    GameParts::Drop();
    if (renderer_)
        renderer_->Shutdown();
    renderer_ = nullptr;
    // The engine's textures go with it.
    play_.loadingPicture = nullptr;
    input_ = nullptr;
    for (std::unique_ptr<ResourceScript>& script : scripts_) {
        if (script)
            script->SaveBack();
        script.reset();
    }
    // The engine stops the physics it made.
    physics_ = nullptr;
    engine_->Shutdown();
    engine_->Log("Game shutdown.\n");
    engine_ = nullptr;
    Ui::StopDialogs();
}

// ---- settings and the level catalogue ---------------------------------------

IGameOptions* Game::GetGameOptions() { return game_ ? &game_->Options() : nullptr; }

const char16_t* Game::GetPlayerName() { return game_ ? game_->Options().GetPlayerName() : u""; }

void Game::SetPlayerName(const char16_t* name)
{
    if (game_)
        game_->Options().SetPlayerName(name ? name : u"");
}

void Game::ListLevels()
{
    if (game_)
        game_->RefreshLevelList();
}

int Game::CountLevelsOfMode(int mode)
{
    int count = 0;
    for (int i = 0; i < LevelCount(); ++i)
        if (game_->GetLevel(i)->gameMode == mode)
            ++count;
    return count;
}

int Game::LevelCount() { return game_ ? game_->GetLevelCount() : 0; }

int Game::LevelMode(int index)
{
    const GameSystem::LevelInfo* level = game_ ? game_->GetLevel(index) : nullptr;
    return level ? level->gameMode : 0;
}

const char16_t* Game::ModeLevelName(int mode, int n) { return game_ ? game_->GetLevelName(mode, n) : u""; }

const char16_t* Game::LevelName(int index)
{
    const GameSystem::LevelInfo* level = game_ ? game_->GetLevel(index) : nullptr;
    return level ? level->name : u"";
}

const char16_t* Game::ModeLevelFile(int mode, int n) { return game_ ? game_->GetLevelFile(mode, n) : u""; }

const char16_t* Game::LevelFile(int index)
{
    const GameSystem::LevelInfo* level = game_ ? game_->GetLevel(index) : nullptr;
    return level ? level->path.c_str() : u"";
}

// ---- loading log -------------------------------------------------------------

void Game::ShowLoadingText(const char16_t* text, bool newLine)
{
    if (newLine) {
        for (int i = 0; i + 1 < kLoadingLines; ++i)
            Util::StrCopy(loadingLog_[i], kLoadingUnits, loadingLog_[i + 1]);
        loadingLog_[kLoadingLines - 1][0] = 0;
    }
    Util::StrCopy(loadingLog_[kLoadingLines - 1], kLoadingUnits, text ? text : u"");
    ScreenLog::Write("loading", loadingLog_[kLoadingLines - 1]);
    DrawLoadingScreen(false);
}

const char16_t* Game::GetLoadingLine(int i) const { return i >= 0 && i < kLoadingLines ? loadingLog_[i] : u""; }

void Game::ClearLoadingLog()
{
    for (auto& line : loadingLog_)
        line[0] = 0;
}

float Game::GetMenuFrameTime() { return engine_ ? engine_->GetFrameTime2() : 0.0f; }

void Game::UpdateMenuFrameTime()
{
    if (engine_)
        engine_->UpdateFrameTime2();
}

void Game::SetRunMode(int mode)
{
    if (game_)
        game_->runMode = mode;
}

ITexture* Game::GetMenuArrows() { return media_ ? media_->textures[CommonMedia::Arrows] : nullptr; }

void Game::SetCurrentResource(int position, IResource* resource)
{
    currentPosition_ = position;
    currentResource_ = resource;
}

void Game::FailRun(int exitCode, const char* why)
{
    runExitCode_ = exitCode;
    runError_ = Util::Widen(why ? why : "");
}

int Game::GetRunResult(const char16_t** reason)
{
    if (reason)
        *reason = runError_.c_str();
    return runExitCode_;
}
