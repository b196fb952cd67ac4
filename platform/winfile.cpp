// File handles with advisory-lock sharing, attributes, time stamps and the executable's path.
#include "winfile.h"

#include "wintime.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace {

struct OpenParameters {
    int flags;
    int lock;  // 0 = none
    bool bTruncate;
};

OpenParameters ParametersFor(FileOpenMode mode)
{
    switch (mode) {
    case FileOpenMode::ReadExisting:
        return {O_RDONLY, LOCK_SH, false};
    case FileOpenMode::ReadWriteExisting:
        return {O_RDWR, LOCK_EX, false};
    case FileOpenMode::ReadWriteCreate:
        return {O_RDWR | O_CREAT, LOCK_EX, true};
    case FileOpenMode::WriteExistingShared:
        return {O_WRONLY, 0, false};
    case FileOpenMode::AppendOpenAlways:
        return {O_WRONLY | O_CREAT | O_APPEND, LOCK_EX, false};
    case FileOpenMode::ReadWriteOpenAlways:
        return {O_RDWR | O_CREAT, LOCK_EX, false};
    }
    return {O_RDONLY, LOCK_SH, false};
}

// Closes without disturbing the error code the caller is about to report.
void CloseKeepingError(int hFile)
{
    const int saved = errno;
    close(hFile);
    errno = saved;
}

// Takes the advisory lock, waiting a little for a holder that is about to let go (another copy
// of the program reading or rewriting the same photograph for a moment), so that such a brief
// overlap does not make an EXIF rewrite fail. False with errno set when it cannot be had.
bool TakeLock(int hFile, int lock)
{
    constexpr int kTries = 50;           // 50 x 10 ms: at most half a second
    constexpr long kPauseNs = 10000000;  // 10 ms
    for (int nTry = 0;; ++nTry) {
        if (flock(hFile, lock | LOCK_NB) == 0)
            return true;
        if ((errno != EWOULDBLOCK && errno != EINTR) || nTry == kTries)
            return false;
        timespec pause{0, kPauseNs};
        nanosleep(&pause, nullptr);
    }
}

timespec ToTimespec(const FILETIME* pTime)
{
    timespec ts{};
    if (pTime == nullptr) {
        ts.tv_nsec = UTIME_OMIT;
        return ts;
    }
    std::int64_t seconds = 0, nanoseconds = 0;
    FileTimeToUnix(*pTime, &seconds, &nanoseconds);
    ts.tv_sec = static_cast<time_t>(seconds);
    ts.tv_nsec = static_cast<long>(nanoseconds);
    return ts;
}

bool ValidTimes(const FILETIME* pLastAccess, const FILETIME* pLastWrite)
{
    std::int64_t s = 0, ns = 0;
    if ((pLastAccess && !FileTimeToUnix(*pLastAccess, &s, &ns)) ||
        (pLastWrite && !FileTimeToUnix(*pLastWrite, &s, &ns))) {
        errno = EINVAL;
        return false;
    }
    return true;
}

bool ValidPath(const char* pszPath)
{
    if (pszPath == nullptr || *pszPath == '\0') {
        errno = ENOENT;
        return false;
    }
    return true;
}

}  // namespace

int FileOpen(const char* pszPath, FileOpenMode mode, std::uint64_t* pqwSize)
{
    if (!ValidPath(pszPath))
        return INVALID_FILE_HANDLE;
    const OpenParameters params = ParametersFor(mode);
    // O_NONBLOCK keeps a named pipe from blocking the open; such files are refused below.
    int hFile;
    do {
        hFile = open(pszPath, params.flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    } while (hFile < 0 && errno == EINTR);
    if (hFile < 0)
        return INVALID_FILE_HANDLE;
    struct stat st {};
    if (fstat(hFile, &st) != 0) {
        CloseKeepingError(hFile);
        return INVALID_FILE_HANDLE;
    }
    if (!S_ISREG(st.st_mode)) {
        close(hFile);
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return INVALID_FILE_HANDLE;
    }
    // Blocking again; of the flags F_SETFL changes only O_APPEND was asked for.
    fcntl(hFile, F_SETFL, params.flags & O_APPEND);
    if (params.lock != 0 && !TakeLock(hFile, params.lock)) {
        // Only a conflicting lock refuses the open; a file system without locks is served.
        if (errno == EWOULDBLOCK || errno == EINTR) {
            CloseKeepingError(hFile);
            errno = EWOULDBLOCK;
            return INVALID_FILE_HANDLE;
        }
    }
    // Truncated only once the lock is held, so a file another copy is writing is never cut.
    if (params.bTruncate && ftruncate(hFile, 0) != 0) {
        CloseKeepingError(hFile);
        return INVALID_FILE_HANDLE;
    }
    if (pqwSize)
        *pqwSize = params.bTruncate ? 0 : static_cast<std::uint64_t>(st.st_size);
    return hFile;
}

void FileClose(int hFile)
{
    if (hFile >= 0)
        close(hFile);  // also releases the advisory lock
}

// Repeats a read or write until all is moved, the end of the file is met or an error comes;
// interrupted calls are retried. Each call moves at most 1 GiB (the kernel's own limit is
// just below 2 GiB).
template <typename Byte, typename Call>
bool TransferAll(Byte* p, std::uint32_t dwCount, std::uint32_t* pdwDone, Call call, bool bZeroIsError)
{
    std::uint32_t done = 0;
    bool bOk = true;
    while (done < dwCount) {
        const std::size_t chunk = dwCount - done > 0x40000000u ? 0x40000000u : dwCount - done;
        const ssize_t n = call(p + done, chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || (n == 0 && bZeroIsError)) {
            if (n == 0)
                errno = ENOSPC;
            bOk = false;
            break;
        }
        if (n == 0)
            break;  // end of file
        done += static_cast<std::uint32_t>(n);
    }
    if (pdwDone)
        *pdwDone = done;
    return bOk;
}

bool FileRead(int hFile, void* pBuffer, std::uint32_t dwCount, std::uint32_t* pdwRead)
{
    return TransferAll(static_cast<unsigned char*>(pBuffer), dwCount, pdwRead,
                       [hFile](unsigned char* p, std::size_t n) { return read(hFile, p, n); }, false);
}

bool FileWrite(int hFile, const void* pBuffer, std::uint32_t dwCount, std::uint32_t* pdwWritten)
{
    return TransferAll(static_cast<const unsigned char*>(pBuffer), dwCount, pdwWritten,
                       [hFile](const unsigned char* p, std::size_t n) { return write(hFile, p, n); }, true);
}

bool FileSeek(int hFile, std::uint64_t qwPos, std::uint64_t* pqwNewPos)
{
    if (qwPos > static_cast<std::uint64_t>(LLONG_MAX)) {
        errno = EINVAL;
        return false;
    }
    const off_t pos = lseek(hFile, static_cast<off_t>(qwPos), SEEK_SET);
    if (pos < 0)
        return false;
    if (pqwNewPos)
        *pqwNewPos = static_cast<std::uint64_t>(pos);
    return true;
}

bool FileSeekEnd(int hFile, std::uint64_t* pqwNewPos)
{
    const off_t pos = lseek(hFile, 0, SEEK_END);
    if (pos < 0)
        return false;
    if (pqwNewPos)
        *pqwNewPos = static_cast<std::uint64_t>(pos);
    return true;
}

bool FileGetSize(int hFile, std::uint64_t* pqwSize)
{
    struct stat st {};
    if (fstat(hFile, &st) != 0)
        return false;
    if (pqwSize)
        *pqwSize = static_cast<std::uint64_t>(st.st_size);
    return true;
}

bool FileFlush(int hFile)
{
    return fsync(hFile) == 0;
}

bool FileSetSize(int hFile, std::uint64_t qwSize)
{
    if (qwSize > static_cast<std::uint64_t>(LLONG_MAX)) {
        errno = EINVAL;
        return false;
    }
    return ftruncate(hFile, static_cast<off_t>(qwSize)) == 0;
}

DWORD GetFileAttributesA(const char* pszPath)
{
    if (!ValidPath(pszPath))
        return INVALID_FILE_ATTRIBUTES;
    struct stat st {};
    if (stat(pszPath, &st) != 0)
        return INVALID_FILE_ATTRIBUTES;
    const char* pszSlash = std::strrchr(pszPath, '/');
    return AttributesFromMode(st.st_mode, pszSlash ? pszSlash + 1 : pszPath);
}

DWORD AttributesFromMode(std::uint32_t mode, const char* pszName)
{
    DWORD attributes = 0;
    if ((mode & S_IWUSR) == 0)
        attributes |= FILE_ATTRIBUTE_READONLY;
    if (pszName && pszName[0] == '.' && std::strcmp(pszName, ".") != 0 &&
        std::strcmp(pszName, "..") != 0)
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    if (S_ISDIR(mode))
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

bool SetFileAttributesA(const char* pszPath, DWORD dwAttributes)
{
    std::uint32_t mode = 0;
    if (!GetFileMode(pszPath, &mode))
        return false;
    if (dwAttributes & FILE_ATTRIBUTE_READONLY)
        mode &= ~static_cast<std::uint32_t>(S_IWUSR);
    else
        mode |= S_IWUSR;
    return SetFileMode(pszPath, mode);
}

bool GetFileMode(const char* pszPath, std::uint32_t* pMode)
{
    if (!ValidPath(pszPath))
        return false;
    struct stat st {};
    if (stat(pszPath, &st) != 0)
        return false;
    if (pMode)
        *pMode = st.st_mode & 07777;
    return true;
}

bool GetFileLastWriteTime(const char* pszPath, FILETIME* pLastWrite)
{
    if (!ValidPath(pszPath) || pLastWrite == nullptr)
        return false;
    struct stat st {};
    if (stat(pszPath, &st) != 0)
        return false;
    *pLastWrite = FileTimeFromUnix(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
    return true;
}

bool SetFileMode(const char* pszPath, std::uint32_t mode)
{
    if (!ValidPath(pszPath))
        return false;
    return chmod(pszPath, static_cast<mode_t>(mode & 07777)) == 0;
}

bool SetFileTimeByPath(const char* pszPath, const FILETIME* /*pCreation*/,
                       const FILETIME* pLastAccess, const FILETIME* pLastWrite)
{
    if (!ValidPath(pszPath) || !ValidTimes(pLastAccess, pLastWrite))
        return false;
    if (pLastAccess == nullptr && pLastWrite == nullptr) {
        // utimensat succeeds with nothing to set without looking at the path.
        struct stat st {};
        return stat(pszPath, &st) == 0;
    }
    const timespec times[2] = {ToTimespec(pLastAccess), ToTimespec(pLastWrite)};
    return utimensat(AT_FDCWD, pszPath, times, 0) == 0;
}

bool SetFileTimeByHandle(int hFile, const FILETIME* /*pCreation*/, const FILETIME* pLastAccess,
                         const FILETIME* pLastWrite)
{
    if (!ValidTimes(pLastAccess, pLastWrite))
        return false;
    const timespec times[2] = {ToTimespec(pLastAccess), ToTimespec(pLastWrite)};
    return futimens(hFile, times) == 0;
}

std::string GetModuleFileNameA()
{
    std::string path(256, '\0');
    for (;;) {
        const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
        if (n < 0)
            return std::string();
        if (static_cast<std::size_t>(n) < path.size()) {
            path.resize(static_cast<std::size_t>(n));
            return path;
        }
        if (path.size() >= (1u << 20))
            return std::string();
        path.resize(path.size() * 2);
    }
}

std::string GetFullPathNameA(const std::string& strPath)
{
    if (strPath.empty() || strPath[0] == '/')
        return strPath;
    std::string folder(4096, '\0');
    while (getcwd(folder.data(), folder.size()) == nullptr) {
        if (errno != ERANGE || folder.size() >= (1u << 20))
            return strPath;
        folder.resize(folder.size() * 2);
    }
    folder.resize(std::strlen(folder.c_str()));
    return folder + (folder.back() == '/' ? "" : "/") + strPath;
}
