#pragma once
// A measured flood read from the rows of a marked block: either two columns, the hour and the
// discharge, or one column of hourly discharges from hour 1. Rows that can't be a measurement
// are left out and named in warnings, so that the user sees what was taken before anything is
// drawn.
#include <QChar>
#include <QString>
#include <QStringList>
#include <vector>

#include "model/FitMeasures.h"

namespace moravel::model {

struct MeasuredReading {
    std::vector<MeasuredPoint> points;  // ascending hours
    // One Polish line per kind of concern (texts, empty cells, negative discharges, hours out
    // of order, missing hours), each with how many rows and the first of them; empty when all
    // rows were taken as they stand.
    QStringList warnings;
};

// The rows' texts (row r of the block at [r]); with two columns or more a row gives the hour
// (first) and the discharge (second), with one the discharge of hour r + 1. Left out, with a
// warning: a row whose hour or discharge is not a number (a heading), an empty discharge, a
// negative discharge, an hour not above the one before it (or not above 0). Hours that the
// taken rows skip are warned about as gaps. Throws moravel::Error with a Polish message when
// fewer than two rows are left.
MeasuredReading ReadMeasuredHydrograph(const std::vector<QStringList>& rows, QChar separator);

}  // namespace moravel::model
