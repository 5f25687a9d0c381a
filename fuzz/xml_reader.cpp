// Arbitrary bytes into the XML reader and the tokenizer, widened the way the
// settings and reply readers widen them.
#include "engine/core/StringKit.h"
#include "engine/xml/ReadXml.h"
#include "engine/xml/TextTokenizer.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

volatile uint32_t g_sink;

uint32_t Touch(const char16_t* s)
{
    uint32_t h = 0;
    for (size_t i = 0; s && s[i]; ++i)
        h = h * 31 + s[i];
    return h;
}

uint32_t Touch(TextToken* t)
{
    if (!t)
        return 1;
    uint32_t h = uint32_t(t->GetKind()) + uint32_t(t->GetStart()) + uint32_t(t->GetEnd()) + uint32_t(t->GetLine());
    h += uint32_t(t->ToInt()) + uint32_t(t->ToNarrowString().size());
    for (char16_t c : t->ToWideString())
        h = h * 31 + c;
    return h;
}

class Handler : public nsParser::XMLInterface {
public:
    uint32_t hash = 0;
    void StartElement(const char16_t* name) override { hash += Touch(name); }
    void EndElement(const char16_t* name) override { hash ^= Touch(name); }
    void TagClosed() override { ++hash; }
    void Attribute(const char16_t* name, TextToken* value) override { hash += Touch(name) * 7 + Touch(value); }
    void Text(const char16_t* text) override { hash += Touch(text) * 3; }
};

void RunTokenizer(const uint8_t* data, size_t size, bool noComments)
{
    TextTokenizer t(noComments);
    t.LoadNarrow(int(size), reinterpret_cast<const char*>(data));
    uint32_t h = 0;
    int n = 0;
    const char16_t* edits[] = {u"", u"x", u"longer replacement text"};
    while (TextToken* k = t.NextToken()) {
        h += Touch(k);
        // Edit some tokens so that later ones move under the conversions.
        if (++n % 5 == 0)
            k->SetText(edits[(n / 5) % 3]);
        if (n % 11 == 0)
            t.AddPlaceholder(k)->SetText(u"7 ");
    }
    for (int i = 0; i < t.GetLength(); ++i)
        h += t.GetText()[i];
    g_sink = g_sink + h;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    std::u16string wide = Util::Widen(reinterpret_cast<const char*>(data), size);
    Handler h;
    ReadXml(wide.data(), int(wide.size()), &h);
    g_sink = g_sink + h.hash;
    RunTokenizer(data, size, false);
    RunTokenizer(data, size, true);
    return 0;
}
