// Exceptions of the library and ThrowLastError.
#pragma once

#include "UTxStrings.h"

#include <exception>
#include <string>

// The base of every exception the program raises; carries only its message text.
class Exception : public std::exception {
public:
    explicit Exception(const char* pszMessage) : m_strMessage(pszMessage ? pszMessage : "") {}
    const char* Message() const { return m_strMessage.c_str(); }
    const char* what() const noexcept override { return m_strMessage.c_str(); }

private:
    std::string m_strMessage;
};

class ExNormal : public Exception {
public:
    using Exception::Exception;
};

class ExCritical : public Exception {
public:
    using Exception::Exception;
};

// Raises the calling thread's last error with the system's text (ExCritical when bCritical),
// after the log record "Throwing exception: %s". Returns without raising when there is none.
void ThrowLastError(bool bCritical);

// Fills pszPath into catalogue entry nIndex ("%s") and raises ExNormal. The message holds the
// whole path, however long.
[[noreturn]] void ThrowCatalogueMessage(int nIndex, const char* pszPath);
