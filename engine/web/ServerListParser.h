#pragma once

#include "engine/xml/XMLInterface.h"

#include <memory>

class ServerInfo;
class ServerList;

// Reads the server list: each end tag starts an entry that the attributes
// of that tag fill and its ">" appends.
class ServerListParser : public nsParser::XMLInterface {
public:
    explicit ServerListParser(ServerList* list);
    ~ServerListParser() override;

    void StartElement(const char16_t*) override {}
    void EndElement(const char16_t* name) override;
    void TagClosed() override;
    void Attribute(const char16_t* name, TextToken* value) override;
    void Text(const char16_t*) override {}

private:
    ServerList* list_;
    std::unique_ptr<ServerInfo> pending_;
};
