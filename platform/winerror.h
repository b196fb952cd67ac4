// The calling thread's last error (errno) and its text.
#pragma once

#include "wintypes.h"

#include <string>

DWORD GetLastError();            // errno of the calling thread; 0 = no error
void SetLastError(DWORD dwCode);
std::string FormatErrorText(DWORD dwCode);  // strerror_r; empty when the system has no text
