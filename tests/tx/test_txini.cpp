// TxIniFile: reading and rewriting single keys, odd and broken files.
#include "TempFolder.h"
#include "tx/UTxBase.h"
#include "tx/UTxSettings.h"

#include <gtest/gtest.h>
#include <string>

TEST(TxIniFile, FirstWriteCreatesAndKeysAreRewrittenInPlace)
{
    TempFolder folder;
    const std::string path = folder.File("velmora.ini");
    TxIniFile ini(path.c_str());
    EXPECT_EQ(ini.ReadInteger("Form", "Left", 115), 115);
    EXPECT_STREQ(ini.ReadString("Settings", "Mask", "*.jpg").Text(), "*.jpg");

    ini.WriteInteger("Form", "Left", 115);
    ini.WriteInteger("Form", "Top", -26);
    ini.WriteString("Settings", "Mask", "*.jpg");
    ini.WriteString("Settings", "Folder", "/home/anna/Fotky 2006");
    EXPECT_EQ(TempFolder::Read(path),
              "[Form]\nLeft=115\nTop=-26\n[Settings]\nMask=*.jpg\nFolder=/home/anna/Fotky 2006\n");

    ini.WriteInteger("form", "LEFT", 200);  // sections and keys without regard to case
    EXPECT_EQ(TempFolder::Read(path),
              "[Form]\nLeft=200\nTop=-26\n[Settings]\nMask=*.jpg\nFolder=/home/anna/Fotky 2006\n");
    EXPECT_EQ(ini.ReadInteger("FORM", "top", 0), -26);
    EXPECT_STREQ(ini.ReadString("settings", "folder", "").Text(), "/home/anna/Fotky 2006");
    ini.WriteString("Settings", "Folder", "");
    EXPECT_STREQ(ini.ReadString("Settings", "Folder", "x").Text(), "");
    // A value is one line: what follows a line break is not stored.
    ini.WriteString("Settings", "Mask", "*.jpg\n[Evil]");
    EXPECT_STREQ(ini.ReadString("Settings", "Mask", "").Text(), "*.jpg");
    EXPECT_EQ(ini.ReadString("Evil", "x", "none").Equals("none"), true);
}

TEST(TxIniFile, TextsComeBackWithTheirBlanksAndOldFilesReadAsBefore)
{
    TempFolder folder;
    const std::string path = folder.File("velmora.ini");
    TxIniFile ini(path.c_str());
    const char* const values[] = {" Fotky", "Fotky ", "  /a b  ", "\t*.jpg", "\"quoted\"", "\" x \"",
                                  "\"", "\"open", "close\"", "a \"b\" c", "", " ", "plain"};
    for (const char* pszValue : values) {
        ini.WriteString("Settings", "Folder", pszValue);
        EXPECT_STREQ(ini.ReadString("Settings", "Folder", "-").Text(), pszValue) << TempFolder::Read(path);
    }
    ini.WriteString("Settings", "Mask", " *.jpg");
    ini.WriteString("Settings", "Folder", "/home/anna/Fotky 2006");
    EXPECT_EQ(TempFolder::Read(path), "[Settings]\nFolder=/home/anna/Fotky 2006\nMask=\" *.jpg\"\n")
        << "quotes only where they are needed";

    // A file written before: blanks around a value are trimmed, inner quotes kept.
    const std::string old = folder.Write("old.ini", "[Settings]\nMask =  *.jpg \r\nFolder=/a \"b\"\n");
    TxIniFile oldIni(old.c_str());
    EXPECT_STREQ(oldIni.ReadString("Settings", "Mask", "").Text(), "*.jpg");
    EXPECT_STREQ(oldIni.ReadString("Settings", "Folder", "").Text(), "/a \"b\"");
}

TEST(TxIniFile, ForeignFilesKeepTheirShape)
{
    TempFolder folder;
    const std::string path = folder.Write("a.ini", "; comment\r\n[Form]\r\nLeft = 10 \r\n\r\n[Other]\r\nx=1\r\n");
    TxIniFile ini(path.c_str());
    EXPECT_EQ(ini.ReadInteger("Form", "Left", 0), 10);
    ini.WriteInteger("Form", "Width", 800);
    ini.WriteInteger("Form", "Left", 11);
    EXPECT_EQ(TempFolder::Read(path),
              "; comment\r\n[Form]\r\nLeft = 11\r\nWidth=800\r\n\r\n[Other]\r\nx=1\r\n");

    // A file without a final line break gets one before a new section.
    const std::string bare = folder.Write("b.ini", "[A]\nk=v");
    TxIniFile b(bare.c_str());
    b.WriteString("B", "k", "w");
    EXPECT_EQ(TempFolder::Read(bare), "[A]\nk=v\n[B]\nk=w\n");
}

TEST(TxIniFile, IntegersDecimalOrHexElseMissing)
{
    TempFolder folder;
    const std::string path = folder.Write(
        "n.ini",
        "[N]\na=42\nb=0x1F\nc=$ff\nd=-7\ne=12abc\nf=\ng=2147483647\nh=2147483648\ni=-2147483648\n"
        "j=99999999999999999999999\nk=0x\nl= 5\nm=$FFFFFFFF\n");
    TxIniFile ini(path.c_str());
    EXPECT_EQ(ini.ReadInteger("N", "a", 0), 42);
    EXPECT_EQ(ini.ReadInteger("N", "b", 0), 31);
    EXPECT_EQ(ini.ReadInteger("N", "c", 0), 255);
    EXPECT_EQ(ini.ReadInteger("N", "d", 0), -7);
    EXPECT_EQ(ini.ReadInteger("N", "e", 1), 1);
    EXPECT_EQ(ini.ReadInteger("N", "f", 1), 1);
    EXPECT_EQ(ini.ReadInteger("N", "g", 0), 2147483647);
    EXPECT_EQ(ini.ReadInteger("N", "h", 1), 1);
    EXPECT_EQ(ini.ReadInteger("N", "i", 0), -2147483647 - 1);
    EXPECT_EQ(ini.ReadInteger("N", "j", 1), 1);
    EXPECT_EQ(ini.ReadInteger("N", "k", 1), 1);
    EXPECT_EQ(ini.ReadInteger("N", "l", 0), 5);
    EXPECT_EQ(ini.ReadInteger("N", "m", 1), 1);
    EXPECT_EQ(ini.ReadInteger("N", "missing", 3), 3);
}

TEST(TxIniFile, BrokenFilesGiveDefaults)
{
    TempFolder folder;
    using namespace std::string_literals;
    const std::string binary =
        folder.Write("bin.ini", "[Fo\0rm]\nLeft=1\n[Form]\nLeft=\0\xff\nTop=5\n[Form]\nWidth=1"s);
    TxIniFile ini(binary.c_str());
    EXPECT_EQ(ini.ReadInteger("Form", "Left", 7), 7);
    EXPECT_EQ(ini.ReadInteger("Form", "Top", 7), 5);
    EXPECT_EQ(ini.ReadInteger("Form", "Width", 7), 7);  // only the first section of a name counts
    const std::string truncated = folder.Write("t.ini", "[Form]\nLeft=1");
    EXPECT_EQ(TxIniFile(truncated.c_str()).ReadInteger("Form", "Left", 0), 1);
    EXPECT_EQ(TxIniFile(folder.Write("e.ini", "").c_str()).ReadInteger("Form", "Left", 9), 9);
    EXPECT_EQ(TxIniFile(folder.Write("x.ini", "[").c_str()).ReadInteger("", "", 9), 9);

    // A huge file is not taken for a settings file, neither read nor overwritten.
    const std::string huge = folder.Write("huge.ini", "[Form]\nLeft=3\n" + std::string(2 << 20, '#'));
    TxIniFile big(huge.c_str());
    EXPECT_EQ(big.ReadInteger("Form", "Left", 0), 0);
    EXPECT_THROW(big.WriteInteger("Form", "Left", 1), ExNormal);
    EXPECT_EQ(TempFolder::Read(huge).size(), 14u + (2u << 20));
}

TEST(TxIniFile, UnwritableFileRaisesWithThePath)
{
    TempFolder folder;
    const std::string path = folder.Path() + "/missing/velmora.ini";
    TxIniFile ini(path.c_str());
    try {
        ini.WriteInteger("Form", "Left", 1);
        FAIL() << "nothing raised";
    } catch (const ExNormal& e) {
        EXPECT_EQ(std::string(e.Message()), "Unable to write to " + path);
    }
    TxIniFile onFolder(folder.Path().c_str());
    EXPECT_THROW(onFolder.WriteString("A", "b", "c"), ExNormal);
    EXPECT_EQ(onFolder.ReadInteger("A", "b", 4), 4);
}
