#include "ApplyFixture.h"

#include "app/Fexif.h"
#include "app/Ulang.h"
#include "exif/Uexif.h"

#include <QAbstractButton>
#include <QPlainTextEdit>

#include <chrono>
#include <ctime>
#include <fstream>
#include <memory>

QString ApplyFixture::s_strListing;
int ApplyFixture::s_nListingsShown = 0;

void ApplyFixture::SetUp()
{
    FormFixture::SetUp();
    s_strListing.clear();
    s_nListingsShown = 0;
    FormExif = new TFormExif;
    TFormExif::s_pfnModalHook = &ShowListing;
}

void ApplyFixture::TearDown()
{
    FormFixture::TearDown();
    TFormExif::s_pfnModalHook = nullptr;
    delete FormExif;
    FormExif = nullptr;
}

int ApplyFixture::ShowListing(TFormExif& form)
{
    s_strListing = form.Memo->toPlainText();
    ++s_nListingsShown;
    return 0;
}

void ApplyFixture::ExifPhoto(const std::string& name, const exiftest::CameraDates& dates, const FILETIME& ftLocal)
{
    exiftest::Bytes bytes = exiftest::Jpeg(exiftest::Camera(false, dates).Build());
    std::ofstream(PathOf(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    SetLocalMtime(name, ftLocal);
}

void ApplyFixture::SetLocalMtime(const std::string& name, const FILETIME& ftLocal)
{
    FILETIME ftUtc{};
    ASSERT_TRUE(LocalFileTimeToFileTime(&ftLocal, &ftUtc));
    ASSERT_TRUE(SetFileTimeByPath(PathOf(name).c_str(), nullptr, nullptr, &ftUtc));
}

void ApplyFixture::PlainPhoto(const std::string& name, const FILETIME& ftLocal)
{
    SYSTEMTIME st{};
    ASSERT_TRUE(FileTimeToSystemTime(&ftLocal, &st));
    Photo(name, st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond);
}

std::string ApplyFixture::LocalMtime(const std::string& path)
{
    const auto mtime = std::chrono::file_clock::to_sys(std::filesystem::last_write_time(path));
    const std::time_t t = std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::seconds>(mtime));
    char szText[32] = {};
    std::strftime(szText, sizeof szText, "%Y-%m-%d %H:%M:%S", std::localtime(&t));
    return szText;
}

std::string ApplyFixture::Calendar(const FILETIME& ftLocal)
{
    SYSTEMTIME st{};
    EXPECT_TRUE(FileTimeToSystemTime(&ftLocal, &st));
    char szText[64] = {};
    std::snprintf(szText, sizeof szText, "%04d-%02d-%02d %02d:%02d:%02d", st.wYear, st.wMonth, st.wDay,
                  st.wHour, st.wMinute, st.wSecond);
    return szText;
}

std::filesystem::perms ApplyFixture::Mode(const std::string& path)
{
    return std::filesystem::status(path).permissions();
}

void ApplyFixture::ExpectMessage(const ShownMessage& message, int nText, int nCaption, MsgButtons buttons,
                                 MsgIcon icon)
{
    EXPECT_EQ(message.strText, UiStrings[nText]);
    EXPECT_EQ(message.strCaption, UiStrings[nCaption]);
    EXPECT_EQ(message.buttons, buttons);
    EXPECT_EQ(message.icon, icon);
}

void ApplyFixture::SelectAndShift(std::initializer_list<const char*> names, QAbstractButton* pButton)
{
    Select(names);
    pButton->click();
}

std::vector<std::string> ApplyFixture::DateTexts(const std::string& path)
{
    auto pExif = std::make_unique<CExif>();
    EXPECT_TRUE(pExif->Open(path.c_str()));
    std::vector<std::string> texts;
    for (DWORD dwTag : {306u, 36867u, 36868u}) {
        const ExifTagEntry* pTag = pExif->FindTag(dwTag);
        texts.push_back(pTag && pTag->bPresent ? pTag->szValue : "");
    }
    return texts;
}
