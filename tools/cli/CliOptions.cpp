// The options the writing commands share.
#include "CliOptions.h"

#include "platform/winfile.h"
#include "platform/wintime.h"

#include <cctype>
#include <cstring>

bool CommonOptions::ParseOption(const char* pszArg)
{
    if (std::strcmp(pszArg, "-r") == 0 || std::strcmp(pszArg, "--recursive") == 0)
        return bRecursive = true;
    if (std::strcmp(pszArg, "-n") == 0 || std::strcmp(pszArg, "--dry-run") == 0)
        return bDryRun = true;
    if (std::strcmp(pszArg, "--allow-hard-links") == 0)
        return bAllowHardLinks = true;
    return false;
}

bool IsOption(const char* pszArg)
{
    return pszArg[0] == '-' && (pszArg[1] == '-' || std::isalpha(static_cast<unsigned char>(pszArg[1])));
}

bool StampForLocal(const std::string& strPath, const FILETIME& ftLocal, FILETIME& ftUtc)
{
    FILETIME ftNow{};
    const bool bNow = GetFileLastWriteTime(strPath.c_str(), &ftNow);
    return LocalFileTimeToFileTimeNear(&ftLocal, bNow ? &ftNow : nullptr, &ftUtc);
}
