#include "engine/web/ServerListParser.h"

#include "engine/core/StringKit.h"
#include "engine/web/ServerInfo.h"
#include "engine/web/ServerList.h"
#include "engine/xml/TextToken.h"

ServerListParser::ServerListParser(ServerList* list) : list_(list) {}

ServerListParser::~ServerListParser() = default;

void ServerListParser::EndElement(const char16_t*)
{
    if (!pending_)
        pending_.reset(new ServerInfo());
}

void ServerListParser::TagClosed()
{
    if (pending_ && list_)
        list_->Append(pending_.release());
    pending_.reset();
}

void ServerListParser::Attribute(const char16_t* name, TextToken* value)
{
    if (!pending_)
        return;
    std::u16string text = value ? value->ToWideString() : std::u16string();
    int number = value ? value->ToInt() : 0;
    if (Util::StrEqual(name, u"name"))
        pending_->SetName(text);
    else if (Util::StrEqual(name, u"level"))
        pending_->SetLevel(text);
    else if (Util::StrEqual(name, u"ip"))
        pending_->SetAddress(text);
    else if (Util::StrEqual(name, u"mode"))
        pending_->SetGameMode(number);
    else if (Util::StrEqual(name, u"port"))
        pending_->SetPort(number);
    else if (Util::StrEqual(name, u"players"))
        pending_->SetPlayers(number);
    else if (Util::StrEqual(name, u"maxplayers"))
        pending_->SetMaxPlayers(number);
}
