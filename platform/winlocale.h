// Locale-dependent formatting, comparison and case change on UTF-8 texts.
#pragma once

#include "wintypes.h"

#include <cstddef>
#include <string>

// The user's short date (nl_langinfo(D_FMT), its year always with four digits) and the time forced to 24-hour form (T_FMT when it
// shows hours 0 to 23, else "%H:%M:%S"), under the current LC_TIME. False when the text does not
// fit into cchBuffer characters including the terminator (the buffer is then the empty text).
bool GetShortDateText(const SYSTEMTIME& st, char* pBuffer, std::size_t cchBuffer);
bool GetTime24Text(const SYSTEMTIME& st, char* pBuffer, std::size_t cchBuffer);

// Locale-aware comparison (strcoll); the case-insensitive one folds case first. <0, 0, >0.
int lstrcmpA(const char* a, const char* b);
int lstrcmpiA(const char* a, const char* b);

// Locale-aware case change of a UTF-8 text (through wide characters). Bytes that are not valid
// UTF-8 are kept as they are.
std::string CharUpperText(const std::string& text);
std::string CharLowerText(const std::string& text);
