#pragma once

#include "engine/xml/XMLInterface.h"

// Reads the account look-up reply: <id>, <score>, <frags>, <deaths>,
// <suicides> and <rank>.
class PlayerInfoParser : public nsParser::XMLInterface {
public:
    enum Field { kNone = 0, kId, kScore, kFrags, kDeaths, kSuicides, kRank, kFieldCount };

    void StartElement(const char16_t* name) override;
    void EndElement(const char16_t*) override { current_ = kNone; }
    void TagClosed() override {}
    void Attribute(const char16_t*, TextToken*) override {}
    void Text(const char16_t* text) override;

    int Get(Field f) const { return values_[f]; }

private:
    int current_ = kNone;
    int values_[kFieldCount] = {};
};
