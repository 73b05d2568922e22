#pragma once
// What every tool window of the program shares about its place on the screen and its
// closing: the size it takes on a given screen, Escape and the "Zamknij" button.
#include <QSize>

class QPushButton;
class QTableView;
class QWidget;

namespace moravel::window {

// Room left on the screen for a window's frame and title bar and for a desktop panel.
inline constexpr QSize kScreenRoom(16, 80);

// Sizes `window` to `preferred` where `screen` has room for it, else to the screen less the
// room (never below the window's least size), and centres it in what the room leaves.
void FitToolWindow(QWidget& window, QSize preferred, QSize screen);

// Escape closes `window` as its title bar's close does (a running job is stopped by the
// window's own close), unless a control of the window takes the key for itself.
void CloseOnEscape(QWidget& window);
// A "Zamknij" button that closes `window` the same way, for a desktop without a window manager.
QPushButton* NewCloseButton(QWidget& window);

// Makes `table` at least high enough for its heading, `rows` rows and a horizontal scroll bar.
void ShowRows(QTableView& table, int rows);

}  // namespace moravel::window
