// The twelve time-shift buttons: one step of the new time of every selected row, repeated
// while a button is held down.
#include "Fmain.h"

#include "Uguard.h"
#include "UlangList.h"
#include "Uutils.h"

#include <QApplication>
#include <QEvent>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>

namespace {

constexpr int kRepeatDelayTicks = 3;

struct ButtonStep {
    QToolButton* TFormMain::*pButton;
    ShiftStep step;
};

// In the order a held button is looked up on each timer tick.
const ButtonStep kButtonSteps[] = {
    {&TFormMain::BitBtnDayUp, {ShiftUnit::Day, +1}},
    {&TFormMain::BitBtnMonthUp, {ShiftUnit::Month, +1}},
    {&TFormMain::BitBtnYearUp, {ShiftUnit::Year, +1}},
    {&TFormMain::BitBtnHourUp, {ShiftUnit::Hour, +1}},
    {&TFormMain::BitBtnMinuteUp, {ShiftUnit::Minute, +1}},
    {&TFormMain::BitBtnSecondUp, {ShiftUnit::Second, +1}},
    {&TFormMain::BitBtnDayDown, {ShiftUnit::Day, -1}},
    {&TFormMain::BitBtnMonthDown, {ShiftUnit::Month, -1}},
    {&TFormMain::BitBtnYearDown, {ShiftUnit::Year, -1}},
    {&TFormMain::BitBtnHourDown, {ShiftUnit::Hour, -1}},
    {&TFormMain::BitBtnMinuteDown, {ShiftUnit::Minute, -1}},
    {&TFormMain::BitBtnSecondDown, {ShiftUnit::Second, -1}},
};

// One step on a local file time. A refused step (a date that does not exist, or a time outside
// the valid range) leaves the value as it was.
bool ApplyStep(FILETIME& ft, ShiftStep step)
{
    switch (step.unit) {
    case ShiftUnit::Second: return AddSeconds(ft, step.nSign);
    case ShiftUnit::Minute: return AddMinutes(ft, step.nSign);
    case ShiftUnit::Hour: return AddHours(ft, step.nSign);
    case ShiftUnit::Day: return AddDays(ft, step.nSign);
    case ShiftUnit::Month: return AddMonths(ft, step.nSign);
    case ShiftUnit::Year: return AddYears(ft, step.nSign);
    }
    return false;
}

}  // namespace

QList<QToolButton*> TFormMain::ShiftButtons() const
{
    QList<QToolButton*> buttons;
    for (const ButtonStep& entry : kButtonSteps)
        buttons.append(this->*entry.pButton);
    return buttons;
}

bool TFormMain::StepOfButton(const QAbstractButton* pButton, ShiftStep* pStep) const
{
    for (const ButtonStep& entry : kButtonSteps) {
        if (pButton != nullptr && pButton == this->*entry.pButton) {
            *pStep = entry.step;
            return true;
        }
    }
    return false;
}

void TFormMain::ShiftSelected(ShiftStep step)
{
    QModelIndexList rows = ListViewFiles->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& index : rows) {
        QTreeWidgetItem* pItem = ListViewFiles->topLevelItem(index.row());
        COneFile& file = *FileOfRow(pItem);
        // A refused step (31 January plus a month) is marked until the row is shifted again.
        file.m_strMark = ApplyStep(file.m_ftNew, step) ? "" : kMarkStepRefused;
        m_bChanged = true;
        ShowNewTime(pItem);
        ShowRowMarks(pItem);
        UpdateRefLabels(*FileOfRow(pItem));
    }
}

void TFormMain::BitBtnClick(QAbstractButton* pButton)
{
    ShiftStep step{};
    if (!StepOfButton(pButton, &step))
        return;
    ShiftSelected(step);
    UpdateControls();
}

void TFormMain::SetHeldButton(QAbstractButton* pButton)
{
    m_pHeldButton = pButton;
    if (pButton != nullptr)
        TimerAutorepeat->start();
    else
        TimerAutorepeat->stop();
    m_nRepeatDelay = kRepeatDelayTicks;
}

void TFormMain::ReleaseHeldButton()
{
    if (m_pHeldButton != nullptr)
        SetHeldButton(nullptr);
}

void TFormMain::TimerAutorepeatTimer()
{
    // A box in front of the window takes the mouse: the release may never reach the button.
    if (m_pHeldButton != nullptr && QApplication::activeModalWidget() != nullptr) {
        ReleaseHeldButton();
        return;
    }
    if (m_nRepeatDelay > 0) {
        --m_nRepeatDelay;
        return;
    }
    if (m_pHeldButton != nullptr)
        BitBtnClick(m_pHeldButton);
}

bool TFormMain::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    // Any mouse button held on an enabled shift button starts the repeat; the left button's
    // ordinary click on release is left to the button itself.
    const QEvent::Type type = pEvent->type();
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
        type == QEvent::MouseButtonRelease) {
        auto* pButton = qobject_cast<QAbstractButton*>(pWatched);
        ShiftStep step{};
        const bool bRelease = type == QEvent::MouseButtonRelease;
        if (pButton != nullptr && (bRelease || pButton->isEnabled()) && StepOfButton(pButton, &step))
            Guarded(this, [&] { SetHeldButton(bRelease ? nullptr : pButton); });
    } else if (type == QEvent::EnabledChange && pWatched == m_pHeldButton && !m_pHeldButton->isEnabled()) {
        ReleaseHeldButton();  // a disabled button is given no release
    }
    return QWidget::eventFilter(pWatched, pEvent);
}
