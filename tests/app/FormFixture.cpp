#include "FormFixture.h"

#include "app/Uutils.h"

#include <fstream>

std::vector<ShownMessage> FormFixture::s_messages;
int FormFixture::s_nAnswer = IDOK;
int FormFixture::s_nCaptureDateAnswer = IDFILETIMESONLY;

void PrintTo(const QString& text, std::ostream* pStream)
{
    *pStream << '"' << text.toStdString() << '"';
}

int FormFixture::Answer(QWidget*, const char* pszText, const char* pszCaption, MsgButtons buttons,
                        MsgIcon icon)
{
    s_messages.push_back({pszText, pszCaption, buttons, icon});
    return buttons == MsgButtons::FileTimesExifCancel ? s_nCaptureDateAnswer : s_nAnswer;
}

void FormFixture::SetUp()
{
    s_messages.clear();
    s_nAnswer = IDOK;
    s_nCaptureDateAnswer = IDFILETIMESONLY;
    g_pfnMessageBoxHook = &Answer;
    std::filesystem::create_directory(Photos());
    TFormMain::SetSettingsPath(IniPath().c_str());
}

void FormFixture::TearDown()
{
    if (m_pForm) {
        m_pForm->m_bChanged = false;
        m_pForm->close();
        m_pForm.reset();
    }
    g_pfnMessageBoxHook = nullptr;
    TFormMain::SetSettingsPath("");
}

void FormFixture::WriteSettings(const std::string& strForm, const std::string& strSettings)
{
    std::ofstream(IniPath()) << "[Form]\n" << strForm << "[Settings]\nFolder=" << Photos() << "\n"
                             << strSettings;
}

TFormMain& FormFixture::Open()
{
    m_pForm = std::make_unique<TFormMain>();
    m_pForm->show();
    return *m_pForm;
}

FILETIME FormFixture::Local(WORD wYear, WORD wMonth, WORD wDay, WORD wHour, WORD wMinute, WORD wSecond)
{
    const SYSTEMTIME st{wYear, wMonth, 0, wDay, wHour, wMinute, wSecond, 0};
    FILETIME ft{};
    EXPECT_TRUE(SystemTimeToFileTime(&st, &ft));
    return ft;
}

QString FormFixture::Text(const FILETIME& ft)
{
    char szText[100];
    FileTimeToText(ft, szText, sizeof szText);
    return QString::fromUtf8(szText);
}

void FormFixture::Photo(const std::string& name, WORD wYear, WORD wMonth, WORD wDay, WORD wHour,
                        WORD wMinute, WORD wSecond)
{
    const std::string strPath = Photos() + "/" + name;
    std::ofstream(strPath) << "not really a picture";
    const FILETIME ftLocal = Local(wYear, wMonth, wDay, wHour, wMinute, wSecond);
    FILETIME ftUtc{};
    ASSERT_TRUE(LocalFileTimeToFileTime(&ftLocal, &ftUtc));
    ASSERT_TRUE(SetFileTimeByPath(strPath.c_str(), nullptr, nullptr, &ftUtc));
}

QStringList FormFixture::Column(int nColumn) const
{
    QStringList texts;
    for (int i = 0; i < m_pForm->ListViewFiles->topLevelItemCount(); ++i)
        texts << m_pForm->ListViewFiles->topLevelItem(i)->text(nColumn);
    return texts;
}

QTreeWidgetItem* FormFixture::Row(const char* pszName) const
{
    for (int i = 0; i < m_pForm->ListViewFiles->topLevelItemCount(); ++i) {
        if (m_pForm->ListViewFiles->topLevelItem(i)->text(0) == QString::fromUtf8(pszName))
            return m_pForm->ListViewFiles->topLevelItem(i);
    }
    ADD_FAILURE() << "no row " << pszName;
    return nullptr;
}

void FormFixture::Select(std::initializer_list<const char*> names)
{
    m_pForm->ListViewFiles->clearSelection();
    for (const char* pszName : names)
        Row(pszName)->setSelected(true);
}
