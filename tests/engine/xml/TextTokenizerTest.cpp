#include "engine/xml/TextTokenizer.h"

#include "engine/core/StringKit.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Every token as kind(narrow text)line, blank separated.
std::string Describe(TextTokenizer& t)
{
    static const char kinds[] = "WSIRY";
    std::string out;
    while (TextToken* k = t.NextToken()) {
        if (!out.empty())
            out += ' ';
        out += kinds[k->GetKind()];
        out += '(' + k->ToNarrowString() + ')' + std::to_string(k->GetLine());
    }
    return out;
}

std::string Tokens(const std::u16string& text, bool noComments)
{
    TextTokenizer t(noComments);
    t.LoadWide(int(text.size()), text.data());
    return Describe(t);
}

struct Case {
    const char* what;
    std::u16string text;
    bool noComments;
    const char* tokens;
};

} // namespace

TEST(TextTokenizer, TokenTable)
{
    const std::u16string longDigits(300, u'7');
    const Case cases[] = {
        {"line comment", u"a//b", false, "W(a)1"},
        {"line comment off", u"a//b", true, "W(a)1 Y(/)1 Y(/)1 W(b)1"},
        {"comment ends at line", u"a // b\nc", false, "W(a)1 W(c)2"},
        {"slash-star-slash closes", u"x /*/ y", false, "W(x)1 W(y)1"},
        {"unclosed block comment", u"x /* y", false, "W(x)1"},
        {"block comment off", u"x /* y", true, "W(x)1 Y(/)1 W(y)1"},
        {"breaks in comment not counted", u"/*\n\n*/ x\ny", false, "W(x)1 W(y)2"},
        {"trailing slash", u"a/", false, "W(a)1 Y(/)1"},
        {"real", u"12.5", false, "R(12.500000)1"},
        {"integer", u"12", false, "I(12)1"},
        {"sign is a symbol", u"-3", false, "Y(-)1 I(3)1"},
        {"second point stops the value", u"1.2.3", false, "R(1.200000)1"},
        {"point at the end", u"7.", false, "R(7.000000)1"},
        {"number then word", u"12abc", false, "I(12)1 W(abc)1"},
        {"int32 limit", u"2147483647", false, "I(2147483647)1"},
        {"saturates", u"4294967296", false, "I(2147483647)1"},
        {"long run splits at 254", longDigits, false, "I(2147483647)1 I(2147483647)1"},
        {"question mark skipped", u"?@", false, "Y(@)1"},
        {"apostrophes", u"'a'", false, "Y(')1 W(a)1 Y(')1"},
        {"string", u"\"42\" x", false, "S(42)1 W(x)1"},
        {"breaks in string not counted", u"\"a\nb\" c\nd", false, "S(a\nb)1 W(c)1 W(d)2"},
        {"unclosed string", u"a \"bc <d>", false, "W(a)1 S(bc <d>)1"},
        {"no escapes", u"\"a\\\"b", false, "S(a\\)1 W(b)1"},
        {"line pairs", u"a\r\nb\n\rc\n\nd\re", false, "W(a)1 W(b)2 W(c)3 W(d)5 W(e)6"},
        {"word characters", u"_a1 b\u00e4c", false, "W(_a1)1 W(b)1 W(c)1"},
        {"extra word units", u"x\uC3B7\uC692\uCB86y \uC3B7z", false, "W(x\xb7\x92\x86y)1 W(z)1"},
        {"all delimiters", u"\\/#@(){}[].:;,=<>&|!+-", true,
         "Y(\\)1 Y(/)1 Y(#)1 Y(@)1 Y(()1 Y())1 Y({)1 Y(})1 Y([)1 Y(])1 Y(.)1 Y(:)1 Y(;)1 Y(,)1 Y(=)1 "
         "Y(<)1 Y(>)1 Y(&)1 Y(|)1 Y(!)1 Y(+)1 Y(-)1"},
        {"separators", u"\t*%$^~`?\u00a0\uFFFF\x01", false, ""},
        {"empty", u"", false, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Tokens(c.text, c.noComments), c.tokens) << c.what;
}

TEST(TextTokenizer, DelimiterSetIsExactly22Characters)
{
    const std::u16string set = u"\\/#@(){}[].:;,=<>&|!+-";
    int count = 0;
    for (int c = 0; c <= 0xFFFF; ++c) {
        bool expected = set.find(char16_t(c)) != std::u16string::npos;
        EXPECT_EQ(IsDelimiter(char16_t(c)), expected) << c;
        count += IsDelimiter(char16_t(c));
    }
    EXPECT_EQ(count, 22);
    EXPECT_FALSE(IsDelimiter(u'\''));
    EXPECT_FALSE(IsDelimiter(u'?'));
}

TEST(TextTokenizer, PositionsValuesAndConversions)
{
    TextTokenizer t(false);
    const std::u16string text = u"name \"42\" 1.2.3 9.99 ; 77";
    t.LoadWide(int(text.size()), text.data());
    EXPECT_EQ(t.GetRemaining(), 6);
    EXPECT_FALSE(t.IsModified());
    EXPECT_EQ(t.GetCapacity(), int(text.size()) + 10000);

    TextToken* word = t.NextToken();
    EXPECT_EQ(word->GetKind(), TextToken::Word);
    EXPECT_EQ(word->GetStart(), 0);
    EXPECT_EQ(word->GetEnd(), 4);
    EXPECT_EQ(word->ToWideString(), u"name");
    EXPECT_EQ(word->ToInt(), 0);

    TextToken* str = t.NextToken();
    EXPECT_EQ(str->GetKind(), TextToken::String);
    EXPECT_EQ(str->GetStart(), 6); // after the quote
    EXPECT_EQ(str->GetEnd(), 8);
    EXPECT_EQ(str->ToInt(), 42);

    TextToken* dotted = t.NextToken();
    EXPECT_EQ(dotted->GetKind(), TextToken::Real);
    EXPECT_EQ(dotted->GetEnd() - dotted->GetStart(), 5);
    EXPECT_DOUBLE_EQ(dotted->GetRealValue(), 1.2);

    TextToken* real = t.NextToken();
    EXPECT_EQ(real->ToInt(), 9); // truncated
    EXPECT_EQ(real->ToWideString(), u"9.990000");

    TextToken* semi = t.NextToken();
    EXPECT_EQ(semi->GetSymbol(), u';');
    EXPECT_EQ(semi->ToInt(), ';');
    EXPECT_EQ(semi->ToWideString(), u";");

    TextToken* number = t.NextToken();
    EXPECT_EQ(number->GetIntValue(), 77);
    EXPECT_EQ(number->ToWideString(), u"77");
    EXPECT_EQ(t.GetRemaining(), 0);
    EXPECT_EQ(t.NextToken(), nullptr);
    EXPECT_EQ(t.GetRemaining(), 0);
}

TEST(TextTokenizer, HugeNumbersStayInRange)
{
    // 250 digits and a point: a finite Real far past the int32 range.
    std::string digits = "1" + std::string(249, '0') + ".5";
    TextTokenizer t(false);
    t.LoadNarrow(int(digits.size()), digits.data());
    TextToken* r = t.NextToken();
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->GetKind(), TextToken::Real);
    EXPECT_TRUE(std::isfinite(r->GetRealValue()));
    EXPECT_NEAR(r->GetRealValue() / 1e249, 1.0, 1e-9);
    EXPECT_EQ(r->ToInt(), INT_MAX);
    // "%f" writes all the digits, however many.
    std::string narrow = r->ToNarrowString();
    EXPECT_GE(narrow.size(), 249u + 7u);
    EXPECT_EQ(narrow.find('e'), std::string::npos);
    double back = 0;
    ASSERT_TRUE(Util::ParseFloat(narrow.c_str(), &back));
    EXPECT_DOUBLE_EQ(back, r->GetRealValue());
    EXPECT_EQ(t.NextToken(), nullptr);

    // A quoted number past the range saturates rather than wrapping.
    const char* quoted = "\"99999999999999999999\" \"-99999999999999999999\"";
    TextTokenizer q(false);
    q.LoadNarrow(int(std::strlen(quoted)), quoted);
    EXPECT_EQ(q.NextToken()->ToInt(), INT_MAX);
    EXPECT_EQ(q.NextToken()->ToInt(), INT_MIN);
}

TEST(TextTokenizer, EightBitRoundTripOfEveryByte)
{
    std::vector<char> bytes;
    for (int b = 0; b < 256; ++b)
        bytes.push_back(char(b));
    TextTokenizer all(false);
    all.LoadNarrow(int(bytes.size()), bytes.data());
    ASSERT_EQ(all.GetLength(), 256);
    for (int b = 0; b < 256; ++b) {
        char16_t expected = b < 0x80 ? char16_t(b) : char16_t(0xFF00 | b);
        EXPECT_EQ(all.GetText()[b], expected) << b;
        EXPECT_EQ(char(all.GetText()[b] & 0xFF), char(b)) << b;
    }
    EXPECT_EQ(all.GetText()[256], 0);

    // Inside a string every byte but the quote comes back through both forms.
    std::string inner;
    for (int b = 0; b < 256; ++b)
        if (b != '"')
            inner += char(b);
    std::string quoted = "\"" + inner + "\"";
    TextTokenizer t(false);
    t.LoadNarrow(int(quoted.size()), quoted.data());
    TextToken* s = t.NextToken();
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->GetKind(), TextToken::String);
    EXPECT_EQ(s->ToNarrowString(), inner);
    std::u16string wide = s->ToWideString();
    EXPECT_EQ(wide, Util::Widen(inner.data(), inner.size()));
    EXPECT_EQ(wide[0x90], char16_t(0xFF91));                  // byte 0x91 sits one place down: the quote is left out
    EXPECT_EQ(Util::Narrow(wide.substr(1)), inner.substr(1)); // Narrow stops at the NUL
    EXPECT_EQ(t.NextToken(), nullptr);
}

TEST(TextTokenizer, LoadingAgainDropsTheFirstText)
{
    TextTokenizer t(false);
    t.LoadNarrow(11, "alpha beta ");
    TextToken* first = t.NextToken();
    first->SetText(u"gamma_long_name");
    EXPECT_TRUE(t.IsModified());
    t.AddSpan(0, 5);
    t.LoadNarrow(1, "z");
    EXPECT_FALSE(t.IsModified());
    EXPECT_EQ(t.GetRemaining(), 1);
    EXPECT_EQ(Describe(t), "W(z)1");
}

TEST(TextTokenizer, NullAndNegativeInputLoadEmpty)
{
    TextTokenizer t(false);
    t.LoadNarrow(5, nullptr);
    EXPECT_EQ(t.GetLength(), 0);
    EXPECT_EQ(t.NextToken(), nullptr);
    t.LoadWide(-4, u"abc");
    EXPECT_EQ(t.GetLength(), 0);
    ASSERT_NE(t.GetText(), nullptr);
    EXPECT_EQ(t.GetText()[0], 0);
}
