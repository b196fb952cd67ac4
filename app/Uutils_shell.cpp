// Opening a document with the desktop's default program for it.
#include "Uutils.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

void ShellOpen(QWidget*, const char* pszPath)
{
    const QString strPath = QString::fromUtf8(pszPath ? pszPath : "");
    QDesktopServices::openUrl(strPath.isEmpty() ? QUrl() : QUrl::fromLocalFile(strPath));
}
