#include "FilesTestUtil.h"

#include "engine/core/StringKit.h"
#include "engine/files/ZipFileHandler.h"
#include "platform/os/Os.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

using namespace FilesTest;

namespace {

class FileManagerTest : public ::testing::Test, protected GameDirTest {
protected:
    std::vector<std::string> FindAll(const char16_t* pattern)
    {
        std::vector<std::string> out;
        for (const char16_t* n = fm_->FindFirst(pattern); n; n = fm_->FindNext())
            out.push_back(Util::Narrow(n));
        return out;
    }
    std::vector<std::string> Names(const char* package)
    {
        ZipFileHandler h(fm_.get());
        std::vector<std::string> out;
        if (!h.Load(Util::Widen(package).c_str()))
            return {"<load failed>"};
        for (int i = 0; i < h.GetCount(); ++i)
            out.push_back(Util::Narrow(h.GetEntry(i)->name) + ":" + std::to_string(h.GetEntry(i)->flags));
        return out;
    }
};

TEST_F(FileManagerTest, GameDirIsTheStartingDirectory)
{
    EXPECT_EQ(Util::ToOs(fm_->GetGameDir()), std::filesystem::current_path().string());
    EXPECT_EQ(fm_->GetDataVersion(), 0); // nothing loaded yet
}

TEST_F(FileManagerTest, LookupPrecedence)
{
    Put("game.data", BuildPackage(12, {{u"levels/a.lvl", ToBytes("PKG"), 0}}));
    Put("levels/a.lvl", "DISK");
    std::u16string full = Util::FromOs(At("levels/a.lvl"));
    struct Case {
        const char* label;
        std::u16string path;
        int flags;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"package_first", u"levels/a.lvl", 0, "PKG"},
        {"backslash_request", u"levels\\a.lvl", 0, "PKG"},
        {"no_package_flag", u"levels/a.lvl", kOpenNoPackage, "DISK"},
        {"full_path_is_no_entry_name", full, kOpenFullPath, "DISK"},
        {"package_names_keep_case", u"LEVELS/a.lvl", 0, "DISK"},
        {"ignored_flag_bits", u"levels/a.lvl", 8 | 16, "PKG"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(ReadFile(*fm_, c.path.c_str(), c.flags), ToBytes(c.expected));
    }
    EXPECT_EQ(fm_->GetDataVersion(), 12);
    EXPECT_TRUE(fm_->HasDataPackage());

    std::unique_ptr<IFile> entry(fm_->Open(u"levels\\a.lvl", kOpenRead, 0));
    ASSERT_TRUE(entry);
    EXPECT_EQ(Util::Narrow(entry->GetName()), "levels/a.lvl");
    std::unique_ptr<IFile> disk(fm_->Open(u"levels\\a.lvl", kOpenRead, kOpenNoPackage));
    ASSERT_TRUE(disk);
    EXPECT_EQ(Util::Narrow(disk->GetName()), "levels\\a.lvl");

    EXPECT_EQ(fm_->Open(u"levels/a.lvl", 2, 0), nullptr);
    EXPECT_EQ(fm_->Open(u"levels/missing.lvl", kOpenRead, 0), nullptr);
    EXPECT_EQ(fm_->Open(u"levels", kOpenRead, 0), nullptr); // a folder
}

TEST_F(FileManagerTest, MissingDataPackageMeansDisk)
{
    Put("levels/a.lvl", "DISK");
    EXPECT_EQ(ReadFile(*fm_, u"levels\\a.lvl"), ToBytes("DISK"));
    EXPECT_FALSE(fm_->HasDataPackage());
    EXPECT_EQ(fm_->GetDataVersion(), 0);
}

TEST_F(FileManagerTest, WritingUnderTheGameDirectory)
{
    TestSupport::MakeDirs(At("shots"));
    {
        std::unique_ptr<IFile> f(fm_->Open(u"shots\\plain.txt", kOpenWrite, 0));
        ASSERT_TRUE(f);
        EXPECT_TRUE(f->IsWriting());
        ASSERT_TRUE(f->Write("abc", 3));
    }
    EXPECT_EQ(TestSupport::ReadAll(At("shots/plain.txt")), ToBytes("abc"));
    EXPECT_EQ(fm_->Open(u"nofolder/x.txt", kOpenWrite, 0), nullptr);
}

TEST_F(FileManagerTest, NumberedNamesCountUp)
{
    TestSupport::MakeDirs(At("shots"));
    for (int i = 0; i < 2; ++i) {
        std::unique_ptr<IFile> f(fm_->Open(u"shots/image.png", kOpenWrite, kOpenNumberedName));
        ASSERT_TRUE(f);
        EXPECT_EQ(Util::Narrow(f->GetName()), "shots/image.png");
        ASSERT_TRUE(f->WriteInt(i));
    }
    EXPECT_FALSE(std::filesystem::exists(At("shots/image.png")));
    EXPECT_EQ(TestSupport::ReadAll(At("shots/image_1.png")), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(TestSupport::ReadAll(At("shots/image_2.png")), (Bytes{1, 0, 0, 0}));

    // The extension is only looked for in the file name.
    TestSupport::MakeDirs(At("v1.2"));
    std::unique_ptr<IFile> f(fm_->Open(u"v1.2\\readme", kOpenWrite, kOpenNumberedName));
    ASSERT_TRUE(f);
    EXPECT_TRUE(std::filesystem::exists(At("v1.2/readme")));
}

TEST_F(FileManagerTest, PackageMatcherSucceedsEarly)
{
    struct Case {
        const char16_t* name;
        const char16_t* pattern;
        bool match;
    };
    const Case cases[] = {
        {u"levels/a.lvl", u"levels/*.lvl", true},
        {u"levels/a.lvl", u"levels\\*.lvl", true},
        {u"levels/a.lvl.bak", u"levels/*.lvl", true},
        {u"lev", u"levels/*.lvl", true},
        {u"levels/readme.txt", u"levels/*.lvl", false},
        {u"levels/a.LVL", u"levels/*.lvl", false},
        {u"other/a.lvl", u"levels/*.lvl", false},
        {u"anything", u"*", true},
        {u"a/b/c.x", u"a/*/c.x", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FileManager::MatchPattern(c.name, c.pattern), c.match) << Util::Narrow(c.name);
}

TEST_F(FileManagerTest, FindFirstListsPackageThenDiskOnce)
{
    Put("game.data", BuildPackage(1, {{u"levels/b.lvl", ToBytes("b"), 0},
                                      {u"levels/readme.txt", ToBytes("r"), 0},
                                      {u"levels/a.lvl", ToBytes("a"), 0},
                                      {u"levels/a.lvl.bak", ToBytes("k"), 0},
                                      {u"other/c.lvl", ToBytes("c"), 0}}));
    Put("levels/a.lvl", "disk a");
    Put("levels/z.lvl", "disk z");
    Put("levels/m.LVL", "disk m");
    Put("levels/notes.txt", "n");
    Put("levels/x.lvl.bak", "x");
    TestSupport::MakeDirs(At("levels/dir.lvl"));

    EXPECT_EQ(FindAll(u"levels/*.lvl"), (std::vector<std::string>{"levels/b.lvl", "levels/a.lvl", "levels/a.lvl.bak",
                                                                  "levels/m.LVL", "levels/z.lvl"}));
    EXPECT_EQ(fm_->FindNext(), nullptr);
    EXPECT_EQ(fm_->FindNext(), nullptr);
    // Found names open as the level list opens them.
    EXPECT_EQ(ReadFile(*fm_, u"levels/z.lvl"), ToBytes("disk z"));

    // Without a folder the disk names come bare.
    Put("top.txt", "t");
    EXPECT_EQ(FindAll(u"*.txt"), (std::vector<std::string>{"levels/readme.txt", "top.txt"}));
    EXPECT_EQ(fm_->FindFirst(u"nothing/*.none"), nullptr);
}

TEST_F(FileManagerTest, NestedBackslashPatternListsEachFileOnce)
{
    // The first of two entries of one name is the one found.
    Put("game.data",
        BuildPackage(1, {{u"levels/sub/s.lvl", ToBytes("first"), 0}, {u"levels/sub/s.lvl", ToBytes("second"), 0}}));
    Put("levels/sub/s.lvl", "disk s");
    Put("levels/sub/t.lvl", "disk t");
    EXPECT_EQ(FindAll(u"levels\\sub\\*.lvl"),
              (std::vector<std::string>{"levels/sub/s.lvl", "levels/sub/s.lvl", "levels/sub/t.lvl"}));
    EXPECT_EQ(ReadFile(*fm_, u"levels\\sub\\s.lvl"), ToBytes("first"));
}

TEST_F(FileManagerTest, AddPackageToPackageSkipsBitZero)
{
    Put("src.data", BuildPackage(4, {{u"keep", ToBytes("from package"), 0},
                                     {u"private", ToBytes("no"), 1},
                                     {u"other_bits", ToBytes("yes"), 6},
                                     {u"both", ToBytes("no"), 7}}));
    Put("keep", "from disk");
    EXPECT_FALSE(fm_->AddPackageToPackage(u"src.data")); // nothing being built

    fm_->BeginPackage(8);
    fm_->AddFileToPackage(u"keep", 5);
    ASSERT_TRUE(fm_->AddPackageToPackage(u"src.data"));
    ASSERT_TRUE(fm_->SavePackage(u"out.data", nullptr));
    EXPECT_EQ(TestSupport::ReadAll(At("out.data")),
              BuildPackage(8, {{u"keep", ToBytes("from package"), 0}, {u"other_bits", ToBytes("yes"), 0}}));
}

TEST_F(FileManagerTest, BuildPatchPackageTakesChangedEntries)
{
    Put("same.data", BuildPackage(3, {{u"a", ToBytes("1111"), 0}}));
    ASSERT_TRUE(fm_->BuildPatchPackage(u"same.data", u"same.data", 0));
    ASSERT_TRUE(fm_->SavePackage(u"empty_patch.data", nullptr));
    EXPECT_EQ(TestSupport::ReadAll(At("empty_patch.data")), BuildPackage(3, {}));

    Put("old.data", BuildPackage(3, {{u"a", ToBytes("1111"), 0},
                                     {u"b", ToBytes("x"), 0},
                                     {u"c", ToBytes("same"), 1},
                                     {u"d", ToBytes("Xyz"), 0},
                                     {u"gone", ToBytes("old only"), 0}}));
    Put("new.data", BuildPackage(6, {{u"new", ToBytes("fresh"), 1},
                                     {u"a", ToBytes("1112"), 0},
                                     {u"b", Bytes{'x', 0}, 0},
                                     {u"c", ToBytes("same"), 0},
                                     {u"d", ToBytes("Zyz"), 0}}));
    ASSERT_TRUE(fm_->BuildPatchPackage(u"old.data", u"new.data", 0));
    ASSERT_TRUE(fm_->SavePackage(u"patch.data", nullptr));
    EXPECT_EQ(TestSupport::ReadAll(At("patch.data")), BuildPackage(6, {{u"new", ToBytes("fresh"), 0},
                                                                       {u"a", ToBytes("1112"), 0},
                                                                       {u"b", Bytes{'x', 0}, 0},
                                                                       {u"d", ToBytes("Zyz"), 0}}));

    EXPECT_FALSE(fm_->BuildPatchPackage(u"old.data", u"missing.data", 0));
}

TEST_F(FileManagerTest, ExtractFromPackage)
{
    Bytes data = TestSupport::PseudoRandomBytes(25000, 41); // crosses the copy blocks
    Put("p.data", BuildPackage(1, {{u"tools/up.bin", data, 0}}));
    ASSERT_TRUE(fm_->ExtractFromPackage(u"p.data", u"tools\\up.bin", Util::FromOs(At("up.bin")).c_str()));
    EXPECT_EQ(TestSupport::ReadAll(At("up.bin")), data);
    EXPECT_FALSE(fm_->ExtractFromPackage(u"p.data", u"absent", u"x.bin"));
    EXPECT_FALSE(fm_->ExtractFromPackage(u"p.data", u"tools/up.bin", u"nofolder/x.bin"));
    EXPECT_FALSE(std::filesystem::exists(At("x.bin")));
}

TEST_F(FileManagerTest, OpenInPackageCachesByPath)
{
    Put("p.data", BuildPackage(1, {{u"e", ToBytes("one"), 0}}));
    std::unique_ptr<IFile> first(fm_->OpenInPackage(u"e", u"p.data"));
    ASSERT_TRUE(first);
    std::unique_ptr<IFile> second(fm_->OpenInPackage(u"e", u"p.data"));
    ASSERT_TRUE(second);
    // Each entry file has its own handle: reads do not disturb each other.
    char a[2], b[3];
    ASSERT_EQ(first->Read(a, 2), 2);
    ASSERT_EQ(second->Read(b, 3), 3);
    EXPECT_EQ(ReadRest(first.get()), ToBytes("e"));
    EXPECT_EQ(fm_->OpenInPackage(u"e", u"missing.data"), nullptr);
    Put("missing.data", BuildPackage(1, {{u"e", ToBytes("late"), 0}}));
    EXPECT_EQ(fm_->OpenInPackage(u"e", u"missing.data"), nullptr); // loaded once, kept
}

TEST_F(FileManagerTest, HandlesStayTheCallers)
{
    Put("doc.lvl", "level bytes");
    int fd = ::open(At("doc.lvl").c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    {
        std::unique_ptr<IFile> in(fm_->OpenHandle(fd, false, 0));
        ASSERT_TRUE(in);
        EXPECT_FALSE(in->IsWriting());
        EXPECT_EQ(Util::Narrow(in->GetName()), "none");
        EXPECT_EQ(in->GetSize(), 11);
        EXPECT_EQ(ReadRest(in.get()), ToBytes("level bytes"));
        in->CloseAndDelete(); // an empty path deletes nothing
    }
    EXPECT_TRUE(std::filesystem::exists(At("doc.lvl")));
    EXPECT_NE(fcntl(fd, F_GETFD), -1);
    {
        std::unique_ptr<IFile> out(fm_->OpenHandle(fd, true, 0));
        ASSERT_TRUE(out);
        EXPECT_TRUE(out->IsWriting());
        EXPECT_TRUE(out->Write("!", 1));
    }
    ::close(fd);
    EXPECT_EQ(TestSupport::ReadAll(At("doc.lvl")), ToBytes("level bytes!"));
    EXPECT_EQ(fm_->OpenHandle(-1, false, 0), nullptr);
    EXPECT_EQ(fm_->OpenHandle(fd, false, 0), nullptr); // closed now
}

TEST_F(FileManagerTest, AHandlesFileIsReplacedOnlyWhenWhole)
{
    Put("doc.lvl", "old level");
    int fd = ::open(At("doc.lvl").c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    {
        std::unique_ptr<IFile> out(fm_->OpenHandle(fd, true, kOpenReplace));
        ASSERT_TRUE(out);
        EXPECT_TRUE(out->Write("new", 3));
        out->CloseAndDelete(); // given up: the old file stays
    }
    EXPECT_EQ(TestSupport::ReadAll(At("doc.lvl")), ToBytes("old level"));
    {
        std::unique_ptr<IFile> out(fm_->OpenHandle(fd, true, kOpenReplace));
        ASSERT_TRUE(out);
        EXPECT_TRUE(out->Write("new", 3));
        EXPECT_TRUE(out->Flush());
    }
    ::close(fd);
    EXPECT_EQ(TestSupport::ReadAll(At("doc.lvl")), ToBytes("new"));
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    EXPECT_EQ(fm_->OpenHandle(fds[1], true, kOpenReplace), nullptr) << "a pipe names no file";
    ::close(fds[0]);
    ::close(fds[1]);
}

TEST_F(FileManagerTest, OtherCaseNamesFollowFolderChanges)
{
    Put("data/Old.txt", "old");
    // A folder left alone for a while, whose listing is kept.
    struct timespec past[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, At("data").c_str(), past, 0), 0);
    EXPECT_EQ(ReadFile(*fm_, u"DATA/OLD.TXT", kOpenNoPackage), ToBytes("old"));
    EXPECT_FALSE(fm_->FileExists(u"data/NEW.TXT"));

    ASSERT_EQ(::unlink(At("data/Old.txt").c_str()), 0);
    Put("data/New.txt", "new");
    EXPECT_EQ(ReadFile(*fm_, u"DATA/NEW.TXT", kOpenNoPackage), ToBytes("new"));
    EXPECT_FALSE(fm_->FileExists(u"data/OLD.TXT"));
}

TEST_F(FileManagerTest, DeleteMoveAndExists)
{
    Put("a.txt", "a");
    EXPECT_TRUE(fm_->FileExists(u"a.txt"));
    EXPECT_TRUE(fm_->MoveFile(u"a.txt", u"b.txt"));
    EXPECT_FALSE(fm_->FileExists(u"a.txt"));
    EXPECT_TRUE(fm_->FileExists(u"B.TXT")); // names on disk ignore case
    EXPECT_TRUE(fm_->DeleteFile(u"b.txt"));
    EXPECT_FALSE(std::filesystem::exists(At("b.txt")));
    EXPECT_TRUE(fm_->DeleteFile(u"never.txt"));
    EXPECT_FALSE(fm_->FileExists(u"."));
}

} // namespace
