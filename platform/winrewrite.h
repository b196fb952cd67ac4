// What an in-place rewrite of a file needs beyond opening it: the file's identity and exact
// times, reads and writes at a position, flushing to the device, and a close whose result
// counts. Every function sets the calling thread's last error (errno) when it fails.
#pragma once

#include <cstdint>

// A file as the file system keeps it, times to the nanosecond (UTC, seconds since 1970).
struct FileStamp {
    std::uint64_t qwDevice = 0;
    std::uint64_t qwInode = 0;
    std::uint64_t qwSize = 0;
    std::uint64_t qwLinks = 0;
    std::int64_t nAccessSec = 0;
    std::int64_t nAccessNsec = 0;
    std::int64_t nWriteSec = 0;
    std::int64_t nWriteNsec = 0;

    bool SameFile(const FileStamp& other) const
    {
        return qwDevice == other.qwDevice && qwInode == other.qwInode;
    }
};

bool FileGetStamp(int hFile, FileStamp* pStamp);
bool FileGetStampByPath(const char* pszPath, FileStamp* pStamp);
// Sets the last-access and last-write times of the stamp, exactly. Only the file's owner (or a
// privileged user) may: a user who may merely write the file is refused (EPERM).
bool FileSetStampTimes(int hFile, const FileStamp& stamp);
bool FileSetStampTimesByPath(const char* pszPath, const FileStamp& stamp);

// pread and pwrite, the whole count or failure (a short read reports what it got).
bool FileReadAt(int hFile, std::uint64_t qwPos, void* pBuffer, std::uint32_t dwCount, std::uint32_t* pdwRead);
bool FileWriteAt(int hFile, std::uint64_t qwPos, const void* pBuffer, std::uint32_t dwCount);

bool FileSyncData(int hFile);        // fdatasync: this file's data on the device
bool FileSyncFileSystem(int hFile);  // syncfs: everything of the file system the file lies on
// close, with its result: on a network file system a write error may show only here.
bool FileCloseChecked(int hFile);
// rename: the file under pszTo is replaced by pszFrom in one step (both on one file system).
bool FileReplaceByRename(const char* pszFrom, const char* pszTo);
// fsync of a folder, so that a file just created or renamed in it stays after a power cut.
bool FolderSync(const char* pszFolder);
