// shift --zone: the time zone the camera should have been set to, and what it changes in a file.
#pragma once

#include "exif/Uexif_batch.h"

#include <cstdint>
#include <string>

struct ShiftZone {
    bool bGiven = false;
    int nMinutes = 0;   // east of UTC
    char szText[7] = {};  // "+HH:MM"
};

// "+HH:MM" or "-HH:MM", at most 14 hours (the widest offset in use); false for anything else.
bool ParseShiftZone(const char* pszText, ShiftZone& zone);

// Each chosen date moves by the difference between the new zone and its own offset tag
// (OffsetTimeOriginal's when it has none): anShift, in seconds. Every offset tag of a chosen
// date that differs gets the new zone, as a range of the job; strLine says which. False when the
// file holds no offset for a chosen date: the zone its camera was set to is not known.
bool PlanShiftZone(const CExif& exif, const bool abWanted[3], const ShiftZone& zone, ExifDateJob& job,
                   std::int64_t anShift[3], std::string& strLine);
