#include "report/HydrographNotes.h"

namespace moravel::report {

TermNote RunoffCoefficientNote()
{
    return {QStringLiteral("Współczynnik odpływu"),
            QStringLiteral(" – objętość hydrogramu podzielona przez A\u00a0·\u00a0P (powierzchnia zlewni razy opad "
                           "całkowity).")};
}

TermNote OutflowVolumeNote()
{
    return {QStringLiteral("Objętość odpływu"),
            QStringLiteral(" to średnio ok. 0,75\u00a0·\u00a0A\u00a0·\u00a0ΣHef, a nie A\u00a0·\u00a0ΣHef: odpowiedzi "
                           "kolejnych godzin sumują się z losowymi wagami od 0 do 1, a ich ramiona wznoszące są "
                           "losowo powiększane 1,4–4,4\u00a0razy.")};
}

}  // namespace moravel::report
