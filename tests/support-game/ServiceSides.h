#pragma once

// A server and clients of their own worlds in one process. The world's
// services are process-wide, so each side's are put in place before that
// side runs. A client's receive thread reads them when it makes an object
// that reached it, so they change only while every client's manager lock
// is held (taken in one order: no thread ever waits on two).

#include "engine/net/ClientManager.h"
#include "game/world/state/WorldServices.h"

#include <map>
#include <mutex>
#include <vector>

class ServiceSides {
public:
    using Held = std::vector<std::unique_lock<std::recursive_mutex>>;

    // Before the client connects.
    void AddClient(MPAPI::IClient* client)
    {
        mutexes_[client] = &dynamic_cast<MPAPI::ClientManager&>(*client).GetManagerMutex();
    }

    // Before the client goes.
    void RemoveClient(MPAPI::IClient* client) { mutexes_.erase(client); }

    // Puts one side's services in place.
    void Enter(const WorldServices& services)
    {
        Held held = Hold();
        Services() = services;
    }

    // For a scope that changes the services in place otherwise: a game
    // state made, loading a level or deleted. Nothing in it may wait for a
    // client's receive thread.
    Held Hold() const
    {
        Held held;
        for (const auto& entry : mutexes_)
            held.emplace_back(*entry.second);
        return held;
    }

private:
    std::map<MPAPI::IClient*, std::recursive_mutex*> mutexes_;
};
