// The library's message catalogue.
#pragma once

#include "UTxStrings.h"

constexpr int kTxMessageCount = 7;
enum TxMessageIndex {
    TXMSG_INTERNAL = 0,
    TXMSG_INDEX_RANGE = 1,
    TXMSG_SIZE_OVERFLOW = 2,
    TXMSG_NO_MEMORY = 3,
    TXMSG_READ_ERROR = 4,   // "Error reading file %s."
    TXMSG_WRITE_ERROR = 5,  // "Error writing to file %s."
    TXMSG_SEEK_ERROR = 6,   // "Error seeking in file %s."
};

extern TxString TxMessages[kTxMessageCount];

// Fills the catalogue once; a second initialiser changes nothing.
class TxLibInitializer {
public:
    TxLibInitializer();
};
