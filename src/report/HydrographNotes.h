#pragma once
// What a hydrograph's volume and runoff coefficient mean, in the words of the main window's
// status-bar tooltip and of the exports that show the same figures. Products are held together
// by non-breaking spaces.
#include <QString>

namespace moravel::report {

// A term and what follows it: a window sets the term in bold, an export writes them together.
struct TermNote {
    QString term;
    QString rest;
    QString Plain() const { return term + rest; }
};

// The runoff coefficient: the hydrograph's volume over A · P.
TermNote RunoffCoefficientNote();
// Why the volume is about three quarters of A · ΣHef, not A · ΣHef.
TermNote OutflowVolumeNote();

}  // namespace moravel::report
