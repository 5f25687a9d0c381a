#pragma once

#ifndef VORNHAL_DEDICATED

#include "engine/render/IRenderer.h"

namespace Gl {
class GlxContext;
}

// One host window the renderer draws into, with its own GL context.
struct RenderWindow {
    NativeWindow window = 0;
    Gl::GlxContext* context = nullptr;
    int width = 0;
    int height = 0;
};

#endif
