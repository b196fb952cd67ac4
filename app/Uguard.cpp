#include "Uguard.h"

#include "UMessageBox.h"

#include <QCoreApplication>

#include <string>

void SetApplicationTitle()
{
    QCoreApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
}

void ShowStandardException(QWidget* pOwner, const char* pszMessage)
{
    try {
        std::string strText = pszMessage ? pszMessage : "";
        if (strText.empty() || strText.back() != '.')
            strText += '.';
        ShowMessageBox(pOwner, strText.c_str(), kApplicationTitle, MsgButtons::Ok, MsgIcon::Error);
    } catch (...) {
        // Nothing may leave the display itself (out of memory while showing the box).
    }
}
