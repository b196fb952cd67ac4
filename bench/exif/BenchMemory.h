// Heap use of this process, counted by its own operator new and delete.
#pragma once

#include <cstddef>

std::size_t HeapInUse();       // bytes allocated and not yet freed
std::size_t HeapPeak();        // the most in use since the last ResetHeapPeak
void ResetHeapPeak();
std::size_t ResidentKiB();     // the process's resident set (VmRSS)
