// The main window: the file list of one folder with the original and new time of each file, the
// twelve time-shift buttons, the preview pane and the settings kept between runs.
#pragma once

#include "../platform/wintypes.h"
#include "../tx/UTxStrings.h"
#include "Uonefile.h"

struct ExifDateJob;
struct ExifDateResult;
struct ApplyRowEnd;
class CExifDateReader;

#include <QTreeWidgetItem>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QFrame;
class QItemSelection;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QTimer;
class QToolButton;
class QTreeWidget;
class TFormMain;

// The preview pane and the surface the picture is drawn on; both hand their events to the form.
class TPanelClient : public QWidget {
public:
    TPanelClient(TFormMain* pForm, QWidget* pParent);

protected:
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    TFormMain* m_pForm;
};

class TPaintBox : public QWidget {
public:
    TPaintBox(TFormMain* pForm, QWidget* pParent);

protected:
    void paintEvent(QPaintEvent* pEvent) override;

private:
    TFormMain* m_pForm;
};

// A filled rectangle with a one-pixel black outline.
class TShape : public QWidget {
public:
    explicit TShape(QWidget* pParent);
    QColor m_colorFill;

protected:
    void paintEvent(QPaintEvent* pEvent) override;
};

// One row of the file list; it owns its record. The order of two rows is the form's current
// sort order.
class TFileRow : public QTreeWidgetItem {
public:
    explicit TFileRow(const TFormMain* pForm) : m_pForm(pForm) {}
    COneFile m_file;
    bool operator<(const QTreeWidgetItem& other) const override;

private:
    const TFormMain* m_pForm;
};

// The units of the time-shift buttons.
enum class ShiftUnit { Second, Minute, Hour, Day, Month, Year };
struct ShiftStep {
    ShiftUnit unit;
    int nSign;  // +1 or -1
};

// Sort orders of the file list.
enum SortMode : std::uint8_t {
    SORT_BY_ORIGINAL_TIME = 0,
    SORT_BY_NEW_TIME = 1,
    SORT_BY_NAME_ASC = 2,
    SORT_BY_NAME_DESC = 3,
    SORT_BY_EXIF_DATE = 4,
};

// The files for which Apply writes only the time stamp, though EXIF dates are ticked: their
// capture date would have been replaced by a time not derived from it.
struct CaptureDateChoice {
    std::unordered_set<const COneFile*> fileTimesOnly;
    bool bExifLeft = false;  // a row with a capture date at risk still gets its EXIF written, or
                             // another changed row does
};

class TFormMain : public QWidget {
    Q_OBJECT
public:
    explicit TFormMain(QWidget* pParent = nullptr);
    ~TFormMain() override;

    // The settings file of the running executable (SettingsPathFor), unless a path was set here
    // (tests use their own files).
    static void SetSettingsPath(const char* pszPath);
    static TxString SettingsPath();

    // A folder or picture to open instead of the folder kept in the settings (the program's
    // command line); set before the window is shown.
    void SetStartPath(const char* pszPath);

    // Start-up, refresh, shutdown and help.
    void FormShow();
    bool FormCloseQuery();  // true when the window may close
    void UpdateControls();
    // Opens the help page (HelpFileFor) in the desktop's browser; says so in a message box when
    // the page is missing or no program can show it.
    void ButtonHelpClick();

    // Settings file.
    void LoadSettings();
    void SaveSettings();

    // Folder scan and file list.
    void ScanFolder();
    void RequestPreview();
    void ButtonSelectFolderClick();
    void ListViewFilesColumnClick(int nColumn);
    int ListViewFilesCompare(const COneFile& a, const COneFile& b) const;  // -1, 0 or 1
    void ListViewFilesSelectItem(bool bSelected);
    TxString FullPath(const COneFile& file) const;
    COneFile* FirstSelectedFile() const;
    int SelectedCount() const;
    static COneFile* FileOfRow(QTreeWidgetItem* pItem);
    // Fills both time cells of a row, or only the "New time" cell (a blank while unchanged).
    static void ShowRowTimes(QTreeWidgetItem* pItem);
    static void ShowNewTime(QTreeWidgetItem* pItem);
    static void ShowTimeCells(QTreeWidgetItem* pItem);  // the two time cells alone
    // The EXIF date cell and the row's marks: the icon and tool tip of what Apply or a shift
    // could not do, and the colour of a date that differs from the file's time.
    static void ShowExifDate(QTreeWidgetItem* pItem);
    static void ShowRowMarks(QTreeWidgetItem* pItem);
    // F5 and Enter in the mask box: the folder again, after the unsaved-changes question.
    void RescanFolder();
    // Blocks until the background reader has delivered every EXIF date of the list, and shows
    // them (tests, benchmarks).
    void WaitForExifDates();
    int RowsWithoutExifDate() const;
    int RowsWithUnreadExifDate() const;
    // The status line: files, selected, without an EXIF date, and what the last Apply did.
    void UpdateStatus();
    bool PreviewBlank() const { return m_bPreviewBlank; }

    // Time shift controls.
    void ShiftSelected(ShiftStep step);
    // The twelve buttons in the order a held button is looked up, and the step of one of them.
    QList<QToolButton*> ShiftButtons() const;
    bool StepOfButton(const QAbstractButton* pButton, ShiftStep* pStep) const;
    void BitBtnClick(QAbstractButton* pButton);
    void SetHeldButton(QAbstractButton* pButton);
    // Ends the repeat when the mouse can no longer release the held button: a modal box came up,
    // the window lost the mouse to another one, or the button was disabled.
    void ReleaseHeldButton();
    void TimerAutorepeatTimer();

    // Apply changes: the new times into the files' time stamps and, when asked, their EXIF data.
    void ButtonApplyClick();
    // A changed row whose EXIF capture date Apply would replace by a time not derived from it.
    bool CaptureDateAtRisk(const COneFile& file) const;
    // Asks before such rows are written, when there are any; false when the answer is Cancel.
    bool ConfirmCaptureDates(CaptureDateChoice& choice);

    // Reference files and time from EXIF.
    void ButtonRefFile1Click();
    void ButtonRefFile2Click();
    void UpdateRefLabel1(const COneFile& file);
    void UpdateRefLabel2(const COneFile& file);
    void UpdateRefLabels(const COneFile& file);  // the labels of the marks this row carries
    void ButtonTimeFromExifClick();

    // The EXIF window.
    void ButtonGetExifClick();

    // Preview pane hooks: the panel's resize and the paint box's paint events land here.
    void PanelClientResize();
    void PaintBoxPaint();

    // Controls, named as designed (each also carries its name as its object name).
    QFrame* PanelControls = nullptr;
    QPushButton* ButtonSelectFolder = nullptr;
    QLabel* LabelFileMask = nullptr;
    QLineEdit* EditMask = nullptr;
    QLabel* LabelFolder = nullptr;
    QToolButton* BitBtnDayDown = nullptr;
    QToolButton* BitBtnDayUp = nullptr;
    QToolButton* BitBtnMonthDown = nullptr;
    QToolButton* BitBtnMonthUp = nullptr;
    QToolButton* BitBtnYearDown = nullptr;
    QToolButton* BitBtnYearUp = nullptr;
    QToolButton* BitBtnHourDown = nullptr;
    QToolButton* BitBtnHourUp = nullptr;
    QToolButton* BitBtnMinuteDown = nullptr;
    QToolButton* BitBtnMinuteUp = nullptr;
    QToolButton* BitBtnSecondDown = nullptr;
    QToolButton* BitBtnSecondUp = nullptr;
    QLabel* LabelDay = nullptr;
    QLabel* LabelMonth = nullptr;
    QLabel* LabelYear = nullptr;
    QLabel* LabelHour = nullptr;
    QLabel* LabelMin = nullptr;
    QLabel* LabelSec = nullptr;
    QPushButton* ButtonTimeFromExif = nullptr;
    QPushButton* ButtonGetExif = nullptr;
    QPushButton* ButtonApply = nullptr;
    QPushButton* ButtonHelp = nullptr;
    QPushButton* ButtonRefFile1 = nullptr;
    QLabel* LabelRefFile1 = nullptr;
    QPushButton* ButtonRefFile2 = nullptr;
    QLabel* LabelRefFile2 = nullptr;
    QLabel* LabelExif = nullptr;
    QCheckBox* CheckBoxDT = nullptr;
    QCheckBox* CheckBoxDTOriginal = nullptr;
    QCheckBox* CheckBoxDTDigitized = nullptr;
    TPanelClient* PanelClient = nullptr;
    TShape* ShapeBackground = nullptr;
    TPaintBox* PaintBox = nullptr;
    QSplitter* Splitter = nullptr;
    QTreeWidget* ListViewFiles = nullptr;
    QTimer* TimerAutorepeat = nullptr;
    QLabel* LabelStatus = nullptr;  // the status line under the list

    // State.
    QAbstractButton* m_pHeldButton = nullptr;
    int m_nRepeatDelay = 0;
    TxString m_strFolder;
    bool m_bChanged = false;
    const COneFile* m_pLastPreviewed = nullptr;
    std::uint8_t m_nSortMode = SORT_BY_ORIGINAL_TIME;
    bool m_bExifConfirmed = false;
    std::string m_strApplyStatus;  // what the last Apply did, for the status line

protected:
    void showEvent(QShowEvent* pEvent) override;
    void closeEvent(QCloseEvent* pEvent) override;
    bool event(QEvent* pEvent) override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void CreateControls();
    // The window's outer top-left corner at its designed place. Applied once the window exists,
    // so that the place is that of its frame, as the settings file keeps it.
    void MoveToDesignedPlace();
    // The start path's folder replaces m_strFolder (a picture's name is kept for SelectStartFile);
    // a path that does not exist changes nothing.
    void ApplyStartFolder();
    void SelectStartFile();
    void CreateShiftButtons();
    void ConnectHandlers();
    void ConnectKeys();
    // True when there are no unsaved changes or the user agrees to drop them (the folder-switch
    // question).
    bool MayDropChanges();
    // The background reader of the EXIF dates: started after each scan, stopped before the
    // rows go; a batch of an earlier scan is dropped.
    void StartExifDates();
    void StopExifDates();
    bool TakeExifDates(QEvent* pEvent);  // true when the event was a batch of dates
    void ReadExifDatesOfChangedRows();
    void CountApplied(bool bWritten);
    void ApplyUiStrings();
    void OnSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    bool ExifWanted() const;
    // How far the EXIF date rewrite of one file got.
    enum class ExifStep {
        Done,     // every ticked tag the file holds was rewritten (or it holds none)
        NotNow,   // a tag could not be rewritten and nothing was: the file is as it was
        Partly,   // some tags were rewritten, another could not be
    };
    static ExifStep ExifStepOf(const ExifDateJob& job);
    // After the batch: stamps the row's file where the batch did not, shows what the disk
    // holds; true when all of the row was written.
    bool FinishRow(QTreeWidgetItem* pItem, const FILETIME& ftUtc, const ExifDateJob* pJob);
    // The row's mark from how it ended; a file whose dates were rewritten has its date read
    // again, so that the list shows what the disk holds.
    void FinishRowMarks(COneFile& file, const ExifDateJob* pJob, const ApplyRowEnd& end);
    // Moves the mark to the first selected row; null (and nothing changed) when none is.
    const COneFile* MarkReference(DWORD dwFlag);
    void SetTimeFromExif(QTreeWidgetItem* pItem, bool bOnlyRow);
    void ShowNoExifMessage();

    TxString m_strStartPath;
    TxString m_strStartName;  // the picture of the start path, selected after the first scan
    bool m_bShown = false;
    bool m_bPreviewBlank = false;  // a scan came and no picture of its list was asked for since
    std::unique_ptr<CExifDateReader> m_pExifReader;
    std::vector<QTreeWidgetItem*> m_exifRows;  // rows of the last scan, by request number
    std::uint64_t m_nExifGeneration = 0;       // of the reader's current request; 0 none
    int m_nApplyWritten = 0;
    int m_nApplyFailed = 0;
    bool m_bClosed = false;
    static TxString s_strSettingsPath;
};

// Where the settings of an executable live: its path with ".ini" in place of its extension
// when its folder can be written, else velmora/velmora.ini in the user's configuration folder
// ($XDG_CONFIG_HOME, else ~/.config).
TxString SettingsPathFor(const std::string& strExecutable);

// The help page of an executable in that folder: Velmora.html beside it (a build or a copy run
// from its folder), else share/velmora/Velmora.html beside its bin folder (an installed copy);
// the first of them when neither exists.
TxString HelpFileFor(const std::string& strExecutableFolder);

// The folder of the running executable (no trailing "/" except for the root itself).
TxString ExecutableFolder();

// Hands a batch of the background reader's dates to the window (from the reader's thread).
void PostExifDates(QObject* pWindow, std::uint64_t nGeneration, std::vector<ExifDateResult>&& results);

extern TFormMain* FormMain;
