// Zero-filled blocks with their size kept in a header just before the block.
#include "winmem.h"

#include <cstdlib>

namespace {
// The header keeps the block aligned as malloc would.
constexpr std::size_t kHeader = alignof(std::max_align_t) > sizeof(std::size_t)
                                    ? alignof(std::max_align_t)
                                    : sizeof(std::size_t);
}  // namespace

void* GlobalAllocZeroed(std::size_t cbSize)
{
    if (cbSize > static_cast<std::size_t>(-1) - kHeader)
        return nullptr;
    auto* pRaw = static_cast<unsigned char*>(std::calloc(1, cbSize + kHeader));
    if (pRaw == nullptr)
        return nullptr;
    *reinterpret_cast<std::size_t*>(pRaw) = cbSize;
    return pRaw + kHeader;
}

std::size_t GlobalSize(const void* pBlock)
{
    if (pBlock == nullptr)
        return 0;
    return *reinterpret_cast<const std::size_t*>(static_cast<const unsigned char*>(pBlock) - kHeader);
}

void GlobalFree(void* pBlock)
{
    if (pBlock != nullptr)
        std::free(static_cast<unsigned char*>(pBlock) - kHeader);
}
