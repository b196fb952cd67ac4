// Manual-reset events, zero-filled blocks and the last error.
#include "platform/winerror.h"
#include "platform/winmem.h"
#include "platform/winsync.h"

#include <cerrno>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

TEST(Events, SetResetAndWaitOnSeveral)
{
    ManualResetEvent stop, request;
    EXPECT_FALSE(stop.IsSet());
    EXPECT_FALSE(stop.Wait(0));
    EXPECT_EQ(WaitForAnyEvent({&stop, &request}, 20), -1);

    request.Set();
    EXPECT_EQ(WaitForAnyEvent({&stop, &request}, 0), 1);
    EXPECT_TRUE(request.IsSet());  // manual reset: stays set
    stop.Set();
    EXPECT_EQ(WaitForAnyEvent({&stop, &request}, INFINITE_WAIT), 0);  // first in list order
    stop.Reset();
    request.Reset();
    EXPECT_FALSE(request.Wait(0));

    // A wait without limit wakes when another thread sets the event.
    std::thread setter([&request] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        request.Set();
    });
    EXPECT_EQ(WaitForAnyEvent({&stop, &request}, INFINITE_WAIT), 1);
    setter.join();
    EXPECT_TRUE(request.Wait(INFINITE_WAIT));
}

TEST(Blocks, ZeroFilledWithSize)
{
    auto* p = static_cast<unsigned char*>(GlobalAllocZeroed(1000));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(GlobalSize(p), 1000u);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(p[i], 0);
    p[999] = 1;
    GlobalFree(p);
    EXPECT_EQ(GlobalSize(nullptr), 0u);
    GlobalFree(nullptr);
    EXPECT_EQ(GlobalAllocZeroed(static_cast<std::size_t>(-8)), nullptr);
    void* pEmpty = GlobalAllocZeroed(0);
    EXPECT_EQ(GlobalSize(pEmpty), 0u);
    GlobalFree(pEmpty);
}

TEST(Errors, LastErrorAndItsText)
{
    SetLastError(ENOENT);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ENOENT));
    EXPECT_EQ(FormatErrorText(ENOENT), "No such file or directory");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ENOENT));  // reading the text keeps it
    EXPECT_EQ(FormatErrorText(987654), "");
    SetLastError(0);
    EXPECT_EQ(GetLastError(), 0u);
    // Each thread has its own.
    std::thread([] { SetLastError(EACCES); }).join();
    EXPECT_EQ(GetLastError(), 0u);
}
