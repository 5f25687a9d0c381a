#include "platform/os/OsText.h"

#include <cstdint>

namespace {

unsigned char LowerAscii(char c)
{
    const unsigned char u = (unsigned char)c;
    return (u >= 'A' && u <= 'Z') ? (unsigned char)(u + 32) : u;
}

void AppendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out.push_back(char(cp));
    } else if (cp < 0x800) {
        out.push_back(char(0xC0 | (cp >> 6)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(char(0xE0 | (cp >> 12)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (cp >> 18)));
        out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    }
}

std::string Utf16ToBytes(const char16_t* s, size_t n, bool keepWidenedBytes)
{
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        uint32_t c = s[i];
        if (keepWidenedBytes && c >= 0xFF80) {
            out.push_back(char(c & 0xFF));
        } else if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
            AppendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00));
            ++i;
        } else {
            AppendUtf8(out, c);
        }
    }
    return out;
}

} // namespace

namespace Util {

int StrCompareNoCase(const char* a, const char* b)
{
    if (!a)
        a = "";
    if (!b)
        b = "";
    for (;; ++a, ++b) {
        unsigned char x = LowerAscii(*a), y = LowerAscii(*b);
        if (x != y)
            return x < y ? -1 : 1;
        if (!x)
            return 0;
    }
}

std::string ToOs(const char16_t* s)
{
    return s ? Utf16ToBytes(s, std::char_traits<char16_t>::length(s), true) : std::string();
}
std::string ToOs(const std::u16string& s) { return Utf16ToBytes(s.data(), s.size(), true); }
std::string ToUtf8(const std::u16string& s) { return Utf16ToBytes(s.data(), s.size(), false); }

std::u16string FromOs(const char* s) { return s ? FromOs(std::string(s)) : std::u16string(); }

std::u16string FromOs(const std::string& s)
{
    std::u16string out;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(s.data());
    size_t n = s.size();
    for (size_t i = 0; i < n;) {
        unsigned char b = p[i];
        uint32_t cp = 0;
        size_t len = 0;
        if (b < 0x80) {
            cp = b;
            len = 1;
        } else if ((b & 0xE0) == 0xC0) {
            cp = b & 0x1F;
            len = 2;
        } else if ((b & 0xF0) == 0xE0) {
            cp = b & 0x0F;
            len = 3;
        } else if ((b & 0xF8) == 0xF0) {
            cp = b & 0x07;
            len = 4;
        }
        bool ok = len > 0 && i + len <= n;
        for (size_t k = 1; ok && k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        // Reject overlong forms and anything that would not come back as
        // the same bytes; such bytes stand for themselves.
        static const uint32_t minimum[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (ok &&
            (cp < minimum[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000) || (cp >= 0xFF80 && cp <= 0xFFFF)))
            ok = false;
        if (!ok) {
            out.push_back(char16_t(int16_t(int8_t(b)))); // the byte widened with its sign
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(char16_t(0xD800 + (cp >> 10)));
            out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(char16_t(cp));
        }
        i += len;
    }
    return out;
}

} // namespace Util
