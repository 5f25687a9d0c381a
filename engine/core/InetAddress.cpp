#include "engine/core/InetAddress.h"

#include "engine/core/StringKit.h"
#include "platform/net/Net.h"

namespace Util {

InetAddress::InetAddress() : host_(nullptr) {}

InetAddress::InetAddress(const char16_t* host) : host_(StrDup(host)) {}

InetAddress::InetAddress(const InetAddress& other) : host_(StrDup(other.host_)) {}

InetAddress& InetAddress::operator=(const InetAddress& other)
{
    if (this != &other) {
        char16_t* copy = StrDup(other.host_);
        delete[] host_;
        host_ = copy;
    }
    return *this;
}

InetAddress::~InetAddress() { delete[] host_; }

int InetAddress::GetIP() const
{
    if (!host_)
        return 0;
    size_t len = StrLen(host_);
    if (len >= 256)
        return 0;
    if (!Net::Startup())
        return 0;
    char narrow[256];
    for (size_t i = 0; i <= len; ++i)
        narrow[i] = char(host_[i] & 0xFF);
    uint32_t dotted = Net::ParseDotted(narrow);
    if (dotted != 0 && dotted != Net::kNoAddress)
        return int(dotted);
    return int(Net::Resolve(narrow));
}

} // namespace Util
