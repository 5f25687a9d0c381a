#pragma once

// A 1024 x 768 window over the build tree's game folder with the shipped
// scripts loaded, for the tests that look at drawn frames.
#include "DataSetChecks.h"
#include "support/DisplayCheck.h"

#include "engine/core/Engine.h"
#include "engine/render/IRenderer.h"
#include "game/world/system/StateFixture.h"

#include "engine/core/StringKit.h"
#include "engine/files/FileManager.h"
#include "engine/png/PngImage.h"

#include <cstdlib>
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

struct ScreenRig {
    // Fails the test when anything does not start; call with ASSERT_NO_FATAL_FAILURE.
    void Open()
    {
        ASSERT_TRUE(std::filesystem::exists(DataSet::GameDir() + "/game.data"));
        {
            TestSupport::ScopedChdir in(DataSet::GameDir());
            engine.reset(new Engine());
        }
        ASSERT_TRUE(engine->Init());
        renderer = engine->CreateRenderer(2);
        ASSERT_NE(renderer, nullptr);
        renderer->SetUseFonts(false);
        ASSERT_TRUE(renderer->Init(1024, 768, 32, false, false));
        ASSERT_TRUE(renderer->LoadShaders());
        renderer->CreateAtlas(0, 0);
        renderer->CreateAtlas(1, 1);
        renderer->CreateAtlas(2, 1);
        host.renderer = renderer;
        resources = std::make_unique<ResourceManager>(&host, engine.get(), nullptr);
        for (const std::string& name : DataSet::ScriptNames()) {
            std::string message;
            ASSERT_TRUE(DataSet::LoadScript(*resources, engine->GetFileManager(), name, &message)) << message;
        }
        resources->BuildIndex();
    }

    ~ScreenRig()
    {
        resources.reset();
        if (renderer)
            renderer->Shutdown();
        if (engine)
            engine->Shutdown();
    }

    std::unique_ptr<Engine> engine;
    IRenderer* renderer = nullptr;
    FakeHost host;
    std::unique_ptr<ResourceManager> resources;
};
