#include "window/Formatka.h"

TFormatkaOkno::TFormatkaOkno(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Moravel 1.0"));
}
