// The property dialogs' arithmetic and the Clipboard window's contents.
#include "editor/dialogs/DialogValues.h"
#include "editor/panels/ClipboardModel.h"
#include "editor/panels/ResourceNames.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace DialogValues;

TEST(MapProperties, AlignmentPlacesTheUsedAreaAndFlagsCuts)
{
    const Area used{3, 4, 12, 9}; // 10 x 6 tiles
    struct Case {
        Alignment a;
        int left, top;
    } cases[] = {{Alignment::Free, 7, 8}, {Alignment::Center, 20 - 4, 15 - 2}, {Alignment::Left, 0, 8},
                 {Alignment::Top, 7, 0},  {Alignment::Right, 20 - 9, 8},       {Alignment::Bottom, 7, 15 - 5}};
    for (const Case& c : cases) {
        int left = 7, top = 8;
        AlignOffsets(c.a, 40, 30, used, &left, &top);
        EXPECT_EQ(left, c.left) << int(c.a);
        EXPECT_EQ(top, c.top) << int(c.a);
    }
    int left = 7, top = 8;
    AlignOffsets(Alignment::Right, 4, 4, used, &left, &top);
    EXPECT_EQ(left, 0);

    EXPECT_FALSE(CutsBlocks(10, 6, 0, 0, used));
    EXPECT_TRUE(CutsBlocks(10, 6, 1, 0, used));
    EXPECT_TRUE(CutsBlocks(9, 6, 0, 0, used));
    EXPECT_TRUE(CutsBlocks(40, 30, -1, 0, used));
    EXPECT_EQ(FieldNumber(u"abc"), 0);
    EXPECT_EQ(FieldNumber(u"99999999999"), 0);
    EXPECT_FALSE(ValidSide(0));
    EXPECT_FALSE(ValidSide(4097));
    EXPECT_TRUE(ValidSide(4096));
}

TEST(LightAndEnvironment, ColoursClampAndTheDefaultsAreExact)
{
    EXPECT_EQ(ColourChannel(u"300"), 255);
    EXPECT_EQ(ColourChannel(u"-5"), 0);
    EXPECT_EQ(ColourChannel(u"abc"), 0);
    EXPECT_EQ(ColourChannel(u"128"), 128);

    const AudioEnvironmentParameters p = DefaultEnvironment();
    const AudioEnvironmentParameters want{-1000, -100,   0.0f, 1.49f, 0.83f, -2602, 0.007f,
                                          200,   0.011f, 0,    7.5f,  1.0f,  -5.0f};
    EXPECT_EQ(std::memcmp(&p, &want, sizeof p), 0);
    EXPECT_EQ(ClampEnvironmentSize(EnvironmentSizeOf(u"500")), 100.0f);
    EXPECT_EQ(ClampEnvironmentSize(EnvironmentSizeOf(u"x")), 1.0f);
    EXPECT_EQ(ClampEnvironmentSize(EnvironmentSizeOf(u"12.5")), 12.5f);
}

TEST(Clipboard, HoldsEachResourceOnceAndKeepsImagesInStepWhenOneGoes)
{
    ClipboardModel m;
    EXPECT_TRUE(m.Add(7));
    EXPECT_FALSE(m.Add(7));
    EXPECT_TRUE(m.Add(9));
    EXPECT_TRUE(m.Add(11));
    EXPECT_EQ(m.Remove(7), 0);
    EXPECT_EQ(m.ImageOf(9), 0);
    EXPECT_EQ(m.ImageOf(11), 1);
    EXPECT_EQ(m.Remove(7), -1);
    EXPECT_EQ(m.GetCount(), 2);

    EXPECT_EQ(ClipboardModel::FieldValue(ClipboardModel::Count, u"abc"), 0);
    EXPECT_EQ(ClipboardModel::FieldValue(ClipboardModel::Count, u"1000000"), 500);
    EXPECT_EQ(ClipboardModel::FieldValue(ClipboardModel::Range, u"40"), 40);
    EXPECT_EQ(ClipboardModel::Spin(ClipboardModel::Scatter, 5, -1), 0);
    EXPECT_EQ(ClipboardModel::Spin(ClipboardModel::Scatter, 200, 1), 210);
    EXPECT_EQ(ClipboardModel::Spin(ClipboardModel::Count, 500, 1), 500);
}

TEST(ResourceNames, TheScriptHoldsOnlyNamesWithoutQuotesOrControls)
{
    EXPECT_TRUE(ResourceNames::Acceptable("old barrel"));
    EXPECT_TRUE(ResourceNames::Acceptable("s\xC3\xA4kki"));
    for (const char* bad : {"", "   ", "say \"hi\"", "two\nlines", "tab\there", "del\x7F"})
        EXPECT_FALSE(ResourceNames::Acceptable(bad)) << bad;
    EXPECT_FALSE(ResourceNames::Acceptable(std::string(65, 'x')));
    // Every byte its own unit: the script writes each back as that byte.
    EXPECT_EQ(ResourceNames::FromTyped("s\xC3\xA4"), (std::u16string{u's', char16_t(0xFFC3), char16_t(0xFFA4)}));
}

} // namespace
