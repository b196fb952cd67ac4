#include "ScaleRule.h"

#include <algorithm>
#include <cstdint>

#include <turbojpeg.h>

int ScaleDimension(int nDimension, ScaleFactor factor)
{
    const std::int64_t qwScaled =
        (std::int64_t{nDimension} * factor.nNum + factor.nDenom - 1) / factor.nDenom;
    return static_cast<int>(qwScaled);
}

ScaledSize ChoosePreviewScale(int nWidth, int nHeight, const ScaleFactor* pFactors,
                              std::size_t nFactors, int nMinLongSide)
{
    ScaledSize best{{1, 1}, nWidth, nHeight};
    for (std::size_t i = 0; i < nFactors; ++i) {
        const ScaleFactor f = pFactors[i];
        if (f.nNum <= 0 || f.nDenom <= 0 || f.nNum > f.nDenom)
            continue;  // enlarging factors never make a preview
        const int nScaledWidth = ScaleDimension(nWidth, f);
        const int nScaledHeight = ScaleDimension(nHeight, f);
        if (std::max(nScaledWidth, nScaledHeight) < nMinLongSide)
            continue;
        if (std::int64_t{nScaledWidth} * nScaledHeight < std::int64_t{best.nWidth} * best.nHeight)
            best = ScaledSize{f, nScaledWidth, nScaledHeight};
    }
    return best;
}

std::vector<ScaleFactor> PreviewScaleFactors()
{
    int nFactors = 0;
    const tjscalingfactor* pFactors = tjGetScalingFactors(&nFactors);
    std::vector<ScaleFactor> factors;
    for (int i = 0; pFactors != nullptr && i < nFactors; ++i) {
        const int nDenom = pFactors[i].denom;
        if (pFactors[i].num == 1 && nDenom > 0 && (nDenom & (nDenom - 1)) == 0)
            factors.push_back(ScaleFactor{1, nDenom});
    }
    return factors;
}
