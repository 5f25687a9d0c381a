#include "game/world/settings/OptionsText.h"

#include <cstring>

std::u16string EscapeOptionText(const char16_t* text)
{
    std::u16string out;
    for (const char16_t* p = text; p && *p; ++p) {
        switch (*p) {
        case u'&':
            out += u"&amp;";
            break;
        case u'<':
            out += u"&lt;";
            break;
        case u'>':
            out += u"&gt;";
            break;
        default:
            out += *p;
            break;
        }
    }
    return out;
}

namespace {

bool StartsWith(const char16_t* p, const char16_t* prefix, size_t* length)
{
    size_t n = 0;
    for (; prefix[n]; ++n)
        if (p[n] != prefix[n])
            return false;
    *length = n;
    return true;
}

} // namespace

std::u16string UnescapeOptionText(const char16_t* text)
{
    static const struct {
        const char16_t* entity;
        char16_t ch;
    } kEntities[] = {{u"&amp;", u'&'}, {u"&lt;", u'<'}, {u"&gt;", u'>'}};
    std::u16string out;
    for (const char16_t* p = text; p && *p;) {
        bool decoded = false;
        if (*p == u'&') {
            for (const auto& e : kEntities) {
                size_t n;
                if (StartsWith(p, e.entity, &n)) {
                    out += e.ch;
                    p += n;
                    decoded = true;
                    break;
                }
            }
        }
        if (!decoded)
            out += *p++;
    }
    return out;
}
