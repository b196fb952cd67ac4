// Reference files and time from EXIF.
#include "ApplyFixture.h"

#include "app/Ulang.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

class RefsTest : public ApplyFixture {
protected:
    static QString Label(const char* pszName, const FILETIME& ftOriginal)
    {
        return QString::fromUtf8(pszName) + " - " + Text(ftOriginal);
    }
    static QString Label(const char* pszName, const FILETIME& ftOriginal, const FILETIME& ftNew)
    {
        return Label(pszName, ftOriginal) + " - " + Text(ftNew);
    }
};

TEST_F(RefsTest, LabelsFollowTheMarkedRowThroughShiftAndApplyAndOutliveARescan)
{
    const FILETIME ftA = Local(2006, 12, 24, 17, 5, 9), ftB = Local(2006, 6, 1, 8, 0, 0);
    const FILETIME ftB1 = Local(2006, 6, 1, 9, 0, 0);
    PlainPhoto("a.jpg", ftA);
    PlainPhoto("b.jpg", ftB);
    WriteSettings();
    TFormMain& form = Open();
    EXPECT_EQ(form.LabelRefFile1->text(), QStringLiteral("-"));
    COneFile& a = *TFormMain::FileOfRow(Row("a.jpg"));
    COneFile& b = *TFormMain::FileOfRow(Row("b.jpg"));

    // Without a selected row the buttons do nothing.
    form.ButtonRefFile1Click();
    EXPECT_EQ(form.LabelRefFile1->text(), QStringLiteral("-"));

    Select({"a.jpg"});
    form.ButtonRefFile1->click();
    EXPECT_EQ(form.LabelRefFile1->text(), Label("a.jpg", ftA));
    // Marking another row moves the mark; one row may carry both marks.
    Select({"b.jpg"});
    form.ButtonRefFile1->click();
    form.ButtonRefFile2->click();
    EXPECT_EQ(a.m_dwFlags, 0u);
    EXPECT_EQ(b.m_dwFlags, kRefFile1 | kRefFile2);
    EXPECT_EQ(form.LabelRefFile1->text(), Label("b.jpg", ftB));
    EXPECT_FALSE(form.m_bChanged) << "marking changes nothing to save";

    form.BitBtnHourUp->click();
    EXPECT_EQ(form.LabelRefFile1->text(), Label("b.jpg", ftB, ftB1));
    EXPECT_EQ(form.LabelRefFile2->text(), Label("b.jpg", ftB, ftB1));
    form.BitBtnHourDown->click();
    EXPECT_EQ(form.LabelRefFile2->text(), Label("b.jpg", ftB));

    // Applied, the new time is the original time and the only one shown.
    form.BitBtnHourUp->click();
    form.ButtonApply->click();
    EXPECT_EQ(form.LabelRefFile1->text(), Label("b.jpg", ftB1));
    EXPECT_EQ(form.LabelRefFile2->text(), Label("b.jpg", ftB1));

    // A rescan drops the marks; the labels keep their last texts and no longer follow.
    form.ScanFolder();
    Select({"b.jpg"});
    EXPECT_EQ(TFormMain::FileOfRow(Row("b.jpg"))->m_dwFlags, 0u);
    form.BitBtnHourUp->click();
    EXPECT_EQ(form.LabelRefFile1->text(), Label("b.jpg", ftB1));
    EXPECT_EQ(form.LabelRefFile2->text(), Label("b.jpg", ftB1));
}

TEST_F(RefsTest, TimeFromExifSetsEverySelectedRowAndSpeaksOnlyForASingleRow)
{
    const FILETIME ftFile = Local(2010, 3, 1, 12, 0, 0);
    ExifPhoto("original.jpg", {"2006:01:01 00:00:00", "2005:07:14 09:05:00", ""}, ftFile);
    ExifPhoto("blank.jpg", {"2006:01:01 00:00:00", "    :  :     :  :  ", ""}, ftFile);
    ExifPhoto("nodate.jpg", {"", "", ""}, ftFile);
    PlainPhoto("plain.jpg", ftFile);
    WriteSettings();
    TFormMain& form = Open();

    // No row selected: nothing happens.
    form.ButtonTimeFromExifClick();
    EXPECT_FALSE(form.m_bChanged);

    // Three rows, one without EXIF: the others take their dates, nothing is said, and the
    // label of a marked row follows.
    Select({"original.jpg"});
    form.ButtonRefFile1->click();
    Select({"original.jpg", "blank.jpg", "plain.jpg"});
    form.ButtonTimeFromExif->click();
    EXPECT_TRUE(s_messages.empty());
    EXPECT_EQ(Row("original.jpg")->text(2), Text(Local(2005, 7, 14, 9, 5, 0)));
    EXPECT_EQ(Row("blank.jpg")->text(2), Text(Local(2006, 1, 1, 0, 0, 0))) << "DateTime when DateTimeOriginal is blank";
    EXPECT_EQ(Row("plain.jpg")->text(2), QStringLiteral(" "));
    EXPECT_TRUE(form.ButtonApply->isEnabled());
    EXPECT_EQ(form.LabelRefFile1->text(), Label("original.jpg", ftFile, Local(2005, 7, 14, 9, 5, 0)));

    // A single row without EXIF: the notice, and nothing changes.
    form.ScanFolder();
    Select({"plain.jpg"});
    form.ButtonTimeFromExif->click();
    ASSERT_EQ(s_messages.size(), 1u);
    ExpectMessage(s_messages[0], 23, 24, MsgButtons::Ok, MsgIcon::None);
    EXPECT_FALSE(form.m_bChanged);
    EXPECT_FALSE(form.ButtonApply->isEnabled());

    // EXIF data without a usable date: silence, even for a single row.
    Select({"nodate.jpg"});
    form.ButtonTimeFromExif->click();
    EXPECT_EQ(s_messages.size(), 1u);
    EXPECT_FALSE(form.m_bChanged);
}

TEST_F(RefsTest, AnExifTimeEqualToTheFileTimeIsShownAndNotWritten)
{
    const FILETIME ftTaken = Local(2005, 7, 14, 9, 5, 0);
    ExifPhoto("same.jpg", {"", "2005:07:14 09:05:00", ""}, ftTaken);
    WriteSettings();
    TFormMain& form = Open();
    const exiftest::Bytes before = Contents("same.jpg");

    Select({"same.jpg"});
    form.ButtonTimeFromExif->click();
    EXPECT_EQ(Row("same.jpg")->text(2), Text(ftTaken)) << "the time, not a blank";
    EXPECT_TRUE(form.ButtonApply->isEnabled());
    form.CheckBoxDTOriginal->setChecked(true);
    form.ButtonApply->click();
    EXPECT_EQ(s_messages.size(), 1u) << "the warning only";
    EXPECT_EQ(Contents("same.jpg"), before);
    EXPECT_FALSE(form.m_bChanged);
}
