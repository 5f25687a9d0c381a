#include "engine/xml/ReadXml.h"

#include "engine/core/StringKit.h"
#include "engine/xml/TextToken.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Writes every callback as one line of narrow text.
class Recorder : public nsParser::XMLInterface {
public:
    std::vector<std::string> events;
    std::vector<TextToken*> values;
    std::vector<std::string> valueTexts;
    bool valuesStayed = true;

    void StartElement(const char16_t* name) override { Add("start:", name); }
    void EndElement(const char16_t* name) override { Add("end:", name); }
    void TagClosed() override
    {
        events.push_back("closed");
        // Earlier value tokens must still read the same.
        for (size_t i = 0; i < values.size(); ++i)
            valuesStayed = valuesStayed && values[i]->ToNarrowString() == valueTexts[i];
    }
    void Attribute(const char16_t* name, TextToken* value) override
    {
        std::string e = "attr:" + Util::Narrow(name) + "=";
        if (!value) {
            e += "null";
        } else {
            static const char kinds[] = "WSIRY";
            e += kinds[value->GetKind()];
            e += ":" + value->ToNarrowString();
            values.push_back(value);
            valueTexts.push_back(value->ToNarrowString());
        }
        events.push_back(e);
    }
    void Text(const char16_t* text) override { Add("text:", text); }

private:
    void Add(const char* what, const char16_t* s) { events.push_back(what + Util::Narrow(s)); }
};

std::vector<std::string> Read(const std::u16string& text)
{
    Recorder r;
    ReadXml(text.data(), int(text.size()), &r);
    EXPECT_TRUE(r.valuesStayed);
    return r.events;
}

using Events = std::vector<std::string>;

struct Case {
    const char* what;
    std::u16string text;
    Events events;
};

} // namespace

TEST(ReadXml, EventSequences)
{
    const Case cases[] = {
        {"text, element, attribute, text",
         u"a<b x=\"1\">hi</b>",
         {"text:a", "start:b", "attr:x=S:1", "closed", "text:hi", "end:b", "closed"}},
        {"declaration is an element", u"<?xml version=\"1.0\"?>", {"start:xml", "attr:version=S:1.0", "closed"}},
        {"self-closing tag has no end", u"<a/>", {"start:a", "closed"}},
        {"white space between tags is text",
         u"<a>\r\n\t<b>1</b>\r\n</a>",
         {"start:a", "closed", "text:\r\n\t", "start:b", "closed", "text:1", "end:b", "closed", "text:\r\n", "end:a",
          "closed"}},
        // The apostrophe is a symbol of its own: x then swallows the second one.
        {"value kinds",
         u"<m mode=3 f=1.5 s='x' w=abc>",
         {"start:m", "attr:mode=I:3", "attr:f=R:1.500000", "attr:s=Y:'", "attr:w=W:abc", "closed"}},
        {"text without tags", u"hello world", {"text:hello world"}},
        {"text after the last tag", u"<a>tail", {"start:a", "closed", "text:tail"}},
        {"entities stay", u"<a>&amp; &lt;</a>", {"start:a", "closed", "text:&amp; &lt;", "end:a", "closed"}},
        {"comments are text", u"<a>//x /* y</a>", {"start:a", "closed", "text://x /* y", "end:a", "closed"}},
        {"quoted > inside a tag", u"<a x=\"1>2\">t", {"start:a", "attr:x=S:1>2", "closed", "text:t"}},
        {"bare attribute swallows the >", u"<a x><b>t</b>", {"start:a"}},
        {"missing value", u"<a x=", {"start:a", "attr:x=null"}},
        {"ends after name", u"<a x", {"start:a"}},
        {"ends after <", u"abc<", {"text:abc"}},
        {"ends after </", u"</", {}},
        {"closing tag", u"</a>", {"end:a", "closed"}},
        {"number as name", u"<12>", {"start:12", "closed"}},
        {"unclosed string in a tag runs on", u"<a x=\"v>w<b>", {"start:a", "attr:x=S:v>w<b>"}},
        // A stray quote in element text no longer hides the tags after it.
        {"stray quote in text",
         u"<name>Bob \"the</name>\r\n<port>27015</port>",
         {"start:name", "closed", "text:Bob \"the", "end:name", "closed", "text:\r\n", "start:port", "closed",
          "text:27015", "end:port", "closed"}},
        {"stray quote before the first tag", u"\"<a>", {"text:\"", "start:a", "closed"}},
        {"empty", u"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Read(c.text), c.events) << c.what;
}

TEST(ReadXml, LongTextAndNamesAreCut)
{
    std::u16string text(3000, u't');
    EXPECT_EQ(Read(u"<a>" + text + u"</a>"),
              (Events{"start:a", "closed", "text:" + std::string(2047, 't'), "end:a", "closed"}));
    EXPECT_EQ(Read(text), (Events{"text:" + std::string(2047, 't')}));

    std::u16string name(300, u'n');
    EXPECT_EQ(Read(u"<" + name + u" " + name + u"=1>"),
              (Events{"start:" + std::string(255, 'n'), "attr:" + std::string(255, 'n') + "=I:1", "closed"}));
}

TEST(ReadXml, NamesAreNarrowedAndWidened)
{
    struct NameOnly : nsParser::XMLInterface {
        std::u16string name;
        void StartElement(const char16_t* n) override { name = n; }
        void EndElement(const char16_t*) override {}
        void TagClosed() override {}
        void Attribute(const char16_t*, TextToken*) override {}
        void Text(const char16_t*) override {}
    } h;
    // A quoted name keeps only the low byte of each unit, widened again.
    std::u16string text = u"<\"\u0141\u00e4\uFFE5z\">";
    ReadXml(text.data(), int(text.size()), &h);
    std::u16string expected = {u'A', char16_t(0xFFE4), char16_t(0xFFE5), u'z'};
    EXPECT_EQ(h.name, expected);
}

TEST(ReadXml, ValueTokensCarryLineNumbers)
{
    struct Lines : nsParser::XMLInterface {
        std::vector<int> lines;
        void StartElement(const char16_t*) override {}
        void EndElement(const char16_t*) override {}
        void TagClosed() override {}
        void Attribute(const char16_t*, TextToken* v) override { lines.push_back(v ? v->GetLine() : -1); }
        void Text(const char16_t*) override {}
    } h;
    std::u16string text = u"x\r\n\"y\n\r<a\nv=1>\n\n<b v=\"2\">";
    ReadXml(text.data(), int(text.size()), &h);
    EXPECT_EQ(h.lines, (std::vector<int>{4, 6}));
}

TEST(ReadXml, EveryByteOfTextArrivesWidened)
{
    // Bytes as a settings reader hands them over: widened one by one.
    std::string bytes = "<a>";
    for (int b = 1; b < 256; ++b)
        if (b != '<')
            bytes += char(b);
    bytes += "</a>";
    std::u16string wide = Util::Widen(bytes.data(), bytes.size());
    Recorder r;
    ReadXml(wide.data(), int(wide.size()), &r);
    ASSERT_EQ(r.events.size(), 5u);
    EXPECT_EQ(r.events[2], "text:" + bytes.substr(3, bytes.size() - 7));
}

TEST(ReadXml, NullInputIsHarmless)
{
    Recorder r;
    ReadXml(nullptr, 10, &r);
    ReadXml(u"abc", -3, &r);
    EXPECT_TRUE(r.events.empty());
    ReadXml(u"<a>", 3, nullptr);
}

TEST(ReadXml, SeedsForTheFuzzer)
{
    const char* seeds[][2] = {
        {"settings.xml", "<?xml version=\"1.0\"?>\r\n<settings>\r\n\t<playerName>Bob \"the\" builder</playerName>\r\n"
                         "\t<volume>0.750000</volume>\r\n\t<mapcycle mode=\"1\">\r\n\t\t<level>dm_yard</level>\r\n"
                         "\t</mapcycle>\r\n\t<bans/>\r\n</settings>\r\n"},
        {"login.xml", "<login><status>1</status><nick>x</nick><uid>17</uid></login>"},
        {"odd.xml", "a<b x=\"1\">hi</b><c y= z><d w=1.5.3 '>&amp;<!-- c --><//>"},
        {"unclosed.xml", "<a x=\"open <b>"},
    };
    for (auto& s : seeds) {
        std::string text = s[1];
        std::u16string wide = Util::Widen(text.data(), text.size());
        Recorder r;
        ReadXml(wide.data(), int(wide.size()), &r);
        EXPECT_FALSE(r.events.empty()) << s[0];
        TestSupport::WriteFuzzSeed("xml_reader", s[0], text.data(), text.size());
    }
}

TEST(ReadXml, ValueTokensCannotEditTheCallersText)
{
    struct Editor : nsParser::XMLInterface {
        std::u16string after;
        void StartElement(const char16_t*) override {}
        void EndElement(const char16_t*) override {}
        void TagClosed() override {}
        void Attribute(const char16_t*, TextToken* v) override
        {
            v->SetText(u"a much longer value");
            after = v->ToWideString();
        }
        void Text(const char16_t*) override {}
    } h;
    const std::u16string text = u"<a x=\"v\">";
    std::u16string copy = text;
    ReadXml(copy.data(), int(copy.size()), &h);
    EXPECT_EQ(copy, text);
    EXPECT_EQ(h.after, u"v");
}
