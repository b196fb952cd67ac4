// TxString: buffer sizes, self-assignment and self-append, padding, CharAt bounds, case.
#include "tx/UTxStrings.h"

#include <clocale>
#include <gtest/gtest.h>
#include <string>

TEST(TxString, EmptyStringsHaveNoBufferButAText)
{
    TxString s;
    EXPECT_STREQ(s.Text(), "");
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.BufferSize(), 0);
    TxString n(nullptr);
    EXPECT_NE(n.Text(), nullptr);
    s.Assign("abc");
    s.Assign("");
    EXPECT_EQ(s.Length(), 0);
    EXPECT_EQ(s.BufferSize(), 0);
    EXPECT_STREQ(s.Text(), "");
    s.Append(static_cast<const char*>(nullptr));
    s.Append(TxString());
    EXPECT_TRUE(s.IsEmpty());
}

TEST(TxString, BufferGrowsInSixteens)
{
    EXPECT_EQ(TxString("123456789012345").BufferSize(), 16);
    EXPECT_EQ(TxString("1234567890123456").BufferSize(), 32);
    EXPECT_EQ(TxString("1").BufferSize(), 16);
    TxString s("/photos");
    s.Append("/");
    EXPECT_STREQ(s.Text(), "/photos/");
    EXPECT_EQ(s.Length(), 8);
    TxString big(std::string(40, 'x').c_str());
    big.SetLength(3);  // cut in place: the larger buffer stays
    EXPECT_EQ(big.BufferSize(), 48);
    EXPECT_STREQ(big.Text(), "xxx");
}

TEST(TxString, OwnTextMayBeAssignedAndAppended)
{
    TxString s("abcdefghijklmnopq");  // 17 characters: buffer of 32
    s.Append(s);
    EXPECT_STREQ(s.Text(), "abcdefghijklmnopqabcdefghijklmnopq");
    EXPECT_EQ(s.Length(), 34);
    s.Append(s.Text() + 30);
    EXPECT_STREQ(s.Text(), "abcdefghijklmnopqabcdefghijklmnopqnopq");
    s.Assign(s.Text() + 34);
    EXPECT_STREQ(s.Text(), "nopq");
    TxString& alias = s;
    s = alias;
    EXPECT_STREQ(s.Text(), "nopq");
    s.Assign(s);
    EXPECT_STREQ(s.Text(), "nopq");
    TxString copy(s);
    copy.Append("!");
    EXPECT_STREQ(s.Text(), "nopq");  // deep copies
    EXPECT_STREQ(copy.Text(), "nopq!");
}

TEST(TxString, SetLengthPadsAndCuts)
{
    TxString s("abc");
    s.SetLength(5);
    EXPECT_STREQ(s.Text(), "abc  ");
    EXPECT_EQ(s.Length(), 5);
    s.Assign("abcd");
    s.SetLength(2);
    EXPECT_STREQ(s.Text(), "ab");
    s.SetLength(0);
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.BufferSize(), 0);
    s.SetLength(-3);
    EXPECT_TRUE(s.IsEmpty());
    s.SetLength(3);
    EXPECT_STREQ(s.Text(), "   ");
}

TEST(TxString, CharAtOutOfRangeReadsTheFirstCharacter)
{
    TxString s("xyz");
    EXPECT_EQ(s.CharAt(0), 'x');
    EXPECT_EQ(s.CharAt(99), 'x');
    EXPECT_EQ(s.CharAt(-1), 'x');
    EXPECT_EQ(s.CharAt(3), 'z');
    s.CharAt(2) = 'Y';
    EXPECT_STREQ(s.Text(), "xYz");

    // On an empty string the stand-in terminator may be written without harm.
    TxString e;
    EXPECT_EQ(e.CharAt(1), '\0');
    e.CharAt(1) = 'q';
    EXPECT_STREQ(e.Text(), "");
    EXPECT_STREQ(TxString().Text(), "");
    EXPECT_EQ(e.CharAt(5), '\0');
}

TEST(TxString, EqualsIsExact)
{
    TxString s("abc");
    EXPECT_FALSE(s.Equals("ABC"));
    EXPECT_TRUE(s.Equals("abc"));
    EXPECT_FALSE(s.Equals("abcd"));
    EXPECT_FALSE(s.Equals(static_cast<const char*>(nullptr)));
    EXPECT_TRUE(TxString().Equals(static_cast<const char*>(nullptr)));
    EXPECT_TRUE(TxString().Equals(""));
    EXPECT_TRUE(TxString().Equals(TxString("")));
    EXPECT_TRUE(s.Equals(TxString("abc")));
    EXPECT_FALSE(s.Equals(TxString("abd")));
}

TEST(TxString, CaseChangeThroughTheLocale)
{
    const std::string old = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "cs_CZ.UTF-8"), nullptr);
    TxString s("Dcim Čáp \xff");
    s.ToUpper();
    EXPECT_STREQ(s.Text(), "DCIM ČÁP \xff");
    s.ToLower();
    EXPECT_STREQ(s.Text(), "dcim čáp \xff");
    TxString e;
    e.ToUpper();
    EXPECT_TRUE(e.IsEmpty());
    std::setlocale(LC_ALL, old.c_str());
}
