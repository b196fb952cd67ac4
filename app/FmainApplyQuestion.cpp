// The question before Apply would replace photographs' own capture dates: a row whose new time
// was not derived from its EXIF date (its file time and that date differ and the new time was
// not set from it), or whose date is missing or a placeholder, would have an unrelated time
// written into its EXIF. Asked once for all such rows, before anything is written.
#include "Fmain.h"

#include "Ulang.h"
#include "UlangList.h"
#include "UMessageBox.h"
#include "Uutils.h"

#include <QCheckBox>
#include <QTreeWidget>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kListedRows = 5;

std::string TimeString(const FILETIME& ft)
{
    char szText[100];
    FileTimeToText(ft, szText, sizeof szText);
    return szText;
}

}  // namespace

bool TFormMain::CaptureDateAtRisk(const COneFile& file) const
{
    const ExifDateInfo& info = file.m_exif;
    // Only a date tag that is ticked and in the file is written.
    const bool abTicked[3] = {CheckBoxDT->isChecked(), CheckBoxDTOriginal->isChecked(),
                              CheckBoxDTDigitized->isChecked()};
    bool bWritten = false;
    for (int d = 0; d < 3; ++d)
        bWritten = bWritten || (abTicked[d] && info.HasTag(d));
    if (!file.IsChanged() || !bWritten)
        return false;
    if (!info.HasDate())
        return true;  // a placeholder would be filled with a time from elsewhere
    return !file.m_bFromExif && TimesDiffer(file.m_ftOriginal, info.ft);
}

bool TFormMain::ConfirmCaptureDates(CaptureDateChoice& choice)
{
    ReadExifDatesOfChangedRows();  // the reader may not have come to them yet
    std::vector<QTreeWidgetItem*> atRisk;
    for (int i = 0; i < ListViewFiles->topLevelItemCount(); ++i) {
        QTreeWidgetItem* pItem = ListViewFiles->topLevelItem(i);
        const COneFile& file = *FileOfRow(pItem);
        if (CaptureDateAtRisk(file))
            atRisk.push_back(pItem);
        else if (file.IsChanged())
            choice.bExifLeft = true;
    }
    if (atRisk.empty())
        return true;

    char szText[256];
    std::snprintf(szText, sizeof szText, atRisk.size() == 1 ? kQuestionOneText : kQuestionManyText,
                  static_cast<int>(atRisk.size()));
    std::string strText = std::string(szText) + "\n";
    for (std::size_t i = 0; i < atRisk.size() && i < kListedRows; ++i) {
        const COneFile& file = *FileOfRow(atRisk[i]);
        strText += "\n" + std::string(file.m_strName.Text()) + ": " + atRisk[i]->text(3).toStdString() + " → " +
                   TimeString(file.m_ftNew);
    }
    if (atRisk.size() > kListedRows) {
        std::snprintf(szText, sizeof szText, kQuestionMoreText, static_cast<int>(atRisk.size() - kListedRows));
        strText += "\n" + std::string(szText);
    }
    strText += "\n\n" + std::string(kQuestionEndText);

    switch (ShowMessageBox(this, strText.c_str(), UiStrings[20], MsgButtons::FileTimesExifCancel,
                           MsgIcon::Exclamation)) {
    case IDFILETIMESONLY:
        for (QTreeWidgetItem* pItem : atRisk)
            choice.fileTimesOnly.insert(FileOfRow(pItem));
        return true;
    case IDEXIFTOO:
        choice.bExifLeft = true;
        return true;
    default:
        return false;
    }
}
