// The window's heaviest work: building 1000 hour rows of the rainfall table, one refresh
// that recomputes the effective rainfall of 1000 hours and writes its column, and the whole
// "Hydrogram" command on a long storm (land-use refresh, effective rainfall, hydrograph and
// the chart drawn again).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>

#include "model/State.h"
#include "window/wykres.h"

#include "window/FormatkaUi.h"
#include "window/Formatka.h"
#include "window/StringGrid.h"
#include "window/TestDoubles.h"

using moravel::window::StringGrid;

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
        window->BuildWorkingPanels();
    }
    moravel::window::RecordingMessages messages;
    moravel::window::QueueFileDialogs dialogs;
    std::unique_ptr<TFormatkaOkno> window;
};

void HourCountRule(benchmark::State& state)
{
    Window w;
    QLineEdit* hours = moravel::window::UiOf(*w.window).Edit_Liczba_godzin_opadu;
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
    w.window->SetText(moravel::window::UiOf(*w.window).Edit_Liczba_godzin_opadu, QStringLiteral("1000"));
    for (int i = 1; i <= 1000; ++i)
        moravel::window::UiOf(*w.window).Tabela_Opad->SetCell(1, i, QStringLiteral("%1,5").arg(i % 7));
    moravel::window::UiOf(*w.window).LabelSCSSCSWartosc->setText(QStringLiteral("78,50"));
    for (auto _ : state)
        w.window->Tabela_OpadClick();
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(RefreshWithComputation)->Unit(benchmark::kMillisecond);

// A storm of 399 hours: a 24-hour storm of 71,5 mm repeated, on about 100 km2.
void HydrogramCommand(benchmark::State& state)
{
    static const char* const storm[] = {"0,3", "0,5", "0,7",  "1",    "1,4", "1,9", "2,6", "3,5",
                                        "4,8", "6,2", "13,6", "10,4", "7,1", "4,9", "3,4", "2,5",
                                        "1,8", "1,3", "1",    "0,8",  "0,6", "0,5", "0,4", "0,3"};
    constexpr int kHours = 399;
    Window w;
    TFormatkaOkno& window = *w.window;
    Ui::TFormatkaOkno& ui = moravel::window::UiOf(window);
    window.show();
    window.ImagePowitanieClick();
    window.SetText(ui.Edit_Liczba_godzin_opadu, QString::number(kHours));
    for (int i = 1; i <= kHours; ++i)
        ui.Tabela_Opad->SetCell(1, i, QString::fromLatin1(storm[(i - 1) % 24]));
    const struct {
        int col, row;
        const char* area;
    } landUse[] = {{1, 0, "30,5"}, {2, 0, "9,2"}, {1, 6, "42,7"}, {2, 4, "16,3"}, {1, 20, "1,4"}};
    window.SetText(ui.EditSCSB, QStringLiteral("65"));
    for (const auto& c : landUse)
        ui.Tabela_SCS->SetCell(c.col, c.row, QString::fromLatin1(c.area));
    const char* const parameters[] = {"4,2", "2,3", "4,8", "0,004", "12", "15", "0,04"};
    QLineEdit* const edits[] = {ui.EditParametryRB, ui.EditParametryRL, ui.EditParametryRA, ui.EditParametrySo,
                                ui.EditParametryLo, ui.EditParametryb,  ui.EditParametryn};
    for (int k = 0; k < 7; ++k)
        window.SetText(edits[k], QString::fromLatin1(parameters[k]));
    QCoreApplication::processEvents();
    w.messages.Clear();

    for (auto _ : state) {
        ui.MenuObliczeniaHydrogram->trigger();
        QCoreApplication::processEvents();  // the chart repaints
    }
    if (!w.messages.log.empty())
        state.SkipWithError(w.messages.log.front().text.toStdString().c_str());
    state.counters["hours"] = window.State().HydrographLength;
    state.counters["points"] = ui.Wykres->Series1()->count();
}
BENCHMARK(HydrogramCommand)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

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
