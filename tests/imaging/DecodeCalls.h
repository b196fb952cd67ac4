// The decoder called as the preview worker calls it, and checks of what it gave.
#pragma once

#include "JpegFixtures.h"

#include "platform/wintypes.h"

#include <cstddef>
#include <string>
#include <vector>

struct GlobalBlock {
    explicit GlobalBlock(std::size_t cb);
    ~GlobalBlock();
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    void* p;
};

// What the worker does: size query, a pixel block of that size, decode.
struct Decoded {
    DWORD dwCount = 0;
    BITMAPINFOHEADER header{};
    std::vector<std::uint8_t> pixels;

    int Width() const { return header.biWidth; }
    int Height() const { return -header.biHeight; }
    Bgrx At(int x, int y) const;
    // Whether every pixel's fourth byte is 0xFF, as the pane expects of the unused byte.
    bool AllOpaque() const;
};

Decoded DecodeFile(const std::string& strPath);

void ExpectColour(const Decoded& d, int x, int y, Bgrx expected, const char* pszWhere, int nTolerance = 24);
// The four corners of the upright quadrant picture, 2 pixels in.
void ExpectQuadrants(const Decoded& d, Bgrx topLeft, Bgrx topRight, Bgrx bottomRight, Bgrx bottomLeft);
void ExpectNothingDecoded(const Decoded& d, const char* pszWhat);

inline constexpr Bgrx kRed{0, 0, 255}, kGreen{0, 255, 0}, kBlue{255, 0, 0}, kYellow{0, 255, 255};
