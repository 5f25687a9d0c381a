#pragma once

#include "engine/core/EngineApi.h"
#include "engine/core/List.h"

#include <cstdint>

class IFileManager;
class ITimer;
class ITexture;
class IRenderer;
class IInput;
class IAudio;
class IPhysics;
class IPlayerScores;
class IServerList;
class IUpdateFile;
class IDownloadListener;
namespace MPAPI {
class IServer;
class IClient;
} // namespace MPAPI

// Every engine service, reached through GetEngine(). The dedicated server
// compiles the engine in without the update, renderer, audio and input
// operations. Each library frees what it made: what an operation hands to
// the caller goes through its interface's virtual destructor; strings come
// back borrowed from the engine.
class IEngine {
public:
    virtual ~IEngine() {}
    virtual bool Init() = 0;
    // Ends and deletes the renderer, the loaded textures and the physics.
    virtual void Shutdown() = 0;
    [[noreturn]] virtual void FatalError(const char* text) = 0;
    virtual void OpenLog() = 0;
    virtual void Log(const char* format, ...) = 0;
    virtual void SetStatusText(const char* text) = 0;
    virtual void SetUserPointer(void* pointer) = 0;
    virtual void* GetUserPointer() = 0;
    // The engine's, for the engine object's whole life.
    virtual IFileManager* GetFileManager() = 0;
    virtual bool InitNetwork() = 0;
    // A new server the caller deletes (the engine keeps a pointer for the heartbeat).
    virtual MPAPI::IServer* CreateServer() = 0;
    // A new client the caller deletes.
    virtual MPAPI::IClient* CreateClient() = 0;
    virtual void MasterServerTick(float dt, const char16_t* name, const char16_t* level, int gameMode, int players,
                                  int maxPlayers) = 0;
    virtual void ForceHeartbeat() = 0;
    virtual void SetMasterServer(const char16_t* host) = 0;
    // Borrowed: valid until the next SetMasterServer.
    virtual const char16_t* GetMasterServer() = 0;
    virtual void SetStatusFilePath(const char16_t* path) = 0;
    virtual void SetScoreWeight(float averagePlayers, float bonus) = 0;
    virtual void FlushScores() = 0;
    // The engine's record, deleted by RemovePlayer of that id or ClearPlayers.
    virtual IPlayerScores* AddPlayer(int id, const char16_t* name, const char* uid) = 0;
    virtual void RemovePlayer(int id) = 0;
    virtual void ClearPlayers() = 0;
    virtual bool Login(const char16_t* user, const char16_t* password, int* status) = 0;
    // Borrowed: valid until the next Login.
    virtual const char16_t* GetLoginNick() = 0;
    // Borrowed: valid until the next Login.
    virtual const char16_t* GetLoginUid() = 0;
#ifndef VORNHAL_DEDICATED
    // The engine's list and entries, deleted by the next CheckUpdates.
    virtual Util::List<IUpdateFile>* CheckUpdates() = 0;
    virtual bool DownloadFile(const char16_t* url, const char16_t* localPath, IDownloadListener* listener) = 0;
    // The engine's renderer, made once and deleted by Shutdown.
    virtual IRenderer* CreateRenderer(int kind) = 0;
    // A new audio object the caller deletes.
    virtual IAudio* CreateAudio() = 0;
    // The renderer's, gone with it.
    virtual IInput* GetInput() = 0;
#endif
    // The engine's physics, deleted by the next CreatePhysics or by Shutdown.
    virtual IPhysics* CreatePhysics(int unused) = 0;
    // A new timer the caller deletes.
    virtual ITimer* CreateTimer() = 0;
    virtual float GetFrameTime1() = 0;
    virtual void UpdateFrameTime1() = 0;
    virtual float GetFrameTime2() = 0;
    virtual void UpdateFrameTime2() = 0;
    virtual float GetFrameTime3() = 0;
    virtual void UpdateFrameTime3() = 0;
    // *pixels: a new array the caller frees with delete[].
    virtual bool LoadImagePixels(const char16_t* path, int* width, int* height, uint32_t** pixels) = 0;
    // The engine's cached texture, deleted by Shutdown.
    virtual ITexture* LoadTexture(const char16_t* path, bool packIntoAtlas, int atlasGroup) = 0;
    // The engine's cached texture, deleted by Shutdown.
    virtual ITexture* LoadTextureEx(const char16_t* path, bool packIntoAtlas, int atlasGroup) = 0;
    // A new list the caller deletes; it owns its entries.
    virtual IServerList* GetServerList() = 0;
};

extern "C" ENGINE_API IEngine* GetEngine();
