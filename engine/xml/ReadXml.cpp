#include "engine/xml/ReadXml.h"

#include "engine/xml/TextTokenizer.h"

#include <algorithm>

namespace {

const int kMaxName = 255;
const int kMaxText = 2047;

inline char16_t WidenLowByte(char16_t c) { return char16_t(int16_t(int8_t(c & 0xFF))); }

// The token's narrow form cut to 255 characters and widened again.
void MakeName(const TextToken& t, char16_t (&name)[kMaxName + 1])
{
    int n = 0;
    if (t.GetKind() == TextToken::Word || t.GetKind() == TextToken::String) {
        const char16_t* text = t.GetOwner()->GetText();
        int from = t.GetStart();
        int count = std::min(t.GetEnd() - from, kMaxName);
        for (; n < count; ++n)
            name[n] = WidenLowByte(text[from + n]);
    } else {
        std::string narrow = t.ToNarrowString();
        int count = std::min(int(narrow.size()), kMaxName);
        for (; n < count; ++n)
            name[n] = WidenLowByte(char16_t((unsigned char)narrow[size_t(n)]));
    }
    name[n] = 0;
}

} // namespace

// Text outside tags is scanned for the next "<" character by character, not
// by tokens: a stray double quote in element text would otherwise open a
// string that hides every later tag. Inside tags the tokenizer's rules hold.
void ReadXml(const char16_t* text, int length, nsParser::XMLInterface* handler)
{
    if (!handler)
        return;
    TextTokenizer tokenizer(true);
    tokenizer.Borrow(length, text);
    const char16_t* chars = tokenizer.GetText();

    char16_t piece[kMaxText + 1];
    auto reportText = [&](int from, int to) {
        int n = std::min(to - from, kMaxText);
        if (n <= 0)
            return;
        std::copy(chars + from, chars + from + n, piece);
        piece[n] = 0;
        handler->Text(piece);
    };

    char16_t name[kMaxName + 1];
    TextTokenizer::Cursor c;
    TextToken t(&tokenizer, TextToken::Word, 0, 0, 1);
    int textStart = 0;
    for (;;) {
        if (!tokenizer.ScanTo(c, u'<')) {
            reportText(textStart, tokenizer.length_);
            return;
        }
        reportText(textStart, c.pos);
        ++c.pos;

        if (!tokenizer.Scan(c, t))
            return;
        bool closing = false;
        if (t.GetKind() == TextToken::Symbol) {
            closing = t.IsSymbol(u'/');
            if (!tokenizer.Scan(c, t))
                return;
        }
        MakeName(t, name);
        if (closing)
            handler->EndElement(name);
        else
            handler->StartElement(name);

        for (;;) {
            if (!tokenizer.Scan(c, t))
                return;
            if (t.IsSymbol(u'>')) {
                handler->TagClosed();
                textStart = c.pos;
                break;
            }
            if (t.GetKind() != TextToken::Word)
                continue;
            MakeName(t, name);
            if (!tokenizer.Scan(c, t))
                return;
            if (!t.IsSymbol(u'='))
                continue; // a bare attribute name swallows the token after it
            if (!tokenizer.Scan(c, t)) {
                handler->Attribute(name, nullptr);
                return;
            }
            handler->Attribute(name, tokenizer.Keep(t));
        }
    }
}
