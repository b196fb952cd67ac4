// The main window's controls at their designed positions and sizes, with their design-time
// English texts (replaced by the Czech ones when the window is first shown).
#include "Fmain.h"

#include "../platform/wintime.h"
#include "Uutils.h"

#include <QCheckBox>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kFormLeft = 115;
constexpr int kFormTop = 126;
constexpr int kFormWidth = 800;
constexpr int kFormHeight = 439;
constexpr int kFormMinHeight = 210;
constexpr int kPanelControlsHeight = 91;
constexpr int kPanelClientWidth = 265;
constexpr int kTimeColumnWidth = 120;
constexpr int kAutorepeatMs = 200;
constexpr int kLabelGap = 4;  // free pixels between a clipped label and the control beside it
const QColor kInactiveCaption(0xBF, 0xCD, 0xDB);

template <class Control>
Control* Place(Control* pControl, const char* pszName, int nLeft, int nTop, int nWidth, int nHeight)
{
    pControl->setObjectName(QString::fromLatin1(pszName));
    pControl->setGeometry(nLeft, nTop, nWidth, nHeight);
    return pControl;
}

// A label that takes the size of its text, as an auto-sized label does. Its text is always shown
// as it is: a folder or file name such as "<b>x</b>" is not taken for markup.
QLabel* PlaceLabel(QWidget* pParent, const char* pszName, const char* pszText, int nLeft, int nTop)
{
    auto* pLabel = new QLabel(pParent);
    pLabel->setTextFormat(Qt::PlainText);
    pLabel->setText(QString::fromUtf8(pszText));
    pLabel->setObjectName(QString::fromLatin1(pszName));
    pLabel->move(nLeft, nTop);
    pLabel->adjustSize();
    return pLabel;
}

// The 9 x 6 glyph of a shift button: a black triangle 7 wide and 4 high on silver.
QPixmap ArrowGlyph(bool bUp)
{
    QPixmap glyph(9, 6);
    glyph.fill(QColor(0xC0, 0xC0, 0xC0));
    QPainter painter(&glyph);
    painter.setPen(Qt::black);
    for (int nRow = 0; nRow < 4; ++nRow) {
        const int nHalf = bUp ? nRow : 3 - nRow;  // the point is at the top on Up buttons
        painter.drawLine(4 - nHalf, 1 + nRow, 4 + nHalf, 1 + nRow);
    }
    return glyph;
}

// The shift-button pairs: unit label, left edge of the Down button (Up is 16 to its right).
struct PairLayout {
    QToolButton* TFormMain::*pDown;
    QToolButton* TFormMain::*pUp;
    const char* pszDownName;
    const char* pszUpName;
    QLabel* TFormMain::*pLabel;
    const char* pszLabelName;
    const char* pszLabelText;
    int nLeft;
};

const PairLayout kPairs[] = {
    {&TFormMain::BitBtnDayDown, &TFormMain::BitBtnDayUp, "BitBtnDayDown", "BitBtnDayUp",
     &TFormMain::LabelDay, "LabelDay", "Day", 205},
    {&TFormMain::BitBtnMonthDown, &TFormMain::BitBtnMonthUp, "BitBtnMonthDown", "BitBtnMonthUp",
     &TFormMain::LabelMonth, "LabelMonth", "Month", 242},
    {&TFormMain::BitBtnYearDown, &TFormMain::BitBtnYearUp, "BitBtnYearDown", "BitBtnYearUp",
     &TFormMain::LabelYear, "LabelYear", "Year", 279},
    {&TFormMain::BitBtnHourDown, &TFormMain::BitBtnHourUp, "BitBtnHourDown", "BitBtnHourUp",
     &TFormMain::LabelHour, "LabelHour", "Hour", 323},
    {&TFormMain::BitBtnMinuteDown, &TFormMain::BitBtnMinuteUp, "BitBtnMinuteDown", "BitBtnMinuteUp",
     &TFormMain::LabelMin, "LabelMin", "Min", 360},
    {&TFormMain::BitBtnSecondDown, &TFormMain::BitBtnSecondUp, "BitBtnSecondDown", "BitBtnSecondUp",
     &TFormMain::LabelSec, "LabelSec", "Sec", 397},
};

// The width a time column needs for a time text of the user's locale in the list's font; the
// designed width when that is enough.
int TimeColumnWidth(const QWidget* pList)
{
    const SYSTEMTIME st{2006, 12, 0, 28, 20, 58, 58, 0};  // wide digits
    FILETIME ft{};
    char szText[100] = "";
    if (SystemTimeToFileTime(&st, &ft))
        FileTimeToText(ft, szText, sizeof szText);
    const int nTextWidth = pList->fontMetrics().horizontalAdvance(QString::fromUtf8(szText)) + 14;
    return std::max(kTimeColumnWidth, nTextWidth);
}

QToolButton* MakeShiftButton(QWidget* pParent, const char* pszName, int nLeft, bool bUp)
{
    auto* pButton = Place(new QToolButton(pParent), pszName, nLeft, 7, 17, 14);
    pButton->setIcon(QIcon(ArrowGlyph(bUp)));
    pButton->setIconSize(QSize(9, 6));
    // Reachable with Tab and pressed with Space, as the buttons of the window are; a click
    // does not take the focus from the file list.
    pButton->setFocusPolicy(Qt::TabFocus);
    return pButton;
}

}  // namespace

void TFormMain::CreateShiftButtons()
{
    for (const PairLayout& pair : kPairs) {
        this->*pair.pDown = MakeShiftButton(PanelControls, pair.pszDownName, pair.nLeft, false);
        this->*pair.pUp = MakeShiftButton(PanelControls, pair.pszUpName, pair.nLeft + 16, true);
        // Centred under the pair; wider than the pair so that longer texts stay whole.
        auto* pLabel = Place(new QLabel(QString::fromLatin1(pair.pszLabelText), PanelControls),
                             pair.pszLabelName, pair.nLeft - 8, 23, 49, 13);
        pLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        this->*pair.pLabel = pLabel;
    }
}

void TFormMain::MoveToDesignedPlace()
{
    move(kFormLeft, kFormTop);
}

void TFormMain::CreateControls()
{
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(QStringLiteral("Tirnavex 1.0"));
    resize(kFormWidth, kFormHeight);
    setMinimumSize(kFormWidth, kFormMinHeight);
    QFont font = this->font();
    font.setPixelSize(11);
    setFont(font);

    PanelControls = new QFrame(this);
    PanelControls->setObjectName(QStringLiteral("PanelControls"));
    PanelControls->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PanelControls->setFixedHeight(kPanelControlsHeight);

    QWidget* p = PanelControls;
    ButtonSelectFolder = Place(new QPushButton(QStringLiteral("Select folder..."), p), "ButtonSelectFolder", 4, 6, 93, 25);
    LabelFileMask = PlaceLabel(p, "LabelFileMask", "File mask:", 105, 10);
    EditMask = Place(new QLineEdit(QStringLiteral("*.jpg"), p), "EditMask", 158, 6, 41, 21);
    LabelFolder = PlaceLabel(p, "LabelFolder", "Folder: ", 6, 38);
    CreateShiftButtons();
    ButtonTimeFromExif = Place(new QPushButton(QStringLiteral("Set time from EXIF"), p), "ButtonTimeFromExif", 433, 7, 112, 23);
    ButtonGetExif = Place(new QPushButton(QStringLiteral("Show EXIF"), p), "ButtonGetExif", 433, 29, 112, 23);
    ButtonApply = Place(new QPushButton(QStringLiteral("Apply changes"), p), "ButtonApply", 553, 7, 208, 23);
    ButtonHelp = Place(new QPushButton(QStringLiteral("?"), p), "ButtonHelp", 760, 7, 23, 23);
    ButtonRefFile1 = Place(new QPushButton(QStringLiteral("Reference file 1:"), p), "ButtonRefFile1", 4, 54, 125, 17);
    LabelRefFile1 = PlaceLabel(p, "LabelRefFile1", "-", 136, 56);
    ButtonRefFile2 = Place(new QPushButton(QStringLiteral("Reference file 2:"), p), "ButtonRefFile2", 4, 70, 125, 17);
    LabelRefFile2 = PlaceLabel(p, "LabelRefFile2", "-", 136, 72);
    LabelExif = PlaceLabel(p, "LabelExif", "EXIF", 641, 36);
    LabelExif->setAlignment(Qt::AlignRight | Qt::AlignTop);
    CheckBoxDT = Place(new QCheckBox(QStringLiteral("DateTime"), p), "CheckBoxDT", 669, 35, 97, 17);
    CheckBoxDTOriginal = Place(new QCheckBox(QStringLiteral("DateTimeOriginal"), p), "CheckBoxDTOriginal", 669, 52, 121, 17);
    CheckBoxDTDigitized = Place(new QCheckBox(QStringLiteral("DateTimeDigitized"), p), "CheckBoxDTDigitized", 669, 68, 121, 17);
    // A long folder or reference text is clipped where the next control of its line begins,
    // instead of running under that control's own text.
    LabelFolder->setMaximumWidth(ButtonGetExif->x() - kLabelGap - LabelFolder->x());
    LabelRefFile1->setMaximumWidth(CheckBoxDTOriginal->x() - kLabelGap - LabelRefFile1->x());
    LabelRefFile2->setMaximumWidth(CheckBoxDTDigitized->x() - kLabelGap - LabelRefFile2->x());

    Splitter = new QSplitter(Qt::Horizontal, this);
    Splitter->setObjectName(QStringLiteral("Splitter"));
    Splitter->setHandleWidth(3);
    Splitter->setChildrenCollapsible(false);

    PanelClient = new TPanelClient(this, Splitter);
    PanelClient->setObjectName(QStringLiteral("PanelClient"));
    ShapeBackground = new TShape(PanelClient);
    ShapeBackground->setObjectName(QStringLiteral("ShapeBackground"));
    ShapeBackground->m_colorFill = kInactiveCaption;
    ShapeBackground->setGeometry(0, 0, kPanelClientWidth, 100);
    PaintBox = new TPaintBox(this, PanelClient);
    PaintBox->setObjectName(QStringLiteral("PaintBox"));
    PaintBox->setGeometry(ShapeBackground->geometry());

    ListViewFiles = new QTreeWidget(Splitter);
    ListViewFiles->setObjectName(QStringLiteral("ListViewFiles"));
    ListViewFiles->setColumnCount(4);
    ListViewFiles->setHeaderLabels({QStringLiteral("File"), QStringLiteral("Original time"), QStringLiteral("New time"),
                                    QStringLiteral("EXIF time")});
    ListViewFiles->setRootIsDecorated(false);
    ListViewFiles->setItemsExpandable(false);
    ListViewFiles->setUniformRowHeights(true);
    ListViewFiles->setAllColumnsShowFocus(true);
    ListViewFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListViewFiles->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListViewFiles->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The selection stays visible when the list has no focus.
    QPalette palette = ListViewFiles->palette();
    palette.setBrush(QPalette::Inactive, QPalette::Highlight, palette.brush(QPalette::Active, QPalette::Highlight));
    palette.setBrush(QPalette::Inactive, QPalette::HighlightedText, palette.brush(QPalette::Active, QPalette::HighlightedText));
    ListViewFiles->setPalette(palette);
    QHeaderView* pHeader = ListViewFiles->header();
    pHeader->setSectionsClickable(true);
    pHeader->setSectionsMovable(false);
    pHeader->setStretchLastSection(false);
    pHeader->setSectionResizeMode(0, QHeaderView::Stretch);  // "File" takes the rest of the width
    pHeader->setSectionResizeMode(1, QHeaderView::Interactive);
    // Designed 120 wide; wider where the locale's time text in this font needs more. The EXIF
    // date column is a time column like the others.
    for (int nColumn = 1; nColumn <= 3; ++nColumn) {
        pHeader->setSectionResizeMode(nColumn, QHeaderView::Interactive);
        pHeader->resizeSection(nColumn, TimeColumnWidth(ListViewFiles));
    }

    Splitter->addWidget(PanelClient);
    Splitter->addWidget(ListViewFiles);
    Splitter->setStretchFactor(0, 0);
    Splitter->setStretchFactor(1, 1);
    Splitter->setSizes({kPanelClientWidth, kFormWidth - kPanelClientWidth - 3});

    auto* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(0);
    pLayout->addWidget(PanelControls);
    pLayout->addWidget(Splitter, 1);
    // The status line under the list, which gives up its height.
    LabelStatus = new QLabel(this);
    LabelStatus->setObjectName(QStringLiteral("LabelStatus"));
    LabelStatus->setTextFormat(Qt::PlainText);
    LabelStatus->setContentsMargins(4, 2, 4, 2);
    pLayout->addWidget(LabelStatus);

    TimerAutorepeat = new QTimer(this);
    TimerAutorepeat->setObjectName(QStringLiteral("TimerAutorepeat"));
    TimerAutorepeat->setInterval(kAutorepeatMs);
}
