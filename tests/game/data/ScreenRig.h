#pragma once

// A 1024 x 768 window over the build tree's game folder with the shipped
// scripts loaded, for the tests that look at drawn frames.
#include "DataSetChecks.h"
#include "support-game/RendererRig.h"
#include "support/DisplayCheck.h"

#include "engine/core/Engine.h"
#include "engine/render/IRenderer.h"
#include "game/world/system/StateFixture.h"

#include "engine/core/StringKit.h"
#include "engine/files/FileManager.h"
#include "engine/png/PngImage.h"

#include <GL/gl.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

// Mean of red, green and blue over the picture, 0..255.
inline double MeanBrightness(const std::string& path)
{
    FileManager files;
    std::unique_ptr<IFile> file(
        files.Open(Util::Widen(path.c_str()).c_str(), kOpenRead, kOpenFullPath | kOpenNoPackage));
    if (!file)
        return -1.0;
    PngImage png(file.get());
    if (!png.Read(true))
        return -1.0;
    double sum = 0;
    const int64_t n = int64_t(png.GetWidth()) * png.GetHeight();
    for (int64_t i = 0; i < n; ++i) {
        const uint32_t p = png.GetPixels()[i];
        sum += ((p >> 16) & 0xff) + ((p >> 8) & 0xff) + (p & 0xff);
    }
    return n ? sum / double(3 * n) : -1.0;
}

// Draws the world and its lights, saves the frame into a fresh
// <game>/screenshots/<name>/ and gives the picture's mean brightness.
inline double ShootWorld(IRenderer* renderer, GameSystem& game, const std::string& name)
{
    namespace fs = std::filesystem;
    const std::string dir = DataSet::GameDir() + "/screenshots/" + name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    while (glGetError() != GL_NO_ERROR) {
    }
    renderer->BeginScene();
    game.DrawWorld();
    game.DrawLightsAndOverlays();
    renderer->EndScene();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << name;
    renderer->SaveScreenshot(Util::Widen(dir.c_str()).c_str());
    renderer->Present();
    std::string shot;
    for (const auto& entry : fs::directory_iterator(dir))
        shot = entry.path().string();
    EXPECT_FALSE(shot.empty()) << dir;
    return MeanBrightness(shot);
}

struct ScreenRig : RendererRig {
    // Fails the test when anything does not start; call with ASSERT_NO_FATAL_FAILURE.
    void Open()
    {
        ASSERT_TRUE(std::filesystem::exists(DataSet::GameDir() + "/game.data"));
        ASSERT_NO_FATAL_FAILURE(RendererRig::Open(DataSet::GameDir()));
        resources = std::make_unique<ResourceManager>(&host, engine.get(), nullptr);
        for (const std::string& name : DataSet::ScriptNames()) {
            std::string message;
            ASSERT_TRUE(DataSet::LoadScript(*resources, engine->GetFileManager(), name, &message)) << message;
        }
        resources->BuildIndex();
    }

    // The resources go before the renderer that holds their pictures.
    ~ScreenRig() { resources.reset(); }

    std::unique_ptr<ResourceManager> resources;
};
