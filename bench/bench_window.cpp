// The rainfall panel's work for the largest table: building 1000 hour rows, and one refresh
// that recomputes the effective rainfall of 1000 hours and writes its column.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>

#include "window/FormatkaUi.h"
#include "window/Formatka.h"
#include "window/StringGrid.h"
#include "window/TestDoubles.h"

namespace {

struct Window {
    Window()
    {
        TFormatkaOkno::Options options;
        options.messages = &messages;
        options.dialogs = &dialogs;
        options.screen = QSize(1280, 1024);
        options.decimalSeparator = QLatin1Char(',');
        window = std::make_unique<TFormatkaOkno>(options);
    }
    moravel::window::RecordingMessages messages;
    moravel::window::QueueFileDialogs dialogs;
    std::unique_ptr<TFormatkaOkno> window;
};

void HourCountRule(benchmark::State& state)
{
    Window w;
    QLineEdit* hours = w.window->ui->Edit_Liczba_godzin_opadu;
    for (auto _ : state) {
        w.window->SetText(hours, QStringLiteral("1000"));
        w.window->SetText(hours, QStringLiteral("1"));
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(HourCountRule)->Unit(benchmark::kMillisecond);

void RefreshWithComputation(benchmark::State& state)
{
    Window w;
    w.window->SetText(w.window->ui->Edit_Liczba_godzin_opadu, QStringLiteral("1000"));
    for (int i = 1; i <= 1000; ++i)
        w.window->ui->Tabela_Opad->SetCell(1, i, QStringLiteral("%1,5").arg(i % 7));
    w.window->ui->LabelSCSSCSWartosc->setText(QStringLiteral("78,50"));
    for (auto _ : state)
        w.window->Tabela_OpadClick();
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(RefreshWithComputation)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
