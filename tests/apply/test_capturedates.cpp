// The photographs' own dates in the window: the EXIF date column, the rows whose file time and
// EXIF date differ, the question before Apply would replace a capture date, the marks of what
// Apply or a shift could not do, and the status line.
#include "ApplyFixture.h"

#include "app/Ulang.h"
#include "app/UlangList.h"
#include "app/UexifDateReader.h"
#include "exif/Uexif.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

#include <memory>

using exiftest::Bytes;

namespace {

constexpr int kExifColumn = 3;

}  // namespace

class CaptureDateTest : public ApplyFixture {
protected:
    // A photograph taken at the given EXIF time (all three tags) whose file time is nOffset
    // seconds later, as a copy from a card that kept or lost the camera's time.
    void Taken(const std::string& name, WORD wDay, WORD wHour, int nOffset)
    {
        char szDate[32];
        std::snprintf(szDate, sizeof szDate, "2011:01:%02d %02d:33:38", wDay % 100, wHour % 100);
        ExifPhoto(name, {szDate, szDate, szDate}, Shifted(Local(2011, 1, wDay, wHour, 33, 38), nOffset));
    }
    static FILETIME Shifted(FILETIME ft, int nSeconds)
    {
        AddSecondsTo(ft, nSeconds);
        return ft;
    }
    static void AddSecondsTo(FILETIME& ft, int nSeconds)
    {
        const std::uint64_t n = FileTimeToU64(ft) + std::uint64_t(std::int64_t(nSeconds) * 10'000'000);
        ft.dwLowDateTime = DWORD(n);
        ft.dwHighDateTime = DWORD(n >> 32);
    }
    TFormMain& OpenAndRead()
    {
        WriteSettings();
        TFormMain& form = Open();
        form.WaitForExifDates();
        return form;
    }
    static QString Status(const TFormMain& form) { return form.LabelStatus->text(); }
    static bool Marked(QTreeWidgetItem* pItem) { return !pItem->icon(0).isNull(); }
    void SelectAllAndHourUp(TFormMain& form)
    {
        form.ListViewFiles->selectAll();
        form.BitBtnHourUp->click();
    }
};

TEST_F(CaptureDateTest, TheColumnShowsWhatSetTimeFromExifWouldTakeOrAShortMark)
{
    ExifPhoto("dated.jpg", {"2006:01:01 00:00:00", "2005:07:14 09:05:00", ""}, Local(2020, 1, 1));
    ExifPhoto("datetime.jpg", {"2006:01:01 00:00:00", "    :  :     :  :  ", ""}, Local(2020, 1, 1));
    ExifPhoto("blank.jpg", {"", "    :  :     :  :  ", ""}, Local(2020, 1, 1));
    ExifPhoto("zero.jpg", {"0000:00:00 00:00:00", "0000:00:00 00:00:00", ""}, Local(2020, 1, 1));
    ExifPhoto("nodate.jpg", {"", "", "2006:01:01 00:00:00"}, Local(2020, 1, 1));
    PlainPhoto("plain.jpg", Local(2020, 1, 1));
    TFormMain& form = OpenAndRead();

    EXPECT_EQ(form.ListViewFiles->headerItem()->text(kExifColumn), QString::fromUtf8(kExifColumnText));
    const struct {
        const char* pszName;
        QString text;
    } kCases[] = {
        {"dated.jpg", Text(Local(2005, 7, 14, 9, 5, 0))},  // DateTimeOriginal first
        {"datetime.jpg", Text(Local(2006, 1, 1, 0, 0, 0))},  // else DateTime
        {"blank.jpg", QString::fromUtf8(kExifPlaceholderText)},
        {"zero.jpg", QString::fromUtf8(kExifPlaceholderText)},
        {"nodate.jpg", QString::fromUtf8(kExifNoDateText)},
        {"plain.jpg", QString::fromUtf8(kExifNoExifText)},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(Row(c.pszName)->text(kExifColumn), c.text) << c.pszName;
    EXPECT_EQ(Status(form), QStringLiteral("Souborů: 6, vybráno: 0, bez data v EXIF: 4"));
    Select({"dated.jpg", "plain.jpg"});
    EXPECT_EQ(Status(form), QStringLiteral("Souborů: 6, vybráno: 2, bez data v EXIF: 4"));

    // The fifth sort order: files without a date first, then by their EXIF date. The header
    // shows an order only once the list is sorted.
    EXPECT_FALSE(form.ListViewFiles->header()->isSortIndicatorShown());
    form.ListViewFiles->header()->sectionClicked(kExifColumn);
    const QStringList names = Column(0);
    EXPECT_EQ(names.mid(4), (QStringList{"dated.jpg", "datetime.jpg"}));
    EXPECT_EQ(form.m_nSortMode, SORT_BY_EXIF_DATE);
    EXPECT_EQ(form.ListViewFiles->header()->sortIndicatorSection(), kExifColumn);
    EXPECT_TRUE(form.ListViewFiles->header()->isSortIndicatorShown());
    form.ListViewFiles->header()->sectionClicked(0);
    form.ListViewFiles->header()->sectionClicked(0);
    EXPECT_EQ(form.ListViewFiles->header()->sortIndicatorSection(), 0);
    EXPECT_EQ(form.ListViewFiles->header()->sortIndicatorOrder(), Qt::DescendingOrder);
}

TEST_F(CaptureDateTest, RowsWhoseFileTimeIsMoreThanTwoSecondsFromTheExifDateAreMarked)
{
    const struct {
        const char* pszName;
        int nOffset;
        bool bMarked;
    } kCases[] = {
        {"same.jpg", 0, false}, {"fat.jpg", 2, false}, {"early.jpg", -2, false},
        {"three.jpg", 3, true}, {"before.jpg", -3, true}, {"copied.jpg", 86400 * 400, true},
    };
    for (const auto& c : kCases)
        Taken(c.pszName, 13, 14, c.nOffset);
    OpenAndRead();
    for (const auto& c : kCases) {
        QTreeWidgetItem* pRow = Row(c.pszName);
        EXPECT_EQ(pRow->toolTip(0) == QString::fromUtf8(kTimesDifferTip), c.bMarked) << c.pszName;
        EXPECT_EQ(pRow->foreground(kExifColumn) != QBrush(), c.bMarked) << c.pszName;
        EXPECT_EQ(pRow->text(kExifColumn), Text(Local(2011, 1, 13, 14, 33, 38))) << "the cell keeps its text";
        EXPECT_FALSE(Marked(pRow)) << "no Apply mark yet";
    }
}

// The road of a new user with photographs copied from a card: the file times are the time of
// copying, not the camera's.
TEST_F(CaptureDateTest, ByDefaultRowsWithUnrelatedTimesKeepTheirExifAndGetTheirFileTimes)
{
    Taken("a.jpg", 13, 14, 86400 * 700);
    Taken("b.jpg", 14, 15, 86400 * 700 + 17);
    ExifPhoto("blank.jpg", {"", "    :  :     :  :  ", ""}, Local(2026, 12, 9, 0, 45, 50));
    TFormMain& form = OpenAndRead();
    const Bytes a = Contents("a.jpg"), b = Contents("b.jpg"), blank = Contents("blank.jpg");

    SelectAllAndHourUp(form);
    form.CheckBoxDTOriginal->setChecked(true);
    form.ButtonApply->click();

    ASSERT_EQ(s_messages.size(), 1u) << "the question; no EXIF is written, so no warning";
    const ShownMessage& question = s_messages[0];
    EXPECT_EQ(question.buttons, MsgButtons::FileTimesExifCancel);
    EXPECT_EQ(question.strCaption, UiStrings[20]);
    EXPECT_NE(question.strText.find("U 3 souborů"), std::string::npos) << question.strText;
    const FILETIME ftNewA = TFormMain::FileOfRow(Row("a.jpg"))->m_ftOriginal;
    EXPECT_NE(question.strText.find("a.jpg: " + Text(Local(2011, 1, 13, 14, 33, 38)).toStdString() + " → " +
                                    Text(ftNewA).toStdString()),
              std::string::npos)
        << question.strText;
    EXPECT_NE(question.strText.find(std::string("blank.jpg: ") + kExifPlaceholderText + " → "), std::string::npos);

    EXPECT_EQ(Contents("a.jpg"), a);
    EXPECT_EQ(Contents("b.jpg"), b);
    EXPECT_EQ(Contents("blank.jpg"), blank) << "a placeholder is never filled without asking";
    EXPECT_EQ(LocalMtime(PathOf("blank.jpg")), "2026-12-09 01:45:50");
    EXPECT_EQ(Row("a.jpg")->text(kExifColumn), Text(Local(2011, 1, 13, 14, 33, 38)));
    EXPECT_FALSE(form.m_bChanged);
    EXPECT_EQ(Status(form), QStringLiteral("Souborů: 3, vybráno: 3, bez data v EXIF: 1   Zapsáno: 3"));

    // Their EXIF dates are still the way back: set from EXIF and shifted, no question.
    Select({"a.jpg", "b.jpg"});
    form.ButtonTimeFromExif->click();
    form.BitBtnHourUp->click();
    form.ButtonApply->click();
    ASSERT_EQ(s_messages.size(), 2u);
    ExpectMessage(s_messages[1], 33, 20, MsgButtons::OkCancel, MsgIcon::Exclamation);
    EXPECT_EQ(DateTexts(PathOf("a.jpg"))[1], "2011:01:13 15:33:38");
    EXPECT_EQ(LocalMtime(PathOf("a.jpg")), "2011-01-13 15:33:38");
    EXPECT_EQ(Row("a.jpg")->text(kExifColumn), Text(Local(2011, 1, 13, 15, 33, 38))) << "what the disk holds";
    EXPECT_EQ(Row("a.jpg")->toolTip(0), QString()) << "file time and EXIF date agree now";
    EXPECT_EQ(Contents("blank.jpg"), blank) << "without a date nothing was set from EXIF";
}

TEST_F(CaptureDateTest, TheAnswersExifTooAndCancel)
{
    Taken("a.jpg", 13, 14, 3600 * 5);
    TFormMain& form = OpenAndRead();
    const Bytes a = Contents("a.jpg");
    SelectAllAndHourUp(form);
    form.CheckBoxDT->setChecked(true);

    s_nCaptureDateAnswer = IDCANCEL;
    form.ButtonApply->click();
    EXPECT_EQ(s_messages.size(), 1u);
    EXPECT_EQ(Contents("a.jpg"), a);
    EXPECT_EQ(LocalMtime(PathOf("a.jpg")), "2011-01-13 19:33:38");
    EXPECT_TRUE(form.m_bChanged);

    s_nCaptureDateAnswer = IDEXIFTOO;
    form.ButtonApply->click();
    ASSERT_EQ(s_messages.size(), 3u) << "the question, then the warning";
    ExpectMessage(s_messages[2], 33, 20, MsgButtons::OkCancel, MsgIcon::Exclamation);
    EXPECT_EQ(DateTexts(PathOf("a.jpg")),
              (std::vector<std::string>{"2011:01:13 20:33:38", "2011:01:13 14:33:38", "2011:01:13 14:33:38"}));
    EXPECT_EQ(LocalMtime(PathOf("a.jpg")), "2011-01-13 20:33:38");
    EXPECT_EQ(Row("a.jpg")->text(kExifColumn), Text(Local(2011, 1, 13, 14, 33, 38))) << "DateTimeOriginal first";
}

TEST_F(CaptureDateTest, NothingNewIsAskedWhenTheFileTimesAreTheExifDatesOrNoTickedTagIsInTheFile)
{
    Taken("a.jpg", 13, 14, 0);
    Taken("b.jpg", 14, 15, 2);
    ExifPhoto("nooriginal.jpg", {"2006:01:01 00:00:00", "", ""}, Local(2020, 1, 1));
    PlainPhoto("plain.jpg", Local(2020, 1, 1));
    TFormMain& form = OpenAndRead();
    SelectAllAndHourUp(form);
    form.CheckBoxDTOriginal->setChecked(true);
    form.ButtonApply->click();
    ASSERT_EQ(s_messages.size(), 1u);
    ExpectMessage(s_messages[0], 33, 20, MsgButtons::OkCancel, MsgIcon::Exclamation);
    EXPECT_EQ(DateTexts(PathOf("a.jpg"))[1], "2011:01:13 15:33:38");
    EXPECT_EQ(DateTexts(PathOf("b.jpg"))[1], "2011:01:14 16:33:40") << "from the file time, 2 s on";
    EXPECT_EQ(DateTexts(PathOf("nooriginal.jpg"))[0], "2006:01:01 00:00:00");
}

TEST_F(CaptureDateTest, WithTheDefaultAnswerOnlyTheRowsAtRiskKeepTheirExif)
{
    Taken("derived.jpg", 13, 14, 0);
    Taken("copied.jpg", 14, 15, 86400);
    TFormMain& form = OpenAndRead();
    SelectAllAndHourUp(form);
    form.CheckBoxDTOriginal->setChecked(true);
    form.ButtonApply->click();
    ASSERT_EQ(s_messages.size(), 2u) << "the question, and the warning for the other row";
    EXPECT_NE(s_messages[0].strText.find("U 1 souboru"), std::string::npos) << s_messages[0].strText;
    EXPECT_EQ(s_messages[0].strText.find("derived.jpg"), std::string::npos);
    EXPECT_EQ(DateTexts(PathOf("derived.jpg"))[1], "2011:01:13 15:33:38");
    EXPECT_EQ(DateTexts(PathOf("copied.jpg"))[1], "2011:01:14 15:33:38");
    EXPECT_EQ(LocalMtime(PathOf("copied.jpg")), "2011-01-15 16:33:38");
}

TEST_F(CaptureDateTest, TheQuestionListsTheFirstFiveAndCountsTheRest)
{
    for (int i = 0; i < 8; ++i)
        Taken("p" + std::to_string(i) + ".jpg", WORD(10 + i), 12, 600);
    TFormMain& form = OpenAndRead();
    SelectAllAndHourUp(form);
    form.CheckBoxDTOriginal->setChecked(true);
    s_nCaptureDateAnswer = IDCANCEL;
    form.ButtonApply->click();
    ASSERT_EQ(s_messages.size(), 1u);
    const std::string& text = s_messages[0].strText;
    int nLines = 0;
    for (std::size_t n = text.find(" → "); n != std::string::npos; n = text.find(" → ", n + 1))
        ++nLines;
    EXPECT_EQ(nLines, 5);
    EXPECT_NE(text.find("U 8 souborů"), std::string::npos);
    EXPECT_NE(text.find("… a další (3)"), std::string::npos) << text;
}

TEST_F(CaptureDateTest, RowsShowWhatApplyCouldNotDoUntilTheyAreWrittenShiftedOrRescanned)
{
    ExifPhoto("nodigitized.jpg", {"2011:01:13 14:33:38", "2011:01:13 14:33:38", ""}, Local(2011, 1, 13, 14, 33, 38));
    ExifPhoto("gone.jpg", {"2011:01:13 14:33:38", "2011:01:13 14:33:38", ""}, Local(2011, 1, 13, 14, 33, 38));
    PlainPhoto("ok.jpg", Local(2011, 1, 13, 14, 33, 38));
    TFormMain& form = OpenAndRead();
    SelectAllAndHourUp(form);
    std::filesystem::remove(PathOf("gone.jpg"));
    form.CheckBoxDTDigitized->setChecked(true);
    form.ButtonApply->click();

    const QString missing = QStringLiteral("Soubor nemá tag DateTimeDigitized.");
    EXPECT_TRUE(Marked(Row("nodigitized.jpg")));
    EXPECT_EQ(Row("nodigitized.jpg")->toolTip(0), missing + "\n" + QString::fromUtf8(kTimesDifferTip))
        << "and its file time no longer agrees with its EXIF date";
    EXPECT_EQ(Row("nodigitized.jpg")->text(2), QStringLiteral(" ")) << "its file time was written";
    EXPECT_TRUE(Marked(Row("gone.jpg")));
    EXPECT_NE(Row("gone.jpg")->toolTip(1).indexOf(QString::fromUtf8(kMarkTimeNotWritten)), -1)
        << Row("gone.jpg")->toolTip(1).toStdString();
    EXPECT_TRUE(Marked(Row("ok.jpg"))) << "a ticked tag in a file without EXIF";
    EXPECT_EQ(Row("ok.jpg")->toolTip(0), QString::fromUtf8(kMarkNoExif));
    EXPECT_NE(Status(form).indexOf(QStringLiteral("Zapsáno: 2, nezapsáno: 1 (viz označené řádky)")), -1)
        << Status(form).toStdString();

    // Written again without the tag: the mark goes.
    form.CheckBoxDTDigitized->setChecked(false);
    Select({"nodigitized.jpg"});
    form.BitBtnHourUp->click();
    EXPECT_FALSE(Marked(Row("nodigitized.jpg"))) << "shifted";
    form.ButtonApply->click();
    EXPECT_FALSE(Marked(Row("nodigitized.jpg")));
    EXPECT_TRUE(Marked(Row("gone.jpg")));
    form.RescanFolder();
    EXPECT_TRUE(s_messages.empty() || s_messages.back().strText == UiStrings[22]);
    EXPECT_FALSE(Marked(Row("ok.jpg"))) << "rescanned";
}

TEST_F(CaptureDateTest, AMonthStepThatDoesNotExistIsMarkedUntilTheNextStep)
{
    PlainPhoto("jan31.jpg", Local(2011, 1, 31, 10, 0, 0));
    PlainPhoto("jan30.jpg", Local(2011, 1, 30, 10, 0, 0));
    TFormMain& form = OpenAndRead();
    form.ListViewFiles->selectAll();
    form.BitBtnMonthUp->click();
    EXPECT_TRUE(Marked(Row("jan31.jpg")));
    EXPECT_EQ(Row("jan31.jpg")->toolTip(0), QString::fromUtf8(kMarkStepRefused));
    EXPECT_EQ(Row("jan31.jpg")->text(2), QStringLiteral(" ")) << "the designed cell";
    EXPECT_TRUE(Marked(Row("jan30.jpg"))) << "no 30 February either";
    form.BitBtnDayDown->click();
    EXPECT_FALSE(Marked(Row("jan31.jpg")));
}

TEST_F(CaptureDateTest, DatesOfAnEarlierScanAreDroppedAndAnApplyReadIsNotOverwritten)
{
    Taken("a.jpg", 13, 14, 0);
    TFormMain& form = OpenAndRead();
    const ExifDateInfo before = TFormMain::FileOfRow(Row("a.jpg"))->m_exif;
    ASSERT_TRUE(before.HasDate());

    ExifDateInfo stale;
    stale.state = ExifDateState::NoExif;
    std::vector<ExifDateResult> results{{0, stale}};
    PostExifDates(&form, 12345, std::move(results));  // a generation this list never had
    form.WaitForExifDates();
    EXPECT_EQ(Row("a.jpg")->text(kExifColumn), Text(Local(2011, 1, 13, 14, 33, 38)));
    EXPECT_EQ(TFormMain::FileOfRow(Row("a.jpg"))->m_exif.state, ExifDateState::Date);
}
