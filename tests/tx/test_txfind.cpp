// TxFindFile masks and folders, TxFileInfo and FileExists.
#include "TempFolder.h"
#include "tx/UTxDiskApi.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>

namespace {

std::set<std::string> Names(TxFindFile& find, bool bFound)
{
    std::set<std::string> names;
    for (; bFound; bFound = find.FindNext()) {
        TxFileInfo info;
        find.GetInfo(info);
        names.insert(info.m_strName.Text());
    }
    return names;
}

}  // namespace

TEST(TxFindFile, FolderGetsItsSlashAndMasksMatchAnyCase)
{
    TempFolder folder;
    folder.Write("IMG_1.JPG", "123");
    folder.Write("img_2.jpg", "");
    folder.Write("notes.txt", "");
    std::filesystem::create_directory(folder.File("Dcim"));

    TxFindFile without;
    EXPECT_EQ(Names(without, without.FindFirst(folder.Path().c_str(), "*.jpg")),
              (std::set<std::string>{"IMG_1.JPG", "img_2.jpg"}));
    EXPECT_STREQ(without.Folder().Text(), (folder.Path() + "/").c_str());
    TxFindFile with;
    EXPECT_EQ(Names(with, with.FindFirst((folder.Path() + "/").c_str(), "*.JPG")).size(), 2u);
    EXPECT_STREQ(with.Folder().Text(), (folder.Path() + "/").c_str());

    TxFindFile empty;
    empty.FindFirst("", "*");
    EXPECT_STREQ(empty.Folder().Text(), "/");  // an empty folder searches the root

    TxFindFile none;
    EXPECT_FALSE(none.FindFirst(folder.Path().c_str(), "*.gif"));
    EXPECT_FALSE(none.FindNext());
    TxFindFile missing;
    EXPECT_FALSE(missing.FindFirst((folder.Path() + "/missing").c_str(), "*"));
    TxFindFile longName;
    EXPECT_FALSE(longName.FindFirst((folder.Path() + "/" + std::string(4000, 'x')).c_str(), "*"));
}

TEST(TxFindFile, EntryDescriptions)
{
    TempFolder folder;
    folder.Write("IMG_1.JPG", "12345");
    folder.Write(".hidden", "");
    std::filesystem::create_directory(folder.File("Dcim"));

    TxFindFile find;
    int nDots = 0;
    for (bool b = find.FindFirst(folder.Path().c_str(), "*"); b; b = find.FindNext()) {
        TxFileInfo info;
        find.GetInfo(info);
        EXPECT_EQ(find.IsDirectory(), info.IsDirectory());
        const std::string name = info.m_strName.Text();
        if (name == "." || name == "..") {
            ++nDots;
            EXPECT_TRUE(info.IsDotEntry());
            EXPECT_FALSE(info.IsHidden());
        } else if (name == "IMG_1.JPG") {
            EXPECT_FALSE(info.IsDirectory());
            EXPECT_EQ(info.m_dwSizeLow, 5u);
            EXPECT_EQ(info.m_dwSizeHigh, 0u);
            EXPECT_GT(FileTimeToU64(info.m_ftLastWriteTime), 0u);
        } else if (name == ".hidden") {
            EXPECT_TRUE(info.IsHidden());
            EXPECT_FALSE(info.IsDotEntry());  // a hidden file, not a dot entry
        } else {
            EXPECT_EQ(name, "Dcim");
            EXPECT_TRUE(info.IsDirectory());
            EXPECT_FALSE(info.IsDotEntry());
        }
    }
    EXPECT_EQ(nDots, 2);
}

TEST(FileExists, FilesYesFoldersAndPatternsNo)
{
    TempFolder folder;
    const std::string file = folder.Write("a.jpg", "x");
    EXPECT_TRUE(FileExists(file.c_str()));
    EXPECT_FALSE(FileExists(folder.Path().c_str()));
    EXPECT_FALSE(FileExists(folder.File("missing.jpg").c_str()));
    EXPECT_FALSE(FileExists(folder.File("*.jpg").c_str()));  // no wildcard matching
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(nullptr));
    EXPECT_FALSE(FileExists((folder.Path() + "/" + std::string(4000, 'x')).c_str()));
}
