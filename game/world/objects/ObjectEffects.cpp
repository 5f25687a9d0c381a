#include "game/world/objects/ObjectEffects.h"

namespace {
IObjectEffects* g_effects = nullptr;
}

void SetObjectEffects(IObjectEffects* effects) { g_effects = effects; }
IObjectEffects* GetObjectEffects() { return g_effects; }
