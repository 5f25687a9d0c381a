#pragma once

#include "engine/render/IRenderer.h"

// The common base of renderers; it holds nothing of its own.
class Renderer : public IRenderer {};
