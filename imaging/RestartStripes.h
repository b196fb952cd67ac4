// Cutting a JPEG picture into horizontal stripes that decode independently, so that a large
// picture can be decoded on several processors at once.
//
// Huffman-coded scan data is one serial chain, except where the encoder put restart markers:
// after each marker the decoder starts again at a byte boundary with fresh predictions. Many
// cameras and phones write one every row (or every few rows) of MCUs. A stripe is the picture's
// own headers with the frame height of its rows, followed by the scan data of those rows with
// their markers renumbered from the first, and an end-of-image marker: a complete JPEG file
// whose decoded rows are exactly those rows of the whole picture.
#pragma once

#include "JpegLayout.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct JpegStripe {
    std::vector<std::uint8_t> jpeg;  // a complete JPEG file of the stripe's rows
    int nFirstRow = 0;               // its first pixel row in the picture, as stored
    int nHeight = 0;                 // its pixel rows, as stored
};

// Cuts the picture (pData, described by layout) into at most nMaxStripes stripes of roughly
// equal height, each at least nMinStripeHeight pixel rows high. Gives nothing, so that the picture
// is decoded whole, unless it is a single-scan sequential Huffman picture whose scan holds
// every restart marker it should, numbered in order, with some of them at the start of an MCU
// row, and not more than a megabyte of headers and metadata in front of its scan (each stripe
// carries a copy). A damaged scan is therefore never cut: it keeps the whole decoder's way of dealing with it.
std::vector<JpegStripe> CutAtRestartMarkers(const std::uint8_t* pData, std::size_t cbData,
                                            const JpegLayout& layout, int nMaxStripes,
                                            int nMinStripeHeight = 64);
