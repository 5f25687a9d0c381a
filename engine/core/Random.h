#pragma once

#include "engine/core/EngineApi.h"

#include <cstdint>

namespace Util {

// The system's arithmetic assumes the C runtime's 15-bit generator
// (0..32767); glibc's rand() has a 31-bit range, so we keep our own. One
// per process: the game binds to the engine's, so the engine's seeding
// reaches the game's draws too.
constexpr int kRandMax = 32767;

ENGINE_API void SeedRandom(uint32_t seed);
ENGINE_API int Random(); // 0..kRandMax

} // namespace Util
