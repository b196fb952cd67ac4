// The file list: the scan of the current folder, sorting by column, the selection and the
// hand-over of the selected picture to the preview worker, and the folder button.
#include "Fmain.h"

#include "../platform/winlocale.h"
#include "../platform/wintime.h"
#include "../tree/FTree.h"
#include "../tx/UTxUtils.h"
#include "../tx/UTxDiskApi.h"
#include "Ulang.h"
#include "UMessageBox.h"
#include "Upreview.h"
#include "Uguard.h"
#include "Uutils.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTreeWidget>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int kTimeTextSize = 100;

int Sign(int n) { return (n > 0) - (n < 0); }

// File times compared as signed 64-bit numbers.
int CompareFileTimes(const FILETIME& a, const FILETIME& b)
{
    const auto nA = static_cast<std::int64_t>(FileTimeToU64(a));
    const auto nB = static_cast<std::int64_t>(FileTimeToU64(b));
    return (nA > nB) - (nA < nB);
}

QString TimeText(const FILETIME& ft)
{
    char szText[kTimeTextSize];
    FileTimeToText(ft, szText, sizeof szText);
    return QString::fromUtf8(szText);
}

// The list's updates stay off while the rows are rebuilt, and come back however the scan ends.
class BulkUpdate {
public:
    explicit BulkUpdate(QWidget* pList) : m_pList(pList) { m_pList->setUpdatesEnabled(false); }
    ~BulkUpdate() { m_pList->setUpdatesEnabled(true); }
    BulkUpdate(const BulkUpdate&) = delete;
    BulkUpdate& operator=(const BulkUpdate&) = delete;

private:
    QWidget* m_pList;
};

}  // namespace

bool TFileRow::operator<(const QTreeWidgetItem& other) const
{
    return m_pForm->ListViewFilesCompare(m_file, static_cast<const TFileRow&>(other).m_file) < 0;
}

COneFile* TFormMain::FileOfRow(QTreeWidgetItem* pItem)
{
    return pItem ? &static_cast<TFileRow*>(pItem)->m_file : nullptr;
}

void TFormMain::ShowNewTime(QTreeWidgetItem* pItem)
{
    const COneFile& file = *FileOfRow(pItem);
    pItem->setText(2, file.IsChanged() ? TimeText(file.m_ftNew) : QStringLiteral(" "));
}

void TFormMain::ShowRowTimes(QTreeWidgetItem* pItem)
{
    ShowTimeCells(pItem);
    ShowExifDate(pItem);  // the marks follow the original time
}

void TFormMain::ShowTimeCells(QTreeWidgetItem* pItem)
{
    pItem->setText(1, TimeText(FileOfRow(pItem)->m_ftOriginal));
    ShowNewTime(pItem);
}

TxString TFormMain::FullPath(const COneFile& file) const
{
    TxString strPath(m_strFolder);
    strPath.Append("/");
    strPath.Append(file.m_strName);
    return strPath;
}

void TFormMain::ScanFolder()
{
    std::vector<std::unique_ptr<TFileRow>> rows;
    {
        BulkUpdate bulk(ListViewFiles);
        StopExifDates();             // before the rows it reads for go
        m_pLastPreviewed = nullptr;  // the records it could point to go with the old rows
        ListViewFiles->clear();
        // The picture of the previous list is not shown over this one.
        m_bPreviewBlank = true;
        PaintBox->update();
        m_strApplyStatus.clear();

        const QByteArray mask = EditMask->text().toUtf8();
        TxFindFile find;
        if (find.FindFirst(m_strFolder.Text(), mask.constData())) {
            TxFileInfo info;
            do {
                if (find.IsDirectory())
                    continue;
                find.GetInfo(info);
                auto pRow = std::make_unique<TFileRow>(this);
                COneFile& file = pRow->m_file;
                if (!FileTimeToLocalFileTime(&info.m_ftLastWriteTime, &file.m_ftOriginal))
                    file.m_ftOriginal = info.m_ftLastWriteTime;
                file.m_ftNew = file.m_ftOriginal;
                file.m_strName = info.m_strName;
                TX_LOG("Found file %s", file.m_strName.Text());
                pRow->setText(0, QString::fromUtf8(file.m_strName.Text()));
                ShowTimeCells(pRow.get());  // no EXIF date and no mark yet
                rows.push_back(std::move(pRow));
            } while (find.FindNext());
        }
        // All rows go in at once, so the list lays itself out and redraws once.
        QList<QTreeWidgetItem*> items;
        items.reserve(static_cast<qsizetype>(rows.size()));
        for (auto& pRow : rows)
            items.append(pRow.release());
        ListViewFiles->addTopLevelItems(items);
    }
    StartExifDates();  // the list is usable at once; the dates come in as they are read
    // The rows are in the order the folder gave them until a column is clicked.
    ListViewFiles->header()->setSortIndicatorShown(false);
    m_bChanged = false;
    UpdateControls();
}

void TFormMain::ListViewFilesColumnClick(int nColumn)
{
    switch (nColumn) {
    case 0: m_nSortMode = m_nSortMode == SORT_BY_NAME_ASC ? SORT_BY_NAME_DESC : SORT_BY_NAME_ASC; break;
    case 1: m_nSortMode = SORT_BY_ORIGINAL_TIME; break;
    case 2: m_nSortMode = SORT_BY_NEW_TIME; break;
    case 3: m_nSortMode = SORT_BY_EXIF_DATE; break;
    default: return;
    }
    // The rows' own order (TFileRow::operator<) follows m_nSortMode; the list keeps the
    // selection while it sorts.
    ListViewFiles->sortItems(nColumn, Qt::AscendingOrder);
    ListViewFiles->header()->setSortIndicator(
        nColumn, m_nSortMode == SORT_BY_NAME_DESC ? Qt::DescendingOrder : Qt::AscendingOrder);
    ListViewFiles->header()->setSortIndicatorShown(true);
}

int TFormMain::ListViewFilesCompare(const COneFile& a, const COneFile& b) const
{
    switch (m_nSortMode) {
    case SORT_BY_NEW_TIME: return CompareFileTimes(a.m_ftNew, b.m_ftNew);
    case SORT_BY_NAME_ASC: return Sign(lstrcmpiA(a.m_strName.Text(), b.m_strName.Text()));
    case SORT_BY_NAME_DESC: return Sign(lstrcmpiA(b.m_strName.Text(), a.m_strName.Text()));
    case SORT_BY_EXIF_DATE:
        // Files without a date (or not read yet) come first.
        if (a.m_exif.HasDate() != b.m_exif.HasDate())
            return a.m_exif.HasDate() ? 1 : -1;
        return a.m_exif.HasDate() ? CompareFileTimes(a.m_exif.ft, b.m_exif.ft) : 0;
    default: return CompareFileTimes(a.m_ftOriginal, b.m_ftOriginal);
    }
}

void TFormMain::OnSelectionChanged(const QItemSelection& selected, const QItemSelection&)
{
    const bool bSelected = !selected.isEmpty();
    Guarded(this, [this, bSelected] { ListViewFilesSelectItem(bSelected); });
}

void TFormMain::ListViewFilesSelectItem(bool /*bSelected*/)
{
    // The preview follows the top selected row also when rows only became unselected: a click
    // on one row of a selected block, or a ctrl-click that unselects the top row, selects
    // nothing new yet changes the top row. (RequestPreview asks for nothing when that row was
    // the last one requested.)
    RequestPreview();
    // Refreshed also when rows only became unselected, so that no button stays enabled for a
    // selection that is gone.
    UpdateControls();
}

int TFormMain::SelectedCount() const
{
    return static_cast<int>(ListViewFiles->selectionModel()->selectedRows().size());
}

COneFile* TFormMain::FirstSelectedFile() const
{
    const QModelIndexList rows = ListViewFiles->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return nullptr;
    const auto it = std::min_element(rows.begin(), rows.end(),
                                     [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    return FileOfRow(ListViewFiles->topLevelItem(it->row()));
}

void TFormMain::RequestPreview()
{
    const COneFile* pFile = FirstSelectedFile();
    if (pFile == nullptr || pFile == m_pLastPreviewed)
        return;
    m_pLastPreviewed = pFile;
    PostPreviewRequest(FullPath(*pFile).Text());  // a path too long for the request is logged, not sent
}

bool TFormMain::MayDropChanges()
{
    return !m_bChanged ||
           ShowMessageBox(this, UiStrings[22], UiStrings[20], MsgButtons::OkCancel, MsgIcon::None) == IDOK;
}

void TFormMain::RescanFolder()
{
    if (!MayDropChanges())
        return;
    ScanFolder();
    UpdateControls();
}

void TFormMain::ButtonSelectFolderClick()
{
    if (!MayDropChanges())
        return;
    if (FormTree == nullptr)
        return;
    FormTree->m_strFolder = m_strFolder;
    if (FormTree->ShowModal() != 1)
        return;
    m_strFolder = FormTree->m_strFolder;
    ScanFolder();
    UpdateControls();
}
