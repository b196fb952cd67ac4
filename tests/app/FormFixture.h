// The main window offscreen, over a photo folder and a settings file the test makes; message
// boxes are answered by the test.
#pragma once

#include "TempFolder.h"
#include "app/Fmain.h"
#include "app/UMessageBox.h"
#include "platform/winfile.h"
#include "platform/wintime.h"

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <QTreeWidget>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

void PrintTo(const QString& text, std::ostream* pStream);

struct ShownMessage {
    std::string strText;
    std::string strCaption;
    MsgButtons buttons;
    MsgIcon icon;
};

class FormFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The settings file points the window at Photos(); extra lines go into its [Form] section.
    void WriteSettings(const std::string& strForm = "", const std::string& strSettings = "");
    TFormMain& Open();  // constructs and shows the window (its start-up runs)

    std::string Photos() const { return m_folder.File("Photos"); }
    std::string IniPath() const { return m_folder.File("velmora.ini"); }
    // A file in Photos() whose last-write time is the given local time.
    void Photo(const std::string& name, WORD wYear, WORD wMonth, WORD wDay, WORD wHour = 12,
               WORD wMinute = 0, WORD wSecond = 0);

    QStringList Column(int nColumn) const;
    QTreeWidgetItem* Row(const char* pszName) const;
    void Select(std::initializer_list<const char*> names);

    static FILETIME Local(WORD wYear, WORD wMonth, WORD wDay, WORD wHour = 12, WORD wMinute = 0,
                          WORD wSecond = 0);
    static QString Text(const FILETIME& ft);

    static int Answer(QWidget*, const char* pszText, const char* pszCaption, MsgButtons buttons,
                      MsgIcon icon);
    static std::vector<ShownMessage> s_messages;
    static int s_nAnswer;
    // The answer to the question before capture dates in EXIF would be replaced: its default
    // button unless a test says otherwise.
    static int s_nCaptureDateAnswer;

    TempFolder m_folder;
    std::unique_ptr<TFormMain> m_pForm;
};
