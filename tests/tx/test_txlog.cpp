// The debug log: the receiver record byte for byte, line splitting and wrapping, cutting of
// long texts, the file sink, and no formatting while no sink is open.
#include "ReceivedLog.h"
#include "TempFolder.h"
#include "tx/UTxUtils.h"

#include <gtest/gtest.h>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace {

TxLogSettings Settings(bool bSplitLines, int nLineWidth = 80, bool bCreateNew = false,
                       bool bTimeStamp = true)
{
    return TxLogSettings{"Morvessain", "", bSplitLines, nLineWidth, bCreateNew, true, bTimeStamp};
}

int s_nEvaluated = 0;
const char* Evaluated(const char* psz)
{
    ++s_nEvaluated;
    return psz;
}

}  // namespace

TEST(LogRecords, ReceiverRecordByteForByte)
{
    ReceivedLog log;
    ASSERT_TRUE(log.Connected());
    ASSERT_TRUE(g_bLogActive);
    TX_LOG("Found file %s", "IMG_1.JPG");
    std::thread([] { TX_LOG("from another thread"); }).join();
    const auto blocks = log.Blocks();
    ASSERT_EQ(blocks.size(), 2u);
    const std::string& block = blocks[0];
    ASSERT_EQ(block.size(), 10u + 1 + 8 + 7 + 20 + 1);  // the length counts the zero
    EXPECT_TRUE(std::regex_match(block.substr(0, 46),
                                 std::regex("Morvessain [0-9a-f]{8}       Found file IMG_1\\.JPG")))
        << block;
    EXPECT_EQ(block.back(), '\0');
    EXPECT_NE(blocks[1].substr(11, 8), block.substr(11, 8));  // each thread has its identifier

    // Without splitting, a line break travels inside the one record.
    log.Clear();
    TX_LOG("line 1\r\nline 2");
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{"line 1\r\nline 2"}));
}

TEST(LogRecords, RecordsFromSeveralThreadsNeverMix)
{
    ReceivedLog log;
    ASSERT_TRUE(log.Connected());
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 50; ++i)
                TX_LOG("thread %d record %d %s", t, i, std::string(100, static_cast<char>('a' + t)).c_str());
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    const auto texts = log.Texts();
    ASSERT_EQ(texts.size(), 200u);
    for (const std::string& text : texts) {
        ASSERT_TRUE(std::regex_match(text, std::regex("thread ([0-3]) record \\d+ ([a-d])\\2{99}"))) << text;
        EXPECT_EQ(text[7] - '0', text.back() - 'a');
    }
}

TEST(LogRecords, LongTextsAreCutToTheBuffers)
{
    ReceivedLog log;
    ASSERT_TRUE(log.Connected());
    const std::string huge(5000, 'h');
    TX_LOG("%s", huge.c_str());
    const auto blocks = log.Blocks();
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].size(), static_cast<std::size_t>(kLogBufferSize));
    EXPECT_EQ(blocks[0].back(), '\0');
    EXPECT_EQ(blocks[0].find('h'), 26u);
}

TEST(LogRecords, SplitLinesWrapsAndBreaks)
{
    LogCapture capture;
    ASSERT_TRUE(capture.Listening());
    const TxLogSettings settings = Settings(true);
    CLog log(settings);
    ASSERT_TRUE(log.ReceiverFound());

    log.Log("%s", std::string(100, 'a').c_str());
    EXPECT_EQ(capture.Texts(), (std::vector<std::string>{std::string(79, 'a'), "  " + std::string(21, 'a')}));

    // The rightmost break character at or before index 78 ends the record and stays in it.
    capture.Clear();
    const std::string words = std::string(60, 'w') + ", " + std::string(50, 'v');
    log.Log("%s", words.c_str());
    EXPECT_EQ(capture.Texts(), (std::vector<std::string>{std::string(60, 'w') + ", ",
                                                          "  " + std::string(50, 'v')}));
    // A break character left of two thirds of the width is not used.
    capture.Clear();
    const std::string early = std::string(40, 'e') + " " + std::string(59, 'f');
    log.Log("%s", early.c_str());
    EXPECT_EQ(capture.Texts()[0].size(), 79u);

    // A 250-character text: every continuation starts with two blanks, none is longer than 80.
    capture.Clear();
    log.Log("%s", std::string(250, 'z').c_str());
    const auto pieces = capture.Texts();
    ASSERT_EQ(pieces.size(), 4u);
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        EXPECT_EQ(pieces[i].substr(0, 2), "  ");
        EXPECT_LE(pieces[i].size(), 80u);
    }

    capture.Clear();
    log.Log("a\r\nb");
    EXPECT_EQ(capture.Texts(), (std::vector<std::string>{"a ", "b"}));
    capture.Clear();
    log.Log("a\rb");
    EXPECT_EQ(capture.Texts(), (std::vector<std::string>{"a", "b"}));
    capture.Clear();
    log.Log("a\n");
    EXPECT_EQ(capture.Texts(), (std::vector<std::string>{"a", ""}));

    // A test channel leaves the program's own flag alone.
    EXPECT_FALSE(g_bLogActive);
}

TEST(LogRecords, WrappingWithAnAbsurdWidthStillEnds)
{
    LogCapture capture;
    const TxLogSettings settings = Settings(true, 0);
    CLog log(settings);
    ASSERT_TRUE(log.ReceiverFound());
    log.Log("%s", std::string(20, 'n').c_str());
    const auto pieces = capture.Texts();
    EXPECT_GT(pieces.size(), 1u);
    EXPECT_LT(pieces.size(), 20u);
}

TEST(LogFile, RecordsAreAppendedWithStampAndLineEnd)
{
    TempFolder folder;
    const std::string path = folder.Write("velmora.log", "earlier\r\n");
    const TxLogSettings settings = Settings(false);
    {
        CLog log(settings);
        ASSERT_TRUE(log.OpenFile(path.c_str()));
        EXPECT_TRUE(log.FileOpen());
        log.Log("Found file %s", "IMG_1.JPG");
        log.Log("%s", std::string(3000, 'q').c_str());
        log.CloseFile();
        EXPECT_FALSE(log.FileOpen());
        log.Log("not written");
    }
    const std::string contents = TempFolder::Read(path);
    ASSERT_EQ(contents.rfind("earlier\r\n", 0), 0u);
    std::smatch match;
    const std::string rest = contents.substr(9);
    ASSERT_TRUE(std::regex_search(rest, match,
                                  std::regex("^\\d{1,2}\\.\\d{1,2}\\.\\d\\d \\d{1,2}:\\d\\d:\\d\\d "
                                             "[0-9a-f]{8}       Found file IMG_1\\.JPG\r\n")))
        << rest;
    const std::string second = rest.substr(static_cast<std::size_t>(match.length(0)));
    EXPECT_EQ(second.size(), static_cast<std::size_t>(kLogBufferSize - 1));  // cut, line end kept
    EXPECT_EQ(second.substr(second.size() - 3), "q\r\n");
    EXPECT_EQ(contents.find("not written"), std::string::npos);

    // Created anew, without a time stamp.
    const TxLogSettings fresh = Settings(false, 80, true, false);
    {
        CLog log(fresh);
        ASSERT_TRUE(log.OpenFile(path.c_str()));
        log.Log("only");
    }
    EXPECT_TRUE(std::regex_match(TempFolder::Read(path), std::regex("[0-9a-f]{8}       only\r\n")));

    CLog log(settings);
    EXPECT_FALSE(log.OpenFile((folder.Path() + "/missing/x.log").c_str()));
    EXPECT_FALSE(log.OpenFile(""));  // no name and none in the settings
}

TEST(LogInactive, NothingIsEvaluatedOrSentWithoutASink)
{
    ASSERT_FALSE(g_bLogActive);
    s_nEvaluated = 0;
    TX_LOG("Found file %s", Evaluated("IMG_1.JPG"));
    EXPECT_EQ(s_nEvaluated, 0);

    ReceivedLog log;
    ASSERT_TRUE(log.Connected());
    TX_LOG("Found file %s", Evaluated("IMG_1.JPG"));
    EXPECT_EQ(s_nEvaluated, 1);
}
