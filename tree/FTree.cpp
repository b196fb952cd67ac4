// The folder chooser dialog.
#include "FTree.h"

#include "../app/Ulang.h"
#include "../platform/winlocale.h"
#include "../platform/wintime.h"
#include "../tx/UTxDiskApi.h"
#include "FolderNames.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>
#include <string>

TFormTree* FormTree = nullptr;
int (*TFormTree::s_pfnModalHook)(TFormTree& form) = nullptr;
std::vector<VolumeRoot> (*TFormTree::s_pfnVolumeRoots)() = [] { return GetVolumeRoots(); };
DWORD (*TFormTree::s_pfnTickCount)() = &GetTickCount;

namespace {

constexpr int kDesignWidth = 300;
constexpr int kDesignHeight = 390;
constexpr int kPanelHeight = 41;
constexpr DWORD kProgressDelayMs = 1000;

// Every node keeps the real name of its folder (a root: its mount point) beside the text it
// shows, so that paths are built from names the file system knows.
constexpr int kRealNameRole = Qt::UserRole;

QByteArray RealName(const QTreeWidgetItem* pNode)
{
    return pNode->data(0, kRealNameRole).toByteArray();
}

std::string_view View(const QByteArray& bytes)
{
    return std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QTreeWidgetItem* NewNode(const char* pszText, const char* pszRealName)
{
    auto* pNode = new QTreeWidgetItem(QStringList(QString::fromUtf8(pszText)));
    pNode->setData(0, kRealNameRole, QByteArray(pszRealName));
    return pNode;
}

struct FolderEntry {
    TxString strDisplay;
    TxString strName;
};

// The hourglass for as long as the object lives; the cursor shown before comes back after it.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

TFormTree::TFormTree(QWidget* pParent) : QDialog(pParent)
{
    setObjectName("FormTree");
    setWindowTitle("Folders");
    resize(kDesignWidth, kDesignHeight);
    setMinimumSize(kDesignWidth, kDesignHeight);

    TreeView = new QTreeWidget(this);
    TreeView->setObjectName("TreeView");
    TreeView->setHeaderHidden(true);
    TreeView->setColumnCount(1);
    TreeView->setIndentation(19);
    TreeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeView->setUniformRowHeights(true);
    // The column is as wide as its widest shown folder, so that a deep folder can be scrolled to
    // instead of being cut down to nothing at the window's edge.
    TreeView->header()->setStretchLastSection(false);
    TreeView->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);

    Panel1 = new QWidget(this);
    Panel1->setObjectName("Panel1");
    Panel1->setFixedHeight(kPanelHeight);

    ProgressBar = new QProgressBar(Panel1);
    ProgressBar->setObjectName("ProgressBar");
    ProgressBar->setRange(0, 100);
    ProgressBar->setTextVisible(false);
    ProgressBar->hide();

    ButtonOk = new QPushButton("OK", Panel1);
    ButtonOk->setObjectName("ButtonOk");
    ButtonOk->setDefault(true);
    ButtonOk->setAutoDefault(true);

    // Esc reaches QDialog::reject, which ends the dialog with a result other than 1.
    ButtonCancel = new QPushButton("Cancel", Panel1);
    ButtonCancel->setObjectName("ButtonCancel");
    ButtonCancel->setAutoDefault(false);

    auto* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(0);
    pLayout->addWidget(TreeView, 1);
    pLayout->addWidget(Panel1, 0);
    LayOutPanel();

    connect(ButtonOk, &QPushButton::clicked, this, &TFormTree::ButtonOkClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &TFormTree::ButtonCancelClick);
    connect(TreeView, &QTreeWidget::itemExpanded, this, &TFormTree::TreeViewExpanded);
    connect(TreeView, &QTreeWidget::itemCollapsed, this, &TFormTree::TreeViewCollapsed);
    TreeView->installEventFilter(this);
}

// The panel's controls keep their designed distance from the right edge of a 300-pixel-wide
// window; the progress bar grows with the width.
void TFormTree::LayOutPanel()
{
    int nWidth = std::max(width(), kDesignWidth);
    int nRight = nWidth - kDesignWidth;
    ProgressBar->setGeometry(5, 31, 282 + nRight, 7);
    ButtonOk->setGeometry(136 + nRight, 4, 75, 25);
    ButtonCancel->setGeometry(212 + nRight, 4, 75, 25);
}

void TFormTree::resizeEvent(QResizeEvent* pEvent)
{
    QDialog::resizeEvent(pEvent);
    LayOutPanel();
}

// The tree view expands everything below the current folder on "*". Here every expansion reads
// the subfolders of the folder's children from disk, so that key would walk the whole disk, and
// would never end below a folder that holds a link to one of its own parents (memory growing
// until the system stops the program). Folders open one level at a time; the key does nothing.
bool TFormTree::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pWatched == TreeView && pEvent->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(pEvent)->key() == Qt::Key_Asterisk)
        return true;
    return QDialog::eventFilter(pWatched, pEvent);
}

int TFormTree::ShowModal()
{
    setResult(0);
    FormShow();
    if (s_pfnModalHook)
        return s_pfnModalHook(*this);
    if (const QScreen* pScreen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(pScreen->availableGeometry().center());
        move(frame.topLeft());
    }
    return exec() == 1 ? 1 : 2;
}

void TFormTree::FormShow()
{
    WaitCursor hourglass;
    setWindowTitle(QString::fromUtf8(UiStrings[25]));
    ButtonOk->setText(QString::fromUtf8(UiStrings[26]));
    ButtonCancel->setText(QString::fromUtf8(UiStrings[27]));
    FillDrives();
    SelectPath(m_strFolder, TreeView->topLevelItem(0));
}

void TFormTree::FillDrives()
{
    TreeView->clear();
    QList<QTreeWidgetItem*> roots;
    for (const VolumeRoot& root : s_pfnVolumeRoots()) {
        std::string text = root.strPath + "  " + root.strLabel;
        roots.append(NewNode(text.c_str(), root.strPath.c_str()));
    }
    TreeView->addTopLevelItems(roots);
    for (QTreeWidgetItem* pRoot : roots)
        FillFolderNode(TxString(RealName(pRoot).constData()), pRoot);
}

// One pass over the folder; the children are built apart from the tree and inserted at once, so
// a folder with thousands of subfolders costs one insertion, not thousands.
void TFormTree::FillFolderNode(const TxString& strPath, QTreeWidgetItem* pNode)
{
    qDeleteAll(pNode->takeChildren());

    std::vector<FolderEntry> entries;
    TxFindFile search;
    if (search.FindFirst(strPath.Text(), "*")) {
        TxFileInfo info;
        do {
            search.GetInfo(info);
            if (info.IsDirectory() && !info.IsDotEntry() && !info.IsHidden())
                entries.push_back(FolderEntry{FolderDisplayName(info.m_strName), info.m_strName});
        } while (search.FindNext());
    }

    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
        int n = lstrcmpA(a.strDisplay.Text(), b.strDisplay.Text());
        return n != 0 ? n < 0 : std::strcmp(a.strName.Text(), b.strName.Text()) < 0;
    });

    QList<QTreeWidgetItem*> children;
    children.reserve(static_cast<qsizetype>(entries.size()));
    for (const FolderEntry& entry : entries)
        children.append(NewNode(entry.strDisplay.Text(), entry.strName.Text()));
    pNode->addChildren(children);
}

TxString TFormTree::NodePath(QTreeWidgetItem* pNode) const
{
    if (pNode == nullptr)
        return TxString();
    std::vector<QTreeWidgetItem*> chain;
    for (QTreeWidgetItem* p = pNode; p != nullptr; p = p->parent())
        chain.push_back(p);
    TxString strPath(RealName(chain.back()).constData());
    for (auto it = chain.rbegin() + 1; it != chain.rend(); ++it)
        strPath = JoinPath(strPath, View(RealName(*it)));
    return strPath;
}

void TFormTree::TreeViewExpanded(QTreeWidgetItem* pNode)
{
    DWORD dwStart = s_pfnTickCount();
    TxString strBase = NodePath(pNode);
    int nCount = pNode->childCount();
    for (int n = 0; n < nCount; ++n) {
        QTreeWidgetItem* pChild = pNode->child(n);
        FillFolderNode(JoinPath(strBase, View(RealName(pChild))), pChild);
        if (s_pfnTickCount() - dwStart > kProgressDelayMs) {
            ProgressBar->setValue(static_cast<int>((n + 1) * 100LL / nCount));
            ProgressBar->show();
            ProgressBar->repaint();
        }
    }
    ProgressBar->hide();
}

void TFormTree::TreeViewCollapsed(QTreeWidgetItem* pNode)
{
    FillFolderNode(NodePath(pNode), pNode);
}

// Roots are matched by the longest mount point that holds the path, so /media/usb/x is found
// under the /media/usb root rather than under "/"; below a root the path is walked one folder
// name at a time.
void TFormTree::SelectPath(const TxString& strPath, QTreeWidgetItem* pFirstNode)
{
    if (pFirstNode == nullptr)
        return;
    std::string_view path(strPath.Text(), static_cast<std::size_t>(strPath.Length()));
    if (pFirstNode->parent() != nullptr) {
        SelectNames(path, pFirstNode);
        return;
    }

    QTreeWidgetItem* pBest = nullptr;
    std::size_t nBest = 0;
    for (int i = TreeView->indexOfTopLevelItem(pFirstNode); i < TreeView->topLevelItemCount(); ++i) {
        QTreeWidgetItem* pRoot = TreeView->topLevelItem(i);
        std::size_t nLength = RootPrefixLength(View(RealName(pRoot)), path);
        if (nLength > nBest) {
            pBest = pRoot;
            nBest = nLength;
        }
    }
    if (pBest == nullptr)
        return;
    ExpandAndSelect(pBest);
    SelectNames(path.substr(nBest), pBest->child(0));
}

// Prefers the sibling whose real name matches exactly and falls back to the first one that
// differs only in the case of A to Z.
void TFormTree::SelectNames(std::string_view path, QTreeWidgetItem* pFirstNode)
{
    std::string_view rest;
    std::string_view name = FirstPathName(path, &rest);
    while (pFirstNode != nullptr && !name.empty()) {
        QTreeWidgetItem* pParent = pFirstNode->parent();
        QTreeWidgetItem* pFound = nullptr;
        for (int i = pParent->indexOfChild(pFirstNode); i < pParent->childCount(); ++i) {
            QTreeWidgetItem* pChild = pParent->child(i);
            QByteArray real = RealName(pChild);
            if (View(real) == name) {
                pFound = pChild;
                break;
            }
            if (pFound == nullptr && EqualsIgnoringAsciiCase(View(real), name))
                pFound = pChild;
        }
        if (pFound == nullptr)
            return;
        ExpandAndSelect(pFound);
        pFirstNode = pFound->child(0);
        name = FirstPathName(rest, &rest);
    }
}

// Expands one level (loading the grandchildren) and selects; the expansion is run here rather
// than through the tree's signal, so it happens exactly once whether or not the window is shown.
void TFormTree::ExpandAndSelect(QTreeWidgetItem* pNode)
{
    if (!pNode->isExpanded()) {
        {
            const QSignalBlocker blocker(TreeView);
            pNode->setExpanded(true);
        }
        TreeViewExpanded(pNode);
    }
    TreeView->setCurrentItem(pNode);
    TreeView->scrollToItem(pNode);
}

void TFormTree::ButtonOkClick()
{
    const QList<QTreeWidgetItem*> selected = TreeView->selectedItems();
    m_strFolder = NodePath(selected.isEmpty() ? nullptr : selected.first());
    done(1);
}

void TFormTree::ButtonCancelClick()
{
    done(2);
}
