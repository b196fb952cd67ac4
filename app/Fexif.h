// The EXIF listing window: one monospaced memo that shows the listing of a photograph's tags.
#pragma once

#include <QDialog>

class QPlainTextEdit;

class TFormExif : public QDialog {
    Q_OBJECT
public:
    explicit TFormExif(QWidget* pParent = nullptr);

    // Replaces the memo's whole text with the listing (CR LF line ends, as the engine makes
    // them) and leaves the caret after its last character.
    void SetListing(const char* pszListing);

    // Shows the window modally; returns when the user closes it.
    int ShowModal();

    // Test seam: when set, ShowModal calls it instead of running the window's own loop.
    static int (*s_pfnModalHook)(TFormExif& form);

    QPlainTextEdit* Memo = nullptr;
};

extern TFormExif* FormExif;
