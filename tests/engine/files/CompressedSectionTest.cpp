#include "FilesTestUtil.h"

#include "engine/core/StringKit.h"
#include "engine/files/File.h"
#include "engine/files/MemoryFile.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <fcntl.h>
#include <unistd.h>

using namespace FilesTest;

namespace {

const Bytes kHead = ToBytes("HEAD");
const Bytes kTrailer = ToBytes("TRAILER!");

// Writes HEAD, a compressed section of data (in uneven pieces so writes
// straddle the block edges) and a plain trailer.
void WriteSectionFile(IFile* f, const Bytes& data)
{
    ASSERT_TRUE(f->Write(kHead.data(), int(kHead.size())));
    ASSERT_TRUE(f->BeginCompression());
    size_t at = 0;
    size_t piece = 7777;
    while (at < data.size()) {
        size_t n = std::min(piece, data.size() - at);
        ASSERT_TRUE(f->Write(data.data() + at, int(n)));
        at += n;
        piece = piece == 7777 ? 3001 : 7777;
    }
    ASSERT_TRUE(f->EndCompression());
    ASSERT_TRUE(f->Write(kTrailer.data(), int(kTrailer.size())));
}

// Reads the layout back: the section in reads of readChunk bytes, then the
// trailer after the section has been ended.
void CheckSectionFile(IFile* f, const Bytes& data, int readChunk)
{
    Bytes head(kHead.size());
    ASSERT_EQ(f->Read(head.data(), int(head.size())), int(head.size()));
    ASSERT_EQ(head, kHead);
    ASSERT_TRUE(f->BeginCompression());
    Bytes got;
    Bytes buf(static_cast<size_t>(readChunk));
    while (got.size() < data.size()) {
        int want = int(std::min(buf.size(), data.size() - got.size()));
        int n = f->Read(buf.data(), want);
        ASSERT_EQ(n, want) << "after " << got.size() << " bytes";
        got.insert(got.end(), buf.begin(), buf.begin() + n);
    }
    ASSERT_TRUE(got == data);
    ASSERT_TRUE(f->EndCompression());
    EXPECT_EQ(ReadRest(f), kTrailer);
}

// The section's own bytes decode with zlib alone.
void CheckWithUncompress(const Bytes& file, const Bytes& data)
{
    ASSERT_GT(file.size(), kHead.size() + kTrailer.size());
    const uint8_t* section = file.data() + kHead.size();
    uLong sectionSize = uLong(file.size() - kHead.size() - kTrailer.size());
    EXPECT_TRUE(std::equal(kTrailer.begin(), kTrailer.end(), file.end() - kTrailer.size()));
    Bytes out(data.size() + 1);
    uLongf outSize = uLongf(out.size());
    ASSERT_EQ(uncompress(out.data(), &outSize, section, sectionSize), Z_OK);
    ASSERT_EQ(outSize, data.size());
    EXPECT_TRUE(std::equal(data.begin(), data.end(), out.begin()));
}

struct SectionCase {
    const char* label;
    Bytes data;
};

std::vector<SectionCase> SectionCases()
{
    Bytes text;
    while (text.size() < 70000) {
        const char* words[] = {"tile ", "wall ", "floor ", "flag ", "team\n"};
        const char* w = words[(text.size() * 7 + text.size() / 13) % 5];
        text.insert(text.end(), w, w + std::strlen(w));
    }
    return {
        {"empty", Bytes()},
        {"one", Bytes{0x42}},
        {"block_minus_one", TestSupport::PseudoRandomBytes(10239, 1)},
        {"one_block", TestSupport::PseudoRandomBytes(10240, 2)},
        {"two_blocks", TestSupport::PseudoRandomBytes(20480, 3)},
        {"random_300k", TestSupport::PseudoRandomBytes(300 * 1024 + 17, 4)},
        {"zeros_3mib", Bytes(3 * 1024 * 1024, 0)},
        {"text", text},
    };
}

class CompressedSection : public ::testing::Test, protected GameDirTest {};

TEST_F(CompressedSection, MemoryFileRoundTripsAcrossBlockEdges)
{
    for (const SectionCase& c : SectionCases()) {
        SCOPED_TRACE(c.label);
        MemoryFile f(0);
        WriteSectionFile(&f, c.data);
        int size = f.GetSize();
        Bytes raw(static_cast<size_t>(size));
        f.Seek(0);
        ASSERT_EQ(f.Read(raw.data(), size), size);
        CheckWithUncompress(raw, c.data);
        if (c.data.size() < 400000) {
            // The target's first byte: plain bytes before the section
            // (low four bits) and small reads (0x80).
            for (uint8_t lead : {uint8_t(kHead.size()), uint8_t(0x80 | kHead.size())}) {
                Bytes seed{lead};
                seed.insert(seed.end(), raw.begin(), raw.end());
                TestSupport::WriteFuzzSeed("compressed_section",
                                           std::string("section_") + c.label + (lead & 0x80 ? "_small" : ""), seed);
            }
        }
        for (int chunk : {1000, 65536, 3 * 1024 * 1024}) {
            if (chunk == 1000 && c.data.size() > 400000)
                continue;
            f.Seek(0);
            CheckSectionFile(&f, c.data, chunk);
        }
    }
}

TEST_F(CompressedSection, DiskFileRoundTripsAcrossBlockEdges)
{
    for (const SectionCase& c : SectionCases()) {
        SCOPED_TRACE(c.label);
        {
            std::unique_ptr<IFile> out(fm_->Open(u"section.bin", kOpenWrite, 0));
            ASSERT_TRUE(out);
            WriteSectionFile(out.get(), c.data);
        }
        CheckWithUncompress(TestSupport::ReadAll(At("section.bin")), c.data);
        std::unique_ptr<IFile> in(fm_->Open(u"section.bin", kOpenRead, 0));
        ASSERT_TRUE(in);
        CheckSectionFile(in.get(), c.data, 65536);
    }
}

TEST_F(CompressedSection, ReadPastTheSectionEndTakesThePlainBytes)
{
    Bytes data = TestSupport::PseudoRandomBytes(25000, 9);
    MemoryFile f(0);
    WriteSectionFile(&f, data);
    f.Seek(int(kHead.size()));
    ASSERT_TRUE(f.BeginCompression());
    Bytes buf(data.size() + 100);
    int n = f.Read(buf.data(), int(buf.size()));
    ASSERT_EQ(n, int(data.size() + kTrailer.size()));
    EXPECT_TRUE(std::equal(data.begin(), data.end(), buf.begin()));
    EXPECT_TRUE(std::equal(kTrailer.begin(), kTrailer.end(), buf.begin() + data.size()));
}

TEST_F(CompressedSection, SeekMakesAWrittenMemoryFileReadable)
{
    // Just written, then moved: the section begun now must read, and
    // ending it must not append a new one.
    Bytes data = TestSupport::PseudoRandomBytes(70000, 10);
    MemoryFile f(0);
    ASSERT_TRUE(f.BeginCompression());
    ASSERT_TRUE(f.Write(data.data(), int(data.size())));
    ASSERT_TRUE(f.EndCompression());
    ASSERT_TRUE(f.Write(kTrailer.data(), int(kTrailer.size())));
    int written = f.GetSize();
    f.Seek(0);
    EXPECT_FALSE(f.IsWriting());
    ASSERT_TRUE(f.BeginCompression());
    Bytes got(data.size());
    ASSERT_EQ(f.Read(got.data(), int(got.size())), int(got.size()));
    EXPECT_TRUE(got == data);
    ASSERT_TRUE(f.EndCompression());
    EXPECT_EQ(ReadRest(&f), kTrailer);
    EXPECT_EQ(f.GetSize(), written);
}

TEST_F(CompressedSection, SeveralSectionsInOneFile)
{
    Bytes a = TestSupport::PseudoRandomBytes(30000, 5);
    Bytes b(50000, 7);
    Bytes c = TestSupport::PseudoRandomBytes(10240, 6);
    {
        std::unique_ptr<IFile> out(fm_->Open(u"multi.bin", kOpenWrite, 0));
        ASSERT_TRUE(out);
        for (const Bytes* part : {&a, &b, &c}) {
            ASSERT_TRUE(out->WriteInt(int(part->size())));
            ASSERT_TRUE(out->BeginCompression());
            ASSERT_TRUE(out->Write(part->data(), int(part->size())));
            ASSERT_TRUE(out->EndCompression());
        }
        ASSERT_TRUE(out->WriteInt(0x12345678));
    }
    std::unique_ptr<IFile> in(fm_->Open(u"multi.bin", kOpenRead, 0));
    ASSERT_TRUE(in);
    for (const Bytes* part : {&a, &b, &c}) {
        int32_t size = 0;
        ASSERT_EQ(in->Read(&size, 4), 4);
        ASSERT_EQ(size_t(size), part->size());
        ASSERT_TRUE(in->BeginCompression());
        Bytes got(part->size());
        ASSERT_EQ(in->Read(got.data(), size), size);
        EXPECT_TRUE(got == *part);
        ASSERT_TRUE(in->EndCompression());
    }
    uint8_t tail[4];
    ASSERT_EQ(in->Read(tail, 4), 4);
    EXPECT_EQ(tail[0] | (tail[1] << 8) | (tail[2] << 16) | (uint32_t(tail[3]) << 24), 0x12345678u);
}

TEST_F(CompressedSection, ReadsThroughAPackageEntry)
{
    // Two entries back to back: the step back at the end of the section
    // must land inside the first entry, not in the package.
    int round = 0;
    for (const Bytes& data : {TestSupport::PseudoRandomBytes(300000, 8), Bytes(3 * 1024 * 1024, 0)}) {
        // Packages are cached by path: a new name for each.
        std::u16string package = u"p" + Util::IntToString16(++round) + u".data";
        MemoryFile f(0);
        WriteSectionFile(&f, data);
        Bytes entry(static_cast<size_t>(f.GetSize()));
        f.Seek(0);
        ASSERT_EQ(f.Read(entry.data(), int(entry.size())), int(entry.size()));
        Bytes pkg = BuildPackage(1, {{u"sec.bin", entry, 0}, {u"next.bin", ToBytes("NEXT ENTRY"), 0}});
        Put(Util::ToOs(package), pkg);

        std::unique_ptr<IFile> in(fm_->OpenInPackage(u"sec.bin", package.c_str()));
        ASSERT_TRUE(in);
        CheckSectionFile(in.get(), data, 65536);
        EXPECT_EQ(in->Read(entry.data(), 10), 0);
    }
}

TEST_F(CompressedSection, DamagedSectionsEndShort)
{
    Bytes data = TestSupport::PseudoRandomBytes(200000, 11);
    MemoryFile good(0);
    ASSERT_TRUE(good.BeginCompression());
    ASSERT_TRUE(good.Write(data.data(), int(data.size())));
    ASSERT_TRUE(good.EndCompression());
    Bytes raw(static_cast<size_t>(good.GetSize()));
    good.Seek(0);
    ASSERT_EQ(good.Read(raw.data(), int(raw.size())), int(raw.size()));

    Bytes truncated(raw.begin(), raw.begin() + raw.size() / 2);
    Bytes corrupted = raw;
    for (size_t i = 100; i < 400; ++i)
        corrupted[i] ^= 0x5A;
    Bytes garbage = TestSupport::PseudoRandomBytes(5000, 12);
    Bytes badHeader = raw;
    badHeader[0] = 0x00;

    struct Damaged {
        const Bytes* input;
        bool mustBeShort; // damaged stored data still comes out whole
    };
    for (const Damaged& d :
         {Damaged{&truncated, true}, Damaged{&corrupted, false}, Damaged{&garbage, true}, Damaged{&badHeader, true}}) {
        const Bytes* input = d.input;
        MemoryFile f(0);
        ASSERT_TRUE(f.Write(input->data(), int(input->size())));
        f.Seek(0);
        ASSERT_TRUE(f.BeginCompression());
        Bytes buf(data.size());
        int total = 0;
        for (int n; (n = f.Read(buf.data(), 4096)) > 0;)
            total += n;
        EXPECT_LE(total, int(data.size()));
        if (d.mustBeShort) {
            EXPECT_LT(total, int(data.size()));
        }
        EXPECT_TRUE(f.EndCompression());
    }
    Bytes seed{0};
    seed.insert(seed.end(), truncated.begin(), truncated.end());
    TestSupport::WriteFuzzSeed("compressed_section", "truncated", seed);
}

TEST_F(CompressedSection, FailedBackendWritesAreReported)
{
    int fd = ::open("/dev/full", O_WRONLY);
    if (fd < 0)
        GTEST_SKIP() << "no /dev/full";
    Bytes data = TestSupport::PseudoRandomBytes(30000, 13);
    {
        std::unique_ptr<IFile> f(fm_->OpenHandle(fd, true, 0));
        ASSERT_TRUE(f);
        ASSERT_TRUE(f->BeginCompression());
        EXPECT_FALSE(f->Write(data.data(), int(data.size())));
        EXPECT_FALSE(f->EndCompression());
    }
    {
        // A section whose only output comes at the end fails there.
        std::unique_ptr<IFile> f(fm_->OpenHandle(fd, true, 0));
        ASSERT_TRUE(f->BeginCompression());
        EXPECT_TRUE(f->Write(data.data(), 100));
        EXPECT_FALSE(f->Flush());
    }
    ::close(fd);
}

TEST_F(CompressedSection, NonPositiveLengthsDoNothing)
{
    MemoryFile f(0);
    uint8_t b[4] = {1, 2, 3, 4};
    ASSERT_TRUE(f.BeginCompression());
    EXPECT_FALSE(f.Write(b, -1));
    EXPECT_TRUE(f.Write(b, 0));
    EXPECT_TRUE(f.Write(b, 4));
    ASSERT_TRUE(f.EndCompression());
    f.Seek(0);
    ASSERT_TRUE(f.BeginCompression());
    EXPECT_EQ(f.Read(b, -5), 0);
    EXPECT_EQ(f.Read(b, 0), 0);
    EXPECT_EQ(f.Read(b, 4), 4);
    EXPECT_EQ(b[3], 4);
    char line[16];
    EXPECT_FALSE(f.ReadLine(line, sizeof line)); // no lines inside a section
}

} // namespace
