#include <QApplication>
#include <QLocale>

#include "window/DesktopOpen.h"
#include "window/Formatka.h"
#include "window/QtSeams.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // Qt's own dialogs and buttons in the user's language (Polish on a Polish system).
    moravel::window::InstallQtTranslations(QLocale::system());
    // The window's pictures are JPEG files decoded by the window itself (libjpeg), so no
    // image plugin has to be present.
    TFormatkaOkno window;
    window.show();
    // A data file named on the command line (the desktop passes a double-clicked one).
    moravel::window::OpenFromCommandLine(window, app.arguments().mid(1));
    return app.exec();
}
