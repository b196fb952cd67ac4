// TxFile: one open file, read and written at a current position, with 32-bit counters.
#include "UTxDiskApi.h"

#include "../platform/winerror.h"
#include "UTxBase.h"
#include "UTxLanguage.h"
#include "UTxUtils.h"

#include <cerrno>
#include <string>

namespace {
constexpr std::uint64_t kMaxCounted = 0xFFFFFFFFull;  // the largest size the counters hold
}  // namespace

TxFile::TxFile(const char* pszPath, bool bReadOnly, bool bCreate)
    : m_bReadOnly(bReadOnly), m_strFileName(pszPath)
{
    const FileOpenMode mode = bReadOnly ? FileOpenMode::ReadExisting
                              : bCreate ? FileOpenMode::ReadWriteCreate
                                        : FileOpenMode::ReadWriteExisting;
    std::uint64_t qwSize = 0;  // as the open found it
    m_hFile = FileOpen(m_strFileName.Text(), mode, &qwSize);
    if (m_hFile == INVALID_FILE_HANDLE) {
        TX_LOG("TxFile::TxFile: File %s could not be open", m_strFileName.Text());
        ThrowLastError(false);
        return;
    }
    // The counters are 32 bits wide: a larger file would be read short or at a wrong place.
    if (qwSize > kMaxCounted) {
        TX_LOG("TxFile::TxFile: File %s is too large (4 GiB or more)", m_strFileName.Text());
        FileClose(m_hFile);
        m_hFile = INVALID_FILE_HANDLE;
        const std::string message =
            std::string("File ") + m_strFileName.Text() + " is too large (4 GiB or more).";
        throw ExNormal(message.c_str());
    }
    m_bOpen = true;
    m_dwCurrentSize = static_cast<DWORD>(qwSize);
}

TxFile::~TxFile()
{
    if (m_bOpen) {
        FileClose(m_hFile);
        m_hFile = INVALID_FILE_HANDLE;
        m_bOpen = false;
    }
}

void TxFile::Read(void* pBuffer, DWORD dwCount, DWORD* pdwBytesRead)
{
    if (!m_bOpen) {
        TX_LOG("TxFile::Read: reading closed file: %s. ", m_strFileName.Text());
        ThrowCatalogueMessage(TXMSG_READ_ERROR, m_strFileName.Text());
    }
    // Compared in 64 bits, so a huge count cannot wrap around and pass the check.
    if (m_bCheckBounds &&
        static_cast<std::uint64_t>(m_dwCurrentPos) + dwCount > m_dwCurrentSize) {
        TX_LOG("TxFile::Read: reading behind the end of file: %s. dwCount=%d, "
               "m_dwCurrentSize=%d, m_dwCurrentPos=%d",
               m_strFileName.Text(), static_cast<int>(dwCount), static_cast<int>(m_dwCurrentSize),
               static_cast<int>(m_dwCurrentPos));
        ThrowCatalogueMessage(TXMSG_READ_ERROR, m_strFileName.Text());
    }
    std::uint32_t dwRead = 0;
    if (!FileRead(m_hFile, pBuffer, dwCount, &dwRead)) {
        TX_LOG("TxFile::Read: ReadFile() failed by %s", m_strFileName.Text());
        m_dwCurrentPos = kPositionUnknown;  // part may have been read: the next Seek moves
        ThrowLastError(false);
        return;
    }
    m_dwCurrentPos += dwRead;
    if (pdwBytesRead)
        *pdwBytesRead = dwRead;
}

void TxFile::Write(const void* pBuffer, DWORD dwCount)
{
    if (!m_bOpen) {
        TX_LOG("TxFile::Write: Attempt to write to closed file %s", m_strFileName.Text());
        return;
    }
    if (m_bReadOnly) {
        TX_LOG("TxFile::Write: Attempt to write to read-only file %s", m_strFileName.Text());
        return;
    }
    // A write that would take the file to 4 GiB or more is refused before anything is written.
    if (static_cast<std::uint64_t>(m_dwCurrentPos) + dwCount > kMaxCounted) {
        TX_LOG("TxFile::Write: WriteFile() failed by %s - dwCount=%d, dwWasWritten=%d",
               m_strFileName.Text(), static_cast<int>(dwCount), 0);
        ThrowCatalogueMessage(TXMSG_WRITE_ERROR, m_strFileName.Text());
    }
    std::uint32_t dwWasWritten = 0;
    if (!FileWrite(m_hFile, pBuffer, dwCount, &dwWasWritten)) {
        TX_LOG("TxFile::Write: WriteFile() failed by %s", m_strFileName.Text());
        m_dwCurrentPos = kPositionUnknown;
        ThrowLastError(false);
        return;
    }
    if (dwWasWritten != dwCount) {
        TX_LOG("TxFile::Write: WriteFile() failed by %s - dwCount=%d, dwWasWritten=%d",
               m_strFileName.Text(), static_cast<int>(dwCount), static_cast<int>(dwWasWritten));
        ThrowCatalogueMessage(TXMSG_WRITE_ERROR, m_strFileName.Text());
    }
    m_dwCurrentPos += dwWasWritten;
    if (m_dwCurrentPos > m_dwCurrentSize)
        m_dwCurrentSize = m_dwCurrentPos;
}

void TxFile::Seek(DWORD dwPos)
{
    if (!m_bOpen) {
        TX_LOG("TxFile::Seek: seeking in closed file: %s. ", m_strFileName.Text());
        return;
    }
    if (m_bCheckBounds && dwPos > m_dwCurrentSize) {
        TX_LOG("TxFile::Seek: seeking behind the end of file: %s. dwPos=%d, m_dwCurrentSize=%d",
               m_strFileName.Text(), static_cast<int>(dwPos), static_cast<int>(m_dwCurrentSize));
        ThrowCatalogueMessage(TXMSG_SEEK_ERROR, m_strFileName.Text());
    }
    if (dwPos == m_dwCurrentPos && m_dwCurrentPos != kPositionUnknown)
        return;  // the file is there already (it opens at 0; reads and seeks keep the count)
    std::uint64_t qwNewPos = 0;
    if (!FileSeek(m_hFile, dwPos, &qwNewPos)) {
        m_dwCurrentPos = kPositionUnknown;
        TX_LOG("TxFile::Seek: SetFilePointer() failed by %s dwPos=%d, m_dwCurrentSize=%d",
               m_strFileName.Text(), static_cast<int>(dwPos), static_cast<int>(m_dwCurrentSize));
        ThrowLastError(false);
        return;
    }
    m_dwCurrentPos = static_cast<DWORD>(qwNewPos);
}

DWORD TxFile::GetSize() const
{
    return m_bOpen ? m_dwCurrentSize : 0;
}
