// velmora-cli run as a separate program: output, messages and exit status.
#include "CliRun.h"
#include "ExifFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

using namespace exiftest;

TEST(Cli, DumpAndDate)
{
    ScratchDir dir;
    const std::string a = dir.Write("a.jpg", Jpeg(Camera(false).Build()));
    const std::string b = dir.Write("b.jpg", Jpeg(Camera(true, {"2001:02:03 04:05:06", "", ""}).Build()));
    const std::string none = dir.Write("none.jpg", Bytes(100, 'x'));
    const std::string noDate = dir.Write("nodate.jpg", Jpeg(Camera(false, {"", "", ""}).Build()));

    CliRun dump = Cli(dir, "dump " + Quote(a));
    EXPECT_EQ(dump.status, 0);
    EXPECT_NE(dump.out.find("           DateTimeOriginal=2006:12:24 17:05:09\r\n"), std::string::npos);
    EXPECT_EQ(dump.out.find("tag#"), std::string::npos);
    EXPECT_EQ(dump.err, "                 tag#=41985=0\n");

    CliRun date = Cli(dir, "date " + Quote(a) + " " + Quote(b));
    EXPECT_EQ(date.status, 0);
    EXPECT_EQ(date.out, "2006:12:24 17:05:09\t" + a + "\n2001:02:03 04:05:06\t" + b + "\n");

    CliRun failed = Cli(dir, "date " + Quote(none) + " " + Quote(noDate) + " " + Quote(a));
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "2006:12:24 17:05:09\t" + a + "\n");
    EXPECT_NE(failed.err.find(none + ": no EXIF block\n"), std::string::npos);
    EXPECT_NE(failed.err.find(noDate + ": no usable date\n"), std::string::npos);

    EXPECT_EQ(Cli(dir, "dump " + Quote(none)).status, 1);

    // A file that cannot be opened is not reported as one without EXIF data.
    const std::string missing = dir.Path("missing.jpg");
    const std::string folder = dir.Path("folder.jpg");
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    CliRun unopened = Cli(dir, "date " + Quote(missing) + " " + Quote(folder) + " " + Quote(a));
    EXPECT_EQ(unopened.status, 1);
    EXPECT_EQ(unopened.out, "2006:12:24 17:05:09\t" + a + "\n");
    EXPECT_EQ(unopened.err, missing + ": No such file or directory\n" + folder + ": Is a directory\n");
    EXPECT_EQ(Cli(dir, "set-exif '2010:01:02 03:04:05' " + Quote(missing)).err,
              missing + ": No such file or directory\n");
}

TEST(Cli, SetExifAndUsage)
{
    ScratchDir dir;
    const std::string a = dir.Write("a.jpg", Jpeg(Camera(false).Build()));
    const std::string b = dir.Write("b.jpg", Jpeg(Camera(true, {"2006:12:24 17:05:09", "", "2006:12:24 17:05:09"}).Build()));

    CliRun all = Cli(dir, "set-exif '2010:01:02 03:04:05' " + Quote(a));
    EXPECT_EQ(all.status, 0);
    EXPECT_EQ(all.out, a + ": DateTime written, DateTimeOriginal written, DateTimeDigitized written\n");
    EXPECT_EQ(Cli(dir, "date " + Quote(a)).out, "2010:01:02 03:04:05\t" + a + "\n");

    CliRun some = Cli(dir, "set-exif --original --digitized '2011:01:02 03:04:05' " + Quote(a) + " " + Quote(b));
    EXPECT_EQ(some.status, 1);
    EXPECT_EQ(some.out, a + ": DateTimeOriginal written, DateTimeDigitized written\n");
    EXPECT_EQ(some.err, b + ": DateTimeOriginal not found, DateTimeDigitized written\n");

    // The file keeps its time stamp; "--" ends the options, so a file may begin with "-".
    const std::string dash = dir.Write("-d.jpg", Jpeg(Camera(false).Build()));
    std::filesystem::last_write_time(
        dash, std::chrono::floor<std::chrono::seconds>(std::filesystem::last_write_time(dash)) - std::chrono::hours(24 * 400));
    const auto stamp = std::filesystem::last_write_time(dash);
    CliRun dashed = Cli(dir, "set-exif --original -- '2012:01:02 03:04:05' " + Quote(dash));
    EXPECT_EQ(dashed.status, 0) << dashed.err;
    EXPECT_EQ(std::filesystem::last_write_time(dash), stamp);
    EXPECT_EQ(Cli(dir, "date -- " + Quote(dash)).out, "2012:01:02 03:04:05\t" + dash + "\n");

    CliRun help = Cli(dir, "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("velmora-cli set-exif"), std::string::npos);
    for (const char* usage : {"", "frobnicate x", "dump", "dump a b", "date", "set-exif",
                              "set-exif '2010:01:02 03:04:05'", "set-exif --all '2010:01:02 03:04:05' x",
                              "set-exif '2010:1:02 03:04:05' x", "set-exif '2010:02:30 03:04:05' x",
                              "set-exif '1600:01:01 00:00:00' x", "set-exif '2010:01:02 03:04:05 ' x"}) {
        SCOPED_TRACE(usage);
        CliRun run = Cli(dir, usage);
        EXPECT_EQ(run.status, 2);
        EXPECT_FALSE(run.err.empty());
    }
}
