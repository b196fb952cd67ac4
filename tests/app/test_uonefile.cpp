// Writing a file's time stamps, read-only files included.
#include "TempFolder.h"
#include "app/Uonefile.h"
#include "platform/winfile.h"
#include "platform/wintime.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

FILETIME LastWrite(const std::string& path)
{
    FolderSearch search;
    FindData data;
    const std::size_t nSlash = path.rfind('/');
    EXPECT_TRUE(search.First((path.substr(0, nSlash + 1)).c_str(), path.substr(nSlash + 1).c_str(), &data));
    return data.ftLastWriteTime;
}

std::uint32_t Mode(const std::string& path)
{
    std::uint32_t mode = 0;
    EXPECT_TRUE(GetFileMode(path.c_str(), &mode));
    return mode & 07777;
}

}  // namespace

TEST(SetFileTimes, WritesTheTimeAndKeepsTheModeExactly)
{
    TempFolder folder;
    const FILETIME ftWrite = FileTimeFromUnix(1166976309, 0);  // 2006-12-24 16:05:09 UTC
    for (const std::uint32_t mode : {0444u, 0400u, 0640u, 0600u}) {
        const std::string path = folder.Write("photo.jpg", "x");
        ASSERT_TRUE(SetFileMode(path.c_str(), mode));
        const DWORD dwBefore = GetFileAttributesA(path.c_str());

        EXPECT_TRUE(SetFileTimes(path.c_str(), nullptr, nullptr, &ftWrite)) << std::oct << mode;
        EXPECT_TRUE(LastWrite(path) == ftWrite) << std::oct << mode;
        EXPECT_EQ(Mode(path), mode);
        EXPECT_EQ(GetFileAttributesA(path.c_str()), dwBefore);
        SetFileMode(path.c_str(), 0600);
    }
}

TEST(SetFileTimes, FailureLeavesTheFileAsItWas)
{
    TempFolder folder;
    const FILETIME ftWrite = FileTimeFromUnix(1166976309, 0);
    EXPECT_FALSE(SetFileTimes(folder.File("missing.jpg").c_str(), nullptr, nullptr, &ftWrite));
    EXPECT_FALSE(SetFileTimes(folder.Path().c_str(), nullptr, nullptr, &ftWrite));  // a folder
    EXPECT_FALSE(SetFileTimes(nullptr, nullptr, nullptr, &ftWrite));

    // Absent times stay as they were.
    const std::string path = folder.Write("keep.jpg", "x");
    ASSERT_TRUE(SetFileMode(path.c_str(), 0444));
    const FILETIME ftBefore = LastWrite(path);
    EXPECT_TRUE(SetFileTimes(path.c_str(), nullptr, nullptr, nullptr));
    EXPECT_TRUE(LastWrite(path) == ftBefore);
    EXPECT_EQ(Mode(path), 0444u);
}
