// Joining or hosting a match and playing it frame by frame.
#include "game/shell/client/Game.h"

#include "engine/core/IEngine.h"
#include "engine/core/StringKit.h"
#include "engine/net/IClient.h"
#include "engine/net/IConnection.h"
#include "engine/physics/IPhysics.h"
#include "engine/render/IInput.h"
#include "engine/render/IRenderer.h"
#include "game/shell/client/ScreenLog.h"
#include "game/shell/console/ConsoleCommand.h"
#include "game/shell/menu/ChatMenu.h"
#include "game/shell/menu/KickMenu.h"
#include "game/shell/menu/MenuEdit.h"
#include "game/shell/protocol/ClientHandler.h"
#include "game/shell/protocol/ServerHandler.h"
#include "game/world/map/World.h"
#include "game/world/modes/GameMod.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/player/Player.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"
#include "platform/os/CrashReport.h"
#include "platform/os/OsText.h"
#include "platform/os/StopSignals.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kRefusalPauseMs = 2000;
constexpr int kDisconnectPauseMs = 3000;
constexpr int kPromptStepMs = 50;
// Play is drawn at most this often. The frame time measures the wait too,
// so the game runs as it would without it.
constexpr double kShortestFrameSeconds = 1.0 / 200.0;

using Clock = std::chrono::steady_clock;

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

const char16_t* RefusalText(int status)
{
    switch (status) {
    // A connect that failed before anything was sent leaves status 0.
    case MPAPI::IClient::kStatusConnected:
    case MPAPI::IClient::kStatusNoAnswer:
        return u"Server doesn't respond.";
    case MPAPI::IClient::kStatusFull:
        return u"Server is full.";
    case MPAPI::IClient::kStatusWrongVersion:
        return u"Server version is newer.";
    case MPAPI::IClient::kStatusWrongPassword:
        return u"Invalid password.";
    case MPAPI::IClient::kStatusBanned:
        return u"You are banned.";
    default:
        return nullptr;
    }
}

const char16_t* OverlayName(OverlayMode mode)
{
    static const char16_t* const names[] = {u"none",          u"map",  u"chat",    u"team chat", u"team select",
                                            u"exit question", u"kick", u"balance", u"change map"};
    const int i = int(mode);
    return i >= 0 && i < int(std::size(names)) ? names[i] : u"";
}

void CapFrameRate(Clock::time_point* frameStart)
{
    const auto shortest =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(kShortestFrameSeconds));
    const auto spent = Clock::now() - *frameStart;
    if (spent < shortest)
        std::this_thread::sleep_for(shortest - spent);
    *frameStart = Clock::now();
}

// The steps of one play: connect or host, the frames, leaving.
class PlayRunner {
public:
    explicit PlayRunner(Game& game)
        : game_(game), engine_(game.GetEngine()), renderer_(game.GetRenderer()), input_(game.GetInput()),
          state_(game.GetGameSystem()), play_(game.GetPlayState()), server_(game.GetServerHandler()),
          client_(game.GetClientHandler())
    {
    }

    void Run()
    {
        // Every play starts with the breath indicator faded out and no team
        // menu forced open.
        play_.scene.breathFade = 0.0f;
        play_.scene.teamMenuForced = false;
        const bool ready = state_->runMode == 3 ? Join() : Host();
        if (ready)
            Frames();
    }

private:
    bool Join();
    bool Connect(const char16_t* password);
    bool Arrive();
    bool AskPassword(std::u16string* typed);
    bool Refuse(int status);
    bool Host();
    void ConfigureHosting();
    void Frames();
    bool LevelLost(MultiplayerHandler* handler);
    bool AwaitLevelChange();
    void Leave(int runMode);
    void ReleaseClient();
    void EaseViewScale(float dt);
    void DropPointerMoves();
    void RunOperatorCommands();
    void TrackCrashContext(MultiplayerHandler* handler);
    MultiplayerHandler* Handler();

    Game& game_;
    IEngine* engine_;
    IRenderer* renderer_;
    IInput* input_;
    GameSystem* state_;
    PlayState& play_;
    ServerHandler* server_;
    ClientHandler* client_;
    std::shared_ptr<std::vector<std::u16string>> commands_ = std::make_shared<std::vector<std::u16string>>();
    // What a crash report says play was at, as last told.
    std::u16string contextLevel_;
    bool contextRoundOver_ = false;
};

MultiplayerHandler* PlayRunner::Handler()
{
    MultiplayerHandler* handler = ActiveHandlerOf(state_);
    if (!handler)
        engine_->FatalError("mpHandler not set");
    return handler;
}

// ---- joining -------------------------------------------------------------------

bool PlayRunner::Join()
{
    Os::SetCrashContext("joining a server");
    game_.ShowLoadingText(u"Connecting...", true);
    if (Connect(nullptr))
        return Arrive();
    const int status = play_.client ? play_.client->GetStatus() : MPAPI::IClient::kStatusNoAnswer;
    if (status != MPAPI::IClient::kStatusWrongPassword)
        return Refuse(status);
    std::u16string typed;
    if (!AskPassword(&typed)) {
        ReleaseClient();
        state_->runMode = 0;
        return false;
    }
    if (Connect(typed.c_str()))
        return Arrive();
    return Refuse(play_.client ? play_.client->GetStatus() : MPAPI::IClient::kStatusNoAnswer);
}

bool PlayRunner::Connect(const char16_t* password)
{
    state_->SetActiveHandler(nullptr);
    // The client of an earlier attempt goes first: its thread is still running.
    ReleaseClient();
    play_.client.reset(engine_->CreateClient());
    if (!play_.client)
        return false;
    play_.client->SetListener(state_);
    if (!play_.client->Connect(state_->connectAddress, state_->connectPort, password))
        return false;
    state_->SetActiveHandler(client_);
    client_->SetClient(play_.client.get());
    return true;
}

bool PlayRunner::Arrive()
{
    if (!client_->WaitForLevel()) {
        client_->Stop();
        ReleaseClient();
        state_->runMode = 0;
        return false;
    }
    state_->SetInventory(nullptr);
    return true;
}

bool PlayRunner::AskPassword(std::u16string* typed)
{
    game_.ShowLoadingText(u"Enter password:", true);
    MenuEdit* field = play_.password ? play_.password->edit : nullptr;
    if (!field)
        return false;
    field->SetText(u"");
    renderer_->ClearTypedChars();
    ScreenLog::Write("password");
    while (!field->submitted) {
        // The key repeat of the field runs on this clock.
        engine_->UpdateFrameTime2();
        // Escape, closing the window or a stop signal gives up the join.
        if (game_.DrawLoadingScreen(true) || input_->IsActionDown(FixedKey::Escape) || Os::StopRequested())
            return false;
        if (!field->submitted)
            SleepMs(kPromptStepMs);
    }
    field->submitted = false;
    *typed = field->GetText();
    return true;
}

bool PlayRunner::Refuse(int status)
{
    ReleaseClient();
    if (const char16_t* text = RefusalText(status))
        game_.ShowLoadingText(text, true);
    SleepMs(kRefusalPauseMs);
    state_->runMode = 0;
    return false;
}

// ---- hosting -------------------------------------------------------------------

bool PlayRunner::Host()
{
    Os::SetCrashContext("starting a server");
    GameOptions& options = state_->Options();
    const int port = options.GetServerPort();
    if (!state_->StartServer(port)) {
        game_.ShowLoadingText(Util::Format(u"Unable to listen UDP port %d", port).c_str(), true);
        game_.DrawLoadingScreen(false);
        SleepMs(kRefusalPauseMs);
        state_->runMode = 1;
        return false;
    }
    ConfigureHosting();
    options.SetNextMapCycleLevel(-1, options.GetServerLevel());
    if (!server_->StartLevel()) {
        engine_->ClearPlayers();
        server_->Stop();
        state_->runMode = 1;
        renderer_->SetCursorVisible(true);
        return false;
    }
    return true;
}

void PlayRunner::ConfigureHosting()
{
    GameOptions& options = state_->Options();
    server_->SetHostsOwnPlayer(true);
    // Operators' "!" lines from chat run the console's commands; nothing
    // they print has anywhere to go. They wait for the end of the frame: the
    // host's own line comes while the frame is drawn, and a command may
    // change the level under it.
    std::shared_ptr<std::vector<std::u16string>> queue = commands_;
    server_->SetCommandRunner([queue](const char16_t* line) { queue->push_back(line ? line : u""); });
    // The host's own player is not counted.
    server_->SetMaxPlayers(options.GetServerMaxPlayers() - 1);
    if (options.GetServerLocked())
        server_->SetPassword(options.GetServerPassword());
    for (int32_t i = 0; i < options.GetBanCount(); ++i)
        server_->BanAddress(options.GetBanAddress(i));
}

// ---- the frames ----------------------------------------------------------------

void PlayRunner::Frames()
{
    renderer_->SetCursorVisible(false);
    DropPointerMoves();
    play_.gameTime = 0.0f;
    engine_->UpdateFrameTime2();
    ScreenLog::Write("playing");
    Clock::time_point frameStart = Clock::now();
    OverlayMode shown = play_.scene.overlay;
    for (;;) {
        MultiplayerHandler* handler = Handler();
        if (handler == server_ || handler == client_) {
            const int connection = handler->GetConnectionState();
            if (connection == MPAPI::IConnection::kClosed || connection == MPAPI::IConnection::kTimedOut) {
                renderer_->SetCursorVisible(true);
                game_.ShowLoadingText(connection == MPAPI::IConnection::kClosed ? u"Disconnected" : u"Dropped", true);
                game_.DrawLoadingScreen(false);
                SleepMs(kDisconnectPauseMs);
                handler->Stop();
                ReleaseClient();
                state_->runMode = 0;
                ScreenLog::Write("left");
                return;
            }
            TrackCrashContext(handler);
            state_->Update(play_.gameTime);
            play_.gameTime = 0.0f;
        }
        if (game_.StepScene())
            break;
        if (LevelLost(Handler()))
            return;
        // The map view needs a picture of the level; one it lacks is drawn
        // once, after the level's objects are in place.
        if (state_->mapPictureMissing) {
            state_->mapPictureMissing = false;
            // The small picture is drawn from the editor's tile meshes.
            if (World* world = game_.GetWorld()) {
                world->BuildMeshes(false);
                game_.RenderGameMap();
                world->BuildMeshes(true);
            }
        }
        game_.DrawScene();
        if (play_.scene.overlay != shown) {
            shown = play_.scene.overlay;
            ScreenLog::Write("overlay", OverlayName(shown));
        }
        if (renderer_->Present() || Os::StopRequested())
            break;
        CapFrameRate(&frameStart);
        engine_->UpdateFrameTime2();
        const float dt = engine_->GetFrameTime2();
        EaseViewScale(dt);
        handler = Handler();
        handler->Update(dt);
        handler->ProcessNetwork();
        RunOperatorCommands();
        if (LevelLost(handler))
            return;
        // A level start in the middle of play: its download and loading
        // show on the loading screen as when joining.
        if (handler == client_ && client_->IsAwaitingLevel() && !AwaitLevelChange())
            break;
        play_.gameTime += dt;
    }
    Leave(0);
}

bool PlayRunner::LevelLost(MultiplayerHandler* handler)
{
    // A level change (an operator's, or a match's end) that found no level
    // to load left nothing to play.
    if (handler != server_ || server_->GetLevelPath()[0])
        return false;
    game_.ShowLoadingText(u"Unable to load level.", true);
    SleepMs(kRefusalPauseMs);
    Leave(1);
    return true;
}

bool PlayRunner::AwaitLevelChange()
{
    Os::SetCrashContext("loading the next level");
    contextLevel_.clear();
    if (!client_->AwaitLevel())
        return false;
    state_->SetInventory(nullptr);
    DropPointerMoves();
    // The wait is no time of play.
    play_.gameTime = 0.0f;
    engine_->UpdateFrameTime2();
    ScreenLog::Write("playing");
    return true;
}

void PlayRunner::EaseViewScale(float dt)
{
    float& scale = state_->viewScale;
    if (scale > 1.0f)
        scale -= std::max((scale - 1.0f) * 0.3f * 6.0f, 0.1f) * dt;
    if (scale < 1.0f)
        scale = 1.0f;
}

void PlayRunner::RunOperatorCommands()
{
    std::vector<std::u16string> lines;
    lines.swap(*commands_);
    for (const std::u16string& line : lines) {
        Os::SetCrashContext(("running the operator's command " + Util::ToOs(line)).c_str());
        contextLevel_.clear();
        ExecuteConsoleCommand(line.c_str(), nullptr, state_);
    }
}

void PlayRunner::TrackCrashContext(MultiplayerHandler* handler)
{
    const char16_t* level = handler == server_ ? server_->GetLevelPath() : client_->GetLevelPath();
    GameMod* mode = state_->GetGameMode();
    const bool roundOver = mode && mode->IsGameOver();
    if (contextLevel_ == level && contextRoundOver_ == roundOver)
        return;
    contextLevel_ = level;
    contextRoundOver_ = roundOver;
    Os::SetCrashContext(((roundOver ? "at the round's end on " : "playing ") + Util::ToOs(contextLevel_)).c_str());
}

void PlayRunner::DropPointerMoves()
{
    // The pointer's moves in the menus and over the loading screen were
    // gathered but never aimed with: they would throw the aim off at once.
    if (!input_)
        return;
    input_->Update();
    input_->TakeMouseDeltaX();
    input_->TakeMouseDeltaY();
}

void PlayRunner::Leave(int runMode)
{
    engine_->ClearPlayers();
    Handler()->Stop();
    if (IPhysics* physics = game_.GetPhysics())
        physics->Pause();
    ReleaseClient();
    // The score records went with ClearPlayers; the players stay in the
    // world until the next level and must not reach them.
    if (ObjectManager* objects = Services().objects)
        for (Object* object : objects->Players())
            if (object && object->GetKind() == ObjectKind::Player)
                static_cast<Player*>(object)->SetScores(nullptr);
    state_->runMode = runMode;
    renderer_->SetCursorVisible(true);
    ScreenLog::Write("left");
}

void PlayRunner::ReleaseClient()
{
    client_->SetClient(nullptr);
    play_.client.reset();
}

} // namespace

void Game::CreateInGameMenus()
{
    play_.chat = std::make_unique<ChatMenu>(this);
    play_.chat->Create(100, 600, 400);
    play_.password = std::make_unique<ChatMenu>(this);
    play_.password->Create(150, 745, 200);
    play_.kick = std::make_unique<KickMenu>(this, game_.get());
    play_.kick->Build();
    // The HUD runs them for one frame while their overlay shows.
    play_.scene.stepChatMenu = [this] { MenuSystem::Step(play_.chat.get(), false); };
    play_.scene.stepKickMenu = [this] { play_.kick->Step(); };
}

void Game::Play()
{
    if (!game_)
        return;
    if (!renderer_ || !input_ || !server_ || !client_) {
        game_->runMode = 0;
        return;
    }
    PlayRunner(*this).Run();
}
