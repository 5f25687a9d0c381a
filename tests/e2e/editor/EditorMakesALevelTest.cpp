// The Editor program, scripted under a display, makes a level from a
// default one and packs the game folder; then the real server hosts the
// level, a headless player plays it, and the package reads back as the
// files it was made from.
#include "HostedLevel.h"
#include "support/ChildProcess.h"
#include "support/GameFolder.h"
#include "support/TestSupport.h"

#include "engine/files/FileManager.h"
#include "engine/files/IFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

namespace fs = std::filesystem;

namespace {

const fs::path kBuild = VORNHAL_BUILD_DIR;

// The entries of a package file: name, offset, size.
struct Entry {
    std::string name;
    uint32_t offset, size;
};

uint32_t U32(const std::vector<uint8_t>& b, size_t at)
{
    return at + 4 <= b.size() ? uint32_t(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24) : 0;
}

std::vector<Entry> Directory(const std::vector<uint8_t>& b)
{
    std::vector<Entry> entries;
    size_t at = U32(b, 12);
    const uint32_t count = U32(b, at);
    at += 4;
    for (uint32_t i = 0; i < count && at < b.size(); ++i) {
        Entry e;
        for (; at + 1 < b.size() && (b[at] | b[at + 1]); at += 2)
            e.name += char(b[at]);
        at += 2;
        e.offset = U32(b, at), e.size = U32(b, at + 4);
        at += 12;
        entries.push_back(e);
    }
    return entries;
}

std::string Script(const std::string& shots, const std::string& package)
{
    return R"(# a level made from a default one
file levels/tdm_riotcity.lvl
menu File/Open...
wait-draw
expect title "tdm_riotcity.lvl - Editor"
pick Floors concrete
expect tool 2
drag 40 40 240 40
pick Objects "finland start"
expect tool 3
move 120 160
click 120 160
pick Objects "russia start"
move 480 160
click 480 160
pick Objects "finland flag"
move 120 300
click 120 300
pick Objects "russian flag"
move 480 300
click 480 300
pick Objects "wooden door"
move 300 240
click 300 240
menu "Tools/Light Tool"
expect tool 10
move 300 100
click 300 100
expect modified 1
wait-draw
shot )" + shots +
           R"(/main_window.png
dialog "Map Properties" "Name=Editor Riot" "Game mode=Team Deathmatch" press=OK
menu Map/Properties
file levels/editor_riot.lvl
menu "File/Save As..."
expect modified 0
expect title "editor_riot.lvl - Editor"
dialog "Make Package" Version=7 press=OK
file )" + package +
           R"(
menu "Map/Make Package"
exit
)";
}

TEST(EditorMakesALevel, ScriptedEditorThenServerHostsItAndThePackageReadsBack)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "the editor needs an X display";
    TestSupport::TempDir dir;
    const fs::path folder = dir.File("game");
    TestSupport::LayOutEditorFolder(folder.string());
    const std::string shots = (kBuild / "screenshots" / "editor").string();
    const std::string package = (folder / "editor.data").string();
    std::ofstream(dir.File("make.script")) << Script(shots, package);

    setenv("VORNHAL_UI", "headless", 1);
    setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
    TestSupport::ChildProcess editor((kBuild / "Editor").string(), {"--script", dir.File("make.script")},
                                     folder.string());
    ASSERT_TRUE(editor.Started());
    ASSERT_EQ(editor.WaitExit(120000), 0) << editor.Output();
    EXPECT_NE(editor.Output().find("script: exit"), std::string::npos);
    EXPECT_TRUE(fs::file_size(fs::path(shots) / "main_window.png") > 0);
    // The level holds what was placed and the properties set.
    LevelContents old, made;
    ASSERT_TRUE(TestGame::ReadLevelFile((kBuild / "levels" / "tdm_riotcity.lvl").string(), &old));
    ASSERT_TRUE(TestGame::ReadLevelFile((folder / "levels" / "editor_riot.lvl").string(), &made));
    EXPECT_EQ(made.header.name, u"Editor Riot");
    EXPECT_EQ(made.header.gameMode, 0);
    ASSERT_EQ(made.objects.size(), old.objects.size() + 5);
    std::vector<int> placed;
    for (size_t i = old.objects.size(); i < made.objects.size(); ++i)
        placed.push_back(made.objects[i].definitionId);
    EXPECT_EQ(placed, (std::vector<int>{26214400, 26476544, 29097984, 29360128, 31457280}));
    EXPECT_EQ(made.lights.size(), old.lights.size() + 1);
    EXPECT_NE(made.world.cells, old.world.cells);
    // The recent files keep the new level.
    EXPECT_NE(TestSupport::ReadText(dir.File("vornhal/editor.ini")).find("editor_riot.lvl"), std::string::npos);

    // The package: the scripts, then gfx, sfx and levels as on disk, each
    // entry the bytes of its file.
    const std::vector<uint8_t> bytes = TestSupport::ReadAll(package);
    ASSERT_GE(bytes.size(), 16u);
    EXPECT_EQ(U32(bytes, 8), 7u);
    std::vector<std::string> expected = {"blocks.cfg", "objects.cfg", "items.cfg", "weapons_fin_vs_rus.cfg"};
    for (const char* sub : {"gfx", "sfx", "levels"}) {
        std::vector<std::string> files;
        for (const auto& e : fs::recursive_directory_iterator(folder / sub))
            if (e.is_regular_file() && e.path().filename().string()[0] != '.')
                files.push_back(fs::relative(e.path(), folder).generic_string());
        std::sort(files.begin(), files.end());
        expected.insert(expected.end(), files.begin(), files.end());
    }
    const std::vector<Entry> entries = Directory(bytes);
    std::vector<std::string> names;
    for (const Entry& e : entries)
        names.push_back(e.name);
    EXPECT_EQ(names, expected);
    EXPECT_NE(std::find(names.begin(), names.end(), "levels/editor_riot.lvl"), names.end());
    {
        TestSupport::ScopedChdir inside(folder.string());
        FileManager files;
        const std::u16string path(package.begin(), package.end());
        for (const Entry& e : entries) {
            std::unique_ptr<IFile> in(
                files.OpenInPackage(std::u16string(e.name.begin(), e.name.end()).c_str(), path.c_str()));
            ASSERT_NE(in, nullptr) << e.name;
            std::vector<uint8_t> packed(size_t(in->GetSize()));
            ASSERT_EQ(in->Read(packed.data(), int(packed.size())), int(packed.size())) << e.name;
            EXPECT_EQ(packed, TestSupport::ReadAll((folder / e.name).string())) << e.name;
        }
    }

    // The real server hosts the new level; a headless player downloads it
    // and plays.
    const std::vector<uint8_t> level = TestSupport::ReadAll((folder / "levels" / "editor_riot.lvl").string());
    TestGame::HostAndPlay(dir.Path(), "editor_riot.lvl", level, 0, {1});
}

} // namespace
