#pragma once
// The hydrograph inputs as the window holds them: texts, each parsed only when the
// computation first needs it, so the first bad text or formula in the order of the
// formulas is the one reported.
#include <QChar>
#include <QString>

#include "model/Geom.h"

namespace moravel::model {

// The seven catchment parameters as typed.
struct CatchmentParameterTexts {
    QString So, n, b, RB, RA, RL, Lo;
};

struct HydrographTexts : CatchmentParameterTexts {
    QString Area;       // the catchment area caption
    QString HourCount;  // the number of rain hours
};

class TextHydrographInputs : public HydrographInputs {
public:
    TextHydrographInputs(HydrographTexts texts, QChar decimalSeparator)
        : texts_(std::move(texts)), separator_(decimalSeparator)
    {
    }

    double So() override { return Real(texts_.So); }
    double n() override { return Real(texts_.n); }
    double b() override { return Real(texts_.b); }
    int HourCount() override;
    double Area() override { return Real(texts_.Area); }
    double RB() override { return Real(texts_.RB); }
    double RA() override { return Real(texts_.RA); }
    double RL() override { return Real(texts_.RL); }
    double Lo() override { return Real(texts_.Lo); }

private:
    double Real(const QString& text) const;

    HydrographTexts texts_;
    QChar separator_;
};

}  // namespace moravel::model
