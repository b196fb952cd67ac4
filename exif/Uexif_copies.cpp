// The copies of the dates beyond the first Exif segment: the later Exif segments, and the XMP
// and APP13 segments that copy the dates as text. They are read only when a write or a listing
// asks for them, so reading a picture's date costs nothing for them.
#include "exif/Uexif.h"

#include "exif/Uexif_tags.h"
#include "exif/Uexif_textcopies.h"
#include "exif/Ufilesource.h"
#include "exif/Uxmp.h"
#include "platform/wintime.h"
#include "tx/UTxBase.h"
#include "tx/UTxDiskApi.h"
#include "tx/UTxUtils.h"

#include <cstring>

void CExif::CollectCopies()
{
    if (m_bCollected)
        return;
    m_bCollected = true;
    if (!m_pText)
        m_pText = std::make_unique<exif::TextCopies>();
    if (m_bContainer) {
        CollectContainerCopies();
        return;
    }
    // Where the segments did not hold together, the block was found by the byte search and
    // nothing beyond it is trusted (and no text segment was kept).
    if ((m_qwNextSegment == 0 && m_textSegments.empty()) || !LoadFile())
        return;
    std::vector<std::uint64_t> blocks;
    std::uint64_t qwNext = 0;
    try {
        if (m_qwNextSegment != 0)
            FollowSegments(m_qwNextSegment, true, blocks, qwNext);
        WalkMoreBlocks(blocks);
    } catch (const Exception& e) {
        TX_LOG("!VCL Exception: %s", e.Message());
    }
    ReleaseFile();
    exif::FileSource src;
    if (!m_textSegments.empty() && src.Open(m_strFileName.Text()))
        ReadTextSegments(src);
    // The file is closed here again: it must not stay open (and locked) while it is written.
}

// Every later Exif segment carries its own copies; the first block stays the object's own.
void CExif::WalkMoreBlocks(const std::vector<std::uint64_t>& blocks)
{
    if (blocks.empty())
        return;
    BYTE* pFirst = m_pExifData;
    const DWORD dwFirstPos = m_dwPos, dwFirstSize = m_dwExifSize;
    const std::uint64_t qwFirstTiffPos = m_qwTiffPos;
    const bool bFirstMotorola = m_bMotorola;
    m_pExifData = nullptr;
    for (std::size_t k = 0; k < blocks.size(); ++k)
        if (LoadBlockAt(blocks[k]))
            WalkBlock(WalkMode::DatesOnly, int(k) + 2);
    delete[] m_pExifData;
    m_pExifData = pFirst;
    m_dwPos = dwFirstPos;
    m_qwTiffPos = qwFirstTiffPos;
    m_dwExifSize = dwFirstSize;
    m_bMotorola = bFirstMotorola;
}

void CExif::ReadTextSegments(exif::ByteSource& src)
{
    std::vector<BYTE> bytes;
    for (const TextSegment& seg : m_textSegments) {
        if (seg.nKind == 0) {
            exif::ReadXmpDates(src, seg.qwPos, seg.dwLength, "XMP", m_pText->copies);
            continue;
        }
        bytes.assign(seg.dwLength, 0);
        if (!src.Read(seg.qwPos, bytes.data(), bytes.size()))
            continue;
        // A chunk of extended XMP starts with the packet's digest, its full length and the
        // chunk's offset (40 bytes).
        if (seg.nKind == 1 && bytes.size() > 40)
            exif::FindXmpDates(bytes.data() + 40, bytes.size() - 40, seg.qwPos + 40, "XMP", true, m_pText->copies);
        else if (seg.nKind == 2)
            exif::FindIptcDates(bytes.data(), bytes.size(), seg.qwPos, m_pText->copies, m_pText->digests);
    }
}


void CExif::ListDateCopies(std::vector<ExifDateListing>& out)
{
    CollectCopies();
    FILETIME ftMain{};
    SYSTEMTIME stMain{};
    const bool bMain = ParseDateTag(m_aTags[exif::kDateSlots[1]], ftMain) && FileTimeToSystemTime(&ftMain, &stMain);
    for (const DateCopy& c : m_copies) {
        ExifDateListing listing;
        listing.nDate = c.nDate;
        listing.strWhere = c.szWhere;
        listing.strName = exif::kDateNames[c.nDate];
        if (c.qwFilePos != 0)
            listing.strText.assign(reinterpret_cast<const char*>(c.abText), strnlen(reinterpret_cast<const char*>(c.abText), 19));
        exif::DateDigits digits;
        const bool bRead = c.qwFilePos != 0 && exif::ReadExifDate(listing.strText, digits);
        listing.agreement = exif::AgreementOf(bRead, digits, bMain, stMain);
        out.push_back(std::move(listing));
    }
    for (const exif::TextDateCopy& c : m_pText->copies) {
        ExifDateListing listing;
        listing.nDate = c.nDate;
        listing.strWhere = c.strWhere;
        listing.strName = c.strName;
        listing.strText = c.Text();
        // The date and the time of an IPTC copy hold different fields: together they are one.
        exif::DateDigits merged;
        bool bRead = !c.parts.empty();
        for (const exif::TextDatePart& part : c.parts) {
            bool bAny = false;
            for (int f = 0; f < exif::kFieldCount; ++f) {
                if (part.digits.Has(f)) {
                    merged.anPos[f] = part.digits.anPos[f];
                    merged.anValue[f] = part.digits.anValue[f];
                    bAny = true;
                }
            }
            bRead = bRead && bAny;
        }
        listing.agreement = exif::AgreementOf(bRead, merged, bMain, stMain);
        out.push_back(std::move(listing));
    }
    ListContainerTimes(out, bMain, stMain);
}

const char* ExifDateAgreementText(ExifDateAgreement agreement)
{
    switch (agreement) {
    case ExifDateAgreement::Agrees: return "agrees";
    case ExifDateAgreement::Differs: return "differs";
    case ExifDateAgreement::NoMainDate: return "no DateTimeOriginal to compare";
    case ExifDateAgreement::NotADate: return "not a date";
    }
    return "";
}
