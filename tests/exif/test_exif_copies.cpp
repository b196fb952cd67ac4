// Every copy of a date is rewritten, only where a date text stands, and a file that must not
// or cannot be rewritten safely is left byte for byte as it was.
#include "ExifFiles.h"
#include "exif/Uexif.h"
#include "platform/wintime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace exiftest;

namespace {

const std::string kOld = "2006:12:24 17:05:09";
const std::string kNew = "2010:03:04 05:06:07";

FILETIME NewTime()
{
    SYSTEMTIME st{};
    st.wYear = 2010, st.wMonth = 3, st.wDay = 4, st.wHour = 5, st.wMinute = 6, st.wSecond = 7;
    FILETIME ft{};
    SystemTimeToFileTime(&st, &ft);
    return ft;
}

std::size_t Count(const Bytes& file, const std::string& text)
{
    std::size_t n = 0;
    for (auto it = file.begin(); (it = std::search(it, file.end(), text.begin(), text.end())) != file.end(); ++it)
        ++n;
    return n;
}

// A camera file whose thumbnail IFD repeats DateTime and carries an Exif IFD of its own.
Tiff CameraWithCopies()
{
    Tiff tiff = Camera(false);
    const int ifd1Exif = tiff.AddIfd();
    tiff.Ascii(3, 306, kOld).Ascii(ifd1Exif, 36867, kOld).Pointer(3, 0x8769, ifd1Exif);
    return tiff;
}

ExifWriteReport WriteAll(const std::string& path)
{
    CExif exif;
    exif.SetUnknownTagStream(nullptr);
    EXPECT_TRUE(exif.Open(path.c_str()));
    ExifWriteReport report;
    exif.WriteDateTags(NewTime(), true, true, true, &report);
    return report;
}

}  // namespace

TEST(ExifCopies, EveryCopyInEveryIfdAndEverySegmentIsWritten)
{
    ScratchDir dir;
    // Two Exif segments before the scan: the second one's dates move too.
    Bytes file = Jpeg(CameraWithCopies().Build());
    JpegParts bare;
    bare.app0 = false;
    const Bytes second = Jpeg(Camera(true).Build(), bare);
    const std::size_t app1Len = std::size_t(second[4]) << 8 | second[5];
    file.insert(file.begin() + 2, second.begin() + 2, second.begin() + 4 + app1Len);
    const std::string path = dir.Write("copies.jpg", file);
    EXPECT_EQ(Count(file, kOld), 8u);

    const ExifWriteReport report = WriteAll(path);
    EXPECT_TRUE(report.AllWritten());
    EXPECT_EQ(report.CopiesWith(0, ExifWriteResult::Written), 3);  // IFD0, IFD1, second segment
    EXPECT_EQ(report.CopiesWith(1, ExifWriteResult::Written), 3);  // both Exif IFDs, second segment
    const Bytes after = ReadAll(path);
    EXPECT_EQ(Count(after, kOld), 0u);
    EXPECT_EQ(Count(after, kNew), 8u);
    EXPECT_EQ(after.size(), file.size());
}

TEST(ExifCopies, ThePictureDateIsTheMainPicturesNeverTheThumbnails)
{
    ScratchDir dir;
    Tiff tiff = Camera(false, {"2001:01:01 01:01:01", "", ""});
    tiff.Ascii(3, 306, "2002:02:02 02:02:02");
    CExif exif;
    exif.SetUnknownTagStream(nullptr);
    ASSERT_TRUE(exif.Open(dir.Write("a.jpg", Jpeg(tiff.Build())).c_str()));
    EXPECT_STREQ(exif.FindTag(306)->szValue, "2001:01:01 01:01:01");

    Tiff thumbOnly = Camera(false, {"", "", ""});
    thumbOnly.Ascii(3, 306, "2002:02:02 02:02:02");
    CExif other;
    other.SetUnknownTagStream(nullptr);
    ASSERT_TRUE(other.Open(dir.Write("b.jpg", Jpeg(thumbOnly.Build())).c_str()));
    FILETIME ft{};
    EXPECT_FALSE(other.GetDateTime(ft));
}

TEST(ExifCopies, DamagedFilesKeepEveryByteOutsideTheirDateTexts)
{
    ScratchDir dir;
    struct Case {
        const char* what;
        Bytes file;
        ExifWriteResult digitized;
    };
    Tiff intoIfd = Camera(false);
    intoIfd.Raw(1, 36868, kAscii, 20, 8);  // DateTimeDigitized pointing into IFD0
    Tiff backToIfd0 = Camera(false);
    backToIfd0.Pointer(1, 0xA005, 0);      // Interoperability pointer back to IFD0
    Tiff noTerminator = Camera(false, {kOld, kOld, ""});
    noTerminator.Text(1, 36868, kOld, 19);
    const Case cases[] = {
        {"date offset into IFD0", Jpeg(intoIfd.Build()), ExifWriteResult::NotDateText},
        {"pointer back to IFD0", Jpeg(backToIfd0.Build()), ExifWriteResult::Written},
        {"date of count 19 without terminator", Jpeg(noTerminator.Build()), ExifWriteResult::Written},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.Write("d.jpg", c.file);
        const ExifWriteReport report = WriteAll(path);
        EXPECT_EQ(report.aResult[2], c.digitized);
        Bytes after = ReadAll(path);
        ASSERT_EQ(after.size(), c.file.size());
        // Put the old texts back where new ones stand: nothing else may differ.
        for (auto it = after.begin(); (it = std::search(it, after.end(), kNew.begin(), kNew.end())) != after.end();)
            it = std::copy(kOld.begin(), kOld.end(), it);
        EXPECT_EQ(after, c.file);
    }
}

TEST(ExifCopies, AnImageAppendedAfterThePictureIsNeverRead)
{
    ScratchDir dir;
    const Bytes plain = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0,
                         0xFF, 0xDA, 0, 2, 1, 2, 3, 0xFF, 0xD9};
    Bytes file = plain;
    const Bytes appended = Jpeg(Camera(false).Build());
    file.insert(file.end(), appended.begin(), appended.end());
    CExif exif;
    EXPECT_FALSE(exif.Open(dir.Write("appended.jpg", file).c_str()));
}

// Files that must be left wholly alone: one with another hard link, and one whose time stamp
// this user may not set (owned by someone else, writable by all).
TEST(ExifCopies, FilesThatCannotBeRewrittenSafelyKeepTheirBytesAndTime)
{
    ScratchDir dir;
    const Bytes file = Jpeg(Camera(false).Build());
    const std::string linked = dir.Write("linked.jpg", file);
    ASSERT_EQ(link(linked.c_str(), dir.Path("snapshot.jpg").c_str()), 0);
    EXPECT_EQ(WriteAll(linked).aResult[1], ExifWriteResult::HardLinked);
    EXPECT_EQ(ReadAll(linked), file);

    if (geteuid() != 0 || std::system("command -v setpriv >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "needs root and setpriv to act as another user";
    const std::string shared = dir.Write("shared.jpg", file);
    chmod(dir.Dir().c_str(), 0777);
    chmod(shared.c_str(), 0666);
    struct stat before {};
    ASSERT_EQ(stat(shared.c_str(), &before), 0);
    const std::string command = "setpriv --reuid=65534 --regid=65534 --clear-groups '" VELMORA_CLI
                                "' set-exif \"2010:03:04 05:06:07\" '" + shared + "' >/dev/null 2>&1";
    EXPECT_NE(std::system(command.c_str()), 0);
    struct stat after {};
    ASSERT_EQ(stat(shared.c_str(), &after), 0);
    EXPECT_EQ(ReadAll(shared), file);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
}

// Real cameras that repeat DateTime in the thumbnail's IFD: after the write, exiftool reads the
// new time in every copy, and only date texts changed.
TEST(ExifCopies, RealCameraFilesGetEveryCopy)
{
    if (std::system("command -v exiftool >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "exiftool is not installed";
    ScratchDir dir;
    for (const char* pszName : {"Sony_DigitalMavica.jpg", "Sony_Cybershot_4_.jpg"}) {
        SCOPED_TRACE(pszName);
        const Bytes file = ReadAll(std::string(VELMORA_EXIF_DATA "/") + pszName);
        const std::string path = dir.Write(pszName, file);
        const ExifWriteReport report = WriteAll(path);
        EXPECT_TRUE(report.AllWritten());
        EXPECT_EQ(report.CopiesWith(0, ExifWriteResult::Written), 2);  // IFD0 and IFD1
        const std::string command = "exiftool -q -s3 -IFD0:ModifyDate -IFD1:ModifyDate -DateTimeOriginal -CreateDate '" + path + "'";
        FILE* pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        char line[256];
        int nLines = 0;
        while (std::fgets(line, sizeof(line), pipe)) {
            EXPECT_EQ(std::string(line), kNew + "\n");
            ++nLines;
        }
        pclose(pipe);
        EXPECT_EQ(nLines, 4);
        const Bytes after = ReadAll(path);
        ASSERT_EQ(after.size(), file.size());
        std::size_t nChanged = 0;
        for (std::size_t i = 0; i < file.size(); ++i)
            nChanged += after[i] != file[i] ? 1 : 0;
        EXPECT_LE(nChanged, 4u * 19u);
    }
}
