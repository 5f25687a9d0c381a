#pragma once

class IServerInfo;

// The servers of one master-server reply, in reply order. The list owns its
// entries; the caller deletes the list.
class IServerList {
public:
    virtual ~IServerList() {}
    virtual int GetCount() = 0;
    // Null past the end.
    // The list's entry, gone with the list.
    virtual IServerInfo* GetServer(int index) = 0;
};
