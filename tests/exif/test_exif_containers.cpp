// TIFF-based raw files, PNG and WebP: the format is told by content, and the dates are read,
// listed and rewritten in place through the JPEG's walker and write path, on real camera files
// and on files ImageMagick and exiftool make. After a write exiftool reads the new time, only
// planned bytes changed (date texts, a recomputed CRC), the length is kept, and a second write
// of the same time changes nothing. Damaged files keep every byte but the dates written.
#include "ExifFiles.h"
#include "TextDateFiles.h"
#include "exif/Uexif.h"
#include "exif/Uexif_preview.h"
#include "exif/Ufilesource.h"
#include "exif/Umemsource.h"
#include "exif/Ureaders.h"
#include "platform/wintime.h"
#include "tx/UTxRewrite.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace exiftest;

namespace {

const std::string kNew = "2010:03:04 05:06:07";

FILETIME NewTime()  // kNew
{
    const SYSTEMTIME st{2010, 3, 0, 4, 5, 6, 7, 0};
    FILETIME ft{};
    return SystemTimeToFileTime(&st, &ft) ? ft : FILETIME{};
}

std::string DateOf(const std::string& path)
{
    CExif exif;
    exif.SetUnknownTagStream(nullptr);
    FILETIME ft{};
    SYSTEMTIME st{};
    if (!exif.Open(path.c_str()) || !exif.GetDateTime(ft) || !FileTimeToSystemTime(&ft, &st))
        return "";
    char sz[32];
    std::snprintf(sz, sizeof(sz), "%04d:%02d:%02d %02d:%02d:%02d", st.wYear % 10000, st.wMonth % 100, st.wDay % 100,
                  st.wHour % 100, st.wMinute % 100, st.wSecond % 100);
    return sz;
}

// The three dates written through the one write path; the ranges it was given come back.
struct Write {
    bool bOpened = false;
    ExifWriteReport report;
    std::vector<TxPatch> patches;
    int Written() const
    {
        int n = 0;
        for (const ExifCopyReport& c : report.copies)
            n += c.result == ExifWriteResult::Written ? 1 : 0;
        return n;
    }
};

Write WriteDates(const std::string& path)
{
    Write w;
    CExif exif;
    exif.SetUnknownTagStream(nullptr);
    w.bOpened = exif.Open(path.c_str());
    const bool abWanted[3] = {true, true, true};
    TxRewriteBatch batch;
    batch.files.emplace_back();
    exif.PlanDateTags(NewTime(), abWanted, batch.files.back(), w.report);
    batch.Run();
    CExif::SettleReport(batch.files.back(), w.report);
    w.patches = batch.files.back().patches;
    return w;
}

// Every byte that differs lies in a range the write was given, and the length is kept.
void ExpectOnlyPlannedBytesChanged(const Bytes& before, const Bytes& after, const std::vector<TxPatch>& patches)
{
    ASSERT_EQ(before.size(), after.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (before[i] == after[i])
            continue;
        bool bPlanned = false;
        for (const TxPatch& p : patches)
            bPlanned = bPlanned || (i >= p.qwOffset && i < p.qwOffset + p.abNew.size());
        EXPECT_TRUE(bPlanned) << "byte " << i << " changed outside every planned range";
    }
}

// Writes twice and checks both writes; returns the first one.
Write WriteTwiceAndCheck(const std::string& path)
{
    const Bytes before = ReadAll(path);
    Write first = WriteDates(path);
    const Bytes after = ReadAll(path);
    ExpectOnlyPlannedBytesChanged(before, after, first.patches);
    WriteDates(path);
    EXPECT_EQ(ReadAll(path), after) << "a second write of the same time changed the file";
    return first;
}

std::string Data(const char* pszName) { return std::string(VELMORA_EXIF_DATA) + "/" + pszName; }

bool HaveTools() { return HaveExiftool() && std::system("command -v convert >/dev/null 2>&1") == 0; }

// Every CRC of the PNG's located chunks matches its chunk.
bool PngChecksumsHold(const std::string& path)
{
    exif::FileSource src;
    exif::ContainerLayout layout;
    if (!src.Open(path.c_str()) || !exif::LocateContainer(src, layout) || layout.checksums.empty())
        return false;
    for (const exif::ChecksumPlace& sum : layout.checksums)
        if (!sum.bValid)
            return false;
    return true;
}

}  // namespace

TEST(Containers, TheFormatIsToldByItsFirstBytes)
{
    using Kind = exif::ContainerKind;
    const struct {
        std::string head;
        Kind kind;
    } cases[] = {
        {std::string("II*\0\x08\0\0\0", 8), Kind::Tiff},      {std::string("MM\0*\0\0\0\x08", 8), Kind::Tiff},
        {std::string("IIRO\x08\0\0\0", 8), Kind::Tiff},       {std::string("IIRS\x08\0\0\0", 8), Kind::Tiff},
        {std::string("MMOR\0\0\0\x08", 8), Kind::Tiff},       {std::string("IIU\0\x08\0\0\0", 8), Kind::Tiff},
        {"\x89PNG\r\n\x1a\n", Kind::Png},                     {std::string("RIFF\0\0\0\0WEBP", 12), Kind::Webp},
        {std::string("RIFF\0\0\0\0WAVE", 12), Kind::Unknown}, {"\xFF\xD8\xFF\xE1", Kind::Jpeg},
        {"II*", Kind::Unknown},                               {"", Kind::Unknown},
    };
    for (const auto& c : cases) {
        exif::MemoryByteSource src(c.head.data(), c.head.size());
        EXPECT_EQ(exif::SniffContainer(src), c.kind) << c.head;
    }
}

// Real camera files (and a JPEG named .nef): the picture date, every copy written, exiftool
// reads the new time.
TEST(Containers, RealFilesAreReadAndRewrittenInPlace)
{
    if (!HaveExiftool())
        GTEST_SKIP() << "exiftool is not installed";
    const struct {
        const char* name;
        const char* date;
        int copies;  // EXIF, XMP copies written
    } cases[] = {
        {"CanonRaw.cr2", "2005:08:03 18:59:18", 3},
        {"DNG.dng", "2005:08:03 18:59:18", 6},
        {"Nikon.nef", "2004:06:09 16:02:35", 4},
        {"Panasonic.rw2", "2008:08:06 15:21:56", 5},
        {"ExifTool.tif", "2004:02:20 08:07:49", 1},
        {"b52a2fceb34f9b31cb417379cf8c02ba.tif", "2006:01:05 12:54:59", 2},
        // IFD0 after the picture data, 272 KiB in; four IFDs each with their DateTime.
        {"0c84d07e1b22b76f24cccc70d8788e4a.tif", "2008:03:09 23:30:21", 5},
        {"Nikon_D1X.webp", "2003:08:06 18:04:34", 3},
        {"Issue_473_Java_.webp", "2018:08:27 12:20:23", 3},
        {"Issue_247-1.nef", "2010:03:01 21:50:21", 3},
        // CMT1 and CMT2 and the eighteen movie, track and media times of a Canon CR3.
        {"CanonRaw.cr3", "2018:02:21 12:08:56", 21},
    };
    ScratchDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.Write(c.name, ReadAll(Data(c.name)));
        EXPECT_EQ(DateOf(path), c.date);
        const Write w = WriteTwiceAndCheck(path);
        EXPECT_TRUE(w.bOpened);
        EXPECT_EQ(w.Written(), c.copies);
        EXPECT_EQ(Exiftool("-q -s3 -EXIF:ModifyDate '" + path + "'"), kNew + "\n");
        EXPECT_EQ(DateOf(path), kNew);
    }
}

// Files ImageMagick makes and exiftool fills: TIFF, an ORF (a TIFF with Olympus' header), PNG
// with eXIf and XMP iTXt chunks, WebP with EXIF and XMP chunks. A PNG's CRCs hold after it.
TEST(Containers, MadeFilesRewriteEveryCopyAndFollowTheirChecksums)
{
    if (!HaveTools())
        GTEST_SKIP() << "exiftool or ImageMagick is not installed";
    const std::string kOld = "2019:01:02 03:04:05";
    const struct {
        const char* name;
        const char* header;  // written over the first four bytes after exiftool, when given
        int copies;          // 3 EXIF tags, xmp:CreateDate (with DateTimeDigitized)
    } cases[] = {
        {"a.tif", nullptr, 4},
        {"a.orf", "IIRO", 4},
        {"a.png", nullptr, 4},
        {"a.webp", nullptr, 4},
    };
    ScratchDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.Path(c.name);
        const std::string made = std::string(c.name) + (c.header ? ".tif" : "");
        const std::string madePath = dir.Path(made);
        ASSERT_EQ(std::system(("convert -size 32x24 xc:red '" + madePath + "'").c_str()), 0);
        Exiftool("-q -overwrite_original -AllDates='" + kOld + "' -XMP:CreateDate='" + kOld + "' '" + madePath + "'");
        if (c.header) {
            Bytes bytes = ReadAll(madePath);
            std::memcpy(bytes.data(), c.header, 4);
            dir.Write(c.name, bytes);
        }
        EXPECT_EQ(DateOf(path), kOld);
        const Write w = WriteTwiceAndCheck(path);
        EXPECT_EQ(w.Written(), c.copies);
        EXPECT_EQ(Exiftool("-q -s3 -DateTimeOriginal -ModifyDate -XMP:CreateDate '" + path + "'"),
                  kNew + "\n" + kNew + "\n" + kNew + "\n");
        if (std::string(c.name) == "a.png") {
            EXPECT_TRUE(PngChecksumsHold(path));
        }
    }
}

// Damaged files: a clear outcome, nothing read outside the file, no byte changed outside a
// date field. A CRC that was already wrong stays wrong; the dates inside are still written.
TEST(Containers, DamagedFilesKeepEveryByteButTheDates)
{
    if (!HaveTools())
        GTEST_SKIP() << "exiftool or ImageMagick is not installed";
    ScratchDir dir;
    const std::string png = dir.Path("base.png");
    ASSERT_EQ(std::system(("convert -size 8x8 xc:red '" + png + "'").c_str()), 0);
    Exiftool("-q -overwrite_original -AllDates='2019:01:02 03:04:05' '" + png + "'");
    const Bytes base = ReadAll(png);
    const std::size_t exifChunk = Find(base, Bytes{'e', 'X', 'I', 'f'}) - 4;
    const std::size_t exifLength = std::size_t(base[exifChunk + 2]) << 8 | base[exifChunk + 3];
    const std::size_t crcAt = exifChunk + 8 + exifLength;

    Tiff loop = Camera(false);
    loop.RawNext(3, 8);  // the thumbnail IFD leads back to IFD0
    Tiff away = Camera(true);
    away.IfdZeroOffset(0xFFFFFF00u);
    Bytes badCrc = base;
    badCrc[crcAt] ^= 0x55;
    const Bytes cut(base.begin(), base.begin() + std::ptrdiff_t(exifChunk + 40));
    Bytes webp = {'R', 'I', 'F', 'F', 40, 0, 0, 0, 'W', 'E', 'B', 'P', 'E', 'X', 'I', 'F', 0xF0, 0xFF, 0, 0};
    webp.resize(48, 0);

    const struct {
        const char* name;
        Bytes bytes;
        bool bOpens;
        int copies;
    } cases[] = {
        {"loop.tif", loop.Build(), true, 3},     // the chain ends where it loops
        {"away.tif", away.Build(), true, 0},     // IFD0 lies past the end of the file
        {"badcrc.png", badCrc, true, 3},
        {"cut.png", cut, false, 0},              // the eXIf chunk runs past the end
        {"cut.webp", webp, false, 0},            // so does the EXIF chunk
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.Write(c.name, c.bytes);
        const Write w = WriteTwiceAndCheck(path);
        EXPECT_EQ(w.bOpened, c.bOpens);
        EXPECT_EQ(w.Written(), c.copies);
    }
    // The wrong CRC was not recomputed.
    const Bytes after = ReadAll(dir.Path("badcrc.png"));
    EXPECT_TRUE(std::equal(after.begin() + std::ptrdiff_t(crcAt), after.begin() + std::ptrdiff_t(crcAt + 4),
                           badCrc.begin() + std::ptrdiff_t(crcAt)));
}

// The preview's JPEG of a raw file: RW2's JpgFromRaw; a TIFF whose JPEG strip needs tables kept
// elsewhere, a PNG and a JPEG itself have none to offer.
TEST(Containers, RawFilesOfferTheirLargestWholeEmbeddedJpeg)
{
    std::uint64_t qwOffset = 0, qwLength = 0;
    ASSERT_TRUE(ExifFindEmbeddedJpeg(Data("Panasonic.rw2").c_str(), &qwOffset, &qwLength));
    const Bytes rw2 = ReadAll(Data("Panasonic.rw2"));
    ASSERT_LE(qwOffset + qwLength, rw2.size());
    EXPECT_EQ(rw2[qwOffset], 0xFF);
    EXPECT_EQ(rw2[qwOffset + 1], 0xD8);
    EXPECT_GT(qwLength, rw2.size() / 2);
    EXPECT_FALSE(ExifFindEmbeddedJpeg(Data("Issue_247-1.nef").c_str(), &qwOffset, &qwLength));
    EXPECT_EQ(qwLength, 0u);
    if (std::system("command -v convert >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "ImageMagick is not installed";
    ScratchDir dir;
    const std::string tif = dir.Path("j.tif");
    ASSERT_EQ(std::system(("convert -size 64x48 xc:green -compress JPEG '" + tif + "'").c_str()), 0);
    EXPECT_FALSE(ExifFindEmbeddedJpeg(tif.c_str(), &qwOffset, &qwLength));

    // A thumbnail in IFD1 and a larger picture as the one strip of a SubIFD (compression 6):
    // the larger one is offered.
    ASSERT_EQ(std::system(("convert -size 8x8 xc:red '" + dir.Path("small.jpg") + "' && convert -size 64x48 "
                           "xc:blue '" + dir.Path("large.jpg") + "'").c_str()), 0);
    const Bytes small = ReadAll(dir.Path("small.jpg")), large = ReadAll(dir.Path("large.jpg"));
    std::uint32_t base = 0;
    Bytes bytes;
    for (int pass = 0; pass < 2; ++pass) {  // the second pass knows where the pictures go
        Tiff raw = Camera(false);
        const int sub = raw.AddIfd();
        raw.Pointer(0, 330, sub).Short(sub, 259, {6});
        raw.Raw(3, 513, kLong, 1, base).Raw(3, 514, kLong, 1, std::uint32_t(small.size()));
        raw.Raw(sub, 273, kLong, 1, base + std::uint32_t(small.size())).Raw(sub, 279, kLong, 1, std::uint32_t(large.size()));
        bytes = raw.Build();
        base = std::uint32_t(bytes.size());
    }
    bytes.insert(bytes.end(), small.begin(), small.end());
    bytes.insert(bytes.end(), large.begin(), large.end());
    ASSERT_TRUE(ExifFindEmbeddedJpeg(dir.Write("raw.nef", bytes).c_str(), &qwOffset, &qwLength));
    EXPECT_EQ(qwOffset, base + small.size());
    EXPECT_EQ(qwLength, large.size());
}

// Where each copy stands: an RW2's embedded picture carries the dates again.
TEST(Containers, ListingNamesTheStructureOfEachCopy)
{
    CExif exif;
    exif.SetUnknownTagStream(nullptr);
    ASSERT_TRUE(exif.Open(Data("Panasonic.rw2").c_str()));
    std::vector<ExifDateListing> listing;
    exif.ListDateCopies(listing);
    std::vector<std::string> where;
    for (const ExifDateListing& l : listing)
        where.push_back(l.strWhere + " " + l.strName);
    EXPECT_EQ(where, (std::vector<std::string>{"ExifIFD DateTimeOriginal", "ExifIFD DateTimeDigitized",
                                               "JpgFromRaw IFD0 DateTime", "JpgFromRaw ExifIFD DateTimeOriginal",
                                               "JpgFromRaw ExifIFD DateTimeDigitized"}));
}

// Files of 4 GiB and more (sparse here: they take no room): a TIFF whose structure is at its
// start, and a PNG whose eXIf chunk lies beyond 4 GiB, after two chunks of 2 GiB each. Both are
// read and rewritten at their 64-bit positions, the PNG's CRC recomputed there.
TEST(Containers, FilesOf4GiBAndMoreAreReadAndRewritten)
{
    if (!HaveTools())
        GTEST_SKIP() << "exiftool or ImageMagick is not installed";
    ScratchDir dir;
    const std::string tif = dir.Write("huge.tif", Camera(false).Build());
    std::filesystem::resize_file(tif, 0x100000100ull);

    const std::string made = dir.Path("made.png");
    ASSERT_EQ(std::system(("convert -size 8x8 xc:red '" + made + "'").c_str()), 0);
    Exiftool("-q -overwrite_original -AllDates='2019:01:02 03:04:05' '" + made + "'");
    const Bytes png = ReadAll(made);
    const std::size_t exifChunk = Find(png, Bytes{'e', 'X', 'I', 'f'}) - 4;
    const std::uint64_t qwBig = 0x80000000ull;
    const std::string huge = dir.Path("huge.png");
    {
        std::ofstream f(huge, std::ios::binary);
        f.write(reinterpret_cast<const char*>(png.data()), std::streamsize(exifChunk));
        for (int k = 0; k < 2; ++k) {
            const char head[8] = {char(0x80), 0, 0, 0, 'a', 'b', 'C', 'd'};
            f.write(head, 8);
            f.seekp(std::streamoff(qwBig + 4), std::ios::cur);
        }
        f.write(reinterpret_cast<const char*>(png.data() + exifChunk), std::streamsize(png.size() - exifChunk));
    }
    const std::uint64_t qwMoved = 2 * (qwBig + 12);
    for (const std::string& path : {tif, huge}) {
        SCOPED_TRACE(path);
        const std::uint64_t qwSize = std::filesystem::file_size(path);
        EXPECT_EQ(DateOf(path), path == tif ? "2006:12:24 17:05:09" : "2019:01:02 03:04:05");
        const Write w = WriteDates(path);
        EXPECT_EQ(w.Written(), 3);
        for (const ExifCopyReport& c : w.report.copies)
            EXPECT_GT(c.qwFilePos, path == tif ? 0u : qwMoved);
        EXPECT_EQ(std::filesystem::file_size(path), qwSize);
        EXPECT_EQ(DateOf(path), kNew);
    }
    EXPECT_TRUE(PngChecksumsHold(huge));
}

// A CRC that changed between the read and the write is not overwritten, and the copy it goes
// with is not reported written: the chunk's CRC no longer follows its bytes.
TEST(Containers, ACopyIsWrittenOnlyWithItsChunksChecksum)
{
    if (!HaveTools())
        GTEST_SKIP() << "exiftool or ImageMagick is not installed";
    ScratchDir dir;
    const std::string png = dir.Path("a.png");
    ASSERT_EQ(std::system(("convert -size 8x8 xc:red '" + png + "'").c_str()), 0);
    Exiftool("-q -overwrite_original -AllDates='2019:01:02 03:04:05' '" + png + "'");
    CExif exif;
    exif.SetUnknownTagStream(nullptr);
    ASSERT_TRUE(exif.Open(png.c_str()));
    const bool abWanted[3] = {true, true, true};
    ExifWriteReport report;
    TxRewriteBatch batch;
    batch.files.emplace_back();
    exif.PlanDateTags(NewTime(), abWanted, batch.files.back(), report);
    ASSERT_EQ(batch.files.back().patches.size(), 4u);  // three dates and the CRC
    const TxPatch crc = batch.files.back().patches.back();
    Bytes bytes = ReadAll(png);
    bytes[crc.qwOffset] ^= 0xFF;  // another program rewrote the CRC meanwhile
    dir.Write("a.png", bytes);
    batch.Run();
    CExif::SettleReport(batch.files.back(), report);
    EXPECT_EQ(batch.files.back().patches.back().result, TxPatch::Result::Changed);
    EXPECT_EQ(report.copies[std::size_t(crc.nCookie)].result, ExifWriteResult::Changed);
    EXPECT_FALSE(report.AllWritten());
}
