#include "game/world/settings/OptionsFile.h"
#include "engine/core/StringKit.h"
#include "engine/files/FileManager.h"
#include "game/world/settings/GameOptions.h"
#include "support/EngineFakes.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cfloat>
#include <csignal>
#include <cstring>

#include <cstdio>
#include <string>

using TestSupport::ReadAll;
using TestSupport::WriteAll;

namespace {

// Written by hand from the format, not by the writer.
const char kDefaultFile[] =
    "<renderlights>true</renderlights>\r\n<floorblending>true</floorblending>\r\n"
    "<renderobjshadow>true</renderobjshadow>\r\n<renderenvshadow>true</renderenvshadow>\r\n"
    "<windowed>false</windowed>\r\n<vsync>true</vsync>\r\n<brightness>0.350000</brightness>\r\n"
    "<screenshotpath></screenshotpath>\r\n<mastervolume>0.000000</mastervolume>\r\n"
    "<movingmode>absolute</movingmode>\r\n"
    "<throwgrenadebutton>1002</throwgrenadebutton>\r\n<chatbutton>116</chatbutton>\r\n"
    "<teamchatbutton>121</teamchatbutton>\r\n<moveupbutton>119</moveupbutton>\r\n"
    "<moveleftbutton>97</moveleftbutton>\r\n<movedownbutton>115</movedownbutton>\r\n"
    "<moverightbutton>100</moverightbutton>\r\n<shootbutton>1000</shootbutton>\r\n"
    "<remotebutton>99</remotebutton>\r\n<lightbutton>102</lightbutton>\r\n<pickbutton>113</pickbutton>\r\n"
    "<selectexplosivebutton>49</selectexplosivebutton>\r\n<selectsmallbutton>50</selectsmallbutton>\r\n"
    "<selectmainbutton>51</selectmainbutton>\r\n<selectgrenadebutton>52</selectgrenadebutton>\r\n"
    "<selectfivebutton>-1</selectfivebutton>\r\n<usebutton>101</usebutton>\r\n"
    "<reloadbutton>114</reloadbutton>\r\n<dropbutton>103</dropbutton>\r\n"
    "<aimingbutton>308</aimingbutton>\r\n<sprintbutton>304</sprintbutton>\r\n"
    "<crouchbutton>306</crouchbutton>\r\n<mapbutton>109</mapbutton>\r\n<scoresbutton>9</scoresbutton>\r\n"
    "<changeteambutton>111</changeteambutton>\r\n<brightdownbutton>286</brightdownbutton>\r\n"
    "<brightupbutton>287</brightupbutton>\r\n<volumedownbutton>288</volumedownbutton>\r\n"
    "<volumeupbutton>289</volumeupbutton>\r\n<quittomenubutton>27</quittomenubutton>\r\n"
    "<kickplayerbutton>282</kickplayerbutton>\r\n<balanceteamsbutton>283</balanceteamsbutton>\r\n"
    "<changemapbutton>284</changemapbutton>\r\n<executeadminbutton>13</executeadminbutton>\r\n"
    "<exitadminbutton>27</exitadminbutton>\r\n<screenshotbutton>292</screenshotbutton>\r\n"
    "<defaultaddress></defaultaddress>\r\n<servername>My server</servername>\r\n"
    "<serverlevel>levels/tdm_riotcity.lvl</serverlevel>\r\n<servermode>0</servermode>\r\n"
    "<serverlighting>noon</serverlighting>\r\n<servermaxplayers>32</servermaxplayers>\r\n"
    "<serverbalanced>true</serverbalanced>\r\n<serverfraglimit>32</serverfraglimit>\r\n"
    "<serverteamfraglimit>64</serverteamfraglimit>\r\n<servertimelimit>1200</servertimelimit>\r\n"
    "<serverlocked>false</serverlocked>\r\n<serverpassword></serverpassword>\r\n"
    "<serverInfoFile></serverInfoFile>\r\n<serverport>8887</serverport>\r\n"
    "<serverupstream>0</serverupstream>\r\n<serveruploading>true</serveruploading>\r\n";

uint32_t OfflineResolve(const char16_t* host)
{
    // Dotted quads only: hostile files must not reach the network.
    unsigned a, b, c, d;
    std::string h(Util::Narrow(host));
    char tail;
    if (std::sscanf(h.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &tail) != 4 || a > 255 || b > 255 || c > 255 || d > 255)
        return 0;
    return a | b << 8 | c << 16 | d << 24;
}

class OptionsFileTest : public ::testing::Test {
protected:
    OptionsFileTest() : cd_(dir_.Path()) {}

    std::string Written(GameOptions& o, const char16_t* master = nullptr)
    {
        EXPECT_TRUE(WriteOptionsFile(&files_, &o, master));
        auto bytes = ReadAll(dir_.File("game.opt"));
        return std::string(bytes.begin(), bytes.end());
    }

    bool Load(GameOptions& o, const std::string& content)
    {
        WriteAll(dir_.File("game.opt"), content.data(), content.size());
        o.SetAddressResolver(OfflineResolve);
        return ReadOptionsFile(&files_, &o, nullptr);
    }

    // Entries of the game folder: a failed write leaves no temporary behind.
    int FolderCount()
    {
        int n = 0;
        DIR* d = opendir(dir_.Path().c_str());
        while (dirent* e = d ? readdir(d) : nullptr)
            n += e->d_name[0] != '.' || (e->d_name[1] != 0 && e->d_name[1] != '.');
        if (d)
            closedir(d);
        return n;
    }

    TestSupport::TempDir dir_;
    TestSupport::ScopedChdir cd_;
    FileManager files_;
};

std::string Between(const std::string& s, const std::string& open, const std::string& close)
{
    size_t a = s.find(open);
    if (a == std::string::npos)
        return "<missing>";
    a += open.size();
    return s.substr(a, s.find(close, a) - a);
}

} // namespace

TEST_F(OptionsFileTest, DefaultsWriteTheGoldenFile)
{
    GameOptions o;
    EXPECT_EQ(Written(o), std::string(kDefaultFile));
    TestSupport::WriteFuzzSeed("options_file", "defaults.opt", kDefaultFile, sizeof kDefaultFile - 1);
    EXPECT_FALSE(files_.FileExists(u"game.opt.tmp"));
}

TEST_F(OptionsFileTest, MissingOrEmptyFileKeepsDefaults)
{
    GameOptions o;
    EXPECT_FALSE(ReadOptionsFile(&files_, &o, nullptr));
    EXPECT_FALSE(Load(o, ""));
    EXPECT_EQ(o.GetServerPort(), 8887);
}

TEST_F(OptionsFileTest, EverySettingSurvivesReadWriteRead)
{
    GameOptions a;
    a.SetWindowed(true);
    a.SetVSync(false);
    a.SetBrightness(0.8125f);
    a.SetScreenshotPath(u"shots/a<b>&c");
    a.SetRenderLights(false);
    a.SetFloorBlending(false);
    a.SetRenderObjShadow(false);
    a.SetRenderEnvShadow(false);
    a.SetUseFonts(true);
    a.SetMasterVolume(0.5f);
    a.SetMovingMode(1);
    for (int i = 0; i < kKeyBindingCount; ++i)
        if (i != kUnwrittenBinding)
            a.SetKeyBinding(i, 400 + i);
    a.SetDefaultAddress(u"10.1.2.3:8887");
    a.SetServerName(u"R&D </servername> \"quoted\"");
    a.SetServerLevel(u"levels/ctf_x.lvl");
    a.SetServerMode(2);
    a.SetServerLighting(1);
    a.SetServerMaxPlayers(12);
    a.SetServerBalanced(false);
    a.SetServerFragLimit(-4);
    a.SetServerTeamFragLimit(2147483647);
    a.SetServerTimeLimit(20);
    a.SetServerLocked(true);
    a.SetServerPassword(u"p<w");
    a.SetServerInfoFile(u"/tmp/status.txt");
    a.SetServerPort(27015);
    a.SetServerUpstream(512);
    a.SetServerUploading(false);
    a.AddMapCycleLevel(0, u"levels/a.lvl");
    a.AddMapCycleLevel(2, u"levels/k&<.lvl");
    a.AddMapCycleLevel(0, u"levels/b.lvl");
    a.AddMapCycleLevel(99, u"levels/z.lvl");
    a.AddBan(u"", 0x04030201u);
    a.AddBan(u"nick:with:colons", 0x0700000Au);
    a.AddBan(u"<tag>", 0xFFFFFFFFu);
    a.AddOperator(u"Boss");
    a.AddOperator(u"a&b");

    std::string first = Written(a, u"master.local");
    TestSupport::WriteFuzzSeed("options_file", "full.opt", first.data(), first.size());
    GameOptions b;
    ASSERT_TRUE(Load(b, first));
    EXPECT_EQ(Written(b, b.GetUpdaterString()), first);

    EXPECT_TRUE(b.GetWindowed());
    EXPECT_FALSE(b.GetVSync());
    EXPECT_EQ(b.GetBrightness(), 0.8125f);
    EXPECT_EQ(std::u16string(b.GetScreenshotPath()), u"shots/a<b>&c");
    EXPECT_FALSE(b.GetRenderLights() || b.GetFloorBlending() || b.GetRenderObjShadow() || b.GetRenderEnvShadow());
    EXPECT_EQ(b.GetUseFonts(), 2);
    EXPECT_EQ(b.GetMasterVolume(), 0.5f);
    EXPECT_EQ(b.GetMovingMode(), 1);
    for (int i = 0; i < kKeyBindingCount; ++i)
        EXPECT_EQ(b.GetKeyBinding(i), i == kUnwrittenBinding ? -1 : 400 + i) << i;
    EXPECT_EQ(std::u16string(b.GetDefaultAddress()), u"10.1.2.3:8887");
    EXPECT_EQ(std::u16string(b.GetServerName()), u"R&D </servername> \"quoted\"");
    EXPECT_EQ(std::u16string(b.GetServerLevel()), u"levels/ctf_x.lvl");
    EXPECT_EQ(b.GetServerMode(), 2);
    EXPECT_EQ(b.GetServerLighting(), 1);
    EXPECT_EQ(b.GetServerMaxPlayers(), 12);
    EXPECT_FALSE(b.GetServerBalanced());
    EXPECT_EQ(b.GetServerFragLimit(), -4);
    EXPECT_EQ(b.GetServerTeamFragLimit(), 2147483647);
    EXPECT_EQ(b.GetServerTimeLimit(), 20);
    EXPECT_TRUE(b.GetServerLocked());
    EXPECT_EQ(std::u16string(b.GetServerPassword()), u"p<w");
    EXPECT_EQ(std::u16string(b.GetServerInfoFile()), u"/tmp/status.txt");
    EXPECT_EQ(b.GetServerPort(), 27015);
    EXPECT_EQ(b.GetServerUpstream(), 512);
    EXPECT_FALSE(b.GetServerUploading());
    EXPECT_EQ(std::u16string(b.GetUpdaterString()), u"master.local");
    ASSERT_EQ(b.GetMapCycleCount(0), 2);
    EXPECT_EQ(std::u16string(b.GetMapCycleLevel(0, 1)), u"levels/b.lvl");
    EXPECT_EQ(std::u16string(b.GetMapCycleLevel(2, 0)), u"levels/k&<.lvl");
    EXPECT_EQ(b.GetMapCycleCount(99), 1);
    ASSERT_EQ(b.GetBanCount(), 3);
    EXPECT_EQ(std::u16string(b.GetBanName(0)), u"");
    EXPECT_EQ(b.GetBanAddress(0), 0x04030201u);
    EXPECT_EQ(std::u16string(b.GetBanName(1)), u"nick:with:colons");
    EXPECT_EQ(b.GetBanAddress(1), 0x0700000Au);
    EXPECT_EQ(std::u16string(b.GetBanName(2)), u"<tag>");
    EXPECT_EQ(b.GetBanAddress(2), 0xFFFFFFFFu);
    ASSERT_EQ(b.GetOperatorCount(), 2);
    EXPECT_EQ(std::u16string(b.GetOperator(1)), u"a&b");

    EXPECT_NE(first.find("\t<level>levels/a.lvl</level>\r\n"), std::string::npos);
    EXPECT_NE(first.find("<mapcycle mode=\"2\">\r\n"), std::string::npos);
    EXPECT_NE(first.find("\t<banplayer>1.2.3.4</banplayer>\r\n"), std::string::npos);
}

TEST_F(OptionsFileTest, ReadingRules)
{
    struct Case {
        const char* file;
        const char* check; // which setting to look at
        int expected;
    } cases[] = {
        {"<serverport>0</serverport>", "port", 1},
        {"<serverport>70000</serverport>", "port", 65535},
        {"<serverport>99999999999999999999999</serverport>", "port", 65535},
        {"<serverport>-99999999999999999999999</serverport>", "port", 1},
        {"<serverport>abc</serverport>", "port", 1},
        {"<serverport></serverport>", "port", 8887},
        {"<serverlighting>NIGHT</serverlighting>", "lighting", 0},
        {"<serverlighting>night</serverlighting>", "lighting", 2},
        {"<chatbutton>-1</chatbutton>", "chat", 116},
        {"<chatbutton>5</chatbutton>", "chat", 5},
        {"<unknown>5</unknown><chatbutton>6</chatbutton>", "chat", 6},
        {"<ChatButton>6</ChatButton>", "chat", 116},
        {"<zoombutton>77</zoombutton>", "zoom", 77},
        {"<windowed>TRUE</windowed>", "windowed", 0},
        {"<windowed>true</windowed>", "windowed", 1},
        {"<usefonts>false</usefonts>", "usefonts", 0},
        {"<level>x</level><banplayer>1.2.3.4</banplayer><name>op</name>", "lists", 0},
        {"<mapcycle mode=\"3\"><level>x</level></mapcycle><level>y</level>", "cycle3", 1},
        // A stray quote inside a tag hides the rest of the file from the reader.
        {"<mapcycle mode=\"3><level>x</level></mapcycle><serverport>9</serverport>", "port", 8887},
        {"<servername>a\"b</servername><serverport>10</serverport>", "port", 10},
        {"<brightness>nan</brightness>", "brightness%", 35},
        {"<brightness>inf</brightness>", "brightness%", 35},
        {"<brightness>1e999</brightness>", "brightness%", 35},
        {"<brightness>-1e999</brightness>", "brightness%", 35},
        {"<brightness>0.5</brightness>", "brightness%", 50},
        {"<serverport>12", "port", 12},
        {"<servername>x</servername", "port", 8887},
    };
    for (const Case& c : cases) {
        GameOptions o;
        Load(o, c.file);
        std::string what = c.check;
        int got = what == "port"       ? o.GetServerPort()
                  : what == "lighting" ? o.GetServerLighting()
                  : what == "chat"     ? o.GetKeyBinding(1)
                  : what == "zoom"     ? o.GetKeyBinding(12)
                  : what == "windowed" ? int(o.GetWindowed())
                  : what == "usefonts" ? o.GetUseFonts()
                  : what == "lists"    ? o.GetMapCycleCount(0) + o.GetBanCount() + o.GetOperatorCount()
                  : what == "cycle3"   ? o.GetMapCycleCount(3) + o.GetMapCycleCount(0)
                                       : int(o.GetBrightness() * 100 + 0.5f);
        EXPECT_EQ(got, c.expected) << c.file;
        TestSupport::WriteFuzzSeed("options_file", "rule_" + std::to_string(&c - cases), c.file,
                                   std::string(c.file).size());
    }
    // A declaration and comments are no damage.
    GameOptions o;
    EXPECT_TRUE(Load(o, "<?xml version=\"1.0\"?>\r\n<!-- mine -->\r\n<serverport>11</serverport>\r\n"));
    EXPECT_EQ(o.GetServerPort(), 11);
}

// A number its setting cannot hold makes the file one that does not read
// whole; every value the game writes reads back.
TEST_F(OptionsFileTest, NumbersTheirSettingsCannotHoldAreRefused)
{
    const struct {
        const char* file;
        const char* fault;
    } refused[] = {
        {"<brightness>dim</brightness>", "line 1: <brightness> must be -3.40282e+38 to 3.40282e+38"},
        {"\n<chatbutton>2147483648</chatbutton>", "line 2: <chatbutton> must be -2147483648 to 2147483647"},
        {"<serverupstream>-1</serverupstream>", "line 1: <serverupstream> must be 0 to 2147483647"},
        {"<servertimelimit>20 min</servertimelimit>", "line 1: <servertimelimit> must be -2147483648 to 2147483647"},
        {"<serverport/>\n", "line 1: <serverport> must be 1 to 65535"},
        {"<serverport><x>9</x></serverport>", "line 1: <serverport> must be 1 to 65535"},
    };
    for (const auto& c : refused) {
        WriteAll(dir_.File("game.opt"), c.file, std::strlen(c.file));
        GameOptions o;
        std::string fault;
        EXPECT_FALSE(ReadOptionsFile(&files_, &o, nullptr, u"game.opt", &fault)) << c.file;
        EXPECT_EQ(fault, c.fault);
    }
    GameOptions edge;
    edge.SetBrightness(-FLT_MAX);
    edge.SetMasterVolume(FLT_MAX);
    edge.SetKeyBinding(1, INT32_MIN);
    edge.SetServerPort(65535);
    edge.SetServerUpstream(INT32_MAX);
    edge.SetServerFragLimit(INT32_MIN);
    const std::string written = Written(edge);
    GameOptions back;
    EXPECT_TRUE(Load(back, written));
    EXPECT_EQ(Written(back), written);
    EXPECT_TRUE(Load(back, " <serverport> +0080 </serverport><serverport></serverport>"));
    EXPECT_EQ(back.GetServerPort(), 80);
}

TEST_F(OptionsFileTest, UseFontsAndZoomOnlyWrittenWhenTheyShould)
{
    GameOptions o;
    Load(o, "<usefonts>false</usefonts>\r\n<zoombutton>77</zoombutton>");
    std::string out = Written(o);
    EXPECT_EQ(Between(out, "<usefonts>", "</usefonts>"), "false");
    EXPECT_EQ(out.find("zoombutton"), std::string::npos);
    GameOptions fresh;
    Load(fresh, "<servername>x</servername>");
    EXPECT_EQ(Written(fresh).find("usefonts"), std::string::npos);
}

TEST_F(OptionsFileTest, HighBytesComeBackUnchanged)
{
    std::string name = "<servername>";
    for (int b = 0x80; b < 0x80 + 64; ++b)
        name += char(b);
    name += "</servername>";
    GameOptions o;
    ASSERT_TRUE(Load(o, name));
    EXPECT_EQ(o.GetServerName()[0], char16_t(0xFF80));
    std::string out = Written(o);
    EXPECT_EQ("<servername>" + Between(out, "<servername>", "</servername>") + "</servername>", name);
}

TEST_F(OptionsFileTest, MasterVolumeGoesToTheAudio)
{
    std::string volume = "<mastervolume>0.25</mastervolume>";
    WriteAll(dir_.File("game.opt"), volume.data(), volume.size());
    GameOptions o;
    FakeAudio audio;
    EXPECT_TRUE(ReadOptionsFile(&files_, &o, &audio));
    EXPECT_EQ(audio.volumes, std::vector<float>{0.25f});
}

TEST_F(OptionsFileTest, FailedWriteKeepsTheOldFile)
{
    WriteAll(dir_.File("game.opt"), kDefaultFile, sizeof kDefaultFile - 1);
    GameOptions o;
    o.SetServerName(u"changed");
    // Cap the size of files this process may write, as a full disk would.
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit cap = saved;
    cap.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &cap), 0);
    bool written = WriteOptionsFile(&files_, &o, nullptr);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    auto bytes = ReadAll(dir_.File("game.opt"));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), std::string(kDefaultFile));
    EXPECT_EQ(FolderCount(), 1);
}

TEST_F(OptionsFileTest, ReadOnlyFileStaysAndPrivateOrLinkedOnesKeepTheirForm)
{
    GameOptions o;
    o.SetServerPassword(u"secret");
    WriteAll(dir_.File("game.opt"), "old", 3);
    ASSERT_EQ(chmod(dir_.File("game.opt").c_str(), 0444), 0);
    EXPECT_FALSE(WriteOptionsFile(&files_, &o, nullptr));
    auto bytes = ReadAll(dir_.File("game.opt"));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "old");
    EXPECT_EQ(FolderCount(), 1);

    // The settings behind a link, readable by their owner only.
    ASSERT_EQ(mkdir(dir_.File("real").c_str(), 0755), 0);
    ASSERT_EQ(rename(dir_.File("game.opt").c_str(), dir_.File("real/game.opt").c_str()), 0);
    ASSERT_EQ(chmod(dir_.File("real/game.opt").c_str(), 0600), 0);
    ASSERT_EQ(symlink("real/game.opt", dir_.File("game.opt").c_str()), 0);
    ASSERT_TRUE(WriteOptionsFile(&files_, &o, nullptr));
    struct stat st;
    ASSERT_EQ(lstat(dir_.File("game.opt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(stat(dir_.File("real/game.opt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    bytes = ReadAll(dir_.File("real/game.opt"));
    EXPECT_EQ(Between(std::string(bytes.begin(), bytes.end()), "<serverpassword>", "</"), "secret");
}

TEST_F(OptionsFileTest, HostileFilesLoadWithoutHarm)
{
    // Every prefix of a full file.
    GameOptions full;
    full.AddMapCycleLevel(1, u"levels/a.lvl");
    full.AddBan(u"n", 0x01020304u);
    full.AddOperator(u"op");
    std::string good = Written(full, u"m");
    for (size_t n = 0; n <= good.size(); ++n) {
        GameOptions o;
        Load(o, good.substr(0, n));
        EXPECT_GE(o.GetServerPort(), 1);
    }
    // Noise.
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        auto noise = TestSupport::PseudoRandomBytes(4096, seed);
        GameOptions o;
        Load(o, std::string(noise.begin(), noise.end()));
    }
    // Huge names and many entries.
    std::string huge(1 << 20, 'A');
    std::string file = "<servername>" + huge + "</servername><operators><name>" + huge +
                       "</name></operators><bans><banplayer>" + huge + ":1.2.3.4</banplayer></bans><" + huge + ">x</" +
                       huge + "><serverport>42</serverport>";
    GameOptions o;
    ASSERT_TRUE(Load(o, file));
    EXPECT_EQ(std::u16string(o.GetServerName()).size(), 64u);
    ASSERT_EQ(o.GetOperatorCount(), 1);
    EXPECT_EQ(std::u16string(o.GetOperator(0)).size(), 2047u);
    // The reader keeps 2047 characters, so the colon is cut off with the rest.
    ASSERT_EQ(o.GetBanCount(), 1);
    EXPECT_EQ(std::u16string(o.GetBanName(0)), u"");
    EXPECT_EQ(o.GetBanAddress(0), 0u);
    EXPECT_EQ(o.GetServerPort(), 42);
    std::string out = Written(o);
    GameOptions again;
    ASSERT_TRUE(Load(again, out));
    EXPECT_EQ(Written(again), out);
}

// An operator entry may carry the account it is bound to; an entry without
// one reads and writes as before, and is honoured for nobody.
TEST_F(OptionsFileTest, OperatorsKeepTheirAccounts)
{
    GameOptions o;
    ASSERT_TRUE(Load(o, "<operators><name>Old</name><name account=\"77\">Boss</name></operators>"));
    ASSERT_EQ(o.GetOperatorCount(), 2);
    EXPECT_EQ(o.GetOperatorAccount(0), 0);
    EXPECT_EQ(o.GetOperatorAccount(1), 77);
    std::string text = Written(o);
    EXPECT_NE(text.find("<name>Old</name>"), std::string::npos);
    EXPECT_NE(text.find("<name account=\"77\">Boss</name>"), std::string::npos);
    GameOptions again;
    ASSERT_TRUE(Load(again, text));
    EXPECT_FALSE(again.IsOperatorAccount(u"Old", 0));
    EXPECT_FALSE(again.IsOperatorAccount(u"Old", 77));
    EXPECT_TRUE(again.IsOperatorAccount(u"Boss", 77));
    EXPECT_TRUE(again.IsOperatorAccount(u"boss", 77));
    EXPECT_FALSE(again.IsOperatorAccount(u"Boss", 0));
    EXPECT_FALSE(again.IsOperatorAccount(u"Boss", 5));
}
