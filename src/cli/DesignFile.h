#pragma once
// The design file of moravel-run --design (its keys are described in DesignRun.h) read into
// the inputs of the design-flood table: every value checked as the window checks its
// controls, with the window's messages, and every message naming the file and the line it is
// about.
#include <QString>

#include <functional>
#include <vector>

#include "model/DesignFloodCases.h"
#include "model/DesignStorm.h"

namespace moravel::cli {

// A value of the design file as written and the line it stands on.
struct DesignValue {
    int line = 0;
    QString text;
};

struct DesignFileInputs {
    QString path;
    DesignValue project;             // the project, relative to the file's folder
    DesignValue durations;           // "czasy trwania" as written
    std::vector<double> tableHours;  // positive and rising
    bool critical = false;
    int duration = 0;             // 1..kMaxDesignStormHours; 0 with the critical duration
    std::vector<int> stormHours;  // the storms of each probability, 1..kMaxDesignStormHours
    // The probabilities (unique, strictly between 0 and 100 %) with one depth for each of the
    // table's durations, a rarer storm's depth never below a more frequent one's; the file's
    // line of each.
    std::vector<model::DesignDepths> rows;
    std::vector<int> rowLines;
    model::DesignStormInputs shape;  // shape, peak share and user's curve (hours and depths unset)
    int peakIndex = 2;               // the peak's place in model::kAlternatingPeakShares
};

// Throws moravel::Error (a DataError): "<file>, wiersz <line>: <why>".
[[noreturn]] void RefuseDesignLine(const QString& path, int line, const QString& why);

// Reads the design file at `path`. `project` is called once the durations are read, before
// the depths and the shape, with what is read so far (the project's value among it): the
// command opens the project there, so that its faults come before those of the lines below.
// Throws moravel::Error naming the file, and the line when a line is at fault.
DesignFileInputs ReadDesignFile(const QString& path, const std::function<void(const DesignFileInputs&)>& project);

}  // namespace moravel::cli
