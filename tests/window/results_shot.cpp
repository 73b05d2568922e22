// Pictures of what the window gives out of a hydrograph, for looking at and for the README
// (not a test): the example catchment's chart saved as PNG, SVG and PDF, its printed page
// (the print preview's pages, rendered to a PDF), and the window with the chart's context
// menu open, kept on screen for a few seconds so that it can be photographed:
//   xvfb-run -s "-screen 0 1280x1024x24" build/tests/window/results_shot OUTDIR
// With --preview after the folder, the real print preview is shown instead of the menu; the
// README's docs/print-preview.png is its page, cut out of a photograph of a 1920 × 1080 screen.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QTimer>
#include <cstdio>

#include "window/ZapisOdczytDanych.h"
#include "window/ChartExport.h"
#include "window/Formatka.h"
#include "window/FormatkaUi.h"
#include "window/TestDoubles.h"
#include "window/wykres.h"

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: results_shot <folder>\n");
        return 2;
    }
    QApplication app(argc, argv);
    const QDir out(QString::fromLocal8Bit(argv[1]));
    moravel::window::RecordingMessages messages;
    moravel::window::PdfPrinting printing;
    printing.path = out.filePath(QStringLiteral("wydruk.pdf"));
    const bool preview = argc > 2 && QByteArray(argv[2]) == "--preview";
    TFormatkaOkno::Options options;
    options.messages = &messages;
    options.printing = preview ? nullptr : &printing;
    options.decimalSeparator = QLatin1Char(',');
    TFormatkaOkno window(options);
    window.show();
    window.ImagePowitanieClick();
    window.Guarded([&] { moravel::window::LoadProject(window, QStringLiteral(MORAVEL_EXAMPLES_DIR "/zlewnia.kpr")); });
    moravel::window::UiOf(window).MenuObliczeniaHydrogram->trigger();
    for (const auto& e : messages.log)
        std::fprintf(stderr, "%s\n", qPrintable(e.text));

    QTimer::singleShot(500, [&] {
        moravel::window::ChartExport& results = window.chartExport();
        results.WriteChart(out.filePath(QStringLiteral("wykres.png")), moravel::window::ChartFormat::Png);
        results.WriteChart(out.filePath(QStringLiteral("wykres.svg")), moravel::window::ChartFormat::Svg);
        results.WriteChart(out.filePath(QStringLiteral("wykres.pdf")), moravel::window::ChartFormat::Pdf);
        QTimer::singleShot(6000, &app, &QApplication::quit);
        if (!preview) {
            results.Print();
            QWidget* viewport = moravel::window::UiOf(window).Wykres->viewport();
            results.Menu()->popup(viewport->mapToGlobal(QPoint(420, 90)));
        } else {
            results.Print();  // modal until the quit
        }
    });
    return app.exec();
}
