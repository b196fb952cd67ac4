// What the writing commands share on their command line, and the time stamp of a local date.
#pragma once

#include "platform/wintypes.h"

#include <string>

// -r, -n and --allow-hard-links; ParseOption takes one and says whether it was one of them.
struct CommonOptions {
    bool bRecursive = false;
    bool bDryRun = false;
    bool bAllowHardLinks = false;
    bool ParseOption(const char* pszArg);
};

// An option, as opposed to an offset ("-1:00") or a file: "-" and a letter or a second "-".
bool IsOption(const char* pszArg);

// The file's time stamp for a local date: with the offset in force at that date; in the hour
// the clocks show twice, the occurrence nearer the file's present time stamp.
bool StampForLocal(const std::string& strPath, const FILETIME& ftLocal, FILETIME& ftUtc);
