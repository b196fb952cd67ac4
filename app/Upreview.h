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

// The decoder the worker calls: both call modes of DecodePreviewImage (imaging/ImageDecoder.h).
// Tests put a slower or counting decoder here before the worker starts.
using PreviewDecoder = int (*)(void* pHeader, void* pBits, const char* pszPath, DWORD* pdwCount);
extern PreviewDecoder g_pfnPreviewDecoder;

// Starts the worker once (nothing when it already runs) and waits up to a second for it to run.
void StartPreviewWorker();
// Asks the worker to end and waits for it, at most about 10 seconds. A worker that has not
// ended by then is left to finish its current picture on its own; it no longer touches the
// shared blocks, handles or the main window afterwards.
void StopPreviewWorker();
// The worker's thread function: 0 after a normal stop, 1 when another worker was running.
DWORD PreviewWorker(void* pParameter);
// Hands a full path to the worker: copies it into szRequestPath under hPathMutex and sets
// hRequestEvent. A path of more than 499 bytes is not previewed (neither cut nor overrun): it
// is logged and false is returned.
bool PostPreviewRequest(const char* pszPath);
