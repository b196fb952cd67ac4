// Apply: writes the new time of every changed row into its file's last-write time stamp and,
// for the ticked EXIF date tags, into the date texts inside the JPEG file. This is the only
// place where the program changes photographs.
#include "Fmain.h"

#include "../exif/Uexif_batch.h"
#include "../platform/winfile.h"
#include "../platform/winrewrite.h"
#include "../platform/wintime.h"
#include "../tx/UTxJournalBatch.h"
#include "../tx/UTxUtils.h"
#include "UapplyMarks.h"
#include "Ulang.h"
#include "UMessageBox.h"
#include "Uonefile.h"

#include <QCheckBox>
#include <QTreeWidget>

#include <vector>

namespace {

// A file whose time stamp alone is about to be set, as the journal keeps it.
void JournalStamp(TxJournalRecord& record, const std::string& strPath, const FILETIME& ftUtc)
{
    FileStamp stamp{};
    std::int64_t nSec = 0, nNsec = 0;
    if (FileGetStampByPath(strPath.c_str(), &stamp) && FileTimeToUnix(ftUtc, &nSec, &nNsec))
        TxJournalAddStamp(record, strPath, stamp, nSec, nNsec);
}

}  // namespace

bool TFormMain::ExifWanted() const
{
    return CheckBoxDT->isChecked() || CheckBoxDTOriginal->isChecked() || CheckBoxDTDigitized->isChecked();
}

// A tag the file does not hold (or cannot hold a date in) cannot be written however often Apply
// is tried; a file that could not be opened or written (read-only, say), that changed under us,
// that has other hard links or whose time this user may not set, can be later.
TFormMain::ExifStep TFormMain::ExifStepOf(const ExifDateJob& job)
{
    if (!job.bOpened)
        return ExifStep::Done;  // nothing to rewrite in this file; its time stamp is still written
    for (const ExifCopyReport& copy : job.report.copies) {
        switch (copy.result) {
        case ExifWriteResult::Written:
        case ExifWriteResult::NotAsked:
        case ExifWriteResult::NotFound:
        case ExifWriteResult::TooShort:
        case ExifWriteResult::NotDateText:
            break;
        default:
            return job.bAnyWritten ? ExifStep::Partly : ExifStep::NotNow;
        }
    }
    for (ExifWriteResult result : job.report.aResult)
        if (result == ExifWriteResult::Failed)  // no date text for this time
            return ExifStep::NotNow;
    return ExifStep::Done;
}

bool TFormMain::FinishRow(QTreeWidgetItem* pItem, const FILETIME& ftUtc, const ExifDateJob* pJob)
{
    COneFile& file = *FileOfRow(pItem);
    const TxString strPath = FullPath(file);
    // When the dates inside could not be rewritten and nothing was, the file is left wholly as
    // it was, so that the list still shows its time and the next Apply does both. A file whose
    // dates were rewritten got its time stamp from the batch, once the dates were on the device.
    const ExifStep exif = pJob ? ExifStepOf(*pJob) : ExifStep::Done;
    bool bStamped = false;
    if (exif == ExifStep::NotNow)
        TX_LOG("EXIF dates of %s cannot be rewritten now: the file is left as it was", strPath.Text());
    else if (pJob && pJob->bAnyWritten)
        bStamped = pJob->bTimeSet;
    else
        bStamped = SetFileTimes(strPath.Text(), nullptr, nullptr, &ftUtc);
    // The row shows the time the file system keeps, which a card's file system may have
    // rounded (2-second steps) or limited: a row fully written is then not pending for ever.
    FILETIME ftStored{}, ftLocal{};
    if (GetFileLastWriteTime(strPath.Text(), &ftStored) && FileTimeToLocalFileTime(&ftStored, &ftLocal))
        file.m_ftOriginal = ftLocal;
    const bool bWritten = bStamped && exif == ExifStep::Done;
    if (bWritten)
        file.m_ftNew = file.m_ftOriginal;
    file.m_bPending = !bWritten;
    FinishRowMarks(file, pJob, {exif == ExifStep::NotNow, exif == ExifStep::Partly,
                                !bStamped && exif != ExifStep::NotNow});
    CountApplied(bWritten);
    ShowRowTimes(pItem);
    UpdateRefLabels(file);
    return bWritten;
}

void TFormMain::ButtonApplyClick()
{
    const bool bExif = ExifWanted();
    CaptureDateChoice choice;
    if (bExif && !ConfirmCaptureDates(choice))
        return;
    // The warning is not needed when the answer left no EXIF date to write.
    if (bExif && (choice.bExifLeft || choice.fileTimesOnly.empty()) && !m_bExifConfirmed) {
        if (ShowMessageBox(this, UiStrings[33], UiStrings[20], MsgButtons::OkCancel, MsgIcon::Exclamation) != IDOK)
            return;
        m_bExifConfirmed = true;
    }
    struct RowToWrite {
        QTreeWidgetItem* pItem;
        FILETIME ftUtc;
        std::size_t nJob;  // its EXIF rewrite, or kNoJob
    };
    constexpr std::size_t kNoJob = ~std::size_t(0);
    std::vector<RowToWrite> rows;
    std::vector<ExifDateJob> jobs;
    // The undo journal gets one record of the whole Apply before any file changes.
    TxJournal journal;
    TxJournalRecord record;
    record.strCommand = std::string("Apply ") + m_strFolder.Text();
    bool bAllWritten = true;
    m_nApplyWritten = m_nApplyFailed = 0;
    for (int i = 0; i < ListViewFiles->topLevelItemCount(); ++i) {
        QTreeWidgetItem* pItem = ListViewFiles->topLevelItem(i);
        COneFile& file = *FileOfRow(pItem);
        if (!file.IsChanged())
            continue;
        // Local to UTC with the offset in force at the new time itself, so that the file shows
        // the same time as the list, summer or winter; in the hour the clocks show twice, the
        // occurrence nearer the file's present time, so that a small shift stays small. A time
        // without a UTC counterpart leaves the file wholly untouched, its EXIF dates too.
        const TxString strPath = FullPath(file);
        FILETIME ftNow{}, ftUtc{};
        const bool bNow = GetFileLastWriteTime(strPath.Text(), &ftNow);
        if (!LocalFileTimeToFileTimeNear(&file.m_ftNew, bNow ? &ftNow : nullptr, &ftUtc)) {
            FinishRowMarks(file, nullptr, {false, false, true});
            CountApplied(false);
            ShowRowMarks(pItem);
            UpdateRefLabels(file);
            bAllWritten = false;
            continue;
        }
        RowToWrite row{pItem, ftUtc, kNoJob};
        if (bExif && choice.fileTimesOnly.count(&file) == 0) {
            ExifDateJob job;
            job.strPath = strPath.Text();
            job.SetNewTime(file.m_ftNew);
            job.abWanted[0] = CheckBoxDT->isChecked();
            job.abWanted[1] = CheckBoxDTOriginal->isChecked();
            job.abWanted[2] = CheckBoxDTDigitized->isChecked();
            job.bSetWriteTime = true;
            job.ftWriteUtc = ftUtc;
            row.nJob = jobs.size();
            jobs.push_back(std::move(job));
        } else {
            JournalStamp(record, strPath.Text(), ftUtc);
        }
        rows.push_back(row);
    }
    // All EXIF rewrites go together: written, then flushed once, then stamped. The files the
    // batch finds nothing to rewrite in get their time stamp here: the journal has them too.
    std::string strError;
    ExifBatchOptions options;
    options.beforeWrite = [&](const TxRewriteBatch& batch) {
        TxJournalAddBatch(record, batch);
        for (std::size_t i = 0; i < batch.files.size(); ++i)
            if (batch.files[i].patches.empty())
                JournalStamp(record, jobs[i].strPath, jobs[i].ftWriteUtc);
        return TxJournalAppendIfAny(journal, record, strError);
    };
    const bool bJournalled = jobs.empty() ? TxJournalAppendIfAny(journal, record, strError)
                                          : WriteDateBatch(jobs, options);
    if (!bJournalled) {
        // Nothing was changed: the rows keep their new times, and Apply can be tried again.
        const std::string strText = std::string(kJournalFailedText) + "\n" + strError;
        ShowMessageBox(this, strText.c_str(), UiStrings[20], MsgButtons::Ok, MsgIcon::Error);
        UpdateControls();
        return;
    }
    for (const RowToWrite& row : rows)
        if (!FinishRow(row.pItem, row.ftUtc, row.nJob == kNoJob ? nullptr : &jobs[row.nJob]))
            bAllWritten = false;
    // A row that could not be written keeps its new time, and the window keeps saying that
    // changes are unsaved: Apply stays enabled and closing still asks.
    if (bAllWritten)
        m_bChanged = false;
    UpdateControls();
}
