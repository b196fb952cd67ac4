// A small program that logs one record, for the test with the real receiver program.
// Prints whether the log was active and how often the logged argument was evaluated.
#include "tx/UTxUtils.h"

#include <cstdio>

namespace {
int s_nEvaluated = 0;
const char* Name()
{
    ++s_nEvaluated;
    return "IMG_1.JPG";
}
}  // namespace

int main()
{
    TX_LOG("Found file %s", Name());
    std::printf("active=%d evaluated=%d\n", g_bLogActive ? 1 : 0, s_nEvaluated);
    return 0;
}
