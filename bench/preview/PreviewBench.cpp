// The preview against a plain full-size decode of the same 24-megapixel JPEG, measured side by
// side in one run, and the number of pictures announced while a list is scrolled by key.
//
// Run: bench_preview [repetitions]   (prints times and ratios; nothing to pass or fail)
#include "JpegFixtures.h"

#include "app/Upreview.h"
#include "imaging/ImageDecoder.h"
#include "platform/winmem.h"

#include <turbojpeg.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::mutex g_lock;
std::condition_variable g_changed;
int g_nPosts = 0;
std::atomic<int> g_nDecodes{0};

void CountPost(void*)
{
    std::lock_guard guard(g_lock);
    ++g_nPosts;
    g_changed.notify_all();
}

int CountingDecoder(void* pHeader, void* pBits, const char* pszPath, DWORD* pdwCount)
{
    if (pHeader != nullptr)
        ++g_nDecodes;
    return DecodePreviewImage(pHeader, pBits, pszPath, pdwCount);
}

int Posts()
{
    std::lock_guard guard(g_lock);
    return g_nPosts;
}

// Waits until nPosts announcements have been made, or a quiet second has passed.
void WaitForPosts(int nPosts)
{
    std::unique_lock guard(g_lock);
    g_changed.wait_for(guard, std::chrono::seconds(10), [&] { return g_nPosts >= nPosts; });
}

double Millis(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A plain decode from memory at nEighths / 8 of the full size, with libjpeg-turbo alone.
double LibraryDecode(const Bytes& jpeg, int nEighths, std::vector<std::uint8_t>* pPixels)
{
    tjhandle h = tjInitDecompress();
    int nWidth = 0, nHeight = 0, nSubsampling = 0, nColourspace = 0;
    tjDecompressHeader3(h, jpeg.data(), jpeg.size(), &nWidth, &nHeight, &nSubsampling, &nColourspace);
    nWidth = (nWidth * nEighths + 7) / 8;
    nHeight = (nHeight * nEighths + 7) / 8;
    pPixels->resize(std::size_t(nWidth) * nHeight * 4);
    const auto start = Clock::now();
    tjDecompress2(h, jpeg.data(), jpeg.size(), pPixels->data(), nWidth, nWidth * 4, nHeight, TJPF_BGRX, 0);
    const double dMs = Millis(Clock::now() - start);
    tjDestroy(h);
    return dMs;
}

double RequestToReady(const std::string& strPath)
{
    const int nBefore = Posts();
    const auto start = Clock::now();
    PostPreviewRequest(strPath.c_str());
    WaitForPosts(nBefore + 1);
    return Millis(Clock::now() - start);
}


// Times the preview of one picture against libjpeg-turbo's own decodes of it, alternating them
// so that all see the same machine load. Returns the preview's median.
double ComparePicture(const char* pszWhat, const Bytes& jpeg, const std::string& strPath, int nRepetitions)
{
    std::vector<double> full, preview, previewOneThread, half, threeEighths, eighth;
    std::vector<std::uint8_t> pixels;
    RequestToReady(strPath);  // the first picture allocates the pixel block
    for (int i = 0; i < nRepetitions; ++i) {
        full.push_back(LibraryDecode(jpeg, 8, &pixels));
        preview.push_back(RequestToReady(strPath));
        SetPreviewDecoderThreads(1);
        previewOneThread.push_back(RequestToReady(strPath));
        SetPreviewDecoderThreads(0);
        half.push_back(LibraryDecode(jpeg, 4, &pixels));
        threeEighths.push_back(LibraryDecode(jpeg, 3, &pixels));
        eighth.push_back(LibraryDecode(jpeg, 1, &pixels));
    }
    const auto* pHeader = static_cast<const BITMAPINFOHEADER*>(pImageHeader);
    const double dFull = Median(full), dPreview = Median(preview);
    std::printf("\n%s, %.1f MB; preview %d x %d\n", pszWhat, jpeg.size() / 1e6, pHeader->biWidth,
                -pHeader->biHeight);
    std::printf("  full-size decode, libjpeg-turbo from memory:  %6.1f ms\n", dFull);
    std::printf("  preview, request to WM_IMAGEREADY from file:   %6.1f ms  ratio %.2f (target <= 0.33)\n",
                dPreview, dPreview / dFull);
    std::printf("  the same preview decoded on one thread:        %6.1f ms  ratio %.2f\n",
                Median(previewOneThread), Median(previewOneThread) / dFull);
    std::printf("  1/2 decode, libjpeg-turbo from memory:        %6.1f ms  ratio %.2f\n",
                Median(half), Median(half) / dFull);
    std::printf("  3/8 decode, libjpeg-turbo from memory:        %6.1f ms  ratio %.2f\n",
                Median(threeEighths), Median(threeEighths) / dFull);
    std::printf("  1/8 decode (Huffman decoding dominates):      %6.1f ms  ratio %.2f\n",
                Median(eighth), Median(eighth) / dFull);
    return dPreview;
}

}  // namespace

int main(int argc, char** argv)
{
    const int nRepetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    ScratchFolder folder;
    std::printf("making four 6000 x 4000 JPEGs (quality 90, 4:2:0) ...\n");
    const PixelPicture picture = PhotoLikePicture(6000, 4000, 6);
    const Bytes detailed = EncodeJpeg(picture, JpegKind::Colour420, 90);
    const Bytes withRestarts = EncodeJpegWithRestarts(picture, JpegKind::Colour420, -1, 90);
    const PixelPicture smoothPicture = PhotoLikePicture(6000, 4000, 0);
    const Bytes smooth = EncodeJpeg(smoothPicture, JpegKind::Colour420, 90);
    const Bytes smoothWithRestarts = EncodeJpegWithRestarts(smoothPicture, JpegKind::Colour420, -1, 90);
    const std::string strPath = folder.Write("photo.jpg", detailed);
    const std::string strRestarts = folder.Write("restarts.jpg", withRestarts);
    const std::string strSmooth = folder.Write("smooth.jpg", smooth);
    const std::string strSmoothRestarts = folder.Write("smooth-restarts.jpg", smoothWithRestarts);
    std::printf("processors: %u (a picture with restart markers is decoded in that many stripes)\n",
                std::thread::hardware_concurrency());

    pImageHeader = GlobalAllocZeroed(kImageHeaderSize);
    g_pfnPostImageReady = CountPost;
    g_pfnPreviewDecoder = CountingDecoder;
    StartPreviewWorker();

    const double dPreview = ComparePicture("detailed picture (noise as in a photograph)", detailed, strPath, nRepetitions);
    ComparePicture("smooth picture (gradients only)", smooth, strSmooth, nRepetitions);
    ComparePicture("the detailed picture with a restart marker every MCU row", withRestarts,
                   strRestarts, nRepetitions);
    ComparePicture("the smooth picture with a restart marker every MCU row", smoothWithRestarts,
                   strSmoothRestarts, nRepetitions);
    std::printf("\n");

    // Holding an arrow key over 50 rows: 50 different files requested.
    std::vector<std::string> rows;
    for (int i = 0; i < 50; ++i) {
        const std::string strRow = folder.PathOf("row" + std::to_string(i) + ".jpg");
        std::error_code ec;
        std::filesystem::create_hard_link(strPath, strRow, ec);
        if (ec)
            std::filesystem::copy_file(strPath, strRow, ec);
        rows.push_back(strRow);
    }
    auto scroll = [&](std::chrono::milliseconds interval, const char* pszWhat) {
        // Let the worker go idle, then count what the scroll causes.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const int nPostsBefore = Posts(), nDecodesBefore = g_nDecodes;
        for (const std::string& strRow : rows) {
            PostPreviewRequest(strRow.c_str());
            std::this_thread::sleep_for(interval);
        }
        WaitForPosts(nPostsBefore + 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(300) + std::chrono::milliseconds(int(dPreview * 2)));
        const int nPosts = Posts() - nPostsBefore, nDecodes = g_nDecodes - nDecodesBefore;
        std::printf("%s: 50 requests -> %d decodes, %d WM_IMAGEREADY (posts per request %.2f)\n",
                    pszWhat, nDecodes, nPosts, nPosts / 50.0);
    };
    scroll(std::chrono::milliseconds(0), "burst of 50 requests");
    scroll(std::chrono::milliseconds(33), "50 rows at key-repeat speed (33 ms)");

    StopPreviewWorker();
    GlobalFree(pImageHeader);
    GlobalFree(pImageBits);
    pImageHeader = pImageBits = nullptr;
    return 0;
}
