#include "DecodeCalls.h"

#include "imaging/ImageDecoder.h"
#include "platform/winmem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

GlobalBlock::GlobalBlock(std::size_t cb) : p(GlobalAllocZeroed(cb)) {}

GlobalBlock::~GlobalBlock()
{
    GlobalFree(p);
}

Bgrx Decoded::At(int x, int y) const
{
    const std::uint8_t* p = pixels.data() + (std::size_t(y) * Width() + x) * 4;
    return Bgrx{p[0], p[1], p[2]};
}

bool Decoded::AllOpaque() const
{
    for (std::size_t i = 3; i < pixels.size(); i += 4) {
        if (pixels[i] != 0xFF)
            return false;
    }
    return true;
}

Decoded DecodeFile(const std::string& strPath)
{
    Decoded d;
    DecodePreviewImage(nullptr, nullptr, strPath.c_str(), &d.dwCount);
    GlobalBlock header(1064);
    GlobalBlock bits(d.dwCount != 0 ? d.dwCount : 4);
    std::memset(header.p, 0xAB, 1064);  // anything left from an earlier picture
    DecodePreviewImage(header.p, bits.p, strPath.c_str(), nullptr);
    std::memcpy(&d.header, header.p, sizeof d.header);
    if (d.header.biWidth > 0 && d.header.biHeight < 0)
        d.pixels.assign(static_cast<std::uint8_t*>(bits.p),
                        static_cast<std::uint8_t*>(bits.p) + std::size_t(d.Width()) * d.Height() * 4);
    return d;
}

void ExpectColour(const Decoded& d, int x, int y, Bgrx expected, const char* pszWhere, int nTolerance)
{
    const Bgrx c = d.At(x, y);
    EXPECT_NEAR(c.r, expected.r, nTolerance) << pszWhere;
    EXPECT_NEAR(c.g, expected.g, nTolerance) << pszWhere;
    EXPECT_NEAR(c.b, expected.b, nTolerance) << pszWhere;
}

void ExpectQuadrants(const Decoded& d, Bgrx topLeft, Bgrx topRight, Bgrx bottomRight, Bgrx bottomLeft)
{
    ASSERT_GE(d.Width(), 6);
    ASSERT_GE(d.Height(), 6);
    ExpectColour(d, 2, 2, topLeft, "top left");
    ExpectColour(d, d.Width() - 3, 2, topRight, "top right");
    ExpectColour(d, d.Width() - 3, d.Height() - 3, bottomRight, "bottom right");
    ExpectColour(d, 2, d.Height() - 3, bottomLeft, "bottom left");
}

void ExpectNothingDecoded(const Decoded& d, const char* pszWhat)
{
    EXPECT_EQ(d.dwCount, 0u) << pszWhat;
    EXPECT_EQ(d.header.biWidth, 0) << pszWhat;
    EXPECT_EQ(d.header.biHeight, 0) << pszWhat;
}
