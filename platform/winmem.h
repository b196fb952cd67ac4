// A fixed, zero-filled memory block that knows its size.
#pragma once

#include <cstddef>

void* GlobalAllocZeroed(std::size_t cbSize);  // null when the memory cannot be had
std::size_t GlobalSize(const void* pBlock);   // 0 for null
void GlobalFree(void* pBlock);                // null is allowed
