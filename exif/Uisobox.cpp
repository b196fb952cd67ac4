// Box headers and big-endian numbers of ISO base media files.
#include "exif/Uisobox.h"

#include <algorithm>
#include <cstring>

namespace exif::iso {

bool Reader::Bytes(std::uint64_t qwPos, std::uint64_t qwLimit, void* pBuffer, std::size_t cb)
{
    if (qwLimit > m_qwSize || qwPos > qwLimit || cb > qwLimit - qwPos)
        return false;
    if (cb == 0)
        return true;
    if (cb > kWindow / 4)
        return m_src.Read(qwPos, pBuffer, cb);
    if (qwPos < m_qwWindow || qwPos - m_qwWindow > m_window.size() || cb > m_window.size() - (qwPos - m_qwWindow)) {
        m_window.resize(std::size_t(std::min<std::uint64_t>(kWindow, m_qwSize - qwPos)));
        m_qwWindow = qwPos;
        if (!m_src.Read(qwPos, m_window.data(), m_window.size())) {
            m_window.clear();
            return false;
        }
    }
    std::memcpy(pBuffer, m_window.data() + (qwPos - m_qwWindow), cb);
    return true;
}

bool Reader::Number(std::uint64_t qwPos, std::uint64_t qwLimit, int nBytes, std::uint64_t& qwValue)
{
    std::uint8_t ab[8];
    if (nBytes < 0 || nBytes > 8 || !Bytes(qwPos, qwLimit, ab, std::size_t(nBytes)))
        return false;
    qwValue = 0;
    for (int k = 0; k < nBytes; ++k)
        qwValue = qwValue << 8 | ab[k];
    return true;
}

bool Reader::U32(std::uint64_t qwPos, std::uint64_t qwLimit, std::uint32_t& dwValue)
{
    std::uint64_t qw = 0;
    if (!Number(qwPos, qwLimit, 4, qw))
        return false;
    dwValue = std::uint32_t(qw);
    return true;
}

bool Reader::BoxAt(std::uint64_t qwPos, std::uint64_t qwParentEnd, Box& box)
{
    if (m_nBoxes >= kMaxBoxes)
        return false;
    ++m_nBoxes;
    if (qwParentEnd > m_qwSize)
        qwParentEnd = m_qwSize;
    std::uint8_t ab[16];
    if (!Bytes(qwPos, qwParentEnd, ab, 8))
        return false;
    const std::uint64_t qwRoom = qwParentEnd - qwPos;
    std::uint64_t qwSize = std::uint64_t(ab[0]) << 24 | std::uint64_t(ab[1]) << 16 | std::uint64_t(ab[2]) << 8 | ab[3];
    std::uint64_t qwHeader = 8;
    if (qwSize == 1) {
        if (!Number(qwPos + 8, qwParentEnd, 8, qwSize))
            return false;
        qwHeader = 16;
    } else if (qwSize == 0) {
        qwSize = qwRoom;
    }
    box.type = std::uint32_t(ab[4]) << 24 | std::uint32_t(ab[5]) << 16 | std::uint32_t(ab[6]) << 8 | ab[7];
    if (box.type == Fourcc("uuid")) {
        if (!Bytes(qwPos + qwHeader, qwParentEnd, box.abUuid, 16))
            return false;
        qwHeader += 16;
    } else {
        std::memset(box.abUuid, 0, sizeof box.abUuid);
    }
    if (qwSize < qwHeader || qwSize > qwRoom)
        return false;
    box.qwStart = qwPos;
    box.qwBody = qwPos + qwHeader;
    box.qwEnd = qwPos + qwSize;
    return true;
}

}  // namespace exif::iso

namespace exif::iso {

std::uint64_t Cursor::Get(int nBytes)
{
    if (!bOk || nBytes < 0 || nBytes > 8 || std::size_t(nBytes) > cbData - nPos) {
        bOk = false;
        return 0;
    }
    std::uint64_t qw = 0;
    for (int k = 0; k < nBytes; ++k)
        qw = qw << 8 | pData[nPos++];
    return qw;
}

std::string_view Cursor::CString()
{
    if (!bOk)
        return {};
    const std::size_t nStart = nPos;
    while (nPos < cbData && pData[nPos] != 0)
        ++nPos;
    const std::string_view text(reinterpret_cast<const char*>(pData) + nStart, nPos - nStart);
    if (nPos < cbData)
        ++nPos;
    return text;
}

}  // namespace exif::iso
