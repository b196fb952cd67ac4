// CExif for files that a container reader located (TIFF-based raw files, PNG, WebP, ISO base
// media): the main TIFF structure becomes the walked block, the other structures and the XMP
// packets are read when a write or a listing asks, and the movie times, the creation date texts
// and the checksums the layout names join the write and the listing.
#include "exif/Uexif.h"

#include "exif/Ubytes.h"
#include "exif/Uexif_tags.h"
#include "exif/Uexif_textcopies.h"
#include "exif/Ufilesource.h"
#include "exif/Umovietime.h"
#include "exif/Ureaders.h"
#include "exif/Utiffscan.h"
#include "exif/Utextdate.h"
#include "platform/wintime.h"
#include "tx/UTxDiskApi.h"
#include "tx/UTxRewrite.h"
#include "tx/UTxUtils.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// A TIFF structure up to this size is read whole; of a larger one, the stretches the walk needs.
constexpr std::uint64_t kWholeBlock = 64 * 1024;
// Offsets in a TIFF structure are 32-bit; block positions are 8 more.
constexpr std::uint64_t kMaxBlock = 0xFFFFFFFFu - 16;
// A value larger than this (a maker note, an ICC profile, a picture) is not read for the walk:
// it is outside the block, as it would be in a JPEG's 64 KiB segment.
constexpr std::uint64_t kMaxValue = 64 * 1024;
// Stretches closer than this are read as one; no more than kMaxRead bytes are read in all.
constexpr std::uint64_t kJoinGap = 4096;
constexpr std::uint64_t kMaxRead = 8u << 20;

struct Stretch {
    std::uint64_t qwFrom, qwTo;  // offsets in the structure
};

// The header, every IFD the walk can reach and every value of at most kMaxValue bytes they
// point to, sorted and joined.
std::vector<Stretch> NeededStretches(exif::ByteSource& src, std::uint64_t qwBase, std::uint64_t qwLength)
{
    std::vector<Stretch> want{{0, 8}};
    exif::TiffScan scan(src, qwBase, qwLength);
    if (scan.ReadHeader()) {
        scan.Walk([&](std::uint32_t dwIfd, const std::vector<exif::TiffEntry>& entries, int) {
            want.push_back({dwIfd, dwIfd + 2 + 12 * std::uint64_t(entries.size()) + 4});
            for (const exif::TiffEntry& e : entries)
                if (e.ValueSize() > 4 && e.ValueSize() <= kMaxValue)
                    want.push_back({e.dwValue, e.dwValue + e.ValueSize()});
        });
    }
    for (Stretch& s : want)
        s.qwTo = std::min(s.qwTo, qwLength);
    std::sort(want.begin(), want.end(), [](const Stretch& a, const Stretch& b) { return a.qwFrom < b.qwFrom; });
    std::vector<Stretch> joined;
    std::uint64_t qwTotal = 0;
    for (const Stretch& s : want) {
        if (s.qwFrom >= s.qwTo)
            continue;
        if (!joined.empty() && s.qwFrom <= joined.back().qwTo + kJoinGap) {
            const std::uint64_t qwTo = std::max(joined.back().qwTo, s.qwTo);
            qwTotal += qwTo - joined.back().qwTo;
            joined.back().qwTo = qwTo;
        } else {
            qwTotal += s.qwTo - s.qwFrom;
            joined.push_back(s);
        }
        if (qwTotal > kMaxRead) {
            TX_LOG("TIFF structure at %llu: its IFDs and values take more than %llu bytes: the rest is not read",
                   static_cast<unsigned long long>(qwBase), static_cast<unsigned long long>(kMaxRead));
            joined.pop_back();
            break;
        }
    }
    return joined;
}
// A creation date text longer than this is no date.
constexpr std::uint32_t kMaxTextTime = 64;

const char* const kMovieNames[2] = {"ModificationTime", "CreationTime"};

// The movie time's field as the file holds it: big-endian, the field's width.
std::vector<BYTE> MovieBytes(const exif::MovieTimeField& f)
{
    std::vector<BYTE> ab(std::size_t(f.nBytes));
    for (int i = 0; i < f.nBytes; ++i)
        ab[std::size_t(i)] = BYTE(f.qwSeconds >> (8 * (f.nBytes - 1 - i)));
    return ab;
}

int DateOfMovieTime(const exif::MovieTimeField& f) { return f.nDate == 0 ? 0 : 1; }
int DateOfTextTime(const exif::TextTimeField& f) { return std::clamp(f.nDate, 0, 2); }

// A local time as an EXIF date text, and the digits of it, for the listing.
bool LocalText(const FILETIME& ft, std::string& text, exif::DateDigits& digits)
{
    char sz[20];
    if (!exif::ExifDateText(ft, sz))
        return false;
    text = sz;
    return exif::ReadExifDate(text, digits);
}

}  // namespace

bool CExif::OpenContainer(exif::ByteSource& src)
{
    m_bContainer = true;
    m_qwFileSize = src.Size();
    bool bWalked = false;
    if (!m_layout.tiff.empty() && LoadTiffPlace(src, m_layout.tiff[0])) {
        WalkBlock(WalkMode::Render, 1);
        bWalked = true;
    }
    // A structure that starts with an Exif IFD holds the picture's dates itself (a CR3's CMT2
    // box): it fills the table too. Any other one is read only for its copies.
    for (std::size_t k = 1; k < m_layout.tiff.size(); ++k) {
        if (m_layout.tiff[k].bExifIfd) {
            WalkOtherPlace(src, k, WalkMode::Render);
            bWalked = true;
        }
    }
    for (const exif::XmpPlace& x : m_layout.xmp)
        NoteXmpPacket(x.qwOffset, DWORD(std::min<std::uint64_t>(x.qwLength, 0xFFFFFFFFu)));
    m_textTimes.assign(m_layout.textTimes.size(), std::string());
    for (std::size_t k = 0; k < m_layout.textTimes.size(); ++k) {
        const exif::TextTimeField& f = m_layout.textTimes[k];
        std::string text(std::min(f.dwLength, kMaxTextTime), '\0');
        if (f.dwLength <= kMaxTextTime && src.Read(f.qwOffset, text.data(), text.size()))
            m_textTimes[k] = std::move(text);
    }
    const bool bDates = bWalked || !m_layout.xmp.empty() || !m_layout.movieTimes.empty() || !m_layout.textTimes.empty();
    if (!bDates)
        TX_LOG("No EXIF data found in %s", m_strFileName.Text());
    return bDates;
}

// A file the file object does not take (4 GiB and more: a long video) is read at 64-bit
// positions, when a container reader knows it.
bool CExif::OpenLargeFile()
{
    exif::FileSource file;
    if (!FileExists(m_strFileName.Text()) || !file.Open(m_strFileName.Text()))
        return false;
    exif::HeadCachedSource src(file);
    return exif::LocateContainer(src, m_layout, false) && OpenContainer(src);
}

bool CExif::IsOtherContainer() const
{
    return m_layout.kind != exif::ContainerKind::Jpeg && m_layout.kind != exif::ContainerKind::Unknown;
}

// The place's TIFF structure becomes the block, its header at block position 8, where a JPEG's
// APP1 segment has it. A small structure is read whole; of a larger one (a raw file, whose
// picture data runs to megabytes) only the IFDs and the values they point to are read.
bool CExif::LoadTiffPlace(exif::ByteSource& src, const exif::TiffPlace& place)
{
    if (place.qwOffset > src.Size() || place.qwLength > src.Size() - place.qwOffset || place.qwLength < 8) {
        TX_LOG("TIFF structure at %llu (%llu bytes) lies outside %s: not read",
               static_cast<unsigned long long>(place.qwOffset), static_cast<unsigned long long>(place.qwLength),
               m_strFileName.Text());
        return false;
    }
    // TIFF offsets are 32-bit: beyond that, nothing of the structure can be reached.
    const std::uint64_t qwLength = std::min<std::uint64_t>(place.qwLength, kMaxBlock);
    m_extents.clear();
    delete[] m_pExifData;
    m_pExifData = nullptr;
    m_dwExifSize = 0;
    bool bRead = true;
    if (qwLength <= kWholeBlock) {
        m_pExifData = new BYTE[8 + qwLength];
        std::memset(m_pExifData, 0, 8);
        bRead = src.Read(place.qwOffset, m_pExifData + 8, std::size_t(qwLength));
    } else {
        DWORD dwBuf = 0;
        for (const Stretch& st : NeededStretches(src, place.qwOffset, qwLength)) {
            m_extents.push_back(BlockExtent{DWORD(8 + st.qwFrom), DWORD(st.qwTo - st.qwFrom), dwBuf});
            dwBuf += DWORD(st.qwTo - st.qwFrom);
        }
        m_pExifData = new BYTE[std::max<DWORD>(dwBuf, 1)];
        for (const BlockExtent& e : m_extents)
            bRead = bRead && src.Read(place.qwOffset + (e.dwPos - 8), m_pExifData + e.dwBuf, e.dwLen);
    }
    if (!bRead) {
        TX_LOG("TIFF structure at %llu of %s could not be read", static_cast<unsigned long long>(place.qwOffset),
               m_strFileName.Text());
        m_extents.clear();
        return false;
    }
    m_dwExifSize = DWORD(8 + qwLength);
    m_qwTiffPos = place.qwOffset;
    m_dwPos = 0;
    m_bExifFirst = place.bExifIfd;
    std::memcpy(m_szBlockWhere, place.szWhere, sizeof(m_szBlockWhere));
    m_szBlockWhere[sizeof(m_szBlockWhere) - 1] = 0;
    return ReadByteOrder();
}

// Walks another structure of the layout; the main block stays the object's own.
void CExif::WalkOtherPlace(exif::ByteSource& src, std::size_t nPlace, WalkMode mode)
{
    BYTE* pFirst = m_pExifData;
    std::vector<BlockExtent> firstExtents = std::move(m_extents);
    const DWORD dwFirstSize = m_dwExifSize;
    const std::uint64_t qwFirstTiffPos = m_qwTiffPos;
    const bool bFirstMotorola = m_bMotorola;
    m_pExifData = nullptr;
    exif::TiffPlace place = m_layout.tiff[nPlace];
    if (!place.szWhere[0])
        std::snprintf(place.szWhere, sizeof(place.szWhere), "TIFF#%d", int(nPlace % 1000) + 1);
    // The Interoperability IFD found in the main block is no place in this one.
    m_bInteropFound = false;
    if (LoadTiffPlace(src, place))
        WalkBlock(mode, 1);
    delete[] m_pExifData;
    m_pExifData = pFirst;
    m_extents = std::move(firstExtents);
    m_dwExifSize = dwFirstSize;
    m_qwTiffPos = qwFirstTiffPos;
    m_bMotorola = bFirstMotorola;
    m_bExifFirst = false;
    m_szBlockWhere[0] = 0;
}

void CExif::CollectContainerCopies()
{
    exif::FileSource src;
    if (!src.Open(m_strFileName.Text()))
        return;
    for (std::size_t k = 1; k < m_layout.tiff.size(); ++k)
        if (!m_layout.tiff[k].bExifIfd)
            WalkOtherPlace(src, k, WalkMode::DatesOnly);
    ReadTextSegments(src);
}

void CExif::PlanContainerTimes(const FILETIME aftNew[3], const bool abWanted[3], TxFileRewrite& file,
                               ExifWriteReport& report) const
{
    auto plan = [&](int nDate, const char* pszWhere, const char* pszName, std::uint64_t qwPos,
                    std::vector<BYTE> abOld, bool bBytes, std::vector<BYTE>& abNew) {
        ExifCopyReport copy;
        copy.nDate = nDate;
        std::snprintf(copy.szWhere, sizeof(copy.szWhere), "%s", pszWhere);
        std::snprintf(copy.szName, sizeof(copy.szName), "%s", pszName);
        copy.qwFilePos = qwPos;
        if (!bBytes || abNew.size() != abOld.size()) {
            copy.result = ExifWriteResult::NotDateText;
            copy.pszNote = "the new time does not fit the field";
            report.copies.push_back(copy);
            return;
        }
        report.copies.push_back(copy);
        TxPatch patch;
        patch.qwOffset = qwPos;
        patch.abOld = std::move(abOld);
        patch.abNew = std::move(abNew);
        patch.nCookie = int(report.copies.size() - 1);
        file.patches.push_back(std::move(patch));
    };
    // The new time of one field: the tag's, or for a shift its own moved by the tag's step.
    FILETIME aftOwn[2] = {};
    const bool abOwn[2] = {GetTagDate(0, aftOwn[0]), GetTagDate(1, aftOwn[1])};
    auto newTime = [&](int nDate, bool bFieldRead, const FILETIME& ftField, FILETIME& ftNew) {
        if (!m_bShiftContainerTimes) {
            ftNew = aftNew[nDate];
            return true;
        }
        if (!bFieldRead || !abOwn[nDate])
            return false;
        const std::int64_t nStep = std::int64_t(FileTimeToU64(aftNew[nDate])) - std::int64_t(FileTimeToU64(aftOwn[nDate]));
        ftNew = U64ToFileTime(std::uint64_t(std::int64_t(FileTimeToU64(ftField)) + nStep));
        return true;
    };
    std::vector<BYTE> abNew;
    FILETIME ftField{}, ftNew{};
    for (const exif::MovieTimeField& f : m_layout.movieTimes) {
        const int d = DateOfMovieTime(f);
        if (!abWanted[d] || (f.nBytes != 4 && f.nBytes != 8))
            continue;
        const bool bRead = exif::MovieTimeToLocal(f.qwSeconds, ftField);
        if (m_bShiftContainerTimes && !bRead)
            continue;  // unset: nothing to shift
        abNew.clear();
        const bool bBytes = newTime(d, bRead, ftField, ftNew) && exif::MovieTimeBytes(f, ftNew, abNew);
        plan(d, f.szWhere, kMovieNames[d], f.qwOffset, MovieBytes(f), bBytes, abNew);
    }
    for (std::size_t k = 0; k < m_layout.textTimes.size(); ++k) {
        const exif::TextTimeField& f = m_layout.textTimes[k];
        const int d = DateOfTextTime(f);
        if (!abWanted[d])
            continue;
        const std::string& text = m_textTimes[k];
        abNew.clear();
        const bool bRead = !text.empty() && exif::IsoTextToLocal(text, ftField);
        const bool bBytes = !text.empty() && newTime(d, bRead, ftField, ftNew) && exif::IsoTextTimeBytes(text, ftNew, abNew);
        plan(d, "Keys", f.szName, f.qwOffset, std::vector<BYTE>(text.begin(), text.end()), bBytes, abNew);
    }
}

// Every checksum over a stretch that a planned range changes is recomputed with the new bytes
// and written as one more range, after them. One that did not match when the file was read is
// left as it was: the file's reader already finds it wrong, and a new one computed over bytes
// that may be damaged would only hide that.
void CExif::PlanChecksums(TxFileRewrite& file) const
{
    if (m_layout.checksums.empty() || file.patches.empty())
        return;
    exif::FileSource src;
    bool bOpened = false;
    const std::size_t nPatches = file.patches.size();
    for (const exif::ChecksumPlace& sum : m_layout.checksums) {
        const std::uint64_t qwEnd = sum.qwDataOffset + sum.qwDataLength;
        auto inside = [&](const TxPatch& p) {
            return p.qwOffset >= sum.qwDataOffset && p.qwOffset + p.abNew.size() <= qwEnd;
        };
        const auto itFirst = std::find_if(file.patches.begin(), file.patches.begin() + std::ptrdiff_t(nPatches), inside);
        if (itFirst == file.patches.begin() + std::ptrdiff_t(nPatches))
            continue;
        const int nFirstCookie = itFirst->nCookie;
        if (!sum.bValid) {
            TX_LOG("Checksum at %llu of %s was wrong before: left as it is",
                   static_cast<unsigned long long>(sum.qwCrcOffset), m_strFileName.Text());
            continue;
        }
        if (!bOpened && !(bOpened = src.Open(m_strFileName.Text())))
            return;
        auto overlay = [&](std::uint64_t qwPos, std::uint8_t* p, std::size_t cb) {
            for (std::size_t k = 0; k < nPatches; ++k) {
                const TxPatch& patch = file.patches[k];
                if (!inside(patch))
                    continue;
                for (std::size_t i = 0; i < patch.abNew.size(); ++i) {
                    const std::uint64_t q = patch.qwOffset + i;
                    if (q >= qwPos && q < qwPos + cb)
                        p[q - qwPos] = patch.abNew[i];
                }
            }
        };
        std::uint32_t crc = 0;
        TxPatch patch;
        patch.abOld.assign(4, 0);
        if (!src.Read(sum.qwCrcOffset, patch.abOld.data(), 4) ||
            !exif::CrcOfStretch(src, sum.qwDataOffset, sum.qwDataLength, crc, overlay))
            continue;
        patch.qwOffset = sum.qwCrcOffset;
        patch.abNew = {BYTE(crc >> 24), BYTE(crc >> 16), BYTE(crc >> 8), BYTE(crc)};
        // Written with the first copy inside: that copy counts as written only when its
        // checksum is too (as an IPTC digest goes with its record's first date).
        patch.nCookie = nFirstCookie;
        if (patch.abNew != patch.abOld)
            file.patches.push_back(std::move(patch));
    }
}

// After a write: the movie times and date texts now hold the new bytes, so that a second write
// from this object checks against them.
void CExif::NoteContainerTimeWritten(const TxPatch& patch)
{
    for (exif::MovieTimeField& f : m_layout.movieTimes) {
        if (f.qwOffset != patch.qwOffset || patch.abNew.size() != std::size_t(f.nBytes))
            continue;
        f.qwSeconds = 0;
        for (BYTE b : patch.abNew)
            f.qwSeconds = f.qwSeconds << 8 | b;
    }
    for (std::size_t k = 0; k < m_layout.textTimes.size(); ++k)
        if (m_layout.textTimes[k].qwOffset == patch.qwOffset && m_textTimes[k].size() == patch.abNew.size())
            m_textTimes[k].assign(patch.abNew.begin(), patch.abNew.end());
}

// In a file without the EXIF date: the first date text that moves with the tag (nDate 1:
// creation, 0: modification), else the first such movie time. The text's digits are the local
// time where it was taken, as EXIF dates are.
bool CExif::ContainerDate(int nDate, FILETIME& ft) const
{
    for (std::size_t k = 0; k < m_layout.textTimes.size(); ++k)
        if (DateOfTextTime(m_layout.textTimes[k]) == nDate && !m_textTimes[k].empty() &&
            exif::IsoTextToLocal(m_textTimes[k], ft))
            return true;
    for (const exif::MovieTimeField& f : m_layout.movieTimes)
        if (DateOfMovieTime(f) == nDate && exif::MovieTimeToLocal(f.qwSeconds, ft))
            return true;
    return false;
}

void CExif::ListContainerTimes(std::vector<ExifDateListing>& out, bool bMain, const SYSTEMTIME& stMain) const
{
    auto list = [&](int nDate, const char* pszWhere, const char* pszName, std::string strText, bool bLocal,
                    const FILETIME& ftLocal) {
        ExifDateListing listing;
        listing.nDate = nDate;
        listing.strWhere = pszWhere;
        listing.strName = pszName;
        exif::DateDigits digits;
        std::string strLocal;
        const bool bRead = bLocal && LocalText(ftLocal, strLocal, digits);
        listing.strText = strText.empty() ? strLocal : strText;
        listing.agreement = exif::AgreementOf(bRead, digits, bMain, stMain);
        out.push_back(std::move(listing));
    };
    FILETIME ft{};
    for (const exif::MovieTimeField& f : m_layout.movieTimes) {
        const bool bLocal = exif::MovieTimeToLocal(f.qwSeconds, ft);
        // The time as local time (the file holds seconds since 1904 in UTC); 0 = not set.
        list(DateOfMovieTime(f), f.szWhere, kMovieNames[DateOfMovieTime(f)], bLocal ? "" : std::to_string(f.qwSeconds),
             bLocal, ft);
    }
    for (std::size_t k = 0; k < m_layout.textTimes.size(); ++k) {
        const exif::TextTimeField& f = m_layout.textTimes[k];
        const bool bLocal = !m_textTimes[k].empty() && exif::IsoTextToLocal(m_textTimes[k], ft);
        list(DateOfTextTime(f), "Keys", f.szName, m_textTimes[k].c_str(), bLocal, ft);
    }
}
