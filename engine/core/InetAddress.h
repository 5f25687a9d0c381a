#pragma once

#include "engine/core/EngineApi.h"

namespace Util {

// A network address held as its host text; each copy owns its own string.
class ENGINE_API InetAddress {
public:
    InetAddress();
    explicit InetAddress(const char16_t* host);
    InetAddress(const InetAddress& other);
    InetAddress& operator=(const InetAddress& other);
    virtual ~InetAddress();

    const char16_t* GetHost() const { return host_; }
    // IPv4 address in network byte order, 0 on any failure.
    int GetIP() const;

private:
    char16_t* host_;
};

} // namespace Util
