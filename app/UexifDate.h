// The picture's own date as the file list shows it: what "Set time from EXIF" would take
// (DateTimeOriginal, else DateTime), read through the EXIF engine, and which date tags the file
// holds at all.
#pragma once

#include "../platform/wintypes.h"

#include <cstdint>

enum class ExifDateState : std::uint8_t {
    Unread,       // not read yet
    NoExif,       // no readable EXIF block (or the file cannot be read)
    NoDate,       // an EXIF block without DateTimeOriginal and DateTime
    Placeholder,  // the tags are there, but no date parses (blank or zero placeholders, junk)
    Date,         // ft holds the date
};

struct ExifDateInfo {
    ExifDateState state = ExifDateState::Unread;
    FILETIME ft{};             // local calendar time, no zone (state Date)
    std::uint8_t bTags = 0;    // bit d: tag d (DateTime, DateTimeOriginal, DateTimeDigitized) is there

    bool Known() const { return state != ExifDateState::Unread; }
    bool HasDate() const { return state == ExifDateState::Date; }
    bool HasTag(int nDate) const { return (bTags >> nDate) & 1; }
};

ExifDateInfo ReadExifDate(const char* pszPath);

// Two times more than 2 seconds apart: FAT and exFAT cards keep file times in 2-second steps,
// so a copy's time may be up to that far from the camera's own.
bool TimesDiffer(const FILETIME& a, const FILETIME& b);
