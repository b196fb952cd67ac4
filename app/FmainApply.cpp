// Apply: writes the new time of every changed row into its file's last-write time stamp and,
// for the ticked EXIF date tags, into the date texts inside the JPEG file. This is the only
// place where the program changes photographs.
#include "Fmain.h"

#include "../exif/Uexif.h"
#include "../platform/winfile.h"
#include "../platform/wintime.h"
#include "../tx/UTxUtils.h"
#include "Ulang.h"
#include "UMessageBox.h"
#include "Uonefile.h"

#include <QCheckBox>
#include <QTreeWidget>

#include <memory>

bool TFormMain::ExifWanted() const
{
    return CheckBoxDT->isChecked() || CheckBoxDTOriginal->isChecked() || CheckBoxDTDigitized->isChecked();
}

TFormMain::ExifStep TFormMain::WriteExifDates(const TxString& strPath, const FILETIME& ftNew)
{
    auto pExif = std::make_unique<CExif>();  // the tag table is large: not on the stack
    if (!pExif->Open(strPath.Text())) {
        // Nothing to rewrite in this file; its time stamp is still written.
        TX_LOG("Cannot read EXIF from %s", strPath.Text());
        return ExifStep::Done;
    }
    ExifWriteReport report;
    pExif->WriteDateTags(ftNew, CheckBoxDT->isChecked(), CheckBoxDTOriginal->isChecked(),
                         CheckBoxDTDigitized->isChecked(), &report);
    // A tag the file does not hold (or too short to hold a date) cannot be written however
    // often Apply is tried; a file that could not be opened or written (read-only, say), or
    // that changed under us, can be later.
    bool bWritten = false, bPending = false;
    for (ExifWriteResult result : report.aResult) {
        bWritten = bWritten || result == ExifWriteResult::Written;
        bPending = bPending || result == ExifWriteResult::Failed || result == ExifWriteResult::Changed;
    }
    if (!bPending)
        return ExifStep::Done;
    return bWritten ? ExifStep::Partly : ExifStep::NotNow;
}

bool TFormMain::ApplyRow(QTreeWidgetItem* pItem, bool bExif)
{
    COneFile& file = *FileOfRow(pItem);
    const TxString strPath = FullPath(file);
    // Local to UTC with the offset in force at the new time itself, so that the file shows
    // the same time as the list, summer or winter; in the hour the clocks show twice, the
    // occurrence nearer the file's present time, so that a small shift stays small. A time
    // without a UTC counterpart leaves the file wholly untouched, its EXIF dates too.
    FILETIME ftNow{}, ftUtc{};
    const bool bNow = GetFileLastWriteTime(strPath.Text(), &ftNow);
    if (!LocalFileTimeToFileTimeNear(&file.m_ftNew, bNow ? &ftNow : nullptr, &ftUtc)) {
        UpdateRefLabels(file);
        return false;
    }
    // The contents first: rewriting them moves the last-write time, which the time stamp set
    // afterwards replaces. When the dates inside could not be rewritten and nothing was, the
    // file is left wholly as it was, so that the list still shows its time and the next Apply
    // does both; once some of its contents changed, the time stamp is written all the same.
    const ExifStep exif = bExif ? WriteExifDates(strPath, file.m_ftNew) : ExifStep::Done;
    if (exif == ExifStep::NotNow)
        TX_LOG("EXIF dates of %s cannot be rewritten now: the file is left as it was", strPath.Text());
    const bool bStamped = exif != ExifStep::NotNow && SetFileTimes(strPath.Text(), nullptr, nullptr, &ftUtc);
    const bool bWritten = bStamped && exif == ExifStep::Done;
    if (bWritten) {
        file.m_ftOriginal = file.m_ftNew;
        ShowRowTimes(pItem);
    }
    UpdateRefLabels(file);
    return bWritten;
}

void TFormMain::ButtonApplyClick()
{
    const bool bExif = ExifWanted();
    if (bExif && !m_bExifConfirmed) {
        if (ShowMessageBox(this, UiStrings[33], UiStrings[20], MsgButtons::OkCancel, MsgIcon::Exclamation) != IDOK)
            return;
        m_bExifConfirmed = true;
    }
    bool bAllWritten = true;
    for (int i = 0; i < ListViewFiles->topLevelItemCount(); ++i) {
        QTreeWidgetItem* pItem = ListViewFiles->topLevelItem(i);
        if (FileOfRow(pItem)->IsChanged() && !ApplyRow(pItem, bExif))
            bAllWritten = false;
    }
    // A row that could not be written keeps its new time, and the window keeps saying that
    // changes are unsaved: Apply stays enabled and closing still asks.
    if (bAllWritten)
        m_bChanged = false;
    UpdateControls();
}
