// One row of the file list, and writing a file's time stamps.
#pragma once

#include "../platform/wintypes.h"
#include "../tx/UTxStrings.h"
#include "../tx/Utxbaseclasses.h"
#include "UexifDate.h"

#include <string>

class COneFile : public TxObject {
public:
    FILETIME m_ftOriginal{};  // local time
    FILETIME m_ftNew{};       // local time
    TxString m_strName;
    DWORD m_dwFlags = 0;      // bit 0: reference file 1; bit 1: reference file 2
    // The last Apply wrote the file's time but not all of its EXIF dates: the row is still to
    // be applied, even where its file already shows the new time.
    bool m_bPending = false;
    ExifDateInfo m_exif;       // the picture's own date, once read
    bool m_bFromExif = false;  // the new time was set from that date (and perhaps shifted since)
    std::string m_strMark;     // why the row is marked (Czech, one reason a line); empty: not marked

    bool IsChanged() const { return m_bPending || !(m_ftNew == m_ftOriginal); }
};

constexpr DWORD kRefFile1 = 0x01;
constexpr DWORD kRefFile2 = 0x02;

// Sets the given times (null = unchanged) even on a read-only file, and puts its mode back as
// it was, whether the times could be set or not. True when the times were set.
bool SetFileTimes(const char* pszPath, const FILETIME* pCreation, const FILETIME* pLastAccess,
                  const FILETIME* pLastWrite);
