#include <QApplication>

#include "window/Formatka.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The window's pictures are JPEG files decoded by the window itself (libjpeg), so no
    // image plugin has to be present.
    TFormatkaOkno window;
    window.show();
    return app.exec();
}
