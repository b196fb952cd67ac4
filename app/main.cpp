// Program entry: the application object, the main window and the folder chooser, and the
// message loop. One argument, a folder or a picture (as a file manager's "Open with" passes
// it), is the folder to list first.
#include "../platform/winsignal.h"
#include "../tree/FTree.h"
#include "Fexif.h"
#include "Fmain.h"
#include "Uguard.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QStringList>

#include <clocale>
#include <memory>

int main(int argc, char** argv)
{
    IgnoreBrokenPipe();  // unknown EXIF tags are reported on standard output
    QApplication app(argc, argv);
    std::setlocale(LC_ALL, "");  // dates, times and name comparison follow the user's locale
    SetApplicationTitle();
    // The desktop entry and the icon theme's drawing of an installed copy name the windows.
    QGuiApplication::setDesktopFileName(QStringLiteral("velmora"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("velmora")));
    const QStringList arguments = QApplication::arguments();  // without the toolkit's own
    const QByteArray startPath = arguments.size() > 1 ? QFile::encodeName(arguments.at(1)) : QByteArray();
    Guarded(nullptr, [&startPath] {
        auto pFormMain = std::make_unique<TFormMain>();
        pFormMain->SetStartPath(startPath.constData());
        FormMain = pFormMain.get();
        FormTree = new TFormTree(pFormMain.get());  // owned by the main window
        FormExif = new TFormExif(pFormMain.get());  // owned by the main window
        pFormMain->show();
        QApplication::exec();
        FormTree = nullptr;
        FormExif = nullptr;
    });
    return 0;
}
