// Pictures of "Opad projektowy" and "Przepływy projektowe" on the example case, for the README
// (not a test):
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/tests/window/design_shots docs
// The depths are the README's worked example: illustrative numbers, not an atlas's.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <cstdio>

#include "window/Formatka.h"
#include "window/FormatkaUi.h"
#include "window/OpadProjektowyOkno.h"
#include "window/PrzeplywyProjektoweOkno.h"
#include "window/TestDoubles.h"

namespace {

void Fill(QTableWidget* table, const std::vector<QStringList>& rows)
{
    table->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r)
        for (int c = 0; c < rows[std::size_t(r)].size(); ++c)
            table->setItem(r, c, new QTableWidgetItem(rows[std::size_t(r)][c]));
}

void SetShape(moravel::window::StormShapeControls* shape, moravel::model::StormShape s)
{
    shape->ShapeBox()->setCurrentIndex(shape->ShapeBox()->findData(static_cast<int>(s)));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: design_shots <folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
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
    moravel::window::UiOf(window).MenuPlikOtworzProjekt->trigger();

    // The design storm of p = 1 %: Euler type II over 24 h from the depth-duration table.
    window.MenuOpadOpadProjektowyClick();
    moravel::window::DesignStormWindow* storm = window.designStormWindow();
    storm->move(100, 60);
    storm->SourceBox()->setCurrentIndex(1);
    Fill(storm->DepthDurationTable(), {{"1", "36"}, {"2", "43"}, {"3", "48"}, {"6", "57"}, {"12", "69"}, {"24", "83"}});
    SetShape(storm->Shape(), moravel::model::StormShape::EulerII);
    storm->DurationBox()->setValue(24);
    storm->PreviewButton()->click();

    // The design floods of eight probabilities under the same shape and duration.
    window.MenuObliczeniaPrzeplywyProjektoweClick();
    moravel::window::DesignFloodWindow* flood = window.designFloodWindow();
    flood->move(40, 40);
    flood->DurationsEdit()->setText(QStringLiteral("1; 2; 3; 6; 12; 24"));
    flood->CzasyTrwaniaChange();
    const double p24[] = {38, 49, 57, 64, 75, 83, 92, 104};
    const double share[] = {0.43, 0.52, 0.58, 0.69, 0.83, 1.0};
    const char* const probability[] = {"50", "20", "10", "5", "2", "1", "0,5", "0,2"};
    std::vector<QStringList> rows;
    for (int r = 0; r < 8; ++r) {
        QStringList row{QString::fromLatin1(probability[r])};
        for (double s : share)
            row << QString::number(std::round(p24[r] * s)).replace('.', ',');
        rows.push_back(row);
    }
    Fill(flood->DepthTable(), rows);
    SetShape(flood->Shape(), moravel::model::StormShape::EulerII);
    flood->SeedEdit()->setText(QStringLiteral("20261211"));
    flood->ComputeButton()->click();
    QElapsedTimer waited;
    waited.start();
    while (flood->Running() && waited.elapsed() < 120000)
        app.processEvents(QEventLoop::AllEvents, 50);
    for (const auto& m : messages.log)
        std::fprintf(stderr, "message: %s\n", m.text.toUtf8().constData());
    QTimer::singleShot(1500, &app, [&] {
        storm->grab().save(folder + QStringLiteral("/screenshot-design-storm.png"));
        flood->grab().save(folder + QStringLiteral("/screenshot-design-flood.png"));
        // The p = 1 % row for the README's worked example.
        const QTableWidget* t = flood->ResultTable();
        for (int r = 0; r < t->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < t->columnCount(); ++c)
                cells << t->item(r, c)->text();
            std::printf("%s\n", cells.join(QStringLiteral(" | ")).toUtf8().constData());
        }
        app.quit();
    });
    return app.exec();
}
