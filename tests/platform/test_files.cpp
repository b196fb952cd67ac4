// File handles with advisory-lock sharing, attributes, time stamps and odd paths.
#include "TempFolder.h"
#include "platform/winerror.h"
#include "platform/winfile.h"
#include "platform/wintime.h"

#include <cerrno>
#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace {

std::uint64_t SizeOf(int hFile)
{
    std::uint64_t size = 0;
    EXPECT_TRUE(FileGetSize(hFile, &size));
    return size;
}

}  // namespace

TEST(FileHandles, ReadWriteSeekAndSize)
{
    TempFolder folder;
    const std::string path = folder.Write("a.bin", "0123456789");
    int h = FileOpen(path.c_str(), FileOpenMode::ReadWriteExisting);
    ASSERT_NE(h, INVALID_FILE_HANDLE);
    EXPECT_EQ(SizeOf(h), 10u);
    std::uint64_t pos = 0;
    ASSERT_TRUE(FileSeek(h, 8, &pos));
    EXPECT_EQ(pos, 8u);
    char buf[16] = {};
    std::uint32_t n = 0;
    ASSERT_TRUE(FileRead(h, buf, 16, &n));  // a short read at the end is no error
    EXPECT_EQ(n, 2u);
    EXPECT_EQ(std::string(buf, 2), "89");
    ASSERT_TRUE(FileWrite(h, "AB", 2, &n));
    EXPECT_EQ(n, 2u);
    EXPECT_EQ(SizeOf(h), 12u);
    ASSERT_TRUE(FileSetSize(h, 4));
    ASSERT_TRUE(FileSeekEnd(h, &pos));
    EXPECT_EQ(pos, 4u);
    EXPECT_TRUE(FileFlush(h));
    FileClose(h);
    EXPECT_EQ(TempFolder::Read(path), "0123");

    // Create truncates an existing file; the append mode keeps it and writes at its end.
    h = FileOpen(path.c_str(), FileOpenMode::AppendOpenAlways);
    ASSERT_NE(h, INVALID_FILE_HANDLE);
    FileWrite(h, "xy", 2, &n);
    FileClose(h);
    EXPECT_EQ(TempFolder::Read(path), "0123xy");
    h = FileOpen(path.c_str(), FileOpenMode::ReadWriteCreate);
    ASSERT_NE(h, INVALID_FILE_HANDLE);
    EXPECT_EQ(SizeOf(h), 0u);
    FileClose(h);
    h = FileOpen(folder.File("new.txt").c_str(), FileOpenMode::ReadWriteOpenAlways);
    EXPECT_NE(h, INVALID_FILE_HANDLE);
    FileClose(h);
    EXPECT_EQ(FileOpen(folder.File("missing").c_str(), FileOpenMode::ReadWriteExisting), INVALID_FILE_HANDLE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ENOENT));
}

TEST(FileHandles, ReadersShareWritersAreExclusive)
{
    TempFolder folder;
    const std::string path = folder.Write("photo.jpg", "data");
    const char* p = path.c_str();

    const int r1 = FileOpen(p, FileOpenMode::ReadExisting);
    const int r2 = FileOpen(p, FileOpenMode::ReadExisting);
    EXPECT_NE(r1, INVALID_FILE_HANDLE);
    EXPECT_NE(r2, INVALID_FILE_HANDLE);
    EXPECT_EQ(FileOpen(p, FileOpenMode::ReadWriteExisting), INVALID_FILE_HANDLE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(EWOULDBLOCK));
    // Creating anew while others read is refused too, and the file is not cut.
    EXPECT_EQ(FileOpen(p, FileOpenMode::ReadWriteCreate), INVALID_FILE_HANDLE);
    EXPECT_EQ(TempFolder::Read(path), "data");
    // Writing time stamps takes no lock.
    const int hShared = FileOpen(p, FileOpenMode::WriteExistingShared);
    EXPECT_NE(hShared, INVALID_FILE_HANDLE);
    FileClose(hShared);
    FileClose(r1);
    FileClose(r2);

    const int w = FileOpen(p, FileOpenMode::ReadWriteExisting);
    ASSERT_NE(w, INVALID_FILE_HANDLE);
    EXPECT_EQ(FileOpen(p, FileOpenMode::ReadExisting), INVALID_FILE_HANDLE);
    EXPECT_EQ(FileOpen(p, FileOpenMode::ReadWriteExisting), INVALID_FILE_HANDLE);
    FileClose(w);
    const int again = FileOpen(p, FileOpenMode::ReadWriteExisting);
    EXPECT_NE(again, INVALID_FILE_HANDLE);
    FileClose(again);
}

TEST(FileHandles, AHolderThatLetsGoWithinAMomentIsWaitedFor)
{
    // Another copy reading the photograph for a moment must not make a rewrite fail.
    TempFolder folder;
    const std::string path = folder.Write("photo.jpg", "data");
    const int hReader = FileOpen(path.c_str(), FileOpenMode::ReadExisting);
    ASSERT_NE(hReader, INVALID_FILE_HANDLE);
    std::thread release([hReader] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        FileClose(hReader);
    });
    const int hWriter = FileOpen(path.c_str(), FileOpenMode::ReadWriteExisting);
    release.join();
    EXPECT_NE(hWriter, INVALID_FILE_HANDLE);
    FileClose(hWriter);
}

TEST(FileHandles, FoldersLongAndOddPathsAreRefusedCleanly)
{
    TempFolder folder;
    EXPECT_EQ(FileOpen(folder.Path().c_str(), FileOpenMode::ReadExisting), INVALID_FILE_HANDLE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(EISDIR));
    EXPECT_EQ(FileOpen(nullptr, FileOpenMode::ReadExisting), INVALID_FILE_HANDLE);
    EXPECT_EQ(FileOpen("", FileOpenMode::ReadExisting), INVALID_FILE_HANDLE);

    const std::string longPath = folder.Path() + "/" + std::string(4000, 'x');
    EXPECT_EQ(FileOpen(longPath.c_str(), FileOpenMode::ReadWriteCreate), INVALID_FILE_HANDLE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ENAMETOOLONG));
    EXPECT_EQ(GetFileAttributesA(longPath.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(SetFileAttributesA(longPath.c_str(), 0));
    EXPECT_FALSE(SetFileTimeByPath(longPath.c_str(), nullptr, nullptr, nullptr));

    // A name that is not UTF-8 is just bytes.
    const std::string odd = folder.File("caf\xe9 \xff.jpg");
    const int h = FileOpen(odd.c_str(), FileOpenMode::ReadWriteCreate);
    ASSERT_NE(h, INVALID_FILE_HANDLE);
    FileClose(h);
    EXPECT_EQ(GetFileAttributesA(odd.c_str()), FILE_ATTRIBUTE_NORMAL);
}

TEST(FileAttributes, ModeBitsAndNames)
{
    TempFolder folder;
    const std::string path = folder.Write("a.jpg", "x");
    const std::string hidden = folder.Write(".hidden.jpg", "x");
    EXPECT_EQ(GetFileAttributesA(path.c_str()), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(GetFileAttributesA(hidden.c_str()), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(GetFileAttributesA(folder.Path().c_str()), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributesA(folder.File("missing").c_str()), INVALID_FILE_ATTRIBUTES);

    ASSERT_TRUE(SetFileMode(path.c_str(), 0640));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    std::uint32_t mode = 0;
    ASSERT_TRUE(GetFileMode(path.c_str(), &mode));
    EXPECT_EQ(mode, 0440u);  // only the owner's write bit changed
    EXPECT_EQ(GetFileAttributesA(path.c_str()), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL));
    ASSERT_TRUE(GetFileMode(path.c_str(), &mode));
    EXPECT_EQ(mode, 0640u);
}

TEST(FileTimes, LastWriteAndAccessSetSeparately)
{
    TempFolder folder;
    const std::string path = folder.Write("a.jpg", "x");
    const FILETIME write = FileTimeFromUnix(1165435507, 123456700);  // 2006-12-06 20:05:07 UTC
    const FILETIME access = FileTimeFromUnix(1000000000, 0);
    ASSERT_TRUE(SetFileTimeByPath(path.c_str(), nullptr, &access, &write));

    FolderSearch search;
    FindData data;
    ASSERT_TRUE(search.First((folder.Path() + "/").c_str(), "a.jpg", &data));
    EXPECT_EQ(FileTimeToU64(data.ftLastWriteTime), FileTimeToU64(write));
    EXPECT_EQ(FileTimeToU64(data.ftLastAccessTime), FileTimeToU64(access));

    // An absent time is left alone; a creation time is ignored.
    const FILETIME later = FileTimeFromUnix(1200000000, 0);
    const int h = FileOpen(path.c_str(), FileOpenMode::WriteExistingShared);
    ASSERT_NE(h, INVALID_FILE_HANDLE);
    ASSERT_TRUE(SetFileTimeByHandle(h, &later, nullptr, &later));
    FileClose(h);
    ASSERT_TRUE(search.First((folder.Path() + "/").c_str(), "a.jpg", &data));
    EXPECT_EQ(FileTimeToU64(data.ftLastWriteTime), FileTimeToU64(later));
    EXPECT_EQ(FileTimeToU64(data.ftLastAccessTime), FileTimeToU64(access));

    const FILETIME invalid = U64ToFileTime(0x8000000000000000ull);
    EXPECT_FALSE(SetFileTimeByPath(path.c_str(), nullptr, nullptr, &invalid));
}

TEST(ModulePath, NamesThisProgram)
{
    const std::string path = GetModuleFileNameA();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_NE(path.find("test_platform"), std::string::npos);
}
