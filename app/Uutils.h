// File-time arithmetic and formatting, and opening a document with the desktop.
#pragma once

#include "../platform/wintypes.h"

#include <cstddef>
#include <cstdint>

// Exact 64-bit tick arithmetic. Each returns false and leaves the value unchanged when the
// result would leave the range of valid times (below 1601-01-01 or above the largest FILETIME).
bool AddSeconds(FILETIME& ft, std::int64_t nCount);
bool AddMinutes(FILETIME& ft, std::int64_t nCount);
bool AddHours(FILETIME& ft, std::int64_t nCount);
bool AddDays(FILETIME& ft, std::int64_t nCount);

// Calendar steps: the value is left exactly as it was when the date does not exist (31 April,
// 29 February of a common year) or lies outside 1601..30827; ticks below 1 ms are dropped.
bool AddMonths(FILETIME& ft, int nCount);
bool AddYears(FILETIME& ft, int nCount);

// Short date, two blanks, 24-hour time of the user's locale, no time-zone conversion. The empty
// text when the value does not convert or the text does not fit into cchBuffer characters.
void FileTimeToText(const FILETIME& ft, char* pszBuffer, std::size_t cchBuffer);

// Asks the desktop to open the document with its default program (xdg-open on a Linux desktop).
// False when the desktop has no way to open it.
class QWidget;
bool ShellOpen(QWidget* pOwner, const char* pszPath);
