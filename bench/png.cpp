// Decoding a 1024 x 1024 RGBA picture with the engine's reader against
// libpng on the same file, and encoding against libpng at the same zlib
// level (9) and filter (none), both from memory.
#include "engine/files/MemoryFile.h"
#include "engine/png/PngImage.h"

#include <benchmark/benchmark.h>

#ifdef VORNHAL_HAVE_LIBPNG
#include <csetjmp>
#include <png.h>
#endif

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int kSize = 1024;

// Art-like content: gradients and shapes with some noise and transparency.
std::vector<uint8_t> MakeRgba()
{
    std::vector<uint8_t> rgba(size_t(kSize) * kSize * 4);
    uint32_t s = 2024;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            s = s * 1103515245u + 12345u;
            uint8_t noise = uint8_t((s >> 16) & 15);
            uint8_t* p = &rgba[(size_t(y) * kSize + x) * 4];
            bool disc = (x - 512) * (x - 512) + (y - 400) * (y - 400) < 300 * 300;
            p[0] = uint8_t(x / 4 + noise);
            p[1] = uint8_t(disc ? 200 - y / 8 : y / 4);
            p[2] = uint8_t(((x ^ y) & 64) ? 180 : 40 + noise);
            p[3] = uint8_t(disc ? 255 : (x < 100 ? 0 : 160 + noise));
        }
    return rgba;
}

#ifdef VORNHAL_HAVE_LIBPNG

void Append(png_structp png, png_bytep data, png_size_t n)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}
void NoFlush(png_structp) {}

struct Source {
    const std::vector<uint8_t>* bytes;
    size_t at;
};
void ReadBytes(png_structp png, png_bytep out, png_size_t n)
{
    auto* src = static_cast<Source*>(png_get_io_ptr(png));
    if (n > src->bytes->size() - src->at)
        png_error(png, "read past the end");
    std::memcpy(out, src->bytes->data() + src->at, n);
    src->at += n;
}

// rows: the row pointers libpng writes from; colorType RGBA or RGB (with
// the source's fourth byte dropped as filler).
bool LibpngEncode(png_bytep* rows, int colorType, int level, int filters, std::vector<uint8_t>* out)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, Append, NoFlush);
    png_set_IHDR(png, info, kSize, kSize, 8, colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, 0, filters);
    png_set_compression_level(png, level);
    png_set_compression_strategy(png, 0); // Z_DEFAULT_STRATEGY, as the engine's writer
    png_set_compression_window_bits(png, 15);
    png_write_info(png, info);
    if (colorType == PNG_COLOR_TYPE_RGB)
        png_set_filler(png, 0, PNG_FILLER_AFTER);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool LibpngDecode(const std::vector<uint8_t>& file, std::vector<png_bytep>* rows)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    Source source = {&file, 0};
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &source, ReadBytes);
    png_read_info(png, info);
    png_read_update_info(png, info);
    png_read_image(png, rows->data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

// The decoding benchmarks' file: written by libpng with its default
// adaptive filters and level, split into 8 KiB IDAT chunks as usual.
const std::vector<uint8_t>& TestFile()
{
    static std::vector<uint8_t> file = [] {
        std::vector<uint8_t> rgba = MakeRgba();
        std::vector<png_bytep> rows(kSize);
        for (int y = 0; y < kSize; ++y)
            rows[y] = rgba.data() + size_t(y) * kSize * 4;
        std::vector<uint8_t> out;
        LibpngEncode(rows.data(), PNG_COLOR_TYPE_RGB_ALPHA, 6, PNG_ALL_FILTERS, &out);
        return out;
    }();
    return file;
}

#endif // VORNHAL_HAVE_LIBPNG

#ifndef VORNHAL_HAVE_LIBPNG
// Without libpng the engine's own writer makes the file (RGB, filter none).
std::vector<uint8_t> EngineFile()
{
    std::vector<uint8_t> rgba = MakeRgba();
    MemoryFile file(0);
    PngImage image(&file);
    image.SetPixels(kSize, kSize, reinterpret_cast<const uint32_t*>(rgba.data()));
    image.Write();
    std::vector<uint8_t> out(size_t(file.GetSize()));
    file.Seek(0);
    file.Read(out.data(), int(out.size()));
    return out;
}
#endif

void BM_DecodeEngine(benchmark::State& state)
{
#ifdef VORNHAL_HAVE_LIBPNG
    const std::vector<uint8_t>& bytes = TestFile();
#else
    static const std::vector<uint8_t> bytes = EngineFile();
#endif
    MemoryFile file(int(bytes.size()));
    file.Write(bytes.data(), int(bytes.size()));
    for (auto _ : state) {
        file.Seek(0);
        PngImage image(&file);
        if (!image.Read(true)) {
            state.SkipWithError("decode failed");
            break;
        }
        benchmark::DoNotOptimize(image.GetPixels()[kSize * kSize / 2]);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kSize * kSize * 4);
}
BENCHMARK(BM_DecodeEngine)->Unit(benchmark::kMillisecond);

// The writer alone: the copy SetPixels makes is outside the timing, as the
// yardstick writes straight from the caller's rows.
void BM_EncodeEngine(benchmark::State& state)
{
    const std::vector<uint8_t> rgba = MakeRgba();
    for (auto _ : state) {
        state.PauseTiming();
        auto file = std::make_unique<MemoryFile>(8 << 20);
        auto writer = std::make_unique<PngImage>(file.get());
        writer->SetPixels(kSize, kSize, reinterpret_cast<const uint32_t*>(rgba.data()));
        state.ResumeTiming();
        if (!writer->Write()) {
            state.SkipWithError("encode failed");
            break;
        }
        benchmark::DoNotOptimize(file->GetSize());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kSize * kSize * 4);
}
BENCHMARK(BM_EncodeEngine)->Unit(benchmark::kMillisecond);

#ifdef VORNHAL_HAVE_LIBPNG

void BM_DecodeLibpng(benchmark::State& state)
{
    const std::vector<uint8_t>& bytes = TestFile();
    std::vector<uint8_t> rgba(size_t(kSize) * kSize * 4);
    std::vector<png_bytep> rows(kSize);
    for (int y = 0; y < kSize; ++y)
        rows[y] = rgba.data() + size_t(y) * kSize * 4;
    for (auto _ : state) {
        if (!LibpngDecode(bytes, &rows)) {
            state.SkipWithError("decode failed");
            break;
        }
        benchmark::DoNotOptimize(rgba[kSize * kSize * 2]);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kSize * kSize * 4);
}
BENCHMARK(BM_DecodeLibpng)->Unit(benchmark::kMillisecond);

// The same work as the engine's writer: RGB from RGBA rows given bottom up,
// filter none, level 9, default strategy.
void BM_EncodeLibpng(benchmark::State& state)
{
    std::vector<uint8_t> rgba = MakeRgba();
    std::vector<png_bytep> rows(kSize);
    for (int y = 0; y < kSize; ++y)
        rows[y] = rgba.data() + size_t(kSize - 1 - y) * kSize * 4;
    for (auto _ : state) {
        std::vector<uint8_t> out;
        out.reserve(8 << 20);
        if (!LibpngEncode(rows.data(), PNG_COLOR_TYPE_RGB, 9, PNG_FILTER_NONE, &out)) {
            state.SkipWithError("encode failed");
            break;
        }
        benchmark::DoNotOptimize(out.size());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kSize * kSize * 4);
}
BENCHMARK(BM_EncodeLibpng)->Unit(benchmark::kMillisecond);

#endif // VORNHAL_HAVE_LIBPNG

} // namespace

BENCHMARK_MAIN();
