#pragma once

class TextToken;

namespace nsParser {

// Receives the events of ReadXml. Names and texts are borrowed for the call;
// an attribute's value token lives until ReadXml returns.
class XMLInterface {
public:
    virtual ~XMLInterface() {}
    virtual void StartElement(const char16_t* name) = 0;
    virtual void EndElement(const char16_t* name) = 0;
    virtual void TagClosed() = 0;
    // value is null when the text ends right after the "=".
    virtual void Attribute(const char16_t* name, TextToken* value) = 0;
    virtual void Text(const char16_t* text) = 0;
};

} // namespace nsParser
