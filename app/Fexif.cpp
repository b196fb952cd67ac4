#include "Fexif.h"

#include <QFont>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QVBoxLayout>

TFormExif* FormExif = nullptr;
int (*TFormExif::s_pfnModalHook)(TFormExif& form) = nullptr;

TFormExif::TFormExif(QWidget* pParent)
    : QDialog(pParent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint)
{
    setObjectName("FormExif");
    setWindowTitle("EXIF Info");
    setGeometry(329, 207, 472, 583);

    Memo = new QPlainTextEdit(this);
    Memo->setObjectName("Memo");
    QFont font("Courier New");
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPixelSize(11);
    Memo->setFont(font);
    Memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->addWidget(Memo);
}

void TFormExif::SetListing(const char* pszListing)
{
    // The listing's lines end in CR LF; the memo keeps one line per tag, so the pair becomes one
    // line break rather than a break plus a stray carriage return.
    QString text = QString::fromUtf8(pszListing ? pszListing : "");
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    Memo->clear();
    Memo->textCursor().insertText(text);
    Memo->moveCursor(QTextCursor::End);
}

int TFormExif::ShowModal()
{
    if (s_pfnModalHook)
        return s_pfnModalHook(*this);
    return exec();
}
