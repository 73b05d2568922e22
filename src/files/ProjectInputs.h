#pragma once
// The three data records as the inputs of a computation: the texts a fresh window holds
// after "Plik → Otwórz Projekt" has opened them, handed to the one builder of a computation's
// inputs (model::BuildComputationInputs). The window's opening changes the texts on the way
// in by a few rules, kept here so that a computation outside the window computes what the
// window computes:
//   - the rainfall record's kind "1" switches to typed effective rainfall: its hour values
//     are the effective rainfall, and the rainfall column holds placeholders;
//   - the hour count must be an integer when the rainfall file is opened (the strict
//     conversion's error ends the opening before the SCS file is read); hours beyond the
//     record's 399 fields are empty cells, up to the table's capacity;
//   - an own-class curve number is read only from a non-empty text (an empty one, as in a
//     fresh window, leaves the curve number 0 and no message);
//   - with typed effective rainfall, opening the SCS file books the grid's total area as the
//     typed catchment area (the area field takes the area caption).
#include <QChar>
#include <QString>

#include <functional>

#include "files/DataFiles.h"
#include "files/ShortTextRecord.h"
#include "model/ComputationInputs.h"
#include "model/LandUse.h"

namespace moravel::files {

// The texts and the land-use state a fresh window holds once the three records are open.
struct OpenedTexts {
    model::ComputationTexts texts;
    model::LandUseState landUse;
};

// The rainfall record's part: throws the strict integer conversion's error for an hour count
// that is not an integer, as the opening of the rainfall file does.
void ApplyRainfallRecord(OpenedTexts& opened, const RainfallRecord& rainfall);
void ApplyScsRecord(OpenedTexts& opened, const ScsRecord& scs, QChar separator);
void ApplyParametersRecord(OpenedTexts& opened, const ParametersRecord& parameters);

// The three records at once, in the order of the project's opening.
OpenedTexts OpenedTextsOfRecords(const RainfallRecord& rainfall, const ScsRecord& scs,
                                 const ParametersRecord& parameters, QChar separator);

// A project line that names no file (the project was saved with that choosing dialog
// cancelled): throws "Nie można otworzyć pliku <kind>: projekt nie podaje jego nazwy".
void RequireProjectFileName(const QString& path, const QString& kind);

// Reads the project file and its three data files in the order the window opens them, each
// applied before the next is read, so a fault is reported where the window reports it. A
// non-empty `rainfallPath` is read in place of the project's rainfall file: the project as if
// it named that file.
OpenedTexts OpenProjectTexts(const QString& projectPath, QChar separator, const QString& rainfallPath = QString());

// The computation's inputs of the records or of a project; `onInvalidLandUseCell` runs once
// per area cell that is not a number.
model::ComputationInputs ComputationInputsOfRecords(const RainfallRecord& rainfall, const ScsRecord& scs,
                                                    const ParametersRecord& parameters, QChar separator,
                                                    const std::function<void()>& onInvalidLandUseCell);
model::ComputationInputs ProjectComputationInputs(const QString& projectPath, QChar separator,
                                                  const std::function<void()>& onInvalidLandUseCell,
                                                  const QString& rainfallPath = QString());

}  // namespace moravel::files
