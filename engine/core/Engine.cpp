#include "engine/core/Engine.h"

#include "engine/core/ConsoleLog.h"
#include "engine/core/Random.h"
#include "engine/core/StringKit.h"
#include "engine/core/Timer.h"
#include "engine/files/IFile.h"
#include "engine/png/PngImage.h"
#include "engine/render/Texture.h"
#ifndef VORNHAL_DEDICATED
#include "engine/render/Renderer_SDL.h"
#include "engine/render/Texture_SDL.h"
#include "platform/gl/Video.h"
#endif
#include "engine/files/FileManager.h"
#include "engine/physics/Physics.h"
#ifndef VORNHAL_DEDICATED
#include "engine/audio/Audio.h"
#endif
#include "engine/net/ClientManager.h"
#include "engine/net/ServerManager.h"
#include "engine/web/IUpdateFile.h"
#include "engine/web/LoginParser.h"
#include "engine/web/MasterServices.h"
#include "engine/web/ServerList.h"
#include "platform/net/Net.h"
#include "platform/os/ExitHooks.h"
#include "platform/os/Os.h"
#include "platform/ui/Ui.h"

#include <unistd.h>

#include <atomic>
#include <cstring>
#include <ctime>
#include <new>
#include <string>
#include <thread>

// How long a second fatal error waits for the first one's shutdown.
constexpr int kFatalWaitMs = 5000;

#ifndef VORNHAL_DEDICATED
// The engine's one renderer, owned by the engine.
static Renderer_SDL* g_renderer = nullptr;
#endif
static Engine g_engine;

extern "C" ENGINE_API IEngine* GetEngine() { return &g_engine; }

Engine::Engine() : fileManager_(new FileManager()), updater_(fileManager_) {}

Engine::~Engine()
{
    StopPhysics();
    // The updater thread may be inside a request; it ends within the
    // requests' time-outs and must be gone before what it uses.
    updater_.Stop();
    updateFiles_.DeleteAll();
    delete fileManager_;
    fileManager_ = nullptr;
}

bool Engine::Init()
{
    Util::SeedRandom(uint32_t(std::time(nullptr)));
#ifndef VORNHAL_DEDICATED
    return Gl::StartVideo();
#else
    return true;
#endif
}

void Engine::Shutdown()
{
#ifndef VORNHAL_DEDICATED
    // Shutting down twice (a fatal error during the shutdown) finds nothing.
    if (g_renderer) {
        g_renderer->Shutdown();
        delete g_renderer;
        g_renderer = nullptr;
        rendererKind_ = 0;
    }
#endif
    // The textures go after the renderer, which lists them without owning them.
    for (Texture* texture : textureCache_)
        delete texture;
    textureCache_.clear();

    StopPhysics();
}

namespace {

// The first fatal error is reported whole; a later one (from another thread,
// or from the shutdown itself) waits for it to end the process.
enum FatalStage { kNoFatal, kShuttingDown, kShowing };
std::atomic<int> g_fatalStage{kNoFatal};
std::atomic<std::thread::id> g_fatalReporter{};
std::atomic<bool> g_fatalShown{false};
std::string g_fatalText;

[[noreturn]] void ShowFirstFatalError()
{
    if (!g_fatalShown.exchange(true)) {
        std::u16string message = Util::Widen(g_fatalText.c_str());
        Ui::ShowMessage(u"Error!", message.c_str(), Ui::Icon::Error);
    }
    Os::ExitNow(255);
}

} // namespace

void Engine::FatalError(const char* text)
{
    int none = kNoFatal;
    if (g_fatalStage.compare_exchange_strong(none, kShuttingDown)) {
        g_fatalReporter = std::this_thread::get_id();
        g_fatalText = text ? text : "";
        // The renderer and physics belong to the main thread; from any other
        // thread, leave them to the process exit.
        if (Os::IsMainThread())
            Shutdown();
        g_fatalStage = kShowing;
        ShowFirstFatalError();
    }
    if (g_fatalReporter.load() != std::this_thread::get_id()) {
        // A shutdown that waits for this very thread would never end: after
        // a while this thread shows the first message itself.
        for (int waited = 0; g_fatalStage.load() == kShuttingDown && waited < kFatalWaitMs; waited += 10)
            Os::SleepMs(10);
        while (g_fatalStage.load() == kShowing)
            Os::SleepMs(100); // the first thread ends the process once its box is closed
    }
    ShowFirstFatalError();
}

void Engine::OpenLog() {}

void Engine::Log(const char*, ...) {}

void Engine::SetStatusText(const char* text) { statusText_ = text; }

void Engine::SetUserPointer(void* pointer) { userPointer_ = pointer; }

void* Engine::GetUserPointer() { return userPointer_; }

IFileManager* Engine::GetFileManager() { return fileManager_; }

bool Engine::InitNetwork() { return Net::Startup(); }

MPAPI::IServer* Engine::CreateServer()
{
    auto* server = new MPAPI::ServerManager();
    server->SetListenCallback([this](int port) { updater_.SetServerPort(port); });
    // The engine remembers the last server only while it lives.
    server->SetDestroyCallback([this, server] {
        if (lastServer_ == server) {
            lastServer_ = nullptr;
            updater_.SetServerPort(0);
        }
    });
    lastServer_ = server;
    return server;
}

MPAPI::IClient* Engine::CreateClient() { return new MPAPI::ClientManager(); }

void Engine::MasterServerTick(float dt, const char16_t* name, const char16_t* level, int gameMode, int players,
                              int maxPlayers)
{
    // Without a server there is nothing to announce, but the sum still
    // restarts.
    if (!heartbeat_.Tick(dt))
        return;
    int port = updater_.GetServerPort();
    if (port > 0)
        updater_.QueueAnnouncement(name, level, gameMode, port, players, maxPlayers);
}

void Engine::ForceHeartbeat() { heartbeat_.Force(); }

void Engine::SetMasterServer(const char16_t* host) { updater_.SetHost(host); }

const char16_t* Engine::GetMasterServer() { return updater_.GetHostOverride(); }

void Engine::SetStatusFilePath(const char16_t* path) { updater_.SetStatusFilePath(path); }

float Engine::ScoreWeightFor(float averagePlayers)
{
    if (averagePlayers < 6.0f)
        return 0.2f;
    if (averagePlayers < 15.0f)
        return 0.6f;
    return 1.0f;
}

void Engine::SetScoreWeight(float averagePlayers, float bonus)
{
    updater_.SetScoreWeight(ScoreWeightFor(averagePlayers) + bonus);
}

void Engine::FlushScores() { updater_.FlushScores(true, 0); }

IPlayerScores* Engine::AddPlayer(int id, const char16_t* name, const char* uid)
{
    return updater_.AddPlayer(id, name, uid);
}

void Engine::RemovePlayer(int id) { updater_.RemovePlayer(id); }

void Engine::ClearPlayers() { updater_.ClearPlayers(); }

bool Engine::Login(const char16_t* user, const char16_t* password, int* status)
{
    if (status)
        *status = 0;
    LoginParser reply;
    if (!MasterServices::Login(updater_.GetHost(), user, password, &reply))
        return false;
    if (status)
        *status = reply.GetStatus();
    // A reply without them keeps what an earlier login gave.
    if (reply.HasNick())
        loginNick_ = reply.GetNick();
    if (reply.HasUid())
        loginUid_ = reply.GetUid();
    return true;
}

const char16_t* Engine::GetLoginNick() { return loginNick_.c_str(); }

const char16_t* Engine::GetLoginUid() { return loginUid_.c_str(); }

#ifndef VORNHAL_DEDICATED
Util::List<IUpdateFile>* Engine::CheckUpdates()
{
    updateFiles_.DeleteAll();
    MasterServices::FetchUpdates(&updateFiles_); // a failed fetch leaves the list empty
    return &updateFiles_;
}

bool Engine::DownloadFile(const char16_t* url, const char16_t* localPath, IDownloadListener* listener)
{
    return MasterServices::DownloadFile(fileManager_, url, localPath, listener);
}

IRenderer* Engine::CreateRenderer(int kind)
{
    if (kind == 2 && !g_renderer) {
        g_renderer = new Renderer_SDL(this);
        rendererKind_ = 2;
    }
    return g_renderer;
}

IAudio* Engine::CreateAudio() { return new (std::nothrow) Audio(fileManager_); }

IInput* Engine::GetInput() { return rendererKind_ == 2 ? g_renderer : nullptr; }
#endif

void Engine::StopPhysics()
{
    if (physics_) {
        physics_->Stop();
        delete physics_;
        physics_ = nullptr;
    }
}

IPhysics* Engine::CreatePhysics(int)
{
    StopPhysics();
#ifdef VORNHAL_DEDICATED
    Util::ConsolePrint("Using software physics.\n");
#endif
    physics_ = new (std::nothrow) PhysicsSW::Physics();
    if (physics_)
        physics_->Start();
    return physics_;
}

ITimer* Engine::CreateTimer() { return new Timer(); }

float Engine::GetFrameTime1() { return float(clock1_.GetFrameTime()); }
void Engine::UpdateFrameTime1() { clock1_.Update(); }
float Engine::GetFrameTime2() { return float(clock2_.GetFrameTime()); }
void Engine::UpdateFrameTime2() { clock2_.Update(); }
float Engine::GetFrameTime3() { return float(clock3_.GetFrameTime()); }
void Engine::UpdateFrameTime3() { clock3_.Update(); }

bool Engine::LoadImagePixels(const char16_t* path, int* width, int* height, uint32_t** pixels)
{
    IFile* file = path ? fileManager_->Open(path, 0, 0) : nullptr;
    if (!file)
        return false;
    PngImage png(file);
    const bool ok = png.Read(true);
    delete file;
    if (!ok || !png.GetPixels() || png.GetWidth() <= 0 || png.GetHeight() <= 0)
        return false;
    const size_t count = size_t(png.GetWidth()) * size_t(png.GetHeight());
    uint32_t* copy = new uint32_t[count]; // the caller's, freed with delete[]
    std::memcpy(copy, png.GetPixels(), count * sizeof(uint32_t));
    *width = png.GetWidth();
    *height = png.GetHeight();
    *pixels = copy;
    return true;
}

ITexture* Engine::LoadTexture(const char16_t* path, bool packIntoAtlas, int atlasGroup)
{
    if (!path)
        return nullptr;
    for (Texture* texture : textureCache_)
        if (Util::StrEqual(texture->GetName(), path))
            return texture;
    IFile* file = fileManager_->Open(path, 0, 0);
    if (!file)
        return nullptr;
    PngImage png(file);
    const bool ok = png.Read(false);
    delete file;
    if (!ok)
        return nullptr;
#ifndef VORNHAL_DEDICATED
    if (!g_renderer)
        return nullptr;
    Texture* texture = g_renderer->NewTexture();
#else
    // The server draws nothing but keeps the sizes that objects are made of.
    Texture* texture = new Texture(fileManager_);
#endif
    texture->SetPackIntoAtlas(packIntoAtlas);
    texture->SetKind(atlasGroup);
    texture->SetSize(png.GetWidth(), png.GetHeight());
    texture->SetName(path);
    texture->SetImagePath(path);
    texture->SetOwnedByCache(true);
    textureCache_.push_back(texture);
    return texture;
}

ITexture* Engine::LoadTextureEx(const char16_t* path, bool packIntoAtlas, int atlasGroup)
{
    return LoadTexture(path, packIntoAtlas, atlasGroup);
}

IServerList* Engine::GetServerList() { return MasterServices::GetServerList(updater_.GetHost()); }
