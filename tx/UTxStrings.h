// TxString: an owned, zero-terminated single-byte (UTF-8) text.
#pragma once

#include "Utxbaseclasses.h"

class TxString : public TxObject {
public:
    // Constant-initialised, so a static TxString is usable before dynamic initialisation.
    constexpr TxString() noexcept {}
    TxString(const char* pszText);  // null or "" gives the empty string
    TxString(const TxString& other);
    TxString& operator=(const TxString& other);
    ~TxString() override;

    const char* Text() const;  // never null
    int Length() const { return m_nLength; }
    bool IsEmpty() const { return m_nLength == 0; }
    int BufferSize() const;    // characters allocated (0 when empty)

    void Assign(const char* pszText);
    void Assign(const TxString& other);
    void Append(const char* pszText);
    void Append(const TxString& other);
    bool Equals(const char* pszText) const;
    bool Equals(const TxString& other) const;
    void SetLength(int n);     // cut in place, or pad with blanks
    char& CharAt(int i);       // 1-based; out of range reads position 1
    void ToLower();
    void ToUpper();

private:
    void Replace(char* pNewText, int nLength, int nBuffer);
    char* m_pText = nullptr;
    int m_nLength = 0;
    int m_nBuffer = 0;  // characters allocated
};
