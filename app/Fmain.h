// The main window: the file list of one folder with the original and new time of each file, the
// twelve time-shift buttons, the preview pane and the settings kept between runs.
#pragma once

#include "../platform/wintypes.h"
#include "../tx/UTxStrings.h"
#include "Uonefile.h"

struct ExifDateJob;

#include <QTreeWidgetItem>
#include <QWidget>

#include <cstdint>
#include <string>

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

    // State.
    QAbstractButton* m_pHeldButton = nullptr;
    int m_nRepeatDelay = 0;
    TxString m_strFolder;
    bool m_bChanged = false;
    const COneFile* m_pLastPreviewed = nullptr;
    std::uint8_t m_nSortMode = SORT_BY_ORIGINAL_TIME;
    bool m_bExifConfirmed = false;

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
    // Moves the mark to the first selected row; null (and nothing changed) when none is.
    const COneFile* MarkReference(DWORD dwFlag);
    void SetTimeFromExif(QTreeWidgetItem* pItem, bool bOnlyRow);
    void ShowNoExifMessage();

    TxString m_strStartPath;
    TxString m_strStartName;  // the picture of the start path, selected after the first scan
    bool m_bShown = false;
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

extern TFormMain* FormMain;
