// Reference files and time from EXIF: two rows marked to keep their times in view while the
// others are shifted, and the new time of the selected rows taken from the pictures' own date.
#include "Fmain.h"

#include "UexifDate.h"
#include "Uutils.h"

#include <QLabel>
#include <QTreeWidget>

#include <string>

namespace {

constexpr int kTimeTextSize = 100;

std::string TimeString(const FILETIME& ft)
{
    char szText[kTimeTextSize];
    FileTimeToText(ft, szText, sizeof szText);
    return szText;
}

// Name and original time, and the new time once it differs.
void ShowRefLabel(QLabel* pLabel, const COneFile& file)
{
    std::string strText = std::string(file.m_strName.Text()) + " - " + TimeString(file.m_ftOriginal);
    if (file.IsChanged())
        strText += " - " + TimeString(file.m_ftNew);
    pLabel->setText(QString::fromUtf8(strText.c_str()));
    pLabel->adjustSize();
}

}  // namespace

const COneFile* TFormMain::MarkReference(DWORD dwFlag)
{
    COneFile* pMarked = FirstSelectedFile();
    if (pMarked == nullptr)
        return nullptr;
    for (int i = 0; i < ListViewFiles->topLevelItemCount(); ++i)
        FileOfRow(ListViewFiles->topLevelItem(i))->m_dwFlags &= ~dwFlag;
    pMarked->m_dwFlags |= dwFlag;
    return pMarked;
}

void TFormMain::ButtonRefFile1Click()
{
    if (const COneFile* pFile = MarkReference(kRefFile1))
        UpdateRefLabel1(*pFile);
}

void TFormMain::ButtonRefFile2Click()
{
    if (const COneFile* pFile = MarkReference(kRefFile2))
        UpdateRefLabel2(*pFile);
}

void TFormMain::UpdateRefLabel1(const COneFile& file) { ShowRefLabel(LabelRefFile1, file); }

void TFormMain::UpdateRefLabel2(const COneFile& file) { ShowRefLabel(LabelRefFile2, file); }

void TFormMain::UpdateRefLabels(const COneFile& file)
{
    if (file.m_dwFlags & kRefFile1)
        UpdateRefLabel1(file);
    if (file.m_dwFlags & kRefFile2)
        UpdateRefLabel2(file);
}

void TFormMain::SetTimeFromExif(QTreeWidgetItem* pItem, bool bOnlyRow)
{
    COneFile& file = *FileOfRow(pItem);
    // Read again: the file may have changed since the list's reader saw it.
    file.m_exif = ReadExifDate(FullPath(file).Text());
    ShowExifDate(pItem);
    if (file.m_exif.state == ExifDateState::NoExif) {
        if (bOnlyRow)
            ShowNoExifMessage();
        return;
    }
    if (!file.m_exif.HasDate())
        return;  // no usable date: the row keeps its new time, silently
    const FILETIME ft = file.m_exif.ft;
    // The EXIF date is a local time, as the list keeps them. The cell shows it even when it
    // equals the original time.
    file.m_ftNew = ft;
    file.m_bFromExif = true;
    pItem->setText(2, QString::fromUtf8(TimeString(ft).c_str()));
    m_bChanged = true;
    UpdateRefLabels(file);
}

void TFormMain::ButtonTimeFromExifClick()
{
    const bool bOnlyRow = SelectedCount() == 1;
    for (int i = 0; i < ListViewFiles->topLevelItemCount(); ++i) {
        QTreeWidgetItem* pItem = ListViewFiles->topLevelItem(i);
        if (pItem->isSelected())
            SetTimeFromExif(pItem, bOnlyRow);
    }
    UpdateControls();
}
