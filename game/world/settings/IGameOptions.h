#pragma once

#include <cstdint>

class IInput;

// Every user and server setting. Text getters return borrowed pointers into
// the options; callers copy what they keep.
class IGameOptions {
public:
    virtual ~IGameOptions() {}

    virtual void SetPlayerName(const char16_t* name) = 0;
    virtual const char16_t* GetPlayerName() = 0;
    virtual void SetWindowed(bool on) = 0;
    virtual bool GetWindowed() = 0;
    virtual void SetVSync(bool on) = 0;
    virtual bool GetVSync() = 0;
    virtual void SetBrightness(float value) = 0;
    virtual float GetBrightness() = 0;
    virtual void SetScreenshotPath(const char16_t* path) = 0;
    virtual const char16_t* GetScreenshotPath() = 0;
    virtual void SetRenderLights(bool on) = 0;
    virtual bool GetRenderLights() = 0;
    virtual void SetFloorBlending(bool on) = 0;
    virtual bool GetFloorBlending() = 0;
    virtual void SetRenderObjShadow(bool on) = 0;
    virtual bool GetRenderObjShadow() = 0;
    virtual void SetRenderEnvShadow(bool on) = 0;
    virtual bool GetRenderEnvShadow() = 0;
    // Stores 2 for true and 0 for false; 1 means never set.
    virtual void SetUseFonts(bool on) = 0;
    virtual int32_t GetUseFonts() = 0;
    virtual void SetMasterVolume(float volume) = 0;
    virtual float GetMasterVolume() = 0;
    // 1 relative, 0 absolute.
    virtual void SetMovingMode(int32_t mode) = 0;
    virtual int32_t GetMovingMode() = 0;

    virtual bool IsActionDown(IInput* input, int32_t action) = 0;
    virtual void SetKeyBinding(int32_t action, int32_t key) = 0;
    virtual int32_t GetKeyBinding(int32_t action) = 0;
    virtual bool IsKeyBound(int32_t action, int32_t key) = 0;

    virtual void SetDefaultAddress(const char16_t* address) = 0;
    virtual const char16_t* GetDefaultAddress() = 0;
    virtual void SetServerPort(int32_t port) = 0;
    virtual int32_t GetServerPort() = 0;
    virtual void SetServerUpstream(int32_t upstream) = 0;
    virtual int32_t GetServerUpstream() = 0;
    virtual void SetServerUploading(bool on) = 0;
    virtual bool GetServerUploading() = 0;
    virtual void SetServerName(const char16_t* name) = 0;
    virtual const char16_t* GetServerName() = 0;
    virtual void SetServerLevel(const char16_t* path) = 0;
    virtual const char16_t* GetServerLevel() = 0;
    virtual void SetServerMode(int32_t mode) = 0;
    virtual int32_t GetServerMode() = 0;
    virtual void SetServerLighting(int32_t lighting) = 0;
    virtual int32_t GetServerLighting() = 0;
    virtual void SetServerMaxPlayers(int32_t count) = 0;
    virtual int32_t GetServerMaxPlayers() = 0;
    virtual void SetServerBalanced(bool on) = 0;
    virtual bool GetServerBalanced() = 0;
    virtual void SetServerFragLimit(int32_t limit) = 0;
    virtual int32_t GetServerFragLimit() = 0;
    virtual void SetServerTeamFragLimit(int32_t limit) = 0;
    virtual int32_t GetServerTeamFragLimit() = 0;
    // Minutes.
    virtual void SetServerTimeLimit(int32_t minutes) = 0;
    virtual int32_t GetServerTimeLimit() = 0;
    virtual void SetServerLocked(bool on) = 0;
    virtual bool GetServerLocked() = 0;
    virtual void SetServerPassword(const char16_t* password) = 0;
    virtual const char16_t* GetServerPassword() = 0;
    virtual void SetServerInfoFile(const char16_t* path) = 0;
    virtual const char16_t* GetServerInfoFile() = 0;

    virtual void AddMapCycleLevel(int32_t mode, const char16_t* path) = 0;
    virtual void RemoveMapCycleMode(int32_t mode) = 0;
    virtual void ClearMapCycle() = 0;
    virtual int32_t GetMapCycleCount(int32_t mode) = 0;
    virtual void SetNextMapCycleLevel(int32_t mode, const char16_t* path) = 0;
    virtual const char16_t* GetMapCycleLevel(int32_t mode, int32_t i) = 0;
    virtual const char16_t* FindMapCycleLevel(int32_t mode, const char16_t* path) = 0;
    virtual const char16_t* NextMapCycleLevel(int32_t mode) = 0;

    // The master-server host.
    virtual void SetUpdaterString(const char16_t* host) = 0;
    virtual const char16_t* GetUpdaterString() = 0;

    virtual void AddBan(const char16_t* name, uint32_t address) = 0;
    // "name:address" or "address".
    virtual void AddBanEntry(const char16_t* text) = 0;
    virtual void RemoveBan(const char16_t* name) = 0;
    virtual int32_t GetBanCount() = 0;
    virtual const char16_t* GetBanName(int32_t i) = 0;
    virtual uint32_t GetBanAddress(int32_t i) = 0;

    virtual void AddOperator(const char16_t* name) = 0;
    virtual void RemoveOperator(const char16_t* name) = 0;
    virtual bool IsOperator(const char16_t* name) = 0;
    virtual int32_t GetOperatorCount() = 0;
    virtual const char16_t* GetOperator(int32_t i) = 0;
    // An entry may be bound to an account id: only a player whose account
    // the master service confirmed as that id is then the operator.
    virtual void SetOperatorAccount(int32_t i, int32_t account) = 0;
    virtual int32_t GetOperatorAccount(int32_t i) = 0;
    // An entry of that name (exact) that is unbound or bound to the account.
    virtual bool IsOperatorAccount(const char16_t* name, int32_t account) = 0;
};
