// The file-exists test, the folder search and the folder entry description.
#include "UTxDiskApi.h"

#include <cerrno>

bool FileExists(const char* pszPath)
{
    // A plain test of the path: "*" and "?" in it are taken literally, not as a pattern.
    const int saved = errno;
    const DWORD dwAttributes = GetFileAttributesA(pszPath);
    errno = saved;
    return dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool TxFileInfo::IsDotEntry() const
{
    return IsDirectory() && (m_strName.Equals(".") || m_strName.Equals(".."));
}

bool TxFindFile::FindFirst(const char* pszFolder, const char* pszMask)
{
    m_strFolder.Assign(pszFolder);
    if (m_strFolder.IsEmpty() || m_strFolder.CharAt(m_strFolder.Length()) != '/')
        m_strFolder.Append("/");
    m_strMask.Assign(pszMask);
    m_findData = FindData{};
    return m_search.First(m_strFolder.Text(), m_strMask.Text(), &m_findData);
}

bool TxFindFile::FindNext()
{
    return m_search.IsOpen() && m_search.Next(&m_findData);
}

bool TxFindFile::IsDirectory() const
{
    return (m_findData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void TxFindFile::GetInfo(TxFileInfo& info) const
{
    info.m_dwAttributes = m_findData.dwFileAttributes;
    info.m_ftCreationTime = m_findData.ftCreationTime;
    info.m_ftLastAccessTime = m_findData.ftLastAccessTime;
    info.m_ftLastWriteTime = m_findData.ftLastWriteTime;
    info.m_dwSizeLow = m_findData.nFileSizeLow;
    info.m_dwSizeHigh = m_findData.nFileSizeHigh;
    info.m_strName.Assign(m_findData.cFileName.c_str());
}
