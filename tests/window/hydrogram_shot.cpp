// A picture of the main window after "Hydrogram" on the example catchment (about 104 km2,
// a 24-hour storm of 71,5 mm), for the README (not a test):
//   xvfb-run -s "-screen 0 1280x1024x24" build/tests/window/hydrogram_shot docs/screenshot-hydrogram.png
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <cstdio>

#include "window/Formatka.h"
#include "window/FormatkaUi.h"
#include "window/StringGrid.h"
#include "window/TestDoubles.h"

using moravel::window::StringGrid;

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: hydrogram_shot <picture.png>\n");
        return 2;
    }
    QApplication app(argc, argv);
    moravel::window::RecordingMessages messages;
    TFormatkaOkno::Options options;
    options.messages = &messages;
    options.decimalSeparator = QLatin1Char(',');
    TFormatkaOkno window(options);
    Ui::TFormatkaOkno& ui = moravel::window::UiOf(window);
    window.show();
    window.ImagePowitanieClick();
    ui.EditTytul1->setText(QStringLiteral("Wisłoka"));
    ui.EditTytul2->setText(QStringLiteral("Pustków"));

    const char* const storm[] = {"0,3", "0,5", "0,7", "1,0", "1,4", "1,9", "2,6", "3,5", "4,8", "6,2", "13,6", "10,4",
                                 "7,1", "4,9", "3,4", "2,5", "1,8", "1,3", "1,0", "0,8", "0,6", "0,5", "0,4",  "0,3"};
    window.SetText(ui.Edit_Liczba_godzin_opadu, QStringLiteral("24"));
    for (int i = 0; i < 24; ++i)
        ui.Tabela_Opad->SetCell(1, i + 1, QString::fromLatin1(storm[i]));

    const struct {
        int row;
        const char* areas[4];
    } landUse[] = {{0, {"", "18,5", "9,2", ""}},   {1, {"", "6,4", "4,1", ""}},  {3, {"", "5,3", "3,7", "1,2"}},
                   {4, {"", "4,8", "6,3", "2,9"}}, {5, {"2,1", "4,6", "", ""}},  {6, {"8,4", "12,7", "3,5", ""}},
                   {11, {"", "1,6", "0,9", ""}},   {13, {"", "2,2", "1,1", ""}}, {17, {"", "0,4", "0,3", ""}},
                   {19, {"", "0,6", "0,5", ""}},   {20, {"", "1,4", "1,0", ""}}};
    for (const auto& row : landUse)
        for (int g = 0; g < 4; ++g)
            ui.Tabela_SCS->SetCell(g, row.row, QString::fromLatin1(row.areas[g]));
    QLineEdit* const own[] = {ui.EditSCSA, ui.EditSCSB, ui.EditSCSC, ui.EditSCSD};
    const char* const ownCurveNumbers[] = {"43", "65", "76", "82"};
    for (int g = 0; g < 4; ++g)
        window.SetText(own[g], QString::fromLatin1(ownCurveNumbers[g]));
    const char* const parameters[] = {"4,2", "2,3", "4,8", "0,004", "12", "15", "0,04"};  // RB RL RA So Lo b n
    for (int k = 0; k < 7; ++k)
        window.SetText(window.ParameterEdits()[k], QString::fromLatin1(parameters[k]));

    messages.Clear();
    ui.MenuObliczeniaHydrogram->trigger();
    for (const auto& m : messages.log)
        std::fprintf(stderr, "message: %s\n", m.text.toUtf8().constData());
    QTimer::singleShot(1500, &app, [&] {
        window.grab().save(QString::fromLocal8Bit(argv[1]));
        app.quit();
    });
    return app.exec();
}
