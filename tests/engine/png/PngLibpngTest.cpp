// The codec against libpng: files libpng writes decode to the pixels libpng
// reads from them, and libpng (which checks CRCs and the zlib stream) takes
// the files the engine writes.
#ifdef VORNHAL_HAVE_LIBPNG

#include "engine/files/MemoryFile.h"
#include "engine/png/PngBuilder.h"
#include "engine/png/PngImage.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <string>

using namespace PngTest;

namespace {

void AppendToBytes(png_structp png, png_bytep data, png_size_t n)
{
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}

void NoFlush(png_structp) {}

struct Source {
    const Bytes* bytes;
    size_t at;
};

void ReadFromBytes(png_structp png, png_bytep out, png_size_t n)
{
    auto* src = static_cast<Source*>(png_get_io_ptr(png));
    if (n > src->bytes->size() - src->at)
        png_error(png, "read past the end");
    std::memcpy(out, src->bytes->data() + src->at, n);
    src->at += n;
}

bool LibpngWrite(const Picture& picture, int filters, bool interlaced, size_t bufferSize, Bytes* out)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    Bytes samples = picture.samples;
    std::vector<png_bytep> rows(size_t(picture.height));
    const size_t stride = size_t(picture.width) * picture.BytesPerPixel();
    for (int y = 0; y < picture.height; ++y)
        rows[y] = samples.data() + y * stride;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, AppendToBytes, NoFlush);
    png_set_IHDR(png, info, png_uint_32(picture.width), png_uint_32(picture.height), picture.bitDepth,
                 picture.colorType, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, 0, filters);
    png_set_compression_buffer_size(png, bufferSize);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

// 8-bit RGBA as libpng reads the file (16-bit samples cut to their high byte).
bool LibpngRead(const Bytes& file, int* width, int* height, Bytes* rgba)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    Source source = {&file, 0};
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &source, ReadFromBytes);
    png_read_info(png, info);
    *width = int(png_get_image_width(png, info));
    *height = int(png_get_image_height(png, info));
    const int colorType = png_get_color_type(png, info);
    png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY)
        png_set_gray_to_rgb(png);
    if (!(colorType & PNG_COLOR_MASK_ALPHA))
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    rgba->assign(size_t(*width) * *height * 4, 0);
    rows.resize(size_t(*height));
    for (int y = 0; y < *height; ++y)
        rows[y] = rgba->data() + size_t(y) * *width * 4;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

int CountChunks(const Bytes& png, const char* type)
{
    int count = 0;
    for (size_t at = 8; at + 8 <= png.size();) {
        uint32_t length =
            (uint32_t(png[at]) << 24) | (uint32_t(png[at + 1]) << 16) | (uint32_t(png[at + 2]) << 8) | png[at + 3];
        if (std::memcmp(&png[at + 4], type, 4) == 0)
            ++count;
        at += 12 + size_t(length);
    }
    return count;
}

std::vector<uint32_t> KeyedPixels(const Bytes& rgba)
{
    std::vector<uint32_t> out;
    for (size_t i = 0; i + 3 < rgba.size(); i += 4)
        out.push_back(ExpectedPixel(rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]));
    return out;
}

} // namespace

// Every filter libpng can be told to use (and its own choice per row), both
// interlace methods, and IDAT split small enough to give many chunks.
TEST(PngLibpng, FilesWrittenByLibpngDecodeToLibpngsPixels)
{
    struct Format {
        int colorType, bitDepth;
        const char* name;
    };
    const Format formats[] = {{PNG_COLOR_TYPE_GRAY, 8, "grey8"},
                              {PNG_COLOR_TYPE_GRAY, 16, "grey16"},
                              {PNG_COLOR_TYPE_RGB, 8, "rgb8"},
                              {PNG_COLOR_TYPE_RGB_ALPHA, 8, "rgba8"}};
    const struct {
        int mask;
        const char* name;
    } filters[] = {{PNG_FILTER_NONE, "none"}, {PNG_FILTER_SUB, "sub"},     {PNG_FILTER_UP, "up"},
                   {PNG_FILTER_AVG, "avg"},   {PNG_FILTER_PAETH, "paeth"}, {PNG_ALL_FILTERS, "all"}};
    uint32_t seed = 500;
    for (const Format& f : formats)
        for (const auto& filter : filters)
            for (bool interlaced : {false, true})
                for (size_t bufferSize : {size_t(64), size_t(8192)}) {
                    std::string name = std::string(f.name) + "_" + filter.name + (interlaced ? "_adam7" : "") +
                                       "_idat" + std::to_string(bufferSize);
                    SCOPED_TRACE(name);
                    Picture picture = RandomPicture(61, 37, uint8_t(f.colorType), uint8_t(f.bitDepth), seed++);
                    // Smooth areas beside the noise, so that every filter gets rows to win.
                    for (size_t i = 0; i < picture.samples.size() / 2; ++i)
                        picture.samples[i] = uint8_t(i / 7);
                    Bytes png;
                    ASSERT_TRUE(LibpngWrite(picture, filter.mask, interlaced, bufferSize, &png));
                    if (bufferSize == 64) {
                        EXPECT_GT(CountChunks(png, "IDAT"), 10);
                    }
                    int w = 0, h = 0;
                    Bytes rgba;
                    ASSERT_TRUE(LibpngRead(png, &w, &h, &rgba));
                    Decoded d = Decode(png);
                    ASSERT_TRUE(d.ok);
                    ASSERT_EQ(d.width, w);
                    ASSERT_EQ(d.height, h);
                    EXPECT_EQ(d.pixels, KeyedPixels(rgba));
                    // The hand-built picture and libpng agree too.
                    EXPECT_EQ(d.pixels, ExpectedPixels(picture));
                    if (bufferSize == 64 && f.bitDepth == 8)
                        TestSupport::WriteFuzzSeed("png_reader", "libpng_" + name + ".png", png);
                }
}

// Default libpng settings on a picture big enough for several 8 KiB IDATs.
TEST(PngLibpng, DefaultLibpngFileWithManyIdatChunks)
{
    Picture picture = RandomPicture(300, 200, PNG_COLOR_TYPE_RGB_ALPHA, 8, 42);
    Bytes png;
    ASSERT_TRUE(LibpngWrite(picture, PNG_ALL_FILTERS, false, 8192, &png));
    ASSERT_GT(CountChunks(png, "IDAT"), 5);
    int w = 0, h = 0;
    Bytes rgba;
    ASSERT_TRUE(LibpngRead(png, &w, &h, &rgba));
    Decoded d = Decode(png);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, KeyedPixels(rgba));
}

TEST(PngLibpng, LibpngReadsTheEngineWriter)
{
    for (auto size : {std::pair<int, int>{1, 1}, {3, 2}, {640, 480}}) {
        const int w = size.first, h = size.second;
        SCOPED_TRACE(w);
        Bytes source = TestSupport::PseudoRandomBytes(size_t(w) * h * 4, uint32_t(w + h));
        for (size_t i = 0; i < source.size() / 3; ++i)
            source[i] = uint8_t(i % 251); // compressible stretch
        std::vector<uint32_t> pixels(size_t(w) * h);
        std::memcpy(pixels.data(), source.data(), source.size());

        MemoryFile file(0);
        PngImage image(&file);
        image.SetPixels(w, h, pixels.data());
        ASSERT_TRUE(image.Write());
        Bytes png(size_t(file.GetSize()));
        file.Seek(0);
        ASSERT_EQ(file.Read(png.data(), int(png.size())), int(png.size()));

        int rw = 0, rh = 0;
        Bytes rgba;
        ASSERT_TRUE(LibpngRead(png, &rw, &rh, &rgba));
        ASSERT_EQ(rw, w);
        ASSERT_EQ(rh, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < 4; ++c) {
                    uint8_t want = c == 3 ? 255 : source[(size_t(h - 1 - y) * w + x) * 4 + c];
                    ASSERT_EQ(rgba[(size_t(y) * w + x) * 4 + c], want) << x << "," << y << "," << c;
                }
    }
}

#endif // VORNHAL_HAVE_LIBPNG
