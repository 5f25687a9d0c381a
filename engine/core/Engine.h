#pragma once

#include "engine/core/FrameClock.h"
#include "engine/core/Heartbeat.h"
#include "engine/core/IEngine.h"
#include "engine/web/MasterServerUpdater.h"

#include <list>
#include <string>

class FileManager;
namespace PhysicsSW {
class Physics;
}
class Texture;

// The engine library's one object behind IEngine.
class Engine : public IEngine {
public:
    Engine();
    ~Engine() override;

    bool Init() override;
    void Shutdown() override;
    [[noreturn]] void FatalError(const char* text) override;
    void OpenLog() override;
    void Log(const char* format, ...) override;
    void SetStatusText(const char* text) override;
    void SetUserPointer(void* pointer) override;
    void* GetUserPointer() override;
    IFileManager* GetFileManager() override;
    bool InitNetwork() override;
    MPAPI::IServer* CreateServer() override;
    MPAPI::IClient* CreateClient() override;
    void MasterServerTick(float dt, const char16_t* name, const char16_t* level, int gameMode, int players,
                          int maxPlayers) override;
    void ForceHeartbeat() override;
    void SetMasterServer(const char16_t* host) override;
    const char16_t* GetMasterServer() override;
    void SetStatusFilePath(const char16_t* path) override;
    void SetScoreWeight(float averagePlayers, float bonus) override;
    void FlushScores() override;
    IPlayerScores* AddPlayer(int id, const char16_t* name, const char* uid) override;
    void RemovePlayer(int id) override;
    void ClearPlayers() override;
    bool Login(const char16_t* user, const char16_t* password, int* status) override;
    const char16_t* GetLoginNick() override;
    const char16_t* GetLoginUid() override;
#ifndef VORNHAL_DEDICATED
    Util::List<IUpdateFile>* CheckUpdates() override;
    bool DownloadFile(const char16_t* url, const char16_t* localPath, IDownloadListener* listener) override;
    IRenderer* CreateRenderer(int kind) override;
    IAudio* CreateAudio() override;
    IInput* GetInput() override;
#endif
    IPhysics* CreatePhysics(int unused) override;
    ITimer* CreateTimer() override;
    float GetFrameTime1() override;
    void UpdateFrameTime1() override;
    float GetFrameTime2() override;
    void UpdateFrameTime2() override;
    float GetFrameTime3() override;
    void UpdateFrameTime3() override;
    bool LoadImagePixels(const char16_t* path, int* width, int* height, uint32_t** pixels) override;
    ITexture* LoadTexture(const char16_t* path, bool packIntoAtlas, int atlasGroup) override;
    ITexture* LoadTextureEx(const char16_t* path, bool packIntoAtlas, int atlasGroup) override;
    IServerList* GetServerList() override;

    float GetScoreWeight() { return updater_.GetScoreWeight(); }
    float GetHeartbeatSum() const { return heartbeat_.GetSum(); }

    // Score weight by the average number of players, before the bonus.
    static float ScoreWeightFor(float averagePlayers);

    // The game server's listen code tells the updater its UDP port here
    // (SetServerPort), which also starts the updater thread.
    MasterServerUpdater& GetMasterServerUpdater() { return updater_; }

private:
    void StopPhysics();

    void* userPointer_ = nullptr;
    FileManager* fileManager_;
    int rendererKind_ = 0;
    FrameClock clock1_{true};
    FrameClock clock2_{false};
    FrameClock clock3_{false};
    MPAPI::IServer* lastServer_ = nullptr;
    Heartbeat heartbeat_;
    PhysicsSW::Physics* physics_ = nullptr;
    // Declared after fileManager_, which it writes the status file through.
    MasterServerUpdater updater_;
    std::u16string loginNick_;
    std::u16string loginUid_;
    Util::List<IUpdateFile> updateFiles_;
    const char* statusText_ = nullptr;
    // Textures by name, made by LoadTexture; deleted in Shutdown.
    std::list<Texture*> textureCache_;
};
