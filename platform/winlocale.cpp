// Locale-dependent date and time texts, comparison and case change on UTF-8 texts.
#include "winlocale.h"

#include <cstring>
#include <ctime>
#include <cwctype>
#include <langinfo.h>

namespace {

std::tm ToTm(const SYSTEMTIME& st)
{
    static const int kDaysBefore[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    std::tm t{};
    t.tm_year = st.wYear - 1900;
    t.tm_mon = st.wMonth >= 1 && st.wMonth <= 12 ? st.wMonth - 1 : 0;
    t.tm_mday = st.wDay;
    t.tm_hour = st.wHour;
    t.tm_min = st.wMinute;
    t.tm_sec = st.wSecond;
    t.tm_wday = st.wDayOfWeek % 7;
    const bool bLeap = (st.wYear % 4 == 0 && st.wYear % 100 != 0) || st.wYear % 400 == 0;
    t.tm_yday = kDaysBefore[t.tm_mon] + st.wDay - 1 + (bLeap && t.tm_mon > 1 ? 1 : 0);
    t.tm_isdst = -1;
    return t;
}

bool FormatTm(const char* pszFormat, const SYSTEMTIME& st, char* pBuffer, std::size_t cchBuffer)
{
    if (pBuffer == nullptr || cchBuffer == 0)
        return false;
    const std::tm t = ToTm(st);
    const std::size_t n = std::strftime(pBuffer, cchBuffer, pszFormat, &t);
    if (n == 0) {
        pBuffer[0] = '\0';
        return false;
    }
    return true;
}

// True when a time format shows the hours on a 12-hour clock (or with a morning/afternoon
// marker), so it cannot serve as the 24-hour form.
bool IsTwelveHourFormat(const char* pszFormat)
{
    if (pszFormat == nullptr || *pszFormat == '\0')
        return true;
    bool bHours24 = false;
    for (const char* p = pszFormat; *p; ++p) {
        if (*p != '%')
            continue;
        ++p;
        while (*p == '-' || *p == '_' || *p == '0' || *p == '^' || *p == '#' || *p == 'E' ||
               *p == 'O')
            ++p;
        switch (*p) {
        case 'I': case 'l': case 'r': case 'p': case 'P':
            return true;
        case 'H': case 'k': case 'T': case 'R':
            bHours24 = true;
            break;
        case '\0':
            return !bHours24;
        default:
            break;
        }
    }
    return !bHours24;
}

// The locale's short date format with every two-digit year widened to four digits, so that
// 1926 and 2026 never look alike; the order of the fields and their separators stay the
// locale's. "%y" becomes "%Y" (keeping its flags), "%Ey" the full era year "%EY", "%Oy" the
// plain "%Y", and "%D" its spelled-out "%m/%d/%Y".
std::string WithFourDigitYears(const char* pszFormat)
{
    std::string out;
    for (const char* p = pszFormat; *p; ++p) {
        out.push_back(*p);
        if (*p != '%')
            continue;
        const char* pFlags = p + 1;
        const char* q = pFlags;
        while (*q == '-' || *q == '_' || *q == '0' || *q == '^' || *q == '#')
            ++q;
        const bool bEra = *q == 'E', bDigits = *q == 'O';
        const char* pConv = bEra || bDigits ? q + 1 : q;
        if (*pConv == 'y') {
            out.append(pFlags, q);
            out.append(bEra ? "EY" : "Y");
        } else if (*pConv == 'D' && pConv == pFlags) {
            out.append("m/%d/%Y");
        } else if (*pConv == '%' && pConv == pFlags) {
            out.push_back('%');
        } else {
            continue;  // any other field is copied as it is
        }
        p = pConv;
    }
    return out;
}

// Decodes one UTF-8 sequence at p (n bytes available). Returns its length, or 0 when the
// byte at p does not start a valid, shortest-form sequence.
std::size_t DecodeUtf8(const unsigned char* p, std::size_t n, char32_t* pCode)
{
    const unsigned char b = p[0];
    std::size_t len = 0;
    char32_t code = 0;
    if (b < 0x80) {
        *pCode = b;
        return 1;
    } else if (b >= 0xC2 && b <= 0xDF) {
        len = 2;
        code = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        len = 3;
        code = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        len = 4;
        code = b & 0x07;
    } else {
        return 0;
    }
    if (len > n)
        return 0;
    for (std::size_t i = 1; i < len; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (p[i] & 0x3F);
    }
    if ((len == 3 && code < 0x800) || (len == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
        (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    *pCode = code;
    return len;
}

void EncodeUtf8(char32_t c, std::string* pOut)
{
    if (c < 0x80) {
        pOut->push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        pOut->push_back(static_cast<char>(0xC0 | (c >> 6)));
        pOut->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        pOut->push_back(static_cast<char>(0xE0 | (c >> 12)));
        pOut->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        pOut->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        pOut->push_back(static_cast<char>(0xF0 | (c >> 18)));
        pOut->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        pOut->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        pOut->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::string MapCase(const std::string& text, std::wint_t (*pfnMap)(std::wint_t))
{
    std::string out;
    out.reserve(text.size());
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        char32_t code = 0;
        const std::size_t len = DecodeUtf8(p + i, n - i, &code);
        if (len == 0) {
            out.push_back(static_cast<char>(p[i]));  // not UTF-8: kept as it is
            ++i;
            continue;
        }
        const std::wint_t mapped = pfnMap(static_cast<std::wint_t>(code));
        const auto c = static_cast<char32_t>(mapped);
        if (c == 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            out.append(text, i, len);
        else
            EncodeUtf8(c, &out);
        i += len;
    }
    return out;
}

std::wint_t ToUpperWide(std::wint_t c) { return std::towupper(c); }
std::wint_t ToLowerWide(std::wint_t c) { return std::towlower(c); }

}  // namespace

bool GetShortDateText(const SYSTEMTIME& st, char* pBuffer, std::size_t cchBuffer)
{
    const char* pszFormat = nl_langinfo(D_FMT);
    const std::string strFormat = WithFourDigitYears(pszFormat && *pszFormat ? pszFormat : "%m/%d/%y");
    return FormatTm(strFormat.c_str(), st, pBuffer, cchBuffer);
}

bool GetTime24Text(const SYSTEMTIME& st, char* pBuffer, std::size_t cchBuffer)
{
    const char* pszFormat = nl_langinfo(T_FMT);
    return FormatTm(IsTwelveHourFormat(pszFormat) ? "%H:%M:%S" : pszFormat, st, pBuffer, cchBuffer);
}

int lstrcmpA(const char* a, const char* b)
{
    return std::strcoll(a ? a : "", b ? b : "");
}

int lstrcmpiA(const char* a, const char* b)
{
    const std::string la = CharLowerText(a ? a : "");
    const std::string lb = CharLowerText(b ? b : "");
    return std::strcoll(la.c_str(), lb.c_str());
}

std::string CharUpperText(const std::string& text)
{
    return MapCase(text, ToUpperWide);
}

std::string CharLowerText(const std::string& text)
{
    return MapCase(text, ToLowerWide);
}
