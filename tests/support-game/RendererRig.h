#pragma once

// An engine started in a game folder with a 1024 x 768 renderer, fonts off,
// and the three atlases the game makes, for the tests that draw real frames.

#include "FakeResourceHost.h"

#include "engine/core/Engine.h"
#include "engine/render/IRenderer.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

inline Engine* NewEngineIn(const std::string& dir)
{
    TestSupport::ScopedChdir in(dir);
    return new Engine();
}

// Fails the test when anything does not start; call with ASSERT_NO_FATAL_FAILURE.
inline void StartRenderer(Engine* engine, IRenderer** renderer)
{
    ASSERT_TRUE(engine->Init());
    *renderer = engine->CreateRenderer(2);
    ASSERT_NE(*renderer, nullptr);
    (*renderer)->SetUseFonts(false);
    ASSERT_TRUE((*renderer)->Init(1024, 768, 32, false, false));
    ASSERT_TRUE((*renderer)->LoadShaders());
    (*renderer)->CreateAtlas(0, 0);
    (*renderer)->CreateAtlas(1, 1);
    (*renderer)->CreateAtlas(2, 1);
}

struct RendererRig {
    void Open(const std::string& dir)
    {
        engine.reset(NewEngineIn(dir));
        ASSERT_NO_FATAL_FAILURE(StartRenderer(engine.get(), &renderer));
        host.renderer = renderer;
    }

    ~RendererRig()
    {
        if (renderer)
            renderer->Shutdown();
        if (engine)
            engine->Shutdown();
    }

    std::unique_ptr<Engine> engine;
    IRenderer* renderer = nullptr;
    FakeHost host;
};
