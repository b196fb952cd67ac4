// The preview decoder on good, turned, unusual and broken files.
#include "DecodeCalls.h"
#include "JpegFixtures.h"

#include "imaging/ImageDecoder.h"
#include "platform/winmem.h"
#include "platform/winreadfile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

TEST(PreviewDecoder, GoodPictureGivesTopDown32BitBitmap)
{
    ScratchFolder folder;
    const Decoded d =
        DecodeFile(folder.Write("a.jpg", EncodeJpeg(SolidPicture(64, 48, Bgrx{40, 120, 200}), JpegKind::Colour420)));
    EXPECT_EQ(d.dwCount, 64u * 48u * 4u);
    EXPECT_EQ(d.header.biSize, 40u);
    EXPECT_EQ(d.header.biWidth, 64);
    EXPECT_EQ(d.header.biHeight, -48);
    EXPECT_EQ(d.header.biPlanes, 1);
    EXPECT_EQ(d.header.biBitCount, 32);
    EXPECT_EQ(d.header.biCompression, BI_RGB);
    EXPECT_EQ(d.header.biClrUsed, 0u);
    ExpectColour(d, 10, 10, Bgrx{40, 120, 200}, "solid colour");
    EXPECT_EQ(d.pixels[3], 0xFF);  // the unused byte reads as opaque

    // 1 x 1 pixel.
    const Decoded tiny = DecodeFile(folder.Write("b.jpg", EncodeJpeg(SolidPicture(1, 1, kGreen), JpegKind::Colour444)));
    EXPECT_EQ(tiny.dwCount, 4u);
    EXPECT_EQ(tiny.Width(), 1);
    EXPECT_EQ(tiny.Height(), 1);
    ExpectColour(tiny, 0, 0, kGreen, "1 x 1");
}

TEST(PreviewDecoder, LargePictureIsScaledDownButNotBelowScreenSize)
{
    ScratchFolder folder;
    // 4000 x 3000: half size is the smallest scale with a longer side of at least 1920.
    const Decoded d = DecodeFile(folder.Write("big.jpg", EncodeJpeg(QuadrantPicture(4000, 3000), JpegKind::Colour420, 60)));
    EXPECT_EQ(d.Width(), 2000);
    EXPECT_EQ(d.Height(), 1500);
    EXPECT_EQ(d.dwCount, 2000u * 1500u * 4u);
    ExpectColour(d, 100, 100, kRed, "top left");
    ExpectColour(d, 1900, 1400, kYellow, "bottom right");
}

TEST(PreviewDecoder, EveryOrientationIsTurnedUpright)
{
    // Stored 32 x 16: red, green over blue, yellow. Corners of the upright picture, clockwise
    // from top left, for each EXIF Orientation.
    struct Case {
        int nOrientation;
        int nWidth, nHeight;
        Bgrx topLeft, topRight, bottomRight, bottomLeft;
    };
    const Case cases[] = {
        {1, 32, 16, kRed, kGreen, kYellow, kBlue},   {2, 32, 16, kGreen, kRed, kBlue, kYellow},
        {3, 32, 16, kYellow, kBlue, kRed, kGreen},   {4, 32, 16, kBlue, kYellow, kGreen, kRed},
        {5, 16, 32, kRed, kBlue, kYellow, kGreen},   {6, 16, 32, kBlue, kRed, kGreen, kYellow},
        {7, 16, 32, kYellow, kGreen, kRed, kBlue},   {8, 16, 32, kGreen, kYellow, kBlue, kRed},
    };
    ScratchFolder folder;
    const Bytes stored = EncodeJpeg(QuadrantPicture(32, 16), JpegKind::Colour444, 95);
    for (const Case& c : cases) {
        for (const bool bMotorola : {false, true}) {
            SCOPED_TRACE("orientation " + std::to_string(c.nOrientation) + (bMotorola ? " MM" : " II"));
            const Decoded d = DecodeFile(folder.Write("o.jpg", WithOrientation(stored, c.nOrientation, bMotorola)));
            ASSERT_EQ(d.Width(), c.nWidth);
            ASSERT_EQ(d.Height(), c.nHeight);
            EXPECT_EQ(d.dwCount, 32u * 16u * 4u);
            ExpectColour(d, 2, 2, c.topLeft, "top left");
            ExpectColour(d, c.nWidth - 3, 2, c.topRight, "top right");
            ExpectColour(d, c.nWidth - 3, c.nHeight - 3, c.bottomRight, "bottom right");
            ExpectColour(d, 2, c.nHeight - 3, c.bottomLeft, "bottom left");
        }
    }
    // Orientation values outside 1..8 leave the picture as stored.
    const Decoded odd = DecodeFile(folder.Write("odd.jpg", WithOrientation(stored, 9)));
    EXPECT_EQ(odd.Width(), 32);
    ExpectColour(odd, 2, 2, kRed, "orientation 9");
}

TEST(PreviewDecoder, GreyCmykAndProgressivePictures)
{
    ScratchFolder folder;
    const Decoded grey = DecodeFile(folder.Write("g.jpg", EncodeJpeg(SolidPicture(40, 30, Bgrx{90, 90, 90}), JpegKind::Grey)));
    EXPECT_EQ(grey.Width(), 40);
    EXPECT_EQ(grey.Height(), 30);
    ExpectColour(grey, 5, 5, Bgrx{90, 90, 90}, "grey");

    const Decoded cmyk = DecodeFile(folder.Write("c.jpg", EncodeCmykJpeg(24, 20, Bgrx{30, 60, 220})));
    EXPECT_EQ(cmyk.dwCount, 24u * 20u * 4u);
    ASSERT_EQ(cmyk.Width(), 24);
    ExpectColour(cmyk, 5, 5, Bgrx{30, 60, 220}, "cmyk");
    EXPECT_EQ(cmyk.pixels[3], 0xFF);

    const Bytes progressive = EncodeJpeg(QuadrantPicture(3000, 2000), JpegKind::Progressive, 50);
    const Decoded prog = DecodeFile(folder.Write("p.jpg", WithOrientation(progressive, 6)));
    EXPECT_EQ(prog.Width(), 2000);  // full size (half would be 1500 wide), then turned
    EXPECT_EQ(prog.Height(), 3000);
    ExpectColour(prog, 10, 10, kBlue, "progressive, turned");
}

TEST(PreviewDecoder, UnreadableFilesLeaveNothingToDraw)
{
    ScratchFolder folder;
    const Bytes good = EncodeJpeg(PhotoLikePicture(256, 192), JpegKind::Colour420);

    ExpectNothingDecoded(DecodeFile(folder.PathOf("missing.jpg")), "missing file");
    ExpectNothingDecoded(DecodeFile(folder.PathOf("")), "a folder");
    ExpectNothingDecoded(DecodeFile(folder.Write("empty.jpg", {})), "empty file");
    ExpectNothingDecoded(DecodeFile(folder.Write("head.jpg", Bytes(good.begin(), good.begin() + 100))),
                         "cut inside the header");
    const Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                       0, 0, 1, 0, 0, 0, 1, 0, 8, 2, 0, 0, 0, 0x12, 0x34, 0x56, 0x78};
    ExpectNothingDecoded(DecodeFile(folder.Write("png.jpg", png)), "PNG renamed .jpg");
    ExpectNothingDecoded(DecodeFile(folder.Write("zero.jpg", WithFrameSize(good, 256, 0))), "height 0");

    // Random bytes after a start-of-image marker.
    Bytes noise = {0xFF, 0xD8};
    std::srand(7);
    for (int i = 0; i < 5000; ++i)
        noise.push_back(std::uint8_t(std::rand()));
    ExpectNothingDecoded(DecodeFile(folder.Write("noise.jpg", noise)), "noise");
}

TEST(PreviewDecoder, DamagedScanDataShowsWhatCouldBeDecoded)
{
    ScratchFolder folder;
    const Bytes good = EncodeJpeg(PhotoLikePicture(256, 192), JpegKind::Colour420);
    // Cut halfway through the scan: the top of the picture is there, as in any viewer.
    const Decoded half = DecodeFile(folder.Write("half.jpg", Bytes(good.begin(), good.begin() + good.size() / 2)));
    EXPECT_EQ(half.Width(), 256);
    EXPECT_EQ(half.Height(), 192);
    // Scan data overwritten with noise: either a picture of the right size or nothing.
    Bytes garbled = good;
    for (std::size_t i = good.size() / 3; i < good.size() - 2; i += 7)
        garbled[i] = std::uint8_t(i * 31);
    const Decoded bad = DecodeFile(folder.Write("garbled.jpg", garbled));
    EXPECT_TRUE((bad.Width() == 256 && bad.Height() == 192) || (bad.Width() == 0 && bad.Height() == 0));
}

TEST(PreviewDecoder, HugePicturesAreScaledOrRefusedWithoutLargeAllocations)
{
    ScratchFolder folder;
    const Bytes small = EncodeJpeg(SolidPicture(64, 64, kBlue), JpegKind::Colour420);
    // 20000 x 20000 baseline: an eighth, 2500 x 2500.
    const std::string strHuge = folder.Write("huge.jpg", WithFrameSize(small, 20000, 20000));
    const Decoded huge = DecodeFile(strHuge);
    EXPECT_EQ(huge.dwCount, 2500u * 2500u * 4u);
    EXPECT_EQ(huge.Width(), 2500);  // its scan data ends early: the rest is filled in
    // Progressive 20000 x 20000 would hold every coefficient (over a gigabyte): refused.
    const Bytes smallProgressive = EncodeJpeg(SolidPicture(64, 64, kBlue), JpegKind::Progressive);
    const Decoded prog = DecodeFile(folder.Write("hugep.jpg", WithFrameSize(smallProgressive, 20000, 20000)));
    ExpectNothingDecoded(prog, "progressive 20000 x 20000");
    // 65000 x 65000 baseline: even an eighth exceeds the pixel limit.
    const std::string strGiant = folder.Write("giant.jpg", WithFrameSize(small, 65000, 65000));
    DWORD dwCount = 1;
    DecodePreviewImage(nullptr, nullptr, strGiant.c_str(), &dwCount);
    EXPECT_EQ(dwCount, 0u);
}

namespace {

int g_nReads = 0;

bool CountingReader(const char* pszPath, std::size_t cbLimit, std::vector<std::uint8_t>* pData,
                    std::uint64_t* pqwFileSize)
{
    ++g_nReads;
    return ReadFileHead(pszPath, cbLimit, pData, pqwFileSize);
}

}  // namespace

TEST(PreviewDecoder, FileChangedBetweenTheTwoCallsNeverOverrunsTheBlock)
{
    ScratchFolder folder;
    const std::string strPath = folder.Write("x.jpg", EncodeJpeg(SolidPicture(16, 16, kRed), JpegKind::Colour444));
    SetPreviewFileReader(CountingReader);
    g_nReads = 0;
    DWORD dwCount = 0;
    DecodePreviewImage(nullptr, nullptr, strPath.c_str(), &dwCount);
    ASSERT_EQ(dwCount, 16u * 16u * 4u);
    EXPECT_EQ(g_nReads, 1) << "a small file is read whole at once";

    // The file grows to a larger picture before the decode: the decode reads nothing and shows
    // the picture the size query read, which fits the block of its size.
    folder.Write("x.jpg", EncodeJpeg(SolidPicture(64, 64, kGreen), JpegKind::Colour444));
    GlobalBlock header(1064), bits(dwCount);
    EXPECT_EQ(DecodePreviewImage(header.p, bits.p, strPath.c_str(), nullptr), 1);
    EXPECT_EQ(g_nReads, 1);
    BITMAPINFOHEADER after{};
    std::memcpy(&after, header.p, sizeof after);
    EXPECT_EQ(after.biWidth, 16);

    // A decode without its size query reads the file as it is now: the larger picture does not
    // fit the block, so nothing is written and the header says 0 x 0.
    std::memset(bits.p, 0, dwCount);
    EXPECT_EQ(DecodePreviewImage(header.p, bits.p, strPath.c_str(), nullptr), 0);
    EXPECT_EQ(g_nReads, 2);
    std::memcpy(&after, header.p, sizeof after);
    EXPECT_EQ(after.biWidth, 0);
    EXPECT_EQ(after.biHeight, 0);
    EXPECT_EQ(static_cast<std::uint8_t*>(bits.p)[0], 0);  // untouched

    // A larger block than needed is fine (the worker reuses its block).
    GlobalBlock bigBits(64u * 64u * 4u + 1000);
    EXPECT_EQ(DecodePreviewImage(header.p, bigBits.p, strPath.c_str(), nullptr), 1);
    std::memcpy(&after, header.p, sizeof after);
    EXPECT_EQ(after.biWidth, 64);
    SetPreviewFileReader(nullptr);
}

// Restores the decoder's own choice of threads when a test ends.
struct DecoderThreadsGuard {
    explicit DecoderThreadsGuard(int nThreads) { SetPreviewDecoderThreads(nThreads); }
    ~DecoderThreadsGuard() { SetPreviewDecoderThreads(0); }
    DecoderThreadsGuard(const DecoderThreadsGuard&) = delete;
    DecoderThreadsGuard& operator=(const DecoderThreadsGuard&) = delete;
};

Decoded DecodeFileOnThreads(const std::string& strPath, int nThreads)
{
    DecoderThreadsGuard threads(nThreads);
    return DecodeFile(strPath);
}

TEST(PreviewDecoder, PicturesWithRestartMarkersDecodeAlikeOnOneThreadAndOnSeveral)
{
    ScratchFolder folder;
    // 4000 x 2600 with a marker every MCU row: decoded at half size, and turned by EXIF.
    const Bytes jpeg = EncodeJpegWithRestarts(PhotoLikePicture(4000, 2600, 6), JpegKind::Colour420, -1);
    for (const int nOrientation : {1, 6}) {
        SCOPED_TRACE(nOrientation);
        const std::string strPath = folder.Write("r.jpg", WithOrientation(jpeg, nOrientation));
        const Decoded one = DecodeFileOnThreads(strPath, 1), three = DecodeFileOnThreads(strPath, 3);
        EXPECT_EQ(one.Width(), nOrientation == 1 ? 2000 : 1300);
        EXPECT_EQ(three.Width(), one.Width());
        EXPECT_EQ(three.Height(), one.Height());
        EXPECT_TRUE(three.pixels == one.pixels);
    }
}

TEST(PreviewDecoder, DamagedPicturesWithRestartMarkersDecodeOrShowNothing)
{
    ScratchFolder folder;
    const Bytes good = EncodeJpegWithRestarts(PhotoLikePicture(640, 480, 6), JpegKind::Colour420, -1);
    std::srand(11);
    for (int i = 0; i < 150; ++i) {
        Bytes damaged = good;
        // A few bytes anywhere past the headers, markers among them, sometimes cut short.
        for (int j = 0; j < 4; ++j) {
            const std::size_t nAt = 600 + std::size_t(std::rand()) % (good.size() - 600);
            damaged[nAt] = std::rand() % 3 == 0 ? 0xFF : std::uint8_t(std::rand());
            if (damaged[nAt] == 0xFF && nAt + 1 < damaged.size())
                damaged[nAt + 1] = std::uint8_t(0xD0 + std::rand() % 10);
        }
        if (i % 5 == 0)
            damaged.resize(damaged.size() - std::size_t(std::rand()) % (damaged.size() / 2));
        const Decoded d = DecodeFileOnThreads(folder.Write("d.jpg", damaged), 4);
        EXPECT_TRUE((d.Width() == 640 && d.Height() == 480) || (d.Width() == 0 && d.Height() == 0))
            << "variant " << i;
    }
}
