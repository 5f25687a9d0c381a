#include "engine/png/PngImage.h"

#include "engine/files/IFile.h"
#include "engine/png/PngIdatStream.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

namespace {

const uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
// Chunk lengths above this are not PNG (the standard's limit).
constexpr uint32_t kMaxChunkLength = 0x7FFFFFFFu;
// Bounds the walk over a file of nothing but empty chunks.
constexpr int kMaxChunks = 1 << 20;
// Raw rows handed to deflate at a time by the writer.
constexpr size_t kWriteBatchBytes = 64 * 1024;

uint32_t GetBE32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

#ifndef VORNHAL_DEDICATED
void PutBE32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}
#endif

bool IsType(const uint8_t* type, const char* name) { return std::memcmp(type, name, 4) == 0; }

// Reads until length bytes arrived or the file gives no more.
bool ReadFully(IFile* file, void* buffer, int length)
{
    uint8_t* out = static_cast<uint8_t*>(buffer);
    int got = 0;
    while (got < length) {
        int n = file->Read(out + got, length - got);
        if (n <= 0 || n > length - got)
            return false;
        got += n;
    }
    return true;
}

struct Pass {
    int startRow, startColumn, rowStep, columnStep;
};
const Pass kWholeImage = {0, 0, 1, 1};
const Pass kAdam7[7] = {
    {0, 0, 8, 8}, {0, 4, 8, 8}, {4, 0, 8, 4}, {0, 2, 4, 4}, {2, 0, 4, 2}, {0, 1, 2, 2}, {1, 0, 2, 1},
};

int PassExtent(int size, int start, int step) { return size > start ? (size - start + step - 1) / step : 0; }

inline uint8_t Paeth(int a, int b, int c)
{
    int pa = b - c;
    int pb = a - c;
    int pc = pa + pb;
    pa = pa < 0 ? -pa : pa;
    pb = pb < 0 ? -pb : pb;
    pc = pc < 0 ? -pc : pc;
    int pred = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
    return uint8_t(pred);
}

// Undoes one row's filter in place; the bytes to the left are Bpp back.
template <int Bpp> bool UndoFilter(uint8_t type, uint8_t* row, const uint8_t* prior, size_t n)
{
    switch (type) {
    case 0:
        return true;
    case 1:
        for (size_t i = Bpp; i < n; ++i)
            row[i] = uint8_t(row[i] + row[i - Bpp]);
        return true;
    case 2:
        for (size_t i = 0; i < n; ++i)
            row[i] = uint8_t(row[i] + prior[i]);
        return true;
    case 3:
        for (size_t i = 0; i < Bpp && i < n; ++i)
            row[i] = uint8_t(row[i] + (prior[i] >> 1));
        for (size_t i = Bpp; i < n; ++i)
            row[i] = uint8_t(row[i] + ((unsigned(row[i - Bpp]) + prior[i]) >> 1));
        return true;
    case 4:
        for (size_t i = 0; i < Bpp && i < n; ++i)
            row[i] = uint8_t(row[i] + prior[i]);
        for (size_t i = Bpp; i < n; ++i)
            row[i] = uint8_t(row[i] + Paeth(row[i - Bpp], prior[i], prior[i - Bpp]));
        return true;
    default:
        return false;
    }
}

bool UndoFilter(int bpp, uint8_t type, uint8_t* row, const uint8_t* prior, size_t n)
{
    switch (bpp) {
    case 1:
        return UndoFilter<1>(type, row, prior, n);
    case 2:
        return UndoFilter<2>(type, row, prior, n);
    case 3:
        return UndoFilter<3>(type, row, prior, n);
    case 4:
        return UndoFilter<4>(type, row, prior, n);
    default:
        return false;
    }
}

// Magenta is the art's colour key; fully transparent pixels are cleared so
// that filtering never bleeds their colour.
inline uint32_t Clean(uint32_t v) { return ((v & 0x00FFFFFFu) == 0x00FF00FFu || v < 0x01000000u) ? 0 : v; }

// Grey takes the first byte of each sample, so 16-bit grey uses its high byte.
void ConvertRow(uint8_t colorType, int bpp, const uint8_t* src, int count, uint32_t* dst, int step)
{
    switch (colorType) {
    case 0:
        for (int x = 0; x < count; ++x, src += bpp, dst += step)
            *dst = 0xFF000000u | (uint32_t(src[0]) * 0x010101u);
        break;
    case 2:
        for (int x = 0; x < count; ++x, src += 3, dst += step) {
            uint32_t v = 0xFF000000u | (uint32_t(src[0]) << 16) | (uint32_t(src[1]) << 8) | src[2];
            *dst = (v & 0x00FFFFFFu) == 0x00FF00FFu ? 0 : v;
        }
        break;
    case 6:
        for (int x = 0; x < count; ++x, src += 4, dst += step)
            *dst = Clean((uint32_t(src[3]) << 24) | (uint32_t(src[0]) << 16) | (uint32_t(src[1]) << 8) | src[2]);
        break;
    }
}

} // namespace

PngImage::PngImage(IFile* file) : file_(file) {}

PngImage::~PngImage() = default;

bool PngImage::Read(bool withPixels)
{
    pixels_.reset();
    width_ = height_ = 0;
    bytesPerPixel_ = 0;
    sawHeader_ = false;
    idatPosition_ = 0;
    idatLength_ = 0;
    if (!file_)
        return false;

    uint8_t signature[8];
    if (!ReadFully(file_, signature, 8) || std::memcmp(signature, kSignature, 8) != 0)
        return false;

    bool headerOnlyDone = false;
    if (!ReadChunks(withPixels, &headerOnlyDone))
        return false;
    if (!withPixels || headerOnlyDone)
        return true;

    if (!sawHeader_ || !CheckFormat() || idatPosition_ == 0)
        return false;

    const size_t count = size_t(width_) * size_t(height_);
    pixels_.reset(new (std::nothrow) uint32_t[count]);
    if (!pixels_)
        return false;

    file_->Seek(idatPosition_);
    if (file_->Tell() != idatPosition_) {
        pixels_.reset();
        return false;
    }
    PngIdatStream stream(file_, idatLength_);
    bool ok = stream.BeginCompression() && DecodePixels(&stream);
    stream.EndCompression();
    if (!ok)
        pixels_.reset();
    return ok;
}

// Walks the chunks up to IEND. Stored lengths are checked before they move
// the file, so a damaged or truncated file ends the walk instead of looping.
bool PngImage::ReadChunks(bool withPixels, bool* headerOnlyDone)
{
    for (int chunks = 0; chunks < kMaxChunks; ++chunks) {
        uint8_t head[8];
        if (!ReadFully(file_, head, 8))
            return false;
        const uint32_t length = GetBE32(head);
        const uint8_t* type = head + 4;
        if (length > kMaxChunkLength)
            return false;
        if (IsType(type, "IEND"))
            return true;

        const int dataPosition = file_->Tell();
        const int64_t next = int64_t(dataPosition) + int64_t(length) + 4;
        if (dataPosition <= 0 || next > INT_MAX)
            return false;

        if (IsType(type, "IHDR")) {
            if (sawHeader_ || !ReadHeader(length))
                return false;
            if (!withPixels) {
                *headerOnlyDone = true;
                return true;
            }
        } else if (IsType(type, "IDAT") && idatPosition_ == 0) {
            idatPosition_ = dataPosition;
            idatLength_ = length;
        }

        file_->Seek(int(next));
        if (file_->Tell() != int(next))
            return false;
    }
    return false;
}

bool PngImage::ReadHeader(uint32_t length)
{
    uint8_t data[13];
    if (length != 13 || !ReadFully(file_, data, 13))
        return false;
    const uint32_t width = GetBE32(data);
    const uint32_t height = GetBE32(data + 4);
    if (width == 0 || height == 0 || width > uint32_t(kMaxDimension) || height > uint32_t(kMaxDimension) ||
        uint64_t(width) * uint64_t(height) > uint64_t(kMaxPixels))
        return false;
    width_ = int(width);
    height_ = int(height);
    bitDepth_ = data[8];
    colorType_ = data[9];
    compressionMethod_ = data[10];
    filterMethod_ = data[11];
    interlaceMethod_ = data[12];
    sawHeader_ = true;
    return true;
}

// Grey at 8 or 16 bits, truecolour and truecolour with alpha at 8 bits.
// Everything else is refused rather than decoded into a wrong picture.
bool PngImage::CheckFormat()
{
    if (compressionMethod_ != 0 || filterMethod_ != 0 || interlaceMethod_ > 1)
        return false;
    switch (colorType_) {
    case 0:
        if (bitDepth_ != 8 && bitDepth_ != 16)
            return false;
        bytesPerPixel_ = bitDepth_ / 8;
        return true;
    case 2:
        bytesPerPixel_ = 3;
        return bitDepth_ == 8;
    case 6:
        bytesPerPixel_ = 4;
        return bitDepth_ == 8;
    default:
        return false;
    }
}

bool PngImage::DecodePixels(IFile* stream)
{
    const int bpp = bytesPerPixel_;
    const size_t maxRowBytes = size_t(width_) * size_t(bpp);
    // Each buffer: the filter byte, then the row.
    std::vector<uint8_t> first(maxRowBytes + 1), second(maxRowBytes + 1);
    uint8_t* row = first.data();
    uint8_t* prior = second.data();

    const Pass* passes = interlaceMethod_ ? kAdam7 : &kWholeImage;
    const int passCount = interlaceMethod_ ? 7 : 1;
    for (int p = 0; p < passCount; ++p) {
        const Pass& pass = passes[p];
        const int passWidth = PassExtent(width_, pass.startColumn, pass.columnStep);
        const int passHeight = PassExtent(height_, pass.startRow, pass.rowStep);
        // An empty pass has no bytes at all, not even filter bytes.
        if (passWidth == 0 || passHeight == 0)
            continue;
        const size_t rowBytes = size_t(passWidth) * size_t(bpp);
        std::memset(prior, 0, rowBytes + 1);
        for (int y = pass.startRow; y < height_; y += pass.rowStep) {
            if (!ReadFully(stream, row, int(rowBytes + 1)))
                return false;
            if (!UndoFilter(bpp, row[0], row + 1, prior + 1, rowBytes))
                return false;
            uint32_t* out = pixels_.get() + size_t(y) * size_t(width_) + size_t(pass.startColumn);
            ConvertRow(colorType_, bpp, row + 1, passWidth, out, pass.columnStep);
            std::swap(row, prior);
        }
    }
    return true;
}

void PngImage::SetPixels(int width, int height, const uint32_t* pixels)
{
    pixels_.reset();
    width_ = height_ = 0;
    if (!pixels || width <= 0 || height <= 0 || width > kMaxDimension || height > kMaxDimension ||
        int64_t(width) * int64_t(height) > kMaxPixels)
        return;
    const size_t count = size_t(width) * size_t(height);
    pixels_.reset(new (std::nothrow) uint32_t[count]);
    if (!pixels_)
        return;
    std::memcpy(pixels_.get(), pixels, count * sizeof(uint32_t));
    width_ = width;
    height_ = height;
}

#ifndef VORNHAL_DEDICATED

void PngImage::BuildCrcTable()
{
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        crcTable_[n] = c;
    }
}

uint32_t PngImage::Crc(uint32_t crc, const uint8_t* data, size_t length) const
{
    for (size_t i = 0; i < length; ++i)
        crc = crcTable_[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc;
}

bool PngImage::WriteChunk(const char* type, const uint8_t* data, size_t length)
{
    uint8_t head[8];
    PutBE32(head, uint32_t(length));
    std::memcpy(head + 4, type, 4);
    uint8_t crc[4];
    PutBE32(crc, ~Crc(Crc(0xFFFFFFFFu, head + 4, 4), data, length));
    return file_->Write(head, 8) && (length == 0 || file_->Write(data, int(length))) && file_->Write(crc, 4);
}

// Always 8-bit truecolour without alpha, one IDAT chunk, level 9. The image
// is compressed before anything is written, so a failure leaves the file as
// it was.
bool PngImage::Write()
{
    if (!file_ || !pixels_ || width_ <= 0 || height_ <= 0)
        return false;
    BuildCrcTable();

    const size_t width = size_t(width_);
    const size_t height = size_t(height_);
    const size_t rowBytes = width * 3 + 1;
    const size_t rawSize = rowBytes * height;
    // Sized by deflate's own bound: a fixed multiple of the raw size is too
    // small for tiny pictures and cuts off the stream's checksum.
    const uLong bound = compressBound(uLong(rawSize));
    std::unique_ptr<uint8_t[]> packed(new (std::nothrow) uint8_t[bound]);
    // The raw rows (filter byte 0, then RGB) go to deflate a batch at a time.
    const size_t batchRows = std::max<size_t>(1, kWriteBatchBytes / rowBytes);
    std::unique_ptr<uint8_t[]> batch(new (std::nothrow) uint8_t[batchRows * rowBytes]);
    if (!packed || !batch)
        return false;

    z_stream zs;
    std::memset(&zs, 0, sizeof(zs));
    if (deflateInit2(&zs, 9, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    zs.next_out = packed.get();
    zs.avail_out = uInt(bound);
    int result = Z_OK;
    for (size_t first = 0; first < height && result == Z_OK; first += batchRows) {
        const size_t rows = std::min(batchRows, height - first);
        for (size_t r = 0; r < rows; ++r) {
            // The source rows run bottom to top; the file's run top to bottom.
            const size_t i = first + r;
            const uint8_t* src = reinterpret_cast<const uint8_t*>(pixels_.get() + (height - 1 - i) * width);
            uint8_t* dst = batch.get() + r * rowBytes;
            *dst++ = 0;
            for (size_t x = 0; x < width; ++x, src += 4, dst += 3) {
                dst[0] = src[0];
                dst[1] = src[1];
                dst[2] = src[2];
            }
        }
        zs.next_in = batch.get();
        zs.avail_in = uInt(rows * rowBytes);
        const bool last = first + rows == height;
        result = deflate(&zs, last ? Z_FINISH : Z_NO_FLUSH);
        if (!last && result == Z_OK && zs.avail_in != 0)
            result = Z_BUF_ERROR; // the bound was not enough: never expected
    }
    const size_t packedSize = size_t(zs.total_out);
    deflateEnd(&zs);
    if (result != Z_STREAM_END || packedSize > kMaxChunkLength)
        return false;

    uint8_t header[13];
    PutBE32(header, uint32_t(width_));
    PutBE32(header + 4, uint32_t(height_));
    header[8] = 8;  // bit depth
    header[9] = 2;  // truecolour
    header[10] = 0; // compression
    header[11] = 0; // filter method
    header[12] = 0; // no interlace
    return file_->Write(kSignature, 8) && WriteChunk("IHDR", header, 13) &&
           WriteChunk("IDAT", packed.get(), packedSize) && WriteChunk("IEND", nullptr, 0);
}

#endif // VORNHAL_DEDICATED
