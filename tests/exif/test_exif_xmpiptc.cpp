// The copies of the dates in XMP and IPTC move with their EXIF tags, on files exiftool made and
// on a real one: exiftool then reads the new time in every copy, with no new warning, and only
// date digits changed. Damaged XMP and IPTC keep every byte outside the dates written.
#include "TextDateFiles.h"
#include "exif/Uexif.h"
#include "exif/Uexif_batch.h"
#include "platform/wintime.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <sys/wait.h>

using namespace exiftest;

namespace {

FILETIME NewTime()
{
    const SYSTEMTIME st{2010, 3, 0, 4, 5, 6, 7, 0};
    FILETIME ft{};
    SystemTimeToFileTime(&st, &ft);
    return ft;
}

ExifWriteReport Write(const std::string& path, bool bDateTime, bool bOriginal, bool bDigitized)
{
    auto exif = std::make_unique<CExif>();
    exif->SetUnknownTagStream(nullptr);
    EXPECT_TRUE(exif->Open(path.c_str()));
    ExifWriteReport report;
    exif->WriteDateTags(NewTime(), bDateTime, bOriginal, bDigitized, &report);
    return report;
}

std::vector<ExifDateListing> Listing(const std::string& path)
{
    auto exif = std::make_unique<CExif>();
    exif->SetUnknownTagStream(nullptr);
    std::vector<ExifDateListing> listing;
    if (exif->Open(path.c_str()))
        exif->ListDateCopies(listing);
    return listing;
}

// What exiftool reads in each copy of MakeDatedFile's dates after the write, per tag.
struct Expected {
    const char* key;
    int nDate;
    const char* after;
};
const Expected kDatedFile[] = {
    {"IFD0:ModifyDate", 0, "2010:03:04 05:06:07"},
    {"XMP-xmp:ModifyDate", 0, "2010:03:04 05:06"},
    {"XMP-tiff:DateTime", 0, "2010:03:04 05:06:07Z"},
    {"ExifIFD:DateTimeOriginal", 1, "2010:03:04 05:06:07"},
    {"XMP-exif:DateTimeOriginal", 1, "2010:03:04 05:06:07+01:00"},
    {"XMP-photoshop:DateCreated", 1, "2010:03:04"},
    {"IPTC:DateCreated", 1, "2010:03:04"},
    {"IPTC:TimeCreated", 1, "05:06:07+01:00"},
    {"ExifIFD:CreateDate", 2, "2010:03:04 05:06:07"},
    {"XMP-exif:DateTimeDigitized", 2, "2010:03:04 05:06:07"},
    {"XMP-xmp:CreateDate", 2, "2010:03:04 05:06:07.25"},
    {"IPTC:DigitalCreationDate", 2, "2010:03:04"},
    {"IPTC:DigitalCreationTime", 2, "05:06:07+00:00"},
};

// Every listed copy of a wanted tag holds its new text, every other date is as it was, the
// digest matches the record again, no warning is new, and only digits changed.
void ExpectMoved(const std::map<std::string, std::string>& before, const std::map<std::string, std::string>& after,
                 const Expected* pExpected, std::size_t nExpected, const bool abWanted[3])
{
    std::set<std::string> listed;
    for (std::size_t k = 0; k < nExpected; ++k) {
        const Expected& e = pExpected[k];
        listed.insert(e.key);
        ASSERT_TRUE(before.count(e.key)) << e.key;
        ASSERT_TRUE(after.count(e.key)) << e.key;
        EXPECT_EQ(after.at(e.key), abWanted[e.nDate] ? e.after : before.at(e.key)) << e.key;
    }
    for (const auto& [key, value] : before) {
        if (!listed.count(key) && key.rfind("Composite:", 0) != 0 && key.find("IPTCDigest") == std::string::npos) {
            EXPECT_EQ(after.count(key) ? after.at(key) : "(gone)", value) << key;
        }
    }
    if (before.count("Photoshop:IPTCDigest")) {
        EXPECT_EQ(after.at("Photoshop:IPTCDigest"), after.at("File:CurrentIPTCDigest"));
    }
}

}  // namespace

TEST(XmpIptc, EveryCopyMovesWithTheTagItCopiesKeepingItsShape)
{
    if (!HaveExiftool())
        GTEST_SKIP() << "exiftool is not installed";
    ScratchDir dir;
    const bool cases[][3] = {{true, true, true}, {false, true, false}, {true, false, true}};
    for (const auto& wanted : cases) {
        SCOPED_TRACE(std::to_string(wanted[0]) + std::to_string(wanted[1]) + std::to_string(wanted[2]));
        const std::string path = MakeDatedFile(dir, "dated.jpg");
        const auto before = ExiftoolDates(path);
        ASSERT_EQ(before.at("Photoshop:IPTCDigest"), before.at("File:CurrentIPTCDigest"));
        const Bytes bytesBefore = ReadAll(path);
        const ExifWriteReport report = Write(path, wanted[0], wanted[1], wanted[2]);
        EXPECT_TRUE(report.AllWritten());
        ExpectMoved(before, ExiftoolDates(path), kDatedFile, std::size(kDatedFile), wanted);
        std::size_t nChanged = 0;
        EXPECT_TRUE(OnlyDigitsDiffer(bytesBefore, ReadAll(path), &nChanged));
        EXPECT_GT(nChanged, 0u);
        // Each copy is named: the EXIF tags by where they stand, the others by their property.
        std::multiset<std::string> names;
        for (const ExifCopyReport& c : report.copies)
            names.insert(std::string(c.szWhere) + " " + c.szName);
        if (wanted[1]) {
            EXPECT_EQ(names.count("ExifIFD "), wanted[2] ? 2u : 1u);
            EXPECT_EQ(names.count("XMP exif:DateTimeOriginal"), 1u);
            EXPECT_EQ(names.count("XMP photoshop:DateCreated"), 1u);
            EXPECT_EQ(names.count("IPTC DateCreated"), 1u);
        }
        EXPECT_EQ(names.count("XMP xmp:ModifyDate"), wanted[0] ? 1u : 0u);
    }
}

// A tag the EXIF block lacks is not found, and its copies elsewhere stay as they are.
TEST(XmpIptc, CopiesOfATagTheExifBlockLacksStay)
{
    if (!HaveExiftool())
        GTEST_SKIP() << "exiftool is not installed";
    ScratchDir dir;
    const std::string path = dir.Write("noorig.jpg", Jpeg(Camera(false, {"2006:12:24 17:05:09", "", ""}).Build()));
    Exiftool("-q -overwrite_original '-XMP-exif:DateTimeOriginal=2006:12:24 17:05:09' '" + path + "'");
    const Bytes before = ReadAll(path);
    const ExifWriteReport report = Write(path, false, true, false);
    EXPECT_EQ(report.aResult[1], ExifWriteResult::NotFound);
    EXPECT_EQ(ReadAll(path), before);
}

// A real file edited in Photoshop: IPTC DateCreated (a date alone) with a digest that matches,
// and XMP photoshop:DateCreated.
TEST(XmpIptc, RealFileGetsEveryCopyAndAMatchingDigest)
{
    if (!HaveExiftool())
        GTEST_SKIP() << "exiftool is not installed";
    ScratchDir dir;
    const std::string path = dir.Write("fuji.jpg", ReadAll(VELMORA_EXIF_DATA "/FujiFilm_FinePixS1Pro_4_.jpg"));
    const auto before = ExiftoolDates(path);
    const Bytes bytesBefore = ReadAll(path);
    EXPECT_TRUE(Write(path, true, true, true).AllWritten());
    const Expected expected[] = {
        {"IFD0:ModifyDate", 0, "2010:03:04 05:06:07"},         {"ExifIFD:DateTimeOriginal", 1, "2010:03:04 05:06:07"},
        {"ExifIFD:CreateDate", 2, "2010:03:04 05:06:07"},      {"IPTC:DateCreated", 1, "2010:03:04"},
        {"XMP-photoshop:DateCreated", 1, "2010:03:04"},
    };
    const bool abAll[3] = {true, true, true};
    ExpectMoved(before, ExiftoolDates(path), expected, std::size(expected), abAll);
    EXPECT_TRUE(OnlyDigitsDiffer(bytesBefore, ReadAll(path)));
}

// Damaged or odd XMP and IPTC: the copies that cannot be trusted are left alone and reported,
// the others are written; nothing but date digits changes and exiftool finds nothing new to
// warn about.
TEST(XmpIptc, DamagedXmpAndIptcKeepEverythingButTheDatesWritten)
{
    if (!HaveExiftool())
        GTEST_SKIP() << "exiftool is not installed";
    enum class Digest { Recomputed, Kept };
    const auto iptcLength = [](Bytes& b) {  // DateCreated's length reaching past the record
        const std::size_t n = Find(b, {0x1C, 0x02, 55, 0x00, 0x08});
        if (n == std::string::npos)
            return false;
        b[n + 3] = 0x7F, b[n + 4] = 0xFF;
        return true;
    };
    const auto digestSize = [](Bytes& b) {  // 15 bytes (padded to 16: the resources still follow)
        const std::size_t n = Find(b, {'8', 'B', 'I', 'M', 0x04, 0x25, 0, 0, 0, 0, 0, 16});
        if (n == std::string::npos)
            return false;
        b[n + 11] = 15;
        return true;
    };
    const auto digestWrong = [](Bytes& b) {
        const std::size_t n = Find(b, {'8', 'B', 'I', 'M', 0x04, 0x25, 0, 0, 0, 0, 0, 16});
        if (n == std::string::npos)
            return false;
        b[n + 12] ^= 0xFF;
        return true;
    };
    const struct {
        const char* what;
        std::function<bool(Bytes&)> damage;
        std::set<std::string> alone;  // the copies left alone
        Digest digest;
    } cases[] = {
        {"XMP cut short", [](Bytes& b) { return ReplaceOnce(b, "</x:xmpmeta>", "            "); },
         {"XMP xmp:ModifyDate", "XMP tiff:DateTime", "XMP exif:DateTimeOriginal", "XMP photoshop:DateCreated",
          "XMP xmp:CreateDate", "XMP exif:DateTimeDigitized"},
         Digest::Recomputed},
        {"odd XMP shapes",
         [](Bytes& b) {
             return ReplaceOnce(b, "2006-12-24T17:05:09</exif:DateTimeDigitized", "2006:12:24 17:05:09</exif:DateTimeDigitized") &&
                    ReplaceOnce(b, ">2006-12-24</photoshop", ">2006-12   </photoshop") &&
                    ReplaceOnce(b, "2006-12-24T17:05</xmp:ModifyDate", "                </xmp:ModifyDate");
         },
         {"XMP exif:DateTimeDigitized", "XMP photoshop:DateCreated", "XMP xmp:ModifyDate"}, Digest::Recomputed},
        {"IPTC dataset past its resource", iptcLength, {"IPTC DateCreated", "IPTC DigitalCreationDate"}, Digest::Kept},
        {"IPTC digest of a wrong size", digestSize, {}, Digest::Kept},
        {"IPTC digest that did not match", digestWrong, {}, Digest::Kept},
        {"IPTC date of an odd shape", [](Bytes& b) { return ReplaceOnce(b, "20061224", "20061324"); },
         {"IPTC DateCreated"}, Digest::Kept},  // the digest no longer matched the damaged record
    };
    ScratchDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string made = MakeDatedFile(dir, "made.jpg");
        Bytes damaged = ReadAll(made);
        ASSERT_TRUE(c.damage(damaged));
        const std::string path = dir.Write("damaged.jpg", damaged);
        const auto before = ExiftoolDates(path);
        const auto listingBefore = Listing(path);

        const ExifWriteReport report = Write(path, true, true, true);
        std::set<std::string> alone;
        for (const ExifCopyReport& c2 : report.copies)
            if (c2.result != ExifWriteResult::Written)
                alone.insert(std::string(c2.szWhere) + " " + c2.szName);
        EXPECT_EQ(alone, c.alone);
        EXPECT_EQ(report.AllWritten(), c.alone.empty());

        const Bytes after = ReadAll(path);
        EXPECT_TRUE(OnlyDigitsDiffer(damaged, after));
        const auto listingAfter = Listing(path);
        ASSERT_EQ(listingAfter.size(), listingBefore.size());
        for (std::size_t k = 0; k < listingAfter.size(); ++k) {
            const ExifDateListing& l = listingAfter[k];
            SCOPED_TRACE(l.strWhere + " " + l.strName);
            if (c.alone.count(l.strWhere + " " + l.strName)) {
                EXPECT_EQ(l.strText, listingBefore[k].strText);
            } else {
                EXPECT_EQ(l.agreement, ExifDateAgreement::Agrees);
            }
        }
        const auto afterDates = ExiftoolDates(path);
        EXPECT_EQ(afterDates.count("Warning") ? afterDates.at("Warning") : "", before.count("Warning") ? before.at("Warning") : "");
        if (c.digest == Digest::Recomputed) {
            EXPECT_EQ(afterDates.at("Photoshop:IPTCDigest"), afterDates.at("File:CurrentIPTCDigest"));
        } else if (before.count("Photoshop:IPTCDigest")) {
            EXPECT_EQ(afterDates.at("Photoshop:IPTCDigest"), before.at("Photoshop:IPTCDigest"));
        }
    }
}

// Extended XMP stays as its digest in the main packet says; the main packet's dates move.
TEST(XmpIptc, ExtendedXmpIsLeftAsItIs)
{
    if (!HaveExiftool())
        GTEST_SKIP() << "exiftool is not installed";
    ScratchDir dir;
    const std::string path = MakeDatedFile(dir, "ext.jpg");
    dir.Write("big.txt", Bytes(70000, 'x'));
    Exiftool("-q -overwrite_original '-XMP-dc:Description<=" + dir.Path("big.txt") + "' '" + path + "'");
    const Bytes before = ReadAll(path);
    const std::string ext = "http://ns.adobe.com/xmp/extension/";
    const std::size_t nExt = Find(before, Bytes(ext.begin(), ext.end()));
    ASSERT_NE(nExt, std::string::npos);
    const auto dates = ExiftoolDates(path);
    EXPECT_TRUE(Write(path, true, true, true).AllWritten());
    const Bytes after = ReadAll(path);
    EXPECT_TRUE(OnlyDigitsDiffer(before, after));
    EXPECT_TRUE(std::equal(before.begin() + std::ptrdiff_t(nExt), before.end() - 4096, after.begin() + std::ptrdiff_t(nExt)));
    const bool abAll[3] = {true, true, true};
    ExpectMoved(dates, ExiftoolDates(path), kDatedFile, std::size(kDatedFile), abAll);
}

namespace {

std::string Shell(const std::string& command, int* pStatus = nullptr)
{
    std::string out;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0;)
        out.append(buffer, n);
    const int raw = pclose(pipe);
    if (pStatus)
        *pStatus = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
}

}  // namespace

TEST(XmpIptc, CliListsEveryCopyAndNamesThemWhenWriting)
{
    if (!HaveExiftool())
        GTEST_SKIP() << "exiftool is not installed";
    ScratchDir dir;
    const std::string path = MakeDatedFile(dir, "cli.jpg");
    Exiftool("-q -overwrite_original '-XMP-xmp:CreateDate=2007:01:01 00:00:00' '" + path + "'");
    int nStatus = -1;
    const std::string dates = Shell("LC_ALL=C.UTF-8 '" VELMORA_CLI "' dates '" + path + "'", &nStatus);
    EXPECT_EQ(nStatus, 0);
    for (const char* line :
         {"\tExifIFD\tDateTimeOriginal\t2006:12:24 17:05:09\tagrees\n", "\tIFD0\tDateTime\t2006:12:24 17:05:09\tagrees\n",
          "\tXMP\texif:DateTimeOriginal\t2006-12-24T17:05:09+01:00\tagrees\n",
          "\tXMP\txmp:CreateDate\t2007-01-01T00:00:00\tdiffers\n", "\tXMP\tphotoshop:DateCreated\t2006-12-24\tagrees\n",
          "\tIPTC\tDateCreated\t20061224 170509+0100\tagrees\n"})
        EXPECT_NE(dates.find(path + std::string(line)), std::string::npos) << line << dates;

    std::string packet = Exiftool("-b -xmp '" + path + "'");
    ASSERT_TRUE(packet.find("2006-12-24</photoshop:DateCreated>") != std::string::npos);
    Bytes bytes = ReadAll(path);
    ASSERT_TRUE(ReplaceOnce(bytes, ">2006-12-24</photoshop", ">2006-12   </photoshop"));
    dir.Write("cli.jpg", bytes);
    const std::string out = Shell("LC_ALL=C.UTF-8 '" VELMORA_CLI "' set-exif --original '2010:03:04 05:06:07' '" + path + "'", &nStatus);
    EXPECT_EQ(nStatus, 1);
    EXPECT_EQ(out, path + ": DateTimeOriginal written (ExifIFD, IPTC DateCreated, XMP exif:DateTimeOriginal), "
                          "left alone (XMP photoshop:DateCreated: not a date text)\n");
    EXPECT_NE(Shell("'" VELMORA_CLI "' --help").find("velmora-cli dates FILE..."), std::string::npos);
    Shell("'" VELMORA_CLI "' dates", &nStatus);
    EXPECT_EQ(nStatus, 2);
    const std::string none = dir.Write("none.jpg", Bytes(100, 'x'));
    EXPECT_EQ(Shell("'" VELMORA_CLI "' dates '" + none + "'", &nStatus), none + ": no EXIF block\n");
    EXPECT_EQ(nStatus, 1);
}

// A second write from the same object checks against what the first one wrote.
TEST(XmpIptc, ASecondWriteFromTheSameObjectMovesTheCopiesAgain)
{
    if (!HaveExiftool())
        GTEST_SKIP() << "exiftool is not installed";
    ScratchDir dir;
    const std::string path = MakeDatedFile(dir, "twice.jpg");
    auto exif = std::make_unique<CExif>();
    exif->SetUnknownTagStream(nullptr);
    ASSERT_TRUE(exif->Open(path.c_str()));
    FILETIME ftLater = NewTime();
    ftLater.dwLowDateTime += 10000000;  // a second later
    for (const FILETIME& ft : {NewTime(), ftLater}) {
        ExifWriteReport report;
        exif->WriteDateTags(ft, true, true, true, &report);
        EXPECT_TRUE(report.AllWritten());
    }
    const auto dates = ExiftoolDates(path);
    EXPECT_EQ(dates.at("XMP-exif:DateTimeOriginal"), "2010:03:04 05:06:08+01:00");
    EXPECT_EQ(dates.at("IPTC:TimeCreated"), "05:06:08+01:00");
    EXPECT_EQ(dates.at("Photoshop:IPTCDigest"), dates.at("File:CurrentIPTCDigest"));
}
