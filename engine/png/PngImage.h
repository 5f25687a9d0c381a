#pragma once

#include <cstdint>
#include <memory>

class IFile;

// The engine's PNG reader and writer. It works on an open file that stays
// the caller's: reading and writing start at the file's current position.
//
// Pixels as Read delivers them: 0xAARRGGBB values (bytes blue, green, red,
// alpha), rows top to bottom. Pixels as Write takes them: bytes red, green,
// blue, alpha, rows bottom to top, as the renderer reads them back.
class PngImage {
public:
    // Larger pictures are refused before anything is allocated.
    static constexpr int kMaxDimension = 16384;
    static constexpr int64_t kMaxPixels = int64_t(1) << 26;

    explicit PngImage(IFile* file);
    ~PngImage();
    PngImage(const PngImage&) = delete;
    PngImage& operator=(const PngImage&) = delete;

    // With withPixels false it stops right after the header, which gives the
    // size without decoding.
    bool Read(bool withPixels);
#ifndef VORNHAL_DEDICATED
    bool Write();
#endif
    void SetPixels(int width, int height, const uint32_t* pixels);

    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    uint32_t* GetPixels() { return pixels_.get(); }
    const uint32_t* GetPixels() const { return pixels_.get(); }

private:
    bool ReadChunks(bool withPixels, bool* headerOnlyDone);
    bool ReadHeader(uint32_t length);
    bool CheckFormat();
    bool DecodePixels(IFile* stream);
#ifndef VORNHAL_DEDICATED
    void BuildCrcTable();
    uint32_t Crc(uint32_t crc, const uint8_t* data, size_t length) const;
    bool WriteChunk(const char* type, const uint8_t* data, size_t length);
#endif

    IFile* file_;
#ifndef VORNHAL_DEDICATED
    uint32_t crcTable_[256] = {};
#endif
    int width_ = 0;
    int height_ = 0;
    int bytesPerPixel_ = 0;
    uint8_t bitDepth_ = 0;
    uint8_t colorType_ = 0;
    uint8_t compressionMethod_ = 0;
    uint8_t filterMethod_ = 0;
    uint8_t interlaceMethod_ = 0;
    bool sawHeader_ = false;
    int idatPosition_ = 0; // 0: none seen
    uint32_t idatLength_ = 0;
    std::unique_ptr<uint32_t[]> pixels_;
};
