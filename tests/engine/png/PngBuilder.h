#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Hand-built PNG files for the reader's tests: any colour type, bit depth,
// row filters, interlacing and IDAT split, with correct CRCs unless changed.
namespace PngTest {

using Bytes = std::vector<uint8_t>;

// Samples as stored in the file (big-endian for 16 bits), rows top down.
struct Picture {
    int width = 0;
    int height = 0;
    uint8_t colorType = 6;
    uint8_t bitDepth = 8;
    Bytes samples;

    int Channels() const;
    int BytesPerPixel() const { return Channels() * bitDepth / 8; }
};

Picture RandomPicture(int width, int height, uint8_t colorType, uint8_t bitDepth, uint32_t seed);

// Filter type for one row of one pass (pass 0 when not interlaced).
using FilterChoice = std::function<int(int pass, int row)>;
FilterChoice AlwaysFilter(int type);
FilterChoice CyclingFilters();

Bytes Scanlines(const Picture& picture, bool interlaced, const FilterChoice& filters);
Bytes Zlib(const Bytes& raw, int level = 9);

Bytes Chunk(const char* type, const Bytes& data);
Bytes HeaderData(uint32_t width, uint32_t height, uint8_t depth, uint8_t colorType, uint8_t interlace = 0);
Bytes Signature();

// The whole file; idatSize splits the zlib data into chunks of that size
// (0: one chunk).
Bytes BuildPng(const Picture& picture, bool interlaced, const FilterChoice& filters, size_t idatSize = 0);
Bytes Assemble(const Bytes& headerData, const Bytes& zlibData, size_t idatSize);

// What the engine's reader must deliver for the picture: 0xAARRGGBB values,
// magenta and alpha 0 cleared.
std::vector<uint32_t> ExpectedPixels(const Picture& picture);
uint32_t ExpectedPixel(uint8_t r, uint8_t g, uint8_t b, uint8_t a);

struct Decoded {
    bool ok = false;
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // empty when the reader kept none
};
// Reads the bytes as a PNG from a memory file.
Decoded Decode(const Bytes& png, bool withPixels = true);

} // namespace PngTest
