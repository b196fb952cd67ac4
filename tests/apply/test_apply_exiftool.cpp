// The whole road against photographs made by other tools: shift three photographs by one hour
// and write it into the files and their EXIF data, then read the dates back with exiftool.
#include "ApplyFixture.h"

#include <QCheckBox>
#include <QPushButton>
#include <QToolButton>

#include <cstdlib>
#include <fstream>
#include <sstream>

using ExiftoolRoadTest = ApplyFixture;

namespace {

bool Have(const char* pszProgram)
{
    return std::system(("command -v " + std::string(pszProgram) + " >/dev/null 2>&1").c_str()) == 0;
}

bool Shell(const std::string& strCommand) { return std::system(strCommand.c_str()) == 0; }

// DateTime, DateTimeOriginal and DateTimeDigitized as exiftool reads them, one per line.
std::string ExiftoolDates(const std::string& path)
{
    const std::string out = path + ".dates";
    EXPECT_TRUE(Shell("exiftool -s -s -s -EXIF:ModifyDate -EXIF:DateTimeOriginal -EXIF:CreateDate '" + path +
                    "' > '" + out + "'"));
    std::stringstream text;
    text << std::ifstream(out).rdbuf();
    std::filesystem::remove(out);
    return text.str();
}

}  // namespace

TEST_F(ExiftoolRoadTest, ThreePhotographsShiftedByOneHourCarryItInTheirFilesAndTheirExif)
{
    if (!Have("exiftool") || !Have("convert"))
        GTEST_SKIP() << "exiftool or ImageMagick is not installed";
    const char* const names[] = {"p1.jpg", "p2.jpg", "p3.jpg", "other.jpg"};
    for (int i = 0; i < 4; ++i) {
        const std::string path = PathOf(names[i]);
        const std::string day = "2006:07:1" + std::to_string(i + 1);
        ASSERT_TRUE(Shell("convert -size 16x16 xc:gray '" + path + "'"));
        ASSERT_TRUE(Shell("exiftool -q -overwrite_original '-EXIF:ModifyDate=" + day + " 10:00:00' '-EXIF:DateTimeOriginal=" +
                        day + " 09:00:00' '-EXIF:CreateDate=" + day + " 09:30:00' '" + path + "'"));
        SetLocalMtime(names[i], Local(2006, 7, WORD(11 + i), 10, 0, 0));
    }
    const exiftest::Bytes other = Contents("other.jpg");
    WriteSettings();
    TFormMain& form = Open();

    Select({"p1.jpg", "p2.jpg", "p3.jpg"});
    form.BitBtnHourUp->click();
    form.CheckBoxDT->setChecked(true);
    form.CheckBoxDTOriginal->setChecked(true);
    form.CheckBoxDTDigitized->setChecked(true);
    // The file times are not the photographs' own dates: asked first, and answered "EXIF too";
    // then the warning, answered with OK.
    s_nCaptureDateAnswer = IDEXIFTOO;
    form.ButtonApply->click();
    ASSERT_EQ(s_messages.size(), 2u);
    EXPECT_EQ(s_messages[0].buttons, MsgButtons::FileTimesExifCancel);
    EXPECT_FALSE(form.m_bChanged);
    EXPECT_FALSE(form.ButtonApply->isEnabled());

    // Every date tag holds the new time, written from the file time one hour on; the file
    // times say the same; the photograph that was not selected is untouched.
    for (int i = 0; i < 3; ++i) {
        const std::string day = "2006:07:1" + std::to_string(i + 1);
        EXPECT_EQ(ExiftoolDates(PathOf(names[i])),
                  day + " 11:00:00\n" + day + " 11:00:00\n" + day + " 11:00:00\n") << names[i];
        EXPECT_EQ(LocalMtime(PathOf(names[i])), "2006-07-1" + std::to_string(i + 1) + " 11:00:00");
    }
    EXPECT_EQ(Contents("other.jpg"), other);
    EXPECT_EQ(ExiftoolDates(PathOf("other.jpg")), "2006:07:14 10:00:00\n2006:07:14 09:00:00\n2006:07:14 09:30:00\n");
    EXPECT_EQ(LocalMtime(PathOf("other.jpg")), "2006-07-14 10:00:00");
}
