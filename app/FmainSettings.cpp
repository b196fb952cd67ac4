// The settings file beside the executable: window bounds, preview panel width, column widths,
// file mask and folder, read once at start-up and written once at an accepted close.
#include "Fmain.h"

#include "../platform/winfile.h"
#include "../tx/UTxSettings.h"

#include <QHeaderView>
#include <QLayout>
#include <QLineEdit>
#include <QSplitter>
#include <QTreeWidget>

#include <algorithm>
#include <string>

TxString TFormMain::s_strSettingsPath;

namespace {

const char* const kFormSection = "Form";
const char* const kSettingsSection = "Settings";
const char* const kColumnKeys[3] = {"ColWidth0", "ColWidth1", "ColWidth2"};

// Stored numbers are applied as they are, only kept inside what the window system can place.
int Coordinate(int n) { return std::clamp(n, -32000, 32000); }
int Extent(int n) { return std::clamp(n, 0, 32000); }

}  // namespace

void TFormMain::SetSettingsPath(const char* pszPath) { s_strSettingsPath = pszPath; }

TxString TFormMain::SettingsPath()
{
    if (!s_strSettingsPath.IsEmpty())
        return s_strSettingsPath;
    std::string strPath = GetModuleFileNameA();
    if (strPath.empty())
        strPath = "velmora";
    const std::size_t nSlash = strPath.rfind('/');
    const std::size_t nDot = strPath.rfind('.');
    if (nDot != std::string::npos && (nSlash == std::string::npos || nDot > nSlash))
        strPath.erase(nDot);
    strPath += ".ini";
    return TxString(strPath.c_str());
}

void TFormMain::LoadSettings()
{
    const TxIniFile ini(SettingsPath().Text());
    move(Coordinate(ini.ReadInteger(kFormSection, "Left", x())), y());
    move(x(), Coordinate(ini.ReadInteger(kFormSection, "Top", y())));
    resize(Extent(ini.ReadInteger(kFormSection, "Width", width())), height());
    resize(width(), Extent(ini.ReadInteger(kFormSection, "Height", height())));
    layout()->activate();  // the splitter takes the new window size before the panel is set

    const int nPanelWidth = Extent(ini.ReadInteger(kFormSection, "ImgPanelWidth", PanelClient->width()));
    Splitter->setSizes({nPanelWidth, std::max(1, Splitter->width() - Splitter->handleWidth() - nPanelWidth)});
    QHeaderView* pHeader = ListViewFiles->header();
    for (int i = 0; i < 3; ++i)
        pHeader->resizeSection(i, Extent(ini.ReadInteger(kFormSection, kColumnKeys[i], pHeader->sectionSize(i))));

    const QByteArray mask = EditMask->text().toUtf8();
    EditMask->setText(QString::fromUtf8(ini.ReadString(kSettingsSection, "Mask", mask.constData()).Text()));
    m_strFolder = ini.ReadString(kSettingsSection, "Folder", m_strFolder.Text());
}

void TFormMain::SaveSettings()
{
    TxIniFile ini(SettingsPath().Text());
    ini.WriteInteger(kFormSection, "Left", x());
    ini.WriteInteger(kFormSection, "Top", y());
    ini.WriteInteger(kFormSection, "Width", width());
    ini.WriteInteger(kFormSection, "Height", height());
    ini.WriteInteger(kFormSection, "ImgPanelWidth", PanelClient->width());
    const QHeaderView* pHeader = ListViewFiles->header();
    for (int i = 0; i < 3; ++i)
        ini.WriteInteger(kFormSection, kColumnKeys[i], pHeader->sectionSize(i));
    ini.WriteString(kSettingsSection, "Mask", EditMask->text().toUtf8().constData());
    ini.WriteString(kSettingsSection, "Folder", m_strFolder.Text());
}
