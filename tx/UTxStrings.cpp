// TxString: an owned, zero-terminated text whose buffer grows in steps of 16 characters.
#include "UTxStrings.h"

#include "../platform/winlocale.h"

#include <climits>
#include <cstring>
#include <new>
#include <string>

namespace {

const char kEmptyText[1] = {'\0'};

// The smallest multiple of 16 greater than n.
int BufferFor(int n)
{
    return ((n + 16) / 16) * 16;
}

int LengthOf(const char* pszText)
{
    if (pszText == nullptr)
        return 0;
    const std::size_t n = std::strlen(pszText);
    if (n > static_cast<std::size_t>(INT_MAX - 16))
        throw std::bad_alloc();
    return static_cast<int>(n);
}

}  // namespace

TxString::TxString(const char* pszText)
{
    Assign(pszText);
}

TxString::TxString(const TxString& other)
{
    Assign(other);
}

TxString& TxString::operator=(const TxString& other)
{
    Assign(other);
    return *this;
}

TxString::~TxString()
{
    delete[] m_pText;
}

const char* TxString::Text() const
{
    return m_pText ? m_pText : kEmptyText;
}

int TxString::BufferSize() const
{
    return m_pText ? m_nBuffer : 0;
}

// Takes ownership of pNewText (null for the empty string) and frees the old text. The new
// text is always complete before the old one goes, so a failed allocation changes nothing.
void TxString::Replace(char* pNewText, int nLength, int nBuffer)
{
    delete[] m_pText;
    m_pText = pNewText;
    m_nLength = pNewText ? nLength : 0;
    m_nBuffer = pNewText ? nBuffer : 0;
}

void TxString::Assign(const char* pszText)
{
    const int n = LengthOf(pszText);
    if (n == 0) {
        Replace(nullptr, 0, 0);
        return;
    }
    // Copied before the old text is freed, so assigning a string's own text is safe.
    const int nBuffer = BufferFor(n);
    char* pNew = new char[static_cast<std::size_t>(nBuffer)];
    std::memcpy(pNew, pszText, static_cast<std::size_t>(n) + 1);
    Replace(pNew, n, nBuffer);
}

void TxString::Assign(const TxString& other)
{
    Assign(other.m_pText);
}

void TxString::Append(const char* pszText)
{
    const int nAdd = LengthOf(pszText);
    if (nAdd == 0)
        return;
    if (m_nLength > INT_MAX - 16 - nAdd)
        throw std::bad_alloc();
    const int n = m_nLength + nAdd;
    const int nBuffer = BufferFor(n);
    char* pNew = new char[static_cast<std::size_t>(nBuffer)];
    if (m_nLength > 0)
        std::memcpy(pNew, m_pText, static_cast<std::size_t>(m_nLength));
    // pszText may point into the old text, which is still alive here.
    std::memcpy(pNew + m_nLength, pszText, static_cast<std::size_t>(nAdd));
    pNew[n] = '\0';
    Replace(pNew, n, nBuffer);
}

void TxString::Append(const TxString& other)
{
    Append(other.m_pText);
}

bool TxString::Equals(const char* pszText) const
{
    if (pszText == nullptr)
        return m_nLength == 0;
    return std::strcmp(Text(), pszText) == 0;
}

bool TxString::Equals(const TxString& other) const
{
    return m_nLength == other.m_nLength && std::memcmp(Text(), other.Text(), static_cast<std::size_t>(m_nLength)) == 0;
}

void TxString::SetLength(int n)
{
    if (n <= 0) {
        Replace(nullptr, 0, 0);
        return;
    }
    if (n < m_nLength) {
        m_pText[n] = '\0';  // cut in place; the buffer is kept
        m_nLength = n;
        return;
    }
    if (n > INT_MAX - 16)
        throw std::bad_alloc();
    const int nBuffer = BufferFor(n);
    char* pNew = new char[static_cast<std::size_t>(nBuffer)];
    std::memset(pNew, ' ', static_cast<std::size_t>(n));
    if (m_nLength > 0)
        std::memcpy(pNew, m_pText, static_cast<std::size_t>(m_nLength));
    pNew[n] = '\0';
    Replace(pNew, n, nBuffer);
}

char& TxString::CharAt(int i)
{
    if (m_nLength == 0) {
        // A writable stand-in for the empty text's terminator, so a write through it cannot
        // change what Text() returns for empty strings.
        static thread_local char s_terminator;
        s_terminator = '\0';
        return s_terminator;
    }
    if (i < 1 || i > m_nLength)
        i = 1;
    return m_pText[i - 1];
}

void TxString::ToLower()
{
    if (m_nLength > 0)
        Assign(CharLowerText(std::string(m_pText, static_cast<std::size_t>(m_nLength))).c_str());
}

void TxString::ToUpper()
{
    if (m_nLength > 0)
        Assign(CharUpperText(std::string(m_pText, static_cast<std::size_t>(m_nLength))).c_str());
}
