#include "game/world/settings/XMLWriter.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

TEST(XMLWriterTest, ElementsAtDepthAndSections)
{
    XMLWriter w;
    w.OpenElement(u"m", u"mode", u"3");
    EXPECT_EQ(w.GetDepth(), 1);
    w.WriteInt(u"a", 5);
    w.WriteBool(u"b", false);
    w.WriteFloat(u"f", 0.35f);
    w.WriteElement(u"t", u"x<y&z");
    w.CloseElement(u"m");
    EXPECT_EQ(w.GetDepth(), 0);
    w.OpenElement(u"bans", nullptr, u"ignored");
    w.CloseElement(u"bans");
    EXPECT_EQ(w.GetText(), u"<m mode=\"3\">\r\n"
                           u"\t<a>5</a>\r\n"
                           u"\t<b>false</b>\r\n"
                           u"\t<f>0.350000</f>\r\n"
                           u"\t<t>x<y&z</t>\r\n"
                           u"</m>\r\n"
                           u"<bans>\r\n"
                           u"</bans>\r\n");
}

TEST(XMLWriterTest, NumbersIgnoreTheLocale)
{
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    bool switched = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    XMLWriter w;
    w.WriteFloat(u"v", -1.5);
    w.WriteInt(u"i", -2147483647 - 1);
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(w.GetText(), u"<v>-1.500000</v>\r\n<i>-2147483648</i>\r\n");
    if (!switched)
        GTEST_LOG_(INFO) << "no comma-decimal locale installed; checked in the C locale";
}

TEST(XMLWriterTest, GrowsPastTheOldFixedBufferAndNarrowsToLowBytes)
{
    XMLWriter w;
    std::u16string text(300, u'x');
    text[0] = char16_t(0xFFE9); // a widened byte 0xE9
    for (int i = 0; i < 100; ++i)
        w.WriteElement(u"level", text.c_str());
    EXPECT_GT(w.GetText().size(), 10240u);
    const std::string& narrow = w.MakeNarrowCopy();
    ASSERT_EQ(narrow.size(), w.GetText().size());
    EXPECT_EQ(uint8_t(narrow[7]), 0xE9);
    EXPECT_EQ(narrow.substr(0, 7), "<level>");
}
