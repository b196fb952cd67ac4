// Writing a file's time stamps even when the file is read-only.
#include "Uonefile.h"

#include "../platform/winfile.h"
#include "../tx/UTxUtils.h"

#include <cstdint>

bool SetFileTimes(const char* pszPath, const FILETIME* pCreation, const FILETIME* pLastAccess,
                  const FILETIME* pLastWrite)
{
    std::uint32_t mode = 0;
    if (pszPath == nullptr || !GetFileMode(pszPath, &mode)) {
        TX_LOG("SetFileTimes: cannot read the mode of %s", pszPath ? pszPath : "");
        return false;
    }
    // A read-only file is made writable for the moment of the change only; its mode is then
    // put back exactly as it was, whatever happened in between.
    const DWORD dwAttributes = GetFileAttributesA(pszPath);
    const bool bReadOnly = dwAttributes != INVALID_FILE_ATTRIBUTES &&
                           (dwAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (bReadOnly)
        SetFileAttributesA(pszPath, dwAttributes & ~(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                                     FILE_ATTRIBUTE_SYSTEM));
    const int hFile = FileOpen(pszPath, FileOpenMode::WriteExistingShared);
    bool bResult = false;
    if (hFile == INVALID_FILE_HANDLE) {
        TX_LOG("SetFileTimes: cannot open %s", pszPath);
    } else {
        bResult = SetFileTimeByHandle(hFile, pCreation, pLastAccess, pLastWrite);
        if (!bResult)
            TX_LOG("SetFileTimes: cannot set the times of %s", pszPath);
        FileClose(hFile);
    }
    if (bReadOnly)
        SetFileMode(pszPath, mode);
    return bResult;
}
