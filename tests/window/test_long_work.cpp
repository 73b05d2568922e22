// Long work off the window's thread: while a command's work runs, the window repaints, a
// progress window appears, user input and the window manager's close request go nowhere, and
// the command then ends exactly as if its work had run in place (its result, its error).
#include <QCloseEvent>
#include <QLineSeries>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "WindowFixture.h"
#include "text/Error.h"
#include "window/LongWork.h"
#include "window/ZapisOdczytDanych.h"
#include "window/wykres.h"

namespace moravel::window::testing {
namespace {

// A latch the work waits on and the test opens.
class Gate {
public:
    void Wait()
    {
        std::unique_lock lock(mutex_);
        reached_ = true;
        opened_.wait(lock, [this] { return open_; });
    }
    void Open()
    {
        {
            const std::lock_guard lock(mutex_);
            open_ = true;
        }
        opened_.notify_all();
    }
    void Close()
    {
        const std::lock_guard lock(mutex_);
        open_ = false;
        reached_ = false;
    }
    bool Reached()
    {
        const std::lock_guard lock(mutex_);
        return reached_;
    }

private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = true;
    bool reached_ = false;
};

// Fixed draws whose reseeds off the window's thread (the hydrograph core's, one per
// hydrograph) first wait at the gate: the computation lasts as long as the test keeps the
// gate shut. The effective rainfall reseeds on the window's thread and never waits.
class GatedSource : public FixedSource {
public:
    GatedSource(std::vector<double> values, Gate& gate) : FixedSource(std::move(values)), gate_(gate) {}
    void Reseed() override
    {
        if (QThread::currentThread() != QCoreApplication::instance()->thread())
            gate_.Wait();
        FixedSource::Reseed();
    }
    std::unique_ptr<model::UniformSource> Clone() const override { return std::make_unique<FixedSource>(*this); }

private:
    Gate& gate_;
};

QWidget* ProgressWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QLatin1String(kLongWorkWindowName) && widget->isVisible())
            return widget;
    return nullptr;
}

// Counts the paint events a widget gets.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) : widget_(widget) { widget->installEventFilter(this); }
    ~PaintCounter() override { widget_->removeEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
    int paints = 0;

private:
    QWidget* widget_;
};

// A request to close `widget` as the window manager makes it.
void WindowManagerClose(QWidget* widget)
{
    QCloseEvent close;
    QSpontaneKeyEvent::setSpontaneous(&close);
    QApplication::sendEvent(widget->windowHandle(), &close);
}

class LongWorkTest : public WindowFixture {
protected:
    void SetUp() override
    {
        source = &random;
        WindowFixture::SetUp();
    }
    void LoadExample()
    {
        ASSERT_TRUE(window->Guarded(
            [this] { window::LoadProject(*window, QStringLiteral(MORAVEL_EXAMPLES_DIR "/zlewnia.kpr")); }));
        messages.Clear();
    }
    QList<QPointF> ChartPoints() { return ui().Wykres->Series1()->points(); }

    Gate gate;
    GatedSource random{{0.2, 0.5, 0.7, 0.35}, gate};
};

TEST_F(LongWorkTest, HydrogramThatTakesLongKeepsTheWindowPaintedAndDropsInput)
{
    LoadExample();
    ui().MenuObliczeniaHydrogram->trigger();
    ASSERT_TRUE(messages.log.empty());
    const QList<QPointF> inPlace = ChartPoints();
    ASSERT_FALSE(inPlace.isEmpty());
    const QString n = ui().EditParametryn->text();

    gate.Close();
    bool lookedAt = false;
    QTimer::singleShot(0, window.get(), [&] {
        // Runs while the command waits for its work.
        EXPECT_TRUE(QTest::qWaitFor([&] { return gate.Reached(); }, 20000));
        PaintCounter counter(window.get());
        window->update();
        EXPECT_TRUE(QTest::qWaitFor([&] { return counter.paints > 0; }, 20000)) << "the window is not repainted";
        EXPECT_TRUE(QTest::qWaitFor([] { return ProgressWindow() != nullptr; }, 20000)) << "no progress window";
        QWidget* progress = ProgressWindow();

        // Keys, clicks and the window manager's close reach nothing; the progress window of
        // work that can't be cancelled has no "Anuluj" and stays on Escape.
        // (The close first: nothing is changed yet, so it would end the program at once.)
        WindowManagerClose(window.get());
        QTest::keyClicks(ui().EditParametryn, QStringLiteral("9"));
        QTest::mouseClick(ui().Tabela_Opad->viewport(), Qt::LeftButton);
        if (progress) {
            EXPECT_EQ(progress->findChild<QPushButton*>(), nullptr);
            QTest::keyClick(progress, Qt::Key_Escape);
            WindowManagerClose(progress);
            EXPECT_TRUE(progress->isVisible());
        }
        lookedAt = true;
        gate.Open();
    });
    ui().MenuObliczeniaHydrogram->trigger();

    EXPECT_TRUE(lookedAt);
    EXPECT_TRUE(messages.log.empty());
    EXPECT_EQ(ui().EditParametryn->text(), n);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(ProgressWindow(), nullptr);
    // The same draws give the same hydrograph as the run that ended at once.
    EXPECT_EQ(ChartPoints(), inPlace);
}

// An error thrown by the work ends the command with its message, as in place; work that can
// be cancelled gets "Anuluj", which sets its flag (so does Escape).
TEST_F(LongWorkTest, ErrorsComeBackAndCancelReachesTheWork)
{
    Gate hold;
    hold.Close();
    QTimer::singleShot(0, window.get(), [&] { hold.Open(); });
    try {
        RunLongWork(window.get(), {QStringLiteral("Praca")}, [&] {
            hold.Wait();
            throw moravel::Error(QStringLiteral("Błąd w pracy"));
        });
        ADD_FAILURE() << "no error";
    } catch (const moravel::Error& e) {
        EXPECT_EQ(e.text(), QString::fromUtf8("Błąd w pracy"));
    }

    for (const bool byEscape : {false, true}) {
        SCOPED_TRACE(byEscape ? "Escape" : "Anuluj");
        std::atomic<bool> cancel{false};
        QTimer::singleShot(0, window.get(), [&] {
            EXPECT_TRUE(QTest::qWaitFor([] { return ProgressWindow() != nullptr; }, 20000));
            QWidget* progress = ProgressWindow();
            auto* button = progress ? progress->findChild<QPushButton*>() : nullptr;
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->text(), QStringLiteral("Anuluj"));
            if (byEscape)
                QTest::keyClick(progress, Qt::Key_Escape);
            else
                QTest::mouseClick(button, Qt::LeftButton);
        });
        bool sawCancel = false;
        RunLongWork(window.get(), {QStringLiteral("Praca"), &cancel}, [&] {
            while (!cancel.load())
                std::this_thread::yield();
            sawCancel = true;
        });
        EXPECT_TRUE(sawCancel);
        EXPECT_EQ(ProgressWindow(), nullptr);
    }
}

}  // namespace
}  // namespace moravel::window::testing
