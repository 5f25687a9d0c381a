#pragma once

#include "engine/core/List.h"
#include "engine/web/IServerList.h"

class ServerInfo;

class ServerList : public IServerList {
public:
    ServerList() = default;
    ~ServerList() override;
    ServerList(const ServerList&) = delete;
    ServerList& operator=(const ServerList&) = delete;

    int GetCount() override;
    IServerInfo* GetServer(int index) override;

    // Takes ownership.
    void Append(ServerInfo* server);

private:
    Util::List<ServerInfo> servers_;
};
