// Setting the time stamp of a file whose bytes stay as they are.
#pragma once

#include "../platform/winrewrite.h"

#include <cstdint>
#include <string>

enum class TxStampResult { Set, Replaced, Failed };

// Sets the last-write time (the last-access time is kept) of the file that was read as
// stampRead: Replaced when another file stands under the name now, Failed when the time cannot
// be set (the file is gone, or this user does not own it).
TxStampResult TxSetWriteTime(const std::string& strPath, const FileStamp& stampRead, std::int64_t nSec,
                             std::int64_t nNsec);
