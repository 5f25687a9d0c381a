// What "Make Package" collects from a game folder and the package it writes,
// read back through the engine's file manager.
#include "editor/package/PackageBuilder.h"
#include "engine/files/FileManager.h"
#include "engine/files/IFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace fs = std::filesystem;
using TestSupport::TempDir;

namespace {

void Put(const TempDir& dir, const std::string& name, const std::string& text)
{
    TestSupport::MakeDirs(fs::path(dir.File(name)).parent_path().string());
    TestSupport::WriteAll(dir.File(name), text.data(), text.size());
}

// A game folder whose entries were made out of name order, with hidden
// files, a hidden folder and a link back up the tree.
void LayOut(const TempDir& dir)
{
    for (const char* script : {"weapons_fin_vs_rus.cfg", "items.cfg", "objects.cfg", "blocks.cfg"})
        Put(dir, script, std::string("// ") + script);
    Put(dir, "levels/b.lvl", "level b");
    Put(dir, "gfx/world/z.png", "z");
    Put(dir, "gfx/b.png", std::string(250000, 'b'));
    Put(dir, "gfx/a.png", "a");
    Put(dir, "gfx/.hidden.png", "h");
    Put(dir, "gfx/.svn/entries", "svn");
    Put(dir, "sfx/s.ogg", "s");
    Put(dir, "levels/a.lvl", "level a");
    Put(dir, "notes.txt", "not packed");
    fs::create_directory_symlink("..", dir.File("levels/up"));
    fs::create_symlink("a.png", dir.File("gfx/c.png"));
}

std::vector<std::u16string> Expected()
{
    return {u"blocks.cfg", u"objects.cfg",     u"items.cfg", u"weapons_fin_vs_rus.cfg", u"gfx/a.png",   u"gfx/b.png",
            u"gfx/c.png",  u"gfx/world/z.png", u"sfx/s.ogg", u"levels/a.lvl",           u"levels/b.lvl"};
}

std::string Narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }

// Every entry the bytes of its file: the Editor program's own test reads
// its package back so.
TEST(PackageBuilder, CollectsTheScriptsThenEachFolderInNameOrderWithoutHiddenOrLinkedFolders)
{
    TempDir dir;
    LayOut(dir);
    TestSupport::ScopedChdir inside(dir.Path());
    FileManager files;
    const std::vector<std::u16string> names = PackageBuilder::CollectNames(files.GetGameDir());
    EXPECT_EQ(names, Expected());
    const std::u16string list = PackageBuilder::BeginWith(&files, names);
    EXPECT_EQ(list.substr(0, 24), u"blocks.cfg\r\nobjects.cfg\r");
    const std::u16string out = files.GetGameDir() + std::u16string(u"/out.data");
    ASSERT_TRUE(PackageBuilder::Write(&files, 417, out));
    const std::vector<uint8_t> bytes = TestSupport::ReadAll(dir.File("out.data"));
    ASSERT_GE(bytes.size(), 16u);
    EXPECT_EQ(bytes[8] | bytes[9] << 8 | bytes[10] << 16 | bytes[11] << 24, 417);
    std::unique_ptr<IFile> big(files.OpenInPackage(u"gfx/b.png", out.c_str()));
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->GetSize(), 250000);
    EXPECT_EQ(files.OpenInPackage(u"notes.txt", out.c_str()), nullptr);
}

TEST(PackageBuilder, TakesOnlyVersionsInRangeAndNeverTheGameDataItReads)
{
    int version = -1;
    for (const char16_t* bad : {u"abc", u"", u"-1", u"1000001", u"12a", u" 5"})
        EXPECT_FALSE(PackageBuilder::ParseVersion(bad, &version)) << Narrow(bad);
    ASSERT_TRUE(PackageBuilder::ParseVersion(u"1000000", &version));
    EXPECT_EQ(version, 1000000);

    TempDir dir;
    Put(dir, "game.data", "old");
    fs::create_directory(dir.File("sub"));
    TestSupport::ScopedChdir inside(dir.Path());
    FileManager files;
    const std::u16string root = files.GetGameDir();
    EXPECT_TRUE(PackageBuilder::IsOpenDataPackage(&files, root + u"/game.data"));
    EXPECT_TRUE(PackageBuilder::IsOpenDataPackage(&files, root + u"/sub/../game.data"));
    EXPECT_FALSE(PackageBuilder::IsOpenDataPackage(&files, root + u"/sub/game.data"));
    EXPECT_FALSE(PackageBuilder::IsOpenDataPackage(&files, root + u"/new.data"));
}

} // namespace
