// DescribeEntry: turns the current IFD entry into the text of its slot.
//
// Values whose data takes 4 bytes or fewer are read from the value field itself, as TIFF keeps
// them; a single BYTE, SBYTE, SHORT, SSHORT or UNDEFINED value is read by its type wherever a
// text uses the value, so both byte orders list the same numbers. Data that a value points to
// must lie wholly inside the block, else the entry is skipped with a log record. Texts stop at
// 4199 characters.
#include "exif/Uexif.h"

#include "exif/Uexif_tags.h"
#include "tx/UTxUtils.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>

namespace {

constexpr size_t kValueSize = sizeof(ExifTagEntry::szValue);

// Appends printf-style to a slot's text, never beyond its last character.
class Appender {
public:
    explicit Appender(ExifTagEntry& e) : m_e(e), m_n(std::strlen(e.szValue)) {}
    bool Full() const { return m_n + 1 >= kValueSize; }
    void Add(const char* pszFormat, ...) __attribute__((format(printf, 2, 3)))
    {
        if (Full())
            return;
        va_list args;
        va_start(args, pszFormat);
        const int n = std::vsnprintf(m_e.szValue + m_n, kValueSize - m_n, pszFormat, args);
        va_end(args);
        if (n > 0)
            m_n = std::min(m_n + size_t(n), kValueSize - 1);
    }
    void AddChar(char c)
    {
        if (!Full()) {
            m_e.szValue[m_n++] = c;
            m_e.szValue[m_n] = 0;
        }
    }

private:
    ExifTagEntry& m_e;
    size_t m_n;
};

void Write(ExifTagEntry& e, const char* pszFormat, ...) __attribute__((format(printf, 2, 3)));
void Write(ExifTagEntry& e, const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    std::vsnprintf(e.szValue, kValueSize, pszFormat, args);
    va_end(args);
}

}  // namespace

DWORD CExif::TypedValue() const
{
    if (m_dwCount != 1)
        return m_dwValue;
    const BYTE b0 = *BlockAt(m_dwEntryPos + 8);
    switch (m_dwType) {
    case 1:  // BYTE
    case 7:  // UNDEFINED
        return b0;
    case 6:  // SBYTE
        return DWORD(std::int32_t(std::int8_t(b0)));
    case 3:  // SHORT
        return U16(m_dwEntryPos + 8);
    case 8:  // SSHORT
        return DWORD(std::int32_t(std::int16_t(U16(m_dwEntryPos + 8))));
    default:
        return m_dwValue;
    }
}

// The entry's data: the value field when count × type size is 4 bytes or fewer, else qwNeeded
// bytes where the value points. dwUnit stands in for the type size of an unknown type.
bool CExif::EntryData(DWORD dwUnit, std::uint64_t qwNeeded, DataSpan& span)
{
    const DWORD dwTypeSize = exif::TypeSize(m_dwType) ? exif::TypeSize(m_dwType) : dwUnit;
    if (std::uint64_t(m_dwCount) * dwTypeSize <= 4 && qwNeeded <= 4) {
        span.dwBlockPos = m_dwEntryPos + 8;
    } else {
        span.dwBlockPos = exif::BlockPosOf(m_dwValue);
        if (std::uint64_t(m_dwCount) * dwTypeSize <= 4 || !InBlock(span.dwBlockPos, qwNeeded)) {
            TX_LOG("Tag %u: value outside the Exif block (offset %u, count %u)", m_dwTag,
                   m_dwValue, m_dwCount);
            return false;
        }
    }
    span.p = BlockAt(span.dwBlockPos);
    span.dwLen = DWORD(qwNeeded);
    return true;
}

// The characters the value holds, over the start of the text. A text whose last byte is not a
// zero (written without its terminator) keeps that last character.
void CExif::RenderText(ExifTagEntry& e)
{
    DataSpan span;
    if (!EntryData(1, m_dwCount, span))
        return;
    e.bPresent = true;
    DWORD n = m_dwCount;
    if (n > 0 && span.p[n - 1] == 0)
        --n;
    n = std::min<DWORD>(n, kMaxValueChars);
    PrepareRawWrite(e, n);
    std::memcpy(e.szValue, span.p, n);
}

// Up to four characters from the value field; a longer text from where the value points.
void CExif::RenderSubSecTime(ExifTagEntry& e)
{
    DataSpan span;
    const DWORD dwTypeSize = exif::TypeSize(m_dwType) ? exif::TypeSize(m_dwType) : 1;
    const DWORD dwMax = std::uint64_t(m_dwCount) * dwTypeSize <= 4 ? 4 : m_dwCount;
    if (!EntryData(1, dwMax, span))
        return;
    e.bPresent = true;
    const DWORD n = std::min<DWORD>(dwMax, kMaxValueChars);
    DWORD k = 0;
    for (; k < n && span.p[k] != 0; ++k)
        e.szValue[k] = char(span.p[k]);
    e.szValue[k] = 0;
}

void CExif::RenderRationals(ExifTagEntry& e)
{
    DataSpan span;
    if (!EntryData(8, std::uint64_t(m_dwCount) * 8, span))
        return;
    e.bPresent = true;
    Appender out(e);
    for (DWORD k = 0; k < m_dwCount && !out.Full(); ++k) {
        out.Add("%d/", int(U32(span.dwBlockPos + 8 * k)));
        out.Add("%d ", int(U32(span.dwBlockPos + 8 * k + 4)));
    }
}

void CExif::RenderByteText(ExifTagEntry& e)
{
    DataSpan span;
    if (!EntryData(1, m_dwCount, span))
        return;
    e.bPresent = true;
    Appender out(e);
    for (DWORD k = 0; k < m_dwCount && span.p[k] != 0 && !out.Full(); ++k) {
        if (span.p[k] < 32)
            out.Add("[%.2x]", span.p[k]);  // two hex digits at least
        else
            out.AddChar(char(span.p[k]));
    }
}

// The low byte of each 16-bit value, separated by commas.
void CExif::RenderBitsPerSample(ExifTagEntry& e)
{
    DataSpan span;
    if (!EntryData(2, std::uint64_t(m_dwCount) * 2, span))
        return;
    e.bPresent = true;
    Appender out(e);
    for (DWORD k = 0; k < m_dwCount && !out.Full(); ++k) {
        out.Add("%d", span.p[2 * k + (m_bMotorola ? 1 : 0)]);
        if (k + 1 < m_dwCount)
            out.Add(",");
    }
}

// The first number is the value; with two or more values the first two SHORTs.
void CExif::RenderIso(ExifTagEntry& e)
{
    int nFirst = int(TypedValue()), nSecond = 0;
    if (m_dwCount >= 2) {
        DataSpan span;
        if (!EntryData(2, 4, span))
            return;
        nFirst = int(U16(span.dwBlockPos));
        nSecond = int(U16(span.dwBlockPos + 2));
    }
    e.bPresent = true;
    Write(e, "CCD sensitivity equivalent to Ag-Hr film speedrate=%d,%d", nFirst, nSecond);
}

void CExif::RenderFourBytes(ExifTagEntry& e, DWORD v)
{
    e.bPresent = true;
    Write(e, "[%d.%d.%d.%d]", int(v >> 24), int((v >> 16) & 0xFF), int((v >> 8) & 0xFF),
          int(v & 0xFF));
}

void CExif::RenderEnumeration(ExifTagEntry& e, int)
{
    e.bPresent = true;
    exif::RenderEnumerationText(WORD(m_dwTag), exif::EnumKeys{m_abValue[0], m_abValue[1], TypedValue(), m_bMotorola},
                                e.szValue, int(kValueSize));
}

// The renderings that use only the value field.
void CExif::RenderSpecial(ExifTagEntry& e, int nFamily)
{
    const DWORD v = TypedValue();
    const DWORD l0 = m_abValue[0], h0 = m_abValue[1], l1 = m_abValue[2], h1 = m_abValue[3];
    e.bPresent = true;
    switch (nFamily) {
    case exif::kDecimal:
        Write(e, "%d", int(v));
        break;
    case exif::kExifOffset:
        Write(e, "%4x", v);
        m_dwExifIfdPos = exif::BlockPosOf(v);
        break;
    case exif::kGpsInfo:
        Write(e, "%4x=place to find more GPS info, more code needs to be written to decode this data", v);
        break;
    case exif::kFourBytes:
        RenderFourBytes(e, v);
        break;
    case exif::kInteropOffset:
        RenderFourBytes(e, v);
        m_dwInteropIfdPos = exif::BlockPosOf(v);
        m_bInteropFound = true;
        break;
    case exif::kInteropVersion:
        Write(e, "[%d.%d.%d.%d]", int(l0), int(h0), int(l1), int(h1));
        break;
    case exif::kInteropIndex:
        PrepareRawWrite(e, 4);
        e.szValue[0] = char(l0);
        e.szValue[1] = char(h0);
        e.szValue[2] = char(l1);
        e.szValue[3] = char(h1);
        break;
    case exif::kStripOffsets: {
        Appender out(e);
        out.Add("%d, ", int(v));
        if (m_dwPlanarConfig == 1)
            out.Add("%d=StripsPerImage", int(m_dwCount));
        else if (m_dwPlanarConfig == 2)
            out.Add("%d=SamplesPerPixel * StripsPerImage", int(m_dwCount));
        break;
    }
    case exif::kRowsPerStrip:
        Write(e, "%d, Note that the number of StripsPerImage equals floor ((ImageLength + RowsPerStrip - 1) / RowsPerStrip)", int(v));
        break;
    case exif::kCfaRepeatPatternDim:
        Write(e, "CFARepeatRows=%d, CFARepeatCols=%d", int(l0), int(h0));
        break;
    case exif::kTimeZoneOffset:
        Write(e, "%d=Time Zone Offset (in hours) of DateTimeOriginal tag-value relative to Greenwich Mean Time", int(l0) - 128);
        if (m_dwCount == 2)
            Appender(e).Add(", %d=Time Zone Offset (in hours) of DateTime tag-value relative to Greenwich Mean Time", int(h0) - 128);
        break;
    case exif::kSubjectLocation: {
        Appender out(e);
        out.Add("%d=column number, %d=row number", int(l0), int(h0));
        if (l1 != 0 && h1 == 0)
            out.Add(", %d=diameter of circle", int(l1));
        else if (l1 != 0 && h1 != 0)
            out.Add(", %d=width, %d=heigth", int(l1), int(h1));
        break;
    }
    default:
        break;
    }
}

// A write of dwChars characters over the start of the text that leaves the rest as it was:
// the bytes it reaches beyond the text's known end were zero, so the one after it still is.
void CExif::PrepareRawWrite(ExifTagEntry& e, DWORD dwChars)
{
    DWORD& dwEnd = m_adwValueEnd[&e - m_aTags];
    if (dwChars >= dwEnd) {
        e.szValue[dwChars] = 0;
        dwEnd = dwChars;
    }
}

// After a rendering: its text ends at a zero at or before dwEnd, or it wrote further, ending at
// its own terminator.
void CExif::SettleValue(ExifTagEntry& e)
{
    DWORD& dwEnd = m_adwValueEnd[&e - m_aTags];
    dwEnd = std::max<DWORD>(dwEnd, DWORD(std::strlen(e.szValue)));
}

void CExif::DescribeEntry(DWORD)
{
    const int nSlot = exif::FindSlot(m_dwTag);
    if (nSlot < 0) {
        if (m_pUnknownTagStream)
            std::fprintf(m_pUnknownTagStream, "                 tag#=%5d=%d\n", int(m_dwTag), int(m_dwValue));
        return;
    }
    ExifTagEntry& e = m_aTags[nSlot];
    switch (const int nFamily = exif::kTags[nSlot].family) {
    case exif::kText:
        // A date tag shows the main picture's copy, the first one walked: a thumbnail's copy,
        // or a second one, never replaces it (every copy is noted for writing all the same).
        if (exif::DateOfSlot(nSlot) >= 0 && (!m_bMainIfd || e.bPresent))
            return;
        RenderText(e);
        break;
    case exif::kIptc:
        if (m_dwType == 2)
            RenderText(e);
        else {
            e.bPresent = true;
            Write(e, "%4x", TypedValue());
        }
        break;
    case exif::kSubSecTime:
        RenderSubSecTime(e);
        break;
    case exif::kRational:
        RenderRationals(e);
        break;
    case exif::kByteText:
        RenderByteText(e);
        break;
    case exif::kBitsPerSample:
        RenderBitsPerSample(e);
        break;
    case exif::kIsoSpeedRatings:
        RenderIso(e);
        break;
    case exif::kPlanarConfiguration:
        m_dwPlanarConfig = m_abValue[0];
        RenderEnumeration(e, nFamily);
        break;
    case exif::kYCbCrSubSampling:
    case exif::kEnumeration:
        RenderEnumeration(e, nFamily);
        break;
    default:
        RenderSpecial(e, nFamily);
        break;
    }
    SettleValue(e);
}
