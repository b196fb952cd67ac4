// Opening a document with the desktop's default program for it.
#include "Uutils.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

bool ShellOpen(QWidget*, const char* pszPath)
{
    const QString strPath = QString::fromUtf8(pszPath ? pszPath : "");
    return QDesktopServices::openUrl(strPath.isEmpty() ? QUrl() : QUrl::fromLocalFile(strPath));
}
