#include "ImageDecoder.h"

#include "JpegLayout.h"
#include "Orientation.h"
#include "PictureFormat.h"
#include "RasterPicture.h"
#include "RestartStripes.h"
#include "ScaleRule.h"

#include "../platform/winmem.h"
#include "../platform/winreadfile.h"

#include <turbojpeg.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// How much of a file is read to see whether it is small enough to be decoded; most pictures
// are larger, and the rest of them is read next.
constexpr std::size_t kHeadBytes = 256 * 1024;
// Chroma is widened by repeating samples rather than by interpolating between rows: the preview
// is drawn at a reduced size without smoothing, where the two look the same, and without rows
// of context every stripe of a picture decodes exactly as the same rows of the whole.
constexpr int kFlags = TJFLAG_FASTDCT | TJFLAG_FASTUPSAMPLE | TJFLAG_LIMITSCANS;
constexpr unsigned kDecoderMaxThreads = 8;

struct DecodePlan {
    const RasterCodec* pRaster = nullptr;  // null for a JPEG picture
    RasterPlan raster;
    JpegLayout layout;
    ScaledSize scaled{};  // the picture as the library decodes it (stored orientation)
    int nOutWidth = 0;    // the upright picture
    int nOutHeight = 0;
    std::uint64_t cbPixels = 0;
};

enum class PlanResult { Ok, NeedMoreBytes, Refused };

struct TjHandleCloser {
    void operator()(void* h) const { tjDestroy(h); }
};
using TjHandle = std::unique_ptr<void, TjHandleCloser>;

// The bytes to decode: a JPEG file (the file itself or the picture it embeds) or a picture
// of one of the raster formats.
struct PictureBytes {
    PictureFormat format = PictureFormat::Jpeg;
    std::vector<std::uint8_t> data;
    // For the picture a raw file embeds: the raw file's own Orientation, which holds for its
    // preview unless that carries one of its own (cameras store the preview as the sensor saw it).
    int nContainerOrientation = 1;
};

PlanResult PlanJpeg(const PictureBytes& picture, DecodePlan* pPlan)
{
    const std::vector<std::uint8_t>& data = picture.data;
    JpegLayout& layout = pPlan->layout;
    if (!ReadJpegLayout(data.data(), data.size(), &layout))
        return PlanResult::Refused;
    if (layout.nOrientation == 1)
        layout.nOrientation = picture.nContainerOrientation;
    if (!layout.bReachedScan)
        return PlanResult::NeedMoreBytes;
    if (layout.nWidth <= 0 || layout.nHeight <= 0 ||
        (layout.nComponents != 1 && layout.nComponents != 3 && layout.nComponents != 4))
        return PlanResult::Refused;
    // A progressive picture is decoded through a buffer of all its coefficients, whatever the
    // scale: refuse the ones that would need an absurd amount of memory.
    if (layout.bProgressive && layout.cbCoefficients > kDecoderMaxCoefficientBytes)
        return PlanResult::Refused;

    static const std::vector<ScaleFactor> factors = PreviewScaleFactors();
    pPlan->scaled = ChoosePreviewScale(layout.nWidth, layout.nHeight, factors.data(), factors.size());
    OrientedSize(pPlan->scaled.nWidth, pPlan->scaled.nHeight, layout.nOrientation,
                 &pPlan->nOutWidth, &pPlan->nOutHeight);
    const std::uint64_t qwPixels =
        std::uint64_t(pPlan->nOutWidth) * std::uint64_t(pPlan->nOutHeight);
    if (qwPixels == 0 || qwPixels > kDecoderMaxPixels)
        return PlanResult::Refused;
    pPlan->cbPixels = qwPixels * 4;
    return PlanResult::Ok;
}

const RasterCodec* RasterCodecFor(PictureFormat format)
{
    switch (format) {
    case PictureFormat::Png: return &PngCodec();
    case PictureFormat::WebP: return &WebpCodec();
    case PictureFormat::Heif: return &HeifCodec();
    default: return nullptr;
    }
}

PlanResult PlanDecode(const PictureBytes& picture, DecodePlan* pPlan)
{
    pPlan->pRaster = RasterCodecFor(picture.format);
    if (pPlan->pRaster == nullptr)
        return PlanJpeg(picture, pPlan);
    RasterPlan& raster = pPlan->raster;
    if (!PlanRaster(*pPlan->pRaster, picture.data.data(), picture.data.size(), &raster))
        return PlanResult::Refused;
    pPlan->nOutWidth = raster.nOutWidth;
    pPlan->nOutHeight = raster.nOutHeight;
    pPlan->cbPixels = std::uint64_t(raster.nOutWidth) * std::uint64_t(raster.nOutHeight) * 4;
    return PlanResult::Ok;
}

// Adobe's CMYK JPEGs (the kind cameras and editors write) store the inks inverted, so a
// stored value of 255 means no ink.
void CmykToBgrx(std::uint8_t* pPixels, std::size_t nPixels)
{
    for (std::size_t i = 0; i < nPixels; ++i) {
        std::uint8_t* p = pPixels + 4 * i;
        const unsigned c = p[0], m = p[1], y = p[2], k = p[3];
        p[0] = static_cast<std::uint8_t>(y * k / 255);
        p[1] = static_cast<std::uint8_t>(m * k / 255);
        p[2] = static_cast<std::uint8_t>(c * k / 255);
        p[3] = 0xFF;
    }
}

bool DecompressWhole(const std::uint8_t* pJpeg, std::size_t cbJpeg, int nWidth, int nHeight,
                     int nPixelFormat, std::uint8_t* pTarget, int nPitch)
{
    TjHandle handle(tjInitDecompress());
    if (!handle)
        return false;
    if (tjDecompress2(handle.get(), pJpeg, static_cast<unsigned long>(cbJpeg), pTarget, nWidth,
                      nPitch, nHeight, nPixelFormat, kFlags) == 0)
        return true;
    // A warning (such as a file that ends early) still leaves the decoded picture in place.
    return tjGetErrorCode(handle.get()) == TJERR_WARNING;
}

// Decodes each stripe into its own rows of the target, all but the first on threads of their
// own. False when any stripe fails or does not fit, so that the caller decodes the file whole.
bool DecompressStripes(const std::vector<JpegStripe>& stripes, const DecodePlan& plan,
                       int nPixelFormat, std::uint8_t* pTarget)
{
    const ScaleFactor factor = plan.scaled.factor;
    const int nWidth = plan.scaled.nWidth, nPitch = nWidth * 4;
    std::vector<int> rowsAt, rowCounts;
    for (const JpegStripe& stripe : stripes) {
        // Stripes begin on MCU rows, multiples of 8 pixels, so every scale maps them exactly.
        rowsAt.push_back(static_cast<int>(std::int64_t{stripe.nFirstRow} * factor.nNum / factor.nDenom));
        rowCounts.push_back(ScaleDimension(stripe.nHeight, factor));
        if (rowsAt.back() + rowCounts.back() > plan.scaled.nHeight)
            return false;
    }
    std::unique_ptr<bool[]> decoded(new bool[stripes.size()]());
    auto decode = [&](std::size_t i) {
        const std::vector<std::uint8_t>& jpeg = stripes[i].jpeg;
        decoded[i] = DecompressWhole(jpeg.data(), jpeg.size(), nWidth, rowCounts[i], nPixelFormat,
                                     pTarget + std::size_t(rowsAt[i]) * nPitch, nPitch);
    };
    std::vector<std::thread> threads;
    threads.reserve(stripes.size());  // no reallocation, and so no throw, once threads run
    for (std::size_t i = 1; i < stripes.size(); ++i) {
        try {
            threads.emplace_back(decode, i);
        } catch (const std::system_error&) {
            decode(i);  // no thread to be had: decode it here instead
        }
    }
    decode(0);
    for (std::thread& thread : threads)
        thread.join();
    return std::all_of(decoded.get(), decoded.get() + stripes.size(), [](bool b) { return b; });
}

std::atomic<int> g_nDecoderThreads{0};

int DecoderThreads()
{
    const int nSet = g_nDecoderThreads.load();
    if (nSet > 0)
        return nSet;
    return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, kDecoderMaxThreads));
}

bool Decompress(const std::vector<std::uint8_t>& data, const DecodePlan& plan, int nPixelFormat,
                std::uint8_t* pTarget)
{
    const int nThreads = DecoderThreads();
    if (nThreads > 1) {
        // The stripes copy the picture's headers and scan: without memory for them, decode whole.
        try {
            const std::vector<JpegStripe> stripes =
                CutAtRestartMarkers(data.data(), data.size(), plan.layout, nThreads);
            if (!stripes.empty() && DecompressStripes(stripes, plan, nPixelFormat, pTarget))
                return true;
        } catch (const std::bad_alloc&) {
        }
    }
    return DecompressWhole(data.data(), data.size(), plan.scaled.nWidth, plan.scaled.nHeight,
                           nPixelFormat, pTarget, plan.scaled.nWidth * 4);
}

bool DecodeJpegInto(const std::vector<std::uint8_t>& data, const DecodePlan& plan, void* pBits)
{
    const bool bCmyk = plan.layout.nComponents == 4;
    const int nOrientation = plan.layout.nOrientation;
    if (!bCmyk && nOrientation == 1)
        return Decompress(data, plan, TJPF_BGRX, static_cast<std::uint8_t*>(pBits));

    const std::size_t nPixels = std::size_t(plan.scaled.nWidth) * std::size_t(plan.scaled.nHeight);
    std::unique_ptr<std::uint32_t[]> pStored(new (std::nothrow) std::uint32_t[nPixels]);
    if (!pStored)
        return false;
    auto* pStoredBytes = reinterpret_cast<std::uint8_t*>(pStored.get());
    if (!Decompress(data, plan, bCmyk ? TJPF_CMYK : TJPF_BGRX, pStoredBytes))
        return false;
    if (bCmyk)
        CmykToBgrx(pStoredBytes, nPixels);
    OrientPixels(pStored.get(), plan.scaled.nWidth, plan.scaled.nHeight, nOrientation,
                 static_cast<std::uint32_t*>(pBits));
    return true;
}

bool DecodeInto(const PictureBytes& picture, const DecodePlan& plan, void* pBits)
{
    if (plan.pRaster == nullptr)
        return DecodeJpegInto(picture.data, plan, pBits);
    return DecodeRaster(*plan.pRaster, picture.data.data(), picture.data.size(), plan.raster,
                        static_cast<std::uint32_t*>(pBits));
}

// The file the last size query of this thread read, kept for the decode of the same path that
// follows it: the preview worker makes that decode while it holds the image lock, so the decode
// must not wait on a slow disk or network folder, and it shows exactly the picture the query
// measured even when the file changes in between.
struct QueriedFile {
    std::string strPath;
    PictureBytes picture;
};
thread_local QueriedFile t_queried;

std::atomic<PreviewFileReader> g_pfnReader{ReadFileHead};
std::atomic<EmbeddedJpegLocator> g_pfnLocator{nullptr};

// The JPEG picture a file of another kind embeds, where the locator finds one: only that
// stretch of the file is read.
bool ReadEmbeddedJpeg(const char* pszPath, std::vector<std::uint8_t>* pData)
{
    pData->clear();
    const EmbeddedJpegLocator pfnLocate = g_pfnLocator.load();
    std::uint64_t qwOffset = 0, qwLength = 0, qwFileSize = 0;
    if (pfnLocate == nullptr || !pfnLocate(pszPath, &qwOffset, &qwLength) || qwLength == 0 ||
        qwLength > kDecoderMaxFileBytes)
        return false;
    return ReadFileRange(pszPath, qwOffset, static_cast<std::size_t>(qwLength), pData, &qwFileSize) &&
           pData->size() == qwLength &&
           SniffPictureFormat(pData->data(), pData->size()) == PictureFormat::Jpeg;
}

// The bytes to decode. A file of a format the decoder reads is read whole; its head is read
// first, so that a file too large to be decoded is refused without reading all of it, and so
// that a file of any other kind is told apart and only its embedded picture is read.
bool ReadForDecode(const char* pszPath, PictureBytes* pPicture)
{
    const PreviewFileReader pfnRead = g_pfnReader.load();
    std::vector<std::uint8_t>* pData = &pPicture->data;
    std::uint64_t qwFileSize = 0;
    if (!pfnRead(pszPath, kHeadBytes, pData, &qwFileSize))
        return false;
    pPicture->format = SniffPictureFormat(pData->data(), pData->size());
    if (pPicture->format == PictureFormat::Other) {
        pPicture->format = PictureFormat::Jpeg;
        pPicture->nContainerOrientation = ReadTiffOrientation(pData->data(), pData->size(), true);
        return ReadEmbeddedJpeg(pszPath, pData);
    }
    if (qwFileSize > kDecoderMaxFileBytes)
        return false;
    if (pData->size() >= qwFileSize)
        return true;
    return pfnRead(pszPath, kDecoderMaxFileBytes, pData, &qwFileSize) && qwFileSize <= kDecoderMaxFileBytes;
}

int QuerySize(const char* pszPath, DWORD* pdwCount)
{
    *pdwCount = 0;
    t_queried.strPath.clear();
    t_queried.picture.data.clear();
    PictureBytes picture;
    DecodePlan plan;
    if (!ReadForDecode(pszPath, &picture) || PlanDecode(picture, &plan) != PlanResult::Ok)
        return 0;
    *pdwCount = static_cast<DWORD>(plan.cbPixels);
    t_queried.strPath = pszPath;
    t_queried.picture = std::move(picture);
    return 1;
}

// The bytes of the file to decode: those of the size query just made for it, else read now.
bool TakeFileForDecode(const char* pszPath, PictureBytes* pPicture)
{
    if (!t_queried.strPath.empty() && t_queried.strPath == pszPath) {
        *pPicture = std::move(t_queried.picture);
        t_queried.strPath.clear();
        t_queried.picture = PictureBytes();
        return true;
    }
    return ReadForDecode(pszPath, pPicture);
}

int Decode(void* pHeader, void* pBits, const char* pszPath)
{
    // Until a picture has been decoded the header says 0 x 0: nothing to draw.
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    std::memcpy(pHeader, &header, sizeof header);

    PictureBytes picture;
    DecodePlan plan;
    if (pBits == nullptr || !TakeFileForDecode(pszPath, &picture) ||
        PlanDecode(picture, &plan) != PlanResult::Ok || GlobalSize(pBits) < plan.cbPixels ||
        !DecodeInto(picture, plan, pBits))
        return 0;

    header.biWidth = plan.nOutWidth;
    header.biHeight = -plan.nOutHeight;  // rows top-down
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(plan.cbPixels);
    std::memcpy(pHeader, &header, sizeof header);
    return 1;
}

}  // namespace

void SetPreviewFileReader(PreviewFileReader pfnReader)
{
    g_pfnReader = pfnReader != nullptr ? pfnReader : ReadFileHead;
}

void SetEmbeddedJpegLocator(EmbeddedJpegLocator pfnLocator)
{
    g_pfnLocator = pfnLocator;
}

void SetPreviewDecoderThreads(int nThreads)
{
    g_nDecoderThreads = std::max(0, nThreads);
}

int DecodePreviewImage(void* pHeader, void* pBits, const char* pszPath, DWORD* pdwCount)
{
    if (pszPath == nullptr)
        return 0;
    if (pHeader == nullptr) {
        return pdwCount != nullptr ? QuerySize(pszPath, pdwCount) : 0;
    }
    if (GlobalSize(pHeader) < sizeof(BITMAPINFOHEADER))
        return 0;
    return Decode(pHeader, pBits, pszPath);
}
