#include "engine/web/PlayerInfoParser.h"

#include "engine/core/StringKit.h"

void PlayerInfoParser::StartElement(const char16_t* name)
{
    static const char16_t* const kNames[] = {u"id", u"score", u"frags", u"deaths", u"suicides", u"rank"};
    for (int i = 0; i < 6; ++i)
        if (Util::StrEqual(name, kNames[i]))
            current_ = i + 1;
}

void PlayerInfoParser::Text(const char16_t* text)
{
    if (current_ != kNone && text)
        values_[current_] = Util::AtoI(text);
}
