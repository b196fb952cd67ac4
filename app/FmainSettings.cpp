// The settings file: window bounds, preview panel width, column widths, file mask and folder,
// read once at start-up and written once at an accepted close. It lives beside the executable
// when that folder can be written (a copy run from its own folder keeps its settings with it),
// else in the user's configuration folder (an installed copy).
#include "Fmain.h"

#include "../platform/userfolders.h"
#include "../platform/winfile.h"
#include "../tx/UTxSettings.h"

#include <QHeaderView>
#include <QLayout>
#include <QLineEdit>
#include <QSplitter>
#include <QTreeWidget>

#include <algorithm>
#include <iterator>
#include <string>

TxString TFormMain::s_strSettingsPath;

namespace {

const char* const kFormSection = "Form";
const char* const kSettingsSection = "Settings";
const char* const kColumnKeys[] = {"ColWidth0", "ColWidth1", "ColWidth2", "ColWidth3"};

// Stored numbers are applied as they are, only kept inside what the window system can place.
int Coordinate(int n) { return std::clamp(n, -32000, 32000); }
int Extent(int n) { return std::clamp(n, 0, 32000); }

}  // namespace

void TFormMain::SetSettingsPath(const char* pszPath) { s_strSettingsPath = pszPath; }

TxString SettingsPathFor(const std::string& strExecutable)
{
    std::string strBeside = strExecutable.empty() ? std::string("velmora") : strExecutable;
    const std::size_t nSlash = strBeside.rfind('/');
    const std::size_t nDot = strBeside.rfind('.');
    if (nDot != std::string::npos && (nSlash == std::string::npos || nDot > nSlash))
        strBeside.erase(nDot);
    strBeside += ".ini";
    const std::string strFolder =
        nSlash == std::string::npos ? std::string(".") : nSlash == 0 ? std::string("/") : strBeside.substr(0, nSlash);
    const std::string strConfig = UserConfigFolder();
    if (IsFolderWritable(strFolder.c_str()) || strConfig.empty())
        return TxString(strBeside.c_str());
    return TxString((strConfig + "/velmora/velmora.ini").c_str());
}

TxString TFormMain::SettingsPath()
{
    if (!s_strSettingsPath.IsEmpty())
        return s_strSettingsPath;
    return SettingsPathFor(GetModuleFileNameA());
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
    for (int i = 0; i < int(std::size(kColumnKeys)); ++i)
        pHeader->resizeSection(i, Extent(ini.ReadInteger(kFormSection, kColumnKeys[i], pHeader->sectionSize(i))));

    const QByteArray mask = EditMask->text().toUtf8();
    EditMask->setText(QString::fromUtf8(ini.ReadString(kSettingsSection, "Mask", mask.constData()).Text()));
    m_strFolder = ini.ReadString(kSettingsSection, "Folder", m_strFolder.Text());
}

void TFormMain::SaveSettings()
{
    const TxString strPath = SettingsPath();
    // The configuration folder may not exist yet; a folder that cannot be made shows up as the
    // file that cannot be written.
    const std::string strFile = strPath.Text();
    const std::size_t nSlash = strFile.rfind('/');
    if (nSlash != std::string::npos && nSlash > 0)
        CreateFolderPath(strFile.substr(0, nSlash));
    TxIniFile ini(strPath.Text());
    ini.WriteInteger(kFormSection, "Left", x());
    ini.WriteInteger(kFormSection, "Top", y());
    ini.WriteInteger(kFormSection, "Width", width());
    ini.WriteInteger(kFormSection, "Height", height());
    ini.WriteInteger(kFormSection, "ImgPanelWidth", PanelClient->width());
    const QHeaderView* pHeader = ListViewFiles->header();
    for (int i = 0; i < int(std::size(kColumnKeys)); ++i)
        ini.WriteInteger(kFormSection, kColumnKeys[i], pHeader->sectionSize(i));
    ini.WriteString(kSettingsSection, "Mask", EditMask->text().toUtf8().constData());
    ini.WriteString(kSettingsSection, "Folder", m_strFolder.Text());
}
