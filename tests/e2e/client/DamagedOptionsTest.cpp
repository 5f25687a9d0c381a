// The game started on a "game.opt" cut short: the damaged file is kept
// beside as "game.opt.bad", and the options dialog comes with what could be
// read; saving it writes a whole file again.

#include "ClientRig.h"

#include <gtest/gtest.h>

TEST(DamagedOptions, AreKeptAsideAndWhatReadsIsOffered)
{
    using namespace ClientRig;
    TestSupport::TempDir dir;
    LayOutPlayerFolder(dir.Path());
    std::filesystem::copy_file(kBuild + "/game.opt", dir.File("game.opt"));
    TestSupport::SetGameOption(dir.Path(), "servername", "Lakeside");
    std::string text = TestSupport::ReadText(dir.File("game.opt"));
    text.resize(text.find("<serverpassword>") + 20);
    std::ofstream(dir.File("game.opt"), std::ios::trunc) << text;

    setenv("VORNHAL_UI", "headless", 1);
    setenv("VORNHAL_OPTIONS", "save", 1);
    unsetenv("VORNHAL_OPTIONS_SET");
    TestSupport::ChildProcess game(dir.File("game"), {}, dir.Path());
    EXPECT_EQ(game.WaitExit(kWait), 0) << game.Output();
    unsetenv("VORNHAL_OPTIONS");
    EXPECT_NE(game.Output().find("Error!: game.opt does not read whole (line "), std::string::npos) << game.Output();
    EXPECT_EQ(TestSupport::ReadText(dir.File("game.opt.bad")), text);
    const std::string saved = TestSupport::ReadText(dir.File("game.opt"));
    EXPECT_NE(saved.find("<servername>Lakeside</servername>"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<serveruploading>"), std::string::npos) << saved;
}
