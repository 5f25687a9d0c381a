#include "RenderTestSupport.h"

#include "engine/files/IFile.h"

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

std::string ShaderSourceDir() { return (std::filesystem::path(VORNHAL_SOURCE_DIR) / "data" / "shaders").string(); }

void CopyShaders(const std::string& dir)
{
    std::filesystem::copy(ShaderSourceDir(), dir + "/shaders", std::filesystem::copy_options::recursive);
}

GameDir::GameDir(bool withShaders)
{
    if (withShaders)
        CopyShaders(dir_.Path());
    TestSupport::ScopedChdir in(dir_.Path());
    files_.reset(new FileManager());
}

} // namespace RenderTest
