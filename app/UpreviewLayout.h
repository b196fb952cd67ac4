// The arithmetic of the preview pane: where the picture goes inside the paint box, and where
// the screen-shaped frame goes inside the panel. No drawing here, only rectangles.
#pragma once

#include <cstdint>
#include <optional>

struct PaneRect {
    int nLeft;
    int nTop;
    int nWidth;
    int nHeight;
    bool operator==(const PaneRect&) const = default;
};

// The destination of a biWidth x |biHeight| picture fitted into a box of nBoxWidth x
// nBoxHeight with its proportions kept, a one-pixel frame left free and centred; fractions are
// dropped. Nothing (no value) for an empty picture, a box smaller than 3 pixels either way, or
// a picture so lopsided that its destination would be empty.
std::optional<PaneRect> FitPicture(std::int32_t biWidth, std::int32_t biHeight, int nBoxWidth,
                                   int nBoxHeight);

// The bounds of the frame with the screen's proportions, centred in a panel of nPanelWidth x
// nPanelHeight with a one-pixel margin. Nothing for a panel smaller than 3 pixels either way,
// an unknown screen size, or a frame that would be empty.
std::optional<PaneRect> FitScreenFrame(int nPanelWidth, int nPanelHeight, int nScreenWidth,
                                       int nScreenHeight);
