// The background reader of the list's EXIF dates, the two-second rule, and the reasons a row is
// marked after Apply, taken from the engine's write report.
#include "app/UapplyMarks.h"
#include "app/UexifDateReader.h"
#include "app/UlangList.h"
#include "exif/Uexif_batch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>

namespace {

// A reader that takes the file's "date" from its name and can be held at a gate.
std::mutex g_gateMutex;
std::condition_variable g_gateOpened;
bool g_bGateOpen = true;
std::atomic<int> g_nRead{0};

ExifDateInfo FakeRead(const char* pszPath)
{
    {
        std::unique_lock lock(g_gateMutex);
        g_gateOpened.wait(lock, [] { return g_bGateOpen; });
    }
    ++g_nRead;
    ExifDateInfo info;
    info.state = ExifDateState::Date;
    info.ft.dwLowDateTime = DWORD(std::stoul(pszPath));
    return info;
}

void SetGate(bool bOpen)
{
    {
        std::lock_guard lock(g_gateMutex);
        g_bGateOpen = bOpen;
    }
    g_gateOpened.notify_all();
}

struct Collected {
    std::mutex mutex;
    std::map<std::uint64_t, std::map<std::size_t, DWORD>> byGeneration;
    int nBatches = 0;
};

std::vector<ExifDateRequest> Requests(int nCount, int nFirstValue)
{
    std::vector<ExifDateRequest> requests;
    for (int i = 0; i < nCount; ++i)
        requests.push_back({std::size_t(i), std::to_string(nFirstValue + i)});
    return requests;
}

}  // namespace

class ExifDateReaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetGate(true);
        g_nRead = 0;
    }
    void TearDown() override { SetGate(true); }
    CExifDateReader::Deliver Collector()
    {
        return [this](std::uint64_t nGeneration, std::vector<ExifDateResult>&& results) {
            std::lock_guard lock(m_collected.mutex);
            ++m_collected.nBatches;
            for (const ExifDateResult& r : results)
                m_collected.byGeneration[nGeneration][r.nId] = r.info.ft.dwLowDateTime;
        };
    }
    Collected m_collected;
};

TEST_F(ExifDateReaderTest, EveryFileIsReadOnceAndDeliveredInBatchesWithItsGeneration)
{
    CExifDateReader reader(Collector(), FakeRead);
    const std::uint64_t nGeneration = reader.Start(Requests(1000, 5000));
    reader.WaitIdle();
    EXPECT_EQ(g_nRead, 1000);
    const auto& got = m_collected.byGeneration[nGeneration];
    ASSERT_EQ(got.size(), 1000u);
    for (const auto& [nId, dwValue] : got)
        EXPECT_EQ(dwValue, 5000 + nId);
    EXPECT_LT(m_collected.nBatches, 1000) << "not one batch per file";
    EXPECT_EQ(m_collected.byGeneration.size(), 1u);
}

TEST_F(ExifDateReaderTest, ANewStartOrACancelDropsWhatIsQueuedAndTheOldGenerationIsKnown)
{
    CExifDateReader reader(Collector(), FakeRead);
    SetGate(false);  // the first file is held while it is read
    const std::uint64_t nFirst = reader.Start(Requests(500, 0));
    const std::uint64_t nSecond = reader.Start(Requests(3, 100));
    EXPECT_GT(nSecond, nFirst);
    EXPECT_EQ(reader.Generation(), nSecond);
    SetGate(true);
    reader.WaitIdle();
    // At most the file in hand of the first request was read, and it went out under its own
    // generation; all of the second came.
    EXPECT_LE(m_collected.byGeneration[nFirst].size(), 1u);
    EXPECT_EQ(m_collected.byGeneration[nSecond].size(), 3u);
    EXPECT_LE(g_nRead, 4);

    SetGate(false);
    const std::uint64_t nThird = reader.Start(Requests(500, 0));
    reader.Cancel();
    EXPECT_GT(reader.Generation(), nThird);
    SetGate(true);
    reader.WaitIdle();
    EXPECT_LE(m_collected.byGeneration[nThird].size(), 1u);
}

TEST_F(ExifDateReaderTest, TheReaderEndsWhileFilesAreQueued)
{
    {
        CExifDateReader reader(Collector(), FakeRead);
        reader.Start(Requests(100000, 0));
    }
    EXPECT_LT(g_nRead, 100000);
}

TEST(TimesDifferTest, MoreThanTwoSecondsApartEitherWay)
{
    const struct {
        std::int64_t nTicks;
        bool bDiffer;
    } kCases[] = {{0, false}, {20'000'000, false}, {-20'000'000, false}, {20'000'001, true},
                  {-20'000'001, true}, {36'000'000'000, true}};
    for (const auto& c : kCases) {
        const std::uint64_t nBase = 130'000'000'000'000'000ull;
        const std::uint64_t nOther = nBase + std::uint64_t(c.nTicks);
        const FILETIME a{DWORD(nBase), DWORD(nBase >> 32)};
        const FILETIME b{DWORD(nOther), DWORD(nOther >> 32)};
        EXPECT_EQ(TimesDiffer(a, b), c.bDiffer) << c.nTicks;
    }
}

namespace {

ExifDateJob Job(bool bOpened, std::initializer_list<ExifCopyReport> copies, bool bDigitizedWanted = false)
{
    ExifDateJob job;
    job.bOpened = bOpened;
    job.abWanted[1] = true;
    job.abWanted[2] = bDigitizedWanted;
    job.report.copies = copies;
    for (int d = 0; d < 3; ++d)  // as the engine's plan says of a wanted tag without a copy
        if (job.abWanted[d] && job.report.CopiesOf(d) == 0)
            job.report.aResult[d] = ExifWriteResult::NotFound;
    job.report.Settle();
    return job;
}

ExifCopyReport Copy(int nDate, const char* pszWhere, ExifWriteResult result)
{
    ExifCopyReport copy;
    copy.nDate = nDate;
    std::snprintf(copy.szWhere, sizeof copy.szWhere, "%s", pszWhere);
    copy.qwFilePos = 100;
    copy.result = result;
    return copy;
}

}  // namespace

TEST(ApplyMarkTest, EachReasonOfTheReportIsOneCzechLineAndAFullWriteSaysNothing)
{
    using R = ExifWriteResult;
    const struct {
        const char* pszWhat;
        ExifDateJob job;
        ApplyRowEnd end;
        std::string strText;
    } kCases[] = {
        {"all written", Job(true, {Copy(1, "ExifIFD", R::Written)}), {}, ""},
        {"no EXIF block", Job(false, {}), {}, kMarkNoExif},
        {"a ticked tag missing", Job(true, {Copy(1, "ExifIFD", R::Written)}, true), {},
         "Soubor nemá tag DateTimeDigitized."},
        {"a copy too short", Job(true, {Copy(1, "ExifIFD", R::Written), Copy(1, "IFD1", R::TooShort)}), {},
         "DateTimeOriginal (IFD1) ponechán: hodnota je kratší než datum."},
        {"junk where a date should be", Job(true, {Copy(1, "APP1#2 IFD0", R::NotDateText)}), {},
         "DateTimeOriginal (APP1#2 IFD0) ponechán: není to text data."},
        {"hard links, said once for two copies",
         Job(true, {Copy(1, "ExifIFD", R::HardLinked), Copy(1, "IFD1", R::HardLinked)}), {true, false, false},
         std::string(kMarkHardLinked) + "\n" + kMarkLeftAsItWas},
        {"changed under us", Job(true, {Copy(1, "ExifIFD", R::Changed)}), {true, false, false},
         std::string(kMarkChanged) + "\n" + kMarkLeftAsItWas},
        {"flush failed, partly", Job(true, {Copy(1, "ExifIFD", R::FlushFailed)}), {false, true, false},
         std::string(kMarkFlushFailed) + "\n" + kMarkPartly},
        {"time stamp not set", Job(true, {Copy(1, "ExifIFD", R::Written)}), {false, false, true},
         kMarkTimeNotWritten},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(ApplyMarkText(&c.job, c.end), c.strText) << c.pszWhat;
    EXPECT_EQ(ApplyMarkText(nullptr, {false, false, true}), kMarkTimeNotWritten) << "no EXIF asked";
    EXPECT_EQ(ApplyMarkText(nullptr, {}), "");
}
