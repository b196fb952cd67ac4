// Loading: the file is opened and read through a small window, chunk by chunk: the
// start-of-image pair is searched for, then the segments that follow it are followed by their
// lengths up to the start of the scan, and the first APP1 "Exif" segment among them is copied.
// An image appended after the picture is never reached. Where the segments do not hold
// together, the APP1 "Exif" segment is searched for byte by byte instead, as if the whole file
// were in memory. A large file is never held whole.
#include "exif/Uexif.h"

#include "exif/Uexif_tags.h"
#include "exif/Ureaders.h"
#include "tx/UTxBase.h"
#include "tx/UTxDiskApi.h"
#include "tx/UTxUtils.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr DWORD kWindowSize = 64 * 1024;
// The first read is small: in most files the EXIF block starts within a few bytes, and the
// block itself is then read on its own.
constexpr DWORD kFirstRead = 4 * 1024;

const BYTE kExifSignature[6] = {0x45, 0x78, 0x69, 0x66, 0x00, 0x00};  // "Exif" and two zeros

bool IsSoi(const BYTE* p) { return p[1] == 0xD8; }

bool IsExifApp1(const BYTE* p)
{
    return p[1] == 0xE1 && std::memcmp(p + 4, kExifSignature, sizeof(kExifSignature)) == 0;
}

}  // namespace

bool CExif::LoadFile()
{
    if (!FileExists(m_strFileName.Text()))
        return false;
    try {
        ReleaseFile();
        m_pFile = std::make_unique<TxFile>(m_strFileName.Text(), true, false);
        m_dwFileSize = m_pFile->GetSize();
        m_qwFileSize = m_dwFileSize;
        m_dwPos = 0;
        return true;
    } catch (const Exception& e) {
        TX_LOG("!VCL Exception: %s", e.Message());
        ReleaseFile();
        return false;
    }
}

bool CExif::WindowHolds(DWORD dwPos, DWORD dwLen) const
{
    return dwPos >= m_dwWindowStart &&
           std::uint64_t(dwPos) + dwLen <= std::uint64_t(m_dwWindowStart) + m_dwWindowLen;
}

// Makes file bytes [dwPos, dwPos + dwLen) available in the window (dwLen at most the window's
// size), reading a chunk that starts at dwPos when they are not. False when the file does not
// hold them.
bool CExif::FileWindow(DWORD dwPos, DWORD dwLen)
{
    if (WindowHolds(dwPos, dwLen))
        return true;
    if (dwLen > kWindowSize || std::uint64_t(dwPos) + dwLen > m_dwFileSize)
        return false;
    const DWORD dwChunk = m_pFileData ? kWindowSize : std::max(dwLen, kFirstRead);
    if (!m_pFileData)
        m_pFileData = new BYTE[kWindowSize];
    m_dwWindowStart = dwPos;
    m_dwWindowLen = 0;
    m_pFile->Seek(dwPos);
    DWORD dwRead = 0;
    m_pFile->Read(m_pFileData, std::min(dwChunk, m_dwFileSize - dwPos), &dwRead);
    m_dwWindowLen = dwRead;
    return dwRead >= dwLen;
}

// The open file as the container readers see it (a file the file object takes: below 4 GiB),
// read through the window, so that the first chunk serves both the JPEG search and the test of
// the other containers.
class CExif::WindowSource : public exif::ByteSource {
public:
    explicit WindowSource(CExif& exif) : m_exif(exif) {}
    std::uint64_t Size() const override { return m_exif.m_dwFileSize; }
    bool Read(std::uint64_t qwOffset, void* pBuffer, std::size_t cb) override
    {
        if (qwOffset > m_exif.m_dwFileSize || cb > m_exif.m_dwFileSize - qwOffset)
            return false;
        if (cb == 0)
            return true;
        try {
            if (cb <= kWindowSize) {
                // A stretch of the file's first 64 KiB brings all of them (a raw file's IFDs).
                const DWORD dwFrom = qwOffset + cb <= kWindowSize ? 0 : DWORD(qwOffset);
                if (!m_exif.FileWindow(dwFrom, DWORD(qwOffset + cb - dwFrom)))
                    return false;
                std::memcpy(pBuffer, m_exif.m_pFileData + (qwOffset - m_exif.m_dwWindowStart), cb);
                return true;
            }
            DWORD dwRead = 0;
            m_exif.m_pFile->Seek(DWORD(qwOffset));
            m_exif.m_pFile->Read(pBuffer, DWORD(cb), &dwRead);
            return dwRead == cb;
        } catch (const Exception& e) {
            TX_LOG("!VCL Exception: %s", e.Message());
            return false;
        }
    }

private:
    CExif& m_exif;
};

// The open file, when a container reader other than the JPEG search knows it.
bool CExif::OpenOtherContainer()
{
    WindowSource src(*this);
    return exif::LocateContainer(src, m_layout, false) && OpenContainer(src);
}

namespace {

// Finds the first position p with dwFrom <= p < qwLimit whose cbPattern bytes start with 0xFF
// and satisfy match; the window callback makes bytes available.
template <typename Window, typename Match>
bool Scan(DWORD& dwPos, std::uint64_t qwLimit, DWORD cbPattern, Window window, Match match)
{
    while (dwPos < qwLimit) {
        const BYTE* pBase = nullptr;
        DWORD dwStart = 0, dwLen = 0;
        if (!window(dwPos, cbPattern, pBase, dwStart, dwLen))
            return false;
        const std::uint64_t qwEnd = std::min<std::uint64_t>(qwLimit, std::uint64_t(dwStart) + dwLen - cbPattern + 1);
        while (dwPos < qwEnd) {
            const BYTE* p = pBase + (dwPos - dwStart);
            const void* pHit = std::memchr(p, 0xFF, qwEnd - dwPos);
            if (!pHit) {
                dwPos = DWORD(qwEnd);
                break;
            }
            dwPos += DWORD(static_cast<const BYTE*>(pHit) - p);
            if (match(pBase + (dwPos - dwStart)))
                return true;
            ++dwPos;
        }
    }
    return false;
}

}  // namespace

// Follows the segments from qwFrom (just after the start-of-image pair) by their lengths. found
// gets the position of the length field of each APP1 "Exif" segment (only the first unless
// bAll), qwNext the position after the last one found. True when the segments hold together up
// to the start of the scan or the end marker (or up to the first one found, unless bAll).
bool CExif::FollowSegments(std::uint64_t qwFrom, bool bAll, std::vector<std::uint64_t>& found, std::uint64_t& qwNext)
{
    std::uint64_t p = qwFrom;
    for (;;) {
        if (p + 2 > m_dwFileSize || !FileWindow(DWORD(p), 2))
            return false;
        const BYTE* b = m_pFileData + (p - m_dwWindowStart);
        if (b[0] != 0xFF)
            return false;
        const BYTE marker = b[1];
        if (marker == 0xFF) {  // a fill byte before the marker
            ++p;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9)  // start of scan, end of image
            return true;
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {  // markers without a length
            p += 2;
            continue;
        }
        if (marker == 0x00 || marker == 0xD8 || p + 4 > m_dwFileSize || !FileWindow(DWORD(p), 4))
            return false;
        b = m_pFileData + (p - m_dwWindowStart);
        const DWORD dwLength = DWORD(b[2]) << 8 | b[3];
        if (dwLength < 2 || p + 2 + dwLength > m_dwFileSize)
            return false;
        if (marker == 0xE1 && dwLength >= 8 && FileWindow(DWORD(p), 10) &&
            IsExifApp1(m_pFileData + (p - m_dwWindowStart))) {
            found.push_back(p + 2);
            qwNext = p + 2 + dwLength;
            if (!bAll)
                return true;
        } else if (marker == 0xE1 || marker == 0xED) {
            NoteTextSegment(p, marker, dwLength);
        }
        p += 2 + dwLength;
    }
}

// FF D8 anywhere from the start; then the first APP1 "Exif" segment of the picture's own
// segments, or, where they do not hold together, the first FF E1 followed two bytes later by
// the signature, at least 13 bytes before the end of the file.
bool CExif::SearchMarkers()
{
    auto window = [this](DWORD dwPos, DWORD dwLen, const BYTE*& pBase, DWORD& dwStart, DWORD& dwAvail) {
        if (!FileWindow(dwPos, dwLen))
            return false;
        pBase = m_pFileData;
        dwStart = m_dwWindowStart;
        dwAvail = m_dwWindowLen;
        return true;
    };
    if (m_dwFileSize < 1 || !Scan(m_dwPos, std::uint64_t(m_dwFileSize) - 1, 2, window, IsSoi)) {
        TX_LOG("SOI Marker not found");
        return false;
    }
    m_dwPos += 2;
    std::vector<std::uint64_t> found;
    std::uint64_t qwNext = 0;
    const bool bHeld = FollowSegments(m_dwPos, false, found, qwNext);
    if (!found.empty()) {
        m_dwPos = DWORD(found.front());
        m_qwNextSegment = qwNext;
        return true;
    }
    m_qwNextSegment = 0;
    m_textSegments.clear();  // segments that do not hold together are not read for dates
    if (bHeld) {
        TX_LOG("APP1 Marker not found");
        return false;
    }
    // The segments do not hold together: the Exif segment is searched for byte by byte.
    if (m_dwFileSize <= 12 || !Scan(m_dwPos, std::uint64_t(m_dwFileSize) - 12, 10, window, IsExifApp1)) {
        TX_LOG("APP1 Marker not found");
        return false;
    }
    m_dwPos += 2;
    return true;
}

// Copies the segment from its length bytes on. A segment that reaches past the end of the file
// gets only the bytes that are there; the rest of the block stays zero.
bool CExif::CopyBlock()
{
    if (!FileWindow(m_dwPos, 2))
        return false;
    const BYTE* p = m_pFileData + (m_dwPos - m_dwWindowStart);
    m_dwExifSize = DWORD(p[0]) << 8 | p[1];
    if (m_dwExifSize > kMaxExifSize) {
        TX_LOG("Exif size too large: %d", static_cast<int>(m_dwExifSize));
        return false;
    }
    delete[] m_pExifData;
    m_pExifData = new BYTE[std::max<DWORD>(m_dwExifSize, 1)];
    m_qwTiffPos = std::uint64_t(m_dwPos) + 8;
    const DWORD dwAvail = std::min(m_dwExifSize, m_dwFileSize - m_dwPos);
    std::memset(m_pExifData + dwAvail, 0, m_dwExifSize - dwAvail);
    if (dwAvail < m_dwExifSize)
        TX_LOG("Exif block cut short by the end of the file: %u of %u bytes", dwAvail, m_dwExifSize);
    if (WindowHolds(m_dwPos, dwAvail)) {
        std::memcpy(m_pExifData, m_pFileData + (m_dwPos - m_dwWindowStart), dwAvail);
    } else {
        m_pFile->Seek(m_dwPos);
        DWORD dwRead = 0;
        m_pFile->Read(m_pExifData, dwAvail, &dwRead);
        std::memset(m_pExifData + dwRead, 0, dwAvail - dwRead);
    }
    return true;
}

bool CExif::FindExifBlock()
{
    bool bFound = false;
    try {
        bFound = SearchMarkers() && CopyBlock();
    } catch (const Exception& e) {
        TX_LOG("!VCL Exception: %s", e.Message());
        bFound = false;
    }
    ReleaseFile();
    return bFound && ReadByteOrder();
}

// The byte order and the place of IFD0 from the block's TIFF header.
bool CExif::ReadByteOrder()
{
    const BYTE* pOrder = InBlock(8, 2) ? BlockAt(8) : nullptr;
    if (pOrder && pOrder[0] == 'I' && pOrder[1] == 'I') {
        m_bMotorola = false;
        TX_LOG("intel byte order");
    } else if (pOrder && pOrder[0] == 'M' && pOrder[1] == 'M') {
        m_bMotorola = true;
        TX_LOG("motorola byte order");
    } else {
        TX_LOG("unknown byte order!");
    }
    if (!InBlock(12, 4)) {
        TX_LOG("TIFF header outside the Exif block");
        m_dwIfdPos = 0xFFFFFFFFu;
        return true;
    }
    m_dwIfd0Offset = U32(12);
    m_dwIfdPos = exif::BlockPosOf(m_dwIfd0Offset);
    return true;
}

namespace {

struct TextSignature {
    BYTE marker;
    const char* psz;
    DWORD cb;  // with its terminating zero
};
const TextSignature kTextSignatures[] = {
    {0xE1, "http://ns.adobe.com/xap/1.0/", 29},
    {0xE1, "http://ns.adobe.com/xmp/extension/", 35},
    {0xED, "Photoshop 3.0", 14},
};

}  // namespace

// Notes an APP1 or APP13 segment at qwPos (its marker) that may hold dates as text: an XMP
// packet, a chunk of extended XMP, Photoshop resources. Only its signature is read here.
void CExif::NoteTextSegment(std::uint64_t qwPos, BYTE marker, DWORD dwLength)
{
    const DWORD dwPayload = dwLength - 2;
    const DWORD dwProbe = std::min<DWORD>(dwPayload, 35);
    if (!FileWindow(DWORD(qwPos), 4 + dwProbe))
        return;
    const BYTE* p = m_pFileData + (qwPos - m_dwWindowStart) + 4;
    for (int k = 0; k < 3; ++k) {
        const TextSignature& sig = kTextSignatures[k];
        if (sig.marker == marker && dwPayload >= sig.cb && std::memcmp(p, sig.psz, sig.cb) == 0) {
            m_textSegments.push_back(TextSegment{k, qwPos + 4 + sig.cb, dwPayload - sig.cb});
            return;
        }
    }
}

// Copies the Exif segment whose length field stands at qwLengthPos into the block (the file
// is open through LoadFile).
bool CExif::LoadBlockAt(std::uint64_t qwLengthPos)
{
    m_dwPos = DWORD(qwLengthPos);
    try {
        if (!CopyBlock())
            return false;
    } catch (const Exception& e) {
        TX_LOG("!VCL Exception: %s", e.Message());
        return false;
    }
    return ReadByteOrder();
}
