// The EXIF engine: finds the EXIF block of a JPEG file, or the TIFF structures of a TIFF-based
// raw file, a PNG, a WebP or an ISO base media file (told by content, each by its container
// reader: exif/Ureaders.h), walks the TIFF structure into a fixed table of 103 named tag slots,
// reads the picture date, rewrites the three date tags (and the movie times that move with
// them) in place and lists every tag found as text.
//
// One object serves one file and one operation: construct, Open, ask, destroy.
#pragma once

#include "exif/Ucontainer.h"
#include "platform/wintypes.h"
#include "tx/UTxStrings.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

struct TxFileRewrite;
struct TxPatch;

class TxFile;

namespace exif {
struct TextCopies;
class FileSource;
}

// One slot of the tag table.
struct ExifTagEntry {
    bool bPresent;        // a tag of this slot was seen in the file
    char szName[30];      // fixed at construction
    char szValue[4200];   // value text, at most 4199 characters and a terminator (the bytes
                          // after the terminator are not part of the value)
    DWORD dwFilePos;      // file offset of the value's data (the three date tags only; 0 = none,
                          // or beyond 4 GiB: the write path keeps 64-bit offsets of its own)
};

// What became of a chosen date tag, or of one copy of it.
enum class ExifWriteResult {
    NotAsked,         // its flag was not set
    Written,          // the 19 characters were written (and flushed)
    NotFound,         // the tag is not in the file
    TooShort,         // the tag's value holds fewer than 19 characters: left alone
    NotDateText,      // the bytes there are not a date text, or other data lies in them: left alone
    Changed,          // the file no longer holds the date text read at Open: left alone
    HardLinked,       // the file has other hard links: left alone
    TimeNotSettable,  // the file's time stamp cannot be set by this user: left alone
    FlushFailed,      // written, but the flush to the device failed
    Failed,           // the file could not be opened, read or written (or the time is not writable)
};

// Where a copy of a date stands ("IFD0", "IFD1", "ExifIFD", ...; a later Exif segment's
// copies carry its number: "APP1#2 IFD0").
struct ExifCopyReport {
    int nDate = 0;  // 0 DateTime, 1 DateTimeOriginal, 2 DateTimeDigitized
    char szWhere[24] = {};
    std::uint64_t qwFilePos = 0;  // of its value; 0 when it is not in the file
    ExifWriteResult result = ExifWriteResult::NotAsked;
    // A copy outside the EXIF block (szWhere "XMP", "IPTC") names its property or dataset
    // ("exif:DateTimeOriginal", "DateCreated"); empty for the EXIF tags themselves. A copy
    // left alone may say why in more words than its result.
    char szName[40] = {};
    const char* pszNote = nullptr;
};

// Per tag, in the order DateTime, DateTimeOriginal, DateTimeDigitized: Written when every copy
// of it was written, else why not (the first copy's reason that was not written); and each copy.
struct ExifWriteReport {
    ExifWriteResult aResult[3] = {ExifWriteResult::NotAsked, ExifWriteResult::NotAsked,
                                  ExifWriteResult::NotAsked};
    std::vector<ExifCopyReport> copies;
    bool AllWritten() const;             // every asked tag was written, every copy of it
    int CopiesWith(int nDate, ExifWriteResult result) const;
    int CopiesOf(int nDate) const;
    void Settle();                       // aResult from the copies
};

const char* ExifWriteResultText(ExifWriteResult result);

// One copy of a date as the file holds it, and how it stands to the picture's DateTimeOriginal.
enum class ExifDateAgreement { Agrees, Differs, NoMainDate, NotADate };
struct ExifDateListing {
    int nDate = 0;         // the tag it copies: 0 DateTime, 1 DateTimeOriginal, 2 DateTimeDigitized
    std::string strWhere;  // "IFD0", "IFD1", "ExifIFD", "XMP", "IPTC", ...
    std::string strName;   // "DateTimeOriginal", "xmp:CreateDate", "DateCreated", ...
    std::string strText;   // as the file holds it
    ExifDateAgreement agreement = ExifDateAgreement::NotADate;
};
const char* ExifDateAgreementText(ExifDateAgreement agreement);

// A time-zone offset of a date (OffsetTime 0x9010, OffsetTimeOriginal 0x9011,
// OffsetTimeDigitized 0x9012) as the file holds it: "+HH:MM" or "-HH:MM" at qwFilePos.
struct ExifZoneOffset {
    int nDate = 0;  // 0 DateTime, 1 DateTimeOriginal, 2 DateTimeDigitized
    std::uint64_t qwFilePos = 0;
    char szText[7] = {};
};

class CExif {
public:
    static constexpr int kTagCount = 103;
    static constexpr DWORD kMaxExifSize = 0x19000;  // 102400: larger segments are refused
    static constexpr int kMaxValueChars = 4199;     // longest value text

    CExif();
    ~CExif();
    CExif(const CExif&) = delete;
    CExif& operator=(const CExif&) = delete;

    // Reads the EXIF block of the file and walks it. True when a block was found and walked
    // (or, in a file without one, the container holds XMP or movie times that give a date);
    // false when the file cannot be read or has no usable EXIF block (the table stays empty).
    // A block that is damaged inside is walked as far as it holds together: what was found
    // stays in the table and Open returns true.
    bool Open(const char* pszFileName);

    // The time of DateTimeOriginal when it parses, else of DateTime when it parses (local
    // calendar time packed into a FILETIME, no time-zone conversion); else, in a video, its
    // first creation date text (its digits) or creation time (UTC, converted to local time);
    // false when none does.
    bool GetDateTime(FILETIME& ft) const;
    // The parse of one date slot.
    bool ParseDateTag(const ExifTagEntry& entry, FILETIME& ft) const;
    // The own date of one of the three tags (0 DateTime, 1 DateTimeOriginal, 2 DateTimeDigitized):
    // the tag's value when it parses; in a file without it, the container's time that moves
    // with it (a video's creation time for DateTimeOriginal, its modification time for
    // DateTime). False when the file holds neither.
    bool GetTagDate(int nDate, FILETIME& ft) const;

    // Overwrites the 19-character date texts of every copy of the chosen tags in the file, in
    // place, and flushes them to the device; the file keeps its time stamp.
    // Failures only show in the debug log; pReport, when given, receives what happened per tag
    // and per copy.
    void WriteDateTags(const FILETIME& ftNew, bool bDateTime, bool bDateTimeOriginal,
                       bool bDateTimeDigitized, ExifWriteReport* pReport = nullptr);
    // The ranges such a write would change, for a batch to write (every Exif segment of the
    // file before its scan is searched for copies); the copies that cannot be written are in
    // the report already. Each range's cookie is the index of its copy in report.copies.
    void PlanDateTags(const FILETIME& ftNew, const bool abWanted[3], TxFileRewrite& file,
                      ExifWriteReport& report);
    // The same with a time of its own for each tag (DateTime, DateTimeOriginal, DateTimeDigitized).
    void PlanDateTags(const FILETIME aftNew[3], const bool abWanted[3], TxFileRewrite& file,
                      ExifWriteReport& report);
    // Copies the outcome of a batch's write of the planned ranges into the report.
    static void SettleReport(const TxFileRewrite& file, ExifWriteReport& report);
    // Every copy of the three dates the file holds: the EXIF copies of every Exif segment, then
    // the XMP properties and IPTC datasets that copy them (the same copies a write reaches).
    void ListDateCopies(std::vector<ExifDateListing>& out);

    // The time-zone offsets of the dates that the walk reached, each a 6-character text in the file.
    const std::vector<ExifZoneOffset>& ZoneOffsets() const { return m_zones; }

    // The listing: one "%27s=%s\r\n" line per present slot, in the fixed listing order; a line
    // that would not fit the capacity (characters, terminator included) is skipped.
    void DumpText(char* pszOut, DWORD dwCapacity) const;

    // The slot table.
    const ExifTagEntry& Tag(int nSlot) const { return m_aTags[nSlot]; }
    static int SlotOfTag(DWORD dwTag);  // -1 when the tag number has no slot
    const ExifTagEntry* FindTag(DWORD dwTag) const;
    bool IsMotorola() const { return m_bMotorola; }
    DWORD ExifSize() const { return m_dwExifSize; }

    // Where the line for a tag number without a slot goes (standard output by default).
    void SetUnknownTagStream(std::FILE* pStream) { m_pUnknownTagStream = pStream; }
    // For a shift: each movie time and creation-date text then moves by as much as its tag's own
    // date moves (GetTagDate to the new time), keeping the differences between them, instead
    // of taking the tag's new time; an unset movie time stays unset.
    void SetShiftContainerTimes(bool bShift) { m_bShiftContainerTimes = bShift; }

private:
    // Steps of Open.
    bool LoadFile();
    bool FindExifBlock();
    bool SearchMarkers();
    bool CopyBlock();
    void ReleaseFile();

    // Reading the file through a small window, and the block with bounds checks.
    bool FileWindow(DWORD dwPos, DWORD dwLen);
    bool WindowHolds(DWORD dwPos, DWORD dwLen) const;
    bool InBlock(std::uint64_t qwPos, std::uint64_t qwLen) const;
    const BYTE* BlockAt(DWORD dwPos) const;  // after InBlock said the bytes are there
    DWORD BlockBytes() const;                // bytes the block holds in memory
    DWORD U16(DWORD dwPos) const;
    DWORD U32(DWORD dwPos) const;

    // The walk.
    bool IfdFits(DWORD dwIfdPos);
    bool ReadEntry(DWORD dwEntryPos);
    void DescribeEntry(DWORD i);

    // Renderings (each writes or appends the current entry's text into its slot).
    struct DataSpan {
        const BYTE* p = nullptr;
        DWORD dwLen = 0;
        DWORD dwBlockPos = 0;  // block position of the data
    };
    bool EntryData(DWORD dwUnit, std::uint64_t qwNeeded, DataSpan& span);
    DWORD TypedValue() const;
    void RenderText(ExifTagEntry& e);
    void RenderSubSecTime(ExifTagEntry& e);
    void RenderRationals(ExifTagEntry& e);
    void RenderByteText(ExifTagEntry& e);
    void RenderBitsPerSample(ExifTagEntry& e);
    void RenderIso(ExifTagEntry& e);
    void RenderFourBytes(ExifTagEntry& e, DWORD v);
    void RenderEnumeration(ExifTagEntry& e, int nFamily);
    void RenderSpecial(ExifTagEntry& e, int nFamily);
    void PrepareRawWrite(ExifTagEntry& e, DWORD dwChars);
    void SettleValue(ExifTagEntry& e);

    // One copy of a date tag that the walk reached.
    struct DateCopy {
        int nDate;
        char szWhere[24];
        std::uint64_t qwFilePos;  // of its value (0 = not in the file)
        DWORD dwBlockPos;
        DWORD dwCount;
        DWORD dwEntryPos;
        BYTE abText[19];
        ExifWriteResult eRefused;  // NotAsked = writable; else why not
    };
    // A byte range of the block that the walk read: an IFD, or the data an entry points to.
    struct ReadRange {
        DWORD dwPos, dwLen, dwEntryPos;  // dwEntryPos 0 for an IFD
        int nDate;                       // the date tag whose value it is, else -1
    };
    enum class WalkMode { Render, DatesOnly };
    void WalkBlock(WalkMode mode, int nSegment);
    bool WalkIfd(DWORD dwIfdPos, const char* pszWhere, bool bMain, WalkMode mode, DWORD& dwBudget);
    void NoteEntry();
    void NoteDateCopy(int nDate);
    void NoteZoneOffset(int nDate);
    void CheckDateCopies(std::size_t nFirst);
    void CollectCopies();
    void WalkMoreBlocks(const std::vector<std::uint64_t>& blocks);
    void NoteTextSegment(std::uint64_t qwPos, BYTE marker, DWORD dwLength);
    // A reader of a container that carries an XMP packet notes its place here; a write or a
    // listing then reads it (exif/Uxmp.h) with the other copies of the dates.
    void NoteXmpPacket(std::uint64_t qwPos, DWORD dwLength) { m_textSegments.push_back(TextSegment{0, qwPos, dwLength}); }
    bool FollowSegments(std::uint64_t qwFrom, bool bAll, std::vector<std::uint64_t>& found, std::uint64_t& qwNext);
    bool LoadBlockAt(std::uint64_t qwLengthPos);
    bool ReadByteOrder();

    // Files of other containers (Uexif_container.cpp): the layout their reader found, the TIFF
    // structures walked from it, the movie and text times and the checksums beside the dates.
    class WindowSource;
    bool OpenContainer(exif::ByteSource& src);
    bool OpenLargeFile();
    bool OpenOtherContainer();
    bool IsOtherContainer() const;
    bool LoadTiffPlace(exif::ByteSource& src, const exif::TiffPlace& place);
    void WalkOtherPlace(exif::ByteSource& src, std::size_t nPlace, WalkMode mode);
    void CollectContainerCopies();
    void PlanContainerTimes(const FILETIME aftNew[3], const bool abWanted[3], TxFileRewrite& file,
                            ExifWriteReport& report) const;
    void PlanChecksums(TxFileRewrite& file) const;
    bool ContainerDate(int nDate, FILETIME& ft) const;
    void NoteContainerTimeWritten(const TxPatch& patch);
    void ListContainerTimes(std::vector<ExifDateListing>& out, bool bMain, const SYSTEMTIME& stMain) const;
    void ReadTextSegments(exif::ByteSource& src);

    BYTE* m_pFileData = nullptr;   // window on the file while the block is searched
    BYTE* m_pExifData = nullptr;   // the APP1 segment from its length bytes on
    TxString m_strFileName;
    DWORD m_dwPos = 0;             // search position; then the file offset of block byte 0
    DWORD m_dwFileSize = 0;
    // The file offset of the block's TIFF header (block byte 8), and the file's size, both in
    // 64 bits: the TIFF structures of other containers may lie anywhere in a file of any size.
    std::uint64_t m_qwTiffPos = 0;
    std::uint64_t m_qwFileSize = 0;
    DWORD m_dwExifSize = 0;
    bool m_bMotorola = false;
    DWORD m_dwIfd0Offset = 8;
    DWORD m_dwIfdPos = 0;
    bool m_bInteropFound = false;
    DWORD m_dwEntryCount = 0;
    DWORD m_dwTag = 0;
    DWORD m_dwType = 0;
    DWORD m_dwCount = 0;
    DWORD m_dwValue = 0;
    DWORD m_dwExifIfdPos = 0;
    DWORD m_dwInteropIfdPos = 0;
    DWORD m_abValue[4] = {};       // L0, H0, L1, H1
    DWORD m_dwPlanarConfig = 0;
    ExifTagEntry m_aTags[kTagCount];

    // Beyond the designed fields: the open file and its window while the block is searched,
    // the current entry's block position, and what the walk found for each date tag.
    std::unique_ptr<TxFile> m_pFile;
    DWORD m_dwWindowStart = 0;
    DWORD m_dwWindowLen = 0;
    DWORD m_dwEntryPos = 0;
    // Per slot: the value bytes from this position on count as zero (the table is not zeroed
    // in advance: that would cost more than the rest of Open); the byte there is a real zero.
    DWORD m_adwValueEnd[kTagCount];
    // The walk's state: the IFD being walked (its place and whether it belongs to the main
    // picture), the IFDs walked, the byte ranges read, the Exif IFDs still to walk, the copies
    // of the date tags found, and where the segment after the first Exif segment starts (0 when
    // the segments did not hold together and the block was found by the byte search).
    const char* m_pszWhere = "IFD0";
    bool m_bMainIfd = true;
    int m_nSegment = 1;
    WalkMode m_walkMode = WalkMode::Render;
    std::vector<DWORD> m_visited;
    std::vector<ReadRange> m_ranges;
    std::vector<std::pair<DWORD, bool>> m_exifIfds;  // position, found in the main IFD
    std::vector<DateCopy> m_copies;
    std::vector<ExifZoneOffset> m_zones;
    std::uint64_t m_qwNextSegment = 0;
    // A block of another container: its copies' places carry the place's name ("CMT2"), and
    // its first IFD may be an Exif IFD.
    char m_szBlockWhere[16] = {};
    bool m_bExifFirst = false;
    // Set when the file was read through a container reader (not the JPEG search).
    bool m_bContainer = false;
    exif::ContainerLayout m_layout;
    bool m_bShiftContainerTimes = false;
    std::vector<std::string> m_textTimes;  // each text time's bytes as read ("" = unreadable)
    // A raw file's block holds only the stretches of its structure the walk needs (the IFDs and
    // the values they point to), each at its block position, packed in m_pExifData; a position
    // outside them counts as outside the block. Empty: the block is whole.
    struct BlockExtent {
        DWORD dwPos, dwLen, dwBuf;  // block position, length, offset in m_pExifData
    };
    std::vector<BlockExtent> m_extents;
    std::FILE* m_pUnknownTagStream = stdout;
    // The segments before the scan that may hold dates as text (XMP, extended XMP, APP13), as
    // the segments were followed; the copies found in them, once a write or a listing asked.
    struct TextSegment {
        int nKind;             // 0 XMP, 1 extended XMP, 2 APP13
        std::uint64_t qwPos;   // of the first byte after the signature
        DWORD dwLength;        // bytes from there to the segment's end
    };
    std::vector<TextSegment> m_textSegments;
    bool m_bCollected = false;
    std::unique_ptr<exif::TextCopies> m_pText;
};
