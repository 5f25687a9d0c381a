#include "editor/panels/ResourceNames.h"

#include "engine/core/StringKit.h"

#include <algorithm>

namespace ResourceNames {

std::u16string FromTyped(const std::string& utf8) { return Util::Widen(utf8.c_str(), utf8.size()); }

bool Acceptable(const std::string& utf8)
{
    if (utf8.empty() || utf8.size() > kMaxLength)
        return false;
    if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return c == ' '; }))
        return false;
    return std::none_of(utf8.begin(), utf8.end(), [](char c) {
        const unsigned char u = static_cast<unsigned char>(c);
        return u == '"' || u < 0x20 || u == 0x7F;
    });
}

} // namespace ResourceNames
