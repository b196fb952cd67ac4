// Finding the EXIF block: what the byte search passes over, where it starts, what it refuses,
// and files too short or not JPEG at all.
#include "ExifFiles.h"
#include "ReceivedLog.h"
#include "exif/Uexif.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace exiftest;

namespace {

Bytes SmallTiff(bool bMotorola = false)
{
    Tiff t(bMotorola);
    t.Ascii(0, 306, "2006:12:24 17:05:09").Short(0, 274, {3});
    return t.Build();
}

std::string Make(const CExif& exif) { return exif.FindTag(274)->szValue; }

}  // namespace

TEST(ExifSearch, SegmentsBeforeTheBlockAndBytesBeforeTheImageStart)
{
    ScratchDir dir;
    ReceivedLog log;
    struct Case {
        const char* what;
        JpegParts parts;
    } cases[4] = {{"APP0 first", {}}, {"no APP0", {}}, {"XMP APP1 first", {}}, {"garbage before FF D8", {}}};
    cases[1].parts.app0 = false;
    cases[2].parts.xmpBefore = true;
    cases[3].parts.garbageBefore = {'x', 0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f'};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        log.Clear();
        CExif exif;
        ASSERT_TRUE(exif.Open(dir.Write("a.jpg", Jpeg(SmallTiff(), c.parts)).c_str()));
        EXPECT_EQ(Make(exif), "lower right");
        EXPECT_EQ(exif.FindTag(306)->dwFilePos, TiffStart(c.parts) + 8 + 2 * 12 + 4 + 2);
        EXPECT_EQ(log.Texts(), std::vector<std::string>{"intel byte order"});
    }
}

TEST(ExifSearch, FilesWithoutUsableBlock)
{
    ScratchDir dir;
    ReceivedLog log;
    JpegParts bare;
    bare.app0 = false;
    const Bytes good = Jpeg(SmallTiff(), bare);
    struct Case {
        const char* what;
        Bytes bytes;
        const char* record;
    } cases[] = {
        {"empty", {}, "SOI Marker not found"},
        {"one byte", {0xFF}, "SOI Marker not found"},
        {"not a JPEG", Bytes(5000, 'a'), "SOI Marker not found"},
        {"12 bytes after FF D8", Bytes(good.begin(), good.begin() + 14), "APP1 Marker not found"},
        {"13 bytes after FF D8, cut block", Bytes(good.begin(), good.begin() + 15), nullptr},
        {"JPEG without EXIF", {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0, 0xFF, 0xD9},
         "APP1 Marker not found"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        log.Clear();
        CExif exif;
        const bool bOpened = exif.Open(dir.Write("b.jpg", c.bytes).c_str());
        EXPECT_EQ(bOpened, c.record == nullptr);
        if (c.record) {
            EXPECT_EQ(log.Texts(), std::vector<std::string>{c.record});
        }
        std::vector<char> listing(100, '#');
        exif.DumpText(listing.data(), 100);
        EXPECT_STREQ(listing.data(), "");
    }
    // A file the file object refuses (4 GiB or more, as a video named .jpg may be): the
    // caught exception's text is logged. The file is sparse: nothing of it is read.
    {
        log.Clear();
        const std::string huge = dir.Write("huge.jpg", {0xFF, 0xD8});
        std::filesystem::resize_file(huge, 0x100000000ull);
        CExif exif;
        EXPECT_FALSE(exif.Open(huge.c_str()));
        EXPECT_TRUE(log.Has("!VCL Exception: File " + huge + " is too large (4 GiB or more)."));
    }
    // A missing file and a folder give false and no record.
    log.Clear();
    CExif missing, folder;
    EXPECT_FALSE(missing.Open(dir.Path("none.jpg").c_str()));
    EXPECT_FALSE(folder.Open(dir.Dir().c_str()));
    EXPECT_TRUE(log.Texts().empty());
}

TEST(ExifSearch, SegmentLengthLimitsAndCutShortBlocks)
{
    ScratchDir dir;
    ReceivedLog log;
    const Bytes tiff = SmallTiff(true);
    // The length field holds at most 65535, below the 102400 limit, so every length is
    // accepted; one that reaches past the end of the file gets only the bytes that are there.
    {
        JpegParts parts;
        parts.lengthField = 65535;
        Bytes file = Jpeg(tiff, parts);
        file.resize(TiffStart(parts) + tiff.size());
        CExif exif;
        ASSERT_TRUE(exif.Open(dir.Write("c.jpg", file).c_str()));
        EXPECT_EQ(exif.ExifSize(), 65535u);
        EXPECT_EQ(Make(exif), "lower right");
        EXPECT_TRUE(log.Has("Exif block cut short by the end of the file: " + std::to_string(tiff.size() + 8) +
                            " of 65535 bytes"));
    }
    // Blocks too short to hold a TIFF header: found, nothing in them.
    for (std::uint32_t length : {0u, 1u, 8u, 11u}) {
        SCOPED_TRACE(length);
        log.Clear();
        JpegParts parts;
        parts.lengthField = length;
        CExif exif;
        EXPECT_TRUE(exif.Open(dir.Write("d.jpg", Jpeg(tiff, parts)).c_str()));
        EXPECT_FALSE(exif.FindTag(306)->bPresent);
        EXPECT_TRUE(log.Has("TIFF header outside the Exif block"));
    }
}

TEST(ExifSearch, BlockFarIntoALargeFileAndAcrossReadChunks)
{
    // The search reads the file in chunks; a signature that straddles two chunks, or lies
    // megabytes in, is found exactly where a whole-file search finds it.
    ScratchDir dir;
    const Bytes tiff = SmallTiff();
    for (std::size_t pad : {std::size_t(65536 - 9), std::size_t(65536 - 4), std::size_t(65536 - 1),
                            std::size_t(3 * 1024 * 1024 + 7)}) {
        SCOPED_TRACE(pad);
        JpegParts parts;
        parts.app0 = false;
        parts.garbageBefore.assign(pad, 0x20);
        CExif exif;
        ASSERT_TRUE(exif.Open(dir.Write("e.jpg", Jpeg(tiff, parts)).c_str()));
        EXPECT_EQ(Make(exif), "lower right");
        EXPECT_EQ(exif.FindTag(306)->dwFilePos, TiffStart(parts) + 8 + 2 * 12 + 4 + 2);
    }
    // The segments are followed by their lengths: an Exif segment inside another one is not
    // the picture's own.
    JpegParts parts;
    Bytes file = Jpeg(tiff, parts);
    Tiff other(false);
    other.Short(0, 274, {8});
    const Bytes otherTiff = other.Build();
    // A comment segment holding an EXIF segment, right after FF D8.
    const Bytes head = {0xFF, 0xFE, 0, std::uint8_t(otherTiff.size() + 12),
                        0xFF, 0xE1, 0, std::uint8_t(otherTiff.size() + 8), 'E', 'x', 'i', 'f', 0, 0};
    Bytes com;
    com.reserve(head.size() + otherTiff.size());
    com.insert(com.end(), head.begin(), head.end());
    com.insert(com.end(), otherTiff.begin(), otherTiff.end());
    file.insert(file.begin() + 2, com.begin(), com.end());
    CExif exif;
    ASSERT_TRUE(exif.Open(dir.Write("f.jpg", file).c_str()));
    EXPECT_EQ(Make(exif), "lower right");
}
