#include "Upreview.h"

std::mutex hImageMutex;
std::mutex hPathMutex;
std::mutex hDecoderMutex;
ManualResetEvent hStopEvent;
ManualResetEvent hRunningEvent;
ManualResetEvent hRequestEvent;

char szRequestPath[kRequestPathSize] = {};
void* pImageHeader = nullptr;
void* pImageBits = nullptr;

void* hMainWindow = nullptr;
ImageReadyPoster g_pfnPostImageReady = nullptr;
