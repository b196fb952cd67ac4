// Reading and applying a shift offset.
#include "CliOffset.h"

#include "app/Uutils.h"
#include "platform/wintime.h"

#include <cctype>
#include <string>
#include <vector>

namespace {

constexpr std::int64_t kMaxField = 10000LL * 366 * 24 * 3600;  // beyond any date's reach

// "1:2:3" -> {1, 2, 3}; false for empty fields, signs or other characters.
bool Fields(const std::string& text, std::vector<std::int64_t>& fields)
{
    fields.assign(1, 0);
    bool bDigit = false;
    for (char c : text) {
        if (c == ':') {
            if (!bDigit)
                return false;
            fields.push_back(0);
            bDigit = false;
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            fields.back() = fields.back() * 10 + (c - '0');
            if (fields.back() > kMaxField)
                return false;
            bDigit = true;
        } else {
            return false;
        }
    }
    return bDigit;
}

}  // namespace

bool ParseShiftOffset(const char* pszText, ShiftOffset& offset)
{
    if (pszText == nullptr)
        return false;
    std::string text = pszText;
    offset = ShiftOffset{};
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        offset.nSign = text[0] == '-' ? -1 : +1;
        text.erase(0, 1);
    }
    std::string datePart, timePart = text;
    const std::size_t nSpace = text.find(' ');
    if (nSpace != std::string::npos) {
        datePart = text.substr(0, nSpace);
        timePart = text.substr(nSpace + 1);
    }
    std::vector<std::int64_t> date, time;
    if (!Fields(timePart, time) || time.size() > 3)
        return false;
    if (nSpace != std::string::npos && (!Fields(datePart, date) || date.size() < 2 || date.size() > 3))
        return false;
    if (date.size() == 3)
        offset.nMonths = date[0] * 12;
    if (date.size() >= 2) {
        offset.nMonths += date[date.size() - 2];
        offset.nDays = date.back();
    }
    static const std::int64_t kUnits[3] = {3600, 60, 1};
    for (std::size_t i = 0; i < time.size(); ++i)
        offset.nSeconds += time[i] * kUnits[i];
    return offset.nMonths <= 12 * 10000 && offset.nDays <= 366 * 10000 && offset.nSeconds <= kMaxField;
}

bool ApplyShiftOffset(FILETIME& ft, const ShiftOffset& offset)
{
    FILETIME shifted = ft;
    if (offset.nMonths != 0 && !AddMonths(shifted, int(offset.nSign * offset.nMonths)))
        return false;
    if (!AddDays(shifted, offset.nSign * offset.nDays) || !AddSeconds(shifted, offset.nSign * offset.nSeconds))
        return false;
    SYSTEMTIME st{};
    if (!FileTimeToSystemTime(&shifted, &st) || st.wYear < 1601 || st.wYear > 9999)
        return false;
    ft = shifted;
    return true;
}
