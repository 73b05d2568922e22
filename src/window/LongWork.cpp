#include "window/LongWork.h"

#include "window/QtSeams.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace moravel::window {
namespace {

// How long the window's thread waits for the work without processing any event: a short
// command then runs exactly as if it had run in place, nothing happening in between.
constexpr auto kQuietWait = std::chrono::milliseconds(50);
// How often the progress window asks the work how far it has got.
constexpr int kStatusIntervalMs = 200;

// A busy bar and, for work that can be cancelled, "Anuluj". Escape and the window's close
// button cancel such work and do nothing for the rest: the window stays until the work ends.
class ProgressWindow : public QDialog {
public:
    ProgressWindow(QWidget* parent, const LongWorkRequest& request, const std::function<QString()>& status)
        : QDialog(parent), cancel_(request.cancel)
    {
        setObjectName(QLatin1String(kLongWorkWindowName));
        setWindowTitle(ApplicationTitle());
        setWindowModality(Qt::ApplicationModal);
        setWindowFlag(Qt::WindowContextHelpButtonHint, false);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(new QLabel(request.label));
        if (status) {
            status_ = new QLabel(status());
            status_->setObjectName(QStringLiteral("PostepStan"));
            layout->addWidget(status_);
            auto* poll = new QTimer(this);
            connect(poll, &QTimer::timeout, this, [this, status] { status_->setText(status()); });
            poll->start(kStatusIntervalMs);
        }
        auto* bar = new QProgressBar;
        bar->setRange(0, 0);
        bar->setTextVisible(false);
        bar->setMinimumWidth(320);
        layout->addWidget(bar);
        if (cancel_) {
            button_ = new QPushButton(QStringLiteral("Anuluj"));
            button_->setObjectName(QStringLiteral("Anuluj"));
            auto* row = new QHBoxLayout;
            row->addStretch();
            row->addWidget(button_);
            layout->addLayout(row);
            connect(button_, &QPushButton::clicked, this, [this] { Cancel(); });
        }
    }
    void Finish()
    {
        finished_ = true;
        hide();
    }
    void reject() override { Cancel(); }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        if (finished_) {
            event->accept();
            return;
        }
        event->ignore();
        Cancel();
    }

private:
    void Cancel()
    {
        if (!cancel_)
            return;
        cancel_->store(true);
        button_->setEnabled(false);
    }
    std::atomic<bool>* cancel_;
    QLabel* status_ = nullptr;
    QPushButton* button_ = nullptr;
    bool finished_ = false;
};

// The progress windows of the work now waited for; input reaches only them.
std::vector<QPointer<QWidget>>& OpenProgressWindows()
{
    static std::vector<QPointer<QWidget>> windows;
    return windows;
}

bool IsUserInput(const QEvent* event)
{
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::InputMethod:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return true;
        case QEvent::Close:
            // Only the user's own request (the window manager's close button); the program may
            // still close its windows.
            return event->spontaneous();
        default:
            return false;
    }
}

bool InProgressWindow(QObject* receiver)
{
    for (const QPointer<QWidget>& window : OpenProgressWindows()) {
        if (!window)
            continue;
        if (auto* widget = qobject_cast<QWidget*>(receiver)) {
            if (widget == window || window->isAncestorOf(widget))
                return true;
        } else if (auto* handle = qobject_cast<QWindow*>(receiver)) {
            if (handle == window->windowHandle())
                return true;
        }
    }
    return false;
}

// Drops user input to everything but the progress windows while work is waited for.
class InputBlocker : public QObject {
public:
    bool eventFilter(QObject* receiver, QEvent* event) override
    {
        if (!IsUserInput(event) || InProgressWindow(receiver))
            return false;
        if (event->type() == QEvent::Close)
            event->ignore();
        return true;
    }
};

// The worker's end, seen from the window's thread.
struct Completion {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    std::exception_ptr error;
};

}  // namespace

void RunLongWork(QWidget* parent, const LongWorkRequest& request, const std::function<void()>& work,
                 const std::function<QString()>& status)
{
    Completion completion;
    QEventLoop loop;
    std::thread worker([&] {
        std::exception_ptr error;
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
        {
            const std::lock_guard lock(completion.mutex);
            completion.error = error;
            completion.done = true;
        }
        completion.ended.notify_all();
        // Wakes the loop below if it runs; a loop already gone drops the call.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    auto finished = [&] {
        const std::lock_guard lock(completion.mutex);
        return completion.done;
    };

    bool quick = false;
    {
        std::unique_lock lock(completion.mutex);
        quick = completion.ended.wait_for(lock, kQuietWait, [&] { return completion.done; });
    }
    if (!quick) {
        InputBlocker blocker;
        qApp->installEventFilter(&blocker);
        ProgressWindow progress(parent, request, status);
        OpenProgressWindows().push_back(&progress);
        QTimer reveal;
        reveal.setSingleShot(true);
        QObject::connect(&reveal, &QTimer::timeout, &progress, [&] {
            if (!finished())
                progress.show();
        });
        reveal.start(kLongWorkDelayMs - static_cast<int>(kQuietWait.count()));
        loop.exec();
        // The loop ends early only when the application is told to quit: the work is then
        // waited for without events.
        {
            std::unique_lock lock(completion.mutex);
            completion.ended.wait(lock, [&] { return completion.done; });
        }
        progress.Finish();
        auto& open = OpenProgressWindows();
        open.erase(std::remove(open.begin(), open.end(), QPointer<QWidget>(&progress)), open.end());
        qApp->removeEventFilter(&blocker);
    }
    worker.join();
    if (completion.error)
        std::rethrow_exception(completion.error);
}

}  // namespace moravel::window
