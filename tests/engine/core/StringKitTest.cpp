#include "engine/core/StringKit.h"

#include <gtest/gtest.h>

using namespace Util;

TEST(StringKit, WidenSignExtendsAndNarrowKeepsLowByte)
{
    for (int b = 1; b < 256; ++b) {
        char in[2] = {char(b), 0};
        std::u16string w = Widen(in);
        ASSERT_EQ(w.size(), 1u);
        char16_t expected = b < 0x80 ? char16_t(b) : char16_t(0xFF00 | b);
        EXPECT_EQ(w[0], expected) << b;
        EXPECT_EQ(Narrow(w), std::string(in)) << b;
    }
}

TEST(StringKit, OsNamesRoundTrip)
{
    // Widened bytes go back to their byte; real Unicode goes through UTF-8.
    std::u16string mixed = u"levels/\u00e4\u4e2d";
    mixed += char16_t(0xFFE4); // a widened 0xE4 byte
    mixed += u"\U0001F600";
    std::string os = ToOs(mixed);
    EXPECT_EQ(FromOs(os), mixed);
    EXPECT_EQ(ToOs(u"\u00e4"), "\xc3\xa4");
    EXPECT_EQ(ToOs(Widen("\xe4")), "\xe4");
    // Bytes that are not UTF-8 survive the trip back.
    EXPECT_EQ(ToOs(FromOs(std::string("a\xff\xc3z"))), std::string("a\xff\xc3z"));
}

TEST(StringKit, BoundedCopyAndCompare)
{
    char16_t buf[4];
    StrCopy(buf, 4, u"abcdef");
    EXPECT_EQ(std::u16string(buf), u"abc");
    StrCopy(buf, 4, nullptr);
    EXPECT_EQ(buf[0], 0);
    EXPECT_LT(StrCompare(u"abc", u"abd"), 0);
    EXPECT_EQ(StrCompareNoCase(u"GAME.data", u"game.DATA"), 0);
    EXPECT_NE(StrCompareNoCase(u"game", u"games"), 0);
    EXPECT_EQ(StrCompareNoCase("Quit", "QUIT"), 0);
}

TEST(StringKit, WideFormatFollowsWindowsRules)
{
    EXPECT_EQ(Format(u"%s/%s", u"dir", u"file"), u"dir/file");
    EXPECT_EQ(Format(u"uid=%S", "abc"), u"uid=abc");
    EXPECT_EQ(Format(u"%ls|%hs", u"w", "n"), u"w|n");
    EXPECT_EQ(Format(u"_%d.%s", 12, u"png"), u"_12.png");
    EXPECT_EQ(Format(u"%5d|%-5d|%05d", 42, 42, -42), u"   42|42   |-0042");
    EXPECT_EQ(Format(u"%x %X %#x %u", 255u, 255u, 255u, 4000000000u), u"ff FF 0xff 4000000000");
    EXPECT_EQ(Format(u"%.2f %f", 3.14159, 0.5), u"3.14 0.500000");
    EXPECT_EQ(Format(u"%c%c", int(u'\u00e4'), int('z')), u"\u00e4z");
    EXPECT_EQ(Format(u"%.3s", u"abcdef"), u"abc");
    EXPECT_EQ(Format(u"100%%"), u"100%");
    EXPECT_EQ(Format(u"%s", static_cast<const char16_t*>(nullptr)), u"(null)");
    EXPECT_EQ(Format(u"%I64d %lld", 1LL << 40, -(1LL << 40)), u"1099511627776 -1099511627776");
}

TEST(StringKit, NarrowFormatTakesWideWithCapitalS)
{
    EXPECT_EQ(Format("%s=%S", "name", u"w\u00e4"), std::string("name=w\xe4"));
    EXPECT_EQ(Format("%d players", 7), "7 players");
    char small[6];
    EXPECT_EQ(FormatTo(small, sizeof small, "%s", "toolong"), -1);
    EXPECT_STREQ(small, "toolo");
    char16_t wide[8];
    EXPECT_EQ(FormatTo(wide, 8, u"%d", 1234), 4);
    EXPECT_EQ(std::u16string(wide), u"1234");
}

TEST(StringKit, NumbersIgnoreLocaleAndRejectJunk)
{
    long long i = 0;
    EXPECT_TRUE(ParseInt(u" -17", &i));
    EXPECT_EQ(i, -17);
    EXPECT_FALSE(ParseInt(u"12x", &i));
    EXPECT_FALSE(ParseInt("99999999999999999999999999", &i));
    double d = 0;
    EXPECT_TRUE(ParseFloat(u"2.5e1", &d));
    EXPECT_DOUBLE_EQ(d, 25.0);
    EXPECT_FALSE(ParseFloat("1e999", &d));
    EXPECT_FALSE(ParseFloat("2,5", &d));
    EXPECT_EQ(FloatToString(1.5, 2), "1.50");
    EXPECT_EQ(FloatToString16(-0.25, 3), u"-0.250");
    EXPECT_EQ(AtoI("  42abc"), 42);
    EXPECT_EQ(AtoI(u"-7"), -7);
    EXPECT_EQ(AtoI(std::string(300, '9').c_str()), 2147483647);
    EXPECT_EQ(AtoI(("-" + std::string(300, '9')).c_str()), -2147483647 - 1);
    EXPECT_DOUBLE_EQ(AtoF(u"1.25xyz"), 1.25);
}
