// Reading and writing the command line's date texts.
#include "CliDateText.h"

#include "platform/wintime.h"

#include <cctype>
#include <cstdio>
#include <cstring>

bool ParseDateText(const char* pszText, FILETIME& ft)
{
    static const char kShape[] = "dddd:dd:dd dd:dd:dd";
    if (!pszText || std::strlen(pszText) != sizeof(kShape) - 1)
        return false;
    for (size_t i = 0; kShape[i]; ++i) {
        const bool bDigit = std::isdigit(static_cast<unsigned char>(pszText[i])) != 0;
        if (kShape[i] == 'd' ? !bDigit : pszText[i] != kShape[i])
            return false;
    }
    auto number = [&](int from, int len) {
        int n = 0;
        for (int i = from; i < from + len; ++i)
            n = n * 10 + (pszText[i] - '0');
        return WORD(n);
    };
    SYSTEMTIME st{number(0, 4), number(5, 2), 0, number(8, 2), number(11, 2), number(14, 2), number(17, 2), 0};
    return SystemTimeToFileTime(&st, &ft);
}

std::string FormatDateText(const FILETIME& ft)
{
    SYSTEMTIME st{};
    if (!FileTimeToSystemTime(&ft, &st))
        return {};
    char sz[64];
    std::snprintf(sz, sizeof(sz), "%04d:%02d:%02d %02d:%02d:%02d", st.wYear, st.wMonth, st.wDay, st.wHour,
                  st.wMinute, st.wSecond);
    return sz;
}
