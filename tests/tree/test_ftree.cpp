// The folder chooser over a folder tree the test makes, with its own list of roots.
#include "tree/FTree.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <stdlib.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

// Readable failure messages for texts shown in the tree.
void PrintTo(const QString& text, std::ostream* pStream)
{
    *pStream << '"' << text.toStdString() << '"';
}

namespace {

fs::path g_root;  // the test's volume, listed as the second root after "/"

std::vector<VolumeRoot> TestRoots()
{
    return {VolumeRoot{"/", ""}, VolumeRoot{g_root.string(), "TESTVOL"}};
}

DWORD g_dwTicks = 0;
DWORD SlowTicks()
{
    return g_dwTicks += 600;  // every reading of the clock is 0.6 s later than the last
}

QTreeWidgetItem* Child(QTreeWidgetItem* pNode, const char* pszText)
{
    for (int i = 0; i < pNode->childCount(); ++i) {
        if (pNode->child(i)->text(0) == QString::fromUtf8(pszText))
            return pNode->child(i);
    }
    return nullptr;
}

QStringList Texts(QTreeWidgetItem* pNode)
{
    QStringList texts;
    for (int i = 0; i < pNode->childCount(); ++i)
        texts << pNode->child(i)->text(0);
    return texts;
}

class FormTreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/velmora-tree-XXXXXX";
        g_root = mkdtemp(pattern);
        for (const char* psz : {"Photos 2006/DCIM/100CANON/deep", "Photos 2006/IMG", "Photos/x", "photos",
                                ".hidden/inside", "zeta"})
            fs::create_directories(g_root / psz);
        std::ofstream(g_root / "file.txt") << "x";
        std::ofstream(g_root / "Photos 2006/DCIM/IMG_0001.JPG") << "x";
        TFormTree::s_pfnVolumeRoots = &TestRoots;
        m_form.m_strFolder = TxString();
    }
    void TearDown() override
    {
        TFormTree::s_pfnModalHook = nullptr;
        TFormTree::s_pfnTickCount = m_pfnTicks;
        fs::remove_all(g_root);
    }
    QTreeWidgetItem* TestRoot() { return m_form.TreeView->topLevelItem(1); }
    TxString Under(const char* pszRelative) { return TxString((g_root / pszRelative).c_str()); }
    TxString Selected()
    {
        QList<QTreeWidgetItem*> items = m_form.TreeView->selectedItems();
        return items.isEmpty() ? TxString("(none)") : m_form.NodePath(items.first());
    }

    TFormTree m_form;
    DWORD (*m_pfnTicks)() = TFormTree::s_pfnTickCount;
};

}  // namespace

TEST_F(FormTreeTest, RootsDisplayNamesAndHiddenFolders)
{
    m_form.FillDrives();
    ASSERT_EQ(m_form.TreeView->topLevelItemCount(), 2);
    EXPECT_EQ(m_form.TreeView->topLevelItem(0)->text(0), "/  ");
    EXPECT_EQ(TestRoot()->text(0), QString::fromStdString(g_root.string() + "  TESTVOL"));
    EXPECT_EQ(m_form.NodePath(m_form.TreeView->topLevelItem(0)).Text(), std::string("/"));
    EXPECT_EQ(m_form.NodePath(TestRoot()).Text(), g_root.string());

    // Folders only, sorted, without the hidden one or the file.
    EXPECT_EQ(Texts(TestRoot()), (QStringList{"Photos", "Photos 2006", "photos", "zeta"}));

    m_form.TreeView->expandItem(TestRoot());
    QTreeWidgetItem* pPhotos = Child(TestRoot(), "Photos 2006");
    ASSERT_NE(pPhotos, nullptr);
    EXPECT_EQ(Texts(pPhotos), (QStringList{"Dcim", "Img"}));
    // Shown in the design's form, but the path uses the folder's real name.
    EXPECT_STREQ(m_form.NodePath(Child(pPhotos, "Dcim")).Text(), Under("Photos 2006/DCIM").Text());
    EXPECT_STREQ(m_form.NodePath(Child(pPhotos, "Img")).Text(), Under("Photos 2006/IMG").Text());
}

TEST_F(FormTreeTest, LoadsOneLevelAheadAndRereadsOnCollapse)
{
    m_form.FillDrives();
    QTreeWidgetItem* pPhotos = Child(TestRoot(), "Photos 2006");
    ASSERT_NE(pPhotos, nullptr);
    EXPECT_EQ(pPhotos->childCount(), 0);  // the roots' first level only

    m_form.TreeView->expandItem(TestRoot());  // the user's expansion, through the tree's signal
    pPhotos = Child(TestRoot(), "Photos 2006");
    QTreeWidgetItem* pDcim = Child(pPhotos, "Dcim");
    ASSERT_NE(pDcim, nullptr);
    EXPECT_EQ(pDcim->childCount(), 0);  // grandchildren of the expanded node wait

    m_form.TreeView->expandItem(pPhotos);
    ASSERT_EQ(Texts(pDcim), QStringList{"100canon"});
    EXPECT_EQ(pDcim->child(0)->childCount(), 0);

    // Collapsing reads the node's children again, one level deep: a new folder appears and
    // what was loaded below the children is dropped.
    fs::create_directory(g_root / "Quince");
    m_form.TreeView->collapseItem(TestRoot());
    EXPECT_EQ(Texts(TestRoot()), (QStringList{"Photos", "Photos 2006", "Quince", "photos", "zeta"}));
    EXPECT_EQ(Child(TestRoot(), "Photos 2006")->childCount(), 0);

    // The keyboard's Left on an expanded node collapses it the same way.
    m_form.TreeView->expandItem(TestRoot());
    m_form.TreeView->setCurrentItem(TestRoot());
    fs::remove(g_root / "Quince");
    QTest::keyClick(m_form.TreeView, Qt::Key_Left);
    EXPECT_FALSE(TestRoot()->isExpanded());
    EXPECT_EQ(Texts(TestRoot()), (QStringList{"Photos", "Photos 2006", "photos", "zeta"}));
}

TEST_F(FormTreeTest, SelectPathWalksRealNamesAndStopsAtTheDeepestExistingFolder)
{
    m_form.FillDrives();
    QTreeWidgetItem* pFirst = m_form.TreeView->topLevelItem(0);

    // The longest root holding the path is taken, not "/", and each node on the way is expanded.
    m_form.SelectPath(Under("Photos 2006/DCIM/100CANON"), pFirst);
    EXPECT_STREQ(Selected().Text(), Under("Photos 2006/DCIM/100CANON").Text());
    QTreeWidgetItem* pCanon = m_form.TreeView->selectedItems().value(0);
    ASSERT_NE(pCanon, nullptr);
    EXPECT_EQ(pCanon->text(0), "100canon");
    EXPECT_EQ(pCanon->parent()->parent()->parent(), TestRoot());
    EXPECT_TRUE(pCanon->isExpanded());
    EXPECT_EQ(Texts(pCanon), QStringList{"deep"});  // expanded one level, so its child is loaded

    // An exact name wins over one that differs in case, wherever it sorts; without an exact
    // one, a name differing only in the case of A to Z is taken.
    m_form.SelectPath(Under("photos"), pFirst);
    EXPECT_STREQ(Selected().Text(), Under("photos").Text());
    m_form.SelectPath(Under("Photos"), pFirst);
    EXPECT_STREQ(Selected().Text(), Under("Photos").Text());
    m_form.SelectPath(Under("PHOTOS 2006/dcim//Img_none"), pFirst);
    EXPECT_STREQ(Selected().Text(), Under("Photos 2006/DCIM").Text());

    // A trailing "/" selects the root itself; "/" alone selects the root "/".
    m_form.SelectPath(TxString((g_root.string() + "/").c_str()), pFirst);
    EXPECT_EQ(m_form.TreeView->selectedItems().value(0), TestRoot());
    m_form.SelectPath(TxString(g_root.parent_path().c_str()), pFirst);  // below "/": no "//"
    EXPECT_STREQ(Selected().Text(), g_root.parent_path().c_str());
    m_form.SelectPath(TxString("/"), pFirst);
    EXPECT_EQ(m_form.TreeView->selectedItems().value(0), pFirst);
    EXPECT_STREQ(Selected().Text(), "/");

    // A path no root holds leaves the selection where it is.
    m_form.SelectPath(TxString("relative/path"), pFirst);
    m_form.SelectPath(TxString(""), pFirst);
    EXPECT_EQ(m_form.TreeView->selectedItems().value(0), pFirst);
}

TEST_F(FormTreeTest, NamesThatAreNotUtf8KeepTheirBytesInPaths)
{
    std::string odd = "Fotky \xC8""ervenec";  // a code-page-1250 name, not valid UTF-8
    fs::create_directory(g_root / odd);
    m_form.FillDrives();
    m_form.SelectPath(TxString((g_root / odd).c_str()), m_form.TreeView->topLevelItem(0));
    EXPECT_EQ(std::string(Selected().Text()), (g_root / odd).string());
}

TEST_F(FormTreeTest, OkAndCancelResults)
{
    // OK on the preselected folder: the captions were replaced and the folder comes back.
    m_form.m_strFolder = Under("Photos 2006/IMG");
    TFormTree::s_pfnModalHook = [](TFormTree& form) {
        EXPECT_EQ(form.windowTitle(), QString::fromUtf8("Složky"));
        EXPECT_EQ(form.ButtonOk->text(), "OK");
        EXPECT_EQ(form.ButtonCancel->text(), "Storno");
        form.ButtonOkClick();
        return form.result();
    };
    EXPECT_EQ(m_form.ShowModal(), 1);
    EXPECT_STREQ(m_form.m_strFolder.Text(), Under("Photos 2006/IMG").Text());

    // Cancel keeps the caller's folder.
    m_form.m_strFolder = Under("photos");
    TFormTree::s_pfnModalHook = [](TFormTree& form) {
        form.ButtonCancelClick();
        return form.result();
    };
    EXPECT_EQ(m_form.ShowModal(), 2);
    EXPECT_STREQ(m_form.m_strFolder.Text(), Under("photos").Text());

    // OK with nothing selected (a folder no root holds) gives the empty text.
    m_form.m_strFolder = TxString("nowhere");
    TFormTree::s_pfnModalHook = [](TFormTree& form) {
        EXPECT_TRUE(form.TreeView->selectedItems().isEmpty());
        form.ButtonOkClick();
        return form.result();
    };
    EXPECT_EQ(m_form.ShowModal(), 1);
    EXPECT_STREQ(m_form.m_strFolder.Text(), "");
}

TEST_F(FormTreeTest, KeysEndTheRealDialog)
{
    // Esc ends the shown dialog with 2 and the folder unchanged; Enter presses OK.
    m_form.m_strFolder = Under("zeta");
    QTimer::singleShot(0, &m_form, [this] { QTest::keyClick(&m_form, Qt::Key_Escape); });
    EXPECT_EQ(m_form.ShowModal(), 2);
    EXPECT_STREQ(m_form.m_strFolder.Text(), Under("zeta").Text());

    m_form.m_strFolder = Under("Photos");
    QTimer::singleShot(0, &m_form, [this] { QTest::keyClick(m_form.TreeView, Qt::Key_Return); });
    EXPECT_EQ(m_form.ShowModal(), 1);
    EXPECT_STREQ(m_form.m_strFolder.Text(), Under("Photos").Text());

    QTimer::singleShot(0, &m_form, [this] { m_form.close(); });
    EXPECT_EQ(m_form.ShowModal(), 2);
}

TEST_F(FormTreeTest, KeysOpenOneLevelAtATimeAndStarOpensNothing)
{
    // "*" in a tree view expands everything below the folder; with every expansion reading the
    // disk that walks all of it, and below a link back to a parent it never ends.
    fs::create_directory_symlink("..", g_root / "zeta/back");
    m_form.FillDrives();
    m_form.show();
    m_form.TreeView->expandItem(TestRoot());
    auto starThenRight = [this](QTreeWidgetItem* pNode) {
        m_form.TreeView->setCurrentItem(pNode);
        QTest::keyClick(m_form.TreeView, Qt::Key_Asterisk);
        const bool bOpenedByStar = pNode->isExpanded();
        QTest::keyClick(m_form.TreeView, Qt::Key_Right);
        return !bOpenedByStar && pNode->isExpanded();
    };

    QTreeWidgetItem* pPhotos = Child(TestRoot(), "Photos 2006");
    ASSERT_NE(pPhotos, nullptr);
    ASSERT_TRUE(starThenRight(pPhotos));
    ASSERT_NE(Child(pPhotos, "Dcim"), nullptr);
    EXPECT_FALSE(Child(pPhotos, "Dcim")->isExpanded());

    // The link is a folder like any other, opened one level per key press.
    QTreeWidgetItem* pZeta = Child(TestRoot(), "zeta");
    ASSERT_NE(pZeta, nullptr);
    EXPECT_TRUE(starThenRight(pZeta));
    QTreeWidgetItem* pBack = Child(pZeta, "back");
    ASSERT_NE(pBack, nullptr);
    EXPECT_EQ(Texts(pBack), (QStringList{"Photos", "Photos 2006", "photos", "zeta"}));
    EXPECT_FALSE(pBack->isExpanded());
    EXPECT_STREQ(m_form.NodePath(pBack).Text(), Under("zeta/back").Text());
    m_form.hide();
}

TEST_F(FormTreeTest, ProgressShowsOnlyAfterOneSecondAndHidesAtTheEnd)
{
    m_form.FillDrives();
    QList<int> shown;
    QObject::connect(m_form.ProgressBar, &QProgressBar::valueChanged, [&](int n) {
        if (!m_form.ProgressBar->isHidden())
            shown << n;
        else
            shown << -n;
    });
    TFormTree::s_pfnTickCount = &SlowTicks;
    m_form.TreeView->expandItem(TestRoot());  // four children; clock readings 0.6 s apart
    // After the first child 0.6 s have passed (no bar); then 1.2 s: 50 %, 75 %, 100 %.
    EXPECT_EQ(shown, (QList<int>{-50, 75, 100}));
    EXPECT_TRUE(m_form.ProgressBar->isHidden());
}

TEST_F(FormTreeTest, ADeepFolderIsWhollyReachableByScrolling)
{
    fs::path deep = g_root;
    for (int i = 1; i <= 12; ++i)
        deep /= "subfolder_number_" + std::to_string(i);
    fs::create_directories(deep);
    m_form.m_strFolder = TxString(deep.c_str());
    TFormTree::s_pfnModalHook = [](TFormTree& form) {
        form.show();
        QCoreApplication::processEvents();
        QTreeWidgetItem* pSelected = form.TreeView->currentItem();
        EXPECT_NE(pSelected, nullptr);
        if (pSelected != nullptr) {
            // The column reaches past the end of the deepest folder's name, beyond the window's
            // width, and the tree scrolls sideways to it.
            const int nTextEnd = form.TreeView->visualItemRect(pSelected).left() +
                                 form.TreeView->header()->offset() +
                                 form.TreeView->fontMetrics().horizontalAdvance(pSelected->text(0));
            EXPECT_GE(form.TreeView->columnWidth(0), nTextEnd);
            EXPECT_GT(form.TreeView->columnWidth(0), form.TreeView->viewport()->width());
            EXPECT_GT(form.TreeView->horizontalScrollBar()->maximum(), 0);
        }
        form.hide();
        return 2;
    };
    m_form.ShowModal();
    EXPECT_STREQ(Selected().Text(), deep.c_str());
}

TEST_F(FormTreeTest, PanelControlsKeepToTheRightEdge)
{
    EXPECT_EQ(m_form.minimumSize(), QSize(300, 390));
    EXPECT_EQ(m_form.ButtonCancel->geometry(), QRect(212, 4, 75, 25));
    m_form.resize(400, 500);
    m_form.show();
    EXPECT_EQ(m_form.Panel1->geometry(), QRect(0, 459, 400, 41));
    EXPECT_EQ(m_form.ButtonOk->geometry(), QRect(236, 4, 75, 25));
    EXPECT_EQ(m_form.ButtonCancel->geometry(), QRect(312, 4, 75, 25));
    EXPECT_EQ(m_form.ProgressBar->geometry(), QRect(5, 31, 382, 7));
    m_form.hide();
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
