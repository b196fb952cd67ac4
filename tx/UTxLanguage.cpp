// The library's message catalogue, filled once at program start.
#include "UTxLanguage.h"

// Constant-initialised (TxString's default constructor is constexpr), so the entries exist
// before any dynamic initialisation and an initialiser run from another unit's static
// initialisation fills them for good.
TxString TxMessages[kTxMessageCount];

namespace {
bool s_bMessagesFilled = false;
}  // namespace

TxLibInitializer::TxLibInitializer()
{
    if (s_bMessagesFilled)
        return;
    s_bMessagesFilled = true;
    TxMessages[TXMSG_INTERNAL].Assign(
        "Internal exception occured. Please read the Troubleshooting chapter in Help.");
    TxMessages[TXMSG_INDEX_RANGE].Assign("Collection index out of range.");
    TxMessages[TXMSG_SIZE_OVERFLOW].Assign("Collection size overflow.");
    TxMessages[TXMSG_NO_MEMORY].Assign("Not enough memory for collection.");
    TxMessages[TXMSG_READ_ERROR].Assign("Error reading file %s.");
    TxMessages[TXMSG_WRITE_ERROR].Assign("Error writing to file %s.");
    TxMessages[TXMSG_SEEK_ERROR].Assign("Error seeking in file %s.");
}

namespace {
const TxLibInitializer s_txLibInitializer;
}  // namespace
