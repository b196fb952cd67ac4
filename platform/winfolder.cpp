// Folder enumeration with a case-insensitive mask of one or more patterns.
#include "winfile.h"

#include "winmask.h"
#include "wintime.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
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

unsigned char FoldAsciiCase(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// Name order without regard to the case of A-Z; names equal but for case in byte order, so the
// order never depends on readdir's.
bool NameBefore(const std::string& a, const std::string& b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char ca = FoldAsciiCase(static_cast<unsigned char>(a[i]));
        const unsigned char cb = FoldAsciiCase(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
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
    const std::vector<std::string> patterns = SplitFileMask(m_strMask.c_str());
    while (const dirent* pEntry = readdir(pDir)) {
        if (MatchesFileMask(patterns, pEntry->d_name))
            m_names.emplace_back(pEntry->d_name);
    }
    std::sort(m_names.begin(), m_names.end(), NameBefore);
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
    m_names.clear();
    m_nNext = 0;
}

bool FolderSearch::Advance(FindData* pData)
{
    const int hDir = dirfd(static_cast<DIR*>(m_pDir));
    while (m_nNext < m_names.size()) {
        const std::string& strName = m_names[m_nNext++];
        struct stat st {};
        // A link is described by its target; a dangling one by the link itself.
        if (fstatat(hDir, strName.c_str(), &st, 0) != 0 &&
            fstatat(hDir, strName.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;  // vanished since it was listed
        if (pData != nullptr)
            FillFindData(st, strName.c_str(), pData);
        return true;
    }
    errno = ENOENT;  // no more entries
    return false;
}
