// The preview worker with a decoder stand-in that can be held inside either call, so that
// requests, closes and decodes can be made to meet in the orders that matter.
#include "JpegFixtures.h"

#include "app/Upreview.h"
#include "imaging/ImageDecoder.h"
#include "platform/winmem.h"
#include "platform/winreadfile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

enum class Call { Query, Decode };

// Stands in for the decoder: the path is a number n; the picture is n x 1 pixels (4n bytes).
// One (path, call) pair can be held at a gate until the test opens it.
struct FakeDecoder {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<std::string> queries, decodes;
    std::vector<const void*> blocksSeen;
    std::string strGatedPath;
    Call gatedCall = Call::Decode;
    bool bGateOpen = true;
    bool bAtGate = false;
    bool bDecodeFinished = false;
    int nPosts = 0;
    std::vector<int> shownWidths;  // header width as the window would paint it at each post

    template <class Pred>
    bool WaitFor(Pred pred)
    {
        std::unique_lock guard(lock);
        return changed.wait_for(guard, 10s, pred);
    }
    void HoldAt(const std::string& strPath, Call call)
    {
        std::lock_guard guard(lock);
        strGatedPath = strPath;
        gatedCall = call;
        bGateOpen = false;
        bAtGate = false;
    }
    void OpenGate()
    {
        std::lock_guard guard(lock);
        bGateOpen = true;
        changed.notify_all();
    }
};

FakeDecoder* g_pFake = nullptr;
int g_nWindow = 0;  // the stand-in main window

void PassGate(std::unique_lock<std::mutex>& guard, const char* pszPath, Call call)
{
    if (g_pFake->strGatedPath != pszPath || g_pFake->gatedCall != call)
        return;
    g_pFake->bAtGate = true;
    g_pFake->changed.notify_all();
    g_pFake->changed.wait(guard, [] { return g_pFake->bGateOpen; });
}

int FakeDecode(void* pHeader, void* pBits, const char* pszPath, DWORD* pdwCount)
{
    std::unique_lock guard(g_pFake->lock);
    const int n = std::atoi(pszPath);
    if (pHeader == nullptr) {
        g_pFake->queries.push_back(pszPath);
        PassGate(guard, pszPath, Call::Query);
        *pdwCount = DWORD(4 * n);
        return 1;
    }
    g_pFake->decodes.push_back(pszPath);
    g_pFake->blocksSeen.push_back(pBits);
    g_pFake->bDecodeFinished = false;
    PassGate(guard, pszPath, Call::Decode);
    BITMAPINFOHEADER header{};
    header.biSize = 40;
    if (GlobalSize(pBits) >= std::size_t(4 * n)) {
        header.biWidth = n;
        header.biHeight = -1;
        std::memset(pBits, 0x5A, std::size_t(4 * n));
    }
    std::memcpy(pHeader, &header, sizeof header);
    g_pFake->bDecodeFinished = true;
    return 1;
}

void CountPost(void* pWindow)
{
    int nWidth = -1;
    {
        std::lock_guard imageLock(hImageMutex);  // as the paint handler reads the header
        if (pImageHeader != nullptr)
            nWidth = static_cast<BITMAPINFOHEADER*>(pImageHeader)->biWidth;
    }
    std::lock_guard guard(g_pFake->lock);
    EXPECT_EQ(pWindow, &g_nWindow);
    ++g_pFake->nPosts;
    g_pFake->shownWidths.push_back(nWidth);
    g_pFake->changed.notify_all();
}

// What the close does after asking the worker to stop (FormCloseQuery steps 3, 5 and 6).
void FreeSharedBlocks()
{
    std::lock_guard imageLock(hImageMutex);
    GlobalFree(pImageHeader);
    pImageHeader = nullptr;
    GlobalFree(pImageBits);
    pImageBits = nullptr;
}

class PreviewWorkerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_pFake = &fake;
        g_pfnPreviewDecoder = FakeDecode;
        g_pfnPostImageReady = CountPost;
        hMainWindow = &g_nWindow;
        pImageHeader = GlobalAllocZeroed(kImageHeaderSize);
    }
    void TearDown() override
    {
        fake.OpenGate();
        StopPreviewWorker();
        FreeSharedBlocks();
        g_pfnPreviewDecoder = DecodePreviewImage;
        g_pfnPostImageReady = nullptr;
        hMainWindow = nullptr;
        g_pFake = nullptr;
    }
    int Posts()
    {
        std::lock_guard guard(fake.lock);
        return fake.nPosts;
    }
    FakeDecoder fake;
};

}  // namespace

TEST_F(PreviewWorkerTest, BurstDuringSlowDecodeShowsOnlyTheLastAndPostsOnce)
{
    StartPreviewWorker();
    ASSERT_TRUE(hRunningEvent.IsSet());
    fake.HoldAt("1", Call::Decode);
    ASSERT_TRUE(PostPreviewRequest("1"));
    ASSERT_TRUE(fake.WaitFor([&] { return fake.bAtGate; }));

    // Ten rows selected one after another while the first picture decodes.
    for (int i = 2; i <= 11; ++i)
        ASSERT_TRUE(PostPreviewRequest(std::to_string(i).c_str()));
    fake.OpenGate();
    ASSERT_TRUE(fake.WaitFor([&] { return fake.nPosts >= 1; }));
    StopPreviewWorker();  // joins: nothing can be posted later

    EXPECT_EQ(fake.decodes, (std::vector<std::string>{"1", "11"}));
    EXPECT_EQ(fake.queries, (std::vector<std::string>{"1", "11"}));
    EXPECT_EQ(fake.nPosts, 1);  // the decode of "1" was not announced: a newer request waited
    EXPECT_EQ(fake.shownWidths, std::vector<int>{11});
    EXPECT_FALSE(hRunningEvent.IsSet());
}

TEST_F(PreviewWorkerTest, CloseDuringDecodeWaitsForItAndFreesNothingEarly)
{
    StartPreviewWorker();
    fake.HoldAt("300", Call::Decode);
    PostPreviewRequest("300");
    ASSERT_TRUE(fake.WaitFor([&] { return fake.bAtGate; }));

    bool bClosed = false, bDecodeDoneAtFree = false;
    std::thread close([&] {
        StopPreviewWorker();
        {
            std::lock_guard imageLock(hImageMutex);
            std::lock_guard guard(fake.lock);
            bDecodeDoneAtFree = fake.bDecodeFinished;
        }
        FreeSharedBlocks();
        std::lock_guard guard(fake.lock);
        bClosed = true;
        fake.changed.notify_all();
    });
    // The close keeps waiting while the decode runs.
    std::this_thread::sleep_for(300ms);
    {
        std::lock_guard guard(fake.lock);
        EXPECT_FALSE(bClosed);
    }
    fake.OpenGate();
    close.join();
    EXPECT_TRUE(bClosed);
    EXPECT_TRUE(bDecodeDoneAtFree);
    EXPECT_FALSE(hRunningEvent.IsSet());
    EXPECT_EQ(Posts(), 0);  // the window is closing: nothing is announced to it
}

TEST_F(PreviewWorkerTest, StopBeforeTheDecodeBeginsLeavesTheBlocksAlone)
{
    StartPreviewWorker();
    // A stop that arrives while the size query runs: the decode is not made.
    fake.HoldAt("8", Call::Query);
    PostPreviewRequest("8");
    ASSERT_TRUE(fake.WaitFor([&] { return fake.bAtGate; }));
    std::thread close([] { StopPreviewWorker(); });
    while (!hStopEvent.IsSet())
        std::this_thread::sleep_for(1ms);
    fake.OpenGate();
    close.join();
    EXPECT_FALSE(hRunningEvent.IsSet());
    EXPECT_TRUE(fake.decodes.empty());
    EXPECT_EQ(pImageBits, nullptr);
    EXPECT_EQ(Posts(), 0);

    // Blocks freed by someone else while a worker (not asked to stop) queries: no decode.
    StartPreviewWorker();
    fake.HoldAt("9", Call::Query);
    PostPreviewRequest("9");
    ASSERT_TRUE(fake.WaitFor([&] { return fake.bAtGate; }));
    FreeSharedBlocks();
    fake.OpenGate();
    StopPreviewWorker();
    EXPECT_TRUE(fake.decodes.empty());
    EXPECT_EQ(pImageBits, nullptr);
}

TEST_F(PreviewWorkerTest, WorkerOutlivingTheStopNeverTouchesTheFreedBlocks)
{
    StartPreviewWorker();
    fake.HoldAt("12", Call::Query);
    PostPreviewRequest("12");
    ASSERT_TRUE(fake.WaitFor([&] { return fake.bAtGate; }));

    const auto start = std::chrono::steady_clock::now();
    StopPreviewWorker();  // gives up after its 100 pauses
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 9s);
    EXPECT_TRUE(hRunningEvent.IsSet());
    FreeSharedBlocks();  // the close goes on

    fake.OpenGate();
    // The detached worker ends on its own without a decode or a post.
    for (int i = 0; i < 200 && hRunningEvent.IsSet(); ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(hRunningEvent.IsSet());
    EXPECT_TRUE(fake.decodes.empty());
    EXPECT_EQ(Posts(), 0);
}

TEST_F(PreviewWorkerTest, RequestsBeforeTheWorkerRunsAreDropped)
{
    PostPreviewRequest("5");
    StartPreviewWorker();
    std::this_thread::sleep_for(200ms);
    EXPECT_TRUE(fake.queries.empty());
    EXPECT_EQ(Posts(), 0);

    PostPreviewRequest("6");
    ASSERT_TRUE(fake.WaitFor([&] { return fake.nPosts == 1; }));
    EXPECT_EQ(fake.decodes, std::vector<std::string>{"6"});

    // Starting again while it runs does nothing; a second worker function ends at once.
    StartPreviewWorker();
    EXPECT_EQ(PreviewWorker(nullptr), 1u);
    EXPECT_TRUE(hRunningEvent.IsSet());
}

TEST_F(PreviewWorkerTest, PixelBlockOnlyGrowsAndIsReused)
{
    StartPreviewWorker();
    auto show = [&](const char* pszPath, int nPosts) {
        PostPreviewRequest(pszPath);
        ASSERT_TRUE(fake.WaitFor([&] { return fake.nPosts == nPosts; }));
    };
    show("100", 1);
    const void* pFirst = fake.blocksSeen.at(0);
    show("10", 2);   // smaller picture: same block
    EXPECT_EQ(fake.blocksSeen.at(1), pFirst);
    show("100", 3);  // as large as the block: same block
    EXPECT_EQ(fake.blocksSeen.at(2), pFirst);
    show("5000", 4);  // larger: a new block of the new size
    StopPreviewWorker();
    EXPECT_EQ(GlobalSize(fake.blocksSeen.at(3)), 20000u);
    EXPECT_EQ(fake.shownWidths, (std::vector<int>{100, 10, 100, 5000}));
}

TEST_F(PreviewWorkerTest, UnreadablePictureWithoutABlockIsNotDecodedButStillAnnounced)
{
    StartPreviewWorker();
    PostPreviewRequest("0");  // the size query finds nothing: no block, no decode
    ASSERT_TRUE(fake.WaitFor([&] { return fake.nPosts == 1; }));
    EXPECT_TRUE(fake.decodes.empty());
    StopPreviewWorker();
    EXPECT_EQ(pImageBits, nullptr);
}

TEST(PreviewRequest, PathsLongerThan499BytesAreNotPreviewed)
{
    const std::string strFits(499, 'a'), strTooLong(500, 'b');
    hRequestEvent.Reset();
    EXPECT_TRUE(PostPreviewRequest(strFits.c_str()));
    EXPECT_TRUE(hRequestEvent.IsSet());
    hRequestEvent.Reset();
    EXPECT_FALSE(PostPreviewRequest(strTooLong.c_str()));
    EXPECT_FALSE(hRequestEvent.IsSet());
    std::lock_guard pathLock(hPathMutex);
    EXPECT_EQ(std::string(szRequestPath), strFits);  // the earlier request stays as it was
}

TEST_F(PreviewWorkerTest, RealDecoderThroughTheWorker)
{
    ScratchFolder folder;
    const std::string strPath =
        folder.Write("w.jpg", WithOrientation(EncodeJpeg(QuadrantPicture(40, 20), JpegKind::Colour444), 6));
    g_pfnPreviewDecoder = DecodePreviewImage;
    StartPreviewWorker();
    PostPreviewRequest(strPath.c_str());
    ASSERT_TRUE(fake.WaitFor([&] { return fake.nPosts == 1; }));
    StopPreviewWorker();
    const auto* pHeader = static_cast<const BITMAPINFOHEADER*>(pImageHeader);
    EXPECT_EQ(pHeader->biWidth, 20);
    EXPECT_EQ(pHeader->biHeight, -40);
    EXPECT_EQ(GlobalSize(pImageBits), 20u * 40u * 4u);
}

namespace {

// Every read of a file, and whether the image lock was free while it ran: the helper thread
// tries the lock as the window's paint would.
std::vector<bool> g_readsWithLockFree;

bool LockWatchingReader(const char* pszPath, std::size_t cbLimit, std::vector<std::uint8_t>* pData,
                        std::uint64_t* pqwFileSize)
{
    const bool bFree = std::async(std::launch::async, [] {
                           if (!hImageMutex.try_lock())
                               return false;
                           hImageMutex.unlock();
                           return true;
                       }).get();
    g_readsWithLockFree.push_back(bFree);
    return ReadFileHead(pszPath, cbLimit, pData, pqwFileSize);
}

}  // namespace

TEST_F(PreviewWorkerTest, TheFileIsReadBeforeTheImageLockIsTaken)
{
    ScratchFolder folder;
    // Larger than the first look at a file, so that it is read in two steps.
    const Bytes jpeg = EncodeJpeg(PhotoLikePicture(1600, 1200, 60), JpegKind::Colour444);
    ASSERT_GT(jpeg.size(), 256u * 1024u);
    const std::string strPath = folder.Write("big.jpg", jpeg);
    g_pfnPreviewDecoder = DecodePreviewImage;
    SetPreviewFileReader(LockWatchingReader);
    g_readsWithLockFree.clear();
    StartPreviewWorker();
    PostPreviewRequest(strPath.c_str());
    ASSERT_TRUE(fake.WaitFor([&] { return fake.nPosts == 1; }));
    StopPreviewWorker();
    SetPreviewFileReader(nullptr);
    EXPECT_GT(static_cast<const BITMAPINFOHEADER*>(pImageHeader)->biWidth, 0);
    ASSERT_FALSE(g_readsWithLockFree.empty());
    for (bool bFree : g_readsWithLockFree)
        EXPECT_TRUE(bFree) << "a read while the image lock was held";
}
