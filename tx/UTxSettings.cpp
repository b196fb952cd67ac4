// TxIniFile: reading and rewriting single keys of a settings file in the INI format.
#include "UTxSettings.h"

#include "../platform/winfile.h"
#include "UTxBase.h"
#include "UTxUtils.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>

namespace {

// A settings file is a few hundred bytes; anything above this is not one of ours.
constexpr std::uint64_t kMaxIniSize = 1u << 20;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string Trim(const std::string& text, std::size_t begin, std::size_t end)
{
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && (IsBlank(text[end - 1]) || text[end - 1] == '\r'))
        --end;
    return text.substr(begin, end - begin);
}

char FoldAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(const std::string& a, const char* b)
{
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    }
    return i == a.size() && b[i] == '\0';
}

// Where a key is, or where it would go, in the file's text.
struct IniLocation {
    bool bSection = false;       // the section exists
    bool bKey = false;           // the key exists in it
    std::size_t valueBegin = 0;  // the key's value (when bKey)
    std::size_t valueEnd = 0;
    std::size_t insertAt = 0;    // after the section's last non-empty line (when bSection)
};

IniLocation Locate(const std::string& text, const char* pszSection, const char* pszKey)
{
    IniLocation loc;
    bool bInSection = false;
    bool bPastSection = false;
    for (std::size_t begin = 0; begin < text.size() && !bPastSection;) {
        std::size_t end = text.find('\n', begin);
        const std::size_t next = end == std::string::npos ? text.size() : end + 1;
        if (end == std::string::npos)
            end = text.size();
        const std::string line = Trim(text, begin, end);
        if (!line.empty() && line[0] == '[') {
            const std::size_t close = line.find(']');
            const std::string name = Trim(line, 1, close == std::string::npos ? line.size() : close);
            if (bInSection)
                bPastSection = true;  // only the first section of that name counts
            else if (SameName(name, pszSection)) {
                bInSection = loc.bSection = true;
                loc.insertAt = next;
            }
        } else if (bInSection && !line.empty()) {
            loc.insertAt = next;
            const std::size_t eq = text.find('=', begin);
            if (line[0] != ';' && eq != std::string::npos && eq < end &&
                SameName(Trim(text, begin, eq), pszKey)) {
                loc.bKey = true;
                std::size_t valueEnd = end;
                if (valueEnd > eq + 1 && text[valueEnd - 1] == '\r')
                    --valueEnd;
                loc.valueBegin = eq + 1;
                while (loc.valueBegin < valueEnd && IsBlank(text[loc.valueBegin]))
                    ++loc.valueBegin;  // blanks after "=" stay as they were
                loc.valueEnd = valueEnd;
                return loc;
            }
        }
        begin = next;
    }
    return loc;
}

// Reads the whole open file; false when it cannot be read or is too large to be ours.
bool ReadWhole(int hFile, std::string* pText)
{
    std::uint64_t qwSize = 0;
    if (!FileGetSize(hFile, &qwSize) || qwSize > kMaxIniSize)
        return false;
    pText->assign(static_cast<std::size_t>(qwSize), '\0');
    std::uint32_t dwRead = 0;
    const bool bOk = FileRead(hFile, pText->data(), static_cast<std::uint32_t>(qwSize), &dwRead);
    pText->resize(dwRead);
    return bOk;
}

// Reads the whole file; false when it is missing, unreadable or too large to be ours.
bool LoadText(const char* pszPath, std::string* pText)
{
    const int hFile = FileOpen(pszPath, FileOpenMode::ReadExisting);
    if (hFile == INVALID_FILE_HANDLE)
        return false;
    const bool bOk = ReadWhole(hFile, pText);
    FileClose(hFile);
    return bOk;
}

// Decimal, or hexadecimal after "0x" or "$", with an optional sign; nothing else.
bool ParseInteger(const std::string& text, int* pValue)
{
    std::size_t i = 0;
    bool bNegative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        bNegative = text[i++] == '-';
    int base = 10;
    if (text.compare(i, 2, "0x") == 0 || text.compare(i, 2, "0X") == 0) {
        base = 16;
        i += 2;
    } else if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    }
    if (i >= text.size())
        return false;
    long long value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        value = value * base + digit;
        if (value > static_cast<long long>(INT_MAX) + 1)
            return false;  // far out of range: stop before the number can overflow
    }
    if (bNegative)
        value = -value;
    if (value < INT_MIN || value > INT_MAX)
        return false;
    *pValue = static_cast<int>(value);
    return true;
}

// A value is stored between double quotes when it begins or ends with a blank (which reading
// would otherwise trim away) or is itself enclosed in double quotes (which reading takes off).
// Any other value is stored as it is, as it always was.
std::string StoredValue(const std::string& value)
{
    const bool bBlankAtEnd = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()));
    const bool bQuoted = value.size() >= 2 && value.front() == '"' && value.back() == '"';
    return bBlankAtEnd || bQuoted ? '"' + value + '"' : value;
}

// The value as it was written: the blanks around it trimmed, then one pair of enclosing double
// quotes taken off.
std::string ReadValue(const std::string& stored)
{
    if (stored.size() >= 2 && stored.front() == '"' && stored.back() == '"')
        return stored.substr(1, stored.size() - 2);
    return stored;
}

[[noreturn]] void ThrowUnableToWrite(const char* pszPath)
{
    TX_LOG("TxIniFile::Write: Unable to write to %s", pszPath);
    const std::string message = std::string("Unable to write to ") + pszPath;
    throw ExNormal(message.c_str());
}

}  // namespace

TxIniFile::TxIniFile(const char* pszPath) : m_strPath(pszPath) {}

bool TxIniFile::Find(const std::string& contents, const char* pszSection, const char* pszKey,
                     std::string* pValue) const
{
    const IniLocation loc = Locate(contents, pszSection ? pszSection : "", pszKey ? pszKey : "");
    if (!loc.bKey)
        return false;
    *pValue = ReadValue(Trim(contents, loc.valueBegin, loc.valueEnd));
    return true;
}

int TxIniFile::ReadInteger(const char* pszSection, const char* pszKey, int nDefault) const
{
    std::string contents, value;
    int n = 0;
    if (LoadText(m_strPath.Text(), &contents) && Find(contents, pszSection, pszKey, &value) &&
        ParseInteger(value, &n))
        return n;
    return nDefault;
}

TxString TxIniFile::ReadString(const char* pszSection, const char* pszKey, const char* pszDefault) const
{
    std::string contents, value;
    if (LoadText(m_strPath.Text(), &contents) && Find(contents, pszSection, pszKey, &value))
        return TxString(value.c_str());
    return TxString(pszDefault);
}

void TxIniFile::WriteInteger(const char* pszSection, const char* pszKey, int nValue)
{
    WriteString(pszSection, pszKey, std::to_string(nValue).c_str());
}

void TxIniFile::WriteString(const char* pszSection, const char* pszKey, const char* pszValue)
{
    const char* pszPath = m_strPath.Text();
    const int saved = errno;
    const int hFile = FileOpen(pszPath, FileOpenMode::ReadWriteOpenAlways);
    if (hFile == INVALID_FILE_HANDLE)
        ThrowUnableToWrite(pszPath);
    std::string text;
    bool bOk = ReadWhole(hFile, &text);
    if (bOk) {
        const std::string section = pszSection ? pszSection : "";
        const std::string key = pszKey ? pszKey : "";
        std::string value = pszValue ? pszValue : "";
        const std::size_t lineEnd = value.find_first_of("\r\n");
        if (lineEnd != std::string::npos)
            value.erase(lineEnd);  // a value is one line
        value = StoredValue(value);
        const std::string eol = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
        const IniLocation loc = Locate(text, section.c_str(), key.c_str());
        if (loc.bKey) {
            text.replace(loc.valueBegin, loc.valueEnd - loc.valueBegin, value);
        } else {
            std::size_t at = loc.bSection ? loc.insertAt : text.size();
            std::string insert;
            if (at > 0 && text[at - 1] != '\n')
                insert += eol;
            if (!loc.bSection)
                insert += "[" + section + "]" + eol;
            insert += key + "=" + value + eol;
            text.insert(at, insert);
        }
        std::uint32_t dwWritten = 0;
        bOk = text.size() <= kMaxIniSize && FileSeek(hFile, 0, nullptr) &&
              FileWrite(hFile, text.data(), static_cast<std::uint32_t>(text.size()), &dwWritten) &&
              FileSetSize(hFile, text.size());
    }
    FileClose(hFile);
    if (!bOk)
        ThrowUnableToWrite(pszPath);
    errno = saved;
}
