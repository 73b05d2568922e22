// The parameter panel and the window's side of the hydrograph: the entry checks of the seven
// catchment parameters, the Enter cycle through them, the hydrograph computed from the
// present texts, and the two commands of "Obliczenia" (the chart and the report workbook).
#include <QAction>
#include <algorithm>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

#include "report/Excel.h"
#include "model/Geom.h"
#include "model/ComputationInputs.h"
#include "model/HydrographTextInputs.h"
#include "text/NumText.h"
#include "window/FormatkaUi.h"
#include "window/ChartExport.h"
#include "window/Formatka.h"
#include "window/LongWork.h"
#include "window/StringGrid.h"
#include "window/wykres.h"

using moravel::window::RunLongWork;
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

model::CatchmentParameterTexts TFormatkaOkno::ParameterTextsOfControls() const
{
    model::CatchmentParameterTexts texts;
    texts.RB = ui->EditParametryRB->text();
    texts.RL = ui->EditParametryRL->text();
    texts.RA = ui->EditParametryRA->text();
    texts.So = ui->EditParametrySo->text();
    texts.Lo = ui->EditParametryLo->text();
    texts.b = ui->EditParametryb->text();
    texts.n = ui->EditParametryn->text();
    return texts;
}

model::HydrographTexts TFormatkaOkno::HydrographTextsOfControls() const
{
    return model::HydrographTextsOf(ParameterTextsOfControls(), ui->LabelSCSPowierzchniaWartosc->text(),
                                    ui->Edit_Liczba_godzin_opadu->text());
}

model::ComputationTexts TFormatkaOkno::ComputationTextsOfControls() const
{
    model::ComputationTexts texts;
    texts.hourCount = ui->Edit_Liczba_godzin_opadu->text();
    texts.effectiveRainTyped = ui->CheckBoxOpad->isChecked();
    // Every hour the hour count names, up to the table's capacity; a larger count is refused
    // by the builder before any hour is read.
    const int hours = std::clamp(text::StrToIntDef(texts.hourCount, 0), 0, kMaxRainfallHours);
    for (int i = 1; i <= hours; ++i) {
        texts.rainfall.push_back(RainfallText(i));
        texts.effectiveRain.push_back(EffectiveRainText(i));
    }
    texts.landUseAreas = GridTexts(ui->Tabela_SCS);
    texts.typedArea = ui->EditParametryPole->text();
    texts.parameters = ParameterTextsOfControls();
    return texts;
}

void TFormatkaOkno::ComputeHydrograph()
{
    model::TextHydrographInputs inputs(HydrographTextsOfControls(), decimalSeparator_);
    // Keyed draws count from the storm's first hour with rain, as a series' realisation does.
    const int hours = std::clamp(text::StrToIntDef(ui->Edit_Liczba_godzin_opadu->text(), 0), 0, kMaxRainfallHours);
    const bool direct = ui->CheckBoxOpad->isChecked();
    random_->SetKeyOrigin(model::FirstRainHour(direct ? &state_.EffectiveRain[1] : &state_.Rainfall[1], hours));
    // A hydrograph of hundreds of thousands of hours takes seconds: the window keeps
    // repainting meanwhile. The texts were read above; the work touches no widget.
    RunLongWork(this, {QStringLiteral("Obliczanie hydrogramu\u2026")},
                [&] { model::ComputeHydrographCore(inputs, state_, *random_, workspace_); });
}

void TFormatkaOkno::ShowHydrographChart()
{
    ui->Wykres->ShowHydrographChart(state_);
    chartExport_->ChartShown(state_, HourCountForState(), ui->CheckBoxOpad->isChecked());
}

void TFormatkaOkno::MenuObliczeniaHydrogramClick()
{
    BuildWorkingPanels();
    Tabela_SCSClick();
    ComputeHydrograph();
    ShowHydrographChart();
}

void TFormatkaOkno::MenuObliczeniaRaportExcelClick()
{
    BuildWorkingPanels();
    ComputeHydrograph();
    report::ReportData data = report::ReportDataFromState(state_);
    data.RiverName = ui->EditTytul1->text();
    data.CrossSection = ui->EditTytul2->text();
    data.LandUse = GridTexts(ui->Tabela_SCS);
    data.CatchmentArea = ui->LabelSCSPowierzchniaWartosc->text();
    const model::HydrographTexts texts = HydrographTextsOfControls();
    data.RB = texts.RB;
    data.RL = texts.RL;
    data.RA = texts.RA;
    data.So = texts.So;
    data.Lo = texts.Lo;
    data.b = texts.b;
    data.n = texts.n;
    QString path;
    RunLongWork(this, {QStringLiteral("Zapisywanie raportu\u2026")}, [&] {
        path = report::NewReportFilePath();
        report::WriteExcelReport(data, path);
    });
    opener_->Open(path);
}
