// A stand-in for the program, started by bench_startup to measure the whole program.
//
//   startup_probe paint
//       Does what the program's main does (the application, Qt's translations, the window
//       with the default options, shown maximized) and, once the window's first paint has been drawn and handed to the
//       window system, writes one line to standard output and exits:
//           painted <platform> main=<ns> app=<ns> window=<ns> shown=<ns> paint=<ns>
//                   flushed=<ns> drawn=<ns> cpu=<ns>
//       Each time is CLOCK_MONOTONIC, which the starting process shares, so it can tell how
//       the interval from its spawn to this line divides into loading, the application, the
//       window's construction and the first paint; cpu is the processor time the probe had
//       used by then, which other work on the machine hardly changes.
//
//   startup_probe bare
//       The same for a bare window to compare with: a main window of the screen's size
//       with the program's menu titles and a hidden chart view, nothing else. Its line
//       starts with "painted" too and has the same fields.
//
//   Both lines end with hwm_kb=<peak resident memory by then>.
//
//   startup_probe hydrogram <project.kpr>
//       Builds the window as the program does (decimal commas, a file dialog answering the
//       project path), paints it, opens the project through "Plik > Otwórz Projekt", leaves
//       the welcome panel, runs "Obliczenia > Hydrogram", waits until the chart has been
//       drawn and writes
//           memory <platform> hwm_kb=<peak resident> rss_kb=<resident now> points=<n>
//                  rss_app_kb=.. rss_window_kb=.. rss_painted_kb=.. rss_loaded_kb=..
//       where the rss_* fields are the resident size after each step.
//
// Any failure is written as one line "error <text>" and the exit status is 1.
#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QChartView>
#include <QLineSeries>
#include <QLocale>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "window/Formatka.h"
#include "window/FormatkaUi.h"
#include "window/QtSeams.h"
#include "window/TestDoubles.h"
#include "window/wykres.h"

#if defined(MORAVEL_PROBE_XCB)
#include <xcb/xcb.h>
#endif

namespace {

long long MonotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

long long CpuNs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto ns = [](const timeval& t) { return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_usec * 1000LL; };
    return ns(usage.ru_utime) + ns(usage.ru_stime);
}

// A field of /proc/self/status in kB ("VmHWM", "VmRSS"), or -1.
long StatusKb(const char* field)
{
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    long value = -1;
    const size_t n = std::strlen(field);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, field, n) == 0 && line[n] == ':') {
            value = std::strtol(line + n + 1, nullptr, 10);
            break;
        }
    std::fclose(f);
    return value;
}

int Fail(const QString& text)
{
    std::printf("error %s\n", text.toLocal8Bit().constData());
    std::fflush(stdout);
    return 1;
}

// Makes sure what has been drawn reached the display: on X a round trip to the server, which
// answers only after it has carried out every request sent before (the image of the window
// included). The other platforms draw in the process itself.
void WaitForDisplay()
{
#if defined(MORAVEL_PROBE_XCB)
    if (auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>())
        if (xcb_connection_t* c = x11->connection())
            std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
#endif
}

// Watches the paint events of one window's widgets (or of one widget's subtree) and tells
// when the first of them has been drawn: the paint events of one repaint are all sent before
// the window's image is handed to the window system, and both happen inside the handling of
// one event, so a call queued at the first paint runs once the whole image is out.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(QWidget* target) : target_(target) { qApp->installEventFilter(this); }

    // Runs the event loop until the target has been drawn, or `timeoutMs` passed. True when drawn.
    bool Wait(int timeoutMs)
    {
        if (!drawn_) {
            QTimer::singleShot(timeoutMs, &loop_, [this] { loop_.exit(1); });
            if (loop_.exec() != 0)
                return false;
        }
        return true;
    }

    long long paintNs = 0;    // the first paint event reached the target
    long long flushedNs = 0;  // that repaint was over and handed to the window system
    long long drawnNs = 0;    // and the display had drawn it

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && paintNs == 0 && Concerns(watched)) {
            paintNs = MonotonicNs();
            QMetaObject::invokeMethod(
                this,
                [this] {
                    flushedNs = MonotonicNs();
                    WaitForDisplay();
                    drawnNs = MonotonicNs();
                    drawn_ = true;
                    qApp->removeEventFilter(this);
                    loop_.quit();
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    bool Concerns(QObject* watched) const
    {
        if (!watched->isWidgetType() || !target_)
            return false;
        for (QWidget* w = static_cast<QWidget*>(watched); w; w = w->parentWidget())
            if (w == target_)
                return true;
        return false;
    }

    QPointer<QWidget> target_;
    QEventLoop loop_;
    bool drawn_ = false;
};

constexpr int kTimeoutMs = 20000;

int ShowAndReport(QMainWindow& window, long long mainNs, long long appNs);

int Paint(long long mainNs, int argc, char** argv)
{
    moravel::window::KeepQtUserSettingsInMemory();  // as the program's main does
    QApplication app(argc, argv);
    const long long appNs = MonotonicNs();
    moravel::window::InstallQtTranslations(QLocale::system());  // as the program's main does
    TFormatkaOkno window;
    return ShowAndReport(window, mainNs, appNs);
}

// The bare window the program is compared with.
int Bare(long long mainNs, int argc, char** argv)
{
    QApplication app(argc, argv);
    const long long appNs = MonotonicNs();
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Moravel 1.0"));
    for (const char* title : {"Plik", "Opad", "SCS", "Parametry KW", "Obliczenia", "Info"})
        window.menuBar()->addMenu(QString::fromUtf8(title))->addAction(QStringLiteral("-"));
    window.setCentralWidget(new QWidget);
    auto* chart = new QChartView(window.centralWidget());
    chart->hide();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        window.resize(screen->size());
    return ShowAndReport(window, mainNs, appNs);
}

// Shows a window built after `appNs` as the program does and reports its first paint.
int ShowAndReport(QMainWindow& window, long long mainNs, long long appNs)
{
    const long long windowNs = MonotonicNs();
    FirstPaint firstPaint(&window);
    window.showMaximized();
    const long long shownNs = MonotonicNs();
    if (!firstPaint.Wait(kTimeoutMs))
        return Fail(QStringLiteral("the window was not painted"));
    std::printf(
        "painted %s main=%lld app=%lld window=%lld shown=%lld paint=%lld flushed=%lld drawn=%lld "
        "cpu=%lld hwm_kb=%ld\n",
        qPrintable(QGuiApplication::platformName()), mainNs, appNs, windowNs, shownNs, firstPaint.paintNs,
        firstPaint.flushedNs, firstPaint.drawnNs, CpuNs(), StatusKb("VmHWM"));
    std::fflush(stdout);
    return 0;
}

int Hydrogram(int argc, char** argv, const QString& project)
{
    QApplication app(argc, argv);
    const long rssApp = StatusKb("VmRSS");
    moravel::window::RecordingMessages messages;
    moravel::window::QueueFileDialogs dialogs;
    TFormatkaOkno::Options options;
    options.messages = &messages;
    options.dialogs = &dialogs;
    options.decimalSeparator = QLatin1Char(',');
    TFormatkaOkno window(options);
    const long rssWindow = StatusKb("VmRSS");
    {
        FirstPaint firstPaint(&window);
        window.show();
        if (!firstPaint.Wait(kTimeoutMs))
            return Fail(QStringLiteral("the window was not painted"));
    }
    const long rssPainted = StatusKb("VmRSS");

    Ui::TFormatkaOkno& ui = moravel::window::UiOf(window);
    dialogs.answers.push_back(project);
    ui.MenuPlikOtworzProjekt->trigger();
    if (!messages.log.empty())
        return Fail(messages.log.front().text);
    window.ImagePowitanieClick();
    QCoreApplication::processEvents();
    const long rssLoaded = StatusKb("VmRSS");

    FirstPaint chartPaint(ui.Wykres);
    ui.MenuObliczeniaHydrogram->trigger();
    if (!messages.log.empty())
        return Fail(messages.log.front().text);
    if (!chartPaint.Wait(kTimeoutMs))
        return Fail(QStringLiteral("the chart was not painted"));
    // Whatever the chart still has queued (a second layout pass, its animations) runs too.
    QEventLoop settle;
    QTimer::singleShot(200, &settle, &QEventLoop::quit);
    settle.exec();
    const int points = ui.Wykres->Series1()->count();
    if (points == 0)
        return Fail(QStringLiteral("the chart has no points"));

    std::printf(
        "memory %s hwm_kb=%ld rss_kb=%ld points=%d rss_app_kb=%ld rss_window_kb=%ld "
        "rss_painted_kb=%ld rss_loaded_kb=%ld\n",
        qPrintable(QGuiApplication::platformName()), StatusKb("VmHWM"), StatusKb("VmRSS"), points, rssApp, rssWindow,
        rssPainted, rssLoaded);
    std::fflush(stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const long long mainNs = MonotonicNs();
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "paint")
        return Paint(mainNs, argc, argv);
    if (mode == "bare")
        return Bare(mainNs, argc, argv);
    if (mode == "hydrogram" && argc > 2)
        return Hydrogram(argc, argv, QString::fromLocal8Bit(argv[2]));
    std::fprintf(stderr, "usage: startup_probe paint | bare | hydrogram <project.kpr>\n");
    return 2;
}
