// Every test of this program, and every velmora-cli it starts, journals into a private folder.
#include "PrivateStateHome.h"

namespace {
const PrivateStateHome g_stateHome;
}  // namespace
