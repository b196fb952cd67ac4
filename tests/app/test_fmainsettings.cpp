// The settings file: read at start-up, written at close, defaults, odd contents.
#include "FormFixture.h"

#include "app/Fmain.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using SettingsTest = FormFixture;

namespace {

// The keys of a settings file in the order they appear.
std::vector<std::string> Keys(const std::string& strText)
{
    std::vector<std::string> keys;
    std::istringstream in(strText);
    for (std::string line; std::getline(in, line);)
        keys.push_back(line.substr(0, line.find('=')));
    return keys;
}

// Sets an environment variable (or removes it, for a null value) for one scope.
class EnvironmentScope {
public:
    EnvironmentScope(const char* pszName, const char* pszValue) : m_strName(pszName)
    {
        if (const char* pszOld = std::getenv(pszName))
            m_old = pszOld;
        Set(pszValue);
    }
    ~EnvironmentScope() { Set(m_old ? m_old->c_str() : nullptr); }

private:
    void Set(const char* pszValue)
    {
        if (pszValue != nullptr)
            setenv(m_strName.c_str(), pszValue, 1);
        else
            unsetenv(m_strName.c_str());
    }
    std::string m_strName;
    std::optional<std::string> m_old;
};

// While it lives, which folders may be written is answered as for an ordinary user, also when
// the tests run as root (whom no folder permission stops).
class OrdinaryUser {
public:
    OrdinaryUser() : m_bRoot(geteuid() == 0)
    {
        if (m_bRoot) {
            EXPECT_EQ(setreuid(65534, static_cast<uid_t>(-1)), 0);
        }
    }
    ~OrdinaryUser()
    {
        if (m_bRoot) {
            EXPECT_EQ(setreuid(0, static_cast<uid_t>(-1)), 0);
        }
    }

private:
    bool m_bRoot;
};

}  // namespace

TEST_F(SettingsTest, StoredValuesAreAppliedAtStartAndWrittenBackAtClose)
{
    Photo("a.jpeg", 2006, 1, 1);
    Photo("b.jpg", 2006, 1, 1);
    WriteSettings("Left=$20\nTop=0x30\nWidth=900\nHeight=500\nImgPanelWidth=300\nColWidth1=150\n"
                  "ColWidth2=12px\n",
                  "Mask=*.jpeg\n");
    TFormMain& form = Open();
    EXPECT_EQ(form.pos(), QPoint(32, 48));
    EXPECT_EQ(form.size(), QSize(900, 500));
    EXPECT_EQ(form.PanelClient->width(), 300);
    EXPECT_EQ(form.ListViewFiles->columnWidth(1), 150);
    const int nDefault = TFormMain().ListViewFiles->columnWidth(2);
    EXPECT_EQ(form.ListViewFiles->columnWidth(2), nDefault) << "an invalid number counts as missing";
    EXPECT_EQ(form.EditMask->text(), QStringLiteral("*.jpeg"));
    EXPECT_EQ(Column(0), QStringList{"a.jpeg"});

    form.EditMask->setText("*.JPG");  // edited without a rescan: still saved
    form.resize(820, 450);
    EXPECT_TRUE(form.close());
    const std::string strText = TempFolder::Read(IniPath());
    // Keys already in the file are rewritten where they stand; a new one joins its section.
    EXPECT_EQ(Keys(strText), (std::vector<std::string>{"[Form]", "Left", "Top", "Width", "Height",
                                                       "ImgPanelWidth", "ColWidth1", "ColWidth2",
                                                       "ColWidth0", "ColWidth3", "[Settings]", "Folder",
                                                       "Mask"}))
        << strText;
    EXPECT_NE(strText.find("Left=32\n"), std::string::npos) << strText;
    EXPECT_NE(strText.find("Width=820\n"), std::string::npos) << strText;
    EXPECT_NE(strText.find("ColWidth2=" + std::to_string(nDefault) + "\n"), std::string::npos) << strText;
    EXPECT_NE(strText.find("Mask=*.JPG\n"), std::string::npos) << strText;
    EXPECT_NE(strText.find("Folder=" + Photos() + "\n"), std::string::npos) << strText;
}

TEST_F(SettingsTest, AMissingFileGivesTheDesignDefaultsAndCloseWritesAllTenKeys)
{
    TFormMain& form = Open();
    EXPECT_EQ(form.pos(), QPoint(115, 126));
    EXPECT_EQ(form.size(), QSize(800, 439));
    EXPECT_EQ(form.PanelClient->width(), 265);
    EXPECT_EQ(form.EditMask->text(), QStringLiteral("*.jpg"));
    EXPECT_STREQ(form.m_strFolder.Text(), ExecutableFolder().Text());
    EXPECT_TRUE(form.close());
    const std::vector<std::string> keys = Keys(TempFolder::Read(IniPath()));
    EXPECT_EQ(keys, (std::vector<std::string>{"[Form]", "Left", "Top", "Width", "Height", "ImgPanelWidth",
                                              "ColWidth0", "ColWidth1", "ColWidth2", "ColWidth3", "[Settings]", "Mask",
                                              "Folder"}));
}

TEST_F(SettingsTest, TheEXIFDateColumnKeepsItsWidthLikeTheOthers)
{
    WriteSettings("ColWidth3=171\n");
    TFormMain& form = Open();
    EXPECT_EQ(form.ListViewFiles->columnWidth(3), 171);
    form.ListViewFiles->header()->resizeSection(3, 133);
    EXPECT_TRUE(form.close());
    EXPECT_NE(TempFolder::Read(IniPath()).find("ColWidth3=133\n"), std::string::npos);
}

TEST_F(SettingsTest, OddContentsGiveDefaultsOrLimitsNeverACrash)
{
    WriteSettings("Width=100\nHeight=-7\nLeft=99999999999\nImgPanelWidth=-5\nColWidth1=2147483647\n");
    TFormMain& form = Open();
    EXPECT_EQ(form.width(), 800) << "the minimum width holds";
    EXPECT_EQ(form.height(), 210) << "the minimum height holds";
    EXPECT_GE(form.PanelClient->width(), 0);
    EXPECT_STREQ(form.m_strFolder.Text(), Photos().c_str());
    m_pForm.reset();

    std::ofstream(IniPath(), std::ios::binary | std::ios::trunc) << std::string("\0\xff[Form\nWidth\n=\x01", 14);
    TFormMain& second = Open();
    EXPECT_EQ(second.size(), QSize(800, 439));
    EXPECT_EQ(second.EditMask->text(), QStringLiteral("*.jpg"));
    m_pForm.reset();

    // An empty folder stays empty: the listing then comes from the root.
    std::ofstream(IniPath(), std::ios::trunc) << "[Settings]\nFolder=\nMask=velmora-no-such-*\n";
    TFormMain& third = Open();
    EXPECT_STREQ(third.m_strFolder.Text(), "");
    EXPECT_EQ(third.LabelFolder->text(), QStringLiteral("Složka: "));
}

TEST_F(SettingsTest, SettingsThatCannotBeWrittenAreReportedAndTheWindowStillCloses)
{
    const std::string strBlocker = m_folder.Write("blocker", "a file, not a folder");
    const std::string strIni = strBlocker + "/velmora.ini";
    TFormMain::SetSettingsPath(strIni.c_str());
    TFormMain& form = Open();
    form.m_bChanged = true;
    EXPECT_TRUE(form.close());
    ASSERT_EQ(s_messages.size(), 2u);  // the close question, then the failure
    EXPECT_EQ(s_messages[1].strText, "Unable to write to " + strIni + ".");
    EXPECT_EQ(s_messages[1].strCaption, "Tirnavex");
    EXPECT_EQ(s_messages[1].icon, MsgIcon::Error);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(SettingsTest, AFolderOrPictureFromTheCommandLineIsListedInsteadOfTheStoredFolder)
{
    Photo("a.jpg", 2006, 1, 1);
    Photo("b.jpg", 2006, 1, 2);
    std::filesystem::create_directory(m_folder.File("Other"));
    m_folder.Write("Other/c.jpg", "x");
    WriteSettings();
    struct Case {
        std::string strPath;
        std::string strFolder;
        QStringList selected;
    };
    const Case cases[] = {
        {m_folder.File("Other"), m_folder.File("Other"), {}},
        {m_folder.File("Other") + "/", m_folder.File("Other"), {}},
        {Photos() + "/b.jpg", Photos(), {"b.jpg"}},
        {m_folder.File("missing"), Photos(), {}},  // gone: the stored folder
    };
    for (const Case& c : cases) {
        m_pForm = std::make_unique<TFormMain>();
        m_pForm->SetStartPath(c.strPath.c_str());
        m_pForm->show();
        EXPECT_STREQ(m_pForm->m_strFolder.Text(), c.strFolder.c_str()) << c.strPath;
        QStringList selected;
        for (QTreeWidgetItem* pItem : m_pForm->ListViewFiles->selectedItems())
            selected << pItem->text(0);
        EXPECT_EQ(selected, c.selected) << c.strPath;
        m_pForm.reset();
    }
}

TEST(SettingsPath, BesideAWritableProgramFolderElseInTheUserConfigurationFolder)
{
    TempFolder folder;
    std::filesystem::create_directory(folder.File("bin"));
    const std::string strExe = folder.File("bin/velmora");
    const std::string strConfig = folder.File("config") + "/velmora/velmora.ini";
    {
        EnvironmentScope xdg("XDG_CONFIG_HOME", folder.File("config").c_str());
        EXPECT_STREQ(SettingsPathFor(strExe).Text(), folder.File("bin/velmora.ini").c_str());
        EXPECT_STREQ(SettingsPathFor(folder.File("missing/velmora")).Text(), strConfig.c_str());
        ASSERT_EQ(chmod(folder.File("bin").c_str(), 0555), 0);
        OrdinaryUser user;
        EXPECT_STREQ(SettingsPathFor(strExe).Text(), strConfig.c_str()) << "a read-only program folder";
    }
    // Without a usable XDG_CONFIG_HOME: .config in the home folder.
    EnvironmentScope home("HOME", folder.File("home").c_str());
    const std::string strHomeConfig = folder.File("home") + "/.config/velmora/velmora.ini";
    for (const char* pszXdg : {static_cast<const char*>(nullptr), "", "relative/config"}) {
        EnvironmentScope xdg("XDG_CONFIG_HOME", pszXdg);
        EXPECT_STREQ(SettingsPathFor(folder.File("missing/velmora")).Text(), strHomeConfig.c_str());
    }
}

TEST_F(SettingsTest, TheConfigurationFolderIsMadeWhenTheSettingsAreFirstWritten)
{
    const std::string strIni = m_folder.File("config") + "/velmora/velmora.ini";
    TFormMain::SetSettingsPath(strIni.c_str());
    TFormMain& form = Open();
    form.EditMask->setText(" *.jpg ");
    EXPECT_TRUE(form.close());
    EXPECT_TRUE(s_messages.empty());
    EXPECT_EQ(std::filesystem::status(m_folder.File("config") + "/velmora").permissions(),
              std::filesystem::perms::owner_all);
    m_pForm.reset();
    TFormMain& second = Open();
    EXPECT_EQ(second.EditMask->text(), QStringLiteral(" *.jpg ")) << "blanks kept";
}

TEST(SettingsPath, IsTheProgramPathWithIniInPlaceOfItsExtension)
{
    TFormMain::SetSettingsPath("");
    const std::string strExe = GetModuleFileNameA();
    EXPECT_STREQ(TFormMain::SettingsPath().Text(), (strExe + ".ini").c_str());  // test_fmain has none
}
