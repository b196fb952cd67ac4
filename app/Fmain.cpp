// The main window's life: construction, the start-up run when it is first shown, the refresh of
// the enabled controls, the image-ready message, the help button and the orderly shutdown.
#include "Fmain.h"

#include "../exif/Uexif_preview.h"
#include "../imaging/ImageDecoder.h"
#include "../platform/winfile.h"
#include "../platform/winmem.h"
#include "UexifDateReader.h"
#include "Ulang.h"
#include "UlangList.h"
#include "Upreview.h"
#include "Uguard.h"
#include "UMessageBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <cstdio>
#include <string>

TFormMain* FormMain = nullptr;

namespace {

constexpr int kVersionMajor = 1;
constexpr int kVersionMinor = 22;

QString Ui(int nIndex) { return QString::fromUtf8(UiStrings[nIndex]); }

// Posted by the preview worker's thread; the event is delivered on the main thread.
void PostImageReady(void* pWindow)
{
    QCoreApplication::postEvent(static_cast<QObject*>(pWindow),
                                new QEvent(static_cast<QEvent::Type>(WM_IMAGEREADY)));
}

}  // namespace

TxString ExecutableFolder()
{
    const std::string strExe = GetModuleFileNameA();
    const std::size_t nSlash = strExe.rfind('/');
    if (nSlash == std::string::npos)
        return TxString();
    if (nSlash == 0)
        return TxString("/");
    return TxString(strExe.substr(0, nSlash).c_str());
}

TFormMain::TFormMain(QWidget* pParent) : QWidget(pParent)
{
    // The locks and events shared with the preview worker are process-wide objects that live
    // for the whole run; there is nothing to create for them here.
    CreateControls();
    m_pExifReader = std::make_unique<CExifDateReader>(
        [this](std::uint64_t nGeneration, std::vector<ExifDateResult>&& results) {
            PostExifDates(this, nGeneration, std::move(results));
        });
    ConnectHandlers();
    TimerAutorepeat->start();  // runs from the start, idle while no button is held
}

TFormMain::~TFormMain()
{
    m_pExifReader.reset();  // its thread posts to this window: it ends first
    if (FormMain == this)
        FormMain = nullptr;
    if (hMainWindow == this) {
        hMainWindow = nullptr;
        g_pfnPostImageReady = nullptr;
    }
}

void TFormMain::ConnectHandlers()
{
    connect(ButtonSelectFolder, &QPushButton::clicked, this,
            [this] { Guarded(this, [this] { ButtonSelectFolderClick(); }); });
    connect(ButtonHelp, &QPushButton::clicked, this, [this] { Guarded(this, [this] { ButtonHelpClick(); }); });
    connect(ButtonApply, &QPushButton::clicked, this, [this] { Guarded(this, [this] { ButtonApplyClick(); }); });
    connect(ButtonRefFile1, &QPushButton::clicked, this, [this] { Guarded(this, [this] { ButtonRefFile1Click(); }); });
    connect(ButtonRefFile2, &QPushButton::clicked, this, [this] { Guarded(this, [this] { ButtonRefFile2Click(); }); });
    connect(ButtonTimeFromExif, &QPushButton::clicked, this,
            [this] { Guarded(this, [this] { ButtonTimeFromExifClick(); }); });
    connect(ButtonGetExif, &QPushButton::clicked, this, [this] { Guarded(this, [this] { ButtonGetExifClick(); }); });
    connect(ListViewFiles->header(), &QHeaderView::sectionClicked, this,
            [this](int nColumn) { Guarded(this, [this, nColumn] { ListViewFilesColumnClick(nColumn); }); });
    connect(ListViewFiles->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TFormMain::OnSelectionChanged);
    for (QToolButton* pButton : ShiftButtons()) {
        connect(pButton, &QToolButton::clicked, this,
                [this, pButton] { Guarded(this, [this, pButton] { BitBtnClick(pButton); }); });
        pButton->installEventFilter(this);  // presses and releases of every mouse button
    }
    connect(TimerAutorepeat, &QTimer::timeout, this, [this] { Guarded(this, [this] { TimerAutorepeatTimer(); }); });
    ConnectKeys();
}

void TFormMain::showEvent(QShowEvent* pEvent)
{
    QWidget::showEvent(pEvent);
    if (m_bShown)
        return;
    m_bShown = true;
    Guarded(this, [this] { FormShow(); });
}

void TFormMain::FormShow()
{
    m_bExifConfirmed = false;
    ApplyUiStrings();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct CursorRestorer {
        ~CursorRestorer() { QApplication::restoreOverrideCursor(); }
    } restorer;
    m_strFolder = ExecutableFolder();
    if (pImageHeader == nullptr) {
        std::lock_guard<std::mutex> lock(hImageMutex);
        pImageHeader = GlobalAllocZeroed(kImageHeaderSize);
    }
    hMainWindow = this;
    g_pfnPostImageReady = PostImageReady;
    MoveToDesignedPlace();  // where the window opens until the settings file says otherwise
    LoadSettings();
    ApplyStartFolder();
    ScanFolder();
    RequestPreview();
    SetEmbeddedJpegLocator(ExifFindEmbeddedJpeg);  // raw files and videos show their JPEG
    StartPreviewWorker();
    SelectStartFile();  // once the worker runs, so that its preview is not dropped
    UpdateControls();
}

void TFormMain::ApplyUiStrings()
{
    char szCaption[64];
    std::snprintf(szCaption, sizeof szCaption, UiStrings[0], kVersionMajor, kVersionMinor);
    setWindowTitle(QString::fromUtf8(szCaption));
    ListViewFiles->setHeaderLabels({Ui(1), Ui(2), Ui(3), QString::fromUtf8(kExifColumnText)});
    QLabel* const unitLabels[] = {LabelDay, LabelMonth, LabelYear, LabelHour, LabelMin, LabelSec};
    for (int i = 0; i < 6; ++i)
        unitLabels[i]->setText(Ui(4 + i));
    LabelFolder->setText(Ui(10));
    LabelFolder->adjustSize();
    LabelFileMask->setText(Ui(11));
    LabelFileMask->adjustSize();
    ButtonSelectFolder->setText(Ui(12));
    ButtonTimeFromExif->setText(Ui(13));
    ButtonGetExif->setText(Ui(14));
    ButtonApply->setText(Ui(15));
    ButtonRefFile1->setText(Ui(17));
    ButtonRefFile2->setText(Ui(18));
    // The EXIF label is right-aligned: its right edge stays where it was designed.
    const int nExifRight = LabelExif->x() + LabelExif->width();
    LabelExif->setText(Ui(28));
    LabelExif->adjustSize();
    LabelExif->move(nExifRight - LabelExif->width(), LabelExif->y());
    CheckBoxDT->setToolTip(Ui(29));
    CheckBoxDTOriginal->setToolTip(Ui(30));
    CheckBoxDTDigitized->setToolTip(Ui(31));
    ButtonApply->setToolTip(Ui(32));
}

void TFormMain::UpdateControls()
{
    std::string strFolderText(UiStrings[21]);
    strFolderText.replace(strFolderText.find("%s"), 2, m_strFolder.Text());
    LabelFolder->setText(QString::fromUtf8(strFolderText.c_str()));
    LabelFolder->adjustSize();

    const int nSelected = SelectedCount();
    ButtonGetExif->setEnabled(nSelected == 1);
    ButtonRefFile1->setEnabled(nSelected == 1);
    ButtonRefFile2->setEnabled(nSelected == 1);
    ButtonTimeFromExif->setEnabled(nSelected > 0);
    for (QToolButton* pButton : ShiftButtons())
        pButton->setEnabled(nSelected > 0);
    ButtonApply->setEnabled(m_bChanged);
    UpdateStatus();
}

bool TFormMain::event(QEvent* pEvent)
{
    if (pEvent->type() == static_cast<QEvent::Type>(WM_IMAGEREADY)) {
        if (m_pLastPreviewed != nullptr)
            m_bPreviewBlank = false;  // a picture of this list was asked for
        PaintBox->update();
        return true;
    }
    if (TakeExifDates(pEvent))
        return true;
    if (pEvent->type() == QEvent::WindowBlocked || pEvent->type() == QEvent::WindowDeactivate)
        ReleaseHeldButton();
    return QWidget::event(pEvent);
}

void TFormMain::closeEvent(QCloseEvent* pEvent)
{
    bool bCanClose = true;
    if (!m_bClosed) {
        Guarded(this, [&] { bCanClose = FormCloseQuery(); });
        m_bClosed = bCanClose;
    }
    if (bCanClose)
        pEvent->accept();
    else
        pEvent->ignore();
}

bool TFormMain::FormCloseQuery()
{
    if (m_bChanged &&
        ShowMessageBox(this, UiStrings[19], UiStrings[20], MsgButtons::OkCancel, MsgIcon::None) != IDOK)
        return false;
    TimerAutorepeat->stop();
    StopExifDates();
    StopPreviewWorker();
    // Settings that cannot be written are reported, and the window closes all the same: the
    // program can always be closed. The report waits until the image lock is released, since
    // the message box lets the preview pane repaint.
    std::string strSaveError;
    {
        std::lock_guard<std::mutex> lock(hImageMutex);
        try {
            SaveSettings();
        } catch (const std::exception& e) {
            strSaveError = e.what();
        }
        GlobalFree(pImageHeader);
        pImageHeader = nullptr;
        GlobalFree(pImageBits);
        pImageBits = nullptr;
    }
    if (!strSaveError.empty())
        ShowStandardException(this, strSaveError.c_str());
    return true;
}

TPanelClient::TPanelClient(TFormMain* pForm, QWidget* pParent) : QWidget(pParent), m_pForm(pForm) {}

void TPanelClient::resizeEvent(QResizeEvent* pEvent)
{
    QWidget::resizeEvent(pEvent);
    Guarded(m_pForm, [this] { m_pForm->PanelClientResize(); });
}

TPaintBox::TPaintBox(TFormMain* pForm, QWidget* pParent) : QWidget(pParent), m_pForm(pForm) {}

void TPaintBox::paintEvent(QPaintEvent*)
{
    Guarded(m_pForm, [this] { m_pForm->PaintBoxPaint(); });
}
