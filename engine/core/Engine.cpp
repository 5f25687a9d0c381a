#include "engine/core/Engine.h"

#include "engine/core/Random.h"
#include "engine/core/StringKit.h"
#include "engine/core/Timer.h"
#include "engine/files/FileManager.h"
#include "platform/net/Net.h"
#include "platform/os/Os.h"
#include "platform/ui/Ui.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <ctime>

static Engine g_engine;

extern "C" ENGINE_API IEngine* GetEngine() { return &g_engine; }

Engine::Engine() : fileManager_(new FileManager()) {}

Engine::~Engine()
{
    delete fileManager_;
    fileManager_ = nullptr;
}

bool Engine::Init()
{
    Util::SeedRandom(uint32_t(std::time(nullptr)));
    return true;
}

void Engine::Shutdown() {}

void Engine::FatalError(const char* text)
{
    // A second fatal error while the first is being reported (from another
    // thread, or from the shutdown itself) only ends the process.
    static std::atomic<bool> reporting{false};
    if (!reporting.exchange(true)) {
        // The renderer and physics belong to the main thread; from any other
        // thread, leave them to the process exit.
        if (Os::IsMainThread())
            Shutdown();
        std::u16string message = Util::Widen(text ? text : "");
        Ui::ShowMessage(u"Error!", message.c_str(), Ui::Icon::Error);
    }
    std::fflush(nullptr);
    _exit(255);
}

void Engine::OpenLog() {}

void Engine::Log(const char*, ...) {}

void Engine::SetStatusText(const char* text) { statusText_ = text; }

void Engine::SetUserPointer(void* pointer) { userPointer_ = pointer; }

void* Engine::GetUserPointer() { return userPointer_; }

IFileManager* Engine::GetFileManager() { return fileManager_; }

bool Engine::InitNetwork() { return Net::Startup(); }

MPAPI::IServer* Engine::CreateServer() { return nullptr; }

MPAPI::IClient* Engine::CreateClient() { return nullptr; }

void Engine::MasterServerTick(float dt, const char16_t*, const char16_t*, int, int, int)
{
    // Announcements go out through the master-server updater; without a
    // server there is nothing to announce, but the sum still restarts.
    heartbeat_.Tick(dt);
}

void Engine::ForceHeartbeat() { heartbeat_.Force(); }

void Engine::SetMasterServer(const char16_t* host) { Util::StrCopy(masterServer_, 64, host ? host : u""); }

const char16_t* Engine::GetMasterServer() { return masterServer_; }

void Engine::SetStatusFilePath(const char16_t* path) { statusFilePath_ = path ? path : u""; }

float Engine::ScoreWeightFor(float averagePlayers)
{
    if (averagePlayers < 6.0f)
        return 0.2f;
    if (averagePlayers < 15.0f)
        return 0.6f;
    return 1.0f;
}

void Engine::SetScoreWeight(float averagePlayers, float bonus) { scoreWeight_ = ScoreWeightFor(averagePlayers) + bonus; }

void Engine::FlushScores() {}

IPlayerScores* Engine::AddPlayer(int, const char16_t*, const char*) { return nullptr; }

void Engine::RemovePlayer(int) {}

void Engine::ClearPlayers() {}

bool Engine::Login(const char16_t*, const char16_t*, int*) { return false; }

const char16_t* Engine::GetLoginNick() { return loginNick_.c_str(); }

const char16_t* Engine::GetLoginUid() { return loginUid_.c_str(); }

#ifndef VORNHAL_DEDICATED
Util::List<IUpdateFile>* Engine::CheckUpdates() { return &updateFiles_; }

bool Engine::DownloadFile(const char16_t*, const char16_t*, IDownloadListener*) { return false; }

IRenderer* Engine::CreateRenderer(int) { return nullptr; }

IAudio* Engine::CreateAudio() { return nullptr; }

IInput* Engine::GetInput() { return nullptr; }
#endif

IPhysics* Engine::CreatePhysics(int) { return nullptr; }

ITimer* Engine::CreateTimer() { return new Timer(); }

float Engine::GetFrameTime1() { return float(clock1_.GetFrameTime()); }
void Engine::UpdateFrameTime1() { clock1_.Update(); }
float Engine::GetFrameTime2() { return float(clock2_.GetFrameTime()); }
void Engine::UpdateFrameTime2() { clock2_.Update(); }
float Engine::GetFrameTime3() { return float(clock3_.GetFrameTime()); }
void Engine::UpdateFrameTime3() { clock3_.Update(); }

bool Engine::LoadImagePixels(const char16_t*, int*, int*, uint32_t**) { return false; }

ITexture* Engine::LoadTexture(const char16_t*, bool, int) { return nullptr; }

ITexture* Engine::LoadTextureEx(const char16_t* path, bool packIntoAtlas, int atlasGroup)
{
    return LoadTexture(path, packIntoAtlas, atlasGroup);
}

IServerList* Engine::GetServerList() { return nullptr; }
