// The objects the main window shares with the preview worker, and the worker's start and stop.
// The objects are process-wide and live for the whole run, so a worker that outlives the close
// can never touch a destroyed lock or event.
#pragma once

#include "../platform/winsync.h"
#include "../platform/wintypes.h"

#include <cstddef>
#include <mutex>

constexpr int WM_IMAGEREADY = 0x8002;          // event type posted when a picture is ready
constexpr std::size_t kRequestPathSize = 500;  // 499 characters and the terminator
constexpr std::size_t kImageHeaderSize = 1064; // BITMAPINFOHEADER + 256 RGBQUAD

extern std::mutex hImageMutex;    // guards pImageHeader and pImageBits
extern std::mutex hPathMutex;     // guards szRequestPath
extern std::mutex hDecoderMutex;  // held around decoder calls
extern ManualResetEvent hStopEvent;
extern ManualResetEvent hRunningEvent;
extern ManualResetEvent hRequestEvent;

extern char szRequestPath[kRequestPathSize];
extern void* pImageHeader;  // GlobalAllocZeroed(kImageHeaderSize) by FormShow
extern void* pImageBits;    // grown by the worker, never shrunk

// Target of WM_IMAGEREADY: the main window registers how the message is posted to it.
using ImageReadyPoster = void (*)(void* pWindow);
extern void* hMainWindow;
extern ImageReadyPoster g_pfnPostImageReady;
