#include "UMessageBox.h"

#include <QMessageBox>
#include <QString>

MessageBoxHook g_pfnMessageBoxHook = nullptr;

namespace {

QMessageBox::Icon ToQtIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::Exclamation: return QMessageBox::Warning;
    case MsgIcon::Error: return QMessageBox::Critical;
    case MsgIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

int ShowMessageBox(QWidget* pOwner, const char* pszText, const char* pszCaption, MsgButtons buttons,
                   MsgIcon icon)
{
    if (g_pfnMessageBoxHook)
        return g_pfnMessageBoxHook(pOwner, pszText, pszCaption, buttons, icon);
    QMessageBox box(ToQtIcon(icon), QString::fromUtf8(pszCaption ? pszCaption : ""),
                    QString::fromUtf8(pszText ? pszText : ""), QMessageBox::Ok, pOwner);
    if (buttons == MsgButtons::OkCancel) {
        box.addButton(QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
    }
    box.setDefaultButton(QMessageBox::Ok);
    const int nResult = box.exec();
    if (nResult == QMessageBox::Ok)
        return IDOK;
    return buttons == MsgButtons::Ok ? IDOK : IDCANCEL;
}
