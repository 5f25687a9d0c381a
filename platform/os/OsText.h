#pragma once

#include <string>

// Text at the operating system's edge. The system's text is UTF-16 with
// 8-bit text widened byte by byte (sign extended); names for the operating
// system turn units 0xFF80..0xFFFF back into their byte and everything else
// into UTF-8, and FromOs reverses it.
namespace Util {

std::string ToOs(const char16_t* s);
std::string ToOs(const std::u16string& s);
std::u16string FromOs(const char* s);
std::u16string FromOs(const std::string& s);
// Plain UTF-8 for peers that want Unicode text (window toolkits).
std::string ToUtf8(const std::u16string& s);
// ASCII letters compared without case (file names on disk).
int StrCompareNoCase(const char* a, const char* b);

} // namespace Util
