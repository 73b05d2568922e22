// The parameter panel and the window's side of the hydrograph: the entry checks of the seven
// catchment parameters, the Enter cycle through them, the hydrograph computed from the
// present texts, and the two commands of "Obliczenia" (the chart and the report workbook).
#include <QAction>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

#include "excel/Excel.h"
#include "model/Geom.h"
#include "model/HydrographTextInputs.h"
#include "text/NumText.h"
#include "ui_Formatka.h"
#include "window/Formatka.h"
#include "window/StringGrid.h"
#include "window/wykres.h"

using moravel::window::StringGrid;

using namespace moravel;

namespace {

// Hands every key pressed in an edit to its key handler and lets the key go on to the edit.
class KeyDownFilter : public QObject {
public:
    KeyDownFilter(QObject* parent, std::function<void(int key)> onKey) : QObject(parent), onKey_(std::move(onKey)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress)
            onKey_(static_cast<QKeyEvent*>(event)->key());
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(int key)> onKey_;
};

}  // namespace

std::array<QLineEdit*, 7> TFormatkaOkno::ParameterEdits() const
{
    return {ui->EditParametryRB, ui->EditParametryRL, ui->EditParametryRA, ui->EditParametrySo,
            ui->EditParametryLo, ui->EditParametryb,  ui->EditParametryn};
}

void TFormatkaOkno::BindParameterPanel()
{
    for (QLineEdit* edit : ParameterEdits()) {
        BindChange(edit, [this, edit] { CheckParameterField(edit); });
        edit->installEventFilter(new KeyDownFilter(
            this, [this, edit](int key) { Guarded([this, edit, key] { EditParametryEnter(edit, key); }); }));
    }
    connect(ui->MenuObliczeniaHydrogram, &QAction::triggered, this,
            [this] { Guarded([this] { MenuObliczeniaHydrogramClick(); }); });
    connect(ui->MenuObliczeniaRaportExcel, &QAction::triggered, this,
            [this] { Guarded([this] { MenuObliczeniaRaportExcelClick(); }); });
}

void TFormatkaOkno::CheckParameterField(QLineEdit* edit)
{
    double value = 0;
    if (!text::TryStrToFloat(edit->text(), decimalSeparator_, value))
        messages_->Info(QStringLiteral("Wprowadź liczbę rzeczywistą"));
    for (const QLineEdit* parameter : ParameterEdits())
        if (parameter->text().isEmpty())
            return;
    ui->MenuObliczenia->setEnabled(true);
}

void TFormatkaOkno::EditParametryEnter(QLineEdit* edit, int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Down)
        return;
    const std::array<QLineEdit*, 7> edits = ParameterEdits();
    for (size_t i = 0; i < edits.size(); ++i)
        if (edits[i] == edit)
            edits[(i + 1) % edits.size()]->setFocus();
}

void TFormatkaOkno::ComputeHydrograph()
{
    model::HydrographTexts texts;
    texts.So = ui->EditParametrySo->text();
    texts.n = ui->EditParametryn->text();
    texts.b = ui->EditParametryb->text();
    texts.RB = ui->EditParametryRB->text();
    texts.RA = ui->EditParametryRA->text();
    texts.RL = ui->EditParametryRL->text();
    texts.Lo = ui->EditParametryLo->text();
    texts.Area = ui->LabelSCSPowierzchniaWartosc->text();
    texts.HourCount = ui->Edit_Liczba_godzin_opadu->text();
    model::TextHydrographInputs inputs(std::move(texts), decimalSeparator_);
    model::ComputeHydrographCore(inputs, state_, *random_, workspace_);
}

void TFormatkaOkno::ShowHydrographChart()
{
    ui->Wykres->ShowHydrographChart(state_);
}

void TFormatkaOkno::MenuObliczeniaHydrogramClick()
{
    Tabela_SCSClick();
    ComputeHydrograph();
    ShowHydrographChart();
}

void TFormatkaOkno::MenuObliczeniaRaportExcelClick()
{
    ComputeHydrograph();
    excel::ReportData data = excel::ReportDataFromState(state_);
    data.RiverName = ui->EditTytul1->text();
    data.CrossSection = ui->EditTytul2->text();
    data.LandUse = GridTexts(ui->Tabela_SCS);
    data.CatchmentArea = ui->LabelSCSPowierzchniaWartosc->text();
    data.RB = ui->EditParametryRB->text();
    data.RL = ui->EditParametryRL->text();
    data.RA = ui->EditParametryRA->text();
    data.So = ui->EditParametrySo->text();
    data.Lo = ui->EditParametryLo->text();
    data.b = ui->EditParametryb->text();
    data.n = ui->EditParametryn->text();
    const QString path = excel::NewReportFilePath();
    excel::WriteExcelReport(data, path);
    opener_->Open(path);
}
