// The marker walk, the scale rule and the turning the decoder relies on.
#include "JpegFixtures.h"

#include "imaging/JpegLayout.h"
#include "imaging/Orientation.h"
#include "imaging/ScaleRule.h"

#include <gtest/gtest.h>
#include <iterator>

namespace {

ScaledSize PreviewScale(int nWidth, int nHeight)
{
    const std::vector<ScaleFactor> factors = PreviewScaleFactors();
    return ChoosePreviewScale(nWidth, nHeight, factors.data(), factors.size());
}

}  // namespace

TEST(PreviewScale, SmallestPowerOfTwoReductionKeepingTheLongerSideAtLeast1920)
{
    struct Case {
        int nWidth, nHeight, nExpectWidth, nExpectHeight;
    };
    const Case cases[] = {
        {6000, 4000, 3000, 2000},    // 1/2; a quarter would be 1500 wide
        {4000, 6000, 2000, 3000},    // upright: the longer side decides
        {3840, 2160, 1920, 1080},    // exactly 1920
        {1920, 1080, 1920, 1080},    // half would be below 1920: full size
        {1919, 1919, 1919, 1919},    // smaller pictures stay full size
        {15000, 10000, 3750, 2500},  // an eighth would be 1875
        {20000, 20000, 2500, 2500},  // the smallest reduction there is
        {1, 1, 1, 1},
    };
    for (const Case& c : cases) {
        const ScaledSize s = PreviewScale(c.nWidth, c.nHeight);
        EXPECT_EQ(s.nWidth, c.nExpectWidth) << c.nWidth << " x " << c.nHeight;
        EXPECT_EQ(s.nHeight, c.nExpectHeight) << c.nWidth << " x " << c.nHeight;
    }
    // With every factor allowed the rule picks the smallest one, 3/8 here; enlarging factors
    // never count, even when they are the only ones.
    const ScaleFactor all[] = {{2, 1}, {1, 1}, {3, 4}, {1, 2}, {3, 8}, {1, 4}};
    EXPECT_EQ(ChoosePreviewScale(6000, 4000, all, std::size(all)).nWidth, 2250);
    const ScaleFactor onlyLarger[] = {{2, 1}};
    EXPECT_EQ(ChoosePreviewScale(1000, 800, onlyLarger, 1).nWidth, 1000);
}

TEST(JpegLayoutReader, ReadsFrameAndOrientationAndStopsAtBrokenData)
{
    const Bytes jpeg = EncodeJpeg(SolidPicture(40, 24, Bgrx{1, 2, 3}), JpegKind::Colour420);
    JpegLayout layout;
    ASSERT_TRUE(ReadJpegLayout(jpeg.data(), jpeg.size(), &layout));
    EXPECT_TRUE(layout.bReachedScan);
    EXPECT_EQ(layout.nWidth, 40);
    EXPECT_EQ(layout.nHeight, 24);
    EXPECT_EQ(layout.nComponents, 3);
    EXPECT_FALSE(layout.bProgressive);
    EXPECT_EQ(layout.nOrientation, 1);
    // 4:2:0: 5 x 3 luminance blocks, and 3 x 2 blocks for each colour, of 128 bytes.
    EXPECT_EQ(layout.cbCoefficients, (5u * 3u + 2u * 3u * 2u) * 128u);

    const Bytes turned = WithOrientation(jpeg, 8, true);
    ASSERT_TRUE(ReadJpegLayout(turned.data(), turned.size(), &layout));
    EXPECT_EQ(layout.nOrientation, 8);

    // Every cut of the header is read without reading past the end.
    for (std::size_t cb = 0; cb < 200 && cb < turned.size(); ++cb) {
        const Bytes cut(turned.begin(), turned.begin() + cb);
        const bool bJpeg = ReadJpegLayout(cut.data(), cut.size(), &layout);
        EXPECT_EQ(bJpeg, cb >= 2);
        EXPECT_FALSE(layout.bReachedScan) << cb;
    }
    EXPECT_FALSE(ReadJpegLayout(reinterpret_cast<const std::uint8_t*>("GIF89a"), 6, &layout));
}

TEST(JpegLayoutReader, ExifOrientationWithBrokenDirectories)
{
    const Bytes jpeg = WithOrientation(EncodeJpeg(SolidPicture(8, 8, Bgrx{1, 2, 3}), JpegKind::Grey), 6);
    // The APP1 payload starts after SOI, the marker and its length.
    const Bytes segment(jpeg.begin() + 6, jpeg.begin() + 6 + 26);
    EXPECT_EQ(ReadExifOrientation(segment.data(), segment.size()), 6);
    // The directory entry cut off at any point: no orientation, no read past the end.
    for (std::size_t cb = 0; cb < segment.size() - 4; ++cb)
        EXPECT_EQ(ReadExifOrientation(segment.data(), cb), 1) << cb;
    Bytes wrongType = segment;
    wrongType[6 + 10 + 2] = 4;  // LONG instead of SHORT
    EXPECT_EQ(ReadExifOrientation(wrongType.data(), wrongType.size()), 1);
    Bytes farIfd = segment;
    farIfd[6 + 4] = 0xF0;  // IFD0 offset far past the end
    EXPECT_EQ(ReadExifOrientation(farIfd.data(), farIfd.size()), 1);
}

TEST(PictureOrientation, EveryPixelLandsWhereTheTagSays)
{
    // Larger than one tile of the turning code and not a multiple of it; every pixel unique.
    const int W = 150, H = 70;
    std::vector<std::uint32_t> stored(W * H);
    for (int i = 0; i < W * H; ++i)
        stored[i] = std::uint32_t(i);
    // Where the stored pixel (x, y) belongs in the upright picture, for each Orientation.
    auto landing = [&](int nOrientation, int x, int y) -> std::pair<int, int> {
        switch (nOrientation) {
        case 2: return {W - 1 - x, y};
        case 3: return {W - 1 - x, H - 1 - y};
        case 4: return {x, H - 1 - y};
        case 5: return {y, x};
        case 6: return {H - 1 - y, x};
        case 7: return {H - 1 - y, W - 1 - x};
        case 8: return {y, W - 1 - x};
        default: return {x, y};
        }
    };
    for (int nOrientation = 1; nOrientation <= 8; ++nOrientation) {
        int nWidth = 0, nHeight = 0;
        OrientedSize(W, H, nOrientation, &nWidth, &nHeight);
        std::vector<std::uint32_t> upright(W * H, 0xFFFFFFFFu);
        OrientPixels(stored.data(), W, H, nOrientation, upright.data());
        int nWrong = 0;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const auto [ux, uy] = landing(nOrientation, x, y);
                nWrong += upright[uy * nWidth + ux] != stored[y * W + x];
            }
        EXPECT_EQ(nWrong, 0) << "orientation " << nOrientation;
    }
}
