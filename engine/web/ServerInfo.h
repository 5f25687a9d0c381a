#pragma once

#include "engine/web/IServerInfo.h"

#include <string>

class ServerInfo : public IServerInfo {
public:
    const char16_t* GetName() override { return name_.c_str(); }
    const char16_t* GetLevel() override { return level_.c_str(); }
    int GetGameMode() override { return gameMode_; }
    const char16_t* GetAddress() override { return address_.c_str(); }
    int GetPort() override { return port_; }
    int GetPlayers() override { return players_; }
    int GetMaxPlayers() override { return maxPlayers_; }

    void SetName(std::u16string v) { name_ = std::move(v); }
    void SetLevel(std::u16string v) { level_ = std::move(v); }
    void SetAddress(std::u16string v) { address_ = std::move(v); }
    void SetGameMode(int v) { gameMode_ = v; }
    void SetPort(int v) { port_ = v; }
    void SetPlayers(int v) { players_ = v; }
    void SetMaxPlayers(int v) { maxPlayers_ = v; }

private:
    std::u16string name_;
    std::u16string level_;
    std::u16string address_;
    int gameMode_ = 0;
    int port_ = 0;
    int players_ = 0;
    int maxPlayers_ = 0;
};
