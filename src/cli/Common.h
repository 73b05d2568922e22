#pragma once
// What the commands of moravel-run share: how they speak (messages on standard error, a fault
// of the data), what they take from the command line the same way (the data files' decimal
// separator, the seed); the small text files a user writes for them are read by ContentLines.h.
#include <QChar>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

#include "text/Error.h"

namespace moravel::cli {

struct Arguments;

// A message on standard error, prefixed "moravel-run: ".
void Say(const QString& text);

// A fault of the data: exit code 1 (the readers' own messages name the data file).
class DataError : public Error {
public:
    using Error::Error;
};

// The decimal separator of the data files' numbers: the window's (the system locale's) unless
// the command line names one.
QChar DecimalSeparator(const Arguments& a);

// When the project (with `rainfall` read in place of its own, if given) does not read under
// `separator` but does under the other one (',' for '.', '.' for ','), the sentence to add to
// the failure's message that says so and names --separator; else an empty text. A data file
// written on a Polish system read under C.UTF-8 otherwise fails far from its cause (a curve
// number missing, a number not valid).
QString OtherSeparatorHint(const QString& project, QChar separator, const QString& rainfall = QString());

// `message` followed by `hint` as a sentence of its own.
QString WithHint(const QString& message, const QString& hint);

// The seed of --seed, else a clock seed, printed.
std::uint64_t SeedOf(const Arguments& a);

// The warning of a land-use area cell of `project` that is not a number, said once however
// often it is called.
std::function<void()> LandUseCellWarning(const QString& project);

}  // namespace moravel::cli
