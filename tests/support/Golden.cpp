#include "support/Golden.h"

#include "engine/files/FileManager.h"
#include "engine/files/IFile.h"
#include "engine/png/PngImage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace TestSupport {

void WritePng(const std::string& path, int w, int h, const std::vector<uint32_t>& rgbaTopDown)
{
    std::vector<uint32_t> bottomUp(rgbaTopDown.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            bottomUp[size_t(h - 1 - y) * w + x] = rgbaTopDown[size_t(y) * w + x];
    FileManager files;
    std::unique_ptr<IFile> file(files.Open(std::u16string(path.begin(), path.end()).c_str(), 1, 1));
    ASSERT_NE(file, nullptr) << path;
    PngImage png(file.get());
    png.SetPixels(w, h, bottomUp.data());
    ASSERT_TRUE(png.Write());
    file->Flush();
}

bool ReadPng(const std::string& path, int* w, int* h, std::vector<uint32_t>* pixels)
{
    FileManager files;
    std::unique_ptr<IFile> file(files.Open(std::u16string(path.begin(), path.end()).c_str(), 0, 1 | 2));
    if (!file)
        return false;
    PngImage png(file.get());
    if (!png.Read(true) || !png.GetPixels())
        return false;
    *w = png.GetWidth();
    *h = png.GetHeight();
    pixels->assign(png.GetPixels(), png.GetPixels() + size_t(*w) * size_t(*h));
    return true;
}

void ExpectMatchesGolden(const std::string& folder, const std::string& name, const std::vector<uint32_t>& pixels, int w,
                         int h, int tolerance)
{
    const std::filesystem::path dir = std::filesystem::path(VORNHAL_SOURCE_DIR) / "tests" / folder;
    const std::string path = (dir / (name + ".png")).string();
    if (!std::filesystem::exists(path)) {
        const char* ci = std::getenv("CI");
        if (ci && std::string(ci) == "true") {
            ADD_FAILURE() << "golden image missing: " << path;
            return;
        }
        // A picture from a test that already failed is no reference.
        if (testing::Test::HasFailure()) {
            ADD_FAILURE() << "golden image not written, the test failed: " << path;
            return;
        }
        std::filesystem::create_directories(dir);
        WritePng(path, w, h, pixels);
        std::printf("wrote golden %s\n", path.c_str());
        return;
    }
    int gw = 0, gh = 0;
    std::vector<uint32_t> golden;
    ASSERT_TRUE(ReadPng(path, &gw, &gh, &golden)) << path;
    ASSERT_EQ(gw, w);
    ASSERT_EQ(gh, h);
    int bad = 0;
    for (size_t i = 0; i < pixels.size(); ++i) {
        const uint32_t p = pixels[i], g = golden[i]; // g is 0xAARRGGBB
        const int d[3] = {int(p & 255) - int((g >> 16) & 255), int((p >> 8) & 255) - int((g >> 8) & 255),
                          int((p >> 16) & 255) - int(g & 255)};
        for (int c : d)
            if (c > tolerance || c < -tolerance) {
                if (bad++ < 5)
                    ADD_FAILURE() << name << ": pixel (" << i % w << ", " << i / w << ") differs by " << c;
                break;
            }
    }
    EXPECT_EQ(bad, 0) << name;
}

} // namespace TestSupport
