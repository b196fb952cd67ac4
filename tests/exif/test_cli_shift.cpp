// velmora-cli shift and file-time: the same dates and time stamps as exiftool and jhead give on
// copies of the same photographs, and a clear, safe outcome for every kind of bad input.
#include "CliRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

using namespace exiftest;

namespace {

bool Have(const char* pszProgram) { return Shell("command -v " + std::string(pszProgram) + " >/dev/null 2>&1") == 0; }

// A photograph made by ImageMagick with its three dates set by exiftool.
std::string MakePhoto(const ScratchDir& dir, const std::string& name, const std::string& modify,
                      const std::string& original, const std::string& digitized)
{
    const std::string path = dir.Path(name);
    EXPECT_EQ(Shell("convert -size 8x8 xc:gray " + Quote(path) + " && exiftool -q -overwrite_original '-EXIF:ModifyDate=" +
                    modify + "' '-EXIF:DateTimeOriginal=" + original + "' '-EXIF:CreateDate=" + digitized + "' " +
                    Quote(path)),
              0);
    return path;
}

// DateTime, DateTimeOriginal and DateTimeDigitized as exiftool reads them.
std::string ExiftoolDates(const ScratchDir& dir, const std::string& path)
{
    const std::string out = dir.Path("dates.txt");
    EXPECT_EQ(Shell("exiftool -s -s -s -EXIF:ModifyDate -EXIF:DateTimeOriginal -EXIF:CreateDate " + Quote(path) + " > " +
                    Quote(out)),
              0);
    const Bytes text = ReadAll(out);
    return std::string(text.begin(), text.end());
}

struct timespec Mtime(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0);
    return st.st_mtim;
}

}  // namespace

// Hours, minutes, days, months and years, either way, each date from its own value.
TEST(CliShift, MatchesExiftoolAllDatesOnCopiesOfTheSameFiles)
{
    if (!Have("exiftool") || !Have("convert"))
        GTEST_SKIP() << "exiftool or ImageMagick is not installed";
    struct Case {
        const char* offset;  // velmora-cli's OFFSET; exiftool gets its sign as += or -=
    };
    const Case cases[] = {{"+1:00"}, {"-2:30:15"}, {"+1"}, {"-0:0:1 0:00"}, {"+0:0:40 12:00"},
                          {"+0:1:0 0:00"}, {"-0:14:0 0:00"}, {"+1:0:0 0:00"}, {"-3:2:1 4:05:06"}};
    ScratchDir dir;
    for (const Case& test : cases) {
        SCOPED_TRACE(test.offset);
        const std::string ours = MakePhoto(dir, "ours.jpg", "2006:12:24 23:30:00", "2006:12:20 09:00:00", "2006:12:28 00:15:00");
        const std::string theirs = dir.Path("theirs.jpg");
        std::filesystem::copy_file(ours, theirs, std::filesystem::copy_options::overwrite_existing);
        const std::string offset = test.offset;
        const CliRun run = Cli(dir, "shift -- " + Quote(offset) + " " + Quote(ours));
        EXPECT_EQ(run.status, 0) << run.err;
        ASSERT_EQ(Shell("exiftool -q -overwrite_original '-AllDates" + std::string(offset[0] == '-' ? "-=" : "+=") +
                        offset.substr(1) + "' " + Quote(theirs)),
                  0);
        EXPECT_EQ(ExiftoolDates(dir, ours), ExiftoolDates(dir, theirs));
    }
}

// The file's time stamp from its EXIF date, in winter and in summer time, as jhead sets it.
TEST(CliShift, FileTimeMatchesJhead)
{
    if (!Have("exiftool") || !Have("convert") || !Have("jhead"))
        GTEST_SKIP() << "exiftool, ImageMagick or jhead is not installed";
    ScratchDir dir;
    for (const char* date : {"2006:12:24 17:05:09", "2006:07:14 09:00:00", "1999:03:28 01:59:59"}) {
        SCOPED_TRACE(date);
        const std::string ours = MakePhoto(dir, "ours.jpg", "2001:01:01 00:00:00", date, date);
        const std::string theirs = dir.Path("theirs.jpg");
        std::filesystem::copy_file(ours, theirs, std::filesystem::copy_options::overwrite_existing);
        const CliRun run = Cli(dir, "file-time " + Quote(ours), "TZ=Europe/Prague");
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, ours + ": " + date + "\n");
        ASSERT_EQ(Shell("TZ=Europe/Prague jhead -q -ft " + Quote(theirs) + " >/dev/null"), 0);
        EXPECT_EQ(Mtime(ours).tv_sec, Mtime(theirs).tv_sec);
    }
}

// -n prints what would change and changes nothing: not the bytes, not the time stamp, and no
// journal record is written.
TEST(CliShift, DryRunChangesNothing)
{
    ScratchDir dir;
    const std::string a = dir.Write("a.jpg", Jpeg(Camera(false).Build()));
    const Bytes before = ReadAll(a);
    const auto stamp = std::filesystem::last_write_time(a);
    for (const char* args : {"shift -n +1:00", "shift --dry-run --file-time -- -1:00", "file-time -n"}) {
        SCOPED_TRACE(args);
        const CliRun run = Cli(dir, std::string(args) + " " + Quote(a));
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find("dry run"), std::string::npos);
        EXPECT_EQ(ReadAll(a), before);
        EXPECT_EQ(std::filesystem::last_write_time(a), stamp);
    }
    EXPECT_EQ(Cli(dir, "shift -n +1:00 " + Quote(a)).out,
              a + ": DateTime 2006:12:24 17:05:09 -> 2006:12:24 18:05:09, DateTimeOriginal 2006:12:24 17:05:09 -> "
                  "2006:12:24 18:05:09, DateTimeDigitized 2006:12:24 17:05:09 -> 2006:12:24 18:05:09 (not written: dry run)\n");
    EXPECT_FALSE(std::filesystem::exists(dir.Path("state/velmora/journal")));
}

// --file-time gives the file the new DateTimeOriginal; the other dates move each from its own.
TEST(CliShift, TagsChosenAndFileTimeFollowsTheNewOriginal)
{
    ScratchDir dir;
    const std::string a = dir.Write("a.jpg", Jpeg(Camera(true, {"2006:12:24 17:05:09", "2006:12:20 08:00:00", "2006:12:21 08:00:00"}).Build()));
    const CliRun run = Cli(dir, "shift --original --file-time +2:00 " + Quote(a), "TZ=UTC");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Cli(dir, "dates " + Quote(a)).out.find("2006:12:20 10:00:00") != std::string::npos, true);
    EXPECT_EQ(Cli(dir, "date " + Quote(a)).out, "2006:12:20 10:00:00\t" + a + "\n");
    EXPECT_NE(Cli(dir, "dates " + Quote(a)).out.find("2006:12:24 17:05:09"), std::string::npos);  // DateTime kept
    EXPECT_EQ(Mtime(a).tv_sec, 1166608800);  // 2006-12-20 10:00:00 UTC
}

// -r walks folders and their subfolders, passing over hidden names; without -r a folder is
// refused while the other files are still shifted.
TEST(CliShift, FoldersAreWalkedOnlyWithR)
{
    ScratchDir dir;
    std::filesystem::create_directories(dir.Path("trip/day2"));
    std::filesystem::create_directories(dir.Path("trip/.cache"));
    const Bytes photo = Jpeg(Camera(false).Build());
    const std::string a = dir.Write("trip/a.jpg", photo), b = dir.Write("trip/day2/b.jpg", photo),
                      hidden = dir.Write("trip/.cache/c.jpg", photo), single = dir.Write("single.jpg", photo);

    const CliRun refused = Cli(dir, "shift +1:00 " + Quote(dir.Path("trip")) + " " + Quote(single));
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, dir.Path("trip") + ": a folder (give -r to work on the files in it)\n");
    EXPECT_EQ(Cli(dir, "date " + Quote(single)).out, "2006:12:24 18:05:09\t" + single + "\n");
    EXPECT_EQ(ReadAll(a), photo);

    const CliRun walked = Cli(dir, "shift -r +1:00 " + Quote(dir.Path("trip")));
    EXPECT_EQ(walked.status, 0) << walked.err;
    EXPECT_EQ(Cli(dir, "date " + Quote(a) + " " + Quote(b)).out,
              "2006:12:24 18:05:09\t" + a + "\n2006:12:24 18:05:09\t" + b + "\n");
    EXPECT_EQ(ReadAll(hidden), photo);

    // A file reached twice is shifted once.
    const CliRun twice = Cli(dir, "shift -r +1:00 " + Quote(a) + " " + Quote(dir.Path("trip/day2")) + " " + Quote(a));
    EXPECT_EQ(twice.status, 0) << twice.err;
    EXPECT_EQ(Cli(dir, "date " + Quote(a) + " " + Quote(b)).out,
              "2006:12:24 19:05:09\t" + a + "\n2006:12:24 19:05:09\t" + b + "\n");
}

// Bad input: the usage errors change nothing and exit 2; a file that cannot be shifted is named,
// left as it is, and the others are still done (exit 1).
TEST(CliShift, BadInputIsRefusedAndChangesNothing)
{
    ScratchDir dir;
    const Bytes photo = Jpeg(Camera(false, {"2006:01:31 10:00:00", "2006:01:31 10:00:00", "2006:01:31 10:00:00"}).Build());
    const std::string a = dir.Write("a.jpg", photo);
    for (const char* offset : {"", "1:", ":1", "+a:00", "1:2:3:4", "++1:00", "1:2:3:4 1:00",
                               "5 1:00", "1:00:00 ", "1.5", "99999999999:00"}) {
        SCOPED_TRACE(offset);
        const CliRun run = Cli(dir, "shift -- '" + std::string(offset) + "' " + Quote(a));
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find("[+|-][[Y:]M:D ]H:M[:S]"), std::string::npos) << run.err;
    }
    EXPECT_EQ(Cli(dir, "shift --zonk +1:00 " + Quote(a)).status, 2);
    EXPECT_EQ(Cli(dir, "shift +1:00").status, 2);
    EXPECT_EQ(ReadAll(a), photo);

    mkfifo(dir.Path("pipe.jpg").c_str(), 0600);
    const std::string noExif = dir.Write("none.jpg", Bytes(100, 'x'));
    const std::string noDigitized = dir.Write("nodig.jpg", Jpeg(Camera(false, {"2006:12:24 17:05:09", "2006:12:24 17:05:09", ""}).Build()));
    struct Case {
        std::string args, message;
        bool bPhotoChanged;
        std::string options = "";
    };
    const Case cases[] = {
        {"'+0:1:0 0:00' " + Quote(a), a + ": DateTime 2006:01:31 10:00:00 shifted gives a date that does not exist", false},
        {"'+8000:0:0 0:00' " + Quote(a), "lies outside 1601-9999", false},
        {"'-406:0:0 0:00' " + Quote(a), "lies outside 1601-9999", false},
        {"+1:00 " + Quote(dir.Path("pipe.jpg")) + " " + Quote(a), dir.Path("pipe.jpg") + ": not a regular file", true},
        {"+1:00 /dev/null " + Quote(a), "/dev/null: not a regular file", true},
        {"+1:00 " + Quote(dir.Path("missing.jpg")) + " " + Quote(a), dir.Path("missing.jpg") + ": No such file", true},
        {"+1:00 " + Quote(noExif) + " " + Quote(a), noExif + ": no EXIF block", true},
        {"+1:00 " + Quote(noDigitized) + " " + Quote(a), noDigitized + ": DateTimeDigitized not found", true,
         "--datetime --original --digitized"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.args);
        dir.Write("a.jpg", photo);
        const CliRun run = Cli(dir, "shift " + test.options + " -- " + test.args);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(test.message), std::string::npos) << run.err;
        EXPECT_EQ(ReadAll(a) != photo, test.bPhotoChanged);
    }
    // The file with a date missing still has its other dates shifted; when no date was chosen,
    // the dates a file has are shifted and the one it lacks is no fault.
    EXPECT_EQ(Cli(dir, "date " + Quote(noDigitized)).out, "2006:12:24 18:05:09\t" + noDigitized + "\n");
    EXPECT_EQ(Cli(dir, "shift +1:00 " + Quote(noDigitized)).status, 0);
    EXPECT_EQ(Cli(dir, "date " + Quote(noDigitized)).out, "2006:12:24 19:05:09\t" + noDigitized + "\n");
}

// A journal that cannot be written stops the command before any file changes.
TEST(CliShift, AJournalThatCannotBeWrittenStopsTheWrite)
{
    ScratchDir dir;
    const Bytes photo = Jpeg(Camera(false).Build());
    const std::string a = dir.Write("a.jpg", photo);
    dir.Write("state", Bytes{'x'});  // a file where the journal's folder would go
    for (const char* args : {"shift +1:00", "set-exif '2010:01:02 03:04:05'", "file-time"}) {
        SCOPED_TRACE(args);
        const auto stamp = std::filesystem::last_write_time(a);
        const CliRun run = Cli(dir, std::string(args) + " " + Quote(a));
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("the undo journal cannot be written"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("no file was changed"), std::string::npos);
        EXPECT_EQ(ReadAll(a), photo);
        EXPECT_EQ(std::filesystem::last_write_time(a), stamp);
    }
}

// --zone: the camera was set to another zone than the one it stood in. Each date moves by the
// difference between the new zone and its own offset (OffsetTimeOriginal's when it has none),
// the offsets of the chosen dates get the new zone, and a file without offsets is left alone.
TEST(CliShift, ZoneRewritesTheOffsetsAndMovesTheLocalDates)
{
    if (!Have("exiftool") || !Have("convert"))
        GTEST_SKIP() << "exiftool or ImageMagick is not installed";
    struct Case {
        const char* name;
        const char* offsets;  // exiftool arguments that set the photograph's offsets
        const char* args;
        const char* dates;    // ModifyDate, DateTimeOriginal, CreateDate afterwards
        const char* zones;    // OffsetTime, OffsetTimeOriginal, OffsetTimeDigitized afterwards
    };
    const Case cases[] = {
        {"all three offsets", "-OffsetTime=+01:00 -OffsetTimeOriginal=+01:00 -OffsetTimeDigitized=+02:00",
         "--zone +09:00 0:00", "2006:07:11 18:00:00\n2006:07:11 18:00:00\n2006:07:11 17:00:00\n", "+09:00\n+09:00\n+09:00\n"},
        {"with a shift and half hours", "-OffsetTime=+01:00 -OffsetTimeOriginal=+01:00 -OffsetTimeDigitized=+01:00",
         "--zone=-05:30 -- -1:00", "2006:07:11 02:30:00\n2006:07:11 02:30:00\n2006:07:11 02:30:00\n", "-05:30\n-05:30\n-05:30\n"},
        {"only OffsetTimeOriginal", "-OffsetTimeOriginal=-03:00", "--zone +00:00 0:00",
         "2006:07:11 13:00:00\n2006:07:11 13:00:00\n2006:07:11 13:00:00\n", "+00:00\n"},
        {"one tag chosen", "-OffsetTime=+01:00 -OffsetTimeOriginal=+01:00 -OffsetTimeDigitized=+01:00",
         "--original --zone +03:00 0:00", "2006:07:11 10:00:00\n2006:07:11 12:00:00\n2006:07:11 10:00:00\n", "+01:00\n+03:00\n+01:00\n"},
    };
    ScratchDir dir;
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        const std::string path = MakePhoto(dir, "z.jpg", "2006:07:11 10:00:00", "2006:07:11 10:00:00", "2006:07:11 10:00:00");
        ASSERT_EQ(Shell("exiftool -q -overwrite_original " + std::string(test.offsets) + " " + Quote(path)), 0);
        const CliRun run = Cli(dir, std::string("shift ") + test.args + " " + Quote(path));
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(ExiftoolDates(dir, path), test.dates);
        ASSERT_EQ(Shell("exiftool -s -s -s -OffsetTime -OffsetTimeOriginal -OffsetTimeDigitized " + Quote(path) + " > " +
                        Quote(dir.Path("zones.txt"))),
                  0);
        const Bytes zones = ReadAll(dir.Path("zones.txt"));
        EXPECT_EQ(std::string(zones.begin(), zones.end()), test.zones);
    }
    const std::string plain = MakePhoto(dir, "plain.jpg", "2006:07:11 10:00:00", "2006:07:11 10:00:00", "2006:07:11 10:00:00");
    const Bytes before = ReadAll(plain);
    const CliRun refused = Cli(dir, "shift --zone +09:00 0:00 " + Quote(plain));
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("no OffsetTime tags"), std::string::npos);
    EXPECT_EQ(ReadAll(plain), before);
    for (const char* zone : {"+9:00", "+09:60", "+15:00", "09:00", "+09:00 ", ""})
        EXPECT_EQ(Cli(dir, "shift --zone '" + std::string(zone) + "' 0:00 " + Quote(plain)).status, 2) << zone;
}

// A video has no EXIF dates: its movie, track and media times shift instead, each by the step
// from its own value (a track's creation time that differs from the movie's modification time
// keeps differing), as exiftool reads them afterwards; undo puts every byte back.
TEST(CliShift, AVideosTimesEachMoveByTheStep)
{
    if (!Have("exiftool"))
        GTEST_SKIP() << "exiftool is not installed";
    ScratchDir dir;
    const Bytes original = ReadAll(std::string(VELMORA_EXIF_DATA) + "/QuickTime.mov");
    const std::string video = dir.Write("clip.mov", original);
    const auto times = [&] {
        const std::string out = dir.Path("times.txt");
        EXPECT_EQ(Shell("TZ=UTC exiftool -s -s -s -api QuickTimeUTC -CreateDate -ModifyDate -Track1:TrackCreateDate "
                        "-Track1:TrackModifyDate -Track2:MediaModifyDate " + Quote(video) + " > " + Quote(out)), 0);
        const Bytes text = ReadAll(out);
        return std::string(text.begin(), text.end());
    };
    const std::string before = times();
    const CliRun run = Cli(dir, "shift +1:00 " + Quote(video));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(before,
              "2005:08:11 14:03:54+00:00\n2010:07:30 15:43:59+00:00\n2005:08:11 14:03:54+00:00\n"
              "2005:08:11 14:03:54+00:00\n2005:08:11 14:03:54+00:00\n");
    EXPECT_EQ(times(),
              "2005:08:11 15:03:54+00:00\n2010:07:30 16:43:59+00:00\n2005:08:11 15:03:54+00:00\n"
              "2005:08:11 15:03:54+00:00\n2005:08:11 15:03:54+00:00\n");
    EXPECT_EQ(ReadAll(video).size(), original.size());
    EXPECT_EQ(Cli(dir, "undo").status, 0);
    EXPECT_EQ(ReadAll(video), original);
}
