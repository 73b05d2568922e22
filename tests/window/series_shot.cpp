// A picture of the "Seria realizacji" window after 1000 realisations of the example case,
// for the README (not a test):
//   xvfb-run -s "-screen 0 1280x1024x24" build/tests/window/series_shot docs/screenshot-series.png
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "window/Formatka.h"
#include "window/FormatkaUi.h"
#include "window/SeriaOkno.h"
#include "window/TestDoubles.h"

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: series_shot <picture.png>\n");
        return 2;
    }
    QApplication app(argc, argv);
    moravel::window::RecordingMessages messages;
    moravel::window::QueueFileDialogs dialogs;
    dialogs.answers.push_back(QStringLiteral(MORAVEL_EXAMPLES_DIR "/zlewnia.kpr"));
    TFormatkaOkno::Options options;
    options.messages = &messages;
    options.dialogs = &dialogs;
    options.decimalSeparator = QLatin1Char(',');
    TFormatkaOkno window(options);
    window.show();
    window.ImagePowitanieClick();
    Ui::TFormatkaOkno& ui = moravel::window::UiOf(window);
    ui.MenuPlikOtworzProjekt->trigger();
    ui.MenuObliczeniaHydrogram->trigger();
    window.MenuObliczeniaSeriaClick();
    moravel::window::SeriesWindow* series = window.seriesWindow();
    series->move(140, 60);
    series->SeedEdit()->setText(QStringLiteral("20261210"));
    series->ComputeButton()->click();
    QElapsedTimer waited;
    waited.start();
    while (series->Running() && waited.elapsed() < 60000)
        app.processEvents(QEventLoop::AllEvents, 50);
    for (const auto& m : messages.log)
        std::fprintf(stderr, "message: %s\n", m.text.toUtf8().constData());
    QTimer::singleShot(1500, &app, [&] {
        series->grab().save(QString::fromLocal8Bit(argv[1]));
        app.quit();
    });
    return app.exec();
}
