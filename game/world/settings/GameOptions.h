#pragma once

#include "engine/core/List.h"
#include "game/world/settings/IGameOptions.h"
#include "game/world/settings/KeyBindingTable.h"

#include <string>

// The one settings object of the game state, built with the defaults.
class GameOptions : public IGameOptions {
public:
    class LevelInfo {
    public:
        LevelInfo(int32_t m, const char16_t* p) : mode(m), path(p ? p : u"") {}
        virtual ~LevelInfo() {}
        int32_t mode;
        std::u16string path;
    };

    class BanInfo {
    public:
        BanInfo(const char16_t* n, uint32_t a);
        virtual ~BanInfo() {}
        std::u16string name; // at most 64 characters, may be empty
        uint32_t address;    // IPv4, first octet in the lowest byte
    };

    // Turns a ban's address text into an address, 0 when it fails. The
    // default resolves through Util::InetAddress (which may look names up).
    using AddressResolver = uint32_t (*)(const char16_t* host);

    GameOptions();
    ~GameOptions() override;
    GameOptions(const GameOptions&) = delete;
    GameOptions& operator=(const GameOptions&) = delete;

    void SetAddressResolver(AddressResolver resolver);

    void SetPlayerName(const char16_t* name) override;
    const char16_t* GetPlayerName() override { return playerName_.c_str(); }
    void SetWindowed(bool on) override { windowed_ = on; }
    bool GetWindowed() override { return windowed_; }
    void SetVSync(bool on) override { vsync_ = on; }
    bool GetVSync() override { return vsync_; }
    void SetBrightness(float value) override { brightness_ = value; }
    float GetBrightness() override { return brightness_; }
    void SetScreenshotPath(const char16_t* path) override;
    const char16_t* GetScreenshotPath() override { return screenshotPath_.c_str(); }
    void SetRenderLights(bool on) override { renderLights_ = on; }
    bool GetRenderLights() override { return renderLights_; }
    void SetFloorBlending(bool on) override { floorBlending_ = on; }
    bool GetFloorBlending() override { return floorBlending_; }
    void SetRenderObjShadow(bool on) override { renderObjShadow_ = on; }
    bool GetRenderObjShadow() override { return renderObjShadow_; }
    void SetRenderEnvShadow(bool on) override { renderEnvShadow_ = on; }
    bool GetRenderEnvShadow() override { return renderEnvShadow_; }
    void SetUseFonts(bool on) override { useFonts_ = on ? 2 : 0; }
    int32_t GetUseFonts() override { return useFonts_; }
    void SetMasterVolume(float volume) override { masterVolume_ = volume; }
    float GetMasterVolume() override { return masterVolume_; }
    void SetMovingMode(int32_t mode) override { movingMode_ = mode; }
    int32_t GetMovingMode() override { return movingMode_; }

    bool IsActionDown(IInput* input, int32_t action) override;
    void SetKeyBinding(int32_t action, int32_t key) override;
    int32_t GetKeyBinding(int32_t action) override;
    bool IsKeyBound(int32_t action, int32_t key) override;

    void SetDefaultAddress(const char16_t* address) override;
    const char16_t* GetDefaultAddress() override { return defaultAddress_.c_str(); }
    void SetServerPort(int32_t port) override;
    int32_t GetServerPort() override { return serverPort_; }
    void SetServerUpstream(int32_t upstream) override { serverUpstream_ = upstream < 0 ? 0 : upstream; }
    int32_t GetServerUpstream() override { return serverUpstream_; }
    void SetServerUploading(bool on) override { serverUploading_ = on; }
    bool GetServerUploading() override { return serverUploading_; }
    void SetServerName(const char16_t* name) override;
    const char16_t* GetServerName() override { return serverName_.c_str(); }
    void SetServerLevel(const char16_t* path) override;
    const char16_t* GetServerLevel() override { return serverLevel_.c_str(); }
    void SetServerMode(int32_t mode) override { serverMode_ = mode; }
    int32_t GetServerMode() override { return serverMode_; }
    void SetServerLighting(int32_t lighting) override;
    int32_t GetServerLighting() override { return serverLighting_; }
    void SetServerMaxPlayers(int32_t count) override { serverMaxPlayers_ = count; }
    int32_t GetServerMaxPlayers() override { return serverMaxPlayers_; }
    void SetServerBalanced(bool on) override { serverBalanced_ = on; }
    bool GetServerBalanced() override { return serverBalanced_; }
    void SetServerFragLimit(int32_t limit) override { serverFragLimit_ = limit; }
    int32_t GetServerFragLimit() override { return serverFragLimit_; }
    void SetServerTeamFragLimit(int32_t limit) override { serverTeamFragLimit_ = limit; }
    int32_t GetServerTeamFragLimit() override { return serverTeamFragLimit_; }
    void SetServerTimeLimit(int32_t minutes) override { serverTimeLimit_ = minutes; }
    int32_t GetServerTimeLimit() override { return serverTimeLimit_; }
    void SetServerLocked(bool on) override { serverLocked_ = on; }
    bool GetServerLocked() override { return serverLocked_; }
    void SetServerPassword(const char16_t* password) override;
    const char16_t* GetServerPassword() override { return serverPassword_.c_str(); }
    void SetServerInfoFile(const char16_t* path) override;
    const char16_t* GetServerInfoFile() override { return serverInfoFile_.c_str(); }

    void AddMapCycleLevel(int32_t mode, const char16_t* path) override;
    void RemoveMapCycleMode(int32_t mode) override;
    void ClearMapCycle() override;
    int32_t GetMapCycleCount(int32_t mode) override;
    void SetNextMapCycleLevel(int32_t mode, const char16_t* path) override;
    const char16_t* GetMapCycleLevel(int32_t mode, int32_t i) override;
    const char16_t* FindMapCycleLevel(int32_t mode, const char16_t* path) override;
    const char16_t* NextMapCycleLevel(int32_t mode) override;

    void SetUpdaterString(const char16_t* host) override;
    const char16_t* GetUpdaterString() override { return masterServer_.c_str(); }

    void AddBan(const char16_t* name, uint32_t address) override;
    void AddBanEntry(const char16_t* text) override;
    void RemoveBan(const char16_t* name) override;
    int32_t GetBanCount() override { return bans_.GetCount(); }
    const char16_t* GetBanName(int32_t i) override;
    uint32_t GetBanAddress(int32_t i) override;

    void AddOperator(const char16_t* name) override;
    void RemoveOperator(const char16_t* name) override;
    bool IsOperator(const char16_t* name) override;
    int32_t GetOperatorCount() override { return operators_.GetCount(); }
    const char16_t* GetOperator(int32_t i) override;
    void SetOperatorAccount(int32_t i, int32_t account) override;
    int32_t GetOperatorAccount(int32_t i) override;
    bool IsOperatorAccount(const char16_t* name, int32_t account) override;

    static const size_t kShortText = 64;
    static const size_t kPathText = 2047;

private:
    std::u16string playerName_ = u"Player";
    bool windowed_ = false;
    bool vsync_ = true;
    float brightness_ = 0.35f;
    std::u16string screenshotPath_;
    bool renderLights_ = true;
    bool floorBlending_ = true;
    bool renderObjShadow_ = true;
    bool renderEnvShadow_ = true;
    int32_t useFonts_ = 1;
    float masterVolume_ = 0.0f;
    int32_t movingMode_ = 0;
    int32_t keyBindings_[kKeyBindingCount];
    std::u16string defaultAddress_;
    int32_t serverPort_ = 8887;
    int32_t serverUpstream_ = 0;
    bool serverUploading_ = true;
    std::u16string serverName_ = u"My server";
    std::u16string serverLevel_ = u"levels/tdm_riotcity.lvl";
    int32_t serverMode_ = 0;
    int32_t serverLighting_ = 0;
    int32_t serverMaxPlayers_ = 32;
    bool serverBalanced_ = true;
    int32_t serverFragLimit_ = 32;
    int32_t serverTeamFragLimit_ = 64;
    int32_t serverTimeLimit_ = 1200;
    bool serverLocked_ = false;
    std::u16string serverPassword_;
    std::u16string serverInfoFile_;
    Util::List<LevelInfo> mapCycle_;
    int32_t mapCycleCursor_ = 0;
    bool hasPendingLevel_ = false;
    std::u16string pendingLevel_;
    // The level NextMapCycleLevel handed out last; it lives until the next
    // call, so the caller's pointer stays valid after the pending level goes.
    std::u16string returnedLevel_;
    std::u16string masterServer_;
    Util::List<BanInfo> bans_;
    struct OperatorEntry {
        std::u16string name;
        // The account the master service confirmed for the player "op" named;
        // 0 for an entry without one (an older file's), which chat never honours.
        int32_t account = 0;
    };
    Util::List<OperatorEntry> operators_;
    AddressResolver resolver_;
};
