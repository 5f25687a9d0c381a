#include "FilesTestUtil.h"

#include "engine/core/StringKit.h"
#include "engine/files/MemoryFile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

using namespace FilesTest;

namespace {

class FileStream : public ::testing::Test, protected GameDirTest {};

struct LineCase {
    const char* label;
    std::string input;
    int size;
    // Each expected ReadLine: the text, and whether it returned true.
    std::vector<std::pair<std::string, bool>> lines;
};

TEST_F(FileStream, ReadLineTable)
{
    const std::vector<LineCase> cases = {
        {"crlf_and_blank", "ab\r\ncd\n\n", 64, {{"ab", true}, {"cd", true}, {"", false}}},
        {"last_line_unterminated", "ab\ncd", 64, {{"ab", true}, {"cd", false}}},
        {"only_unterminated", "abc", 64, {{"abc", false}}},
        {"final_line_end_keeps_line", "ab\n", 64, {{"ab", true}, {"", false}}},
        {"leading_line_ends", "\r\n\r\nx\ny", 64, {{"x", true}, {"y", false}}},
        {"lone_cr_steps_back", "a\rb\r", 64, {{"a", true}, {"b", true}}},
        {"lf_cr_pair", "a\n\rb\n", 64, {{"a", true}, {"b", true}}},
        {"buffer_full", "abcdef\n", 4, {{"abc", true}, {"def", true}, {"", false}}},
        {"empty", "", 64, {{"", false}}},
        {"size_one", "abc\n", 1, {{"", false}}},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.label);
        Put("lines.txt", c.input);
        std::unique_ptr<IFile> f(fm_->Open(u"lines.txt", kOpenRead, 0));
        ASSERT_TRUE(f);
        for (const auto& [text, ok] : c.lines) {
            char buf[64] = "junk";
            EXPECT_EQ(f->ReadLine(buf, c.size), ok);
            EXPECT_EQ(std::string(buf), text);
        }
    }
}

TEST_F(FileStream, TypedWritesAreLittleEndian)
{
    MemoryFile f(0);
    ASSERT_TRUE(f.WriteString(u""));
    ASSERT_TRUE(f.WriteString(u"A\u00e9\u4e2d"));
    ASSERT_TRUE(f.WriteInt(-2));
    ASSERT_TRUE(f.WriteInt(0x01020304));
    f.Seek(0);
    Bytes expected = {0, 0, 'A', 0, 0xE9, 0, 0x2D, 0x4E, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 4, 3, 2, 1};
    EXPECT_EQ(ReadRest(&f), expected);
}

TEST_F(FileStream, MemoryFileAppendsWhateverThePosition)
{
    IFile* made = fm_->CreateMemoryFile(0);
    std::unique_ptr<IFile> f(made);
    EXPECT_EQ(Util::Narrow(f->GetName()), "MemoryFile");
    ASSERT_TRUE(f->Write("abc", 3));
    f->Seek(0);
    ASSERT_TRUE(f->Write("def", 3));
    EXPECT_EQ(f->Tell(), 6);
    f->Seek(0);
    EXPECT_EQ(ReadRest(f.get()), ToBytes("abcdef"));
    EXPECT_FALSE(f->IsWriting());
    ASSERT_TRUE(f->Write("g", 1));
    EXPECT_TRUE(f->IsWriting());
}

TEST_F(FileStream, MemoryFileGrowsAndClampsPositions)
{
    MemoryFile f(10);
    Bytes data = TestSupport::PseudoRandomBytes(1200000, 21);
    for (size_t at = 0; at < data.size(); at += 100000)
        ASSERT_TRUE(f.Write(data.data() + at, int(std::min<size_t>(100000, data.size() - at))));
    ASSERT_TRUE(f.Write(data.data(), 600000)); // one write larger than the growth step
    EXPECT_EQ(f.GetSize(), 1800000);

    f.Seek(-5);
    EXPECT_EQ(f.Tell(), 0);
    Bytes back = ReadRest(&f, 70001);
    ASSERT_EQ(back.size(), 1800000u);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), back.begin()));
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + 600000, back.begin() + 1200000));

    f.Seek(1 << 30);
    EXPECT_EQ(f.Tell(), 1800000);
    uint8_t b;
    EXPECT_EQ(f.Read(&b, 1), 0);
    EXPECT_EQ(f.Skip(-2000000), -1800000);
    EXPECT_EQ(f.Tell(), 0);
    EXPECT_EQ(f.Skip(5), 5);
    ASSERT_EQ(f.Read(&b, 1), 1);
    EXPECT_EQ(b, data[5]);
}

TEST_F(FileStream, PackageEntryStaysInsideItsBytes)
{
    Put("p.data", BuildPackage(1, {{u"a", ToBytes("0123456789"), 0}, {u"b", ToBytes("OTHER"), 0}}));
    std::unique_ptr<IFile> f(fm_->OpenInPackage(u"a", u"p.data"));
    ASSERT_TRUE(f);
    EXPECT_EQ(f->GetSize(), 10);
    EXPECT_FALSE(f->IsWriting());
    char buf[32] = {};
    EXPECT_EQ(f->Read(buf, 32), 10);
    EXPECT_EQ(std::string(buf, 10), "0123456789");
    EXPECT_EQ(f->Read(buf, 32), 0);

    f->Seek(100);
    EXPECT_EQ(f->Tell(), 10);
    f->Seek(-3);
    EXPECT_EQ(f->Tell(), 0);
    f->Skip(7);
    EXPECT_EQ(f->Tell(), 7);
    EXPECT_EQ(f->Read(buf, 32), 3);
    EXPECT_EQ(std::string(buf, 3), "789");
    f->Skip(-100);
    EXPECT_EQ(f->Tell(), 0);
    EXPECT_EQ(f->Read(buf, 2), 2);
    EXPECT_EQ(std::string(buf, 2), "01");
    f->Skip(100);
    EXPECT_EQ(f->Read(buf, 32), 0);
}

TEST_F(FileStream, DiskFileBasics)
{
    Put("plain.bin", "hello world");
    std::unique_ptr<IFile> f(fm_->Open(u"plain.bin", kOpenRead, 0));
    ASSERT_TRUE(f);
    EXPECT_EQ(f->GetSize(), 11);
    EXPECT_FALSE(f->IsWriting());
    EXPECT_EQ(Util::Narrow(f->GetName()), "plain.bin");
    f->Seek(6);
    EXPECT_EQ(f->Tell(), 6);
    EXPECT_EQ(f->Skip(-2), 4);
    EXPECT_EQ(ReadRest(f.get()), ToBytes("o world"));
    EXPECT_EQ(f->Tell(), 11);
    char c;
    EXPECT_EQ(f->Read(&c, -1), 0);
    EXPECT_FALSE(f->Write(&c, 1)); // opened for reading
}

TEST_F(FileStream, FailedRelativeMoveReturnsMinusOne)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ASSERT_EQ(::write(fds[1], "xyz", 3), 3);
    {
        std::unique_ptr<IFile> f(fm_->OpenHandle(fds[0], false, 0));
        ASSERT_TRUE(f);
        EXPECT_EQ(f->Skip(1), -1);
        char buf[3];
        EXPECT_EQ(f->Read(buf, 3), 3);
        EXPECT_EQ(std::string(buf, 3), "xyz");
    }
    // The handle is still the caller's.
    EXPECT_NE(fcntl(fds[0], F_GETFD), -1);
    ::close(fds[0]);
    ::close(fds[1]);
}

TEST_F(FileStream, CloseAndDeleteRemovesTheDiskFile)
{
    IFile* f = fm_->Open(u"gone.txt", kOpenWrite, 0);
    ASSERT_TRUE(f);
    ASSERT_TRUE(f->Write("x", 1));
    f->CloseAndDelete();
    EXPECT_FALSE(f->Write("x", 1));
    delete f;
    EXPECT_FALSE(fm_->FileExists(u"gone.txt"));
}

} // namespace
