// The calling thread's last error is errno; its text comes from strerror_r.
#include "winerror.h"

#include <cerrno>
#include <cstring>

DWORD GetLastError()
{
    return static_cast<DWORD>(errno);
}

void SetLastError(DWORD dwCode)
{
    errno = static_cast<int>(dwCode);
}

std::string FormatErrorText(DWORD dwCode)
{
    const int saved = errno;
    char buffer[256] = {};
    // The GNU strerror_r returns the text, which may or may not live in the buffer.
    const char* pszText = strerror_r(static_cast<int>(dwCode), buffer, sizeof buffer);
    std::string text = pszText ? pszText : "";
    errno = saved;
    // glibc makes up "Unknown error N" for codes it has no text for.
    if (text.rfind("Unknown error", 0) == 0)
        text.clear();
    return text;
}
