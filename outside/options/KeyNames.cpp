#include "outside/options/OptionSettings.h"

#include "engine/core/StringKit.h"

namespace Options {

bool IsKeyCode(long long code) { return code == -1 || (code >= 0 && code < 500) || (code >= 1000 && code <= 1002); }

std::u16string KeyName(int code)
{
    static const char16_t* const kNavigation[] = {u"Up",   u"Down", u"Right",   u"Left",     u"Insert",
                                                  u"Home", u"End",  u"Page up", u"Page down"};
    static const char16_t* const kKeypad[] = {u"Keypad .", u"Keypad /",     u"Keypad *", u"Keypad -",
                                              u"Keypad +", u"Keypad Enter", u"Keypad ="};
    static const char16_t* const kModifiers[] = {u"Right Shift", u"Left Shift", u"Right Ctrl",
                                                 u"Left Ctrl",   u"Right Alt",  u"Left Alt"};
    static const char16_t* const kMouse[] = {u"Left mouse button", u"Middle mouse button", u"Right mouse button"};
    switch (code) {
    case -1:
        return u"None";
    case 8:
        return u"Backspace";
    case 9:
        return u"Tab";
    case 13:
        return u"Enter";
    case 27:
        return u"Escape";
    case 32:
        return u"Space";
    case 127:
        return u"Delete";
    default:
        break;
    }
    if (code > 32 && code < 127) {
        char16_t c = char16_t(code >= 'a' && code <= 'z' ? code - 32 : code);
        return std::u16string(1, c);
    }
    if (code >= 256 && code <= 265)
        return u"Keypad " + Util::IntToString16(code - 256);
    if (code >= 266 && code <= 272)
        return kKeypad[code - 266];
    if (code >= 273 && code <= 281)
        return kNavigation[code - 273];
    if (code >= 282 && code <= 296)
        return u"F" + Util::IntToString16(code - 281);
    if (code >= 303 && code <= 308)
        return kModifiers[code - 303];
    if (code >= 1000 && code <= 1002)
        return kMouse[code - 1000];
    return u"Key " + Util::IntToString16(code);
}

} // namespace Options
