#include "LiveAllocations.h"

#include <atomic>
#include <cstdlib>
#include <new>

// Counting replacements of the global allocation functions: a test compares
// the count around a piece of code to see that it frees what it allocates.
// The standard library's array forms call these; the nothrow ones are
// replaced too, since a sanitizer's runtime has its own that would not pair
// with the delete here.
namespace {
std::atomic<long> g_live{0};
}

long LiveAllocations() { return g_live.load(); }

void* operator new(std::size_t size)
{
    void* p = std::malloc(size ? size : 1);
    if (!p)
        throw std::bad_alloc();
    ++g_live;
    return p;
}

void operator delete(void* p) noexcept
{
    if (!p)
        return;
    --g_live;
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    void* p = std::malloc(size ? size : 1);
    if (p)
        ++g_live;
    return p;
}

void operator delete(void* p, const std::nothrow_t&) noexcept { operator delete(p); }
