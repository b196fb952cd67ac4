// The file operations of an in-place rewrite.
#include "winrewrite.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void StampFromStat(const struct stat& st, FileStamp* pStamp)
{
    pStamp->qwDevice = std::uint64_t(st.st_dev);
    pStamp->qwInode = std::uint64_t(st.st_ino);
    pStamp->qwSize = std::uint64_t(st.st_size);
    pStamp->qwLinks = std::uint64_t(st.st_nlink);
    pStamp->nAccessSec = st.st_atim.tv_sec;
    pStamp->nAccessNsec = st.st_atim.tv_nsec;
    pStamp->nWriteSec = st.st_mtim.tv_sec;
    pStamp->nWriteNsec = st.st_mtim.tv_nsec;
}

void TimesOf(const FileStamp& stamp, timespec times[2])
{
    times[0].tv_sec = time_t(stamp.nAccessSec);
    times[0].tv_nsec = long(stamp.nAccessNsec);
    times[1].tv_sec = time_t(stamp.nWriteSec);
    times[1].tv_nsec = long(stamp.nWriteNsec);
}

}  // namespace

bool FileGetStamp(int hFile, FileStamp* pStamp)
{
    struct stat st {};
    if (fstat(hFile, &st) != 0)
        return false;
    StampFromStat(st, pStamp);
    return true;
}

bool FileGetStampByPath(const char* pszPath, FileStamp* pStamp)
{
    struct stat st {};
    if (pszPath == nullptr || stat(pszPath, &st) != 0)
        return false;
    StampFromStat(st, pStamp);
    return true;
}

bool FileSetStampTimes(int hFile, const FileStamp& stamp)
{
    timespec times[2];
    TimesOf(stamp, times);
    return futimens(hFile, times) == 0;
}

bool FileSetStampTimesByPath(const char* pszPath, const FileStamp& stamp)
{
    timespec times[2];
    TimesOf(stamp, times);
    return pszPath != nullptr && utimensat(AT_FDCWD, pszPath, times, 0) == 0;
}

bool FileReadAt(int hFile, std::uint64_t qwPos, void* pBuffer, std::uint32_t dwCount, std::uint32_t* pdwRead)
{
    std::uint32_t dwDone = 0;
    while (dwDone < dwCount) {
        const ssize_t n = pread(hFile, static_cast<char*>(pBuffer) + dwDone, dwCount - dwDone, off_t(qwPos + dwDone));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            if (pdwRead)
                *pdwRead = dwDone;
            return false;
        }
        if (n == 0)
            break;
        dwDone += std::uint32_t(n);
    }
    if (pdwRead)
        *pdwRead = dwDone;
    return true;
}

bool FileWriteAt(int hFile, std::uint64_t qwPos, const void* pBuffer, std::uint32_t dwCount)
{
    std::uint32_t dwDone = 0;
    while (dwDone < dwCount) {
        const ssize_t n = pwrite(hFile, static_cast<const char*>(pBuffer) + dwDone, dwCount - dwDone, off_t(qwPos + dwDone));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        dwDone += std::uint32_t(n);
    }
    return true;
}

bool FileSyncData(int hFile) { return fdatasync(hFile) == 0; }

bool FileSyncFileSystem(int hFile) { return syncfs(hFile) == 0; }

bool FileCloseChecked(int hFile)
{
    // After an interrupted close the descriptor is gone on Linux: it is never closed twice.
    const int r = close(hFile);
    return r == 0 || errno == EINTR;
}

bool FileReplaceByRename(const char* pszFrom, const char* pszTo)
{
    return pszFrom != nullptr && pszTo != nullptr && rename(pszFrom, pszTo) == 0;
}

bool FolderSync(const char* pszFolder)
{
    const int hFolder = open(pszFolder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (hFolder < 0)
        return false;
    const bool bOk = fsync(hFolder) == 0;
    close(hFolder);
    return bOk;
}
