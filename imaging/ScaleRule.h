// Which of the decoder's DCT scaling factors a preview uses.
#pragma once

#include <cstddef>
#include <vector>

struct ScaleFactor {
    int nNum;
    int nDenom;
};

struct ScaledSize {
    ScaleFactor factor;
    int nWidth;
    int nHeight;
};

// The previews are made for screens up to this wide.
constexpr int kPreviewMinLongSide = 1920;

// A dimension scaled by a factor, rounded up as the decoder rounds it.
int ScaleDimension(int nDimension, ScaleFactor factor);

// The factors the preview chooses from: those of the decoding library that reduce the picture
// by a power of two (1/1, 1/2, 1/4, 1/8). The library decodes these with its fast vector code;
// its other reductions (3/8, 5/8, ...) take nearly as long as a full-size decode.
std::vector<ScaleFactor> PreviewScaleFactors();

// The smallest of the given factors (only those of at most 1/1 count) whose longer scaled side
// is still at least nMinLongSide; full size (1/1) for a picture whose longer side is shorter
// than that, or when no factor qualifies.
ScaledSize ChoosePreviewScale(int nWidth, int nHeight, const ScaleFactor* pFactors,
                              std::size_t nFactors, int nMinLongSide = kPreviewMinLongSide);
