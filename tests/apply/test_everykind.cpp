// A card's folder of every kind side by side: JPEG, PNG, WebP, HEIC, TIFF, Canon and Panasonic
// raw files and a video are listed by one mask, show their own dates, are set from them, shifted
// and applied together, and show their pictures in the preview.
#include "ApplyFixture.h"

#include "exif/Uexif.h"
#include "imaging/ImageDecoder.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <memory>
#include <vector>

namespace {

constexpr int kExifColumn = 3;

// The file's own DateTimeOriginal (a video's creation time), read back by the engine.
bool OwnOriginal(const std::string& path, FILETIME& ft)
{
    auto pExif = std::make_unique<CExif>();
    pExif->SetUnknownTagStream(nullptr);
    return pExif->Open(path.c_str()) && pExif->GetTagDate(1, ft);
}

}  // namespace

TEST_F(ApplyFixture, EveryKindOfACardIsListedDatedShiftedAppliedAndPreviewedTogether)
{
    std::filesystem::create_directories(Photos());
    const std::string p = Photos() + "/";
    const std::string dates = "-ModifyDate='2019:05:06 07:08:09' -DateTimeOriginal='2019:05:06 07:08:09' "
                              "-CreateDate='2019:05:06 07:08:09'";
    const std::string commands[] = {
        "convert -size 64x48 xc:red '" + p + "a.jpg' && exiftool -q -overwrite_original " + dates + " '" + p + "a.jpg'",
        "convert -size 64x48 xc:green png24:'" + p + "b.png' && exiftool -q -overwrite_original " + dates + " '" + p + "b.png'",
        "convert -size 64x48 xc:blue '" + p + "c.webp' && exiftool -q -overwrite_original " + dates + " '" + p + "c.webp'",
        "heif-enc -q 80 '" + p + "b.png' -o '" + p + "d.heic' && exiftool -q -overwrite_original " + dates + " '" + p + "d.heic'",
        "convert -size 64x48 xc:gray '" + p + "e.tif' && exiftool -q -overwrite_original " + dates + " '" + p + "e.tif'",
        "cp '" VELMORA_EXIF_DATA "/CanonRaw.cr2' '" + p + "f.cr2' && exiftool -q -overwrite_original " + dates + " '" + p + "f.cr2'",
        "cp '" VELMORA_EXIF_DATA "/Panasonic.rw2' '" + p + "h.rw2' && exiftool -q -overwrite_original " + dates + " '" + p + "h.rw2'",
        "ffmpeg -y -loglevel error -f lavfi -i color=c=red:s=64x48:d=1 -c:v mpeg4 "
        "-metadata creation_time=2019-05-06T07:08:09Z '" + p + "g.mp4'",
    };
    for (const std::string& command : commands)
        ASSERT_EQ(std::system((command + " >/dev/null 2>&1").c_str()), 0) << command;
    const char* const names[] = {"a.jpg", "b.png", "c.webp", "d.heic", "e.tif", "f.cr2", "g.mp4", "h.rw2"};
    for (const char* name : names)
        SetLocalMtime(name, Local(2026, 12, 9, 1, 45, 50));  // copied from the card today
    // The video's creation time is UTC: its own date is that instant in local time.
    FILETIME ftVideoUtc{}, ftVideo{};
    const SYSTEMTIME stVideo{2019, 5, 0, 6, 7, 8, 9, 0};
    SystemTimeToFileTime(&stVideo, &ftVideoUtc);
    FileTimeToLocalFileTime(&ftVideoUtc, &ftVideo);

    std::vector<std::uintmax_t> sizes;
    for (const char* name : names)
        sizes.push_back(std::filesystem::file_size(PathOf(name)));
    WriteSettings();
    TFormMain& form = Open();
    form.EditMask->setText("*.jpg;*.png;*.webp;*.heic;*.tif;*.cr2;*.mp4;*.rw2");
    form.ScanFolder();
    form.WaitForExifDates();
    ASSERT_EQ(Column(0).size(), 8);
    for (const char* name : names) {
        SCOPED_TRACE(name);
        const bool bVideo = std::string(name) == "g.mp4";
        EXPECT_EQ(Row(name)->text(kExifColumn), Text(bVideo ? ftVideo : Local(2019, 5, 6, 7, 8, 9)));
    }

    // Time from EXIF, an hour later, into the file times and DateTimeOriginal of every file.
    form.ListViewFiles->selectAll();
    form.ButtonTimeFromExif->click();
    form.BitBtnHourUp->click();
    form.CheckBoxDTOriginal->setChecked(true);
    s_messages.clear();
    form.ButtonApply->click();
    ASSERT_EQ(s_messages.size(), 1u) << "only the warning before EXIF is written";
    ExpectMessage(s_messages[0], 33, 20, MsgButtons::OkCancel, MsgIcon::Exclamation);
    for (std::size_t k = 0; k < std::size(names); ++k) {
        const char* name = names[k];
        SCOPED_TRACE(name);
        EXPECT_EQ(std::filesystem::file_size(PathOf(name)), sizes[k]) << "rewritten in place";
        const bool bVideo = std::string(name) == "g.mp4";
        FILETIME ftExpected = bVideo ? ftVideo : Local(2019, 5, 6, 7, 8, 9);
        ftExpected = U64ToFileTime(FileTimeToU64(ftExpected) + 3600ull * 10'000'000ull);
        FILETIME ftOwn{};
        ASSERT_TRUE(OwnOriginal(PathOf(name), ftOwn));
        EXPECT_EQ(Text(ftOwn), Text(ftExpected)) << "the file's own date moved";
        EXPECT_EQ(Row(name)->text(kExifColumn), Text(ftExpected)) << "the list shows what the disk holds";
        EXPECT_TRUE(Row(name)->icon(0).isNull()) << "no mark: everything asked was written";
    }
    EXPECT_FALSE(form.m_bChanged);

    // Pictures and the raw file's embedded JPEG decode for the preview (the small Canon sample
    // embeds only placeholders).
    for (const char* name : {"a.jpg", "b.png", "c.webp", "d.heic", "h.rw2"}) {
        SCOPED_TRACE(name);
        DWORD dwCount = 0;
        DecodePreviewImage(nullptr, nullptr, PathOf(name).c_str(), &dwCount);
        EXPECT_GT(dwCount, 0u);
    }
}
