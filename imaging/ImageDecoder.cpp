#include "ImageDecoder.h"

#include "JpegLayout.h"
#include "Orientation.h"
#include "ScaleRule.h"

#include "../platform/winmem.h"
#include "../platform/winreadfile.h"

#include <turbojpeg.h>

#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

// The size query reads only this much; the markers in front of the first scan fit in it unless
// the file carries unusually large metadata.
constexpr std::size_t kHeadBytes = 256 * 1024;
constexpr int kFlags = TJFLAG_FASTDCT | TJFLAG_LIMITSCANS;

struct DecodePlan {
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

PlanResult PlanDecode(const std::vector<std::uint8_t>& data, DecodePlan* pPlan)
{
    JpegLayout& layout = pPlan->layout;
    if (!ReadJpegLayout(data.data(), data.size(), &layout))
        return PlanResult::Refused;
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

bool ReadForDecode(const char* pszPath, std::size_t cbLimit, std::vector<std::uint8_t>* pData,
                   std::uint64_t* pqwFileSize)
{
    return ReadFileHead(pszPath, cbLimit, pData, pqwFileSize) &&
           *pqwFileSize <= kDecoderMaxFileBytes;
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

bool Decompress(const std::vector<std::uint8_t>& data, const DecodePlan& plan, int nPixelFormat,
                std::uint8_t* pTarget)
{
    TjHandle handle(tjInitDecompress());
    if (!handle)
        return false;
    const int nWidth = plan.scaled.nWidth, nHeight = plan.scaled.nHeight;
    if (tjDecompress2(handle.get(), data.data(), static_cast<unsigned long>(data.size()), pTarget,
                      nWidth, nWidth * 4, nHeight, nPixelFormat, kFlags) == 0)
        return true;
    // A warning (such as a file that ends early) still leaves the decoded picture in place.
    return tjGetErrorCode(handle.get()) == TJERR_WARNING;
}

bool DecodeInto(const std::vector<std::uint8_t>& data, const DecodePlan& plan, void* pBits)
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

int QuerySize(const char* pszPath, DWORD* pdwCount)
{
    *pdwCount = 0;
    std::vector<std::uint8_t> data;
    std::uint64_t qwFileSize = 0;
    if (!ReadForDecode(pszPath, kHeadBytes, &data, &qwFileSize))
        return 0;
    DecodePlan plan;
    PlanResult result = PlanDecode(data, &plan);
    if (result == PlanResult::NeedMoreBytes && qwFileSize > data.size()) {
        if (!ReadForDecode(pszPath, kDecoderMaxFileBytes, &data, &qwFileSize))
            return 0;
        result = PlanDecode(data, &plan);
    }
    if (result != PlanResult::Ok)
        return 0;
    *pdwCount = static_cast<DWORD>(plan.cbPixels);
    return 1;
}

int Decode(void* pHeader, void* pBits, const char* pszPath)
{
    // Until a picture has been decoded the header says 0 x 0: nothing to draw.
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    std::memcpy(pHeader, &header, sizeof header);

    std::vector<std::uint8_t> data;
    std::uint64_t qwFileSize = 0;
    DecodePlan plan;
    if (pBits == nullptr || !ReadForDecode(pszPath, kDecoderMaxFileBytes, &data, &qwFileSize) ||
        PlanDecode(data, &plan) != PlanResult::Ok || GlobalSize(pBits) < plan.cbPixels ||
        !DecodeInto(data, plan, pBits))
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
