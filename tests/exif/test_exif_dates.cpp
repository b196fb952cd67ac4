// Reading the picture date and rewriting the date tags in place.
#include "ExifFiles.h"
#include "ReceivedLog.h"
#include "exif/Uexif.h"
#include "platform/wintime.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

using namespace exiftest;

namespace {

FILETIME Time(int y, int mo, int d, int h, int mi, int s)
{
    SYSTEMTIME st{WORD(y), WORD(mo), 0, WORD(d), WORD(h), WORD(mi), WORD(s), 0};
    FILETIME ft{};
    EXPECT_TRUE(SystemTimeToFileTime(&st, &ft));
    return ft;
}

bool Parse(const char* pszText, FILETIME& ft)
{
    CExif exif;
    ExifTagEntry e{};
    e.bPresent = true;
    std::strncpy(e.szValue, pszText, sizeof(e.szValue) - 1);
    return exif.ParseDateTag(e, ft);
}

std::string Text(const Bytes& file, std::size_t pos) { return std::string(file.begin() + pos, file.begin() + pos + 19); }

std::string OpenCamera(ScratchDir& dir, const CameraDates& dates, bool bMotorola = false)
{
    Tiff t = Camera(bMotorola, dates);
    return dir.Write("cam.jpg", Jpeg(t.Build()));
}

}  // namespace

TEST(ExifDates, ParseCases)
{
    FILETIME ft{};
    EXPECT_TRUE(Parse("2005:07:14 00:00:00", ft));
    EXPECT_EQ(ft, Time(2005, 7, 14, 0, 0, 0));
    EXPECT_TRUE(Parse(" 2005:7:14 9:5:7", ft));
    EXPECT_EQ(ft, Time(2005, 7, 14, 9, 5, 7));
    for (const char* bad : {"    :  :     :  :  ", "0000:00:00 00:00:00", "2005:00:14 10:00:00",
                            "2005:13:14 10:00:00", "2005:02:30 10:00:00", "2005:07:14 24:00:00",
                            "2005:07:14 10:00", "2005-07-14 10:00:00", "2005:07:14T10:00:00",
                            "-1:07:14 10:00:00", "67541:07:14 10:00:00", "", "2005:07:14 10:00:xx"}) {
        FILETIME untouched{1, 2};
        EXPECT_FALSE(Parse(bad, untouched)) << bad;
        EXPECT_EQ(untouched, (FILETIME{1, 2})) << bad;
    }
    // Text after the seconds is ignored the way a number scan ignores it; a text longer than
    // the working text is cut.
    EXPECT_TRUE(Parse(("2005:07:14 10:00:01" + std::string(200, 'z')).c_str(), ft));
    EXPECT_EQ(ft, Time(2005, 7, 14, 10, 0, 1));
    CExif exif;
    ExifTagEntry absent{};
    std::strcpy(absent.szValue, "2005:07:14 10:00:00");
    EXPECT_FALSE(exif.ParseDateTag(absent, ft));
}

TEST(ExifDates, GetDateTimePrefersOriginalThenDateTime)
{
    ScratchDir dir;
    FILETIME ft{};
    {
        CExif exif;
        ASSERT_TRUE(exif.Open(OpenCamera(dir, {"2006:01:01 00:00:00", "2005:07:14 09:05:00", ""}).c_str()));
        ASSERT_TRUE(exif.GetDateTime(ft));
        EXPECT_EQ(ft, Time(2005, 7, 14, 9, 5, 0));
    }
    for (const char* unset : {"    :  :     :  :  ", "0000:00:00 00:00:00", ""}) {
        CExif exif;
        ASSERT_TRUE(exif.Open(OpenCamera(dir, {"2006:01:01 00:00:00", unset, "2007:01:01 00:00:00"}).c_str()));
        ASSERT_TRUE(exif.GetDateTime(ft)) << unset;
        EXPECT_EQ(ft, Time(2006, 1, 1, 0, 0, 0)) << unset;
    }
    {
        // DateTimeDigitized is never read.
        CExif exif;
        ASSERT_TRUE(exif.Open(OpenCamera(dir, {"", "", "2007:01:01 00:00:00"}).c_str()));
        EXPECT_FALSE(exif.GetDateTime(ft));
    }
}

TEST(ExifDates, WritingChangesOnlyTheDateTextsAndCanBeRepeated)
{
    ScratchDir dir;
    ReceivedLog log;
    for (bool bMotorola : {false, true}) {
        SCOPED_TRACE(bMotorola ? "MM" : "II");
        const std::string path = OpenCamera(dir, {}, bMotorola);
        const Bytes before = ReadAll(path);
        std::filesystem::permissions(path, std::filesystem::perms(0640));
        CExif exif;
        ASSERT_TRUE(exif.Open(path.c_str()));
        const DWORD pos[3] = {exif.FindTag(306)->dwFilePos, exif.FindTag(36867)->dwFilePos,
                              exif.FindTag(36868)->dwFilePos};
        ExifWriteReport report;
        exif.WriteDateTags(Time(2010, 3, 4, 5, 6, 7), true, false, true, &report);
        EXPECT_TRUE(report.AllWritten());
        EXPECT_EQ(report.aResult[1], ExifWriteResult::NotAsked);
        // The same object writes again: the file holds what it wrote, so that counts as current.
        exif.WriteDateTags(Time(2011, 12, 31, 23, 59, 58), true, true, false, &report);
        EXPECT_TRUE(report.AllWritten());
        // The object's texts keep the dates read at Open.
        EXPECT_STREQ(exif.FindTag(306)->szValue, "2006:12:24 17:05:09");

        Bytes after = ReadAll(path);
        ASSERT_EQ(after.size(), before.size());
        EXPECT_EQ(Text(after, pos[0]), "2011:12:31 23:59:58");
        EXPECT_EQ(Text(after, pos[1]), "2011:12:31 23:59:58");
        EXPECT_EQ(Text(after, pos[2]), "2010:03:04 05:06:07");
        for (DWORD p : pos)
            std::copy(before.begin() + p, before.begin() + p + 19, after.begin() + p);
        EXPECT_EQ(after, before);  // nothing else changed, terminators included
        EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640));

        // A new object reads what was written.
        CExif again;
        ASSERT_TRUE(again.Open(path.c_str()));
        FILETIME ft{};
        ASSERT_TRUE(again.GetDateTime(ft));
        EXPECT_EQ(ft, Time(2011, 12, 31, 23, 59, 58));
    }
}

TEST(ExifDates, TagsThatCannotOrMustNotBeWritten)
{
    ScratchDir dir;
    ReceivedLog log;
    {
        // Only DateTime in the file: the two others are reported missing.
        const std::string path = OpenCamera(dir, {"2006:12:24 17:05:09", "", ""});
        CExif exif;
        ASSERT_TRUE(exif.Open(path.c_str()));
        ExifWriteReport report;
        exif.WriteDateTags(Time(2010, 1, 1, 0, 0, 0), true, true, true, &report);
        EXPECT_EQ(report.aResult[0], ExifWriteResult::Written);
        EXPECT_EQ(report.aResult[1], ExifWriteResult::NotFound);
        EXPECT_EQ(report.aResult[2], ExifWriteResult::NotFound);
        EXPECT_TRUE(log.Has("DateTimeOriginal tag not found in file " + path));
        EXPECT_TRUE(log.Has("DateTimeDigitized tag not found in file " + path));
    }
    {
        // A date tag whose value is too short for 19 characters is left alone, and the date
        // text that follows it stays intact.
        log.Clear();
        Tiff t(false);
        t.Ascii(0, 306, "2006:12:24").Ascii(0, 270, "following text");
        const std::string path = dir.Write("short.jpg", Jpeg(t.Build()));
        const Bytes before = ReadAll(path);
        CExif exif;
        ASSERT_TRUE(exif.Open(path.c_str()));
        ExifWriteReport report;
        exif.WriteDateTags(Time(2010, 1, 1, 0, 0, 0), true, false, false, &report);
        EXPECT_EQ(report.aResult[0], ExifWriteResult::TooShort);
        EXPECT_EQ(ReadAll(path), before);
        EXPECT_TRUE(log.Has("DateTime tag too short for a date in file " + path));
    }
    {
        // The file changed after Open: the tag is left alone.
        log.Clear();
        const std::string path = OpenCamera(dir, {});
        CExif exif;
        ASSERT_TRUE(exif.Open(path.c_str()));
        CExif other;
        ASSERT_TRUE(other.Open(path.c_str()));
        other.WriteDateTags(Time(2001, 1, 1, 0, 0, 0), false, true, false);
        ExifWriteReport report;
        exif.WriteDateTags(Time(2010, 1, 1, 0, 0, 0), true, true, false, &report);
        EXPECT_EQ(report.aResult[0], ExifWriteResult::Written);
        EXPECT_EQ(report.aResult[1], ExifWriteResult::Changed);
        EXPECT_TRUE(log.Has("DateTimeOriginal tag changed in file " + path + " since it was read"));
        CExif check;
        ASSERT_TRUE(check.Open(path.c_str()));
        EXPECT_STREQ(check.FindTag(36867)->szValue, "2001:01:01 00:00:00");
    }
    {
        // A file without write permission, or gone since Open.
        log.Clear();
        const std::string path = OpenCamera(dir, {});
        CExif exif;
        ASSERT_TRUE(exif.Open(path.c_str()));
        std::filesystem::permissions(path, std::filesystem::perms(0444));
        const Bytes before = ReadAll(path);
        ExifWriteReport report;
        exif.WriteDateTags(Time(2010, 1, 1, 0, 0, 0), true, true, true, &report);
        if (ReadAll(path) == before) {  // (a privileged user may still write)
            EXPECT_EQ(report.aResult[2], ExifWriteResult::Failed);
            EXPECT_TRUE(log.Has("Could not open " + path));
        }
        std::filesystem::remove(path);
        log.Clear();
        exif.WriteDateTags(Time(2010, 1, 1, 0, 0, 0), true, false, false, &report);
        EXPECT_EQ(report.aResult[0], ExifWriteResult::Failed);
        EXPECT_TRUE(log.Has("Could not open " + path));
        EXPECT_FALSE(std::filesystem::exists(path));
    }
    {
        // A time whose year has five digits has no 19-character text: nothing is written.
        log.Clear();
        const std::string path = OpenCamera(dir, {});
        const Bytes before = ReadAll(path);
        CExif exif;
        ASSERT_TRUE(exif.Open(path.c_str()));
        ExifWriteReport report;
        exif.WriteDateTags(Time(10000, 1, 1, 0, 0, 0), true, true, true, &report);
        EXPECT_EQ(report.aResult[0], ExifWriteResult::Failed);
        EXPECT_EQ(ReadAll(path), before);
    }
}

TEST(ExifDates, DateValuesOutsideTheFileAreNeverWritten)
{
    ScratchDir dir;
    ReceivedLog log;
    // A block whose length reaches past the end of the file, with DateTime's value in the part
    // that is not there: the tag cannot be written, now or on a later try.
    {
        Tiff t(false);
        t.Raw(0, 306, kAscii, 20, 1000);
        JpegParts parts;
        parts.lengthField = 2000;
        Bytes file = Jpeg(t.Build(), parts);
        file.resize(TiffStart(parts) + 100);
        const std::string path = dir.Write("cut.jpg", file);
        CExif exif;
        ASSERT_TRUE(exif.Open(path.c_str()));
        ExifWriteReport report;
        exif.WriteDateTags(Time(2010, 1, 1, 0, 0, 0), true, false, false, &report);
        EXPECT_EQ(report.aResult[0], ExifWriteResult::NotFound);
        EXPECT_EQ(ReadAll(path), file);
        EXPECT_TRUE(log.Has("DateTime tag: value beyond the end of file " + path));
    }
    // The same at the end of a file of almost 4 GiB (sparse: it takes no room), where the
    // value's file offset does not fit 32 bits: it must not wrap round to the start of the
    // file and be written there.
    {
        Tiff t(false);
        t.Raw(0, 306, kAscii, 20, 1000);
        const Bytes tiff = t.Build();
        Bytes segment = {0xFF, 0xD8, 0xFF, 0xE1, 0xFF, 0xFF, 'E', 'x', 'i', 'f', 0, 0};
        segment.insert(segment.end(), tiff.begin(), tiff.end());
        const std::uint64_t qwSize = 0xFFFFFFFFull;
        const std::uint64_t qwSegment = qwSize - 200;
        // On a memory file system the holes read without filling the page cache: much quicker.
        std::error_code ec;
        const bool bShm = std::filesystem::is_directory("/dev/shm", ec);
        const std::string path = bShm ? "/dev/shm/" + dir.Dir().filename().string() + "-huge.jpg"
                                      : dir.Path("huge.jpg");
        struct Remover {
            std::string path;
            ~Remover() { std::error_code ignored; std::filesystem::remove(path, ignored); }
        } remover{path};
        { std::ofstream create(path, std::ios::binary); }
        std::filesystem::resize_file(path, qwSize);
        {
            std::fstream out(path, std::ios::in | std::ios::out | std::ios::binary);
            out.seekp(std::streamoff(qwSegment));
            out.write(reinterpret_cast<const char*>(segment.data()), std::streamsize(segment.size()));
        }
        CExif exif;
        ASSERT_TRUE(exif.Open(path.c_str()));
        ExifWriteReport report;
        exif.WriteDateTags(Time(2010, 1, 1, 0, 0, 0), true, false, false, &report);
        EXPECT_EQ(report.aResult[0], ExifWriteResult::NotFound);
        // Where the wrapped offset would have landed, the file still holds its zeros.
        const std::uint64_t qwWrapped = (qwSegment + 4 + 1008) & 0xFFFFFFFFu;
        std::ifstream in(path, std::ios::binary);
        in.seekg(std::streamoff(qwWrapped));
        char abHead[19] = {};
        in.read(abHead, sizeof(abHead));
        EXPECT_EQ(std::string(abHead, sizeof(abHead)), std::string(19, '\0'));
    }
}
