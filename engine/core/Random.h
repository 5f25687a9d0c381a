#pragma once

#include <cstdint>

namespace Util {

// The system's arithmetic assumes the C runtime's 15-bit generator
// (0..32767); glibc's rand() has a 31-bit range, so we keep our own.
constexpr int kRandMax = 32767;

void SeedRandom(uint32_t seed);
int Random(); // 0..kRandMax

} // namespace Util
