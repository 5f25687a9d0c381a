#pragma once

#include "engine/core/IEngine.h"
#include "engine/files/FileManager.h"
#include "engine/render/Renderer_SDL.h"
#include "support/DisplayCheck.h"

#include "support/Golden.h"
#include "support/TestSupport.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace RenderTest {

// The project's shader programs, next to the sources.
std::string ShaderSourceDir();
// Copies data/shaders to dir/shaders.
void CopyShaders(const std::string& dir);
// A game folder in /tmp with its own file manager, and a renderer on it.
class GameDir {
public:
    explicit GameDir(bool withShaders);
    const std::string& Path() const { return dir_.Path(); }
    std::string File(const std::string& name) const { return dir_.File(name); }
    FileManager* Files() { return files_.get(); }

private:
    TestSupport::TempDir dir_;
    std::unique_ptr<FileManager> files_;
};

} // namespace RenderTest

#define REQUIRE_DISPLAY()                                                                                              \
    do {                                                                                                               \
        if (!HaveDisplay())                                                                                            \
            GTEST_SKIP() << "no X display: run under xvfb-run -a -s \"-screen 0 1280x1024x24\"";                       \
    } while (0)
