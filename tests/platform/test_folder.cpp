// Folder enumeration: case-insensitive masks, dot entries, attributes and sizes.
#include "TempFolder.h"
#include "platform/winfile.h"
#include "platform/winmask.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace {

std::map<std::string, FindData> Search(const std::string& folder, const char* pszMask)
{
    std::map<std::string, FindData> found;
    FolderSearch search;
    FindData data;
    for (bool b = search.First(folder.c_str(), pszMask, &data); b; b = search.Next(&data))
        found[data.cFileName] = data;
    return found;
}

}  // namespace

TEST(FolderSearch, MasksMatchWithoutRegardToCase)
{
    TempFolder folder;
    folder.Write("a.jpg", "12345");
    folder.Write("B.JPG", "");
    folder.Write("c.jpeg", "");
    folder.Write("d.png", "");
    folder.Write(".hidden.jpg", "");
    std::filesystem::create_directory(folder.File("sub.jpg"));
    const std::string base = folder.Path() + "/";

    const auto jpgs = Search(base, "*.jpg");
    EXPECT_EQ(jpgs.size(), 4u);  // a.jpg, B.JPG, .hidden.jpg and the folder sub.jpg
    ASSERT_TRUE(jpgs.count("B.JPG"));
    EXPECT_EQ(jpgs.at("a.jpg").nFileSizeLow, 5u);
    EXPECT_EQ(jpgs.at("a.jpg").nFileSizeHigh, 0u);
    EXPECT_EQ(jpgs.at("a.jpg").dwFileAttributes, FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(jpgs.at(".hidden.jpg").dwFileAttributes, FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(jpgs.at("sub.jpg").dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);

    const auto all = Search(base, "*");
    EXPECT_EQ(all.size(), 8u);  // the six entries, "." and ".."
    ASSERT_TRUE(all.count(".") && all.count(".."));
    EXPECT_EQ(all.at("..").dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(Search(base, "?.PNG").size(), 1u);
    EXPECT_TRUE(Search(base, "*.gif").empty());
    EXPECT_TRUE(Search(base, "").empty());
}

TEST(FileMask, SplitsAtSemicolonsTrimsBlanksAndDropsEmptyPatterns)
{
    using Patterns = std::vector<std::string>;
    const struct {
        const char* pszMask;
        Patterns expected;
    } cases[] = {
        {"*.jpg", {"*.jpg"}},
        {"*.jpg;*.cr2;*.heic;*.mov", {"*.jpg", "*.cr2", "*.heic", "*.mov"}},
        {" *.jpg ;\t*.png\t; ", {"*.jpg", "*.png"}},
        {";;*.jpg;;", {"*.jpg"}},
        {"IMG 0001.jpg; a b.png", {"IMG 0001.jpg", "a b.png"}},  // blanks inside a pattern stay
        {"", {}},
        {" ; ;", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitFileMask(c.pszMask), c.expected) << "mask \"" << c.pszMask << "\"";
    EXPECT_TRUE(SplitFileMask(nullptr).empty());
}

TEST(FolderSearch, EachPatternOfAMaskMatchesAsAMaskOfItsOwn)
{
    TempFolder folder;
    for (const char* pszName : {"a.jpg", "B.CR2", "c.heic", "d.mov", "e.png", "f.jpg.txt"})
        folder.Write(pszName, "");
    const std::string base = folder.Path() + "/";
    const auto found = Search(base, "*.jpg; *.cr2 ;*.HEIC;;*.mov;");
    std::vector<std::string> names;
    for (const auto& entry : found)
        names.push_back(entry.first);
    EXPECT_EQ(names, (std::vector<std::string>{"B.CR2", "a.jpg", "c.heic", "d.mov"}));
    // A name matching two patterns is reported once.
    FolderSearch search;
    FindData data;
    int nReported = 0;
    for (bool b = search.First(base.c_str(), "*.jpg;a.*", &data); b; b = search.Next(&data))
        ++nReported;
    EXPECT_EQ(nReported, 1);
    EXPECT_TRUE(Search(base, " ; ").empty());
}

TEST(FolderSearch, MissingLongAndClosedSearches)
{
    TempFolder folder;
    FolderSearch search;
    FindData data;
    EXPECT_FALSE(search.First((folder.Path() + "/missing/").c_str(), "*", &data));
    EXPECT_FALSE(search.IsOpen());
    EXPECT_FALSE(search.First((folder.Path() + "/" + std::string(4000, 'd') + "/").c_str(), "*", &data));
    EXPECT_FALSE(search.First("", "*", &data));
    EXPECT_FALSE(search.Next(&data));

    // After the last entry the search stays ended.
    ASSERT_TRUE(search.First((folder.Path() + "/").c_str(), ".", &data));
    EXPECT_EQ(data.cFileName, ".");
    EXPECT_FALSE(search.Next(&data));
    EXPECT_FALSE(search.Next(&data));
    search.Close();
    EXPECT_FALSE(search.IsOpen());
}

TEST(FolderSearch, ADanglingLinkIsReportedNotSkipped)
{
    TempFolder folder;
    std::filesystem::create_symlink(folder.File("nowhere"), folder.File("link.jpg"));
    folder.Write("real.jpg", "abc");
    std::filesystem::create_symlink(folder.File("real.jpg"), folder.File("good.jpg"));
    const auto found = Search(folder.Path() + "/", "*.jpg");
    EXPECT_EQ(found.size(), 3u);
    ASSERT_TRUE(found.count("good.jpg"));
    EXPECT_EQ(found.at("good.jpg").nFileSizeLow, 3u);  // a link is described by its target
}

TEST(FolderSearch, EntriesComeInNameOrderWithoutRegardToCase)
{
    TempFolder folder;
    // Made in an order of their own; readdir gives yet another.
    for (const char* pszName : {"img_0010.jpg", "IMG_0002.JPG", "b.jpg", "Img_0003.jpg", "a.jpg",
                                "A.jpg", "img_0001.jpg", "\xC3\x81ja.jpg", "_x.jpg", "IMG_0002A.jpg"})
        folder.Write(pszName, "");
    FolderSearch search;
    FindData data;
    std::vector<std::string> names;
    for (bool b = search.First((folder.Path() + "/").c_str(), "*.jpg", &data); b; b = search.Next(&data))
        names.push_back(data.cFileName);
    const std::vector<std::string> expected = {"A.jpg", "a.jpg", "b.jpg", "img_0001.jpg", "IMG_0002.JPG",
                                               "IMG_0002A.jpg", "Img_0003.jpg", "img_0010.jpg", "_x.jpg",
                                               "\xC3\x81ja.jpg"};
    EXPECT_EQ(names, expected);
}
