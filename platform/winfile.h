// File handles, attributes, time stamps, folder enumeration and the executable's path.
// Every function sets the calling thread's last error (errno) when it fails.
#pragma once

#include "wintypes.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr int INVALID_FILE_HANDLE = -1;

enum class FileOpenMode {
    ReadExisting,         // read only; others may read (shared advisory lock)
    ReadWriteExisting,    // read and write; exclusive (exclusive advisory lock)
    ReadWriteCreate,      // read and write; created anew, truncated; exclusive
    WriteExistingShared,  // write; others may read (no lock taken)
    AppendOpenAlways,     // write; created if missing, not truncated; exclusive
    ReadWriteOpenAlways,  // read and write; created if missing, not truncated; exclusive
};

// Returns a handle or INVALID_FILE_HANDLE. A folder is refused (EISDIR). Exclusive modes take
// a non-blocking flock; a file locked by another writer (or, for exclusive modes, reader) is
// refused with EWOULDBLOCK.
int FileOpen(const char* pszPath, FileOpenMode mode, std::uint64_t* pqwSize = nullptr);
void FileClose(int hFile);
bool FileRead(int hFile, void* pBuffer, std::uint32_t dwCount, std::uint32_t* pdwRead);
bool FileWrite(int hFile, const void* pBuffer, std::uint32_t dwCount, std::uint32_t* pdwWritten);
bool FileSeek(int hFile, std::uint64_t qwPos, std::uint64_t* pqwNewPos);
bool FileSeekEnd(int hFile, std::uint64_t* pqwNewPos);
bool FileGetSize(int hFile, std::uint64_t* pqwSize);
bool FileFlush(int hFile);
bool FileSetSize(int hFile, std::uint64_t qwSize);  // cuts or extends the file

// stat/chmod view of the Windows attributes: read-only = owner's write bit clear; hidden = name
// begins with "."; system = never; folder = S_ISDIR. INVALID_FILE_ATTRIBUTES when missing.
DWORD GetFileAttributesA(const char* pszPath);
// The attributes of an entry with these stat mode bits and this name (without folder).
DWORD AttributesFromMode(std::uint32_t mode, const char* pszName);
// Sets or clears the owner's write bit from FILE_ATTRIBUTE_READONLY; the other bits have no
// settable counterpart and are ignored. The rest of the mode is kept.
bool SetFileAttributesA(const char* pszPath, DWORD dwAttributes);
// Mode bits of a file, to restore them exactly.
bool GetFileMode(const char* pszPath, std::uint32_t* pMode);
bool SetFileMode(const char* pszPath, std::uint32_t mode);
// The last-write time (mtime) of a file, UTC.
bool GetFileLastWriteTime(const char* pszPath, FILETIME* pLastWrite);

// utimensat: last-write = mtime, last-access = atime, null = UTIME_OMIT; creation is ignored.
bool SetFileTimeByPath(const char* pszPath, const FILETIME* pCreation, const FILETIME* pLastAccess,
                       const FILETIME* pLastWrite);
bool SetFileTimeByHandle(int hFile, const FILETIME* pCreation, const FILETIME* pLastAccess,
                         const FILETIME* pLastWrite);

// One folder entry as FindFirstFile reports it; times are UTC.
struct FindData {
    DWORD dwFileAttributes = 0;
    FILETIME ftCreationTime{};
    FILETIME ftLastAccessTime{};
    FILETIME ftLastWriteTime{};
    DWORD nFileSizeHigh = 0;
    DWORD nFileSizeLow = 0;
    std::string cFileName;
};

// opendir/readdir over one folder, the mask matched as MatchesFileMask (winmask.h) does: one
// pattern or several separated by ";", each with fnmatch(FNM_CASEFOLD); "." and ".."
// are reported like other entries. The entries come in name order, A-Z compared without regard
// to case, as the usual Windows file system returns them (readdir's own order looks random to
// a person); each is described when it is reached. Not copyable.
class FolderSearch {
public:
    FolderSearch() = default;
    ~FolderSearch();
    FolderSearch(const FolderSearch&) = delete;
    FolderSearch& operator=(const FolderSearch&) = delete;

    // pszFolder ends with "/"; true when a first matching entry was found.
    bool First(const char* pszFolder, const char* pszMask, FindData* pData);
    bool Next(FindData* pData);
    void Close();
    bool IsOpen() const { return m_pDir != nullptr; }

private:
    bool Advance(FindData* pData);
    void* m_pDir = nullptr;
    std::string m_strFolder;
    std::string m_strMask;
    std::vector<std::string> m_names;  // the matching entries, in name order
    std::size_t m_nNext = 0;
};

// Full path of the running executable (readlink /proc/self/exe); empty on failure.
std::string GetModuleFileNameA();
// The path from the root: a relative one is taken from the current folder (links and ".." are
// kept as they are); unchanged when the current folder is not known.
std::string GetFullPathNameA(const std::string& strPath);
