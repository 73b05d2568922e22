// The window's side of the effective-rainfall computation: it reads the hour count, the
// rainfall cells and the averaged curve number from the controls, runs the numeric core and
// writes the results into the computation state and the rainfall table.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include "model/CheckedMath.h"
#include "model/OpadEfektywnyObliczenia.h"
#include "model/Random.h"
#include "model/State.h"
#include "text/NumText.h"
#include "ui_Formatka.h"
#include "window/Formatka.h"
#include "window/StringGrid.h"

using namespace moravel;

void TFormatkaOkno::ComputeEffectiveRain()
{
    model::UniformSource& random = model::RandomSource();
    random.Reseed();
    model::ComputationState& state = model::State();
    StringGrid* table = ui->Tabela_Opad;
    const QChar sep = decimalSeparator_;

    if (!ui->CheckBoxOpad->isChecked()) {
        const QString caption = ui->LabelSCSSCSWartosc->text();
        const double captionValue = text::StrToFloatDef(caption, 0, sep);
        if (captionValue != 0 && table->RowCount() >= 2) {
            ui->CheckBoxOpad->setEnabled(true);
            const float curveNumber = model::ToSingle(text::StrToFloat(caption, sep));
            const int hours = HourCountForState();
            for (int i = 1; i <= hours; ++i)
                state.Rainfall[i] = model::ToSingle(text::StrToFloat(table->Cell(1, i), sep));
            // A fault half-way leaves the state's effective rainfall as it was: the core
            // writes its output only when the whole run has succeeded.
            model::ScsEffectiveRain(&state.Rainfall[1], hours, curveNumber, random, &state.EffectiveRain[1]);

            table->SetGridWidth(table->ColCount() == 3 && table->RowCount() > 39 ? 170 : 160);
            table->SetColCount(3);
            table->SetCell(2, 0, QStringLiteral("Hef [mm]"));
            for (int i = 1; i <= hours; ++i)
                table->SetCell(2, i, text::FormatEffectiveRain(state.EffectiveRain[i], sep));

            state.RainfallMax = state.Rainfall[1];
            for (int i = 2; i <= hours; ++i) {
                if (state.Rainfall[i] > state.RainfallMax)
                    state.RainfallMax = state.Rainfall[i];
            }
            state.RainfallMaxRounded = text::RoundHalfEven(state.RainfallMax);
        }
    }

    if (ui->CheckBoxOpad->isChecked()) {
        const int hours = HourCountForState();
        for (int i = 1; i <= hours; ++i) {
            const double typed = text::StrToFloatDef(table->Cell(2, i), 1.0, sep);
            state.EffectiveRain[i] = model::ToSingle(typed);
        }
    }
}
