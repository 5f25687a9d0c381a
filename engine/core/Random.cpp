#include "engine/core/Random.h"

#include <atomic>

namespace Util {

static std::atomic<uint32_t> g_state{1};

void SeedRandom(uint32_t seed) { g_state.store(seed, std::memory_order_relaxed); }

int Random()
{
    uint32_t s = g_state.load(std::memory_order_relaxed);
    uint32_t next;
    do {
        next = s * 214013u + 2531011u;
    } while (!g_state.compare_exchange_weak(s, next, std::memory_order_relaxed));
    return int((next >> 16) & 0x7FFF);
}

} // namespace Util
