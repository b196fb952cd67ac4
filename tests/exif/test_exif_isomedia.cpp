// ISO base media files (HEIC, AVIF, CR3, MP4, MOV, 3GP): every place the box reader reports
// holds what exiftool reads there; movie times and date texts convert to local time and back;
// broken boxes give a clear outcome without a read outside the file.
#include "IsoFiles.h"
#include "TimeZoneGuard.h"
#include "exif/Uisobox.h"
#include "exif/Uisomedia.h"
#include "exif/Umemsource.h"
#include "exif/Umovietime.h"
#include "platform/wintime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <fstream>
#include <sstream>

using namespace exiftest;

namespace {

const std::string kData = VELMORA_EXIF_DATA;
const std::string kDates = "-EXIF:ModifyDate -EXIF:DateTimeOriginal -EXIF:CreateDate ";

std::string Slice(const Bytes& file, std::uint64_t qwOffset, std::uint64_t qwLength)
{
    return qwOffset + qwLength <= file.size() ? std::string(file.begin() + long(qwOffset), file.begin() + long(qwOffset + qwLength))
                                              : "(outside)";
}

// The digits of a date's year to second (a zone is left out).
std::string Digits(const std::string& text)
{
    std::string digits;
    std::copy_if(text.begin(), text.end(), std::back_inserter(digits), ::isdigit);
    return digits.substr(0, 14);
}

// "Name=digits" of each date exiftool reads (movie times taken as UTC, as they are stored).
std::vector<std::string> ExiftoolDates(const std::string& tags, const std::string& path)
{
    std::vector<std::string> out;
    std::istringstream lines(Output("TZ=UTC exiftool -a -s -api QuickTimeUTC=0 " + tags + " '" + path + "'"));
    for (std::string line; std::getline(lines, line);)
        out.push_back(line.substr(0, line.find(' ')) + "=" + Digits(line.substr(line.find(':') + 1)));
    return out;
}

std::string Local(const FILETIME& ft)
{
    SYSTEMTIME st{};
    FileTimeToSystemTime(&ft, &st);
    char sz[64];
    std::snprintf(sz, sizeof sz, "%04d-%02d-%02d %02d:%02d:%02d", st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond);
    return sz;
}

FILETIME LocalTime(int y, int mo, int d, int h, int mi, int s)
{
    const SYSTEMTIME st{WORD(y), WORD(mo), 0, WORD(d), WORD(h), WORD(mi), WORD(s), 0};
    FILETIME ft{};
    SystemTimeToFileTime(&st, &ft);
    return ft;
}

std::uint64_t MovieSeconds(int y, int mo, int d, int h, int mi, int s)
{
    std::tm tm{};
    tm.tm_year = y - 1900, tm.tm_mon = mo - 1, tm.tm_mday = d, tm.tm_hour = h, tm.tm_min = mi, tm.tm_sec = s;
    return std::uint64_t(timegm(&tm) + 2082844800);
}

}  // namespace

// Each place reported holds what exiftool reads from the file: the TIFF structures the file's
// EXIF dates, each movie time its header's date, the text the QuickTime creation date, the XMP
// place the packet, the picture the cover art. The HEIC, AVIF, MP4 and MOV are made by the tools.
TEST(IsoMediaFiles, EveryPlaceHoldsWhatExiftoolReads)
{
    if (!HaveTool("exiftool") || !HaveTool("heif-enc") || !HaveTool("ffmpeg") || !HaveTool("convert"))
        GTEST_SKIP() << "exiftool, heif-enc, ffmpeg or ImageMagick is missing";
    ScratchDir dir;
    const std::string d = dir.Dir().string() + "/";
    const std::string ffmpeg = "ffmpeg -loglevel error -f lavfi -i color=c=red:s=64x64:d=1 -metadata creation_time=2020-01-02T03:04:05Z -y ";
    ASSERT_TRUE(RunTool("convert -size 64x48 gradient:red-blue png24:" + d + "in.png && heif-enc -q 50 " + d + "in.png -o " + d +
                        "made.heic && heif-enc -A -q 50 " + d + "in.png -o " + d + "made.avif && exiftool -q -overwrite_original "
                        "'-EXIF:DateTimeOriginal=2019:07:08 09:10:11' '-EXIF:ModifyDate=2019:07:08 09:10:12' '-XMP-xmp:CreateDate="
                        "2019:07:08 09:10:11+02:00' " + d + "made.heic " + d + "made.avif && " + ffmpeg + d + "made.mp4 && " + ffmpeg + d +
                        "made.mov && exiftool -q -overwrite_original '-XMP-xmp:CreateDate=2020:01:02 05:04:05+02:00' " + d +
                        "made.mp4 && exiftool -q -overwrite_original '-Keys:CreationDate=2020:01:02 05:04:05+02:00' "
                        "'-ItemList:CoverArt<=" + kData + "/Sony_DigitalMavica.jpg' " + d + "made.mov"));
    const struct {
        std::string path;
        std::size_t nTiff, nXmp, nTimes, nTexts;
        bool bCover;
    } cases[] = {
        {d + "made.heic", 1, 1, 0, 0, false},
        {d + "made.avif", 1, 1, 0, 0, false},
        {d + "made.mp4", 0, 1, 6, 0, false},
        {d + "made.mov", 0, 0, 6, 1, true},
        {kData + "/CanonRaw.cr3", 2, 1, 18, 0, false},  // its preview is a stand-in, not a JPEG
        {kData + "/QuickTime.mov", 0, 1, 10, 0, true},
        {kData + "/sample.3gp", 0, 0, 10, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const Bytes file = ReadAll(c.path);
        exif::MemoryByteSource src(file.data(), file.size());
        exif::ContainerLayout layout;
        ASSERT_TRUE(exif::LocateIsoMedia(src, layout));
        EXPECT_EQ(layout.kind, exif::ContainerKind::IsoMedia);
        ASSERT_EQ(layout.tiff.size(), c.nTiff);
        ASSERT_EQ(layout.xmp.size(), c.nXmp);
        ASSERT_EQ(layout.movieTimes.size(), c.nTimes);
        ASSERT_EQ(layout.textTimes.size(), c.nTexts);

        std::vector<std::string> found;
        for (const exif::TiffPlace& t : layout.tiff) {
            EXPECT_EQ(t.bExifIfd, std::string(t.szWhere) == "CMT2");
            const std::string cut = Slice(file, t.qwOffset, t.qwLength);
            for (const std::string& date : ExiftoolDates(kDates, dir.Write("cut.exif", Bytes(cut.begin(), cut.end()))))
                found.push_back(date);
        }
        for (const exif::MovieTimeField& f : layout.movieTimes) {
            EXPECT_EQ(Slice(file, f.qwOffset, std::uint64_t(f.nBytes)), Slice(Be(f.qwSeconds, f.nBytes), 0, std::uint64_t(f.nBytes)));
            const std::string kind = std::string(f.szWhere).substr(0, 4);
            const std::time_t t = std::time_t(f.qwSeconds) - 2082844800;
            char sz[16];
            std::strftime(sz, sizeof sz, "%Y%m%d%H%M%S", std::gmtime(&t));
            found.push_back((kind == "mvhd" ? "" : kind == "tkhd" ? "Track" : "Media") +
                            std::string(f.nDate == 1 ? "CreateDate=" : "ModifyDate=") + sz);
        }
        for (const exif::TextTimeField& t : layout.textTimes) {
            EXPECT_STREQ(t.szName, "com.apple.quicktime.creationdate");
            found.push_back("CreationDate=" + Digits(Slice(file, t.qwOffset, t.dwLength)));
        }
        std::vector<std::string> expected = ExiftoolDates(kDates + "-QuickTime:CreateDate -QuickTime:ModifyDate -TrackCreateDate "
                                                          "-TrackModifyDate -MediaCreateDate -MediaModifyDate -Keys:CreationDate", c.path);
        std::sort(found.begin(), found.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(found, expected);
        if (c.nXmp > 0) {
            EXPECT_EQ(Slice(file, layout.xmp[0].qwOffset, layout.xmp[0].qwLength), Output("exiftool -b -XMP '" + c.path + "'"));
        }
        EXPECT_EQ(Slice(file, layout.qwJpegOffset, layout.qwJpegLength), c.bCover ? Output("exiftool -b -CoverArt '" + c.path + "'") : "");
    }
}

// A movie time reads as the local time with the offset in force at that date, and that local
// time converts back to the same seconds, also in the hour the clocks show twice; times a field
// cannot hold are refused: unset (0), past 9999, before 1904, past 2040 in 32 bits, a width
// other than 4 or 8.
TEST(MovieTimes, ConvertWithTheOffsetInForceAndBack)
{
    const struct {
        const char* zone;
        std::uint64_t qwSeconds;
        const char* local;
    } cases[] = {
        {"Europe/Prague", MovieSeconds(2020, 1, 2, 3, 4, 5), "2020-01-02 04:04:05"},
        {"Europe/Prague", MovieSeconds(2020, 3, 29, 0, 59, 59), "2020-03-29 01:59:59"},
        {"Europe/Prague", MovieSeconds(2020, 3, 29, 1, 0, 0), "2020-03-29 03:00:00"},
        {"Europe/Prague", MovieSeconds(2020, 10, 25, 0, 30, 0), "2020-10-25 02:30:00"},
        {"Europe/Prague", MovieSeconds(2020, 10, 25, 1, 30, 0), "2020-10-25 02:30:00"},
        {"Australia/Lord_Howe", MovieSeconds(2021, 4, 3, 14, 45, 0), "2021-04-04 01:45:00"},
        {"Australia/Lord_Howe", MovieSeconds(2021, 4, 3, 15, 15, 0), "2021-04-04 01:45:00"},
        {"UTC0", 0xFFFFFFFFull, "2040-02-06 06:28:15"},
        {"UTC0", 1, "1904-01-01 00:00:01"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.zone) + " " + c.local);
        TimeZoneGuard zone(c.zone);
        FILETIME ft{};
        ASSERT_TRUE(exif::MovieTimeToLocal(c.qwSeconds, ft));
        EXPECT_EQ(Local(ft), c.local);
        for (int nBytes : {4, 8}) {
            std::vector<BYTE> ab;
            ASSERT_TRUE(exif::MovieTimeBytes({0, nBytes, 1, c.qwSeconds, {}}, ft, ab));
            EXPECT_EQ(ab, Be(c.qwSeconds, nBytes));
        }
    }
    TimeZoneGuard zone("UTC0");
    FILETIME ft{};
    std::vector<BYTE> ab;
    EXPECT_FALSE(exif::MovieTimeToLocal(0, ft));
    EXPECT_FALSE(exif::MovieTimeToLocal(std::uint64_t(1) << 62, ft));
    EXPECT_FALSE(exif::MovieTimeBytes({0, 4, 1, 1, {}}, LocalTime(2040, 2, 6, 6, 28, 16), ab));
    ASSERT_TRUE(exif::MovieTimeBytes({0, 8, 1, 1, {}}, LocalTime(2040, 2, 6, 6, 28, 16), ab));
    EXPECT_EQ(ab, Be(std::uint64_t(1) << 32, 8));
    EXPECT_FALSE(exif::MovieTimeBytes({0, 8, 1, 1, {}}, LocalTime(1903, 12, 31, 23, 59, 59), ab));
    EXPECT_FALSE(exif::MovieTimeBytes({0, 8, 1, 1, {}}, LocalTime(1904, 1, 1, 0, 0, 0), ab));
    EXPECT_FALSE(exif::MovieTimeBytes({0, 3, 1, 1, {}}, LocalTime(2020, 1, 1, 0, 0, 0), ab));
    EXPECT_FALSE(exif::IsoTextTimeBytes("2024-05-01T10:11:12Z", LocalTime(10000, 1, 1, 0, 0, 0), ab));
}

// A date text's digits are local time; a rewrite keeps its length, separators, fraction and
// zone. An empty local time: the text is not such a date and is left alone.
TEST(MovieTimes, DateTextsKeepTheirShape)
{
    const struct {
        const char* text;
        const char* local;
        const char* rewritten;
    } cases[] = {
        {"2024-05-01T10:11:12+0200", "2024-05-01 10:11:12", "2010-03-04T05:06:07+0200"},
        {"2024-05-01T10:11:12-0530", "2024-05-01 10:11:12", "2010-03-04T05:06:07-0530"},
        {"2024-05-01T10:11:12+02:00", "2024-05-01 10:11:12", "2010-03-04T05:06:07+02:00"},
        {"2024-05-01T10:11:12.345Z", "2024-05-01 10:11:12", "2010-03-04T05:06:07.345Z"},
        {"2024-05-01T10:11", "2024-05-01 10:11:00", "2010-03-04T05:06"},
        {"2024-05-01", "", ""},
        {"2024-05-01T10:11:12+02", "", ""},
        {"2024-05-01T10:11:12+2500", "", ""},
        {"2024-05-01T10:11:12Z+0200", "", ""},
        {"2024-05-01T10:11:12+02:00+0200", "", ""},
        {"2024:05:01 10:11:12", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        FILETIME ft{};
        std::vector<BYTE> ab;
        EXPECT_EQ(exif::IsoTextToLocal(c.text, ft), *c.local != 0);
        EXPECT_EQ(exif::IsoTextTimeBytes(c.text, LocalTime(2010, 3, 4, 5, 6, 7), ab), *c.local != 0);
        if (*c.local) {
            EXPECT_EQ(Local(ft), c.local);
            EXPECT_EQ(std::string(ab.begin(), ab.end()), c.rewritten);
        }
    }
}

namespace {

const std::uint64_t kCreated = MovieSeconds(2020, 1, 2, 3, 4, 5), kModified = kCreated + 60;
const Bytes kMvhd = TimeHeader("mvhd", 0, kCreated, kModified);

Bytes Track(int nVersion)
{
    return IsoBox("trak", Cat({TimeHeader("tkhd", nVersion, kCreated, kModified),
                               IsoBox("mdia", TimeHeader("mdhd", nVersion, kCreated, kModified))}));
}

// The box with its size field set to dwSize.
Bytes WithSize(std::uint32_t dwSize, Bytes box)
{
    const Bytes size = Be(dwSize, 4);
    std::copy(size.begin(), size.end(), box.begin());
    return box;
}

Bytes Repeated(const Bytes& box, std::size_t n, bool bNested)
{
    Bytes out = bNested ? kMvhd : Bytes();
    for (std::size_t i = 0; i < n; ++i)
        if (bNested)
            out = IsoBox(i % 2 ? "udta" : "trak", out);
        else
            out.insert(out.end(), box.begin(), box.end());
    return out;
}

}  // namespace

// Broken or odd boxes: what holds together is read, nothing past a box's parent or the file.
TEST(IsoMediaBoxes, BrokenSizesGiveAClearOutcome)
{
    const Bytes ftyp = Ftyp("isom"), moov{'m', 'o', 'o', 'v'};
    const Bytes bigMovie = IsoBox("moov", Cat({kMvhd, Track(1)}));
    const struct {
        const char* name;
        Bytes file;
        bool bLooks;
        std::vector<int> widths;  // of the times found, in order
    } cases[] = {
        {"empty file", {}, false, {}},
        {"a JPEG", {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1}, false, {}},
        {"file type alone", ftyp, true, {}},
        {"32- and 64-bit headers, then media data to the end (size 0)",
         Cat({ftyp, bigMovie, Be(0, 4), Bytes{'m', 'd', 'a', 't'}, Bytes(100, 7)}), true, {4, 4, 8, 8, 8, 8}},
        {"a movie box with a 64-bit size", Cat({ftyp, Be(1, 4), moov, Be(16 + kMvhd.size(), 8), kMvhd}), true, {4, 4}},
        {"a 64-bit size below its header", Cat({ftyp, Be(1, 4), moov, Be(8, 8), kMvhd}), true, {}},
        {"a movie box of size 0 (to the end)", Cat({ftyp, WithSize(0, IsoBox("moov", kMvhd))}), true, {4, 4}},
        {"a track past its movie", Cat({ftyp, IsoBox("moov", Cat({kMvhd, WithSize(2000, Track(0))}))}), true, {4, 4}},
        {"a movie past the file", Cat({ftyp, WithSize(std::uint32_t(bigMovie.size() + 1), bigMovie)}), true, {}},
        {"a box smaller than its header", Cat({ftyp, IsoBox("moov", Cat({WithSize(4, IsoBox("free", {})), kMvhd}))}), true, {}},
        {"a header of version 2, one cut short",
         Cat({ftyp, IsoBox("moov", Cat({IsoFullBox("mvhd", 2, Bytes(40, 0)), IsoFullBox("mvhd", 0, Be(kCreated, 4))}))}), true, {}},
        {"deep nesting", Cat({ftyp, IsoBox("moov", Cat({Repeated({}, 2000, true), kMvhd}))}), true, {4, 4}},
        {"more boxes than are read", Cat({ftyp, Repeated(IsoBox("free", {}), exif::iso::kMaxBoxes, false), IsoBox("moov", kMvhd)}), true, {}},
        {"the first movie box only", Cat({ftyp, IsoBox("moov", kMvhd), IsoBox("moov", Track(0))}), true, {4, 4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        exif::MemoryByteSource src(c.file.data(), c.file.size());
        EXPECT_EQ(exif::LooksLikeIsoMedia(src), c.bLooks);
        exif::ContainerLayout layout;
        EXPECT_EQ(exif::LocateIsoMedia(src, layout), !c.widths.empty());
        std::vector<int> widths;
        for (const exif::MovieTimeField& f : layout.movieTimes) {
            widths.push_back(f.nBytes);
            EXPECT_EQ(f.qwSeconds, f.nDate == 1 ? kCreated : kModified) << f.szWhere;
            EXPECT_EQ(Slice(c.file, f.qwOffset, std::uint64_t(f.nBytes)), Slice(Be(f.qwSeconds, f.nBytes), 0, std::uint64_t(f.nBytes)));
        }
        EXPECT_EQ(widths, c.widths);
    }
}

// An Exif or XMP item is placed only when it is one extent of this file inside the file; the
// TIFF structure starts where the Exif item's first four bytes say; of two Exif items, the one
// that describes the primary picture ('cdsc' to the 'pitm' item) is the main structure.
TEST(IsoMediaBoxes, ItemsArePlacedOnlyWhereTheirLocationHolds)
{
    const Bytes primary = Cat({IsoFullBox("pitm", 1, Be(3, 4)), IsoFullBox("iref", 1, IsoBox("cdsc", Cat({Be(2, 4), Be(1, 2), Be(3, 4)})))});
    const struct {
        const char* name;
        Iloc iloc;
        std::vector<HeifItem> items;
        Bytes extra;
        std::vector<int> tiffItems;  // the items placed as TIFF structures, in order
        bool bXmp;
    } cases[] = {
        {"version 0", {}, {ExifItem(6), XmpItem()}, {}, {0}, true},
        {"version 1 with a base offset", {1, 4, 4, 8, 0, 100}, {ExifItem(6), XmpItem()}, {}, {0}, true},
        {"version 2, 64-bit fields", {2, 8, 8, 4, 0, 0}, {ExifItem(6), XmpItem()}, {}, {0}, true},
        {"stored inside the meta box (method 1)", {1, 4, 4, 0, 1, 0}, {ExifItem(6), XmpItem()}, {}, {}, false},
        {"stored as two extents", {0, 4, 4, 0, 0, 0, true}, {ExifItem(6), XmpItem()}, {}, {}, false},
        {"field widths that do not exist", {0, 3, 4, 0, 0, 0}, {ExifItem(6), XmpItem()}, {}, {}, false},
        {"Exif item past the end of the file", {}, {ExifItem(6, 1 << 20), XmpItem()}, {}, {}, true},
        {"Exif item running past the end of the file", {}, {ExifItem(6, 40), XmpItem()}, {}, {}, true},
        {"TIFF offset past the item", {}, {ExifItem(100000), XmpItem()}, {}, {}, true},
        {"TIFF offset not at a TIFF header", {}, {ExifItem(2), XmpItem()}, {}, {}, true},
        {"the primary picture's Exif item first", {}, {ExifItem(6), ExifItem(6), XmpItem()}, primary, {1, 0}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const HeifFile f = Heif(c.iloc, c.items, c.extra);
        exif::MemoryByteSource src(f.bytes.data(), f.bytes.size());
        exif::ContainerLayout layout;
        EXPECT_EQ(exif::LocateIsoMedia(src, layout), !c.tiffItems.empty() || c.bXmp);
        ASSERT_EQ(layout.tiff.size(), c.tiffItems.size());
        for (std::size_t i = 0; i < c.tiffItems.size(); ++i) {
            EXPECT_EQ(layout.tiff[i].qwOffset, f.places[std::size_t(c.tiffItems[i])].qwOffset + 10);
            EXPECT_EQ(layout.tiff[i].qwLength, f.places[std::size_t(c.tiffItems[i])].qwLength - 10);
            EXPECT_STREQ(layout.tiff[i].szWhere, i == 0 ? "" : "Exif#2");
        }
        ASSERT_EQ(layout.xmp.size(), c.bXmp ? 1u : 0u);
        if (c.bXmp) {
            EXPECT_EQ(layout.xmp[0].qwOffset, f.places.back().qwOffset);
            EXPECT_EQ(layout.xmp[0].qwLength, f.places.back().qwLength);
        }
    }
}

// A Canon raw file: IFD0 in CMT1, the Exif IFD in CMT2, and the larger of its JPEG pictures
// (thumbnail, preview) whose length holds inside its box.
TEST(IsoMediaBoxes, CanonRawFilesGiveTheirStructuresAndLargestPicture)
{
    const Bytes small = ReadAll(kData + "/Sony_DigitalMavica.jpg"), large = ReadAll(kData + "/FujiFilm_FinePixS1Pro_4_.jpg");
    const struct {
        const char* name;
        Bytes file;
        const Bytes* pPicture;
    } cases[] = {
        {"the preview is larger", CanonRaw(small, 0, large, 0), &large},
        {"the preview's length runs past its box", CanonRaw(small, 0, large, std::uint32_t(large.size() + 1)), &small},
        {"the preview is not a JPEG", CanonRaw(small, 0, Bytes(large.size(), 'x'), 0), &small},
        {"the thumbnail's length runs past its box", CanonRaw(small, std::uint32_t(small.size() + 5), {}, 0), nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        exif::MemoryByteSource src(c.file.data(), c.file.size());
        exif::ContainerLayout layout;
        ASSERT_TRUE(exif::LocateIsoMedia(src, layout));
        ASSERT_EQ(layout.tiff.size(), 2u);
        EXPECT_FALSE(layout.tiff[0].bExifIfd);
        EXPECT_TRUE(layout.tiff[1].bExifIfd);
        EXPECT_STREQ(layout.tiff[1].szWhere, "CMT2");
        const std::string picture = c.pPicture ? Slice(*c.pPicture, 0, c.pPicture->size()) : "";
        EXPECT_EQ(Slice(c.file, layout.qwJpegOffset, layout.qwJpegLength), picture);
    }
}

// Positions past 4 GiB: a movie box after a long media data box (64-bit size) in a sparse file,
// found by reading box headers only.
TEST(IsoMediaBoxes, ReadsPastFourGibibytesWithoutReadingTheFile)
{
    ScratchDir dir;
    const std::uint64_t qwMediaData = (5ull << 30) + 16;
    const Bytes head = Cat({Ftyp("mp41"), Be(1, 4), Bytes{'m', 'd', 'a', 't'}, Be(qwMediaData, 8)});
    const Bytes movie = IsoBox("moov", Cat({TimeHeader("mvhd", 1, kCreated, kModified), Track(0)}));
    const std::uint64_t qwMovie = head.size() - 16 + qwMediaData;
    const std::string path = dir.Path("long.mp4");
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(head.data()), std::streamsize(head.size()));
        out.seekp(std::streamoff(qwMovie));
        out.write(reinterpret_cast<const char*>(movie.data()), std::streamsize(movie.size()));
        ASSERT_TRUE(out.good());
    }
    FileByteSource src(path);
    exif::ContainerLayout layout;
    ASSERT_TRUE(exif::LocateIsoMedia(src, layout));
    ASSERT_EQ(layout.movieTimes.size(), 6u);
    EXPECT_EQ(layout.movieTimes[0].qwOffset, qwMovie + 8 + 12);  // after the movie's and the header's own headers
    EXPECT_EQ(layout.movieTimes[0].nBytes, 8);
    EXPECT_EQ(layout.movieTimes[0].qwSeconds, kCreated);
    EXPECT_STREQ(layout.movieTimes[2].szWhere, "tkhd#1");
    EXPECT_LE(src.Reads(), 5);
    EXPECT_LE(src.BytesRead(), 64u << 10);
}
