#include <QApplication>
#include <QLocale>

#include "window/DesktopOpen.h"
#include "window/Formatka.h"
#include "window/QtSeams.h"

int main(int argc, char* argv[])
{
    // No settings are read or kept between runs, Qt's own (the file dialogs' history) included.
    moravel::window::KeepQtUserSettingsInMemory();
    QApplication app(argc, argv);
    // Qt's own dialogs and buttons in the user's language (Polish on a Polish system).
    moravel::window::InstallQtTranslations(QLocale::system());
    // The window's pictures are JPEG files decoded by the window itself (libjpeg), so no
    // image plugin has to be present.
    TFormatkaOkno window;
    // The window is as large as the screen; shown maximized, a window manager fits its frame
    // and title bar onto the screen instead of letting them stand over its edges.
    window.showMaximized();
    // The data files named on the command line, in their order (the desktop passes a
    // double-clicked one).
    moravel::window::OpenFromCommandLine(window, app.arguments().mid(1));
    return app.exec();
}
