#pragma once

#include "engine/xml/XMLInterface.h"

#include <string>

// Reads the login reply: <status>, <nick> and <uid> elements.
class LoginParser : public nsParser::XMLInterface {
public:
    void StartElement(const char16_t* name) override;
    void EndElement(const char16_t* name) override;
    void TagClosed() override {}
    void Attribute(const char16_t*, TextToken*) override {}
    void Text(const char16_t* text) override;

    int GetStatus() const { return status_; }
    bool HasNick() const { return hasNick_; }
    bool HasUid() const { return hasUid_; }
    const std::u16string& GetNick() const { return nick_; }
    const std::u16string& GetUid() const { return uid_; }

private:
    enum { kNone, kStatus, kNick, kUid };
    int current_ = kNone;
    int status_ = 0;
    bool hasNick_ = false;
    bool hasUid_ = false;
    std::u16string nick_;
    std::u16string uid_;
};
