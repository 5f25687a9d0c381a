#include "engine/web/LoginParser.h"

#include "engine/core/StringKit.h"

void LoginParser::StartElement(const char16_t* name)
{
    if (Util::StrEqual(name, u"status"))
        current_ = kStatus;
    else if (Util::StrEqual(name, u"nick"))
        current_ = kNick;
    else if (Util::StrEqual(name, u"uid"))
        current_ = kUid;
}

void LoginParser::EndElement(const char16_t*) { current_ = kNone; }

void LoginParser::Text(const char16_t* text)
{
    switch (current_) {
    case kStatus:
        status_ = Util::AtoI(text);
        break;
    case kNick:
        nick_ = text ? text : u"";
        hasNick_ = true;
        break;
    case kUid:
        uid_ = text ? text : u"";
        hasUid_ = true;
        break;
    default:
        break;
    }
}
