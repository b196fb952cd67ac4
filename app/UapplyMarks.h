// Why a row did not get all that Apply was to write, from the engine's write report: the
// reasons in Czech, one a line, for the row's tool tip (empty when nothing is to be said).
#pragma once

#include <string>

struct ExifDateJob;

// How a row's file ended besides its EXIF report.
struct ApplyRowEnd {
    bool bLeftAsItWas = false;  // its dates could not be rewritten now: the file is as it was
    bool bPartly = false;       // some of its dates were rewritten, another could not be
    bool bTimeFailed = false;   // its time stamp was to be set and could not be
};

// pJob: the row's EXIF rewrite, or null when none was asked.
std::string ApplyMarkText(const ExifDateJob* pJob, const ApplyRowEnd& end);
