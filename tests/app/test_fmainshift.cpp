// The time-shift buttons: steps on the selected rows, refusals, and the autorepeat.
#include "FormFixture.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cstdint>
#include <limits>

using ShiftTest = FormFixture;

namespace {

std::uint64_t Ticks(const FILETIME& ft) { return FileTimeToU64(ft); }

}  // namespace

TEST_F(ShiftTest, EachButtonMovesTheNewTimeOfTheSelectedRowsOnly)
{
    Photo("a.jpg", 2006, 12, 31, 23, 59, 59);
    Photo("b.jpg", 2006, 6, 15, 10, 0, 0);
    WriteSettings();
    TFormMain& form = Open();
    const COneFile& a = *TFormMain::FileOfRow(Row("a.jpg"));
    const COneFile& b = *TFormMain::FileOfRow(Row("b.jpg"));

    // No row selected: the buttons are off, and a step does nothing at all.
    form.BitBtnClick(form.BitBtnHourUp);
    EXPECT_FALSE(form.m_bChanged);

    Select({"a.jpg"});
    form.BitBtnSecondUp->click();
    EXPECT_TRUE(a.m_ftNew == Local(2007, 1, 1, 0, 0, 0));
    EXPECT_EQ(Row("a.jpg")->text(2), Text(Local(2007, 1, 1, 0, 0, 0)));
    EXPECT_TRUE(b.m_ftNew == b.m_ftOriginal);
    EXPECT_EQ(Row("b.jpg")->text(2), QStringLiteral(" "));
    EXPECT_TRUE(form.ButtonApply->isEnabled());

    struct Step {
        QToolButton* pButton;
        FILETIME ftExpected;
    };
    Select({"b.jpg"});
    const Step steps[] = {
        {form.BitBtnMinuteUp, Local(2006, 6, 15, 10, 1, 0)},
        {form.BitBtnHourUp, Local(2006, 6, 15, 11, 1, 0)},
        {form.BitBtnDayUp, Local(2006, 6, 16, 11, 1, 0)},
        {form.BitBtnMonthUp, Local(2006, 7, 16, 11, 1, 0)},
        {form.BitBtnYearUp, Local(2007, 7, 16, 11, 1, 0)},
        {form.BitBtnYearDown, Local(2006, 7, 16, 11, 1, 0)},
        {form.BitBtnMonthDown, Local(2006, 6, 16, 11, 1, 0)},
        {form.BitBtnDayDown, Local(2006, 6, 15, 11, 1, 0)},
        {form.BitBtnHourDown, Local(2006, 6, 15, 10, 1, 0)},
        {form.BitBtnMinuteDown, Local(2006, 6, 15, 10, 0, 0)},
        {form.BitBtnSecondDown, Local(2006, 6, 15, 9, 59, 59)},
        {form.BitBtnSecondUp, Local(2006, 6, 15, 10, 0, 0)},
    };
    for (const Step& step : steps) {
        step.pButton->click();
        EXPECT_EQ(Ticks(b.m_ftNew), Ticks(step.ftExpected)) << step.pButton->objectName().toStdString();
    }
    // Back at its original time: a blank cell, but the window still has unsaved changes.
    EXPECT_EQ(Row("b.jpg")->text(2), QStringLiteral(" "));
    EXPECT_TRUE(form.m_bChanged);
    EXPECT_TRUE(form.ButtonApply->isEnabled());
    EXPECT_TRUE(a.m_ftNew == Local(2007, 1, 1, 0, 0, 0)) << "the unselected row stayed";
}

TEST_F(ShiftTest, RefusedStepsLeaveThatRowAndMoveTheOthers)
{
    Photo("jan31.jpg", 2006, 1, 31, 9);
    Photo("jan15.jpg", 2006, 1, 15, 9);
    Photo("jan15b.jpg", 2006, 1, 15, 18);
    Photo("leap.jpg", 2004, 2, 29, 9);
    WriteSettings();
    TFormMain& form = Open();

    Select({"jan31.jpg", "jan15.jpg", "jan15b.jpg"});
    form.BitBtnMonthUp->click();
    EXPECT_TRUE(TFormMain::FileOfRow(Row("jan31.jpg"))->m_ftNew == Local(2006, 1, 31, 9));
    EXPECT_TRUE(TFormMain::FileOfRow(Row("jan15.jpg"))->m_ftNew == Local(2006, 2, 15, 9));
    EXPECT_TRUE(TFormMain::FileOfRow(Row("jan15b.jpg"))->m_ftNew == Local(2006, 2, 15, 18));
    EXPECT_EQ(Row("jan31.jpg")->text(2), QStringLiteral(" "));

    form.ScanFolder();
    Select({"leap.jpg"});
    form.BitBtnYearUp->click();
    EXPECT_TRUE(TFormMain::FileOfRow(Row("leap.jpg"))->m_ftNew == Local(2004, 2, 29, 9));
    EXPECT_TRUE(form.m_bChanged) << "a refused step still counts as a step";
    EXPECT_TRUE(form.ButtonApply->isEnabled());

    // At the edges of the valid times the tick steps are refused too and the time stays valid.
    COneFile& leap = *TFormMain::FileOfRow(Row("leap.jpg"));
    leap.m_ftNew = FILETIME{0, 0};
    form.BitBtnSecondDown->click();
    EXPECT_EQ(Ticks(leap.m_ftNew), 0u);
    leap.m_ftNew = U64ToFileTime(static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) - 5);
    form.BitBtnDayUp->click();
    EXPECT_EQ(Ticks(leap.m_ftNew), static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) - 5);
    EXPECT_FALSE(Row("leap.jpg")->text(2).trimmed().isEmpty());
}

TEST_F(ShiftTest, AHeldButtonRepeatsAfterThreeSkippedTicks)
{
    Photo("a.jpg", 2006, 6, 15, 10, 0, 0);
    WriteSettings();
    TFormMain& form = Open();
    const COneFile& a = *TFormMain::FileOfRow(Row("a.jpg"));
    EXPECT_TRUE(form.TimerAutorepeat->isActive()) << "the timer runs from the start";
    form.TimerAutorepeatTimer();  // idle: no button held
    EXPECT_FALSE(form.m_bChanged);

    // The right button: the repeat runs, but its release is no click.
    Select({"a.jpg"});
    QTest::mousePress(form.BitBtnMinuteUp, Qt::RightButton);
    EXPECT_EQ(form.m_pHeldButton, form.BitBtnMinuteUp);
    EXPECT_TRUE(form.TimerAutorepeat->isActive());
    for (int i = 0; i < 3; ++i)
        form.TimerAutorepeatTimer();
    EXPECT_TRUE(a.m_ftNew == a.m_ftOriginal) << "three ticks are skipped";
    form.TimerAutorepeatTimer();
    form.TimerAutorepeatTimer();
    EXPECT_TRUE(a.m_ftNew == Local(2006, 6, 15, 10, 2, 0));
    QTest::mouseRelease(form.BitBtnMinuteUp, Qt::RightButton);
    EXPECT_EQ(form.m_pHeldButton, nullptr);
    EXPECT_FALSE(form.TimerAutorepeat->isActive());
    EXPECT_TRUE(a.m_ftNew == Local(2006, 6, 15, 10, 2, 0));

    // The left button released early: exactly one step, by its click.
    QTest::mousePress(form.BitBtnHourDown, Qt::LeftButton);
    form.TimerAutorepeatTimer();
    QTest::mouseRelease(form.BitBtnHourDown, Qt::LeftButton);
    EXPECT_TRUE(a.m_ftNew == Local(2006, 6, 15, 9, 2, 0));

    // The middle button, held: repeats; a later press starts the delay afresh.
    QTest::mousePress(form.BitBtnSecondDown, Qt::MiddleButton);
    for (int i = 0; i < 4; ++i)
        form.TimerAutorepeatTimer();
    EXPECT_TRUE(a.m_ftNew == Local(2006, 6, 15, 9, 1, 59));
    QTest::mouseRelease(form.BitBtnSecondDown, Qt::MiddleButton);
    EXPECT_EQ(form.m_nRepeatDelay, 3);

    // A disabled button does not start the repeat.
    form.ListViewFiles->clearSelection();
    QTest::mousePress(form.BitBtnDayUp, Qt::RightButton);
    EXPECT_EQ(form.m_pHeldButton, nullptr);
}

TEST_F(ShiftTest, TheRepeatStopsWhenTheMouseCanNoLongerReleaseTheButton)
{
    Photo("a.jpg", 2006, 6, 15, 10, 0, 0);
    WriteSettings();
    TFormMain& form = Open();
    const COneFile& a = *TFormMain::FileOfRow(Row("a.jpg"));
    Select({"a.jpg"});

    // The close question comes up while a button is held; the ticks while it shows and after
    // "Storno" step nothing.
    g_pfnMessageBoxHook = nullptr;
    form.m_bChanged = true;
    QTest::mousePress(form.BitBtnMinuteUp, Qt::RightButton);
    bool bSawBox = false;
    QTimer::singleShot(0, [&] {
        for (int i = 0; i < 6; ++i)
            form.TimerAutorepeatTimer();
        auto* pBox = QApplication::activeModalWidget();
        bSawBox = pBox != nullptr;
        for (QPushButton* pButton : pBox ? pBox->findChildren<QPushButton*>() : QList<QPushButton*>{})
            if (pButton->text() == QStringLiteral("Storno"))
                pButton->click();
    });
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(bSawBox);
    for (int i = 0; i < 6; ++i)
        form.TimerAutorepeatTimer();
    EXPECT_EQ(form.m_pHeldButton, nullptr);
    EXPECT_FALSE(form.TimerAutorepeat->isActive());
    EXPECT_TRUE(a.m_ftNew == a.m_ftOriginal);

    // The window loses the mouse to another one.
    QTest::mousePress(form.BitBtnHourUp, Qt::RightButton);
    QEvent deactivate(QEvent::WindowDeactivate);
    QCoreApplication::sendEvent(&form, &deactivate);
    EXPECT_EQ(form.m_pHeldButton, nullptr);

    // The held button is disabled (the selection went): it would never see its release.
    QTest::mousePress(form.BitBtnHourUp, Qt::RightButton);
    form.ListViewFiles->clearSelection();
    EXPECT_FALSE(form.BitBtnHourUp->isEnabled());
    EXPECT_EQ(form.m_pHeldButton, nullptr);
    Select({"a.jpg"});
    for (int i = 0; i < 6; ++i)
        form.TimerAutorepeatTimer();
    EXPECT_TRUE(a.m_ftNew == a.m_ftOriginal);
}

TEST_F(ShiftTest, TheButtonsWorkFromTheKeyboardAndAClickLeavesTheFocusInTheList)
{
    Photo("a.jpg", 2006, 6, 15, 10, 0, 0);
    WriteSettings();
    TFormMain& form = Open();
    const COneFile& a = *TFormMain::FileOfRow(Row("a.jpg"));
    form.activateWindow();
    QApplication::setActiveWindow(&form);
    Select({"a.jpg"});

    // Tab reaches a shift button and Space presses it.
    form.ListViewFiles->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 40 && !form.BitBtnHourUp->hasFocus(); ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_TRUE(form.BitBtnHourUp->hasFocus());
    QTest::keyClick(form.BitBtnHourUp, Qt::Key_Space);
    EXPECT_TRUE(a.m_ftNew == Local(2006, 6, 15, 11, 0, 0));

    // A click steps without taking the focus from the list, so arrow keys still move the rows.
    form.ListViewFiles->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(form.ListViewFiles->hasFocus());
    QTest::mouseClick(form.BitBtnMinuteUp, Qt::LeftButton);
    EXPECT_TRUE(a.m_ftNew == Local(2006, 6, 15, 11, 1, 0));
    EXPECT_TRUE(form.ListViewFiles->hasFocus());
}
