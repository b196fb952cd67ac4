// EXIF date texts on the command line: "YYYY:MM:DD HH:MM:SS", local time without a zone.
#pragma once

#include "platform/wintypes.h"

#include <string>

// Strict: exactly that shape, digits where digits belong, a date the calendar has (years 1601
// to 9999). False otherwise.
bool ParseDateText(const char* pszText, FILETIME& ft);
std::string FormatDateText(const FILETIME& ft);
