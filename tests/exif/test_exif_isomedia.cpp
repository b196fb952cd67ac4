// ISO base media files (HEIC, AVIF, CR3, MP4, MOV): every place the box reader reports holds
// what exiftool reads there; movie times and date texts convert to local time and back; broken
// boxes give a clear outcome without a read outside the file.
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
#include <fcntl.h>
#include <map>
#include <sstream>
#include <unistd.h>

using namespace exiftest;

namespace {

const std::string kData = VELMORA_EXIF_DATA;

// exiftool's lines "Name: value" as name -> values (sorted, duplicates kept). Movie times are
// read as UTC (a CR3's always are, and shown with a "+00:00" zone, which is dropped here).
std::map<std::string, std::vector<std::string>> Tags(const std::string& options, const std::string& path)
{
    std::map<std::string, std::vector<std::string>> tags;
    std::istringstream lines(Output("TZ=UTC exiftool -a -s -api QuickTimeUTC=0 " + options + " '" + path + "'"));
    for (std::string line; std::getline(lines, line);)
        if (const std::size_t n = line.find(" : "); n != std::string::npos) {
            std::string value = line.substr(n + 3);
            if (value.size() == 25 && value.ends_with("+00:00"))
                value.resize(19);
            tags[line.substr(0, line.find(' '))].push_back(value);
        }
    for (auto& [name, values] : tags)
        std::sort(values.begin(), values.end());
    return tags;
}

std::string Slice(const Bytes& file, std::uint64_t qwOffset, std::uint64_t qwLength)
{
    return qwOffset + qwLength <= file.size() ? std::string(file.begin() + long(qwOffset), file.begin() + long(qwOffset + qwLength))
                                              : std::string();
}

std::string Digits(const std::string& text)
{
    std::string out;
    std::copy_if(text.begin(), text.end(), std::back_inserter(out), [](char c) { return c >= '0' && c <= '9'; });
    return out;
}

// A movie time as exiftool prints it without a zone conversion.
std::string UtcText(std::uint64_t qwSeconds)
{
    if (qwSeconds == 0)
        return "0000:00:00 00:00:00";
    const std::time_t t = std::time_t(qwSeconds) - 2082844800;
    std::tm tm{};
    gmtime_r(&t, &tm);
    char sz[32];
    std::strftime(sz, sizeof sz, "%Y:%m:%d %H:%M:%S", &tm);
    return sz;
}

std::string ExifToolName(const exif::MovieTimeField& f)
{
    const std::string kind = std::string(f.szWhere).substr(0, 4);
    const char* pszWhen = f.nDate == 1 ? "CreateDate" : "ModifyDate";
    return (kind == "mvhd" ? "" : kind == "tkhd" ? "Track" : "Media") + std::string(pszWhen);
}

exif::ContainerLayout Locate(const std::string& path, bool bExpect = true)
{
    FileByteSource src(path);
    exif::ContainerLayout layout;
    EXPECT_EQ(exif::LocateIsoMedia(src, layout), bExpect) << path;
    return layout;
}

std::string Local(const FILETIME& ft)
{
    SYSTEMTIME st{};
    FileTimeToSystemTime(&ft, &st);
    char sz[64];
    std::snprintf(sz, sizeof sz, "%04d-%02d-%02d %02d:%02d:%02d", st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute,
                  st.wSecond);
    return sz;
}

FILETIME LocalTime(int y, int mo, int d, int h, int mi, int s)
{
    const SYSTEMTIME st{WORD(y), WORD(mo), 0, WORD(d), WORD(h), WORD(mi), WORD(s), 0};
    FILETIME ft{};
    SystemTimeToFileTime(&st, &ft);
    return ft;
}

// Files the tools make: a HEIC and an AVIF with EXIF and XMP, an MP4 with XMP, a MOV with the
// QuickTime creation date and a cover picture.
class IsoMediaFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_pDir = new ScratchDir;
        if (!HaveTool("exiftool") || !HaveTool("heif-enc") || !HaveTool("ffmpeg") || !HaveTool("convert"))
            return;
        const std::string d = s_pDir->Dir().string() + "/";
        const std::string ffmpeg = "ffmpeg -loglevel error -f lavfi -i color=c=red:s=64x64:d=1 "
                                   "-metadata creation_time=2020-01-02T03:04:05Z -y ";
        const std::string dates = "'-EXIF:DateTimeOriginal=2019:07:08 09:10:11' '-EXIF:ModifyDate=2019:07:08 09:10:12' "
                                  "'-XMP-xmp:CreateDate=2019:07:08 09:10:11+02:00' ";
        s_bMade = RunTool("convert -size 64x48 gradient:red-blue png24:" + d + "in.png") &&
                  RunTool("heif-enc -q 50 " + d + "in.png -o " + d + "made.heic") &&
                  RunTool("heif-enc -A -q 50 " + d + "in.png -o " + d + "made.avif") &&
                  RunTool("exiftool -q -overwrite_original " + dates + d + "made.heic " + d + "made.avif") &&
                  RunTool(ffmpeg + d + "made.mp4") && RunTool(ffmpeg + d + "made.mov") &&
                  RunTool("exiftool -q -overwrite_original '-XMP-xmp:CreateDate=2020:01:02 05:04:05+02:00' " + d + "made.mp4") &&
                  RunTool("exiftool -q -overwrite_original '-Keys:CreationDate=2020:01:02 05:04:05+02:00' "
                      "'-ItemList:CoverArt<=" + kData + "/Sony_DigitalMavica.jpg' " + d + "made.mov");
    }
    static void TearDownTestSuite() { delete s_pDir; }
    void SetUp() override
    {
        if (!s_bMade)
            GTEST_SKIP() << "exiftool, heif-enc, ffmpeg or ImageMagick is missing";
    }
    static std::string Made(const char* pszName) { return s_pDir->Path(pszName); }

    static ScratchDir* s_pDir;
    static bool s_bMade;
};
ScratchDir* IsoMediaFiles::s_pDir = nullptr;
bool IsoMediaFiles::s_bMade = false;

}  // namespace

// Each place reported holds what exiftool reads from the file: the TIFF structures hold the
// file's EXIF dates, the XMP place the packet, each movie time its header's date, the text the
// QuickTime creation date, the picture the cover art.
TEST_F(IsoMediaFiles, EveryPlaceHoldsWhatExiftoolReads)
{
    const struct {
        std::string path;
        std::size_t nTiff, nXmp, nTimes, nTexts;
        const char* pszPicture;  // exiftool's tag of the picture reported, or nullptr for none
    } cases[] = {
        {Made("made.heic"), 1, 1, 0, 0, nullptr},
        {Made("made.avif"), 1, 1, 0, 0, nullptr},
        {Made("made.mp4"), 0, 1, 6, 0, nullptr},
        {Made("made.mov"), 0, 0, 6, 1, "CoverArt"},
        {kData + "/CanonRaw.cr3", 2, 1, 18, 0, nullptr},  // its preview is a stand-in, not a JPEG
        {kData + "/QuickTime.mov", 0, 1, 10, 0, "CoverArt"},
        {kData + "/sample.3gp", 0, 0, 10, 0, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const exif::ContainerLayout layout = Locate(c.path);
        const Bytes file = ReadAll(c.path);
        EXPECT_EQ(layout.kind, exif::ContainerKind::IsoMedia);
        ASSERT_EQ(layout.tiff.size(), c.nTiff);
        ASSERT_EQ(layout.xmp.size(), c.nXmp);
        ASSERT_EQ(layout.movieTimes.size(), c.nTimes);
        ASSERT_EQ(layout.textTimes.size(), c.nTexts);

        // The TIFF structures cut out of the file hold all of its EXIF dates.
        const std::string dates = "-EXIF:ModifyDate -EXIF:DateTimeOriginal -EXIF:CreateDate";
        std::map<std::string, std::vector<std::string>> fromPlaces;
        for (std::size_t i = 0; i < layout.tiff.size(); ++i) {
            const exif::TiffPlace& t = layout.tiff[i];
            EXPECT_EQ(t.bExifIfd, std::string(t.szWhere) == "CMT2");
            const std::string cut = s_pDir->Write("cut" + std::to_string(i) + ".exif",
                                                  Bytes(file.begin() + long(t.qwOffset), file.begin() + long(t.qwOffset + t.qwLength)));
            for (auto& [name, values] : Tags(dates, cut))
                for (auto& v : values)
                    fromPlaces[name].push_back(v);
        }
        for (auto& [name, values] : fromPlaces)
            std::sort(values.begin(), values.end());
        EXPECT_EQ(fromPlaces, Tags(dates, c.path));

        if (c.nXmp > 0) {
            EXPECT_EQ(Slice(file, layout.xmp[0].qwOffset, layout.xmp[0].qwLength), Output("exiftool -b -XMP '" + c.path + "'"));
        }

        std::map<std::string, std::vector<std::string>> times;
        for (const exif::MovieTimeField& f : layout.movieTimes) {
            EXPECT_EQ(Slice(file, f.qwOffset, std::uint64_t(f.nBytes)), Slice(Be(f.qwSeconds, f.nBytes), 0, std::uint64_t(f.nBytes)));
            times[ExifToolName(f)].push_back(UtcText(f.qwSeconds));
        }
        for (auto& [name, values] : times)
            std::sort(values.begin(), values.end());
        EXPECT_EQ(times, Tags("-QuickTime:CreateDate -QuickTime:ModifyDate -TrackCreateDate -TrackModifyDate "
                              "-MediaCreateDate -MediaModifyDate",
                              c.path));

        for (const exif::TextTimeField& t : layout.textTimes) {
            EXPECT_STREQ(t.szName, "com.apple.quicktime.creationdate");
            EXPECT_EQ(Digits(Slice(file, t.qwOffset, t.dwLength)), Digits(Output("exiftool -s3 -Keys:CreationDate '" + c.path + "'")));
        }
        if (c.pszPicture)
            EXPECT_EQ(Slice(file, layout.qwJpegOffset, layout.qwJpegLength),
                      Output("exiftool -b -" + std::string(c.pszPicture) + " '" + c.path + "'"));
        else
            EXPECT_EQ(layout.qwJpegLength, 0u);
    }
}

namespace {

std::uint64_t MovieSeconds(int y, int mo, int d, int h, int mi, int s)
{
    std::tm tm{};
    tm.tm_year = y - 1900, tm.tm_mon = mo - 1, tm.tm_mday = d, tm.tm_hour = h, tm.tm_min = mi, tm.tm_sec = s;
    return std::uint64_t(timegm(&tm) + 2082844800);
}

exif::MovieTimeField Field(int nBytes, std::uint64_t qwSeconds)
{
    exif::MovieTimeField f;
    f.nBytes = nBytes;
    f.qwSeconds = qwSeconds;
    return f;
}

}  // namespace

// A movie time reads as the local time with the offset in force at that date, and that local
// time converts back to the same seconds, also in the hour the clocks show twice.
TEST(MovieTimes, ConvertWithTheOffsetInForceAndBack)
{
    const struct {
        const char* zone;
        std::uint64_t qwSeconds;
        const char* local;
    } cases[] = {
        {"UTC0", MovieSeconds(2020, 1, 2, 3, 4, 5), "2020-01-02 03:04:05"},
        {"Europe/Prague", MovieSeconds(2020, 1, 2, 3, 4, 5), "2020-01-02 04:04:05"},
        {"Europe/Prague", MovieSeconds(2020, 7, 1, 12, 0, 0), "2020-07-01 14:00:00"},
        {"Europe/Prague", MovieSeconds(2020, 3, 29, 0, 59, 59), "2020-03-29 01:59:59"},
        {"Europe/Prague", MovieSeconds(2020, 3, 29, 1, 0, 0), "2020-03-29 03:00:00"},
        {"Europe/Prague", MovieSeconds(2020, 10, 25, 0, 30, 0), "2020-10-25 02:30:00"},
        {"Europe/Prague", MovieSeconds(2020, 10, 25, 1, 30, 0), "2020-10-25 02:30:00"},
        {"America/New_York", MovieSeconds(2021, 11, 7, 5, 30, 0), "2021-11-07 01:30:00"},
        {"America/New_York", MovieSeconds(2021, 11, 7, 6, 30, 0), "2021-11-07 01:30:00"},
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
            ASSERT_TRUE(exif::MovieTimeBytes(Field(nBytes, c.qwSeconds), ft, ab));
            EXPECT_EQ(ab, Be(c.qwSeconds, nBytes));
        }
    }
}

// Times a field cannot hold: unset (0), past 9999, before 1904, past 2040 in 32 bits, a width
// that is neither 4 nor 8.
TEST(MovieTimes, RefuseWhatTheFieldCannotHold)
{
    TimeZoneGuard zone("UTC0");
    FILETIME ft{};
    EXPECT_FALSE(exif::MovieTimeToLocal(0, ft));
    EXPECT_FALSE(exif::MovieTimeToLocal(std::uint64_t(1) << 62, ft));
    std::vector<BYTE> ab;
    const FILETIME ft2040 = LocalTime(2040, 2, 6, 6, 28, 16);
    EXPECT_FALSE(exif::MovieTimeBytes(Field(4, 1), ft2040, ab));
    ASSERT_TRUE(exif::MovieTimeBytes(Field(8, 1), ft2040, ab));
    EXPECT_EQ(ab, Be(std::uint64_t(1) << 32, 8));
    EXPECT_FALSE(exif::MovieTimeBytes(Field(8, 1), LocalTime(1903, 12, 31, 23, 59, 59), ab));
    EXPECT_FALSE(exif::MovieTimeBytes(Field(8, 1), LocalTime(1904, 1, 1, 0, 0, 0), ab));
    EXPECT_FALSE(exif::MovieTimeBytes(Field(3, 1), LocalTime(2020, 1, 1, 0, 0, 0), ab));
}

// A date text's digits are local time; a rewrite keeps its length, separators, fraction and
// zone. An empty rewrite: the text is not such a date and is left alone.
TEST(MovieTimes, DateTextsKeepTheirShape)
{
    const FILETIME ftNew = LocalTime(2010, 3, 4, 5, 6, 7);
    const struct {
        const char* text;
        const char* local;
        const char* rewritten;
    } cases[] = {
        {"2024-05-01T10:11:12+0200", "2024-05-01 10:11:12", "2010-03-04T05:06:07+0200"},
        {"2024-05-01T10:11:12-0530", "2024-05-01 10:11:12", "2010-03-04T05:06:07-0530"},
        {"2024-05-01T10:11:12+02:00", "2024-05-01 10:11:12", "2010-03-04T05:06:07+02:00"},
        {"2024-05-01T10:11:12Z", "2024-05-01 10:11:12", "2010-03-04T05:06:07Z"},
        {"2024-05-01T10:11:12.345+0200", "2024-05-01 10:11:12", "2010-03-04T05:06:07.345+0200"},
        {"2024-05-01T10:11", "2024-05-01 10:11:00", "2010-03-04T05:06"},
        {"2024-05-01", "", ""},
        {"2024-05-01T10:11:12+02", "", ""},
        {"2024-05-01T10:11:12+2500", "", ""},
        {"2024-05-01T10:11:12Z+0200", "", ""},
        {"2024-05-01T10:11:12+02:00+0200", "", ""},
        {"2024:05:01 10:11:12", "", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        FILETIME ft{};
        std::vector<BYTE> ab;
        EXPECT_EQ(exif::IsoTextToLocal(c.text, ft), *c.local != 0);
        EXPECT_EQ(exif::IsoTextTimeBytes(c.text, ftNew, ab), *c.rewritten != 0);
        if (*c.local) {
            EXPECT_EQ(Local(ft), c.local);
            EXPECT_EQ(std::string(ab.begin(), ab.end()), c.rewritten);
        }
    }
    std::vector<BYTE> ab;
    EXPECT_FALSE(exif::IsoTextTimeBytes("2024-05-01T10:11:12Z", LocalTime(10000, 1, 1, 0, 0, 0), ab));
}

namespace {

const std::uint64_t kCreated = MovieSeconds(2020, 1, 2, 3, 4, 5), kModified = kCreated + 60;

Bytes Movie(const Bytes& body) { return IsoBox("moov", body); }
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

Bytes Nested(int nLevels)
{
    Bytes inner = TimeHeader("mvhd", 0, kCreated, kModified);
    for (int i = 0; i < nLevels; ++i)
        inner = IsoBox(i % 2 ? "udta" : "trak", inner);
    return inner;
}

Bytes ManyBoxes(std::size_t nBoxes)
{
    Bytes out;
    const Bytes free = IsoBox("free", {});
    for (std::size_t i = 0; i < nBoxes; ++i)
        out.insert(out.end(), free.begin(), free.end());
    return out;
}

}  // namespace

// Broken or odd boxes: what holds together is read, nothing past a box's parent or the file.
TEST(IsoMediaBoxes, BrokenSizesGiveAClearOutcome)
{
    const Bytes mvhd = TimeHeader("mvhd", 0, kCreated, kModified);
    const Bytes ftyp = Ftyp("isom");
    const Bytes bigMovie = Movie(Cat({mvhd, Track(1)}));
    const Bytes largeSize = Cat({Be(1, 4), Bytes{'m', 'o', 'o', 'v'}, Be(16 + mvhd.size(), 8), mvhd});
    const struct {
        const char* name;
        Bytes file;
        bool bLooks;
        std::vector<int> widths;  // of the times found, in order
    } cases[] = {
        {"empty file", {}, false, {}},
        {"a JPEG", {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1}, false, {}},
        {"file type alone", ftyp, true, {}},
        {"32- and 64-bit headers, media data to the end (size 0)",
         Cat({ftyp, bigMovie, Be(0, 4), Bytes{'m', 'd', 'a', 't'}, Bytes(100, 7)}), true, {4, 4, 8, 8, 8, 8}},
        {"a movie box with a 64-bit size", Cat({ftyp, largeSize}), true, {4, 4}},
        {"a movie box of size 0 (to the end)", Cat({ftyp, WithSize(0, Movie(mvhd))}), true, {4, 4}},
        {"a track past its movie", Cat({ftyp, Movie(Cat({mvhd, WithSize(2000, Track(0))}))}), true, {4, 4}},
        {"a movie past the file", Cat({ftyp, WithSize(std::uint32_t(bigMovie.size() + 1), bigMovie)}), true, {}},
        {"a box smaller than its header", Cat({ftyp, Movie(Cat({WithSize(4, IsoBox("free", {})), mvhd}))}), true, {}},
        {"a 64-bit size below its header", Cat({ftyp, Be(1, 4), Bytes{'m', 'o', 'o', 'v'}, Be(8, 8), mvhd}), true, {}},
        {"a header of version 2, one cut short",
         Cat({ftyp, Movie(Cat({IsoFullBox("mvhd", 2, Bytes(40, 0)), IsoFullBox("mvhd", 0, Be(kCreated, 4))}))}), true, {}},
        {"deep nesting", Cat({ftyp, Movie(Cat({Nested(2000), mvhd}))}), true, {4, 4}},
        {"more boxes than are read", Cat({ftyp, ManyBoxes(exif::iso::kMaxBoxes), Movie(mvhd)}), true, {}},
        {"the first movie box only", Cat({ftyp, Movie(mvhd), Movie(Track(0))}), true, {4, 4}},
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

namespace {

struct Extent {
    std::uint64_t qwOffset = 0, qwLength = 0;
};

// An item location box: items 1, 2, ... each stored as the extents given, at base offset
// qwBase (given as nBaseSize bytes), with the construction method nMethod.
struct Iloc {
    int nVersion = 0, nOffsetSize = 4, nLengthSize = 4, nBaseSize = 0, nMethod = 0;
    std::uint64_t qwBase = 0;
    bool bTwoExtents = false;

    Bytes Build(const std::vector<Extent>& extents) const
    {
        const int nIdSize = nVersion < 2 ? 2 : 4;
        Bytes body = Cat({Be(std::uint64_t(nOffsetSize << 4 | nLengthSize), 1), Be(std::uint64_t(nBaseSize << 4), 1),
                          Be(extents.size(), nIdSize)});
        std::uint32_t dwId = 1;
        for (const Extent& e : extents) {
            const Bytes one = Cat({Be(e.qwOffset - qwBase, nOffsetSize), Be(e.qwLength, nLengthSize)});
            body = Cat({body, Be(dwId++, nIdSize), nVersion > 0 ? Be(std::uint64_t(nMethod), 2) : Bytes(), Be(0, 2),
                        Be(qwBase, nBaseSize), Be(bTwoExtents ? 2 : 1, 2), one, bTwoExtents ? one : Bytes()});
        }
        return IsoFullBox("iloc", nVersion, body);
    }
};

// An item: its type, for a 'mime' item its content type, its data, and how far its location
// is moved from where the data really stands.
struct Item {
    const char* pszType;
    std::string contentType;
    Bytes data;
    std::int64_t nShift = 0;
};

Item ExifItem(std::uint32_t dwTiffSkip, std::int64_t nShift = 0)
{
    return {"Exif", "", Cat({Be(dwTiffSkip, 4), Bytes{'E', 'x', 'i', 'f', 0, 0}, Camera(false).Build()}), nShift};
}

Item XmpItem()
{
    const std::string packet = "<x:xmpmeta xmlns:x='adobe:ns:meta/'/>";
    return {"mime", "application/rdf+xml", Bytes(packet.begin(), packet.end())};
}

struct HeifFile {
    Bytes bytes;
    std::vector<Extent> places;  // where each item's data really stands
};

// A HEIF file whose 'meta' box names the items (ids 1, 2, ...), stored in 'mdat' after it;
// extra: more boxes of the 'meta' box (the primary item, item references).
HeifFile Heif(const Iloc& iloc, const std::vector<Item>& items, const Bytes& extra = {})
{
    Bytes infos = Be(items.size(), 2), data;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::string name = items[i].contentType.empty() ? "" : items[i].contentType + '\0';
        infos = Cat({infos, IsoFullBox("infe", 2, Cat({Be(i + 1, 2), Be(0, 2), Bytes(items[i].pszType, items[i].pszType + 4),
                                                       Bytes{0}, Bytes(name.begin(), name.end())}))});
    }
    HeifFile f;
    std::vector<Extent> locations(items.size());
    const Bytes ftyp = Ftyp("heic");
    for (int nPass = 0; nPass < 2; ++nPass) {
        const Bytes meta = IsoFullBox("meta", 0, Cat({IsoFullBox("iinf", 0, infos), iloc.Build(locations), extra}));
        std::uint64_t qwData = ftyp.size() + meta.size() + 8;
        f.places.clear();
        data.clear();
        for (std::size_t i = 0; i < items.size(); ++i) {
            f.places.push_back({qwData, items[i].data.size()});
            locations[i] = {qwData + std::uint64_t(items[i].nShift), items[i].data.size()};
            qwData += items[i].data.size();
            data = Cat({data, items[i].data});
        }
        f.bytes = Cat({ftyp, meta, IsoBox("mdat", data)});
    }
    return f;
}

}  // namespace

// An Exif or XMP item is placed only when it is one extent of this file inside the file; the
// TIFF structure starts where the Exif item's first four bytes say.
TEST(IsoMediaBoxes, ItemsArePlacedOnlyWhereTheirLocationHolds)
{
    const struct {
        const char* name;
        Iloc iloc;
        Item exif = ExifItem(6);
        bool bExif = true, bXmp = true;
    } cases[] = {
        {"version 0", {}},
        {"version 1 with a base offset", {1, 4, 4, 8, 0, 100}},
        {"version 2, 64-bit fields", {2, 8, 8, 4, 0, 0}},
        {"stored inside the meta box (method 1)", {1, 4, 4, 0, 1, 0}, ExifItem(6), false, false},
        {"stored as two extents", {0, 4, 4, 0, 0, 0, true}, ExifItem(6), false, false},
        {"field widths that do not exist", {0, 3, 4, 0, 0, 0}, ExifItem(6), false, false},
        {"Exif item past the end of the file", {}, ExifItem(6, 1 << 20), false, true},
        {"Exif item running past the end of the file", {}, ExifItem(6, 40), false, true},
        {"TIFF offset past the item", {}, ExifItem(100000), false, true},
        {"TIFF offset not at a TIFF header", {}, ExifItem(2), false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const HeifFile f = Heif(c.iloc, {c.exif, XmpItem()});
        exif::MemoryByteSource src(f.bytes.data(), f.bytes.size());
        exif::ContainerLayout layout;
        EXPECT_EQ(exif::LocateIsoMedia(src, layout), c.bExif || c.bXmp);
        ASSERT_EQ(layout.tiff.size(), c.bExif ? 1u : 0u);
        ASSERT_EQ(layout.xmp.size(), c.bXmp ? 1u : 0u);
        if (c.bExif) {
            EXPECT_EQ(layout.tiff[0].qwOffset, f.places[0].qwOffset + 10);
            EXPECT_EQ(layout.tiff[0].qwLength, f.places[0].qwLength - 10);
            EXPECT_FALSE(layout.tiff[0].bExifIfd);
        }
        if (c.bXmp) {
            EXPECT_EQ(layout.xmp[0].qwOffset, f.places[1].qwOffset);
            EXPECT_EQ(layout.xmp[0].qwLength, f.places[1].qwLength);
        }
    }
}

// Of two Exif items, the one that describes the primary picture (a 'cdsc' reference to the
// item 'pitm' names) is the main structure, in either version of the boxes.
TEST(IsoMediaBoxes, TheExifItemOfThePrimaryPictureComesFirst)
{
    for (int nVersion : {0, 1}) {
        SCOPED_TRACE(nVersion);
        const int nId = nVersion == 0 ? 2 : 4;
        const Bytes refs = IsoFullBox("iref", nVersion, IsoBox("cdsc", Cat({Be(2, nId), Be(1, 2), Be(3, nId)})));
        const HeifFile f = Heif({}, {ExifItem(6), ExifItem(6), XmpItem()}, Cat({IsoFullBox("pitm", nVersion, Be(3, nId)), refs}));
        exif::MemoryByteSource src(f.bytes.data(), f.bytes.size());
        exif::ContainerLayout layout;
        ASSERT_TRUE(exif::LocateIsoMedia(src, layout));
        ASSERT_EQ(layout.tiff.size(), 2u);
        EXPECT_EQ(layout.tiff[0].qwOffset, f.places[1].qwOffset + 10);
        EXPECT_STREQ(layout.tiff[0].szWhere, "");
        EXPECT_EQ(layout.tiff[1].qwOffset, f.places[0].qwOffset + 10);
        EXPECT_STREQ(layout.tiff[1].szWhere, "Exif#2");
    }
}

// Positions past 4 GiB: a movie box after a long media data box (64-bit size) in a sparse file,
// found by reading box headers only.
TEST(IsoMediaBoxes, ReadsPastFourGibibytesWithoutReadingTheFile)
{
    ScratchDir dir;
    const std::uint64_t qwMediaData = (5ull << 30) + 16;
    const Bytes head = Cat({Ftyp("mp41"), Be(1, 4), Bytes{'m', 'd', 'a', 't'}, Be(qwMediaData, 8)});
    const Bytes movie = Movie(Cat({TimeHeader("mvhd", 1, kCreated, kModified), Track(0)}));
    const std::string path = dir.Path("long.mp4");
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(head.data()), std::streamsize(head.size()));
        out.seekp(std::streamoff(head.size() - 16 + qwMediaData));
        out.write(reinterpret_cast<const char*>(movie.data()), std::streamsize(movie.size()));
        ASSERT_TRUE(out.good());
    }
    FileByteSource src(path);
    exif::ContainerLayout layout;
    ASSERT_TRUE(exif::LocateIsoMedia(src, layout));
    ASSERT_EQ(layout.movieTimes.size(), 6u);
    EXPECT_EQ(layout.movieTimes[0].qwOffset, head.size() - 16 + qwMediaData + 8 + 12);  // after the movie box's and the header's own headers
    EXPECT_EQ(layout.movieTimes[0].nBytes, 8);
    EXPECT_EQ(layout.movieTimes[0].qwSeconds, kCreated);
    EXPECT_STREQ(layout.movieTimes[2].szWhere, "tkhd#1");
    EXPECT_LE(src.Reads(), 4);
    EXPECT_LE(src.BytesRead(), 64u << 10);
}

namespace {

// A Canon raw file's boxes: CMT1 and CMT2 with a thumbnail (THMB) in the movie box's Canon
// box, and a preview (PRVW) in a box of its own. A length field of 0 stands for the picture's
// true length.
Bytes CanonRaw(const Bytes& thumbnail, std::uint32_t dwThumbLength, const Bytes& preview, std::uint32_t dwPreviewLength)
{
    const Bytes tiff = Camera(false).Build();
    const Bytes canon = Cat({IsoBox("CMT1", tiff), IsoBox("CMT2", tiff),
                             IsoFullBox("THMB", 0, Cat({Be(160, 2), Be(120, 2), Be(dwThumbLength ? dwThumbLength : thumbnail.size(), 4),
                                                        Be(0, 4), thumbnail}))});
    const std::uint8_t abCanon[16] = {0x85, 0xc0, 0xb6, 0x87, 0x82, 0x0f, 0x11, 0xe0, 0x81, 0x11, 0xf4, 0xce, 0x46, 0x2b, 0x6a, 0x48};
    const std::uint8_t abPreview[16] = {0xea, 0xf4, 0x2b, 0x5e, 0x1c, 0x98, 0x4b, 0x88, 0xb9, 0xfb, 0xb7, 0xdc, 0x40, 0x6e, 0x4d, 0x16};
    const Bytes prvw = IsoBox("PRVW", Cat({Be(0, 4), Be(1, 2), Be(1620, 2), Be(1080, 2), Be(1, 2),
                                           Be(dwPreviewLength ? dwPreviewLength : preview.size(), 4), preview}));
    return Cat({Ftyp("crx "), Movie(IsoBox("uuid", Cat({Bytes(abCanon, abCanon + 16), canon}))),
                IsoBox("uuid", Cat({Bytes(abPreview, abPreview + 16), Be(1, 8), prvw}))});
}

}  // namespace

// A Canon raw file: IFD0 in CMT1, the Exif IFD in CMT2, and the larger of its JPEG pictures
// whose length holds inside its box.
TEST(IsoMediaBoxes, CanonRawFilesGiveTheirStructuresAndLargestPicture)
{
    const Bytes small = ReadAll(kData + "/Sony_DigitalMavica.jpg"), large = ReadAll(kData + "/FujiFilm_FinePixS1Pro_4_.jpg");
    const Bytes notJpeg(large.size() + 10, 'x');
    const struct {
        const char* name;
        Bytes file;
        const Bytes* pPicture;
    } cases[] = {
        {"the preview is larger", CanonRaw(small, 0, large, 0), &large},
        {"the preview's length runs past its box", CanonRaw(small, 0, large, std::uint32_t(large.size() + 1)), &small},
        {"the preview is not a JPEG", CanonRaw(small, 0, notJpeg, 0), &small},
        {"the thumbnail's length runs past its box", CanonRaw(small, std::uint32_t(small.size() + 5), {}, 0), nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        exif::MemoryByteSource src(c.file.data(), c.file.size());
        exif::ContainerLayout layout;
        ASSERT_TRUE(exif::LocateIsoMedia(src, layout));
        ASSERT_EQ(layout.tiff.size(), 2u);
        EXPECT_FALSE(layout.tiff[0].bExifIfd);
        EXPECT_STREQ(layout.tiff[0].szWhere, "");
        EXPECT_TRUE(layout.tiff[1].bExifIfd);
        EXPECT_STREQ(layout.tiff[1].szWhere, "CMT2");
        const Bytes picture = c.pPicture ? *c.pPicture : Bytes();
        EXPECT_EQ(layout.qwJpegLength, picture.size());
        EXPECT_EQ(Slice(c.file, layout.qwJpegOffset, layout.qwJpegLength), Slice(picture, 0, picture.size()));
    }
}
