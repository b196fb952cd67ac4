// Calendar fields and file times for tests.
#pragma once

#include "platform/wintime.h"

inline SYSTEMTIME Date(int y, int m, int d, int h = 0, int mi = 0, int s = 0, int ms = 0)
{
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(m);
    st.wDay = static_cast<WORD>(d);
    st.wHour = static_cast<WORD>(h);
    st.wMinute = static_cast<WORD>(mi);
    st.wSecond = static_cast<WORD>(s);
    st.wMilliseconds = static_cast<WORD>(ms);
    return st;
}

// The file time of those fields; 2^64-1 when they do not convert.
inline FILETIME FileTimeOf(int y, int m, int d, int h = 0, int mi = 0, int s = 0, int ms = 0)
{
    const SYSTEMTIME st = Date(y, m, d, h, mi, s, ms);
    FILETIME ft{};
    if (!SystemTimeToFileTime(&st, &ft))
        ft = U64ToFileTime(~0ull);
    return ft;
}
