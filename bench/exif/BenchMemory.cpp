// Counting operator new and delete: each block carries its size in front of it.
#include "BenchMemory.h"

#include <cstdlib>
#include <fstream>
#include <new>
#include <string>

namespace {

std::size_t g_cbInUse = 0;
std::size_t g_cbPeak = 0;
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* Allocate(std::size_t cb)
{
    auto* p = static_cast<unsigned char*>(std::malloc(cb + kHeader));
    if (!p)
        throw std::bad_alloc();
    *reinterpret_cast<std::size_t*>(p) = cb;
    g_cbInUse += cb;
    if (g_cbInUse > g_cbPeak)
        g_cbPeak = g_cbInUse;
    return p + kHeader;
}

void Release(void* pv)
{
    if (!pv)
        return;
    auto* p = static_cast<unsigned char*>(pv) - kHeader;
    g_cbInUse -= *reinterpret_cast<std::size_t*>(p);
    std::free(p);
}

}  // namespace

void* operator new(std::size_t cb) { return Allocate(cb); }
void* operator new[](std::size_t cb) { return Allocate(cb); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }

std::size_t HeapInUse() { return g_cbInUse; }
std::size_t HeapPeak() { return g_cbPeak; }
void ResetHeapPeak() { g_cbPeak = g_cbInUse; }

std::size_t ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stoul(line.substr(6));
    return 0;
}
