// TxFile: which failures raise, which are only logged, and the exact log records.
#include "ReceivedLog.h"
#include "TempFolder.h"
#include "platform/winfile.h"
#include "tx/UTxBase.h"
#include "tx/UTxDiskApi.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::string Message(const std::function<void()>& action)
{
    try {
        action();
    } catch (const ExNormal& e) {
        return e.Message();
    }
    return "<nothing raised>";
}

class TxFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_log.Connected());
        m_strPath = m_folder.Write("photo.jpg", std::string(1000, 'p'));
    }
    std::vector<std::string> Records() { return m_log.Texts(); }

    TempFolder m_folder;
    ReceivedLog m_log;
    std::string m_strPath;
};

}  // namespace

TEST_F(TxFileTest, MissingFileRaisesTheSystemTextAfterTwoRecords)
{
    const std::string missing = m_folder.File("missing.jpg");
    EXPECT_EQ(Message([&] { TxFile f(missing.c_str(), true, false); }), "No such file or directory");
    EXPECT_EQ(Records(), (std::vector<std::string>{
                             "TxFile::TxFile: File " + missing + " could not be open",
                             "Throwing exception: No such file or directory"}));

    // A path of 4000 characters is refused the same way, never overrunning anything.
    m_log.Clear();
    const std::string longPath = m_folder.Path() + "/" + std::string(4000, 'L');
    EXPECT_EQ(Message([&] { TxFile f(longPath.c_str(), false, true); }), "File name too long");
    ASSERT_EQ(Records().size(), 2u);
    // The record is cut to the log's buffer.
    const std::string full = "TxFile::TxFile: File " + longPath + " could not be open";
    EXPECT_EQ(Records()[0], full.substr(0, kLogBufferSize - 1 - 26));
}

TEST_F(TxFileTest, ReadsAtTheEndWithAndWithoutTheBoundCheck)
{
    TxFile f(m_strPath.c_str(), true, false);
    EXPECT_EQ(f.GetSize(), 1000u);
    f.Seek(990);
    char buffer[100];
    DWORD dwRead = 0;
    f.Read(buffer, 100, &dwRead);
    EXPECT_EQ(dwRead, 10u);
    EXPECT_EQ(f.GetPosition(), 1000u);

    f.SetCheckBounds(true);
    f.Seek(990);
    EXPECT_EQ(Message([&] { f.Read(buffer, 100); }), "Error reading file " + m_strPath + ".");
    EXPECT_EQ(f.GetPosition(), 990u);
    // A count that would wrap the 32-bit sum around is refused too.
    EXPECT_EQ(Message([&] { f.Read(buffer, 0xFFFFFFF8u); }), "Error reading file " + m_strPath + ".");
    EXPECT_EQ(Records(), (std::vector<std::string>{
                             "TxFile::Read: reading behind the end of file: " + m_strPath +
                                 ". dwCount=100, m_dwCurrentSize=1000, m_dwCurrentPos=990",
                             "TxFile::Read: reading behind the end of file: " + m_strPath +
                                 ". dwCount=-8, m_dwCurrentSize=1000, m_dwCurrentPos=990"}));
}

TEST_F(TxFileTest, WritesOverwriteInPlaceAndExtendAtTheEnd)
{
    {
        TxFile f(m_strPath.c_str(), false, false);
        f.Seek(100);
        f.Write("2006:12:24 17:05:09", 19);
        EXPECT_EQ(f.GetSize(), 1000u);
        EXPECT_EQ(f.GetPosition(), 119u);
        f.Seek(995);
        f.Write("0123456789", 10);
        EXPECT_EQ(f.GetSize(), 1005u);
        EXPECT_EQ(f.GetPosition(), 1005u);
    }
    const std::string contents = TempFolder::Read(m_strPath);
    EXPECT_EQ(contents.size(), 1005u);
    EXPECT_EQ(contents.substr(100, 19), "2006:12:24 17:05:09");
    EXPECT_EQ(contents.substr(119, 5), "ppppp");
    EXPECT_TRUE(Records().empty());

    { TxFile keep(m_strPath.c_str(), false, false); EXPECT_EQ(keep.GetSize(), 1005u); }
    { TxFile cut(m_strPath.c_str(), false, true); EXPECT_EQ(cut.GetSize(), 0u); }
    EXPECT_EQ(TempFolder::Read(m_strPath), "");
}

TEST_F(TxFileTest, WritingToAReadOnlyObjectIsOnlyLogged)
{
    TxFile f(m_strPath.c_str(), true, false);
    f.Seek(10);
    EXPECT_NO_THROW(f.Write("xx", 2));
    EXPECT_EQ(f.GetPosition(), 10u);
    EXPECT_EQ(f.GetSize(), 1000u);
    EXPECT_EQ(TempFolder::Read(m_strPath), std::string(1000, 'p'));
    EXPECT_EQ(Records(), (std::vector<std::string>{"TxFile::Write: Attempt to write to read-only file " + m_strPath}));
}

TEST_F(TxFileTest, SeekingBehindTheEndWithTheBoundCheck)
{
    TxFile f(m_strPath.c_str(), false, false);
    f.SetCheckBounds(true);
    EXPECT_NO_THROW(f.Seek(1000));
    EXPECT_EQ(f.GetPosition(), 1000u);
    EXPECT_EQ(Message([&] { f.Seek(1001); }), "Error seeking in file " + m_strPath + ".");
    EXPECT_EQ(f.GetPosition(), 1000u);
    EXPECT_EQ(Records(), (std::vector<std::string>{"TxFile::Seek: seeking behind the end of file: " +
                                                   m_strPath + ". dwPos=1001, m_dwCurrentSize=1000"}));

    // Without the check a seek beyond the end is allowed; positions of 2 GiB and more too.
    f.SetCheckBounds(false);
    f.Seek(0x90000000u);
    EXPECT_EQ(f.GetPosition(), 0x90000000u);
    EXPECT_EQ(f.GetSize(), 1000u);
}

TEST_F(TxFileTest, ReadersShareAWriterIsExclusive)
{
    TxFile reader1(m_strPath.c_str(), true, false);
    TxFile reader2(m_strPath.c_str(), true, false);
    EXPECT_TRUE(reader2.IsOpen());
    EXPECT_EQ(Message([&] { TxFile writer(m_strPath.c_str(), false, false); }),
              "Resource temporarily unavailable");
}

TEST_F(TxFileTest, FilesOfFourGibibytesOrMoreAreRefused)
{
    const std::string large = m_folder.File("large.bin");
    const int h = FileOpen(large.c_str(), FileOpenMode::ReadWriteCreate);
    ASSERT_NE(h, INVALID_FILE_HANDLE);
    ASSERT_TRUE(FileSetSize(h, 0xFFFFFFFFull));  // sparse: takes no room
    FileClose(h);
    {
        TxFile justFits(large.c_str(), true, false);
        EXPECT_EQ(justFits.GetSize(), 0xFFFFFFFFu);
    }
    const int h2 = FileOpen(large.c_str(), FileOpenMode::ReadWriteExisting);
    ASSERT_TRUE(FileSetSize(h2, 0x100000000ull));
    FileClose(h2);
    EXPECT_EQ(Message([&] { TxFile f(large.c_str(), true, false); }),
              "File " + large + " is too large (4 GiB or more).");
    EXPECT_EQ(Records(), (std::vector<std::string>{"TxFile::TxFile: File " + large + " is too large (4 GiB or more)"}));

    // Nor can a write make a file that large.
    m_log.Clear();
    TxFile f(m_strPath.c_str(), false, false);
    f.Seek(0xFFFFFFF0u);
    EXPECT_EQ(Message([&] { f.Write("0123456789abcdefg", 17); }), "Error writing to file " + m_strPath + ".");
    EXPECT_EQ(f.GetSize(), 1000u);
    EXPECT_EQ(TempFolder::Read(m_strPath).size(), 1000u);
}

TEST(TxFileQuiet, WithoutASinkNothingIsLoggedAndTheRaiseIsTheSame)
{
    ASSERT_FALSE(g_bLogActive);
    TempFolder folder;
    const std::string missing = folder.File("missing.jpg");
    EXPECT_EQ(Message([&] { TxFile f(missing.c_str(), true, false); }), "No such file or directory");
}
