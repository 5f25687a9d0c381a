#include "engine/png/PngBuilder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

using namespace PngTest;

namespace {

struct Format {
    uint8_t colorType;
    uint8_t bitDepth;
    const char* name;
};
const Format kSupported[] = {{0, 8, "grey8"}, {0, 16, "grey16"}, {2, 8, "rgb8"}, {6, 8, "rgba8"}};

void PutBE32(Bytes& b, size_t at, uint32_t v)
{
    b[at] = uint8_t(v >> 24);
    b[at + 1] = uint8_t(v >> 16);
    b[at + 2] = uint8_t(v >> 8);
    b[at + 3] = uint8_t(v);
}

// Offset of the first chunk of that type in a built file.
size_t FindChunk(const Bytes& png, const char* type)
{
    for (size_t at = 8; at + 8 <= png.size();) {
        uint32_t length =
            (uint32_t(png[at]) << 24) | (uint32_t(png[at + 1]) << 16) | (uint32_t(png[at + 2]) << 8) | png[at + 3];
        if (std::equal(type, type + 4, png.begin() + at + 4))
            return at;
        at += 12 + length;
    }
    return std::string::npos;
}

} // namespace

// Every supported format, every filter (alone and mixed row by row), with and
// without interlacing, at sizes where Adam7 passes come out empty.
TEST(PngReader, DecodesEveryFormatFilterAndInterlace)
{
    const int sizes[][2] = {{1, 1}, {3, 3}, {8, 8}, {13, 7}, {33, 17}, {2, 9}};
    uint32_t seed = 1;
    for (const Format& f : kSupported) {
        for (bool interlaced : {false, true}) {
            for (int filter = 0; filter <= 5; ++filter) {
                for (auto& size : sizes) {
                    Picture picture = RandomPicture(size[0], size[1], f.colorType, f.bitDepth, seed++);
                    FilterChoice filters = filter < 5 ? AlwaysFilter(filter) : CyclingFilters();
                    Bytes png = BuildPng(picture, interlaced, filters);
                    std::string name = std::string(f.name) + (interlaced ? "_adam7" : "") + "_filter" +
                                       std::to_string(filter) + "_" + std::to_string(size[0]) + "x" +
                                       std::to_string(size[1]);
                    SCOPED_TRACE(name);
                    Decoded d = Decode(png);
                    ASSERT_TRUE(d.ok);
                    EXPECT_EQ(d.width, size[0]);
                    EXPECT_EQ(d.height, size[1]);
                    EXPECT_EQ(d.pixels, ExpectedPixels(picture));
                    if (size[0] == 13)
                        TestSupport::WriteFuzzSeed("png_reader", name + ".png", png);
                }
            }
        }
    }
}

// Samples of 0..2 make the Paeth distances tie often; values near 255 make
// left + up overflow a byte in the Average filter.
TEST(PngReader, PaethTiesAndAverageOverflow)
{
    for (int variant = 0; variant < 2; ++variant) {
        Picture picture = RandomPicture(19, 11, 6, 8, 77 + variant);
        for (uint8_t& s : picture.samples)
            s = variant == 0 ? uint8_t(s % 3) : uint8_t(250 + s % 6);
        for (int filter : {3, 4}) {
            SCOPED_TRACE(variant * 10 + filter);
            Decoded d = Decode(BuildPng(picture, false, AlwaysFilter(filter)));
            ASSERT_TRUE(d.ok);
            EXPECT_EQ(d.pixels, ExpectedPixels(picture));
        }
    }
}

TEST(PngReader, ColourKeyAndTransparentPixels)
{
    struct Case {
        uint8_t colorType;
        Bytes sample;
        uint32_t expected;
    };
    const Case cases[] = {
        {6, {255, 0, 255, 128}, 0},           // magenta, whatever its alpha
        {6, {255, 0, 254, 255}, 0xFFFF00FEu}, // next to magenta stays
        {6, {10, 20, 30, 0}, 0},              // alpha 0 clears the colour
        {6, {10, 20, 30, 1}, 0x010A141Eu},
        {2, {255, 0, 255}, 0},
        {2, {1, 2, 3}, 0xFF010203u},
        {0, {255}, 0xFFFFFFFFu},
        {0, {0}, 0xFF000000u},
    };
    for (const Case& c : cases) {
        Picture picture;
        picture.width = picture.height = 1;
        picture.colorType = c.colorType;
        picture.samples = c.sample;
        Decoded d = Decode(BuildPng(picture, false, AlwaysFilter(0)));
        ASSERT_TRUE(d.ok);
        ASSERT_EQ(d.pixels.size(), 1u);
        EXPECT_EQ(d.pixels[0], c.expected) << int(c.colorType) << " " << int(c.sample[0]);
    }
}

// Image data split over several IDAT chunks (as ordinary encoders write it)
// decodes as the concatenation, down to one byte a chunk.
TEST(PngReader, ImageDataOverSeveralIdatChunks)
{
    Picture picture = RandomPicture(40, 30, 6, 8, 5);
    Bytes zlib = Zlib(Scanlines(picture, false, CyclingFilters()));
    Bytes header = HeaderData(40, 30, 8, 6);
    for (size_t split : {size_t(1), size_t(7), size_t(100), size_t(1000), zlib.size() - 1}) {
        SCOPED_TRACE(split);
        Bytes png = Assemble(header, zlib, split);
        Decoded d = Decode(png);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.pixels, ExpectedPixels(picture));
        if (split == 100)
            TestSupport::WriteFuzzSeed("png_reader", "multi_idat.png", png);
    }

    // Empty IDAT chunks in the run, and other chunks before and after it.
    Bytes png = Signature();
    for (const Bytes& chunk :
         {Chunk("IHDR", header), Chunk("tEXt", Bytes(20, 'x')), Chunk("IDAT", {}),
          Chunk("IDAT", Bytes(zlib.begin(), zlib.begin() + 50)), Chunk("IDAT", {}),
          Chunk("IDAT", Bytes(zlib.begin() + 50, zlib.end())), Chunk("tIME", Bytes(7, 1)), Chunk("IEND", {})})
        png.insert(png.end(), chunk.begin(), chunk.end());
    Decoded d = Decode(png);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, ExpectedPixels(picture));
}

TEST(PngReader, HeaderOnlyRead)
{
    Picture picture = RandomPicture(21, 5, 3, 8, 9); // a palette picture: the header read does not mind
    Bytes png = BuildPng(picture, false, AlwaysFilter(0));
    Decoded d = Decode(png, false);
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.width, 21);
    EXPECT_EQ(d.height, 5);
    EXPECT_TRUE(d.pixels.empty());
    TestSupport::WriteFuzzSeed("png_reader", "palette.png", png);

    // Nothing after the header is looked at.
    Bytes cut(png.begin(), png.begin() + 8 + 25);
    d = Decode(cut, false);
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.width, 21);

    // No IHDR before IEND: true, size unset.
    Bytes bare = Signature();
    for (const Bytes& chunk : {Chunk("tEXt", Bytes(3, 'a')), Chunk("IEND", {})})
        bare.insert(bare.end(), chunk.begin(), chunk.end());
    d = Decode(bare, false);
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.width, 0);
    EXPECT_EQ(d.height, 0);
    EXPECT_FALSE(Decode(bare, true).ok);

    // A size no caller could allocate is refused even here.
    Bytes huge = Assemble(HeaderData(0x80000000u, 0x80000000u, 8, 6), Zlib(Bytes(1)), 0);
    EXPECT_FALSE(Decode(huge, false).ok);
}

// Headers the reader does not take: unsupported formats, bad field values,
// sizes that would overflow or exhaust memory.
TEST(PngReader, RefusesUnsupportedOrBadHeaders)
{
    struct Case {
        const char* name;
        uint32_t width, height;
        uint8_t depth, colorType, compression, filterMethod, interlace;
    };
    const Case cases[] = {
        {"palette", 4, 4, 8, 3, 0, 0, 0},
        {"grey_alpha", 4, 4, 8, 4, 0, 0, 0},
        {"rgb16", 4, 4, 16, 2, 0, 0, 0},
        {"rgba16", 4, 4, 16, 6, 0, 0, 0},
        {"grey1", 4, 4, 1, 0, 0, 0, 0},
        {"grey2", 4, 4, 2, 0, 0, 0, 0},
        {"grey4", 4, 4, 4, 0, 0, 0, 0},
        {"depth255", 4, 4, 255, 6, 0, 0, 0},
        {"depth0", 4, 4, 0, 0, 0, 0, 0},
        {"colour7", 4, 4, 8, 7, 0, 0, 0},
        {"compression1", 4, 4, 8, 6, 1, 0, 0},
        {"filter_method1", 4, 4, 8, 6, 0, 1, 0},
        {"interlace2", 4, 4, 8, 6, 0, 0, 2},
        {"width0", 0, 4, 8, 6, 0, 0, 0},
        {"height0", 4, 0, 8, 6, 0, 0, 0},
        {"width_negative", 0x80000000u, 1, 8, 6, 0, 0, 0},
        {"width_over_limit", 16385, 1, 8, 6, 0, 0, 0},
        {"pixel_count_over_limit", 16384, 8193, 8, 6, 0, 0, 0},
        {"product_wraps_32_bits", 65536, 65536, 8, 6, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes header = HeaderData(c.width, c.height, c.depth, c.colorType, c.interlace);
        header[10] = c.compression;
        header[11] = c.filterMethod;
        // Enough data for a 4 x 4 picture of up to 8 bytes a pixel.
        Bytes png = Assemble(header, Zlib(Bytes(4 * 33, 0)), 0);
        Decoded d = Decode(png);
        EXPECT_FALSE(d.ok);
        EXPECT_TRUE(d.pixels.empty());
    }

    Picture picture = RandomPicture(4, 4, 6, 8, 3);
    Bytes good = BuildPng(picture, false, AlwaysFilter(0));
    ASSERT_TRUE(Decode(good).ok);

    Bytes badSignature = good;
    badSignature[1] = 'Q';
    EXPECT_FALSE(Decode(badSignature).ok);

    Bytes shortHeader = Signature();
    Bytes headerData = HeaderData(4, 4, 8, 6);
    Bytes ihdr = Chunk("IHDR", Bytes(headerData.begin(), headerData.begin() + 12));
    shortHeader.insert(shortHeader.end(), ihdr.begin(), ihdr.end());
    shortHeader.insert(shortHeader.end(), good.begin() + 33, good.end());
    EXPECT_FALSE(Decode(shortHeader).ok);

    Bytes longHeader = Signature();
    headerData.push_back(0);
    ihdr = Chunk("IHDR", headerData);
    longHeader.insert(longHeader.end(), ihdr.begin(), ihdr.end());
    longHeader.insert(longHeader.end(), good.begin() + 33, good.end());
    EXPECT_FALSE(Decode(longHeader).ok);

    Bytes twoHeaders = good;
    Bytes again = Chunk("IHDR", HeaderData(4, 4, 8, 6));
    twoHeaders.insert(twoHeaders.begin() + 33, again.begin(), again.end());
    EXPECT_FALSE(Decode(twoHeaders).ok);

    Bytes noIdat = Signature();
    for (const Bytes& chunk : {Chunk("IHDR", HeaderData(4, 4, 8, 6)), Chunk("IEND", {})})
        noIdat.insert(noIdat.end(), chunk.begin(), chunk.end());
    EXPECT_FALSE(Decode(noIdat).ok);
}

// Damaged chunk framing ends the walk with false instead of looping or
// reading out of bounds.
TEST(PngReader, RefusesBadChunkLengthsAndTruncation)
{
    Picture picture = RandomPicture(9, 6, 2, 8, 11);
    Bytes good = BuildPng(picture, true, CyclingFilters());
    ASSERT_TRUE(Decode(good).ok);
    const size_t idat = FindChunk(good, "IDAT");
    const size_t iend = FindChunk(good, "IEND");
    ASSERT_NE(idat, std::string::npos);

    for (uint32_t length : {0x80000000u, 0xFFFFFFF4u, 0xFFFFFFFFu, 0x7FFFFFFFu, 0x01000000u}) {
        SCOPED_TRACE(length);
        Bytes bad = good;
        PutBE32(bad, idat, length);
        EXPECT_FALSE(Decode(bad).ok);
        Bytes badEnd = good;
        PutBE32(badEnd, 33, length); // the chunk after IHDR
        EXPECT_FALSE(Decode(badEnd).ok);
    }

    // Every cut of the file fails, whether in the framing or in the data
    // (the walk stops at IEND's type, so its CRC may be missing).
    for (size_t n = 0; n + 4 < good.size(); ++n) {
        Bytes cut(good.begin(), good.begin() + n);
        EXPECT_FALSE(Decode(cut).ok) << n;
    }

    // Cutting IEND off alone also fails: the walk never found the end.
    EXPECT_FALSE(Decode(Bytes(good.begin(), good.begin() + iend)).ok);
}

TEST(PngReader, RefusesDamagedImageData)
{
    Picture picture = RandomPicture(12, 10, 6, 8, 21);
    Bytes header = HeaderData(12, 10, 8, 6);
    Bytes raw = Scanlines(picture, false, AlwaysFilter(1));

    Bytes badFilter = raw;
    badFilter[(12 * 4 + 1) * 3] = 5; // row 3's filter byte
    EXPECT_FALSE(Decode(Assemble(header, Zlib(badFilter), 0)).ok);

    // The zlib stream ends a row early: not enough image data.
    Bytes shortRaw(raw.begin(), raw.end() - (12 * 4 + 1));
    EXPECT_FALSE(Decode(Assemble(header, Zlib(shortRaw), 0)).ok);
    EXPECT_FALSE(Decode(Assemble(header, Zlib(Bytes(raw.begin(), raw.end() - 1)), 0)).ok);

    // ... even with more bytes after the stream in the same chunk or the next.
    Bytes padded = Zlib(shortRaw);
    padded.insert(padded.end(), 30000, 0);
    EXPECT_FALSE(Decode(Assemble(header, padded, 0)).ok);
    EXPECT_FALSE(Decode(Assemble(header, padded, 64)).ok);

    // The compressed data cut short inside a well-formed chunk.
    Bytes zlib = Zlib(raw);
    EXPECT_FALSE(Decode(Assemble(header, Bytes(zlib.begin(), zlib.begin() + zlib.size() / 2), 0)).ok);

    // A chunk of another type inside the IDAT run ends the image data.
    Bytes split = Signature();
    for (const Bytes& chunk :
         {Chunk("IHDR", header), Chunk("IDAT", Bytes(zlib.begin(), zlib.begin() + 40)), Chunk("tEXt", Bytes(5, 'z')),
          Chunk("IDAT", Bytes(zlib.begin() + 40, zlib.end())), Chunk("IEND", {})})
        split.insert(split.end(), chunk.begin(), chunk.end());
    EXPECT_FALSE(Decode(split).ok);

    // Garbage compressed data: either refused or decoded, never out of bounds.
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        Bytes noisy = zlib;
        Bytes noise = TestSupport::PseudoRandomBytes(noisy.size(), seed);
        for (size_t i = 2 + seed % 5; i < noisy.size(); i += 1 + seed % 7)
            noisy[i] ^= noise[i];
        Decoded d = Decode(Assemble(header, noisy, 0));
        if (d.ok) {
            EXPECT_EQ(d.pixels.size(), 120u);
        }
    }
}

// Stored CRCs are not checked: a file with wrong ones still reads.
TEST(PngReader, IgnoresStoredCrcs)
{
    Picture picture = RandomPicture(5, 5, 0, 8, 31);
    Bytes png = BuildPng(picture, false, AlwaysFilter(2));
    for (size_t at : {size_t(29), FindChunk(png, "IEND") - 1, FindChunk(png, "IEND") + 8})
        png[at] ^= 0x5A;
    Decoded d = Decode(png);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, ExpectedPixels(picture));
}
