// The window's side of the effective-rainfall computation: it reads the hour count, the
// rainfall cells and the averaged curve number from the controls, runs the numeric core and
// writes the results into the computation state and the rainfall table.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include "model/CheckedMath.h"
#include "model/ComputationInputs.h"
#include "model/OpadEfektywnyObliczenia.h"
#include "text/NumText.h"
#include "window/FormatkaUi.h"
#include "window/Formatka.h"
#include "window/StringGrid.h"

using moravel::window::StringGrid;

using namespace moravel;

void TFormatkaOkno::ComputeEffectiveRain()
{
    random_->Reseed();
    if (ui->CheckBoxOpad->isChecked()) {
        const int hours = HourCountForState();
        for (int i = 1; i <= hours; ++i)
            StoreTypedEffectiveRain(i);
        return;
    }
    // Nothing to compute before the land use gives a curve number and the table has an hour.
    const QString caption = ui->LabelSCSSCSWartosc->text();
    if (text::StrToFloatDef(caption, 0, decimalSeparator_) != 0 && ui->Tabela_Opad->RowCount() >= 2)
        ComputeScsEffectiveRain(caption);
}

void TFormatkaOkno::ComputeScsEffectiveRain(const QString& curveNumberCaption)
{
    model::ComputationState& state = state_;
    StringGrid* table = ui->Tabela_Opad;
    const QChar sep = decimalSeparator_;

    ui->CheckBoxOpad->setEnabled(true);
    const float curveNumber = model::CurveNumberOf(curveNumberCaption, sep);
    const int hours = HourCountForState();
    for (int i = 1; i <= hours; ++i)
        state.Rainfall[i] = model::RainfallOf(RainfallText(i), sep);
    random_->SetKeyOrigin(model::FirstRainHour(&state.Rainfall[1], hours));
    // A fault half-way leaves the state's effective rainfall as it was: the core writes its
    // output only when the whole run has succeeded.
    model::ScsEffectiveRain(&state.Rainfall[1], hours, curveNumber, *random_, &state.EffectiveRain[1]);

    const int columns = window::kEffectiveRainColumn + 1;
    table->SetGridWidth(window::RainfallTableWidth(columns, table->ColCount() == columns ? table->RowCount() : 0,
                                                   window::kNarrowScrollBarRoom));
    table->SetColCount(columns);
    table->SetCell(window::kEffectiveRainColumn, 0, QStringLiteral("Hef [mm]"));
    for (int i = 1; i <= hours; ++i)
        SetEffectiveRainText(i, text::FormatEffectiveRain(state.EffectiveRain[i], sep));

    state.RainfallMax = state.Rainfall[1];
    for (int i = 2; i <= hours; ++i) {
        if (state.Rainfall[i] > state.RainfallMax)
            state.RainfallMax = state.Rainfall[i];
    }
    state.RainfallMaxRounded = text::RoundHalfEven(state.RainfallMax);
}

void TFormatkaOkno::StoreTypedEffectiveRain(int hour)
{
    state_.EffectiveRain[hour] = model::TypedEffectiveRainOf(EffectiveRainText(hour), decimalSeparator_);
}
