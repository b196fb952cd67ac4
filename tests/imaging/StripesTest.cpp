// Cutting pictures with restart markers into stripes: each stripe decodes to exactly the same
// rows as the whole picture, and pictures that cannot be cut safely are not cut at all.
#include "JpegFixtures.h"

#include "imaging/JpegLayout.h"
#include "imaging/RestartStripes.h"

#include <gtest/gtest.h>

#include <turbojpeg.h>

#include <algorithm>

namespace {

constexpr int kFlags = TJFLAG_FASTDCT | TJFLAG_FASTUPSAMPLE;

// Decodes a JPEG at nEighths / 8 of its size into rows of nWidth pixels starting at pTarget.
bool DecodeAt(const Bytes& jpeg, int nEighths, int nWidth, int nHeight, std::uint8_t* pTarget)
{
    tjhandle h = tjInitDecompress();
    const int nWidthScaled = (nWidth * nEighths + 7) / 8, nHeightScaled = (nHeight * nEighths + 7) / 8;
    const bool bOk = tjDecompress2(h, jpeg.data(), jpeg.size(), pTarget, nWidthScaled, nWidthScaled * 4,
                                   nHeightScaled, TJPF_BGRX, kFlags) == 0;
    tjDestroy(h);
    return bOk;
}

std::vector<JpegStripe> Cut(const Bytes& jpeg, int nMaxStripes, int nMinHeight = 64)
{
    JpegLayout layout;
    EXPECT_TRUE(ReadJpegLayout(jpeg.data(), jpeg.size(), &layout));
    return CutAtRestartMarkers(jpeg.data(), jpeg.size(), layout, nMaxStripes, nMinHeight);
}

// Decodes the picture whole and stripe by stripe at the given scale and compares every byte.
void ExpectStripesMatchWhole(const Bytes& jpeg, int nWidth, int nHeight, int nMaxStripes,
                             int nEighths, const char* pszWhat)
{
    SCOPED_TRACE(pszWhat);
    const std::vector<JpegStripe> stripes = Cut(jpeg, nMaxStripes);
    ASSERT_GE(stripes.size(), 2u);
    EXPECT_LE(stripes.size(), std::size_t(nMaxStripes));
    const int nWidthScaled = (nWidth * nEighths + 7) / 8, nHeightScaled = (nHeight * nEighths + 7) / 8;
    std::vector<std::uint8_t> whole(std::size_t(nWidthScaled) * nHeightScaled * 4);
    std::vector<std::uint8_t> pieced(whole.size(), 0x55);
    ASSERT_TRUE(DecodeAt(jpeg, nEighths, nWidth, nHeight, whole.data()));
    int nNextRow = 0;
    for (const JpegStripe& stripe : stripes) {
        EXPECT_EQ(stripe.nFirstRow, nNextRow) << "stripes follow each other without gap";
        EXPECT_EQ(stripe.nFirstRow % 8, 0);
        nNextRow = stripe.nFirstRow + stripe.nHeight;
        const std::size_t nAt = std::size_t(stripe.nFirstRow * nEighths / 8) * nWidthScaled * 4;
        ASSERT_TRUE(DecodeAt(stripe.jpeg, nEighths, nWidth, stripe.nHeight, pieced.data() + nAt));
    }
    EXPECT_EQ(nNextRow, nHeight);
    EXPECT_TRUE(whole == pieced);
}

}  // namespace

TEST(RestartStripes, StripesDecodeToExactlyTheRowsOfTheWholePicture)
{
    // 733 rows: the last MCU row is partial. 1000 columns: 63 MCUs of 16 per row, 125 of 8.
    const PixelPicture picture = PhotoLikePicture(1000, 733, 6);
    const Bytes everyRow = EncodeJpegWithRestarts(picture, JpegKind::Colour420, -1);
    ExpectStripesMatchWhole(everyRow, 1000, 733, 2, 8, "4:2:0, every MCU row, 2 stripes, full size");
    ExpectStripesMatchWhole(everyRow, 1000, 733, 3, 4, "4:2:0, every MCU row, 3 stripes, half size");
    ExpectStripesMatchWhole(everyRow, 1000, 733, 8, 1, "4:2:0, every MCU row, 8 stripes, 1/8 size");
    // 7 MCUs do not divide a row of 125: only every 7th row starts with a marker.
    ExpectStripesMatchWhole(EncodeJpegWithRestarts(picture, JpegKind::Colour444, 7), 1000, 733, 4, 4,
                            "4:4:4, every 7 MCUs");
    ExpectStripesMatchWhole(EncodeJpegWithRestarts(picture, JpegKind::Grey, -3), 1000, 733, 3, 8,
                            "grey, every 3 rows");
    ExpectStripesMatchWhole(EncodeJpegWithRestarts(picture, JpegKind::Colour422, -2), 1000, 733, 4, 4,
                            "4:2:2, every 2 rows");
    // Fill bytes are allowed in front of any marker.
    Bytes filled = everyRow;
    for (std::size_t i = filled.size() - 3; i > 1000; --i)
        if (filled[i] == 0xFF && filled[i + 1] >= 0xD0 && filled[i + 1] <= 0xD7)
            filled.insert(filled.begin() + std::ptrdiff_t(i), 3, 0xFF);
    ExpectStripesMatchWhole(filled, 1000, 733, 2, 4, "fill bytes before every restart marker");
    ExpectStripesMatchWhole(WithOrientation(everyRow, 6), 1000, 733, 2, 4,
                            "EXIF segment in front of the frame");
}

TEST(RestartStripes, PicturesThatCannotBeCutSafelyAreLeftWhole)
{
    const PixelPicture picture = PhotoLikePicture(320, 256, 6);
    const Bytes good = EncodeJpegWithRestarts(picture, JpegKind::Colour420, -1);
    ASSERT_EQ(Cut(good, 2).size(), 2u);

    EXPECT_TRUE(Cut(EncodeJpeg(picture, JpegKind::Colour420), 4).empty()) << "no restart markers";
    EXPECT_TRUE(Cut(EncodeJpeg(picture, JpegKind::Progressive), 4).empty()) << "progressive";
    EXPECT_TRUE(Cut(good, 1).empty()) << "one stripe asked for";
    EXPECT_TRUE(Cut(good, 4, 200).empty()) << "stripes would be thinner than asked";
    // 20 MCUs of 16 x 16 per row: one marker after 400 MCUs lies past the end of the picture.
    EXPECT_TRUE(Cut(EncodeJpegWithRestarts(picture, JpegKind::Colour420, 400), 4).empty())
        << "no marker at all in the scan";

    // The scan's markers: every 0xFF followed by 0xD0..0xD7.
    JpegLayout layout;
    ReadJpegLayout(good.data(), good.size(), &layout);
    std::vector<std::size_t> markers;
    for (std::size_t i = layout.nScanDataPos; i + 1 < good.size(); ++i)
        if (good[i] == 0xFF && good[i + 1] >= 0xD0 && good[i + 1] <= 0xD7)
            markers.push_back(i);
    ASSERT_EQ(markers.size(), 15u);  // 16 MCU rows

    Bytes outOfOrder = good;
    outOfOrder[markers[5] + 1] = 0xD7;
    EXPECT_TRUE(Cut(outOfOrder, 4).empty()) << "a marker out of order";

    Bytes missing = good;
    missing.erase(missing.begin() + std::ptrdiff_t(markers[9]), missing.begin() + std::ptrdiff_t(markers[9]) + 2);
    EXPECT_TRUE(Cut(missing, 4).empty()) << "a marker missing";

    Bytes extra = good;
    const Bytes nextMarker = {0x55, 0xFF, 0xD7};  // the 16th marker, as the 15th was D6
    extra.insert(extra.end() - 2, nextMarker.begin(), nextMarker.end());
    EXPECT_TRUE(Cut(extra, 4).empty()) << "more markers than the picture has MCU rows";

    const Bytes truncated(good.begin(), good.begin() + std::ptrdiff_t(markers[12]));
    EXPECT_TRUE(Cut(truncated, 4).empty()) << "the file ends inside the scan";
    const Bytes endsAtMarker(good.begin(), good.begin() + std::ptrdiff_t(markers[12]) + 1);
    EXPECT_TRUE(Cut(endsAtMarker, 4).empty()) << "the file ends between 0xFF and its marker";

    // Over a megabyte of comments in front of the frame: each stripe would copy them.
    Bytes bulky(good.begin(), good.begin() + 2);
    const Bytes comment = [] {
        Bytes c = {0xFF, 0xFE, 0xFF, 0xFF};
        c.resize(2 + 0xFFFF, 'x');
        return c;
    }();
    for (int i = 0; i < 16; ++i)
        bulky.insert(bulky.end(), comment.begin(), comment.end());
    bulky.insert(bulky.end(), good.begin() + 2, good.end());
    EXPECT_TRUE(Cut(bulky, 4).empty()) << "over a megabyte of headers";
    bulky.erase(bulky.begin() + 2, bulky.begin() + 2 + std::ptrdiff_t(comment.size()));
    EXPECT_EQ(Cut(bulky, 4).size(), 4u) << "just under a megabyte of headers";

    JpegLayout broken = layout;
    broken.nScanDataPos = good.size() + 1;
    EXPECT_TRUE(CutAtRestartMarkers(good.data(), good.size(), broken, 4).empty())
        << "a layout pointing past the data";
}
