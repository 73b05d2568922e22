#pragma once
#include <QMainWindow>

// The program's one window.
class TFormatkaOkno : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormatkaOkno(QWidget* parent = nullptr);
};
