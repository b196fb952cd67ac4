// Box headers and big-endian numbers of ISO base media files.
#include "exif/Uisobox.h"

#include <algorithm>
#include <cstring>

namespace exif::iso {

bool Reader::Holds(std::uint64_t qwPos, std::size_t cb) const
{
    return qwPos >= m_qwWindow && qwPos - m_qwWindow <= m_window.size() && cb <= m_window.size() - (qwPos - m_qwWindow);
}

bool Reader::Bytes(std::uint64_t qwPos, std::uint64_t qwLimit, void* pBuffer, std::size_t cb)
{
    if (qwLimit > m_qwSize || qwPos > qwLimit || cb > qwLimit - qwPos)
        return false;
    if (cb == 0)
        return true;
    if (Holds(qwPos, cb)) {
        std::memcpy(pBuffer, m_window.data() + (qwPos - m_qwWindow), cb);
        return true;
    }
    return m_src.Read(qwPos, pBuffer, cb);
}

void Reader::ReadAhead(std::uint64_t qwFrom, std::uint64_t qwEnd)
{
    qwEnd = std::min(qwEnd, m_qwSize);
    if (qwFrom >= qwEnd)
        return;
    const std::size_t cb = std::size_t(std::min<std::uint64_t>(kWindow, qwEnd - qwFrom));
    if (Holds(qwFrom, cb))
        return;
    m_window.resize(cb);
    m_qwWindow = qwFrom;
    if (!m_src.Read(qwFrom, m_window.data(), cb))
        m_window.clear();
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
    qwParentEnd = std::min(qwParentEnd, m_qwSize);
    if (qwPos > qwParentEnd)
        return false;
    // The longest header at once: size, type, 64-bit size, a 'uuid' box's 16 bytes.
    const std::uint64_t qwRoom = qwParentEnd - qwPos;
    std::uint8_t ab[32];
    const std::size_t cbHead = std::size_t(std::min<std::uint64_t>(sizeof ab, qwRoom));
    if (cbHead < 8 || !Bytes(qwPos, qwParentEnd, ab, cbHead))
        return false;
    Cursor c(ab, cbHead);
    std::uint64_t qwSize = c.Get(4);
    box.type = std::uint32_t(c.Get(4));
    if (qwSize == 1)
        qwSize = c.Get(8);
    else if (qwSize == 0)
        qwSize = qwRoom;
    std::memset(box.abUuid, 0, sizeof box.abUuid);
    if (box.type == Fourcc("uuid") && c.Left() >= 16) {
        std::memcpy(box.abUuid, ab + c.nPos, 16);
        c.nPos += 16;
    } else if (box.type == Fourcc("uuid")) {
        c.bOk = false;
    }
    if (!c.bOk || qwSize < c.nPos || qwSize > qwRoom)
        return false;
    box.qwStart = qwPos;
    box.qwBody = qwPos + c.nPos;
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
