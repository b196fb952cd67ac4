// A settings file in the classic INI format: sections and keys without regard to case, a single
// key rewritten in place with the rest of the file kept, the file created on the first write.
#pragma once

#include "UTxStrings.h"

#include <string>

class TxIniFile {
public:
    explicit TxIniFile(const char* pszPath);

    // An integer in decimal, or hexadecimal with "0x" or "$"; nDefault when missing or invalid.
    int ReadInteger(const char* pszSection, const char* pszKey, int nDefault) const;
    // The text as it was written, blanks at its ends included; pszDefault when the key is
    // missing. A stored value loses the blanks around it and one pair of enclosing double quotes.
    TxString ReadString(const char* pszSection, const char* pszKey, const char* pszDefault) const;

    // Writes one key, keeping the rest of the file; a value with a blank at either end (or one
    // enclosed in double quotes) is stored between double quotes. Raises ExNormal "Unable to write to %s"
    // with the file's path when the file cannot be written.
    void WriteInteger(const char* pszSection, const char* pszKey, int nValue);
    void WriteString(const char* pszSection, const char* pszKey, const char* pszValue);

    const TxString& Path() const { return m_strPath; }

private:
    bool Find(const std::string& contents, const char* pszSection, const char* pszKey,
              std::string* pValue) const;
    TxString m_strPath;
};
