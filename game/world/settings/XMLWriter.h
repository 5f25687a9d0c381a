#pragma once

#include <cstdint>
#include <string>

// Indenting element writer: one element a line, a tab per depth, CR LF line
// ends. It escapes nothing; callers hand it texts that are safe to write.
class XMLWriter {
public:
    XMLWriter() = default;
    virtual ~XMLWriter() {}

    void WriteElement(const char16_t* name, const char16_t* text, const char16_t* attrName = nullptr,
                      const char16_t* attrValue = nullptr);
    void WriteInt(const char16_t* name, int32_t value);
    void WriteFloat(const char16_t* name, double value);
    void WriteBool(const char16_t* name, bool value);
    // Both attribute arguments or neither; the depth rises afterwards.
    void OpenElement(const char16_t* name, const char16_t* attrName = nullptr, const char16_t* attrValue = nullptr);
    // The depth falls before the line is written.
    void CloseElement(const char16_t* name);

    const std::u16string& GetText() const { return buffer_; }
    int GetDepth() const { return depth_; }
    // The low byte of every character, for writing out as an 8-bit file.
    const std::string& MakeNarrowCopy();

private:
    void Indent();
    void Append(const char16_t* text);

    std::u16string buffer_;
    std::string narrow_;
    int depth_ = 0;
};
