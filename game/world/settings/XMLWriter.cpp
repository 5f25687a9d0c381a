#include "game/world/settings/XMLWriter.h"

#include "engine/core/StringKit.h"

void XMLWriter::Indent() { buffer_.append(size_t(depth_ > 0 ? depth_ : 0), u'\t'); }

void XMLWriter::Append(const char16_t* text)
{
    if (text)
        buffer_ += text;
}

void XMLWriter::WriteElement(const char16_t* name, const char16_t* text, const char16_t* attrName,
                             const char16_t* attrValue)
{
    Indent();
    buffer_ += u'<';
    Append(name);
    if (attrName && attrValue) {
        buffer_ += u' ';
        Append(attrName);
        buffer_ += u"=\"";
        Append(attrValue);
        buffer_ += u'"';
    }
    buffer_ += u'>';
    Append(text);
    buffer_ += u"</";
    Append(name);
    buffer_ += u">\r\n";
}

void XMLWriter::WriteInt(const char16_t* name, int32_t value)
{
    WriteElement(name, Util::IntToString16(value).c_str());
}

void XMLWriter::WriteFloat(const char16_t* name, double value)
{
    WriteElement(name, Util::FloatToString16(value, 6).c_str());
}

void XMLWriter::WriteBool(const char16_t* name, bool value) { WriteElement(name, value ? u"true" : u"false"); }

void XMLWriter::OpenElement(const char16_t* name, const char16_t* attrName, const char16_t* attrValue)
{
    Indent();
    buffer_ += u'<';
    Append(name);
    if (attrName && attrValue) {
        buffer_ += u' ';
        buffer_ += attrName;
        buffer_ += u"=\"";
        buffer_ += attrValue;
        buffer_ += u'"';
    }
    buffer_ += u">\r\n";
    ++depth_;
}

void XMLWriter::CloseElement(const char16_t* name)
{
    --depth_;
    Indent();
    buffer_ += u"</";
    Append(name);
    buffer_ += u">\r\n";
}

const std::string& XMLWriter::MakeNarrowCopy()
{
    narrow_.resize(buffer_.size());
    for (size_t i = 0; i < buffer_.size(); ++i)
        narrow_[i] = char(uint8_t(buffer_[i] & 0xFF));
    return narrow_;
}
