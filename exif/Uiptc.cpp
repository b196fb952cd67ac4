// The APP13 reader: Photoshop image resources, the IPTC record's date datasets, the digest.
#include "exif/Uiptc.h"

#include "exif/Ubytes.h"
#include "exif/Umd5.h"
#include "tx/UTxRewrite.h"
#include "tx/UTxUtils.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace exif {

namespace {

constexpr WORD kIptcRecord = 0x0404;
constexpr WORD kIptcDigest = 0x0425;

// The datasets of one instant: the date's and the time's, each possibly repeated.
struct Instant {
    BYTE bDate, bTime;
    const char* pszDate;
    const char* pszTime;
    int nDate;
};
constexpr Instant kInstants[] = {
    {55, 60, "DateCreated", "TimeCreated", 1},
    {62, 63, "DigitalCreationDate", "DigitalCreationTime", 2},
};

// Reads the datasets of a record at file offset qwPos; false when one runs past the record.
bool ReadRecord(const BYTE* p, std::size_t cb, std::uint64_t qwPos, std::vector<TextDateCopy>& out)
{
    TextDateCopy found[2];
    bool abAny[2] = {false, false};
    bool bWhole = true;
    std::size_t n = 0;
    while (n < cb && p[n] == 0x1C) {
        if (cb - n < 5) {
            bWhole = false;
            break;
        }
        const BYTE bRecord = p[n + 1], bSet = p[n + 2];
        std::uint64_t qwLen = Be16(p + n + 3);
        std::size_t nData = n + 5;
        if (qwLen & 0x8000) {  // extended length: the count of length bytes that follow
            const std::size_t cbLen = std::size_t(qwLen & 0x7FFF);
            if (cbLen > 4 || cb - nData < cbLen) {
                bWhole = false;
                break;
            }
            qwLen = 0;
            for (std::size_t k = 0; k < cbLen; ++k)
                qwLen = qwLen << 8 | p[nData + k];
            nData += cbLen;
        }
        if (qwLen > cb - nData) {
            bWhole = false;
            break;
        }
        for (int k = 0; k < 2; ++k) {
            const Instant& instant = kInstants[k];
            if (bRecord != 2 || (bSet != instant.bDate && bSet != instant.bTime))
                continue;
            const bool bIsDate = bSet == instant.bDate;
            TextDateCopy& c = found[k];
            if (!abAny[k]) {
                c.nDate = instant.nDate;
                c.strWhere = "IPTC";
                c.strName = bIsDate ? instant.pszDate : instant.pszTime;
            } else if (bIsDate) {
                c.strName = instant.pszDate;
            }
            abAny[k] = true;
            TextDatePart part;
            part.qwFilePos = qwPos + nData;
            part.strOld.assign(reinterpret_cast<const char*>(p + nData), std::size_t(qwLen));
            const bool bShape = bIsDate ? ReadIptcDate(part.strOld, part.digits) : ReadIptcTime(part.strOld, part.digits);
            if (!bShape)
                c.eRefused = ExifWriteResult::NotDateText;
            // The date part first, so that the copy reads as date and time.
            c.parts.insert(bIsDate ? c.parts.begin() : c.parts.end(), std::move(part));
        }
        n = nData + std::size_t(qwLen);
    }
    for (int k = 0; k < 2; ++k) {
        // Past the break the datasets cannot be told apart from other bytes: a tag that looks
        // like a date's is only reported, never written.
        const BYTE abDate[3] = {0x1C, 2, kInstants[k].bDate}, abTime[3] = {0x1C, 2, kInstants[k].bTime};
        if (!abAny[k] && !bWhole &&
            (std::search(p + n, p + cb, abDate, abDate + 3) != p + cb || std::search(p + n, p + cb, abTime, abTime + 3) != p + cb)) {
            abAny[k] = true;
            found[k].nDate = kInstants[k].nDate;
            found[k].strWhere = "IPTC";
            found[k].strName = kInstants[k].pszDate;
        }
        if (!abAny[k])
            continue;
        if (!bWhole) {
            found[k].eRefused = ExifWriteResult::NotDateText;
            found[k].pszNote = "the IPTC record does not hold together";
        }
        out.push_back(std::move(found[k]));
    }
    if (!bWhole)
        TX_LOG("IPTC record at %llu: a dataset runs past the record", static_cast<unsigned long long>(qwPos));
    return bWhole;
}

bool KnownSignature(const BYTE* p)
{
    for (const char* psz : {"8BIM", "MeSa", "PHUT", "AgHg", "DCSR"})
        if (std::memcmp(p, psz, 4) == 0)
            return true;
    return false;
}

}  // namespace

void FindIptcDates(const BYTE* pResources, std::size_t cbResources, std::uint64_t qwFileOffset,
                   std::vector<TextDateCopy>& out, std::vector<IptcDigest>& digests)
{
    const std::size_t nFirst = out.size();
    IptcDigest digest;
    int nRecords = 0, nDigests = 0;
    bool bRecordsWhole = true, bWhole = true;
    std::size_t n = 0;
    while (cbResources - n >= 12 && KnownSignature(pResources + n)) {
        const DWORD dwId = Be16(pResources + n + 4);
        const std::size_t cbName = (std::size_t(pResources[n + 6]) + 2) & ~std::size_t(1);  // with its length byte, even
        if (cbResources - n - 6 < cbName + 4) {
            bWhole = false;
            break;
        }
        const std::size_t nSize = n + 6 + cbName;
        const std::size_t cbData = Be32(pResources + nSize);
        const std::size_t nData = nSize + 4;
        if (cbData > cbResources - nData) {
            bWhole = false;
            break;
        }
        if (dwId == kIptcRecord) {
            ++nRecords;
            bRecordsWhole = ReadRecord(pResources + nData, cbData, qwFileOffset + nData, out) && bRecordsWhole;
            digest.qwRecordPos = qwFileOffset + nData;
            digest.record.assign(pResources + nData, pResources + nData + cbData);
        } else if (dwId == kIptcDigest) {
            ++nDigests;
            if (cbData == 16) {
                digest.qwDigestPos = qwFileOffset + nData;
                std::memcpy(digest.abDigest.data(), pResources + nData, 16);
            } else {
                TX_LOG("IPTC digest of %u bytes: left as it is", unsigned(cbData));
                nDigests = 2;  // not one that can be recomputed
            }
        }
        n = nData + cbData + (cbData & 1);
        if (n > cbResources)
            n = cbResources;
    }
    if (!bWhole) {
        TX_LOG("Photoshop resources at %llu run past their segment", static_cast<unsigned long long>(qwFileOffset));
        for (std::size_t k = nFirst; k < out.size(); ++k) {
            out[k].eRefused = ExifWriteResult::NotDateText;
            out[k].pszNote = "the IPTC resources do not hold together";
        }
    }
    if (bWhole && bRecordsWhole && nRecords == 1 && nDigests == 1) {
        digest.bMatched = Md5(digest.record.data(), digest.record.size()) == digest.abDigest;
        if (!digest.bMatched)
            TX_LOG("IPTC digest at %llu does not match its record: left as it is",
                   static_cast<unsigned long long>(digest.qwDigestPos));
        digests.push_back(std::move(digest));
    }
}

void PlanIptcDigests(const std::vector<IptcDigest>& digests, TxFileRewrite& file)
{
    for (const IptcDigest& d : digests) {
        if (!d.bMatched)
            continue;
        std::vector<BYTE> record = d.record;
        const TxPatch* pFirst = nullptr;
        for (const TxPatch& patch : file.patches) {
            if (patch.qwOffset < d.qwRecordPos || patch.qwOffset - d.qwRecordPos > record.size() ||
                patch.abNew.size() > record.size() - (patch.qwOffset - d.qwRecordPos))
                continue;
            std::copy(patch.abNew.begin(), patch.abNew.end(), record.begin() + std::ptrdiff_t(patch.qwOffset - d.qwRecordPos));
            pFirst = pFirst ? pFirst : &patch;
        }
        if (!pFirst || record == d.record)
            continue;
        const std::array<BYTE, 16> abNew = Md5(record.data(), record.size());
        TxPatch patch;
        patch.qwOffset = d.qwDigestPos;
        patch.abOld.assign(d.abDigest.begin(), d.abDigest.end());
        patch.abNew.assign(abNew.begin(), abNew.end());
        patch.nCookie = pFirst->nCookie;
        file.patches.push_back(std::move(patch));
    }
}

void NoteIptcWritten(std::vector<IptcDigest>& digests, const TxPatch& patch)
{
    for (IptcDigest& d : digests) {
        if (patch.qwOffset == d.qwDigestPos && patch.abNew.size() == 16)
            std::copy(patch.abNew.begin(), patch.abNew.end(), d.abDigest.begin());
        else if (patch.qwOffset >= d.qwRecordPos && patch.qwOffset - d.qwRecordPos <= d.record.size() &&
                 patch.abNew.size() <= d.record.size() - (patch.qwOffset - d.qwRecordPos))
            std::copy(patch.abNew.begin(), patch.abNew.end(), d.record.begin() + std::ptrdiff_t(patch.qwOffset - d.qwRecordPos));
    }
}

}  // namespace exif
