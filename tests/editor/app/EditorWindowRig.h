// The Editor on a display, run by a script in a game folder of its own.
#pragma once
#include "HostedLevel.h"
#include "support/ChildProcess.h"
#include "support/GameFolder.h"
#include "support/Golden.h"
#include "support/TestSupport.h"
#include "support/XDriver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

const std::string kBuild = VORNHAL_BUILD_DIR;

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
};

// Where the script last said the window was.
inline Rect Where(const std::string& output, const std::string& name)
{
    Rect r;
    const size_t at = output.rfind("where " + name + " ");
    if (at != std::string::npos)
        std::sscanf(output.c_str() + at + 7 + name.size(), "%d %d %d %d", &r.x, &r.y, &r.w, &r.h);
    return r;
}

class EditorWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "the editor needs an X display";
        folder_ = dir_.File("game");
        TestSupport::LayOutEditorFolder(folder_);
        setenv("XDG_CONFIG_HOME", dir_.Path().c_str(), 1);
        setenv("ALSOFT_DRIVERS", "null", 1);
        // Pictures of the windows: no blinking caret, no fading focus.
        std::filesystem::create_directories(dir_.File("gtk-3.0"));
        std::ofstream(dir_.File("gtk-3.0/settings.ini"))
            << "[Settings]\ngtk-cursor-blink = false\ngtk-enable-animations = false\n";
    }

    std::unique_ptr<TestSupport::ChildProcess> Start(const std::string& script, std::vector<std::string> args)
    {
        std::ofstream(dir_.File("run.script")) << script;
        args.push_back("--script");
        args.push_back(dir_.File("run.script"));
        return std::make_unique<TestSupport::ChildProcess>(kBuild + "/Editor", args, folder_);
    }

    std::string Level(const std::string& name) const { return folder_ + "/levels/" + name; }

    TestSupport::TempDir dir_;
    std::string folder_;
};

// Parts of pictures (0x00RRGGBB) one below the other, against a golden picture.
struct Stack {
    std::vector<std::vector<uint32_t>> rows;
    size_t across = 0;
    void Add(const std::vector<uint32_t>& picture, int w, const Rect& r)
    {
        for (int y = r.y; y < r.y + r.h; ++y) {
            const auto from = picture.begin() + ptrdiff_t(y * w + r.x);
            rows.emplace_back(from, from + r.w);
            across = std::max(across, size_t(r.w));
        }
    }
    void ExpectGolden(const std::string& name) const
    {
        std::vector<uint32_t> out;
        for (const auto& row : rows)
            for (size_t x = 0; x < across; ++x) {
                const uint32_t p = x < row.size() ? row[x] : 0;
                out.push_back(0xFF000000u | (p & 0xFF00u) | ((p >> 16) & 0xFFu) | ((p & 0xFFu) << 16));
            }
        TestSupport::ExpectMatchesGolden("editor/app/golden", name, out, int(across), int(rows.size()));
    }
};

// Whether most of the square at (x, y) has 8 more of one channel (shift 0
// blue, 8 green, 16 red) than of either other.
inline bool MostlyOf(const XShot& s, int shift, int x, int y, int side)
{
    int n = 0;
    for (int i = 0; i < side * side; ++i) {
        const uint32_t p = s.At(x + i % side, y + i / side);
        n += (p >> shift & 0xff) >= std::max(p >> (shift + 8) % 24 & 0xff, p >> (shift + 16) % 24 & 0xff) + 8;
    }
    return n > side * side / 2;
}

// The mean of one colour channel over the view's middle in a picture of the
// main window; -1 when the picture does not read.
inline double ViewMean(const std::string& png, const Rect& frame, const Rect& view, int shift)
{
    int w = 0, h = 0;
    std::vector<uint32_t> pixels;
    if (!LoadPng(png, &w, &h, &pixels))
        return -1;
    double sum = 0;
    int n = 0;
    for (int y = view.y - frame.y + 20; y < view.y - frame.y + 300 && y < h; ++y)
        for (int x = view.x - frame.x + 20; x < view.x - frame.x + 360 && x < w; ++x, ++n)
            sum += (pixels[size_t(y * w + x)] >> shift) & 0xff;
    return n ? sum / n : -1;
}
