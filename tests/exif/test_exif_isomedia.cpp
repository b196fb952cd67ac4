// ISO base media files (HEIC, AVIF, CR3, MP4, MOV): every place the box reader reports holds
// what exiftool reads there; movie times and date texts convert to local time and back; broken
// boxes give a clear outcome without a read outside the file.
#include "IsoFiles.h"
#include "TimeZoneGuard.h"
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
    char sz[32];
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
