#pragma once

#include "engine/files/IFile.h"
#include "engine/files/IFileManager.h"
#include "engine/png/PngImage.h"
#include "support/Golden.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

// A PNG read whole: from a path on disk, or from the game folder (package first).
struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;

    bool Read(IFileManager* files, const std::u16string& path, int flags)
    {
        std::unique_ptr<IFile> file(files->Open(path.c_str(), kOpenRead, flags));
        if (!file)
            return false;
        PngImage png(file.get());
        if (!png.Read(true))
            return false;
        width = png.GetWidth();
        height = png.GetHeight();
        pixels.assign(png.GetPixels(), png.GetPixels() + size_t(width) * size_t(height));
        return true;
    }
    // 0xRRGGBB; 0 outside.
    uint32_t At(int x, int y) const
    {
        return x >= 0 && y >= 0 && x < width && y < height ? pixels[size_t(y) * size_t(width) + size_t(x)] & 0xFFFFFFu
                                                           : 0u;
    }
};

inline int Channel(uint32_t rgb, int shift) { return int((rgb >> shift) & 0xFF); }

// Whether two colours differ by at most the tolerance in every channel.
inline bool Near(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift : {0, 8, 16})
        if (std::abs(Channel(a, shift) - Channel(b, shift)) > tolerance)
            return false;
    return true;
}

// Whether a pixel within a pixel of (x, y) has about that colour.
inline bool NearAround(const Picture& p, int x, int y, uint32_t rgb, int tolerance)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (x + dx >= 0 && y + dy >= 0 && x + dx < p.width && y + dy < p.height &&
                Near(p.At(x + dx, y + dy), rgb, tolerance))
                return true;
    return false;
}

// Regions of screen pictures one under another, compared as one golden
// picture; what lies outside a picture reads black.
class Sheet {
public:
    void Add(const Picture& p, int x, int y, int w, int h)
    {
        Part part{w, h, std::vector<uint32_t>(size_t(w) * size_t(h))};
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) {
                const uint32_t c = p.At(x + i, y + j);
                part.pixels[size_t(j) * size_t(w) + size_t(i)] =
                    0xFF000000u | (c & 0xFFu) << 16 | (c & 0xFF00u) | (c >> 16 & 0xFFu);
            }
        parts_.push_back(std::move(part));
    }
    void ExpectGolden(const std::string& folder, const std::string& name, int tolerance = 8) const
    {
        int width = 0, height = 0;
        for (const Part& part : parts_)
            width = std::max(width, part.w), height += part.h;
        std::vector<uint32_t> pixels(size_t(width) * size_t(height), 0xFF000000u);
        int top = 0;
        for (const Part& part : parts_) {
            for (int j = 0; j < part.h; ++j)
                std::copy_n(part.pixels.begin() + long(j) * part.w, part.w, pixels.begin() + long(top + j) * width);
            top += part.h;
        }
        TestSupport::ExpectMatchesGolden(folder, name, pixels, width, height, tolerance);
    }

private:
    struct Part {
        int w, h;
        std::vector<uint32_t> pixels;
    };
    std::vector<Part> parts_;
};
