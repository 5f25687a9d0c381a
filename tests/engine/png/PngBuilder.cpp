#include "engine/png/PngBuilder.h"

#include "engine/files/MemoryFile.h"
#include "engine/png/PngImage.h"
#include "support/TestSupport.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>

namespace PngTest {

int Picture::Channels() const
{
    switch (colorType) {
    case 0:
        return 1;
    case 2:
        return 3;
    case 3:
        return 1;
    case 4:
        return 2;
    case 6:
        return 4;
    default:
        return 1;
    }
}

Picture RandomPicture(int width, int height, uint8_t colorType, uint8_t bitDepth, uint32_t seed)
{
    Picture p;
    p.width = width;
    p.height = height;
    p.colorType = colorType;
    p.bitDepth = bitDepth;
    p.samples = TestSupport::PseudoRandomBytes(size_t(width) * height * p.BytesPerPixel(), seed);
    return p;
}

FilterChoice AlwaysFilter(int type)
{
    return [type](int, int) { return type; };
}

FilterChoice CyclingFilters()
{
    return [](int pass, int row) { return (pass + row) % 5; };
}

namespace {

// The textbook predictor, written apart from the reader's.
uint8_t PaethPredictor(uint8_t a, uint8_t b, uint8_t c)
{
    int p = int(a) + int(b) - int(c);
    int pa = std::abs(p - int(a));
    int pb = std::abs(p - int(b));
    int pc = std::abs(p - int(c));
    if (pa <= pb && pa <= pc)
        return a;
    if (pb <= pc)
        return b;
    return c;
}

void FilterRow(int type, const uint8_t* row, const uint8_t* prior, size_t n, int bpp, Bytes& out)
{
    out.push_back(uint8_t(type));
    for (size_t i = 0; i < n; ++i) {
        uint8_t a = i >= size_t(bpp) ? row[i - bpp] : 0;
        uint8_t b = prior[i];
        uint8_t c = i >= size_t(bpp) ? prior[i - bpp] : 0;
        uint8_t predicted = 0;
        switch (type) {
        case 1:
            predicted = a;
            break;
        case 2:
            predicted = b;
            break;
        case 3:
            predicted = uint8_t((int(a) + int(b)) / 2);
            break;
        case 4:
            predicted = PaethPredictor(a, b, c);
            break;
        default:
            break;
        }
        out.push_back(uint8_t(row[i] - predicted));
    }
}

struct PassShape {
    int row, column, rowStep, columnStep;
};
const PassShape kPasses[7] = {{0, 0, 8, 8}, {0, 4, 8, 8}, {4, 0, 8, 4}, {0, 2, 4, 4},
                              {2, 0, 4, 2}, {0, 1, 2, 2}, {1, 0, 2, 1}};

void PutBE32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

} // namespace

Bytes Scanlines(const Picture& picture, bool interlaced, const FilterChoice& filters)
{
    const int bpp = picture.BytesPerPixel();
    Bytes out;
    const PassShape whole = {0, 0, 1, 1};
    const int passes = interlaced ? 7 : 1;
    for (int p = 0; p < passes; ++p) {
        const PassShape& s = interlaced ? kPasses[p] : whole;
        Bytes row, prior;
        for (int y = s.row; y < picture.height; y += s.rowStep) {
            row.clear();
            for (int x = s.column; x < picture.width; x += s.columnStep) {
                const uint8_t* px = &picture.samples[(size_t(y) * picture.width + x) * bpp];
                row.insert(row.end(), px, px + bpp);
            }
            if (row.empty())
                break; // an empty pass has no bytes
            if (prior.empty())
                prior.assign(row.size(), 0);
            FilterRow(filters(p, y), row.data(), prior.data(), row.size(), bpp, out);
            prior = row;
        }
    }
    return out;
}

Bytes Zlib(const Bytes& raw, int level)
{
    uLongf size = compressBound(uLong(raw.size()));
    Bytes out(size);
    if (compress2(out.data(), &size, raw.data(), uLong(raw.size()), level) != Z_OK)
        return {};
    out.resize(size);
    return out;
}

Bytes Signature() { return {137, 80, 78, 71, 13, 10, 26, 10}; }

Bytes Chunk(const char* type, const Bytes& data)
{
    Bytes out(12 + data.size());
    PutBE32(out.data(), uint32_t(data.size()));
    std::memcpy(out.data() + 4, type, 4);
    if (!data.empty())
        std::memcpy(out.data() + 8, data.data(), data.size());
    uLong crc = crc32(0, out.data() + 4, uInt(4 + data.size()));
    PutBE32(out.data() + 8 + data.size(), uint32_t(crc));
    return out;
}

Bytes HeaderData(uint32_t width, uint32_t height, uint8_t depth, uint8_t colorType, uint8_t interlace)
{
    Bytes d(13, 0);
    PutBE32(d.data(), width);
    PutBE32(d.data() + 4, height);
    d[8] = depth;
    d[9] = colorType;
    d[12] = interlace;
    return d;
}

Bytes Assemble(const Bytes& headerData, const Bytes& zlibData, size_t idatSize)
{
    Bytes out = Signature();
    Bytes ihdr = Chunk("IHDR", headerData);
    out.insert(out.end(), ihdr.begin(), ihdr.end());
    size_t step = idatSize ? idatSize : zlibData.size();
    for (size_t at = 0; at < zlibData.size() || at == 0; at += step) {
        size_t n = std::min(step, zlibData.size() - at);
        Bytes idat = Chunk("IDAT", Bytes(zlibData.begin() + at, zlibData.begin() + at + n));
        out.insert(out.end(), idat.begin(), idat.end());
        if (zlibData.empty())
            break;
    }
    Bytes iend = Chunk("IEND", {});
    out.insert(out.end(), iend.begin(), iend.end());
    return out;
}

Bytes BuildPng(const Picture& picture, bool interlaced, const FilterChoice& filters, size_t idatSize)
{
    Bytes header = HeaderData(uint32_t(picture.width), uint32_t(picture.height), picture.bitDepth, picture.colorType,
                              interlaced ? 1 : 0);
    return Assemble(header, Zlib(Scanlines(picture, interlaced, filters)), idatSize);
}

uint32_t ExpectedPixel(uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    if ((r == 255 && g == 0 && b == 255) || a == 0)
        return 0;
    return (uint32_t(a) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | b;
}

std::vector<uint32_t> ExpectedPixels(const Picture& picture)
{
    const int bpp = picture.BytesPerPixel();
    const int sample = picture.bitDepth / 8;
    std::vector<uint32_t> out;
    for (size_t i = 0; i < size_t(picture.width) * picture.height; ++i) {
        const uint8_t* px = &picture.samples[i * bpp];
        switch (picture.colorType) {
        case 0:
            out.push_back(ExpectedPixel(px[0], px[0], px[0], 255));
            break;
        case 2:
            out.push_back(ExpectedPixel(px[0], px[sample], px[2 * sample], 255));
            break;
        default:
            out.push_back(ExpectedPixel(px[0], px[sample], px[2 * sample], px[3 * sample]));
            break;
        }
    }
    return out;
}

Decoded Decode(const Bytes& png, bool withPixels)
{
    MemoryFile file(0);
    file.Write(png.data(), int(png.size()));
    file.Seek(0);
    PngImage image(&file);
    Decoded d;
    d.ok = image.Read(withPixels);
    d.width = image.GetWidth();
    d.height = image.GetHeight();
    if (image.GetPixels())
        d.pixels.assign(image.GetPixels(), image.GetPixels() + size_t(d.width) * d.height);
    return d;
}

} // namespace PngTest
