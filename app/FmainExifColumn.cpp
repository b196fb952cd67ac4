// The EXIF date column: each file's own date (what "Set time from EXIF" would take) read on a
// background thread once the list is shown, the marks of the rows, and the status line.
#include "Fmain.h"

#include "../exif/Uexif_batch.h"
#include "UapplyMarks.h"
#include "UexifDateReader.h"
#include "UlangList.h"
#include "Uutils.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QStyle>
#include <QTreeWidget>

#include <cstdio>
#include <utility>

namespace {

constexpr int kExifColumn = 3;
constexpr QEvent::Type kExifDatesEvent = static_cast<QEvent::Type>(0x8003);  // WM_APP + 3
const QColor kDifferColour(0xB0, 0x40, 0x00);
const QColor kNoDateColour(0x80, 0x80, 0x80);

// A batch of dates, posted by the reader's thread and taken on the main thread.
class ExifDatesEvent : public QEvent {
public:
    ExifDatesEvent(std::uint64_t nGeneration, std::vector<ExifDateResult>&& results)
        : QEvent(kExifDatesEvent), m_nGeneration(nGeneration), m_results(std::move(results))
    {
    }
    std::uint64_t m_nGeneration;
    std::vector<ExifDateResult> m_results;
};

QString ExifDateText(const ExifDateInfo& info)
{
    switch (info.state) {
    case ExifDateState::Unread: break;
    case ExifDateState::NoExif: return QString::fromUtf8(kExifNoExifText);
    case ExifDateState::NoDate: return QString::fromUtf8(kExifNoDateText);
    case ExifDateState::Placeholder: return QString::fromUtf8(kExifPlaceholderText);
    case ExifDateState::Date: {
        char szText[100];
        FileTimeToText(info.ft, szText, sizeof szText);
        return QString::fromUtf8(szText);
    }
    }
    return QString();
}

bool TimesDifferOf(const COneFile& file)
{
    return file.m_exif.HasDate() && TimesDiffer(file.m_ftOriginal, file.m_exif.ft);
}

}  // namespace

void PostExifDates(QObject* pWindow, std::uint64_t nGeneration, std::vector<ExifDateResult>&& results)
{
    QCoreApplication::postEvent(pWindow, new ExifDatesEvent(nGeneration, std::move(results)));
}

void TFormMain::ShowExifDate(QTreeWidgetItem* pItem)
{
    const COneFile& file = *FileOfRow(pItem);
    const QString text = ExifDateText(file.m_exif);
    if (pItem->text(kExifColumn) != text)
        pItem->setText(kExifColumn, text);
    ShowRowMarks(pItem);
}

void TFormMain::ShowRowMarks(QTreeWidgetItem* pItem)
{
    const COneFile& file = *FileOfRow(pItem);
    const bool bDiffer = TimesDifferOf(file);
    const bool bNoDate = file.m_exif.Known() && !file.m_exif.HasDate();
    const QBrush brush = bDiffer ? QBrush(kDifferColour) : bNoDate ? QBrush(kNoDateColour) : QBrush();
    if (pItem->foreground(kExifColumn) != brush)
        pItem->setForeground(kExifColumn, brush);

    QString tip = QString::fromUtf8(file.m_strMark.c_str());
    if (bDiffer)
        tip += QString(tip.isEmpty() ? "" : "\n") + QString::fromUtf8(kTimesDifferTip);
    for (int nColumn = 0; nColumn <= kExifColumn; ++nColumn)
        if (pItem->toolTip(nColumn) != tip)
            pItem->setToolTip(nColumn, tip);
    // What Apply or a shift could not do is shown by an icon before the name.
    const bool bMarked = !file.m_strMark.empty();
    if (bMarked != !pItem->icon(0).isNull())
        pItem->setIcon(0, bMarked ? QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning) : QIcon());
}

void TFormMain::StopExifDates()
{
    m_pExifReader->Cancel();
    m_nExifGeneration = 0;
    m_exifRows.clear();
}

void TFormMain::StartExifDates()
{
    std::vector<ExifDateRequest> requests;
    const int nRows = ListViewFiles->topLevelItemCount();
    m_exifRows.clear();
    m_exifRows.reserve(static_cast<std::size_t>(nRows));
    requests.reserve(static_cast<std::size_t>(nRows));
    for (int i = 0; i < nRows; ++i) {
        QTreeWidgetItem* pItem = ListViewFiles->topLevelItem(i);
        requests.push_back({m_exifRows.size(), FullPath(*FileOfRow(pItem)).Text()});
        m_exifRows.push_back(pItem);
    }
    m_nExifGeneration = m_pExifReader->Start(std::move(requests));
}

bool TFormMain::TakeExifDates(QEvent* pEvent)
{
    if (pEvent->type() != kExifDatesEvent)
        return false;
    auto* pDates = static_cast<ExifDatesEvent*>(pEvent);
    if (pDates->m_nGeneration != m_nExifGeneration)
        return true;  // of an earlier scan: its rows are gone
    for (const ExifDateResult& result : pDates->m_results) {
        if (result.nId >= m_exifRows.size())
            continue;
        QTreeWidgetItem* pItem = m_exifRows[result.nId];
        COneFile& file = *FileOfRow(pItem);
        // A date read on the main thread since (by Apply or "Set time from EXIF") is newer.
        if (file.m_exif.Known())
            continue;
        file.m_exif = result.info;
        ShowExifDate(pItem);
    }
    UpdateStatus();
    return true;
}

void TFormMain::WaitForExifDates()
{
    m_pExifReader->WaitIdle();
    QCoreApplication::sendPostedEvents(this, kExifDatesEvent);
}

void TFormMain::ReadExifDatesOfChangedRows()
{
    for (int i = 0; i < ListViewFiles->topLevelItemCount(); ++i) {
        QTreeWidgetItem* pItem = ListViewFiles->topLevelItem(i);
        COneFile& file = *FileOfRow(pItem);
        if (file.IsChanged() && !file.m_exif.Known()) {
            file.m_exif = ReadExifDate(FullPath(file).Text());
            ShowExifDate(pItem);
        }
    }
}

int TFormMain::RowsWithoutExifDate() const
{
    int nCount = 0;
    for (int i = 0; i < ListViewFiles->topLevelItemCount(); ++i) {
        const ExifDateInfo& info = FileOfRow(ListViewFiles->topLevelItem(i))->m_exif;
        nCount += info.Known() && !info.HasDate();
    }
    return nCount;
}

int TFormMain::RowsWithUnreadExifDate() const
{
    int nCount = 0;
    for (int i = 0; i < ListViewFiles->topLevelItemCount(); ++i)
        nCount += !FileOfRow(ListViewFiles->topLevelItem(i))->m_exif.Known();
    return nCount;
}

void TFormMain::CountApplied(bool bWritten)
{
    ++(bWritten ? m_nApplyWritten : m_nApplyFailed);
    char szText[160];
    if (m_nApplyFailed > 0)
        std::snprintf(szText, sizeof szText, kStatusAppliedText, m_nApplyWritten, m_nApplyFailed);
    else
        std::snprintf(szText, sizeof szText, kStatusAllAppliedText, m_nApplyWritten);
    m_strApplyStatus = szText;
}

void TFormMain::UpdateStatus()
{
    char szText[200];
    std::snprintf(szText, sizeof szText, kStatusText, ListViewFiles->topLevelItemCount(), SelectedCount(),
                  RowsWithoutExifDate());
    std::string strText = szText;
    if (RowsWithUnreadExifDate() > 0)
        strText += kStatusReadingText;
    if (!m_strApplyStatus.empty())
        strText += "   " + m_strApplyStatus;
    LabelStatus->setText(QString::fromUtf8(strText.c_str()));
}

void TFormMain::FinishRowMarks(COneFile& file, const ExifDateJob* pJob, const ApplyRowEnd& end)
{
    file.m_strMark = ApplyMarkText(pJob, end);
    if (pJob != nullptr && pJob->bAnyWritten)
        file.m_exif = ReadExifDate(FullPath(file).Text());
    if (!file.m_bPending)
        file.m_bFromExif = false;  // written: the next shift starts from the file's own time
}
