#include "RenderTestSupport.h"

#include "engine/files/IFile.h"
#include "engine/png/PngImage.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

// Last: Xlib defines macros such as None and Bool.
#include <X11/Xlib.h>

namespace RenderTest {

bool HaveDisplay()
{
    static int answer = -1;
    if (answer < 0) {
        const char* name = std::getenv("DISPLAY");
        Display* dpy = nullptr;
        // A named display that refuses for a moment (a server resetting as
        // its last client left) is tried again for a while.
        for (int attempt = 0; name && *name && !dpy && attempt < 50; ++attempt) {
            if (attempt > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            dpy = XOpenDisplay(name);
        }
        answer = dpy != nullptr;
        if (dpy)
            XCloseDisplay(dpy);
    }
    return answer == 1;
}

std::string ShaderSourceDir()
{
    return (std::filesystem::path(VORNHAL_SOURCE_DIR) / "data" / "shaders").string();
}

void CopyShaders(const std::string& dir)
{
    std::filesystem::copy(ShaderSourceDir(), dir + "/shaders", std::filesystem::copy_options::recursive);
}

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

GameDir::GameDir(bool withShaders)
{
    if (withShaders)
        CopyShaders(dir_.Path());
    TestSupport::ScopedChdir in(dir_.Path());
    files_.reset(new FileManager());
}

} // namespace RenderTest
