// Apply: time stamps of every changed row, the EXIF date texts when asked, the one-time warning,
// and rows that cannot be written.
#include "ApplyFixture.h"
#include "ReceivedLog.h"
#include "TimeZoneGuard.h"

#include "app/Ulang.h"
#include "exif/Uexif.h"

#include <QCheckBox>
#include <QPushButton>
#include <QToolButton>

#include <memory>

using exiftest::Bytes;
namespace fs = std::filesystem;

class ApplyTest : public ApplyFixture {
protected:
    const FILETIME kTaken = Local(2006, 12, 24, 17, 5, 9);
};

namespace {

const exiftest::CameraDates kDates{"2006:12:24 17:05:09", "2006:12:24 17:05:09", "2006:12:24 17:05:09"};

// The positions where two files of the same length differ span at most one date text.
void ExpectOnlyOneDateTextChanged(const Bytes& before, const Bytes& after)
{
    ASSERT_EQ(before.size(), after.size());
    std::size_t nFirst = before.size(), nLast = 0;
    for (std::size_t i = 0; i < before.size(); ++i)
        if (before[i] != after[i])
            nFirst = std::min(nFirst, i), nLast = i;
    ASSERT_LT(nFirst, before.size()) << "nothing changed";
    EXPECT_LT(nLast - nFirst, 19u);
}

}  // namespace

TEST_F(ApplyTest, WithoutEXIFOnlyTheTimeStampsOfEveryChangedRowChange)
{
    ExifPhoto("a.jpg", kDates, kTaken);
    ExifPhoto("b.jpg", kDates, kTaken);
    PlainPhoto("c.txt.jpg", kTaken);
    WriteSettings();
    TFormMain& form = Open();
    const Bytes a = Contents("a.jpg"), b = Contents("b.jpg"), c = Contents("c.txt.jpg");
    const fs::perms mode = Mode(PathOf("a.jpg"));

    SelectAndShift({"a.jpg"}, form.BitBtnHourUp);
    SelectAndShift({"c.txt.jpg"}, form.BitBtnDayUp);
    Select({"b.jpg"});  // the changed rows are not selected, the selected one is unchanged
    form.ButtonApply->click();

    EXPECT_TRUE(s_messages.empty()) << "no EXIF wanted, no warning";
    EXPECT_EQ(Contents("a.jpg"), a);
    EXPECT_EQ(Contents("b.jpg"), b);
    EXPECT_EQ(Contents("c.txt.jpg"), c);
    EXPECT_EQ(LocalMtime(PathOf("a.jpg")), "2006-12-24 18:05:09");
    EXPECT_EQ(LocalMtime(PathOf("b.jpg")), "2006-12-24 17:05:09");
    EXPECT_EQ(LocalMtime(PathOf("c.txt.jpg")), "2006-12-25 17:05:09");
    EXPECT_EQ(Mode(PathOf("a.jpg")), mode);

    // Written rows are unchanged now: the new time is their original time.
    EXPECT_EQ(Row("a.jpg")->text(1), Text(Local(2006, 12, 24, 18, 5, 9)));
    EXPECT_EQ(Row("a.jpg")->text(2), QStringLiteral(" "));
    EXPECT_EQ(Row("c.txt.jpg")->text(2), QStringLiteral(" "));
    EXPECT_FALSE(TFormMain::FileOfRow(Row("c.txt.jpg"))->IsChanged());
    EXPECT_FALSE(form.m_bChanged);
    EXPECT_FALSE(form.ButtonApply->isEnabled());
}

TEST_F(ApplyTest, TheWarningComesOnceAndCancelLeavesEverythingAsItWas)
{
    ExifPhoto("a.jpg", kDates, kTaken);
    PlainPhoto("plain.jpg", kTaken);
    WriteSettings();
    TFormMain& form = Open();
    const Bytes before = Contents("a.jpg"), plain = Contents("plain.jpg");

    SelectAndShift({"a.jpg", "plain.jpg"}, form.BitBtnHourUp);
    form.CheckBoxDTOriginal->setChecked(true);
    s_nAnswer = IDCANCEL;
    form.ButtonApply->click();
    ASSERT_EQ(s_messages.size(), 1u);
    ExpectMessage(s_messages[0], 33, 20, MsgButtons::OkCancel, MsgIcon::Exclamation);
    EXPECT_EQ(Contents("a.jpg"), before);
    EXPECT_EQ(LocalMtime(PathOf("a.jpg")), "2006-12-24 17:05:09");
    EXPECT_EQ(Row("a.jpg")->text(2), Text(Local(2006, 12, 24, 18, 5, 9)));
    EXPECT_TRUE(form.m_bChanged);
    EXPECT_TRUE(form.ButtonApply->isEnabled());

    // Accepted: DateTimeOriginal alone takes the new time, 19 bytes in place; a file without
    // EXIF data gets its time stamp all the same, and the debug log says why nothing else.
    ReceivedLog log;
    s_nAnswer = IDOK;
    form.ButtonApply->click();
    EXPECT_EQ(s_messages.size(), 2u);
    ExpectOnlyOneDateTextChanged(before, Contents("a.jpg"));
    EXPECT_EQ(DateTexts(PathOf("a.jpg")),
              (std::vector<std::string>{"2006:12:24 17:05:09", "2006:12:24 18:05:09", "2006:12:24 17:05:09"}));
    EXPECT_EQ(LocalMtime(PathOf("a.jpg")), "2006-12-24 18:05:09");
    EXPECT_EQ(Contents("plain.jpg"), plain);
    EXPECT_EQ(LocalMtime(PathOf("plain.jpg")), "2006-12-24 18:05:09");
    EXPECT_TRUE(log.Has("Cannot read EXIF from " + PathOf("plain.jpg")));
    EXPECT_FALSE(form.m_bChanged);

    // Not asked again in this run, whatever boxes are ticked.
    SelectAndShift({"a.jpg"}, form.BitBtnHourUp);
    form.CheckBoxDT->setChecked(true);
    form.CheckBoxDTDigitized->setChecked(true);
    form.ButtonApply->click();
    EXPECT_EQ(s_messages.size(), 2u);
    EXPECT_EQ(DateTexts(PathOf("a.jpg")),
              (std::vector<std::string>{"2006:12:24 19:05:09", "2006:12:24 19:05:09", "2006:12:24 19:05:09"}));
    EXPECT_EQ(Contents("a.jpg").size(), before.size());
    EXPECT_EQ(LocalMtime(PathOf("a.jpg")), "2006-12-24 19:05:09");
}

TEST_F(ApplyTest, AReadOnlyFileGetsItsTimeAndKeepsItsMode)
{
    ExifPhoto("ro.jpg", kDates, kTaken);
    PlainPhoto("ro2.jpg", kTaken);
    const fs::perms readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    fs::permissions(PathOf("ro.jpg"), readOnly);
    fs::permissions(PathOf("ro2.jpg"), readOnly | fs::perms::owner_exec);
    WriteSettings();
    TFormMain& form = Open();
    const Bytes before = Contents("ro.jpg");

    SelectAndShift({"ro.jpg", "ro2.jpg"}, form.BitBtnMinuteUp);
    form.ButtonApply->click();
    EXPECT_EQ(LocalMtime(PathOf("ro.jpg")), "2006-12-24 17:06:09");
    EXPECT_EQ(LocalMtime(PathOf("ro2.jpg")), "2006-12-24 17:06:09");
    EXPECT_EQ(Mode(PathOf("ro.jpg")), readOnly);
    EXPECT_EQ(Mode(PathOf("ro2.jpg")), readOnly | fs::perms::owner_exec);
    EXPECT_EQ(Contents("ro.jpg"), before);
    EXPECT_FALSE(form.m_bChanged);

    // With EXIF wanted the mode stays as well, and the time stamp is written.
    form.CheckBoxDT->setChecked(true);
    SelectAndShift({"ro.jpg"}, form.BitBtnMinuteUp);
    form.ButtonApply->click();
    EXPECT_EQ(LocalMtime(PathOf("ro.jpg")), "2006-12-24 17:07:09");
    EXPECT_EQ(Mode(PathOf("ro.jpg")), readOnly);
    EXPECT_EQ(Contents("ro.jpg").size(), before.size());
}

TEST_F(ApplyTest, RowsThatCannotBeWrittenKeepTheirNewTimeAndTheWindowItsUnsavedChanges)
{
    TimeZoneGuard prague("Europe/Prague");  // east of Greenwich: 1601-01-01 00:00 has no UTC time
    ExifPhoto("ok.jpg", kDates, kTaken);
    ExifPhoto("gone.jpg", kDates, kTaken);
    PlainPhoto("folder.jpg", kTaken);
    ExifPhoto("early.jpg", kDates, kTaken);
    const Bytes earlyBefore = Contents("early.jpg");
    WriteSettings();
    TFormMain& form = Open();
    SelectAndShift({"ok.jpg", "gone.jpg", "folder.jpg"}, form.BitBtnHourUp);
    // A new time before the first valid UTC time (no button goes there in one step).
    TFormMain::FileOfRow(Row("early.jpg"))->m_ftNew = Local(1601, 1, 1, 0, 0, 0);

    // After the scan one file is deleted and another is replaced by a folder.
    fs::remove(PathOf("gone.jpg"));
    fs::remove(PathOf("folder.jpg"));
    fs::create_directory(PathOf("folder.jpg"));
    const fs::perms folderMode = Mode(PathOf("folder.jpg"));
    const QString newTime = Text(Local(2006, 12, 24, 18, 5, 9));

    form.CheckBoxDTOriginal->setChecked(true);
    form.ButtonApply->click();
    EXPECT_EQ(s_messages.size(), 1u) << "only the EXIF warning; failures are not reported";
    EXPECT_EQ(LocalMtime(PathOf("ok.jpg")), "2006-12-24 18:05:09");
    EXPECT_EQ(Row("ok.jpg")->text(2), QStringLiteral(" "));
    EXPECT_EQ(Row("gone.jpg")->text(2), newTime);
    EXPECT_EQ(Row("folder.jpg")->text(2), newTime);
    EXPECT_TRUE(TFormMain::FileOfRow(Row("gone.jpg"))->IsChanged());
    EXPECT_EQ(Mode(PathOf("folder.jpg")), folderMode);
    EXPECT_FALSE(fs::exists(PathOf("gone.jpg"))) << "nothing is created";
    EXPECT_EQ(LocalMtime(PathOf("early.jpg")), "2006-12-24 17:05:09");
    EXPECT_EQ(Contents("early.jpg"), earlyBefore) << "not its EXIF dates either";
    EXPECT_TRUE(TFormMain::FileOfRow(Row("early.jpg"))->IsChanged());
    // Not reported as success: Apply stays enabled and closing still asks.
    EXPECT_TRUE(form.m_bChanged);
    EXPECT_TRUE(form.ButtonApply->isEnabled());
    s_nAnswer = IDCANCEL;
    EXPECT_FALSE(form.close());
    ASSERT_EQ(s_messages.size(), 2u);
    EXPECT_EQ(s_messages[1].strText, UiStrings[19]);

    // Once the folder is a file again, the next Apply writes it; the deleted one still waits.
    fs::remove(PathOf("folder.jpg"));
    PlainPhoto("folder.jpg", kTaken);
    form.ButtonApply->click();
    EXPECT_EQ(LocalMtime(PathOf("folder.jpg")), "2006-12-24 18:05:09");
    EXPECT_TRUE(form.m_bChanged);
}

TEST_F(ApplyTest, SummerAndWinterTimesReachTheFilesAsTheListShowsThem)
{
    TimeZoneGuard prague("Europe/Prague");
    const FILETIME ftScanned = Local(2010, 3, 1, 12, 0, 0);
    ExifPhoto("summer.jpg", {"", "2006:07:14 10:00:00", ""}, ftScanned);
    ExifPhoto("winter.jpg", {"", "2007:01:20 08:30:00", ""}, ftScanned);
    WriteSettings();
    TFormMain& form = Open();

    Select({"summer.jpg", "winter.jpg"});
    form.ButtonTimeFromExif->click();
    const QString summerText = Row("summer.jpg")->text(2);
    const QString winterText = Row("winter.jpg")->text(2);
    form.ButtonApply->click();
    ASSERT_FALSE(form.m_bChanged);

    // The moment the pictures were taken, as ls -l and the file list show it, in either season.
    EXPECT_EQ(LocalMtime(PathOf("summer.jpg")), "2006-07-14 10:00:00");
    EXPECT_EQ(LocalMtime(PathOf("winter.jpg")), "2007-01-20 08:30:00");
    form.ScanFolder();
    EXPECT_EQ(Row("summer.jpg")->text(1), summerText);
    EXPECT_EQ(Row("winter.jpg")->text(1), winterText);
    EXPECT_EQ(Calendar(TFormMain::FileOfRow(Row("summer.jpg"))->m_ftOriginal), "2006-07-14 10:00:00");
}

TEST_F(ApplyTest, ASmallShiftInTheHourShownTwiceStaysSmall)
{
    // 29 October 2006 in Prague: 00:30 and 01:30 UTC both show as 02:30. A second added to
    // either moves that file by a second, not by an hour.
    TimeZoneGuard prague("Europe/Prague");
    const FILETIME ftFirstUtc = Local(2006, 10, 29, 0, 30, 0), ftSecondUtc = Local(2006, 10, 29, 1, 30, 0);
    for (const auto& [name, ftUtc] : {std::pair{"first.jpg", ftFirstUtc}, std::pair{"second.jpg", ftSecondUtc}}) {
        PlainPhoto(name, kTaken);
        ASSERT_TRUE(SetFileTimeByPath(PathOf(name).c_str(), nullptr, nullptr, &ftUtc));
    }
    WriteSettings();
    TFormMain& form = Open();
    EXPECT_EQ(Row("first.jpg")->text(1), Row("second.jpg")->text(1));

    SelectAndShift({"first.jpg", "second.jpg"}, form.BitBtnSecondUp);
    form.ButtonApply->click();
    EXPECT_FALSE(form.m_bChanged);
    FILETIME ftFirst{}, ftSecond{};
    ASSERT_TRUE(GetFileLastWriteTime(PathOf("first.jpg").c_str(), &ftFirst));
    ASSERT_TRUE(GetFileLastWriteTime(PathOf("second.jpg").c_str(), &ftSecond));
    EXPECT_EQ(Calendar(ftFirst), "2006-10-29 00:30:01");
    EXPECT_EQ(Calendar(ftSecond), "2006-10-29 01:30:01");
}

TEST_F(ApplyTest, AnExifRewriteThatCannotHappenNowLeavesTheRowToBeAppliedAgain)
{
    ExifPhoto("busy.jpg", kDates, kTaken);
    WriteSettings();
    TFormMain& form = Open();
    const Bytes before = Contents("busy.jpg");
    SelectAndShift({"busy.jpg"}, form.BitBtnHourUp);
    form.CheckBoxDTOriginal->setChecked(true);

    // Another reader (the preview, say) holds the file: its date texts cannot be rewritten now.
    // The file is left wholly as it was, time stamp included, so that the list still shows
    // what the disk holds; the row keeps its new time for the next Apply.
    const int hReader = FileOpen(PathOf("busy.jpg").c_str(), FileOpenMode::ReadExisting);
    ASSERT_NE(hReader, INVALID_FILE_HANDLE);
    form.ButtonApply->click();
    FileClose(hReader);
    EXPECT_EQ(Contents("busy.jpg"), before);
    EXPECT_EQ(LocalMtime(PathOf("busy.jpg")), "2006-12-24 17:05:09");
    EXPECT_TRUE(TFormMain::FileOfRow(Row("busy.jpg"))->IsChanged());
    EXPECT_EQ(TFormMain::FileOfRow(Row("busy.jpg"))->m_ftOriginal.dwLowDateTime, kTaken.dwLowDateTime);
    EXPECT_TRUE(form.ButtonApply->isEnabled());

    // Free again: the next Apply completes the row.
    form.ButtonApply->click();
    EXPECT_EQ(DateTexts(PathOf("busy.jpg"))[1], "2006:12:24 18:05:09");
    EXPECT_EQ(LocalMtime(PathOf("busy.jpg")), "2006-12-24 18:05:09");
    EXPECT_FALSE(form.m_bChanged);
}
