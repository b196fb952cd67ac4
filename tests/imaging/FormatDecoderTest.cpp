// The preview decoder on PNG, WebP, HEIC and AVIF files made by real tools, on files that embed
// a JPEG picture, and on broken and oversized ones.
#include "DecodeCalls.h"
#include "PictureFixtures.h"

#include "imaging/ImageDecoder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

const Bgrx kWhite{255, 255, 255};
const Bgrx kBlueOnWhiteHalf{255, 127, 127};  // blue at half opacity over white

struct FormatCase {
    const char* pszName;
    PictureKind kind;
    int nWidth, nHeight;        // as stored
    int nOutWidth, nOutHeight;  // in the preview
    bool bAlpha;                // top right clear, bottom left half covered (QuadrantAlpha)
};

// Small pictures at their own size; those wider than two screens reduced by 2 or 4, as a JPEG.
const FormatCase kFormatCases[] = {
    {"a.png", PictureKind::Png, 64, 48, 64, 48, false},
    {"alpha.png", PictureKind::Png, 64, 48, 64, 48, true},
    {"palette.png", PictureKind::PngPalette, 64, 48, 64, 48, false},
    {"deep.png", PictureKind::Png16, 64, 48, 64, 48, false},
    {"wide.png", PictureKind::PngInterlaced, 3900, 64, 1950, 32, false},
    {"a.webp", PictureKind::WebpLossless, 64, 48, 64, 48, false},
    {"alpha.webp", PictureKind::WebpLossy, 64, 48, 64, 48, true},
    {"wide.webp", PictureKind::WebpLossy, 3900, 64, 1950, 32, false},
    {"a.heic", PictureKind::Heic, 64, 48, 64, 48, false},
    {"alpha.heic", PictureKind::Heic, 64, 48, 64, 48, true},
    {"wide.heic", PictureKind::Heic, 8000, 64, 2000, 16, false},
    {"a.avif", PictureKind::Avif, 64, 48, 64, 48, false},
};

}  // namespace

TEST(PreviewDecoderFormats, EachFormatIsDecodedAtTheReducedSizeTransparentPartsOnWhite)
{
    ScratchFolder folder;
    for (const FormatCase& c : kFormatCases) {
        SCOPED_TRACE(c.pszName);
        const std::string strPath = WritePicture(folder, c.pszName, QuadrantPicture(c.nWidth, c.nHeight), c.kind,
                                                 c.bAlpha ? QuadrantAlpha(c.nWidth, c.nHeight) : AlphaPlane());
        ASSERT_FALSE(strPath.empty());
        const Decoded d = DecodeFile(strPath);
        EXPECT_EQ(d.dwCount, std::uint32_t(c.nOutWidth * c.nOutHeight * 4));
        ASSERT_EQ(d.Width(), c.nOutWidth);
        ASSERT_EQ(d.Height(), c.nOutHeight);
        EXPECT_EQ(d.header.biBitCount, 32);
        EXPECT_EQ(d.header.biCompression, BI_RGB);
        ExpectQuadrants(d, kRed, c.bAlpha ? kWhite : kGreen, kYellow, c.bAlpha ? kBlueOnWhiteHalf : kBlue);
        EXPECT_TRUE(d.AllOpaque());
    }
}

TEST(PreviewDecoderFormats, RealCameraFilesDecode)
{
    const struct {
        const char* pszName;
        int nOutWidth, nOutHeight;
    } cases[] = {{"IMG_2927.HEIC", 1512, 2016}, {"Nikon_D1X.webp", 600, 391}};
    for (const auto& c : cases) {
        const Decoded d = DecodeFile(std::string(VELMORA_IMAGING_DATA) + "/" + c.pszName);
        EXPECT_EQ(d.Width(), c.nOutWidth) << c.pszName;
        EXPECT_EQ(d.Height(), c.nOutHeight) << c.pszName;
        EXPECT_TRUE(d.AllOpaque()) << c.pszName;
    }
}

TEST(PreviewDecoderFormats, HeifOrientationIsLibheifsAloneNotExifsOnTop)
{
    // The Exif Orientation of a HEIC picture describes the stored picture before the file's own
    // transformations, which libheif applies: turning it again would show it sideways.
    ScratchFolder folder;
    const std::string strPath = WritePicture(folder, "turned.heic", QuadrantPicture(64, 48), PictureKind::Heic);
    ASSERT_FALSE(strPath.empty());
    ASSERT_EQ(std::system(("exiftool -q -overwrite_original -Orientation#=6 '" + strPath + "'").c_str()), 0);
    const Decoded d = DecodeFile(strPath);
    ASSERT_EQ(d.Width(), 64);
    EXPECT_EQ(d.Height(), 48);
    ExpectQuadrants(d, kRed, kGreen, kYellow, kBlue);
}

TEST(PreviewDecoderFormats, BrokenFilesLeaveNothingOrAPictureOfTheRightSize)
{
    // Cut inside its headers a file shows nothing; cut later or damaged, what its library could
    // decode of it (as a cut JPEG does) or nothing, never more than the block holds.
    auto expectWholeOrNothing = [](const Decoded& d, const std::string& strWhat) {
        EXPECT_TRUE((d.Width() == 256 && d.Height() == 192) || (d.Width() == 0 && d.Height() == 0)) << strWhat;
        EXPECT_TRUE(d.AllOpaque()) << strWhat;
    };
    ScratchFolder folder;
    const struct {
        const char* pszName;
        PictureKind kind;
    } kinds[] = {{"b.png", PictureKind::Png}, {"b.webp", PictureKind::WebpLossy},
                 {"b.heic", PictureKind::Heic}, {"b.avif", PictureKind::Avif}};
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.pszName);
        const Bytes good = ReadBytes(WritePicture(folder, k.pszName, PhotoLikePicture(256, 192), k.kind));
        ASSERT_GT(good.size(), 200u);
        ExpectNothingDecoded(DecodeFile(folder.Write(k.pszName, Bytes(good.begin(), good.begin() + 20))), "cut to 20");
        for (const std::size_t cbKept : {std::size_t(100), good.size() / 2, good.size() - 1})
            expectWholeOrNothing(DecodeFile(folder.Write(k.pszName, Bytes(good.begin(), good.begin() + cbKept))),
                                 "cut to " + std::to_string(cbKept));
        Bytes garbled = good;
        for (std::size_t i = good.size() / 3; i < good.size(); i += 5)
            garbled[i] = std::uint8_t(i * 31);
        expectWholeOrNothing(DecodeFile(folder.Write(k.pszName, garbled)), "garbled");
    }
}

TEST(PreviewDecoderFormats, OversizedPicturesAreRefusedFromTheirHeaders)
{
    ScratchFolder folder;
    const Bytes png = ReadBytes(WritePicture(folder, "s.png", QuadrantPicture(16, 16), PictureKind::Png));
    const Bytes webp = ReadBytes(WritePicture(folder, "s.webp", QuadrantPicture(16, 16), PictureKind::WebpLossless));
    const Bytes heic = ReadBytes(WritePicture(folder, "s.heic", QuadrantPicture(16, 16), PictureKind::Heic));
    const struct {
        const char* pszName;
        Bytes data;
    } cases[] = {
        {"huge.png", WithPngSize(png, 20000, 20000)},     // 400 million pixels
        {"long.png", WithPngSize(png, 1u << 30, 2)},      // beyond libpng's own limit
        {"wide.png", WithPngSize(png, 9000, 8000)},       // just above the limit
        {"huge.webp", WithWebpLosslessSize(webp, 16384, 16384)},
        {"huge.heic", WithHeifSize(heic, 30000, 30000)},
    };
    for (const auto& c : cases)
        ExpectNothingDecoded(DecodeFile(folder.Write(c.pszName, c.data)), c.pszName);
    // The changes themselves keep the files readable: at a size within the limits each gives
    // a picture of that size or fails in its data, never in its header.
    DWORD dwCount = 0;
    DecodePreviewImage(nullptr, nullptr, folder.Write("ok.png", WithPngSize(png, 4000, 3000)).c_str(), &dwCount);
    EXPECT_EQ(dwCount, 2000u * 1500u * 4u);
    DecodePreviewImage(nullptr, nullptr, folder.Write("ok.webp", WithWebpLosslessSize(webp, 300, 200)).c_str(), &dwCount);
    EXPECT_EQ(dwCount, 300u * 200u * 4u);
}

namespace {

// Where the test's raw files keep their JPEG picture, as the EXIF engine would report it.
std::uint64_t g_qwEmbeddedOffset = 0, g_qwEmbeddedLength = 0;
int g_nLocatorCalls = 0;

bool TestLocator(const char*, std::uint64_t* pqwOffset, std::uint64_t* pqwLength)
{
    ++g_nLocatorCalls;
    *pqwOffset = g_qwEmbeddedOffset;
    *pqwLength = g_qwEmbeddedLength;
    return g_qwEmbeddedLength != 0;
}

struct LocatorGuard {
    LocatorGuard() { SetEmbeddedJpegLocator(TestLocator); }
    ~LocatorGuard() { SetEmbeddedJpegLocator(nullptr); }
    LocatorGuard(const LocatorGuard&) = delete;
    LocatorGuard& operator=(const LocatorGuard&) = delete;
};

// A raw file as far as the decoder can tell: a TIFF structure (by default a bare header), the
// JPEG at qwOffset, more data after it. Large offsets leave a hole (no disk space used).
std::string WriteRawFile(const ScratchFolder& folder, const std::string& strName, const Bytes& jpeg,
                         std::uint64_t qwOffset, std::uint64_t qwSize,
                         const Bytes& tiff = Bytes{'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0})
{
    const std::string strPath = folder.PathOf(strName);
    {
        std::ofstream file(strPath, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(tiff.data()), std::streamsize(tiff.size()));
        file.seekp(std::streamoff(qwOffset));
        file.write(reinterpret_cast<const char*>(jpeg.data()), std::streamsize(jpeg.size()));
    }
    std::filesystem::resize_file(strPath, qwSize);
    g_qwEmbeddedOffset = qwOffset;
    g_qwEmbeddedLength = jpeg.size();
    return strPath;
}

}  // namespace

TEST(PreviewDecoderEmbedded, RawFilesShowTheirJpegTurnedAndReducedAsAJpegFile)
{
    LocatorGuard locator;
    ScratchFolder folder;
    const Bytes jpeg = WithOrientation(EncodeJpegWithRestarts(QuadrantPicture(4000, 2600), JpegKind::Colour420, -1, 60), 6);
    const Decoded d = DecodeFile(WriteRawFile(folder, "IMG_0001.CR2", jpeg, 70000, 400000 + jpeg.size()));
    EXPECT_EQ(d.Width(), 1300);
    EXPECT_EQ(d.Height(), 2000);
    ExpectQuadrants(d, kBlue, kRed, kGreen, kYellow);

    // Only the picture counts against the size limit, not the raw file it lies in.
    const std::uint64_t qwFar = kDecoderMaxFileBytes + (16u << 20);
    const Decoded far = DecodeFile(WriteRawFile(folder, "big.nef", jpeg, qwFar, qwFar + jpeg.size() + 4096));
    EXPECT_EQ(far.Width(), 1300);
}

TEST(PreviewDecoderEmbedded, APreviewWithoutOrientationIsTurnedAsTheRawFileSays)
{
    LocatorGuard locator;
    ScratchFolder folder;
    // The raw file's TIFF structure, made by ImageMagick, its Orientation set by exiftool.
    const std::string strTiff = folder.PathOf("head.tif");
    ASSERT_EQ(std::system(("convert -size 8x8 xc:gray -compress none 'tiff:" + strTiff + "' && exiftool -q "
                           "-overwrite_original -Orientation#=8 '" + strTiff + "'").c_str()), 0);
    const Bytes tiff = ReadBytes(strTiff);
    const Bytes plain = EncodeJpeg(QuadrantPicture(32, 16), JpegKind::Colour444, 95);
    const Decoded turned = DecodeFile(WriteRawFile(folder, "p.dng", plain, 8192, 20000, tiff));
    ASSERT_EQ(turned.Width(), 16);
    ExpectQuadrants(turned, kGreen, kYellow, kBlue, kRed);
    // A preview that says how it is turned is turned as it says.
    const Decoded own = DecodeFile(WriteRawFile(folder, "p.dng", WithOrientation(plain, 3), 8192, 20000, tiff));
    ASSERT_EQ(own.Width(), 32);
    ExpectQuadrants(own, kYellow, kBlue, kRed, kGreen);
}

TEST(PreviewDecoderEmbedded, WhatTheLocatorReportsIsCheckedBeforeItIsDecoded)
{
    LocatorGuard locator;
    ScratchFolder folder;
    const Bytes jpeg = EncodeJpeg(QuadrantPicture(64, 48), JpegKind::Colour444);
    const std::string strRaw = WriteRawFile(folder, "a.arw", jpeg, 4096, 100000);
    const struct {
        const char* pszWhat;
        std::uint64_t qwOffset, qwLength;
    } cases[] = {
        {"no embedded picture (a video without one)", 0, 0},
        {"past the end of the file", 99000, jpeg.size() + 5000},
        {"offset beyond the file", 1ull << 40, jpeg.size()},
        {"not a JPEG picture there", 0, jpeg.size()},
        {"longer than the decoder reads", 4096, kDecoderMaxFileBytes + 1},
    };
    for (const auto& c : cases) {
        g_qwEmbeddedOffset = c.qwOffset;
        g_qwEmbeddedLength = c.qwLength;
        ExpectNothingDecoded(DecodeFile(strRaw), c.pszWhat);
    }
    SetEmbeddedJpegLocator(nullptr);
    g_qwEmbeddedOffset = 4096;
    g_qwEmbeddedLength = jpeg.size();
    ExpectNothingDecoded(DecodeFile(strRaw), "no locator set");
}

TEST(PreviewDecoderEmbedded, TheFormatIsToldByContentNotByName)
{
    LocatorGuard locator;
    ScratchFolder folder;
    g_qwEmbeddedLength = 0;
    g_nLocatorCalls = 0;
    const Decoded jpegAsRaw = DecodeFile(folder.Write("IMG_0002.CR2", EncodeJpeg(QuadrantPicture(64, 48), JpegKind::Colour444)));
    EXPECT_EQ(jpegAsRaw.Width(), 64);
    const std::string strPng = WritePicture(folder, "png.heic", QuadrantPicture(32, 16), PictureKind::Png);
    EXPECT_EQ(DecodeFile(strPng).Width(), 32);
    EXPECT_EQ(g_nLocatorCalls, 0);
    ExpectNothingDecoded(DecodeFile(folder.Write("empty.mov", {})), "an empty video");
    EXPECT_EQ(g_nLocatorCalls, 2);  // size query and decode
}
