#include <QApplication>

#include "window/Formatka.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    TFormatkaOkno window;
    window.show();
    return app.exec();
}
