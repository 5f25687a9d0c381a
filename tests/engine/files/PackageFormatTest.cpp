#include "FilesTestUtil.h"

#include "engine/files/IFileProgressListener.h"
#include "engine/files/ZipFileHandler.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

using namespace FilesTest;

namespace {

class PackageFormat : public ::testing::Test, protected GameDirTest {
protected:
    std::vector<std::string> FolderNames(const std::string& folder = "")
    {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(At(folder)))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

class RecordingListener : public IFileProgressListener {
public:
    void OnProgress(float fraction) override { fractions.push_back(fraction); }
    std::vector<float> fractions;
};

TEST_F(PackageFormat, EmptyPackageIsTwentyBytes)
{
    fm_->BeginPackage(7);
    ASSERT_TRUE(fm_->SavePackage(u"empty.data", nullptr));
    Bytes expected = {0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 7, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0};
    Bytes saved = TestSupport::ReadAll(At("empty.data"));
    EXPECT_EQ(saved, expected);
    TestSupport::WriteFuzzSeed("package_loader", "empty", saved);
    // The save ends the build.
    EXPECT_FALSE(fm_->SavePackage(u"again.data", nullptr));
}

TEST_F(PackageFormat, ThreeFilePackageMatchesTheLayoutByteForByte)
{
    Bytes b = TestSupport::PseudoRandomBytes(1000, 31);
    Put("a.txt", "hello");
    Put("sub/b.bin", b);
    Put("c.dat", Bytes());
    fm_->BeginPackage(3);
    fm_->AddFileToPackage(u"a.txt", 0);
    fm_->AddFileToPackage(u"sub\\b.bin", 1);
    fm_->AddFileToPackage(u"c.dat", 0);
    fm_->SetPackageVersion(42);
    RecordingListener listener;
    ASSERT_TRUE(fm_->SavePackage(u"three.data", &listener));

    Bytes expected = BuildPackage(42, {{u"a.txt", ToBytes("hello"), 0}, {u"sub/b.bin", b, 1}, {u"c.dat", {}, 0}});
    Bytes saved = TestSupport::ReadAll(At("three.data"));
    EXPECT_EQ(saved, expected);
    EXPECT_EQ(listener.fractions, (std::vector<float>{1.0f / 3, 2.0f / 3, 1.0f}));
    TestSupport::WriteFuzzSeed("package_loader", "three", saved);

    std::unique_ptr<IFile> e(fm_->OpenInPackage(u"sub\\b.bin", u"three.data"));
    ASSERT_TRUE(e);
    EXPECT_EQ(ReadRest(e.get()), b);
    std::unique_ptr<IFile> empty(fm_->OpenInPackage(u"c.dat", u"three.data"));
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->GetSize(), 0);
}

TEST_F(PackageFormat, VersionZeroPackagesLoad)
{
    Bytes v0 = BuildPackage(0, {{u"x/one", ToBytes("first"), 0}, {u"two", ToBytes("second!"), 0}}, true);
    // Version 0: the directory offset comes first, entries start at byte 4.
    ASSERT_EQ(v0[0], uint8_t(4 + 5 + 7));
    Put("game.data", v0);
    TestSupport::WriteFuzzSeed("package_loader", "version0", v0);
    ASSERT_TRUE(fm_->HasDataPackage());
    EXPECT_EQ(fm_->GetDataVersion(), 0);
    EXPECT_EQ(ReadFile(*fm_, u"x\\one"), ToBytes("first"));
    EXPECT_EQ(ReadFile(*fm_, u"two"), ToBytes("second!"));

    ZipFileHandler handler(fm_.get());
    ASSERT_TRUE(handler.Load(u"game.data"));
    ASSERT_EQ(handler.GetCount(), 2);
    EXPECT_EQ(handler.GetEntry(0)->flags, 0);
    EXPECT_EQ(handler.GetEntry(1)->flags, 0);
}

struct HostileCase {
    const char* label;
    Bytes bytes;
};

Bytes Patched(Bytes b, size_t at, int32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(uint32_t(v) >> (8 * i));
    return b;
}

TEST_F(PackageFormat, HostilePackagesFailCleanly)
{
    Bytes good = BuildPackage(5, {{u"ab", ToBytes("12345678"), 0}});
    // Directory: count at 24, name "ab\0" at 28..33, offset 34, size 38, flags 42.
    const size_t dir = 24, offset = 34, size = 38;
    ASSERT_EQ(good.size(), 46u);
    Bytes overlong = BuildPackage(1, {{std::u16string(ZipFileHandler::kMaxNameUnits, u'n'), ToBytes("x"), 0}});
    Bytes longestOk = BuildPackage(1, {{std::u16string(ZipFileHandler::kMaxNameUnits - 1, u'n'), ToBytes("x"), 0}});
    Bytes unterminated(good.begin(), good.begin() + 32);

    const std::vector<HostileCase> hostile = {
        {"huge_count", Patched(good, dir, 0x7fffffff)},
        {"negative_count", Patched(good, dir, -1)},
        {"count_past_entries", Patched(good, dir, 2)},
        {"offset_past_end", Patched(good, offset, 1000)},
        {"offset_in_header", Patched(good, offset, 8)},
        {"negative_offset", Patched(good, offset, -16)},
        {"size_past_end", Patched(good, size, 100)},
        {"negative_size", Patched(good, size, -1)},
        {"sum_overflows_32_bits", Patched(Patched(good, offset, 0x7ffffff0), size, 0x7ffffff0)},
        {"directory_past_end", Patched(good, 12, 1 << 30)},
        {"directory_negative", Patched(good, 12, -8)},
        {"directory_in_header", Patched(good, 12, 4)},
        {"unterminated_name", unterminated},
        {"overlong_name", overlong},
        {"three_bytes", Bytes{0xFF, 0xFF, 0xFF}},
        {"header_only", Bytes(good.begin(), good.begin() + 12)},
        {"version0_huge_count", Patched(Bytes{8, 0, 0, 0, 'x', 'y', 'z', 'w', 0, 0, 0, 0}, 8, 0x40000000)},
    };
    for (const HostileCase& c : hostile) {
        SCOPED_TRACE(c.label);
        Put("bad.data", c.bytes);
        TestSupport::WriteFuzzSeed("package_loader", std::string("hostile_") + c.label, c.bytes);
        ZipFileHandler handler(fm_.get());
        EXPECT_FALSE(handler.Load(u"bad.data"));
        EXPECT_EQ(handler.GetCount(), 0);
        EXPECT_EQ(handler.Find(u"ab"), nullptr);
    }

    // Against the same checks, the sound ones load.
    for (const Bytes* ok : {&good, &longestOk}) {
        Put("ok.data", *ok);
        ZipFileHandler handler(fm_.get());
        EXPECT_TRUE(handler.Load(u"ok.data"));
        EXPECT_EQ(handler.GetCount(), 1);
    }

    // A broken "game.data" leaves every read to the disk.
    Put("game.data", Patched(good, dir, 0x7fffffff));
    Put("ab", "from disk");
    EXPECT_FALSE(fm_->HasDataPackage());
    EXPECT_EQ(ReadFile(*fm_, u"ab"), ToBytes("from disk"));
}

TEST_F(PackageFormat, FailedSaveKeepsThePackageItReplaces)
{
    Bytes old = BuildPackage(1, {{u"keep", ToBytes("old bytes"), 0}});
    Put("target.data", old);
    Put("present.txt", "present");
    fm_->BeginPackage(2);
    fm_->AddFileToPackage(u"present.txt", 0);
    fm_->AddFileToPackage(u"missing.txt", 0);
    EXPECT_FALSE(fm_->SavePackage(u"target.data", nullptr));
    EXPECT_EQ(TestSupport::ReadAll(At("target.data")), old);
    EXPECT_EQ(FolderNames(), (std::vector<std::string>{"present.txt", "target.data"}));

    // The build survives a failed save.
    Put("missing.txt", "now here");
    ASSERT_TRUE(fm_->SavePackage(u"target.data", nullptr));
    EXPECT_EQ(TestSupport::ReadAll(At("target.data")),
              BuildPackage(2, {{u"present.txt", ToBytes("present"), 0}, {u"missing.txt", ToBytes("now here"), 0}}));
}

TEST_F(PackageFormat, FailedWritesFailTheSaveAndTheExtraction)
{
    Bytes old = BuildPackage(1, {{u"keep", ToBytes("old bytes"), 0}});
    Bytes big = TestSupport::PseudoRandomBytes(300000, 33);
    Put("target.data", old);
    Put("big.bin", big);
    Put("src.data", BuildPackage(1, {{u"big", big, 0}}));
    fm_->BeginPackage(1);
    fm_->AddFileToPackage(u"big.bin", 0);

    // Cap the size of files this process may write, as a full disk would.
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit cap = saved;
    cap.rlim_cur = 100000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &cap), 0);
    bool savedOk = fm_->SavePackage(u"target.data", nullptr);
    bool extracted = fm_->ExtractFromPackage(u"src.data", u"big", u"out.bin");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(savedOk);
    EXPECT_FALSE(extracted);
    EXPECT_EQ(TestSupport::ReadAll(At("target.data")), old);
    EXPECT_EQ(FolderNames(), (std::vector<std::string>{"big.bin", "out.bin", "src.data", "target.data"}));

    // Without the cap both work.
    ASSERT_TRUE(fm_->SavePackage(u"target.data", nullptr));
    EXPECT_EQ(TestSupport::ReadAll(At("target.data")), BuildPackage(1, {{u"big.bin", big, 0}}));
    ASSERT_TRUE(fm_->ExtractFromPackage(u"src.data", u"big", u"out.bin"));
    EXPECT_EQ(TestSupport::ReadAll(At("out.bin")), big);
}

TEST_F(PackageFormat, SavingOverASourcePackageReadsItFirst)
{
    Bytes big = TestSupport::PseudoRandomBytes(250000, 34);
    Put("pack.data", BuildPackage(1, {{u"big", big, 0}, {u"small", ToBytes("s"), 0}}));
    Put("extra.txt", "extra");
    // Cache the package before it is replaced.
    std::unique_ptr<IFile> before(fm_->OpenInPackage(u"small", u"pack.data"));
    ASSERT_TRUE(before);

    fm_->BeginPackage(9);
    ASSERT_TRUE(fm_->AddPackageToPackage(u"pack.data"));
    fm_->AddFileToPackage(u"extra.txt", 0);
    ASSERT_TRUE(fm_->SavePackage(u"pack.data", nullptr));
    Bytes expected =
        BuildPackage(9, {{u"big", big, 0}, {u"small", ToBytes("s"), 0}, {u"extra.txt", ToBytes("extra"), 0}});
    EXPECT_EQ(TestSupport::ReadAll(At("pack.data")), expected);

    // The cached directory follows the new file.
    std::unique_ptr<IFile> extra(fm_->OpenInPackage(u"extra.txt", u"pack.data"));
    ASSERT_TRUE(extra);
    EXPECT_EQ(ReadRest(extra.get()), ToBytes("extra"));
    std::unique_ptr<IFile> bigAgain(fm_->OpenInPackage(u"big", u"pack.data"));
    ASSERT_TRUE(bigAgain);
    EXPECT_EQ(ReadRest(bigAgain.get()), big);
    // A file opened before the save still reads the bytes it was opened on.
    EXPECT_EQ(ReadRest(before.get()), ToBytes("s"));
}

TEST_F(PackageFormat, SavingOverGameDataRefreshesTheDefaultPackage)
{
    Put("game.data", BuildPackage(1, {{u"a.txt", ToBytes("first"), 0}}));
    EXPECT_EQ(ReadFile(*fm_, u"a.txt"), ToBytes("first"));
    EXPECT_EQ(fm_->GetDataVersion(), 1);
    Put("new.txt", "second");
    fm_->BeginPackage(2);
    fm_->AddFileToPackage(u"new.txt", 0);
    ASSERT_TRUE(fm_->SavePackage(u"game.data", nullptr));
    EXPECT_EQ(fm_->GetDataVersion(), 2);
    Put("new.txt", "disk");
    EXPECT_EQ(ReadFile(*fm_, u"new.txt"), ToBytes("second"));
    std::unique_ptr<IFile> gone(fm_->Open(u"a.txt", kOpenRead, 0));
    EXPECT_FALSE(gone);
}

} // namespace
