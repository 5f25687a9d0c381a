#pragma once

// One game server of the master server's list. Strings are borrowed from
// the entry and empty when the reply did not give them.
class IServerInfo {
public:
    virtual ~IServerInfo() {}
    virtual const char16_t* GetName() = 0;
    virtual const char16_t* GetLevel() = 0;
    virtual int GetGameMode() = 0;
    virtual const char16_t* GetAddress() = 0;
    virtual int GetPort() = 0;
    virtual int GetPlayers() = 0;
    virtual int GetMaxPlayers() = 0;
};
