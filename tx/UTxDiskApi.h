// File object, file-exists test, folder search and folder entry description.
#pragma once

#include "../platform/winfile.h"
#include "../platform/wintypes.h"
#include "UTxStrings.h"
#include "Utxbaseclasses.h"

// One open file with a current position and size, as the object counts them (32-bit: files of
// 4 GiB or more are refused at open with ExNormal). A read-only object lets others read; a
// read-write object is exclusive. Failures are logged and raised as ExNormal, or only logged, as
// each operation says.
class TxFile : public TxObject {
public:
    TxFile(const char* pszPath, bool bReadOnly, bool bCreate);
    ~TxFile() override;
    TxFile(const TxFile&) = delete;
    TxFile& operator=(const TxFile&) = delete;

    void Read(void* pBuffer, DWORD dwCount, DWORD* pdwBytesRead = nullptr);
    void Write(const void* pBuffer, DWORD dwCount);
    void Seek(DWORD dwPos);
    DWORD GetSize() const;

    bool IsOpen() const { return m_bOpen; }
    DWORD GetPosition() const { return m_dwCurrentPos; }
    void SetCheckBounds(bool bCheck) { m_bCheckBounds = bCheck; }
    const TxString& FileName() const { return m_strFileName; }

private:
    int m_hFile = INVALID_FILE_HANDLE;
    bool m_bReadOnly = false;
    bool m_bOpen = false;
    // Where the file's offset stands (a Seek there moves nothing), or kPositionUnknown after a
    // failed read, write or seek.
    static constexpr DWORD kPositionUnknown = 0xFFFFFFFFu;
    DWORD m_dwCurrentPos = 0;
    DWORD m_dwCurrentSize = 0;
    TxString m_strFileName;
    bool m_bCheckBounds = false;
};

// True when the path names an existing entry that is not a folder. Never raises.
bool FileExists(const char* pszPath);

class TxFileInfo : public TxObject {
public:
    bool IsDirectory() const { return (m_dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    bool IsHidden() const { return (m_dwAttributes & FILE_ATTRIBUTE_HIDDEN) != 0; }
    bool IsDotEntry() const;

    DWORD m_dwAttributes = 0;
    FILETIME m_ftCreationTime{};
    FILETIME m_ftLastAccessTime{};
    FILETIME m_ftLastWriteTime{};  // UTC
    DWORD m_dwSizeLow = 0;
    DWORD m_dwSizeHigh = 0;
    TxString m_strName;
};

// Enumerates one folder. The folder always ends with "/" once the search has started (an empty
// folder becomes "/"). Entries come in the order the file system returns them, "." and ".."
// included. Never raises.
class TxFindFile {
public:
    TxFindFile() = default;
    ~TxFindFile() = default;
    TxFindFile(const TxFindFile&) = delete;
    TxFindFile& operator=(const TxFindFile&) = delete;

    bool FindFirst(const char* pszFolder, const char* pszMask);
    bool FindNext();
    bool IsDirectory() const;
    void GetInfo(TxFileInfo& info) const;
    const TxString& Folder() const { return m_strFolder; }

private:
    FindData m_findData;
    FolderSearch m_search;
    TxString m_strFolder;
    TxString m_strMask;
};
