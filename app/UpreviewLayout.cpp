#include "UpreviewLayout.h"

#include <cmath>

namespace {

constexpr int kMinBox = 3;

// Fits an area of ratio dRatio (width / height) into nWidth x nHeight, leaving one pixel free
// on the deciding side; the other side is centred. The relatively wider box is decided by its
// height, otherwise (equal ratios too) by its width.
std::optional<PaneRect> FitRatio(double dRatio, int nWidth, int nHeight)
{
    if (nWidth < kMinBox || nHeight < kMinBox || !(dRatio > 0) || !std::isfinite(dRatio))
        return std::nullopt;
    const double dBoxRatio = static_cast<double>(nWidth) / nHeight;
    PaneRect rect{};
    if (dBoxRatio > dRatio) {
        rect.nHeight = nHeight - 2;
        rect.nTop = 1;
        rect.nWidth = static_cast<int>(std::trunc(nHeight * dRatio)) - 2;
        rect.nLeft = (nWidth - rect.nWidth) / 2;
    } else {
        rect.nWidth = nWidth - 2;
        rect.nLeft = 1;
        rect.nHeight = static_cast<int>(std::trunc(nWidth / dRatio)) - 2;
        rect.nTop = (nHeight - rect.nHeight) / 2;
    }
    if (rect.nWidth <= 0 || rect.nHeight <= 0)
        return std::nullopt;
    return rect;
}

}  // namespace

std::optional<PaneRect> FitPicture(std::int32_t biWidth, std::int32_t biHeight, int nBoxWidth,
                                   int nBoxHeight)
{
    // A negative height marks rows stored top-down; the picture is as high as its magnitude.
    const double dWidth = biWidth;
    const double dHeight = std::fabs(static_cast<double>(biHeight));
    if (biWidth <= 0 || biHeight == 0)
        return std::nullopt;
    return FitRatio(dWidth / dHeight, nBoxWidth, nBoxHeight);
}

std::optional<PaneRect> FitScreenFrame(int nPanelWidth, int nPanelHeight, int nScreenWidth,
                                       int nScreenHeight)
{
    if (nScreenWidth <= 0 || nScreenHeight <= 0)
        return std::nullopt;
    return FitRatio(static_cast<double>(nScreenWidth) / nScreenHeight, nPanelWidth, nPanelHeight);
}
