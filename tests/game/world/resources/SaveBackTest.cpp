#include "ScriptFixture.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

using namespace ScriptTest;

namespace {

const char16_t kCritical[] = u"This is a critical error! resource script data could'n be written to the file.\n"
                             u"The script is now absolutely corrupted. Sorry.";

// A real file whose writes fail, as on a full disk.
class FailingWriteFile : public IFile {
public:
    explicit FailingWriteFile(IFile* inner) : inner_(inner) {}
    const char16_t* GetName() override { return inner_->GetName(); }
    int GetSize() override { return inner_->GetSize(); }
    bool IsWriting() override { return true; }
    int Tell() override { return inner_->Tell(); }
    void Seek(int p) override { inner_->Seek(p); }
    int Skip(int d) override { return inner_->Skip(d); }
    bool BeginCompression() override { return false; }
    bool EndCompression() override { return true; }
    int Read(void*, int) override { return 0; }
    bool ReadLine(char*, int) override { return false; }
    bool Write(const void* data, int length) override
    {
        inner_->Write(data, std::min(length, 5)); // a partial write
        return false;
    }
    bool WriteString(const char16_t*) override { return false; }
    bool WriteInt(int) override { return false; }
    bool Flush() override { return inner_->Flush(); }
    void CloseAndDelete() override { inner_->CloseAndDelete(); }

private:
    std::unique_ptr<IFile> inner_;
};

const char kScript[] = "weapon \"Gun\" ( objectgfx(\"body.png\", \"body\", main) )\n";

class SaveBack : public ScriptFixture {
protected:
    SaveBack() : proxy_(files_.get()) {}

    bool LoadThroughProxy(const std::string& text, bool editMode)
    {
        Write("test.cfg", text);
        script_ = std::make_unique<ResourceScript>(&manager_, &proxy_);
        script_->SetEditMode(editMode);
        return script_->Load(u"test.cfg");
    }

    // Anything but the script left in the folder (a temporary file).
    bool TmpExists()
    {
        bool found = false;
        DIR* d = opendir(dir_.Path().c_str());
        while (dirent* e = d ? readdir(d) : nullptr)
            found = found || (std::string(e->d_name) != "." && std::string(e->d_name) != ".." &&
                              std::string(e->d_name) != "test.cfg");
        if (d)
            closedir(d);
        return found;
    }

    FakeFileManager proxy_;
};

TEST_F(SaveBack, FailedWriteKeepsTheOriginalAndShowsTheCriticalBox)
{
    ASSERT_TRUE(LoadThroughProxy(kScript, true));
    proxy_.onOpen = [this](const char16_t* path, int mode, int flags) -> IFile* {
        IFile* f = files_->Open(path, mode, flags);
        return f && mode == kOpenWrite ? new FailingWriteFile(f) : f;
    };
    EXPECT_FALSE(script_->SaveBack());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].title, u"Error!");
    EXPECT_EQ(Messages()[0].text, kCritical);
    EXPECT_EQ(Messages()[0].icon, Ui::Icon::Error);
    EXPECT_EQ(ReadText(dir_.File("test.cfg")), kScript);
    EXPECT_FALSE(TmpExists());
}

TEST_F(SaveBack, FailedRenameKeepsTheOriginal)
{
    ASSERT_TRUE(LoadThroughProxy(kScript, true));
    // While the new text is written, the script's place is taken by a
    // folder that cannot be replaced.
    proxy_.onOpen = [this](const char16_t* path, int mode, int flags) -> IFile* {
        IFile* f = files_->Open(path, mode, flags);
        EXPECT_EQ(::unlink(dir_.File("test.cfg").c_str()), 0);
        TestSupport::MakeDirs(dir_.File("test.cfg"));
        Write("test.cfg/keep", "x");
        return f;
    };
    EXPECT_FALSE(script_->SaveBack());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, kCritical);
    EXPECT_FALSE(TmpExists());
    EXPECT_EQ(ReadText(dir_.File("test.cfg/keep")), "x");
}

TEST_F(SaveBack, WriteGoesThroughTheTemporaryName)
{
    ASSERT_TRUE(LoadThroughProxy(kScript, true));
    std::vector<std::u16string> writes;
    proxy_.onOpen = [&](const char16_t* path, int mode, int flags) -> IFile* {
        if (mode == kOpenWrite) {
            writes.push_back(path);
            EXPECT_EQ(flags, kOpenReplace);
        }
        return files_->Open(path, mode, flags);
    };
    ASSERT_TRUE(script_->SaveBack());
    EXPECT_EQ(writes, (std::vector<std::u16string>{u"test.cfg"}));
    EXPECT_NE(ReadText(dir_.File("test.cfg")), kScript);
    EXPECT_FALSE(TmpExists());
}

TEST_F(SaveBack, UnopenableTargetFailsSilently)
{
    ASSERT_TRUE(LoadThroughProxy(kScript, true));
    proxy_.onOpen = [](const char16_t*, int, int) -> IFile* { return nullptr; };
    EXPECT_FALSE(script_->SaveBack());
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(ReadText(dir_.File("test.cfg")), kScript);
}

TEST_F(SaveBack, ReadsAreBoundedAndCompleteOrNothing)
{
    struct Case {
        int size;
        int available;
        bool ok;
    };
    const int kLimit = 16 * 1024 * 1024;
    const Case cases[] = {
        {-1, 0, false},
        {-2147483647 - 1, 0, false},
        {kLimit + 1, kLimit + 1, false},
        {2147483647, 0, false},
        {100, 10, false},
        {0, 0, true},
        {kLimit, kLimit, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        ResourceScript script(&manager_, &proxy_);
        proxy_.onOpen = [&](const char16_t*, int mode, int) -> IFile* {
            if (mode != kOpenRead)
                return nullptr;
            auto* file = new BytesFile(u"big.cfg", std::vector<uint8_t>(size_t(c.available), ' '));
            file->size = c.size;
            return file;
        };
        EXPECT_EQ(script.Load(u"big.cfg"), c.ok);
    }
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(manager_.Real().GetCount(), 0);
}

TEST_F(SaveBack, EditModeAsksForTheDiskCopyFirst)
{
    std::vector<int> flags;
    proxy_.onOpen = [&](const char16_t* path, int mode, int f) -> IFile* {
        flags.push_back(f);
        return files_->Open(path, mode, f);
    };
    ASSERT_TRUE(LoadThroughProxy(kScript, false));
    ASSERT_TRUE(LoadThroughProxy(kScript, true));
    EXPECT_EQ(flags, (std::vector<int>{0, kOpenNoPackage}));
}

} // namespace

namespace {

TEST_F(SaveBack, ReadOnlyScriptStaysAndPrivateOrLinkedOnesKeepTheirForm)
{
    ASSERT_TRUE(Load(kScript, true));
    ASSERT_EQ(::chmod(dir_.File("test.cfg").c_str(), 0444), 0);
    EXPECT_FALSE(script_->SaveBack());
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(ReadText(dir_.File("test.cfg")), kScript);

    // The script behind a link, readable by its owner only.
    TestSupport::MakeDirs(dir_.File("real"));
    ASSERT_EQ(::rename(dir_.File("test.cfg").c_str(), dir_.File("real/test.cfg").c_str()), 0);
    ASSERT_EQ(::chmod(dir_.File("real/test.cfg").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("real/test.cfg", dir_.File("test.cfg").c_str()), 0);
    ASSERT_TRUE(script_->SaveBack());
    struct stat st;
    ASSERT_EQ(::lstat(dir_.File("test.cfg").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat(dir_.File("real/test.cfg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(ReadText(dir_.File("real/test.cfg")), ScriptText(*script_));
    EXPECT_NE(ScriptText(*script_), kScript);
}

} // namespace
