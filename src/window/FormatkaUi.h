#pragma once
// The window's generated forms (the controls of Formatka.ui and FormatkaPanele.ui, together
// as Ui::TFormatkaOkno) and the way to a window's controls, for code in src/window that is
// not a member of the window, and for tests and benchmarks. Code outside src/window reaches
// the window through its typed accessors instead and does not include this header. Include
// it rather than ui_Formatka.h outside src/window: a target that names ui_Formatka.h itself
// would ask its own form compiler for a form it does not have.
#include "ui_Formatka.h"
#include "ui_FormatkaPanele.h"
#include "window/Formatka.h"

namespace Ui {

// Every control of the window: the frame, built with the window (TFormatkaOknoRama), and the
// working panels, built by the first command that needs them (TFormatkaOknoPanele). The
// panels' members are null until then.
class TFormatkaOkno : public TFormatkaOknoRama, public TFormatkaOknoPanele {};

}  // namespace Ui

namespace moravel::window {

struct UiAccess {
    static Ui::TFormatkaOkno& Of(const TFormatkaOkno& window) { return *window.form_; }
};

// The controls of `window` as they are: the working panels' members are null until a command
// (or BuildWorkingPanels) has built them. Reading them builds nothing.
inline Ui::TFormatkaOkno& UiOf(const TFormatkaOkno& window)
{
    return UiAccess::Of(window);
}

}  // namespace moravel::window
