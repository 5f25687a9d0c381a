#include "RenderTestSupport.h"

#include "engine/files/IFile.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace RenderTest {

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
