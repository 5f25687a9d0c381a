#pragma once

namespace MPAPI {

class IConnection;

// The game side of the server: told on the receive thread when a client's
// flags changed.
class IServerListener {
public:
    virtual ~IServerListener() {}
    virtual void OnClientFlagsChanged(IConnection* connection) = 0;
};

} // namespace MPAPI
