#pragma once
// Long work (a hydrograph of hundreds of thousands of hours, its report, a workbook being
// read) runs on a thread of its own while the window's thread waits for it. The command that
// started it goes on only when the work has ended, so every effect keeps its order; in the
// meantime the windows repaint, and user input to them is dropped as a modal dialog drops
// it. A progress window appears once the work has lasted about half a second.
#include <QString>
#include <atomic>
#include <functional>

class QWidget;

namespace moravel::window {

// How long work may run before its progress window appears.
inline constexpr int kLongWorkDelayMs = 500;

// The progress window's object name (tests find it by it).
inline constexpr const char* kLongWorkWindowName = "OknoPostepu";

struct LongWorkRequest {
    QString label;                        // what the progress window says is being done
    std::atomic<bool>* cancel = nullptr;  // set by "Anuluj"; none: the work can't be cancelled
};

// Runs `work` on a thread of its own and returns once it has ended. Until then the window's
// thread keeps painting and running timers; clicks, keys, wheel turns, drops and requests to
// close a window go nowhere except to the progress window, which shows `request.label` after
// kLongWorkDelayMs (with "Anuluj" when `request.cancel` is given: it sets the flag, and the work
// is expected to notice it and end soon). A short piece of work ends before any event is
// processed. An exception thrown by `work` is thrown again here, on the window's thread.
// `work` must not touch a widget.
//
// `status`, when given, tells how far the work has got (e.g. a count): the progress window
// shows it under the label and asks again a few times a second. It is called on the window's
// thread, so it may read only what the work publishes atomically.
void RunLongWork(QWidget* parent, const LongWorkRequest& request, const std::function<void()>& work,
                 const std::function<QString()>& status = {});

}  // namespace moravel::window
