// The locale's short date and 24-hour time, comparison and case change.
#include "platform/winlocale.h"

#include <clocale>
#include <gtest/gtest.h>
#include <string>

namespace {

// Switches the whole locale for one test and back afterwards.
class LocaleScope {
public:
    explicit LocaleScope(const char* pszName)
    {
        const char* pszOld = std::setlocale(LC_ALL, nullptr);
        m_strOld = pszOld ? pszOld : "C";
        m_bOk = std::setlocale(LC_ALL, pszName) != nullptr;
    }
    ~LocaleScope() { std::setlocale(LC_ALL, m_strOld.c_str()); }
    bool Ok() const { return m_bOk; }

private:
    std::string m_strOld;
    bool m_bOk = false;
};

SYSTEMTIME ChristmasEvening()
{
    SYSTEMTIME st{};
    st.wYear = 2006;
    st.wMonth = 12;
    st.wDay = 24;
    st.wDayOfWeek = 0;
    st.wHour = 17;
    st.wMinute = 5;
    st.wSecond = 9;
    return st;
}

std::string DateText(const SYSTEMTIME& st)
{
    char sz[100];
    return GetShortDateText(st, sz, sizeof sz) ? sz : "<failed>";
}

std::string TimeText(const SYSTEMTIME& st)
{
    char sz[100];
    return GetTime24Text(st, sz, sizeof sz) ? sz : "<failed>";
}

}  // namespace

TEST(LocaleTexts, CzechShortDateAndTime)
{
    LocaleScope scope("cs_CZ.UTF-8");
    ASSERT_TRUE(scope.Ok()) << "locales-all is needed";
    SYSTEMTIME st = ChristmasEvening();
    EXPECT_EQ(DateText(st), "24.12.2006");
    EXPECT_EQ(TimeText(st), "17:05:09");
    st.wMonth = 3;
    st.wDay = 6;
    st.wHour = 9;
    EXPECT_EQ(DateText(st), "6.3.2006");  // day and month without leading zeros
    EXPECT_EQ(TimeText(st), "09:05:09");
}

TEST(LocaleTexts, TwelveHourLocalesAreForcedToTwentyFourHours)
{
    LocaleScope scope("en_US.UTF-8");
    ASSERT_TRUE(scope.Ok());
    const SYSTEMTIME st = ChristmasEvening();
    EXPECT_EQ(DateText(st), "12/24/2006");
    EXPECT_EQ(TimeText(st), "17:05:09");
}

TEST(LocaleTexts, YearsHaveFourDigitsInEveryLocaleInItsOwnOrder)
{
    struct Case {
        const char* pszLocale;
        WORD wYear;
        const char* pszDate;
    };
    const Case cases[] = {
        {"C", 2026, "12/24/2026"},           {"C", 1926, "12/24/1926"},
        {"C.UTF-8", 2006, "12/24/2006"},     {"en_GB.UTF-8", 1926, "24/12/1926"},
        {"en_GB.UTF-8", 2026, "24/12/2026"}, {"cs_CZ.UTF-8", 1926, "24.12.1926"},
        {"de_DE.UTF-8", 2026, "24.12.2026"}, {"hu_HU.UTF-8", 2026, "2026-12-24"},
    };
    for (const Case& c : cases) {
        LocaleScope scope(c.pszLocale);
        ASSERT_TRUE(scope.Ok()) << c.pszLocale;
        SYSTEMTIME st = ChristmasEvening();
        st.wYear = c.wYear;
        EXPECT_EQ(DateText(st), c.pszDate) << c.pszLocale;
    }
}

TEST(LocaleTexts, TooSmallBufferGivesEmptyText)
{
    LocaleScope scope("C");
    const SYSTEMTIME st = ChristmasEvening();
    char sz[16] = "xxxxxxx";
    EXPECT_FALSE(GetShortDateText(st, sz, 10));  // "12/24/2006" needs 11
    EXPECT_STREQ(sz, "");
    EXPECT_TRUE(GetShortDateText(st, sz, 11));
    EXPECT_STREQ(sz, "12/24/2006");
    EXPECT_FALSE(GetTime24Text(st, sz, 0));
}

TEST(LocaleText, CaseChangeKeepsInvalidBytes)
{
    LocaleScope scope("cs_CZ.UTF-8");
    ASSERT_TRUE(scope.Ok());
    EXPECT_EQ(CharUpperText("žluťoučký kůň"), "ŽLUŤOUČKÝ KŮŇ");
    EXPECT_EQ(CharLowerText("ŽLUŤOUČKÝ KŮŇ"), "žluťoučký kůň");
    // A lone byte, a cut-off sequence and an over-long form stay as they are.
    EXPECT_EQ(CharUpperText("a\xff" "b\xc3"), "A\xff" "B\xc3");
    EXPECT_EQ(CharUpperText("x\xc0\xafy"), "X\xc0\xafY");
    EXPECT_EQ(CharUpperText(std::string("a\0b", 3)), std::string("A\0B", 3));
    EXPECT_EQ(CharLowerText(""), "");
}

TEST(LocaleText, Comparison)
{
    LocaleScope scope("cs_CZ.UTF-8");
    ASSERT_TRUE(scope.Ok());
    EXPECT_EQ(lstrcmpiA("Fotky", "FOTKY"), 0);
    EXPECT_EQ(lstrcmpiA("Čáp", "čÁP"), 0);
    EXPECT_NE(lstrcmpA("Fotky", "FOTKY"), 0);
    EXPECT_LT(lstrcmpiA("abc", "ABD"), 0);
    EXPECT_GT(lstrcmpA("chata", "hrad"), 0);  // Czech sorts "ch" after "h"
    EXPECT_EQ(lstrcmpA(nullptr, ""), 0);
}
