// The folder chooser: a modal dialog with the file-system roots and their folders as a tree,
// loaded lazily one level ahead of what is shown.
#pragma once

#include "../platform/wintypes.h"
#include "../platform/winvolumes.h"
#include "../tx/UTxStrings.h"

#include <QDialog>

#include <string_view>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
class QProgressBar;
class QPushButton;

class TFormTree : public QDialog {
    Q_OBJECT
public:
    explicit TFormTree(QWidget* pParent = nullptr);

    // In: the folder to preselect. Out, after OK: the chosen folder.
    TxString m_strFolder;

    // Shows the dialog modally: 1 for OK, 2 for Cancel or a closed window.
    int ShowModal();

    // Test seam: when set, ShowModal runs FormShow and then this instead of the dialog's own
    // loop, and returns its result (the hook may select a node and call ButtonOkClick).
    static int (*s_pfnModalHook)(TFormTree& form);
    // Test seams: the roots FillDrives lists (default: GetVolumeRoots) and the millisecond clock
    // that decides when an expansion shows its progress (default: GetTickCount).
    static std::vector<VolumeRoot> (*s_pfnVolumeRoots)();
    static DWORD (*s_pfnTickCount)();

    void FillDrives();
    void FillFolderNode(const TxString& strPath, QTreeWidgetItem* pNode);
    TxString NodePath(QTreeWidgetItem* pNode) const;
    void SelectPath(const TxString& strPath, QTreeWidgetItem* pFirstNode);

    QTreeWidget* TreeView = nullptr;
    QWidget* Panel1 = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QPushButton* ButtonOk = nullptr;
    QPushButton* ButtonCancel = nullptr;

public slots:
    void FormShow();
    void ButtonOkClick();
    void ButtonCancelClick();
    void TreeViewExpanded(QTreeWidgetItem* pNode);
    void TreeViewCollapsed(QTreeWidgetItem* pNode);

protected:
    void resizeEvent(QResizeEvent* pEvent) override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void LayOutPanel();
    void ExpandAndSelect(QTreeWidgetItem* pNode);
    void SelectNames(std::string_view path, QTreeWidgetItem* pFirstNode);
};

extern TFormTree* FormTree;
