// The undo journal's file: what is appended reads back whole, damage costs only the damaged
// record, and pruning keeps the recent records.
#include "tx/UTxJournal.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

TxJournalRecord Record(std::int64_t nWhen, const std::string& command, std::uint64_t qwUndoes = 0)
{
    TxJournalRecord r;
    r.nWhen = nWhen;
    r.strCommand = command;
    r.qwUndoes = qwUndoes;
    TxJournalFile f;
    f.strPath = "/photos/" + command + ".jpg";
    f.stampBefore.qwDevice = 7;
    f.stampBefore.qwInode = 1234567890123ull;
    f.stampBefore.nWriteSec = -5;  // before 1970
    f.stampBefore.nWriteNsec = 999999999;
    f.bNewWriteTime = true;
    f.nNewWriteSec = 1700000000;
    f.ranges.push_back(TxJournalRange{0x1234, {'2', '0', '0', '6'}, {'2', '0', '0', '7'}});
    r.files.push_back(f);
    return r;
}

std::vector<BYTE> FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::vector<BYTE>& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(bytes.data()),
                                                                  std::streamsize(bytes.size()));
}

struct JournalTest : ::testing::Test {
    TempFolder dir;
    TxJournal journal{dir.File("state/velmora/journal")};
    std::string error;

    TxJournalContents ReadBack()
    {
        TxJournalContents c;
        EXPECT_TRUE(journal.Read(c, error)) << error;
        return c;
    }
};

}  // namespace

TEST_F(JournalTest, RecordsReadBackWholeWithIdsInOrder)
{
    EXPECT_TRUE(ReadBack().records.empty());  // no journal yet
    for (const char* command : {"a", "b", "c"}) {
        TxJournalRecord r = Record(100, command);
        ASSERT_TRUE(journal.Append(r, error)) << error;
    }
    const TxJournalContents c = ReadBack();
    ASSERT_EQ(c.records.size(), 3u);
    EXPECT_EQ(c.nSkippedParts, 0);
    const TxJournalRecord& r = c.records[2];
    EXPECT_EQ(r.qwId, 3u);
    EXPECT_EQ(r.strCommand, "c");
    ASSERT_EQ(r.files.size(), 1u);
    const TxJournalFile& f = r.files[0];
    const TxJournalFile expected = Record(100, "c").files[0];
    EXPECT_EQ(f.strPath, expected.strPath);
    EXPECT_EQ(f.stampBefore.qwInode, expected.stampBefore.qwInode);
    EXPECT_EQ(f.stampBefore.nWriteSec, -5);
    EXPECT_EQ(f.stampBefore.nWriteNsec, 999999999);
    EXPECT_TRUE(f.bNewWriteTime);
    ASSERT_EQ(f.ranges.size(), 1u);
    EXPECT_EQ(f.ranges[0].qwOffset, 0x1234u);
    EXPECT_EQ(f.ranges[0].abNew, expected.ranges[0].abNew);
}

// Each kind of damage leaves the sound records readable, and later appends still count.
TEST_F(JournalTest, DamageCostsOnlyTheDamagedRecord)
{
    struct Case {
        const char* name;
        void (*damage)(std::vector<BYTE>&, std::size_t nFrame);
        std::size_t nSound;
    };
    const Case cases[] = {
        {"cut in the last record", [](std::vector<BYTE>& b, std::size_t n) { b.resize(b.size() - n / 2); }, 2},
        {"byte flipped in the middle record", [](std::vector<BYTE>& b, std::size_t n) { b[n + n / 2] ^= 0x40; }, 2},
        {"length made huge", [](std::vector<BYTE>& b, std::size_t) { b[7] = 0xFF; }, 2},
        {"garbage in front", [](std::vector<BYTE>& b, std::size_t) { b.insert(b.begin(), 13, 'V'); }, 3},
        {"all gone but the magic", [](std::vector<BYTE>& b, std::size_t) { b.resize(4); }, 0},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        std::filesystem::remove(journal.Path());
        for (const char* command : {"a", "b", "c"}) {
            TxJournalRecord r = Record(100, command);
            ASSERT_TRUE(journal.Append(r, error)) << error;
        }
        std::vector<BYTE> bytes = FileBytes(journal.Path());
        test.damage(bytes, bytes.size() / 3);
        WriteBytes(journal.Path(), bytes);
        TxJournalContents c = ReadBack();
        EXPECT_EQ(c.records.size(), test.nSound);
        EXPECT_GT(c.qwSkippedBytes, 0u);
        EXPECT_GE(c.nSkippedParts, 1);
        TxJournalRecord next = Record(100, "d");
        ASSERT_TRUE(journal.Append(next, error)) << error;
        c = ReadBack();
        ASSERT_EQ(c.records.size(), test.nSound + 1);
        EXPECT_EQ(c.records.back().strCommand, "d");
    }
}

TEST_F(JournalTest, PruneKeepsRecentRecordsAndUndoneFollowsTheChain)
{
    TxJournalRecord old = Record(100, "old"), mid = Record(200, "mid"), undo = Record(300, "undo", 2),
                    redo = Record(400, "redo", 3);
    for (TxJournalRecord* r : {&old, &mid, &undo, &redo})
        ASSERT_TRUE(journal.Append(*r, error)) << error;
    // "mid" was played backwards, then that undo itself: "mid" stands again.
    TxJournalContents c = ReadBack();
    EXPECT_EQ(TxJournalUndone(c.records), (std::vector<bool>{false, false, true, false}));
    c.records.pop_back();
    EXPECT_EQ(TxJournalUndone(c.records), (std::vector<bool>{false, true, false}));

    int nRemoved = 0;
    ASSERT_TRUE(journal.Prune(200, nRemoved, error)) << error;
    EXPECT_EQ(nRemoved, 1);
    c = ReadBack();
    ASSERT_EQ(c.records.size(), 3u);
    EXPECT_EQ(c.records[0].strCommand, "mid");
    TxJournalRecord next = Record(500, "next");
    ASSERT_TRUE(journal.Append(next, error));
    EXPECT_EQ(next.qwId, 5u);
}

TEST_F(JournalTest, AppendFailsWithAReasonWhenTheFolderCannotBeMade)
{
    WriteBytes(dir.File("state"), {'x'});  // a file where the folder should be
    TxJournalRecord r = Record(100, "a");
    EXPECT_FALSE(journal.Append(r, error));
    EXPECT_NE(error.find("journal"), std::string::npos);
    EXPECT_NE(error.find("Not a directory"), std::string::npos) << error;
}

// $XDG_STATE_HOME/velmora/journal when it is an absolute path, else under ~/.local/state.
TEST(JournalPath, StateHomeElseLocalStateInTheHomeFolder)
{
    struct Saved {
        const char* name;
        std::string value;
        bool set;
    };
    Saved saved[] = {{"XDG_STATE_HOME", "", false}, {"HOME", "", false}};
    for (Saved& s : saved)
        if (const char* v = std::getenv(s.name))
            s.value = v, s.set = true;
    struct Case {
        const char* state;  // nullptr: unset
        const char* expected;
    };
    const Case cases[] = {{"/var/state", "/var/state/velmora/journal"},
                          {nullptr, "/home/ann/.local/state/velmora/journal"},
                          {"", "/home/ann/.local/state/velmora/journal"},
                          {"relative/state", "/home/ann/.local/state/velmora/journal"}};
    setenv("HOME", "/home/ann", 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state ? c.state : "(unset)");
        c.state ? setenv("XDG_STATE_HOME", c.state, 1) : unsetenv("XDG_STATE_HOME");
        EXPECT_EQ(TxJournal::DefaultPath(), c.expected);
    }
    for (const Saved& s : saved)
        s.set ? setenv(s.name, s.value.c_str(), 1) : unsetenv(s.name);
}
