// Apply keeps the undo journal: one record of every file it is about to change, written before
// any file changes; a journal that cannot be written stops Apply with nothing changed.
#include "ApplyFixture.h"

#include "app/Ulang.h"
#include "tx/UTxJournal.h"

#include <QCheckBox>
#include <QPushButton>
#include <QToolButton>

#include <cstdlib>

namespace {

// XDG_STATE_HOME for the time of one test.
class StateHome {
public:
    explicit StateHome(const std::string& strFolder)
    {
        const char* pszOld = std::getenv("XDG_STATE_HOME");
        m_bHadOld = pszOld != nullptr;
        m_strOld = m_bHadOld ? pszOld : "";
        setenv("XDG_STATE_HOME", strFolder.c_str(), 1);
    }
    ~StateHome() { m_bHadOld ? setenv("XDG_STATE_HOME", m_strOld.c_str(), 1) : unsetenv("XDG_STATE_HOME"); }

private:
    bool m_bHadOld;
    std::string m_strOld;
};

const exiftest::CameraDates kDates{"2006:12:24 17:05:09", "2006:12:24 17:05:09", "2006:12:24 17:05:09"};

}  // namespace

using ApplyJournalTest = ApplyFixture;

TEST_F(ApplyJournalTest, ApplyRecordsEveryFileBeforeWritingAndStopsWhenItCannot)
{
    const FILETIME taken = Local(2006, 12, 24, 17, 5, 9);
    ExifPhoto("a.jpg", kDates, taken);
    PlainPhoto("plain.jpg", taken);
    WriteSettings();
    TFormMain& form = Open();
    const exiftest::Bytes a = Contents("a.jpg"), plain = Contents("plain.jpg");
    TempFolder state;

    // A file where the journal's folder would be: nothing is written, the rows stay changed.
    state.Write("velmora", "x");
    StateHome home(state.Path());
    SelectAndShift({"a.jpg", "plain.jpg"}, form.BitBtnHourUp);
    form.CheckBoxDTOriginal->setChecked(true);
    s_nAnswer = IDOK;
    form.ButtonApply->click();
    ASSERT_EQ(s_messages.size(), 2u);
    EXPECT_EQ(s_messages[1].icon, MsgIcon::Error);
    EXPECT_EQ(s_messages[1].strText.rfind(kJournalFailedText, 0), 0u);
    EXPECT_NE(s_messages[1].strText.find(state.File("velmora")), std::string::npos);
    EXPECT_EQ(Contents("a.jpg"), a);
    EXPECT_EQ(LocalMtime(PathOf("a.jpg")), "2006-12-24 17:05:09");
    EXPECT_EQ(LocalMtime(PathOf("plain.jpg")), "2006-12-24 17:05:09");
    EXPECT_TRUE(form.m_bChanged);
    EXPECT_TRUE(form.ButtonApply->isEnabled());

    // With a journal: one record holds both files, the date's old and new bytes, and the old
    // and new time stamps.
    std::filesystem::remove(state.File("velmora"));
    form.ButtonApply->click();
    EXPECT_FALSE(form.m_bChanged);
    TxJournalContents contents;
    std::string strError;
    ASSERT_TRUE(TxJournal(state.File("velmora/journal")).Read(contents, strError)) << strError;
    ASSERT_EQ(contents.records.size(), 1u);
    const TxJournalRecord& record = contents.records[0];
    EXPECT_EQ(record.strCommand, "Apply " + Photos());
    ASSERT_EQ(record.files.size(), 2u);
    for (const TxJournalFile& file : record.files) {
        SCOPED_TRACE(file.strPath);
        EXPECT_TRUE(file.bNewWriteTime);
        EXPECT_EQ(file.nNewWriteSec - file.stampBefore.nWriteSec, 3600);
        const bool bExif = file.strPath == PathOf("a.jpg");
        EXPECT_EQ(file.strPath, PathOf(bExif ? "a.jpg" : "plain.jpg"));
        ASSERT_EQ(file.ranges.size(), bExif ? 1u : 0u);
        if (bExif) {
            const TxJournalRange& range = file.ranges[0];
            EXPECT_EQ(std::string(range.abOld.begin(), range.abOld.end()), "2006:12:24 17:05:09");
            EXPECT_EQ(std::string(range.abNew.begin(), range.abNew.end()), "2006:12:24 18:05:09");
            EXPECT_TRUE(std::equal(range.abOld.begin(), range.abOld.end(), a.begin() + long(range.qwOffset)));
        }
    }
}
