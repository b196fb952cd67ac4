// The preview worker: waits for a requested path, decodes it into the shared bitmap blocks and
// tells the main window that a new picture is ready.
#include "Upreview.h"

#include "../imaging/ImageDecoder.h"
#include "../platform/winmem.h"
#include "../tx/UTxUtils.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <thread>

PreviewDecoder g_pfnPreviewDecoder = DecodePreviewImage;

namespace {

constexpr int kStopPauses = 100;
constexpr int kExitPauses = 10;
constexpr auto kStopPause = std::chrono::milliseconds(100);
constexpr std::uint32_t kStartWaitMs = 1000;

std::thread hWorkerThread;
// Set by the worker after its last touch of anything shared, just before it clears
// hRunningEvent: when the event is found clear and this is set, joining cannot block.
std::atomic<bool> g_bWorkerDone{false};

// Makes room for dwCount pixel bytes: the block is reused while it is large enough and replaced
// by a larger one otherwise, so it only grows. False (and pImageBits null) when the memory cannot
// be had. Runs under hImageMutex.
bool ProvidePixelBlock(DWORD dwCount)
{
    if (pImageBits != nullptr && GlobalSize(pImageBits) >= dwCount)
        return true;
    GlobalFree(pImageBits);
    pImageBits = dwCount != 0 ? GlobalAllocZeroed(dwCount) : nullptr;
    if (pImageBits == nullptr)
        TX_LOG("PreviewWorker: no memory for a pixel block of %u bytes", dwCount);
    return pImageBits != nullptr;
}

// Decodes one picture into the shared blocks. False when a stop was asked for before the
// decode could begin: the blocks may be freed by the close at any moment then, so they are
// not touched.
bool DecodeRequest(const char* pszPath)
{
    std::lock_guard decoderLock(hDecoderMutex);
    DWORD dwCount = 0;
    g_pfnPreviewDecoder(nullptr, nullptr, pszPath, &dwCount);
    if (hStopEvent.IsSet())
        return false;
    std::lock_guard imageLock(hImageMutex);
    // The close takes hImageMutex only after asking the worker to stop and frees the header
    // under it: a stop seen here means the blocks are about to go.
    if (hStopEvent.IsSet() || pImageHeader == nullptr)
        return false;
    if (ProvidePixelBlock(dwCount))
        g_pfnPreviewDecoder(pImageHeader, pImageBits, pszPath, nullptr);
    return true;
}

// Asks the worker to end and tests every 100 ms, nPauses times at most, whether it has. The
// thread object is never left joinable: it is joined when the worker has ended and released
// otherwise (the worker then finishes on its own without touching anything shared).
void StopWorkerWithin(int nPauses)
{
    hStopEvent.Set();
    for (int i = 0; hRunningEvent.IsSet() && i < nPauses; ++i)
        std::this_thread::sleep_for(kStopPause);
    if (!hWorkerThread.joinable())
        return;
    if (!hRunningEvent.IsSet() && g_bWorkerDone)
        hWorkerThread.join();  // it has left its loop: only its return is waited for
    else {
        TX_LOG("StopPreviewWorker: the worker has not ended in time and is left to finish");
        hWorkerThread.detach();
    }
}

// A program that ends without closing its main window still stops the worker, briefly, so
// that the thread object is not destroyed while joinable.
void StopWorkerAtExit()
{
    StopWorkerWithin(kExitPauses);
}

}  // namespace

bool PostPreviewRequest(const char* pszPath)
{
    const std::size_t cbPath = std::strlen(pszPath);
    if (cbPath >= kRequestPathSize) {
        TX_LOG("PostPreviewRequest: path of %zu bytes is too long to preview: %s", cbPath, pszPath);
        return false;
    }
    {
        std::lock_guard pathLock(hPathMutex);
        std::memcpy(szRequestPath, pszPath, cbPath + 1);
    }
    hRequestEvent.Set();
    return true;
}

DWORD PreviewWorker(void*)
{
    if (hRunningEvent.IsSet())
        return 1;
    // A request made before the worker ran is dropped. Both events are cleared before the
    // worker shows itself running, so a request made once StartPreviewWorker has returned is
    // never dropped with them.
    hStopEvent.Reset();
    hRequestEvent.Reset();
    hRunningEvent.Set();

    char szPath[kRequestPathSize] = {};
    // The stop event comes first in the list, so a stop wins when both are set.
    while (WaitForAnyEvent({&hStopEvent, &hRequestEvent}, INFINITE_WAIT) == 1) {
        {
            std::lock_guard pathLock(hPathMutex);
            std::memcpy(szPath, szRequestPath, kRequestPathSize);
            szPath[kRequestPathSize - 1] = '\0';
            hRequestEvent.Reset();  // still under the lock: a later request sets it again
        }
        if (!DecodeRequest(szPath))
            break;
        // Announce the picture only when no newer request waits (that one is announced when it
        // is done) and the window is not closing.
        if (!hRequestEvent.IsSet() && !hStopEvent.IsSet() && g_pfnPostImageReady != nullptr)
            g_pfnPostImageReady(hMainWindow);
    }
    g_bWorkerDone = true;
    hRunningEvent.Reset();
    return 0;
}

void StartPreviewWorker()
{
    if (hRunningEvent.IsSet())
        return;
    if (hWorkerThread.joinable()) {
        // An earlier worker that ended without a stop (or never came to run): it no longer
        // counts as running, so it is left to end on its own.
        hWorkerThread.detach();
    }
    static const bool bExitHandler = std::atexit(StopWorkerAtExit) == 0;
    (void)bExitHandler;
    g_bWorkerDone = false;
    try {
        hWorkerThread = std::thread([] { PreviewWorker(nullptr); });
    } catch (const std::system_error& e) {
        TX_LOG("StartPreviewWorker: the worker thread cannot be created: %s", e.what());
        return;
    }
    hRunningEvent.Wait(kStartWaitMs);
}

void StopPreviewWorker()
{
    StopWorkerWithin(kStopPauses);
}
