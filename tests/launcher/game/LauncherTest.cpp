#include "launcher/CommandLine.h"

#include "support/ChildProcess.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Case {
    std::vector<const char*> argv; // after the program name
    std::u16string first, second;
    bool fullScreen, showOptions;
};

TEST(LauncherCommandLine, WordRules)
{
    const std::u16string longWord(kMaxWordUnits, u'a');
    const std::string cutPair = std::string(kMaxWordUnits - 1, 'a') + "\xF0\x9F\x98\x80"; // U+1F600 at the cut
    const std::string tooLong = std::string(2000, 'a');
    const Case cases[] = {
        {{}, u"", u"", true, false},
        {{"-windowed"}, u"", u"", false, false},
        {{"-Windowed", "--windowed", "-fullscreen"}, u"", u"", true, false},
        {{"-options"}, u"", u"", true, true},
        // Two blanks hold an empty word: the second argument; "debug" is third.
        {{"Ville", "", "debug"}, u"Ville", u"", true, false},
        {{"-windowed", "Ville", "debug"}, u"Ville", u"debug", false, false},
        {{"Ville", "-windowed", "debug", "-options"}, u"Ville", u"debug", false, true},
        {{"a", "b", "c", "d"}, u"a", u"b", true, false},
        {{"", "x"}, u"", u"x", true, false},
        {{"x", ""}, u"x", u"", true, false},
        {{"V\xC3\xA4in\xC3\xB6"}, u"V\u00E4in\u00F6", u"", true, false},
        {{"\xE4x"}, u"\xFFE4x", u"", true, false}, // not UTF-8: the byte widened
        {{tooLong.c_str(), cutPair.c_str()}, longWord, std::u16string(kMaxWordUnits - 1, u'a'), true, false},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv{"game"};
        argv.insert(argv.end(), c.argv.begin(), c.argv.end());
        const LaunchArguments a = ParseCommandLine(JoinArguments(int(argv.size()), argv.data()));
        const std::string line = JoinArguments(int(argv.size()), argv.data()).substr(0, 40);
        EXPECT_EQ(a.first, c.first) << line;
        EXPECT_EQ(a.second, c.second) << line;
        EXPECT_EQ(a.fullScreen, c.fullScreen) << line;
        EXPECT_EQ(a.showOptions, c.showOptions) << line;
    }
}

TEST(LauncherProgram, MissingLibrariesAndFactoriesEndWithTheirCodes)
{
    namespace fs = std::filesystem;
    const std::string build = VORNHAL_BUILD_DIR;
    TestSupport::TempDir dir;

    // Alone in a folder the loader finds none of its libraries.
    fs::copy_file(build + "/game", dir.File("game"));
    TestSupport::ChildProcess alone(dir.File("game"), {}, dir.Path());
    EXPECT_EQ(alone.WaitExit(), 127);
    EXPECT_NE(alone.Output().find("error while loading shared libraries"), std::string::npos) << alone.Output();

    // Beside a game library that gives no game object (any other library
    // under its name), it says so and ends with 2.
    for (const char* lib : {"libEngine.so", "libOptions.so"})
        fs::copy_file(build + "/" + lib, dir.File(lib));
    fs::copy_file(build + "/libOptions.so", dir.File("libGame.so"));
    TestSupport::ChildProcess gameless(dir.File("game"), {}, dir.Path());
    EXPECT_EQ(gameless.WaitExit(), 2);
    EXPECT_NE(gameless.Output().find("game: the game library (libGame.so) gives no game"), std::string::npos)
        << gameless.Output();
}

} // namespace
