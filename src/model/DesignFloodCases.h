#pragma once
// The storms of a design-flood table built from a depth-duration table, one rule for every
// caller (the design-flood window, moravel-run): for each probability and each storm duration
// the storm of the chosen shape, its hyetograph rounded to the rainfall table's tenths of a
// millimetre as the rainfall of the computation's inputs.
#include <QChar>
#include <QString>

#include <functional>
#include <vector>

#include "model/DesignFlood.h"
#include "model/DesignStorm.h"

namespace moravel::model {

// One probability of the table (per cent) and its depth (mm) for each of the table's durations.
struct DesignDepths {
    double probability = 0;
    std::vector<double> depths;
};

// The durations of the depth table's columns from the text of "Czasy trwania w tabeli [h]":
// numbers separated by semicolons, positive and rising (else moravel::Error).
std::vector<double> DesignTableDurations(const QString& text, QChar decimalSeparator);

// A design-flood table is computed from the total rainfall: refuses (moravel::Error) inputs
// whose effective rainfall is typed.
void RequireTotalRainfall(bool effectiveRainTyped);

// One probability of the depth table from its texts: the probability (per cent, strictly
// between 0 and 100; `row`, from 1, names it when it is not) and one depth for each of the
// table's durations (an empty text is a missing depth). Throws moravel::Error.
DesignDepths DesignDepthsOfTexts(int row, const QString& probability, const std::vector<QString>& depths,
                                 const std::vector<double>& tableHours, QChar decimalSeparator);

// Checks the last of `rows` against those above it; `rowNumbers` name the rows in messages (the
// window's table rows, a design file's lines). A probability given twice is refused, and so is
// a depth of a rarer storm (smaller probability) below the depth of a more frequent one for
// the same duration. Throws moravel::Error naming both rows and the duration.
void CheckDesignDepthsAcross(const std::vector<DesignDepths>& rows, const std::vector<int>& rowNumbers,
                             const std::vector<double>& tableHours, QChar decimalSeparator);

// Refuses (moravel::Error) a table without a single probability.
void RequireDesignFloodCases(const std::vector<DesignFloodCase>& cases);

// The storm durations of a table: with the critical duration each of the table's durations
// (whole hours from 1 to kMaxDesignStormHours, else moravel::Error), otherwise `duration` alone.
std::vector<int> DesignStormDurations(const std::vector<double>& tableHours, bool critical, int duration);

// Builds the computation's inputs with the given rainfall texts; `first` for the table's
// first storm only (the land use, the same for every storm, warns once).
using DesignRainfallInputs = std::function<ComputationInputs(const std::vector<QString>& rainfall, bool first)>;

// Appends the storms of one probability, one per storm duration. `shape` gives the shape, the
// alternating block's peak share and the user's curve; the duration and the depth-duration
// table are set here. Throws moravel::Error when the depths or the shape don't make a storm.
void AppendDesignFloodCases(std::vector<DesignFloodCase>& cases, const DesignDepths& row,
                            const std::vector<double>& tableHours, const std::vector<int>& stormHours,
                            const DesignStormInputs& shape, QChar decimalSeparator,
                            const DesignRainfallInputs& inputsOf);

}  // namespace moravel::model
