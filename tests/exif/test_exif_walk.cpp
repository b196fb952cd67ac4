// Damaged TIFF structures inside a found block: the walk never reads outside the block, ends
// chains that loop, skips values that point outside, keeps what it found, and Open says true.
#include "ExifFiles.h"
#include "ReceivedLog.h"
#include "exif/Uexif.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace exiftest;

namespace {

bool OpenTiff(ScratchDir& dir, CExif& exif, const Bytes& tiff)
{
    testing::internal::CaptureStdout();
    const bool b = exif.Open(dir.Write("w.jpg", Jpeg(tiff)).c_str());
    testing::internal::GetCapturedStdout();
    return b;
}

std::string Value(const CExif& exif, DWORD tag) { return exif.FindTag(tag)->szValue; }

}  // namespace

TEST(ExifWalk, IfdZeroAtTheDesignedPositions)
{
    // IFD0 at TIFF offset 8 is block position 16; its entries at 18 and 30; a value offset of
    // 26 points at block position 34.
    ScratchDir dir;
    Tiff t(false);
    t.Raw(0, 271, kAscii, 5, 26);
    Bytes tiff = t.Build();
    ASSERT_EQ(tiff.size(), 26u);
    for (char c : {'C', 'a', 'm', '1', '\0'})
        tiff.push_back(std::uint8_t(c));
    CExif exif;
    ASSERT_TRUE(OpenTiff(dir, exif, tiff));
    EXPECT_EQ(Value(exif, 271), "Cam1");
    EXPECT_EQ(exif.ExifSize(), 8u + 31u);
}

TEST(ExifWalk, OffsetsAndCountsOutsideTheBlock)
{
    ScratchDir dir;
    ReceivedLog log;
    for (bool bMotorola : {false, true}) {
        SCOPED_TRACE(bMotorola ? "MM" : "II");
        log.Clear();
        Tiff t(bMotorola);
        t.Raw(0, 271, kAscii, 10, 0xFFFFFF00u);        // text far outside
        t.Raw(0, 272, kAscii, 0xFFFFFFFFu, 8);         // text of 4 Gi characters
        t.Raw(0, 282, kRational, 0xFFFFFFFFu, 8);      // 4 Gi rationals
        t.Raw(0, 258, kShort, 0xFFFFFFFFu, 8);         // 4 Gi bits-per-sample values
        t.Raw(0, 37510, kUndefined, 0xFFFFFFFFu, 8);   // 4 Gi comment bytes
        t.Raw(0, 306, kAscii, 20, 0xFFFFFFF8u);        // offset + 8 wraps to 0
        t.Raw(0, 34665, kLong, 1, 0x7FFFFFFFu);        // Exif sub-IFD outside
        t.Short(0, 274, {8});
        CExif exif;
        ASSERT_TRUE(OpenTiff(dir, exif, t.Build()));
        for (DWORD tag : {271u, 272u, 282u, 258u, 37510u, 306u})
            EXPECT_FALSE(exif.FindTag(tag)->bPresent) << tag;
        EXPECT_EQ(exif.FindTag(306)->dwFilePos, 0u);
        EXPECT_EQ(Value(exif, 274), "lower left");
        EXPECT_TRUE(log.Has("Tag 271: value outside the Exif block (offset 4294967040, count 10)"));
        EXPECT_TRUE(log.Has("Tag 272: value outside the Exif block (offset 8, count 4294967295)"));
        EXPECT_TRUE(log.Has("IFD at 2147483655 outside the Exif block"));
        FILETIME ft{};
        EXPECT_FALSE(exif.GetDateTime(ft));
    }
}

TEST(ExifWalk, LoopingAndRunawayChains)
{
    ScratchDir dir;
    ReceivedLog log;
    {
        // IFD0 -> IFD1 -> IFD0: each walked once, XResolution appended twice only.
        Tiff t(false);
        const int ifd1 = t.AddIfd();
        t.Rational(0, 282, {{72, 1}}).Next(0, ifd1).Rational(ifd1, 282, {{300, 1}}).Next(ifd1, 0);
        CExif exif;
        ASSERT_TRUE(OpenTiff(dir, exif, t.Build()));
        EXPECT_EQ(Value(exif, 282), "72/1 300/1 ");
        EXPECT_TRUE(log.Has("IFD chain loops back to 16"));
    }
    {
        // IFD0 pointing at itself.
        log.Clear();
        Tiff t(true);
        t.Rational(0, 282, {{72, 1}}).Next(0, 0);
        CExif exif;
        ASSERT_TRUE(OpenTiff(dir, exif, t.Build()));
        EXPECT_EQ(Value(exif, 282), "72/1 ");
        EXPECT_TRUE(log.Has("IFD chain loops back to 16"));
    }
    {
        // An entry count far beyond the block: the entries that are there are read.
        log.Clear();
        Tiff t(false);
        t.Short(0, 274, {6});
        Bytes tiff = t.Build();
        tiff[8] = 0xFF;
        tiff[9] = 0xFF;
        CExif exif;
        ASSERT_TRUE(OpenTiff(dir, exif, tiff));
        EXPECT_EQ(Value(exif, 274), "upper right");
        EXPECT_TRUE(log.Has("IFD at 16: entry at 30 outside the Exif block"));
    }
    {
        // Next-IFD offset past the end, and the Exif sub-IFD's entries past the end.
        log.Clear();
        Tiff t(false);
        const int exifIfd = t.AddIfd();
        t.Short(0, 274, {1}).Pointer(0, 34665, exifIfd).RawNext(0, 0xFFFFFFF0u);
        t.Ascii(exifIfd, 36867, "2001:02:03 04:05:06");
        Bytes tiff = t.Build();
        const std::uint32_t sub = t.IfdOffset(exifIfd);
        tiff[sub] = 40;  // 40 entries, only one there
        CExif exif;
        ASSERT_TRUE(OpenTiff(dir, exif, tiff));
        EXPECT_EQ(Value(exif, 36867), "2001:02:03 04:05:06");
        EXPECT_TRUE(log.Has("IFD at 4294967288 outside the Exif block"));
    }
}

TEST(ExifWalk, ChainOfOverlappingIfdsEndsWithinTheBlocksWorthOfEntries)
{
    // 5,000 IFDs eight bytes apart, each claiming 1,000 entries and pointing at the next: a chain
    // that never loops but would walk five million (mostly unknown) entries over the same bytes.
    constexpr std::uint32_t kIfds = 5000, kCount = 1000;
    Bytes tiff = {'I', 'I', 42, 0, 8, 0, 0, 0};
    tiff.resize(8 + 8 * kIfds + 2 + 12 * kCount + 4, 0);
    const auto put = [&tiff](std::size_t pos, std::uint32_t v, int cb) {
        for (int k = 0; k < cb; ++k)
            tiff[pos + k] = std::uint8_t(v >> (8 * k));
    };
    for (std::uint32_t i = 0; i < kIfds; ++i) {
        const std::uint32_t ifd = 8 + 8 * i;
        put(ifd, kCount, 2);
        put(ifd + 2 + 12 * kCount, i + 1 < kIfds ? ifd + 8 : 0, 4);
    }
    ASSERT_LE(tiff.size(), 65527u);

    ScratchDir dir;
    ReceivedLog log;
    CExif exif;
    testing::internal::CaptureStdout();
    EXPECT_TRUE(exif.Open(dir.Write("w.jpg", Jpeg(tiff)).c_str()));
    const std::string unknown = testing::internal::GetCapturedStdout();
    const std::size_t lines = std::count(unknown.begin(), unknown.end(), '\n');
    EXPECT_LE(lines, exif.ExifSize() / 12);
    bool bEnded = false;
    for (const std::string& text : log.Texts())
        bEnded |= text.find("the chain holds more entries than the Exif block can") != std::string::npos;
    EXPECT_TRUE(bEnded);
}
