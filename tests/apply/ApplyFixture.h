// The main window over photographs with EXIF data made by the tests, with the EXIF window
// answered by the test instead of a person.
#pragma once

#include "../app/FormFixture.h"
#include "../exif/ExifFiles.h"

#include <QString>

#include <filesystem>
#include <string>
#include <vector>

class ApplyFixture : public FormFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // A JPEG file with a camera's EXIF block (the three dates as given; an empty one is left
    // out) in Photos(), whose last-write time is the given local time.
    void ExifPhoto(const std::string& name, const exiftest::CameraDates& dates, const FILETIME& ftLocal);
    // A file without EXIF data, with the given local last-write time.
    void PlainPhoto(const std::string& name, const FILETIME& ftLocal);
    // Sets the last-write time of a file in Photos() to the given local time.
    void SetLocalMtime(const std::string& name, const FILETIME& ftLocal);

    std::string PathOf(const std::string& name) const { return Photos() + "/" + name; }
    exiftest::Bytes Contents(const std::string& name) const { return exiftest::ReadAll(PathOf(name)); }
    // The file's last-write time as the calendar of the user's time zone shows it (as ls -l).
    static std::string LocalMtime(const std::string& path);
    // The same form for a local file time of the list ("2006-07-14 10:00:00").
    static std::string Calendar(const FILETIME& ftLocal);
    static std::filesystem::perms Mode(const std::string& path);
    // The three date texts of a file as the engine reads them: DateTime, DateTimeOriginal,
    // DateTimeDigitized (empty where the tag is missing).
    static std::vector<std::string> DateTexts(const std::string& path);

    // A message box shown with UI strings nText and nCaption.
    static void ExpectMessage(const ShownMessage& message, int nText, int nCaption, MsgButtons buttons,
                              MsgIcon icon);
    void SelectAndShift(std::initializer_list<const char*> names, QAbstractButton* pButton);

    // What the EXIF window showed, and how often it was shown.
    static int ShowListing(class TFormExif& form);
    static QString s_strListing;
    static int s_nListingsShown;
};
