#include "engine/files/File.h"
#include "engine/files/FileManager.h"
#include "engine/files/MemoryFile.h"
#include "engine/png/PngBuilder.h"
#include "engine/png/PngImage.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <memory>

using namespace PngTest;

namespace {

// Source pixels as the writer takes them: bytes R, G, B, A, bottom row first.
std::vector<uint32_t> RandomSource(int width, int height, uint32_t seed)
{
    Bytes bytes = TestSupport::PseudoRandomBytes(size_t(width) * height * 4, seed);
    std::vector<uint32_t> pixels(size_t(width) * height);
    std::memcpy(pixels.data(), bytes.data(), bytes.size());
    return pixels;
}

Bytes Encode(int width, int height, const std::vector<uint32_t>& pixels)
{
    MemoryFile file(0);
    PngImage image(&file);
    image.SetPixels(width, height, pixels.data());
    EXPECT_TRUE(image.Write());
    Bytes out(size_t(file.GetSize()));
    file.Seek(0);
    EXPECT_EQ(file.Read(out.data(), int(out.size())), int(out.size()));
    return out;
}

const uint8_t* Bytes4(const std::vector<uint32_t>& pixels, size_t index)
{
    return reinterpret_cast<const uint8_t*>(pixels.data() + index);
}

uint32_t ReadBE32(const Bytes& b, size_t at)
{
    return (uint32_t(b[at]) << 24) | (uint32_t(b[at + 1]) << 16) | (uint32_t(b[at + 2]) << 8) | b[at + 3];
}

// A file whose backend refuses writes after a number of bytes.
class FailingFile : public File {
public:
    explicit FailingFile(int allowed) : File(u"failing", 0), allowed_(allowed) {}
    int written = 0;

protected:
    int RawTell() override { return written; }
    void RawSeek(int) override {}
    int RawSkip(int) override { return 0; }
    int RawRead(void*, int) override { return -1; }
    bool RawWrite(const void*, int length) override
    {
        if (written + length > allowed_)
            return false;
        written += length;
        return true;
    }
    void RawClose() override {}

private:
    int allowed_;
};

} // namespace

TEST(PngWriter, OnePixelKeepsColourAndGainsOpaqueAlpha)
{
    const uint8_t rgba[4] = {12, 200, 77, 3};
    uint32_t pixel;
    std::memcpy(&pixel, rgba, 4);
    Bytes png = Encode(1, 1, {pixel});
    Decoded d = Decode(png);
    ASSERT_TRUE(d.ok);
    ASSERT_EQ(d.pixels.size(), 1u);
    EXPECT_EQ(d.pixels[0], 0xFF0CC84Du);
    TestSupport::WriteFuzzSeed("png_reader", "written_1x1.png", png);
}

// The source runs bottom to top: its last row is the file's first.
TEST(PngWriter, RoundTripKeepsOrientationAndColours)
{
    for (auto size : {std::pair<int, int>{37, 23}, {1, 5}, {64, 1}, {200, 150}}) {
        const int w = size.first, h = size.second;
        SCOPED_TRACE(w);
        std::vector<uint32_t> source = RandomSource(w, h, uint32_t(w * 7 + h));
        const uint8_t magenta[4] = {255, 0, 255, 255};
        std::memcpy(&source[0], magenta, 4); // the colour key also applies to written files
        Bytes png = Encode(w, h, source);
        Decoded d = Decode(png);
        ASSERT_TRUE(d.ok);
        ASSERT_EQ(d.width, w);
        ASSERT_EQ(d.height, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint8_t* s = Bytes4(source, size_t(h - 1 - y) * w + x);
                ASSERT_EQ(d.pixels[size_t(y) * w + x], ExpectedPixel(s[0], s[1], s[2], 255)) << x << "," << y;
            }
        EXPECT_EQ(d.pixels[size_t(h - 1) * w], 0u);
        if (w == 37)
            TestSupport::WriteFuzzSeed("png_reader", "written_37x23.png", png);
    }
}

TEST(PngWriter, WritesTheFixedLayout)
{
    const int w = 3, h = 2;
    std::vector<uint32_t> source = RandomSource(w, h, 99);
    Bytes png = Encode(w, h, source);
    ASSERT_GT(png.size(), 8u + 25 + 12 + 12);

    const Bytes signature = {137, 80, 78, 71, 13, 10, 26, 10};
    EXPECT_TRUE(std::equal(signature.begin(), signature.end(), png.begin()));
    const Bytes ihdr = {0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 0, 3, 0, 0, 0, 2, 8, 2, 0, 0, 0};
    EXPECT_TRUE(std::equal(ihdr.begin(), ihdr.end(), png.begin() + 8));
    EXPECT_EQ(ReadBE32(png, 29), uint32_t(crc32(0, png.data() + 12, 17)));

    const size_t idat = 33;
    const uint32_t n = ReadBE32(png, idat);
    ASSERT_EQ(png.size(), idat + 12 + n + 12); // one IDAT, then IEND
    EXPECT_EQ(std::string(png.begin() + idat + 4, png.begin() + idat + 8), "IDAT");
    EXPECT_EQ(ReadBE32(png, idat + 8 + n), uint32_t(crc32(0, png.data() + idat + 4, n + 4)));
    EXPECT_EQ(png[idat + 8], 0x78); // level 9, 32 KiB window
    EXPECT_EQ(png[idat + 9], 0xDA);
    const Bytes iend = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    EXPECT_TRUE(std::equal(iend.begin(), iend.end(), png.end() - 12));

    // The rows inflate to filter byte 0 and RGB, top row first.
    Bytes raw(h * (1 + w * 3) + 16);
    uLongf rawSize = uLongf(raw.size());
    ASSERT_EQ(uncompress(raw.data(), &rawSize, png.data() + idat + 8, n), Z_OK);
    ASSERT_EQ(rawSize, uLongf(h * (1 + w * 3)));
    for (int i = 0; i < h; ++i) {
        EXPECT_EQ(raw[i * (1 + w * 3)], 0);
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(raw[i * (1 + w * 3) + 1 + x * 3 + c], Bytes4(source, size_t(h - 1 - i) * w + x)[c]);
    }
}

TEST(PngWriter, FailedWritesAndMissingPixelsReturnFalse)
{
    std::vector<uint32_t> source = RandomSource(16, 16, 4);
    for (int allowed : {0, 8, 20, 40, 60}) {
        FailingFile file(allowed);
        PngImage image(&file);
        image.SetPixels(16, 16, source.data());
        EXPECT_FALSE(image.Write()) << allowed;
    }
    // The same picture fits when the file takes everything.
    FailingFile roomy(1 << 20);
    PngImage fits(&roomy);
    fits.SetPixels(16, 16, source.data());
    EXPECT_TRUE(fits.Write());

    MemoryFile file(0);
    PngImage image(&file);
    EXPECT_FALSE(image.Write());
    for (auto args : {std::pair<int, int>{0, 4}, {4, 0}, {-1, 4}, {PngImage::kMaxDimension + 1, 1}}) {
        image.SetPixels(args.first, args.second, source.data());
        EXPECT_EQ(image.GetPixels(), nullptr);
        EXPECT_EQ(image.GetWidth(), 0);
        EXPECT_FALSE(image.Write());
    }
    image.SetPixels(4, 4, nullptr);
    EXPECT_FALSE(image.Write());
    EXPECT_EQ(file.GetSize(), 0);
}

// The engine hands the codec the file manager's memory files.
TEST(PngWriter, RoundTripThroughFileManagerMemoryFile)
{
    FileManager manager;
    std::unique_ptr<IFile> file(manager.CreateMemoryFile(0));
    ASSERT_TRUE(file);
    std::vector<uint32_t> source = RandomSource(512, 512, 8);
    PngImage writer(file.get());
    writer.SetPixels(512, 512, source.data());
    ASSERT_TRUE(writer.Write());
    ASSERT_TRUE(file->Flush());

    file->Seek(0);
    PngImage header(file.get());
    ASSERT_TRUE(header.Read(false));
    EXPECT_EQ(header.GetWidth(), 512);
    EXPECT_EQ(header.GetPixels(), nullptr);

    file->Seek(0);
    PngImage reader(file.get());
    ASSERT_TRUE(reader.Read(true));
    const uint8_t* s = Bytes4(source, 511 * 512 + 5);
    EXPECT_EQ(reader.GetPixels()[5], ExpectedPixel(s[0], s[1], s[2], 255));
}
