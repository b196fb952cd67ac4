#include "UMessageBox.h"

#include "Ulang.h"
#include "UlangList.h"

#include <QMessageBox>
#include <QPushButton>
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

// Nothing is written unless a button says so: Escape and closing the box cancel.
int AskFileTimesExifCancel(QMessageBox& box)
{
    QPushButton* pFileTimes = box.addButton(QString::fromUtf8(kAnswerFileTimesText), QMessageBox::AcceptRole);
    QPushButton* pExifToo = box.addButton(QString::fromUtf8(kAnswerExifTooText), QMessageBox::ActionRole);
    QPushButton* pCancel = box.addButton(QString::fromUtf8(UiStrings[27]), QMessageBox::RejectRole);
    box.setDefaultButton(pFileTimes);
    box.setEscapeButton(pCancel);
    box.exec();
    if (box.clickedButton() == pFileTimes)
        return IDFILETIMESONLY;
    if (box.clickedButton() == pExifToo)
        return IDEXIFTOO;
    return IDCANCEL;
}

}  // namespace

int ShowMessageBox(QWidget* pOwner, const char* pszText, const char* pszCaption, MsgButtons buttons,
                   MsgIcon icon)
{
    if (g_pfnMessageBoxHook)
        return g_pfnMessageBoxHook(pOwner, pszText, pszCaption, buttons, icon);
    QMessageBox box(ToQtIcon(icon), QString::fromUtf8(pszCaption ? pszCaption : ""),
                    QString::fromUtf8(pszText ? pszText : ""), QMessageBox::NoButton, pOwner);
    box.setTextFormat(Qt::PlainText);  // a path in an error message is not markup
    // The buttons carry the program's own Czech texts (the folder-switch question tells the
    // user to press "Storno"), not the untranslated ones of the toolkit.
    if (buttons == MsgButtons::FileTimesExifCancel)
        return AskFileTimesExifCancel(box);
    box.addButton(QMessageBox::Ok)->setText(QString::fromUtf8(UiStrings[26]));
    if (buttons == MsgButtons::OkCancel) {
        box.addButton(QMessageBox::Cancel)->setText(QString::fromUtf8(UiStrings[27]));
        box.setEscapeButton(QMessageBox::Cancel);
    }
    box.setDefaultButton(QMessageBox::Ok);
    const int nResult = box.exec();
    if (nResult == QMessageBox::Ok)
        return IDOK;
    return buttons == MsgButtons::Ok ? IDOK : IDCANCEL;
}
