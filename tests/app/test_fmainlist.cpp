// The file list: scan, sorting by column, selection with the preview request, folder button.
#include "FormFixture.h"

#include "ReceivedLog.h"
#include "app/Ulang.h"
#include "app/Upreview.h"
#include "imaging/ImageDecoder.h"
#include "tree/FTree.h"
#include "tx/UTxUtils.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>

using FileListTest = FormFixture;

namespace {

// The path requested since the last call, or "" when nothing was requested. (The preview
// worker only reads the request buffer, so emptying it marks what is new.)
std::string TakeRequest()
{
    std::lock_guard<std::mutex> lock(hPathMutex);
    const std::string strPath = szRequestPath;
    szRequestPath[0] = '\0';
    return strPath;
}

}  // namespace

TEST_F(FileListTest, ScanListsTheMatchingFilesOfTheFolderOnly)
{
    Photo("a.jpg", 2006, 12, 24, 17, 5, 9);
    Photo("B.JPG", 2006, 7, 1, 8, 0, 0);
    Photo("d.png", 2006, 7, 1);
    std::filesystem::create_directories(Photos() + "/c.jpg");
    std::filesystem::create_directories(Photos() + "/sub");
    Photo("sub/e.jpg", 2006, 7, 1);
    WriteSettings();

    std::vector<std::string> records;
    TFormMain* pForm = nullptr;
    {
        ReceivedLog log;  // the receiver is connected for the start-up's scan only
        EXPECT_TRUE(log.Connected());
        pForm = &Open();
        records = log.Texts();
    }
    TFormMain& form = *pForm;

    QStringList names = Column(0);
    names.sort();
    EXPECT_EQ(names, (QStringList{"B.JPG", "a.jpg"}));
    EXPECT_EQ(Row("a.jpg")->text(1), Text(Local(2006, 12, 24, 17, 5, 9)));
    EXPECT_EQ(Row("B.JPG")->text(1), Text(Local(2006, 7, 1, 8, 0, 0)));
    EXPECT_EQ(Column(2), (QStringList{" ", " "}));
    const COneFile& file = *TFormMain::FileOfRow(Row("a.jpg"));
    EXPECT_TRUE(file.m_ftOriginal == Local(2006, 12, 24, 17, 5, 9));
    EXPECT_TRUE(file.m_ftNew == file.m_ftOriginal);
    EXPECT_EQ(file.m_dwFlags, 0u);
    EXPECT_STREQ(form.FullPath(file).Text(), (Photos() + "/a.jpg").c_str());
    EXPECT_FALSE(form.ButtonApply->isEnabled());
    EXPECT_NE(std::find(records.begin(), records.end(), "Found file a.jpg"), records.end());
    EXPECT_NE(std::find(records.begin(), records.end(), "Found file B.JPG"), records.end());

    // A name that is not UTF-8 is listed, and its path keeps the name's own bytes.
    const std::string strOdd = "odd\xff\xfe.jpg";
    std::ofstream(Photos() + "/" + strOdd) << "x";
    form.ScanFolder();
    ASSERT_EQ(form.ListViewFiles->topLevelItemCount(), 3);
    const COneFile* pOdd = nullptr;
    for (int i = 0; i < 3; ++i) {
        const COneFile* pFile = TFormMain::FileOfRow(form.ListViewFiles->topLevelItem(i));
        if (strOdd == pFile->m_strName.Text())
            pOdd = pFile;
    }
    ASSERT_NE(pOdd, nullptr);
    EXPECT_EQ(form.FullPath(*pOdd).Text(), Photos() + "/" + strOdd);

    // Another mask, an odd mask, a missing folder: the list follows, without a word.
    form.EditMask->setText("*.png");
    form.ScanFolder();
    EXPECT_EQ(Column(0), QStringList{"d.png"});
    form.EditMask->setText("[*?\\");
    form.ScanFolder();
    EXPECT_EQ(Column(0), QStringList{});
    form.EditMask->setText("*");
    form.m_strFolder = (Photos() + "/missing").c_str();
    form.ScanFolder();
    EXPECT_EQ(Column(0), QStringList{});
    EXPECT_TRUE(s_messages.empty());
}

TEST_F(FileListTest, ColumnClicksSortByNameBothWaysAndByTimeAscending)
{
    Photo("b.jpg", 2006, 3, 1);
    Photo("C.jpg", 2006, 1, 1);
    Photo("a.jpg", 2006, 2, 1);
    WriteSettings();
    TFormMain& form = Open();
    Select({"C.jpg"});
    form.BitBtnYearUp->click();  // C: 2007, the latest new time

    form.ListViewFilesColumnClick(0);
    EXPECT_EQ(Column(0), (QStringList{"a.jpg", "b.jpg", "C.jpg"}));
    form.ListViewFilesColumnClick(0);
    EXPECT_EQ(Column(0), (QStringList{"C.jpg", "b.jpg", "a.jpg"}));
    form.ListViewFilesColumnClick(0);
    EXPECT_EQ(Column(0), (QStringList{"a.jpg", "b.jpg", "C.jpg"}));
    for (int i = 0; i < 2; ++i) {
        form.ListViewFilesColumnClick(1);
        EXPECT_EQ(Column(0), (QStringList{"C.jpg", "a.jpg", "b.jpg"}));
    }
    for (int i = 0; i < 2; ++i) {
        form.ListViewFilesColumnClick(2);
        EXPECT_EQ(Column(0), (QStringList{"a.jpg", "b.jpg", "C.jpg"}));
    }
    EXPECT_TRUE(Row("C.jpg")->isSelected()) << "sorting keeps the selection";

    // A click on the header goes the same way; the sort order survives a rescan, the rows do not
    // get sorted by it.
    QTest::mouseClick(form.ListViewFiles->header()->viewport(), Qt::LeftButton, {},
                      QPoint(form.ListViewFiles->header()->sectionViewportPosition(0) + 5, 5));
    EXPECT_EQ(form.m_nSortMode, SORT_BY_NAME_ASC);
    form.ScanFolder();
    EXPECT_EQ(form.m_nSortMode, SORT_BY_NAME_ASC);
}

TEST_F(FileListTest, SelectionRequestsThePreviewOfTheTopRowOnceAndRefreshesTheButtons)
{
    Photo("a.jpg", 2006, 1, 1);
    Photo("b.jpg", 2006, 1, 2);
    Photo("c.jpg", 2006, 1, 3);
    WriteSettings();
    TakeRequest();  // left over from earlier tests
    TFormMain& form = Open();
    EXPECT_EQ(TakeRequest(), "") << "nothing is selected after the scan";

    Select({"b.jpg"});
    EXPECT_EQ(TakeRequest(), Photos() + "/b.jpg");
    EXPECT_TRUE(form.ButtonGetExif->isEnabled());
    EXPECT_TRUE(form.BitBtnHourUp->isEnabled());
    Select({"a.jpg"});
    EXPECT_EQ(TakeRequest(), Photos() + "/a.jpg");
    Select({"b.jpg"});
    EXPECT_EQ(TakeRequest(), Photos() + "/b.jpg");

    // Adding a row below keeps the top row: no new request. Two rows: one-row buttons go off.
    Row("c.jpg")->setSelected(true);
    EXPECT_EQ(TakeRequest(), "");
    EXPECT_FALSE(form.ButtonRefFile1->isEnabled());
    EXPECT_TRUE(form.ButtonTimeFromExif->isEnabled());

    // Everything unselected: every button that needs a row goes off at once.
    form.ListViewFiles->clearSelection();
    EXPECT_FALSE(form.ButtonTimeFromExif->isEnabled());
    EXPECT_FALSE(form.BitBtnSecondDown->isEnabled());
    EXPECT_FALSE(form.ButtonGetExif->isEnabled());
    Select({"b.jpg"});
    EXPECT_EQ(TakeRequest(), "") << "the same file is not requested twice in a row";

    // The preview follows the top row also when rows only become unselected. A plain click on
    // a row inside a selected block leaves that row alone selected: nothing became selected,
    // yet the picture shown must be that row's. A ctrl-click that unselects the top row of two
    // hands the preview to the row below.
    const auto click = [&](const char* pszName, Qt::KeyboardModifiers modifiers) {
        QTest::mouseClick(form.ListViewFiles->viewport(), Qt::LeftButton, modifiers,
                          form.ListViewFiles->visualItemRect(Row(pszName)).center());
    };
    Select({"a.jpg", "b.jpg", "c.jpg"});
    EXPECT_EQ(TakeRequest(), Photos() + "/a.jpg");
    click("b.jpg", Qt::NoModifier);
    EXPECT_EQ(form.SelectedCount(), 1);
    EXPECT_EQ(TakeRequest(), Photos() + "/b.jpg");
    click("c.jpg", Qt::ControlModifier);
    EXPECT_EQ(TakeRequest(), "") << "b.jpg is still the top row";
    click("b.jpg", Qt::ControlModifier);
    EXPECT_EQ(form.SelectedCount(), 1);
    EXPECT_EQ(TakeRequest(), Photos() + "/c.jpg");
    click("c.jpg", Qt::ControlModifier);
    EXPECT_EQ(form.SelectedCount(), 0);
    EXPECT_EQ(TakeRequest(), "") << "nothing is selected";

    // A rescan forgets the last request; the same file is requested again after it.
    form.ScanFolder();
    Select({"b.jpg"});
    EXPECT_EQ(TakeRequest(), Photos() + "/b.jpg");
}

TEST_F(FileListTest, APathTooLongForTheRequestIsNotRequested)
{
    std::string strDeep = Photos();
    while (strDeep.size() < 520)
        strDeep += "/" + std::string(60, 'd');
    std::filesystem::create_directories(strDeep);
    std::ofstream(strDeep + "/long.jpg") << "x";
    WriteSettings();
    TFormMain& form = Open();
    form.m_strFolder = strDeep.c_str();
    form.ScanFolder();
    TakeRequest();
    Select({"long.jpg"});
    EXPECT_EQ(TakeRequest(), "");
    EXPECT_EQ(form.SelectedCount(), 1);
}

namespace {

TxString g_strChosen;
int g_nTreeShown = 0;
TxString g_strOffered;

int ChooseFolder(TFormTree& form)
{
    ++g_nTreeShown;
    g_strOffered = form.m_strFolder;
    if (g_strChosen.IsEmpty())
        return 2;
    form.m_strFolder = g_strChosen;
    return 1;
}

}  // namespace

TEST_F(FileListTest, FolderButtonAsksAboutUnsavedChangesAndRescans)
{
    Photo("a.jpg", 2006, 1, 1);
    std::filesystem::create_directories(m_folder.File("Other"));
    std::ofstream(m_folder.File("Other/x.jpg")) << "x";
    WriteSettings();
    TFormMain& form = Open();
    FormTree = new TFormTree(&form);
    TFormTree::s_pfnModalHook = &ChooseFolder;
    g_nTreeShown = 0;

    // Unsaved changes and Cancel: nothing changes, the chooser is not even shown.
    Select({"a.jpg"});
    form.BitBtnDayUp->click();
    s_nAnswer = IDCANCEL;
    g_strChosen = m_folder.File("Other").c_str();
    form.ButtonSelectFolder->click();
    ASSERT_EQ(s_messages.size(), 1u);
    EXPECT_EQ(s_messages[0].strText, UiStrings[22]);
    EXPECT_EQ(s_messages[0].strCaption, UiStrings[20]);
    EXPECT_EQ(s_messages[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(g_nTreeShown, 0);
    EXPECT_EQ(Column(0), QStringList{"a.jpg"});
    EXPECT_NE(Column(2), QStringList{" "});
    EXPECT_TRUE(form.m_bChanged);

    // OK, then the chooser is cancelled: still nothing changes.
    s_nAnswer = IDOK;
    g_strChosen = TxString();
    form.ButtonSelectFolder->click();
    EXPECT_EQ(g_nTreeShown, 1);
    EXPECT_STREQ(g_strOffered.Text(), Photos().c_str());
    EXPECT_TRUE(form.m_bChanged);

    // OK and a folder: the new folder is listed and the changes are gone.
    g_strChosen = m_folder.File("Other").c_str();
    form.ButtonSelectFolder->click();
    EXPECT_EQ(Column(0), QStringList{"x.jpg"});
    EXPECT_FALSE(form.m_bChanged);
    EXPECT_EQ(form.LabelFolder->text(), QStringLiteral("Složka: ") + QString::fromStdString(m_folder.File("Other")));

    // Without changes nothing is asked.
    s_messages.clear();
    form.ButtonSelectFolder->click();
    EXPECT_TRUE(s_messages.empty());
    EXPECT_EQ(g_nTreeShown, 3);

    TFormTree::s_pfnModalHook = nullptr;
    delete FormTree;
    FormTree = nullptr;
}

TEST_F(FileListTest, AMaskOfSeveralPatternsListsEveryKindOfPictureAndEachOneDecodes)
{
    // Real files of each kind, made by ImageMagick and libheif's encoder.
    std::filesystem::create_directories(Photos());
    const std::string strPng = Photos() + "/c.png";
    const std::string commands[] = {
        "convert -size 64x48 xc:red '" + Photos() + "/a.jpg'",
        "convert -size 64x48 xc:green png24:'" + strPng + "'",
        "convert -size 64x48 xc:blue '" + Photos() + "/D.WEBP'",
        "heif-enc -q 80 '" + strPng + "' -o '" + Photos() + "/b.heic'",
    };
    for (const std::string& strCommand : commands)
        ASSERT_EQ(std::system((strCommand + " >/dev/null 2>&1").c_str()), 0) << strCommand;
    Photo("notes.txt", 2006, 1, 1);
    Photo("e.mov", 2006, 1, 1);
    WriteSettings();
    TFormMain& form = Open();
    EXPECT_EQ(Column(0), QStringList{"a.jpg"}) << "the default mask lists JPEG files only";

    form.EditMask->setText(" *.jpg;*.png; *.webp ;*.heic;");
    form.ScanFolder();
    QStringList names = Column(0);
    names.sort(Qt::CaseInsensitive);
    EXPECT_EQ(names, (QStringList{"a.jpg", "b.heic", "c.png", "D.WEBP"}));
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const TxString strPath = form.FullPath(*TFormMain::FileOfRow(Row(name.toUtf8().constData())));
        DWORD dwCount = 0;
        DecodePreviewImage(nullptr, nullptr, strPath.Text(), &dwCount);
        EXPECT_EQ(dwCount, 64u * 48u * 4u);
    }
}
