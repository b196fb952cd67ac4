// What the preview decoder needs to know about a JPEG file before it decodes it, read from the
// markers in front of the first scan: the frame's size and components, whether it is
// progressive, and the EXIF Orientation. Every read is bounds-checked against the given bytes.
#pragma once

#include <cstddef>
#include <cstdint>

struct JpegLayout {
    bool bReachedScan = false;  // the markers up to the first scan were all present
    bool bFoundFrame = false;   // a start-of-frame marker was read
    bool bProgressive = false;  // progressive frames keep every coefficient of the picture
    int nWidth = 0;             // frame size in pixels, as stored (before orientation)
    int nHeight = 0;
    int nComponents = 0;        // 1 grey, 3 colour, 4 CMYK/YCCK
    int nOrientation = 1;       // EXIF Orientation 1..8; 1 when absent or out of range
    // Bytes of a whole-picture coefficient buffer (64 coefficients of 2 bytes per block).
    std::uint64_t cbCoefficients = 0;

    // What it takes to cut the first scan into independently decodable stripes.
    bool bSequentialHuffman = false;  // a baseline or extended sequential Huffman frame
    int nMaxHSampling = 1;            // largest horizontal and vertical sampling factors
    int nMaxVSampling = 1;
    std::size_t nFrameHeightPos = 0;  // offset of the frame's 2-byte height
    int nRestartInterval = 0;         // MCUs between restart markers, 0 for none
    int nScanComponents = 0;          // components in the first scan
    std::size_t nScanDataPos = 0;     // offset of the first scan's entropy-coded data, 0 if absent
};

// False when the bytes do not begin with a JPEG start-of-image marker. Otherwise fills *pLayout
// as far as the bytes reach; bReachedScan tells whether they reached the first scan.
bool ReadJpegLayout(const std::uint8_t* pData, std::size_t cbData, JpegLayout* pLayout);

// The Orientation (tag 0x0112 of IFD0) of an APP1 "Exif" segment's payload; 1 when the payload
// is not EXIF, holds no Orientation, or holds a value outside 1..8.
int ReadExifOrientation(const std::uint8_t* pSegment, std::size_t cbSegment);

// The Orientation of IFD0 of a TIFF structure that begins at pTiff (a TIFF file, or a raw file
// built like one: with bRawMagic also the header variants of ORF and RW2 files); 1 as above.
int ReadTiffOrientation(const std::uint8_t* pTiff, std::size_t cbTiff, bool bRawMagic);
