// Pictures of "Porównaj z pomiarem..." for the README (not a test): the example's hydrograph
// with a measured flood (a synthetic one: a single realisation with n = 0,055 from another
// seed than the series', its hours from 1 % of the peak to 1 % of the peak), the series band
// with the same points, and the measured flood's window after "Dopasuj..." with its defaults
// (n alone, the CRPS):
//   xvfb-run -s "-screen 0 1024x768x24" build/tests/window/measured_shot OUTDIR
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QChartView>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <cstdio>

#include "ZlewniaSeries.h"
#include "import/ExcelImport.h"
#include "model/Series.h"
#include "text/NumText.h"
#include "window/Formatka.h"
#include "window/FormatkaUi.h"
#include "window/PomiarOkno.h"
#include "window/SeriaOkno.h"
#include "window/TestDoubles.h"
#include "window/wykres.h"

using namespace moravel;

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: measured_shot <folder>\n");
        return 2;
    }
    QApplication app(argc, argv);
    const QDir out(QString::fromLocal8Bit(argv[1]));

    // The measured flood: hours and discharges in two columns.
    model::ComputationInputs truth = examples::ZlewniaSeriesInputs();
    truth.parameters.n = 0.055;
    model::SubstreamSource random(7, 0);
    model::RealisationWorkspace work;
    const model::RealisationResult one = model::RunRealisation(truth, random, work);
    int first = 1, last = one.length;
    while (first < last && one.ordinates[first] < 0.01 * one.peak)
        ++first;
    while (last > first && one.ordinates[last] < 0.01 * one.peak)
        --last;
    const QString csv = QDir::temp().filePath(QStringLiteral("pomiar.csv"));
    QFile file(csv);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 1;
    for (int h = first; h <= last; ++h)
        file.write(QString::number(h).toUtf8() + ";" +
                   text::FormatDecimals(one.ordinates[h], 2, QLatin1Char(',')).toUtf8() + "\n");
    file.close();

    window::RecordingMessages messages;
    window::QueueFileDialogs dialogs;
    dialogs.answers.push_back(QStringLiteral(MORAVEL_EXAMPLES_DIR "/zlewnia.kpr"));
    dialogs.answers.push_back(csv);
    import::FixedRangePicker picker(import::CellBlock{0, 0, 0, last - first, 1});
    TFormatkaOkno::Options options;
    options.reader = {QStringLiteral(MORAVEL_READER_PROGRAM), {}, 20000};
    options.messages = &messages;
    options.dialogs = &dialogs;
    options.decimalSeparator = QLatin1Char(',');
    TFormatkaOkno window(options);
    window.SetRangePicker(&picker);
    window.show();
    window.ImagePowitanieClick();
    Ui::TFormatkaOkno& ui = window::UiOf(window);
    ui.MenuPlikOtworzProjekt->trigger();
    ui.MenuObliczeniaHydrogram->trigger();
    window.MenuObliczeniaSeriaClick();
    window::SeriesWindow* series = window.seriesWindow();
    series->SeedEdit()->setText(QStringLiteral("20261211"));
    series->ComputeButton()->click();
    QElapsedTimer waited;
    waited.start();
    while (series->Running() && waited.elapsed() < 60000)
        app.processEvents(QEventLoop::AllEvents, 50);
    window.findChild<QAction*>(QStringLiteral("MenuWykresPomiar"))->trigger();
    window::MeasuredFloodWindow* measured = window::MeasuredFloodWindow::Find(window);
    if (!measured)
        return 1;
    measured->move(0, 0);
    measured->SeedEdit()->setText(QStringLiteral("20261211"));
    measured->CalibrateButton()->click();
    for (const auto& m : messages.log)
        std::fprintf(stderr, "message: %s\n", m.text.toUtf8().constData());
    QTimer::singleShot(1500, &app, [&] {
        ui.Wykres->grab().save(out.filePath(QStringLiteral("screenshot-measured-chart.png")));
        series->BandChart()->grab().save(out.filePath(QStringLiteral("screenshot-measured-band.png")));
        measured->grab().save(out.filePath(QStringLiteral("screenshot-measured.png")));
        app.quit();
    });
    return app.exec();
}
