#include "exif/Ufilesource.h"

#include "platform/winfile.h"
#include "platform/winrewrite.h"

#include <algorithm>
#include <cstring>

namespace exif {

FileSource::~FileSource() { Close(); }

bool FileSource::Open(const char* pszPath)
{
    Close();
    std::uint64_t qwSize = 0;
    const int hFile = FileOpen(pszPath, FileOpenMode::ReadExisting, &qwSize);
    if (hFile == INVALID_FILE_HANDLE)
        return false;
    m_hFile = hFile;
    m_qwSize = qwSize;
    return true;
}

void FileSource::Close()
{
    if (m_hFile >= 0)
        FileClose(m_hFile);
    m_hFile = -1;
    m_qwSize = 0;
}

bool FileSource::Read(std::uint64_t qwOffset, void* pBuffer, std::size_t cb)
{
    if (m_hFile < 0 || qwOffset > m_qwSize || cb > m_qwSize - qwOffset)
        return false;
    std::size_t cbDone = 0;
    while (cbDone < cb) {
        const std::uint32_t dwPiece = std::uint32_t(cb - cbDone < 0x40000000u ? cb - cbDone : 0x40000000u);
        std::uint32_t dwRead = 0;
        if (!FileReadAt(m_hFile, qwOffset + cbDone, static_cast<char*>(pBuffer) + cbDone, dwPiece, &dwRead) ||
            dwRead != dwPiece)
            return false;  // the file shrank since it was opened, or the read failed
        cbDone += dwPiece;
    }
    return true;
}

bool HeadCachedSource::Read(std::uint64_t qwOffset, void* pBuffer, std::size_t cb)
{
    if (!m_bTried && (m_bFirstDone || qwOffset > 0 || cb > 16)) {
        m_bTried = true;
        m_head.resize(std::size_t(std::min<std::uint64_t>(m_src.Size(), kHead)));
        if (!m_src.Read(0, m_head.data(), m_head.size()))
            m_head.clear();
    }
    if (qwOffset <= m_head.size() && cb <= m_head.size() - qwOffset) {
        if (cb != 0)
            std::memcpy(pBuffer, m_head.data() + qwOffset, cb);
        return true;
    }
    m_bFirstDone = true;
    return m_src.Read(qwOffset, pBuffer, cb);
}

}  // namespace exif
