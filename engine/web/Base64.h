#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Util {

// RFC 4648 alphabet with "=" padding and no line breaks.
std::string Base64Encode(const uint8_t* data, size_t size);

} // namespace Util
