#include "game/world/settings/GameOptions.h"
#include "support/EngineFakes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string S(const char16_t* s) { return s ? s : u"<null>"; }

uint32_t FakeResolve(const char16_t* host)
{
    std::u16string h = host;
    if (h == u"1.2.3.4")
        return 0x04030201u;
    if (h == u"10.0.0.7")
        return 0x0700000Au;
    return 0;
}

} // namespace

TEST(GameOptionsTest, SetterClampsAndCuts)
{
    GameOptions o;
    struct {
        int in, port;
    } ports[] = {{0, 1}, {-5, 1}, {70000, 65535}, {8000, 8000}};
    for (auto& p : ports) {
        o.SetServerPort(p.in);
        EXPECT_EQ(o.GetServerPort(), p.port);
    }
    o.SetServerLighting(-1);
    EXPECT_EQ(o.GetServerLighting(), 0);
    o.SetServerLighting(7);
    EXPECT_EQ(o.GetServerLighting(), 2);
    o.SetServerUpstream(-3);
    EXPECT_EQ(o.GetServerUpstream(), 0);

    EXPECT_EQ(o.GetUseFonts(), 1);
    o.SetUseFonts(true);
    EXPECT_EQ(o.GetUseFonts(), 2);
    o.SetUseFonts(false);
    EXPECT_EQ(o.GetUseFonts(), 0);

    std::u16string longName(100, u'n');
    o.SetServerName(longName.c_str());
    EXPECT_EQ(S(o.GetServerName()), longName.substr(0, 64));
    o.SetPlayerName(nullptr);
    EXPECT_EQ(S(o.GetPlayerName()), u"");
    std::u16string longPath(3000, u'p');
    o.SetScreenshotPath(longPath.c_str());
    EXPECT_EQ(S(o.GetScreenshotPath()).size(), 2047u);
    o.SetDefaultAddress(longPath.c_str());
    EXPECT_EQ(S(o.GetDefaultAddress()), longPath);

    EXPECT_EQ(o.GetKeyBinding(-1), -1);
    EXPECT_EQ(o.GetKeyBinding(37), -1);
    o.SetKeyBinding(37, 5); // ignored, no write past the table
    o.SetKeyBinding(36, 5);
    EXPECT_EQ(o.GetKeyBinding(36), 5);
}

TEST(GameOptionsTest, MapCycleOrder)
{
    GameOptions o;
    EXPECT_EQ(S(o.NextMapCycleLevel(1)), u"levels/tdm_riotcity.lvl");
    o.AddMapCycleLevel(1, u"A");
    o.AddMapCycleLevel(2, u"B");
    o.AddMapCycleLevel(1, u"C");
    EXPECT_EQ(o.GetMapCycleCount(1), 2);
    EXPECT_EQ(S(o.GetMapCycleLevel(1, 1)), u"C");
    EXPECT_EQ(S(o.GetMapCycleLevel(1, 2)), u"");
    EXPECT_EQ(S(o.NextMapCycleLevel(1)), u"A");
    EXPECT_EQ(S(o.NextMapCycleLevel(1)), u"C");
    EXPECT_EQ(S(o.NextMapCycleLevel(1)), u"A");
    EXPECT_EQ(S(o.NextMapCycleLevel(3)), u"levels/tdm_riotcity.lvl"); // no entry of the mode

    o.SetNextMapCycleLevel(1, u"C");
    const char16_t* pending = o.NextMapCycleLevel(1);
    EXPECT_EQ(S(pending), u"C");
    EXPECT_EQ(S(pending), u"C"); // still valid after the pending level was cleared
    EXPECT_EQ(S(o.NextMapCycleLevel(1)), u"A");

    EXPECT_EQ(o.FindMapCycleLevel(0, u"nothing"), nullptr);
    EXPECT_EQ(S(o.NextMapCycleLevel(1)), u"A"); // cursor back at 0

    o.RemoveMapCycleMode(1);
    EXPECT_EQ(o.GetMapCycleCount(1), 0);
    EXPECT_EQ(o.GetMapCycleCount(2), 1);
    EXPECT_EQ(S(o.NextMapCycleLevel(2)), u"B"); // cursor past the shortened list wraps
    o.ClearMapCycle();
    EXPECT_EQ(o.GetMapCycleCount(2), 0);
}

TEST(GameOptionsTest, BansAndOperators)
{
    GameOptions o;
    o.SetAddressResolver(FakeResolve);
    o.AddBanEntry(u"1.2.3.4");
    o.AddBanEntry(u"Evil:10.0.0.7");
    o.AddBanEntry(u"a:b:1.2.3.4"); // the last colon splits
    o.AddBanEntry(u"who:nowhere");
    ASSERT_EQ(o.GetBanCount(), 4);
    EXPECT_EQ(S(o.GetBanName(0)), u"");
    EXPECT_EQ(o.GetBanAddress(0), 0x04030201u);
    EXPECT_EQ(S(o.GetBanName(1)), u"Evil");
    EXPECT_EQ(o.GetBanAddress(1), 0x0700000Au);
    EXPECT_EQ(S(o.GetBanName(2)), u"a:b");
    EXPECT_EQ(o.GetBanAddress(2), 0x04030201u);
    EXPECT_EQ(o.GetBanAddress(3), 0u);
    EXPECT_EQ(S(o.GetBanName(9)), u"");

    o.RemoveBan(u"eVIL");
    EXPECT_EQ(o.GetBanCount(), 3);
    EXPECT_EQ(S(o.GetBanName(1)), u"a:b");

    o.AddOperator(u"Boss");
    o.AddOperator(u"Boss");
    EXPECT_TRUE(o.IsOperator(u"Boss"));
    EXPECT_FALSE(o.IsOperator(u"boss"));
    o.RemoveOperator(u"boss");
    EXPECT_EQ(o.GetOperatorCount(), 2);
    o.RemoveOperator(u"Boss"); // the first only
    EXPECT_EQ(o.GetOperatorCount(), 1);
    EXPECT_TRUE(o.IsOperator(u"Boss"));
}

TEST(GameOptionsTest, RealResolverTakesDottedQuads)
{
    GameOptions o;
    o.AddBanEntry(u"x:192.168.1.20");
    ASSERT_EQ(o.GetBanCount(), 1);
    EXPECT_EQ(o.GetBanAddress(0), 192u | 168u << 8 | 1u << 16 | 20u << 24);
}

TEST(GameOptionsTest, IsKeyBoundLetsQuitAndExitAdminShare)
{
    GameOptions o;
    EXPECT_TRUE(o.IsKeyBound(0, 27)); // Escape is bound
    o.SetKeyBinding(30, 500);
    o.SetKeyBinding(35, 501);
    EXPECT_FALSE(o.IsKeyBound(30, 501));
    EXPECT_FALSE(o.IsKeyBound(35, 500));
    EXPECT_TRUE(o.IsKeyBound(30, 500)); // its own binding counts
    EXPECT_TRUE(o.IsKeyBound(1, 501));
    EXPECT_FALSE(o.IsKeyBound(1, 777));
}

TEST(GameOptionsTest, IsActionDownPairsModifiersAndFallsBack)
{
    GameOptions o;
    FakeInput input;
    EXPECT_FALSE(o.IsActionDown(nullptr, 3));
    EXPECT_FALSE(o.IsActionDown(&input, 40));

    // Aiming is bound to left Alt; right Alt counts too.
    input.keys = {307};
    EXPECT_TRUE(o.IsActionDown(&input, 20));
    o.SetKeyBinding(21, 303); // sprint on right Shift: left Shift counts
    input.keys.insert(304);
    EXPECT_TRUE(o.IsActionDown(&input, 21));
    EXPECT_FALSE(o.IsActionDown(&input, 22)); // Ctrl up
    o.SetKeyBinding(21, 304);
    input.keys = {303};
    EXPECT_TRUE(o.IsActionDown(&input, 21)) << "and the other way round";

    input.keys.insert(1000);
    EXPECT_TRUE(o.IsActionDown(&input, 3));

    // Unbound: the fallbacks.
    o.SetKeyBinding(0, -1);
    input.buttons = {1};
    EXPECT_TRUE(o.IsActionDown(&input, 0));
    input.actions = {22};
    EXPECT_TRUE(o.IsActionDown(&input, 11));
    o.SetKeyBinding(23, -1);
    input.keysRead.clear();
    EXPECT_FALSE(o.IsActionDown(&input, 23));
    EXPECT_FALSE(o.IsActionDown(&input, 12));
    EXPECT_TRUE(input.keysRead.empty());
}
