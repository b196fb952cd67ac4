// Keys a file list is expected to know: F5 lists the folder again, Enter in the mask box lists
// it with the new mask (both after the unsaved-changes question).
#include "Fmain.h"

#include "Uguard.h"

#include <QKeySequence>
#include <QLineEdit>
#include <QShortcut>

void TFormMain::ConnectKeys()
{
    auto* pRescan = new QShortcut(QKeySequence(Qt::Key_F5), this);
    pRescan->setObjectName(QStringLiteral("ShortcutRescan"));
    connect(pRescan, &QShortcut::activated, this, [this] { Guarded(this, [this] { RescanFolder(); }); });
    connect(EditMask, &QLineEdit::returnPressed, this, [this] { Guarded(this, [this] { RescanFolder(); }); });
}
