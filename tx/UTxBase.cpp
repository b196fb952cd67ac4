// Raising the last system error and the catalogue's file messages.
#include "UTxBase.h"

#include "../platform/winerror.h"
#include "UTxLanguage.h"
#include "UTxUtils.h"

#include <string>

void ThrowLastError(bool bCritical)
{
    const DWORD dwCode = GetLastError();
    if (dwCode == 0)
        return;
    const TxString strText(FormatErrorText(dwCode).c_str());
    TX_LOG("Throwing exception: %s", strText.Text());
    if (bCritical)
        throw ExCritical(strText.Text());
    throw ExNormal(strText.Text());
}

// The catalogue texts carry only "%s" (the path) and "%%". The message is built at its full
// length: a long path is never cut off.
void ThrowCatalogueMessage(int nIndex, const char* pszPath)
{
    const char* pszFormat =
        nIndex >= 0 && nIndex < kTxMessageCount ? TxMessages[nIndex].Text() : "";
    std::string message;
    for (const char* p = pszFormat; *p; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            message += pszPath ? pszPath : "";
            ++p;
        } else if (p[0] == '%' && p[1] == '%') {
            message += '%';
            ++p;
        } else {
            message += *p;
        }
    }
    throw ExNormal(message.c_str());
}
