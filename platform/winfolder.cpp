// Folder enumeration with a case-insensitive mask.
#include "winfile.h"

#include "wintime.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>

namespace {

FILETIME ToFileTime(const timespec& ts)
{
    return FileTimeFromUnix(ts.tv_sec, ts.tv_nsec);
}

void FillFindData(const struct stat& st, const char* pszName, FindData* pData)
{
    pData->dwFileAttributes = AttributesFromMode(st.st_mode, pszName);
    // Linux keeps no settable creation time; the last-write time stands in for it.
    pData->ftCreationTime = ToFileTime(st.st_mtim);
    pData->ftLastAccessTime = ToFileTime(st.st_atim);
    pData->ftLastWriteTime = ToFileTime(st.st_mtim);
    const auto size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
    pData->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    pData->nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
    pData->cFileName = pszName;
}

}  // namespace

FolderSearch::~FolderSearch()
{
    Close();
}

bool FolderSearch::First(const char* pszFolder, const char* pszMask, FindData* pData)
{
    Close();
    m_strFolder = pszFolder ? pszFolder : "";
    m_strMask = pszMask ? pszMask : "";
    if (m_strFolder.empty()) {
        errno = ENOENT;
        return false;
    }
    DIR* pDir = opendir(m_strFolder.c_str());
    if (pDir == nullptr)
        return false;
    m_pDir = pDir;
    if (Advance(pData))
        return true;
    Close();
    return false;
}

bool FolderSearch::Next(FindData* pData)
{
    if (m_pDir == nullptr) {
        errno = EBADF;
        return false;
    }
    return Advance(pData);
}

void FolderSearch::Close()
{
    if (m_pDir != nullptr) {
        closedir(static_cast<DIR*>(m_pDir));
        m_pDir = nullptr;
    }
}

bool FolderSearch::Advance(FindData* pData)
{
    DIR* pDir = static_cast<DIR*>(m_pDir);
    const int hDir = dirfd(pDir);
    for (;;) {
        errno = 0;
        const dirent* pEntry = readdir(pDir);
        if (pEntry == nullptr) {
            if (errno == 0)
                errno = ENOENT;  // no more entries
            return false;
        }
        if (fnmatch(m_strMask.c_str(), pEntry->d_name, FNM_CASEFOLD) != 0)
            continue;
        struct stat st {};
        // A link is described by its target; a dangling one by the link itself.
        if (fstatat(hDir, pEntry->d_name, &st, 0) != 0 &&
            fstatat(hDir, pEntry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;  // vanished since it was listed
        if (pData != nullptr)
            FillFindData(st, pEntry->d_name, pData);
        return true;
    }
}
