#include "engine/web/ServerList.h"

#include "engine/web/ServerInfo.h"

ServerList::~ServerList() { servers_.DeleteAll(); }

int ServerList::GetCount() { return servers_.GetCount(); }

IServerInfo* ServerList::GetServer(int index) { return servers_.Get(index); }

void ServerList::Append(ServerInfo* server)
{
    if (server)
        servers_.Add(server);
}
