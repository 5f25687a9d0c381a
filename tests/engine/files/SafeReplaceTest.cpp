#include "FilesTestUtil.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

using namespace FilesTest;

namespace {

class SafeReplace : public ::testing::Test, protected GameDirTest {
protected:
    mode_t ModeOf(const std::string& name)
    {
        struct stat st;
        return ::stat(At(name).c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
    }
    size_t FolderSize(const std::string& folder = "")
    {
        size_t n = 0;
        for (const auto& e : std::filesystem::directory_iterator(At(folder))) {
            (void)e;
            ++n;
        }
        return n;
    }
    void BuildOneEntry()
    {
        fm_->BeginPackage(5);
        fm_->AddFileToPackage(u"entry.txt", 0);
    }
};

TEST_F(SafeReplace, PackageSaveRefusesReadOnlyKeepsModeAndWritesThroughLinks)
{
    Put("entry.txt", "new");
    Bytes expected = BuildPackage(5, {{u"entry.txt", ToBytes("new"), 0}});

    Put("locked.data", "old");
    ASSERT_EQ(::chmod(At("locked.data").c_str(), 0444), 0);
    BuildOneEntry();
    EXPECT_FALSE(fm_->SavePackage(u"locked.data", nullptr));
    EXPECT_EQ(TestSupport::ReadAll(At("locked.data")), ToBytes("old"));
    EXPECT_EQ(FolderSize(), 2u);

    Put("private.data", "old");
    ASSERT_EQ(::chmod(At("private.data").c_str(), 0600), 0);
    ASSERT_TRUE(fm_->SavePackage(u"private.data", nullptr)); // the build survived the refusal
    EXPECT_EQ(ModeOf("private.data"), 0600u);
    EXPECT_EQ(TestSupport::ReadAll(At("private.data")), expected);

    // A link to a link to the package, and a link to a file not there yet.
    Put("store/real.data", "old");
    ASSERT_EQ(::chmod(At("store/real.data").c_str(), 0640), 0);
    ASSERT_EQ(::symlink("store/real.data", At("inner.data").c_str()), 0);
    ASSERT_EQ(::symlink(At("inner.data").c_str(), At("outer.data").c_str()), 0);
    ASSERT_EQ(::symlink("store/fresh.data", At("dangling.data").c_str()), 0);
    BuildOneEntry();
    ASSERT_TRUE(fm_->SavePackage(u"outer.data", nullptr));
    BuildOneEntry();
    ASSERT_TRUE(fm_->SavePackage(u"dangling.data", nullptr));
    struct stat st;
    for (const char* link : {"inner.data", "outer.data", "dangling.data"}) {
        ASSERT_EQ(::lstat(At(link).c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode)) << link;
    }
    EXPECT_EQ(TestSupport::ReadAll(At("store/real.data")), expected);
    EXPECT_EQ(ModeOf("store/real.data"), 0640u);
    EXPECT_EQ(TestSupport::ReadAll(At("store/fresh.data")), expected);
    EXPECT_EQ(FolderSize("store"), 2u);
}

// Root may open any file, so the check of what an ordinary user may do
// runs in a child that gave up its privileges.
TEST_F(SafeReplace, UserWhoMayNotWriteTheFileLeavesItAlone)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to drop privileges";
    Put("theirs.opt", "theirs");
    ASSERT_EQ(::chmod(At("theirs.opt").c_str(), 0644), 0);
    ASSERT_EQ(::chmod(dir_.Path().c_str(), 0777), 0); // the folder would take a temporary
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(10);
        std::unique_ptr<IFile> refused(fm_->Open(u"theirs.opt", kOpenWrite, kOpenReplace));
        if (refused)
            _exit(11);
        std::unique_ptr<IFile> mine(fm_->Open(u"mine.opt", kOpenWrite, kOpenReplace));
        if (!mine || !mine->Write("mine", 4) || !mine->Flush())
            _exit(12);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(TestSupport::ReadAll(At("theirs.opt")), ToBytes("theirs"));
    EXPECT_EQ(TestSupport::ReadAll(At("mine.opt")), ToBytes("mine"));
    EXPECT_EQ(FolderSize(), 2u);
}

} // namespace
