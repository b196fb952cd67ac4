// Date texts of XMP and IPTC: reading their shape, and rewriting their digits.
#include "exif/Utextdate.h"

#include "platform/wintime.h"
#include "tx/UTxRewrite.h"

#include <cstdio>
#include <cstring>

namespace exif {

namespace {

constexpr int kWidth[kFieldCount] = {4, 2, 2, 2, 2, 2};
constexpr int kLowest[kFieldCount] = {1, 1, 1, 0, 0, 0};
constexpr int kHighest[kFieldCount] = {9999, 12, 31, 23, 59, 59};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads a field's digits at nPos; false when they are not all digits or out of the field's range.
bool Field(std::string_view text, std::size_t nPos, int nField, DateDigits& d)
{
    const int nWidth = kWidth[nField];
    if (nPos + std::size_t(nWidth) > text.size())
        return false;
    int nValue = 0;
    for (int k = 0; k < nWidth; ++k) {
        if (!IsDigit(text[nPos + std::size_t(k)]))
            return false;
        nValue = nValue * 10 + (text[nPos + std::size_t(k)] - '0');
    }
    if (nValue < kLowest[nField] || nValue > kHighest[nField])
        return false;
    d.anPos[nField] = int(nPos);
    d.anValue[nField] = nValue;
    return true;
}

bool Is(std::string_view text, std::size_t nPos, char c) { return nPos < text.size() && text[nPos] == c; }

// A zone "+hh:mm" / "-hh:mm" (with bColon) or "+hhmm" / "-hhmm" from nPos to the end.
bool Zone(std::string_view text, std::size_t nPos, bool bColon)
{
    if (!Is(text, nPos, '+') && !Is(text, nPos, '-'))
        return false;
    DateDigits zone;
    const std::size_t nMinute = nPos + (bColon ? 4 : 3);
    return Field(text, nPos + 1, kHour, zone) && (!bColon || Is(text, nPos + 3, ':')) &&
           Field(text, nMinute, kMinute, zone) && nMinute + 2 == text.size();
}

}  // namespace

bool ReadXmpDate(std::string_view text, DateDigits& digits)
{
    DateDigits d;
    if (!Field(text, 0, kYear, d) || !Is(text, 4, '-') || !Field(text, 5, kMonth, d) || !Is(text, 7, '-') ||
        !Field(text, 8, kDay, d))
        return false;
    std::size_t n = 10;
    if (n < text.size()) {
        if (!Is(text, 10, 'T') || !Field(text, 11, kHour, d) || !Is(text, 13, ':') || !Field(text, 14, kMinute, d))
            return false;
        n = 16;
        if (Is(text, n, ':')) {
            if (!Field(text, 17, kSecond, d))
                return false;
            n = 19;
            if (Is(text, n, '.')) {
                ++n;
                const std::size_t nFraction = n;
                while (n < text.size() && IsDigit(text[n]))
                    ++n;
                if (n == nFraction)
                    return false;
            }
        }
        if (n < text.size() && !(Is(text, n, 'Z') && n + 1 == text.size()) && !Zone(text, n, true))
            return false;
    }
    digits = d;
    return true;
}

bool ReadIptcDate(std::string_view text, DateDigits& digits)
{
    DateDigits d;
    if (text.size() != 8 || !Field(text, 0, kYear, d) || !Field(text, 4, kMonth, d) || !Field(text, 6, kDay, d))
        return false;
    digits = d;
    return true;
}

bool ReadIptcTime(std::string_view text, DateDigits& digits)
{
    DateDigits d;
    if (!Field(text, 0, kHour, d) || !Field(text, 2, kMinute, d) || !Field(text, 4, kSecond, d))
        return false;
    if (text.size() != 6 && !Zone(text, 6, false))
        return false;
    digits = d;
    return true;
}

bool ExifDateText(const FILETIME& ft, char (&szText)[20])
{
    SYSTEMTIME st{};
    if (!FileTimeToSystemTime(&ft, &st) || st.wYear > 9999)
        return false;
    std::snprintf(szText, sizeof(szText), "%.4d:%.2d:%.2d %.2d:%.2d:%.2d", st.wYear % 10000,
                  st.wMonth % 100, st.wDay % 100, st.wHour % 100, st.wMinute % 100, st.wSecond % 100);
    return true;
}

bool ReadExifDate(std::string_view text, DateDigits& digits)
{
    DateDigits d;
    if (text.size() != 19 || !Field(text, 0, kYear, d) || !Is(text, 4, ':') || !Field(text, 5, kMonth, d) ||
        !Is(text, 7, ':') || !Field(text, 8, kDay, d) || !Is(text, 10, ' ') || !Field(text, 11, kHour, d) ||
        !Is(text, 13, ':') || !Field(text, 14, kMinute, d) || !Is(text, 16, ':') || !Field(text, 17, kSecond, d))
        return false;
    digits = d;
    return true;
}

namespace {

int ValueOf(const SYSTEMTIME& st, int nField)
{
    const WORD aw[kFieldCount] = {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
    return aw[nField];
}

}  // namespace

std::string PutDigits(std::string_view text, const DateDigits& digits, const SYSTEMTIME& st)
{
    std::string out(text);
    for (int f = 0; f < kFieldCount; ++f) {
        if (!digits.Has(f) || std::size_t(digits.anPos[f] + kWidth[f]) > out.size())
            continue;
        int nValue = ValueOf(st, f);
        for (int k = kWidth[f] - 1; k >= 0; --k, nValue /= 10)
            out[std::size_t(digits.anPos[f] + k)] = char('0' + nValue % 10);
    }
    return out;
}

bool DigitsAgree(const DateDigits& digits, const SYSTEMTIME& st)
{
    for (int f = 0; f < kFieldCount; ++f)
        if (digits.Has(f) && digits.anValue[f] != ValueOf(st, f))
            return false;
    return true;
}

std::string TextDateCopy::Text() const
{
    std::string text;
    for (const TextDatePart& part : parts)
        text += (text.empty() ? "" : " ") + part.strOld;
    return text;
}

void PlanTextDateCopies(const std::vector<TextDateCopy>& copies, const SYSTEMTIME ast[3], const bool abWanted[3],
                        TxFileRewrite& file, ExifWriteReport& report)
{
    for (const TextDateCopy& c : copies) {
        if (!abWanted[c.nDate])
            continue;
        ExifCopyReport copy;
        copy.nDate = c.nDate;
        std::snprintf(copy.szWhere, sizeof(copy.szWhere), "%s", c.strWhere.c_str());
        std::snprintf(copy.szName, sizeof(copy.szName), "%s", c.strName.c_str());
        copy.qwFilePos = c.parts.empty() ? 0 : c.parts.front().qwFilePos;
        copy.result = c.eRefused;
        copy.pszNote = c.pszNote;
        report.copies.push_back(copy);
        if (c.eRefused != ExifWriteResult::NotAsked)
            continue;
        for (const TextDatePart& part : c.parts) {
            const std::string strNew = PutDigits(part.strOld, part.digits, ast[c.nDate]);
            TxPatch patch;
            patch.qwOffset = part.qwFilePos;
            patch.abOld.assign(part.strOld.begin(), part.strOld.end());
            patch.abNew.assign(strNew.begin(), strNew.end());
            patch.nCookie = int(report.copies.size() - 1);
            file.patches.push_back(std::move(patch));
        }
    }
}

void NoteTextWritten(std::vector<TextDateCopy>& copies, std::uint64_t qwFilePos, const std::vector<BYTE>& abNew)
{
    for (TextDateCopy& c : copies)
        for (TextDatePart& part : c.parts)
            if (part.qwFilePos == qwFilePos && part.strOld.size() == abNew.size())
                part.strOld.assign(abNew.begin(), abNew.end());
}

ExifDateAgreement AgreementOf(bool bRead, const exif::DateDigits& digits, bool bMain, const SYSTEMTIME& stMain)
{
    if (!bRead)
        return ExifDateAgreement::NotADate;
    if (!bMain)
        return ExifDateAgreement::NoMainDate;
    return exif::DigitsAgree(digits, stMain) ? ExifDateAgreement::Agrees : ExifDateAgreement::Differs;
}

}  // namespace exif
