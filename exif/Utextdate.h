// Dates held as text outside the EXIF block (XMP properties, IPTC datasets): the shape of each
// text (which fields it holds and where their digits stand), and the copies of a date found in
// a file, each with the byte ranges that rewriting it changes. A text keeps its own shape when
// it is rewritten: only the digits of the fields it holds change, so its length, its
// separators, its fraction of a second and its zone suffix stay as they were.
#pragma once

#include "exif/Uexif.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TxFileRewrite;

namespace exif {

enum DateField { kYear, kMonth, kDay, kHour, kMinute, kSecond, kFieldCount };

// The fields a date text holds: where the digits of each stand (-1 = not held) and their value.
struct DateDigits {
    int anPos[kFieldCount] = {-1, -1, -1, -1, -1, -1};
    int anValue[kFieldCount] = {};
    bool Has(int nField) const { return anPos[nField] >= 0; }
};

// The shapes read. Each is false for any other text (blanks, a year or a month alone, EXIF's
// colons in an XMP text, character references, a field out of its range).
// XMP: YYYY-MM-DD, optionally Thh:mm, :ss, a fraction, and a zone (Z, +hh:mm, -hh:mm).
bool ReadXmpDate(std::string_view text, DateDigits& digits);
// IPTC: CCYYMMDD; HHMMSS optionally followed by +HHMM or -HHMM.
bool ReadIptcDate(std::string_view text, DateDigits& digits);
bool ReadIptcTime(std::string_view text, DateDigits& digits);
// EXIF: YYYY:MM:DD HH:MM:SS.
bool ReadExifDate(std::string_view text, DateDigits& digits);
// The 19-character EXIF date text of a time ("YYYY:MM:DD HH:MM:SS"); false for a time outside
// years 1601 to 9999.
bool ExifDateText(const FILETIME& ft, char (&szText)[20]);

// The text with the digits of the fields it holds set from the time.
std::string PutDigits(std::string_view text, const DateDigits& digits, const SYSTEMTIME& st);
// Whether every field the text holds equals the time's.
bool DigitsAgree(const DateDigits& digits, const SYSTEMTIME& st);
// How a copy read as these digits (bRead: it is a date at all) stands to the main date.
ExifDateAgreement AgreementOf(bool bRead, const DateDigits& digits, bool bMain, const SYSTEMTIME& stMain);

// One range of a copy: a text at a file offset, and its shape.
struct TextDatePart {
    std::uint64_t qwFilePos = 0;
    std::string strOld;
    DateDigits digits;
};

// One copy of a date held as text: an XMP property, or an IPTC date with its time (one
// instant, rewritten together).
struct TextDateCopy {
    int nDate = 0;                 // 0 DateTime, 1 DateTimeOriginal, 2 DateTimeDigitized
    std::string strWhere;          // "XMP", "IPTC"
    std::string strName;           // "exif:DateTimeOriginal", "DateCreated"
    std::vector<TextDatePart> parts;
    ExifWriteResult eRefused = ExifWriteResult::NotAsked;  // NotAsked = writable
    const char* pszNote = nullptr; // why it is left alone, when that says more than eRefused
    // The text as one line ("2010-12-12T10:20:30+01:00", "20101212 102030+0100").
    std::string Text() const;
};

// Adds a range to the file for every part of each wanted copy that can be written, and a copy
// report for each wanted copy (its cookie is the index of that report in report.copies).
void PlanTextDateCopies(const std::vector<TextDateCopy>& copies, const SYSTEMTIME ast[3], const bool abWanted[3],
                        TxFileRewrite& file, ExifWriteReport& report);
// After a write: the parts now hold the new texts, so that a second write checks against them.
void NoteTextWritten(std::vector<TextDateCopy>& copies, std::uint64_t qwFilePos, const std::vector<BYTE>& abNew);

}  // namespace exif
