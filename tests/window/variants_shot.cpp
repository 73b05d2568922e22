// A picture of the "Porównanie wariantów" window for the README (not a test): the example
// case against the same catchment with 5 % of its area sealed (moved from its largest
// land-use cell to roofs and paved parking), 1000 realisations each.
//   xvfb-run -s "-screen 0 1280x1024x24" build/tests/window/variants_shot docs/screenshot-variants.png
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "ZlewniaSeries.h"
#include "files/DataFiles.h"
#include "text/NumText.h"
#include "window/Formatka.h"
#include "window/FormatkaUi.h"
#include "window/PorownanieWariantowOkno.h"
#include "window/TestDoubles.h"

using namespace moravel;

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: variants_shot <picture.png>\n");
        return 2;
    }
    QApplication app(argc, argv);
    const QChar comma = QLatin1Char(',');

    // The sealed variant: its own SCS file and project beside the example's other files.
    QTemporaryDir dir;
    const QString examplesDir = QStringLiteral(MORAVEL_EXAMPLES_DIR);
    files::WriteScsFile(dir.filePath(QStringLiteral("uszczelniona.kws")), examples::ZlewniaSealedLandUse(0.05));
    files::WriteProjectFile(
        dir.filePath(QStringLiteral("uszczelnienie 5%.kpr")),
        {examplesDir + QStringLiteral("/zlewnia.kwp"), dir.filePath(QStringLiteral("uszczelniona.kws")),
         examplesDir + QStringLiteral("/zlewnia.kwx")});

    window::RecordingMessages messages;
    window::QueueFileDialogs dialogs;
    dialogs.answers.push_back(examplesDir + QStringLiteral("/zlewnia.kpr"));
    dialogs.answers.push_back(dir.filePath(QStringLiteral("uszczelnienie 5%.kpr")));
    TFormatkaOkno::Options options;
    options.messages = &messages;
    options.dialogs = &dialogs;
    options.decimalSeparator = comma;
    TFormatkaOkno main(options);
    main.show();
    main.ImagePowitanieClick();
    window::UiOf(main).MenuPlikOtworzProjekt->trigger();
    main.MenuObliczeniaWariantyClick();
    window::VariantsWindow* v = main.variantsWindow();
    v->move(100, 40);
    v->AddButton()->click();
    v->VariantList()->item(0, 0)->setText(QStringLiteral("stan obecny"));
    v->SeedEdit()->setText(QStringLiteral("20261211"));
    v->ComputeButton()->click();
    QElapsedTimer waited;
    waited.start();
    while (v->Running() && waited.elapsed() < 120000)
        app.processEvents(QEventLoop::AllEvents, 50);
    for (const auto& m : messages.log)
        std::fprintf(stderr, "message: %s\n", m.text.toUtf8().constData());
    QTimer::singleShot(1500, &app, [&] {
        v->grab().save(QString::fromLocal8Bit(argv[1]));
        app.quit();
    });
    return app.exec();
}
