#pragma once
// The command line of moravel-run. Every option is one row of a table (its name, the name of
// its value, which commands accept it, what --help says of it and how it is stored), so a new
// command or option is a row and a field, not a new parser; the usage text of --help, its forms
// included, is written from the same rows.
#include <QChar>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <stdexcept>

namespace moravel::cli {

enum class Command { Run, Merge, Manifest, Variants, Design, Help, Version };

// Realisations are numbered from 1 in the tables, as 32-bit integers.
inline constexpr std::int64_t kMaxRealisationNumber = 2147483647;

// The one rule for realisation counts: a count is bounded by what its command keeps.
// - A series that is streamed, its memory bounded whatever its size (--series, a manifest
//   line, a shard's --first and --count), numbers its realisations within
//   kMaxRealisationNumber: its count is at most that.
// - A table that keeps every realisation of each of its series in memory, as the window's
//   does (--variants, --design), has the window's bound, model::kMaxSeriesCount, per series.
// The refusal of a streamed series' count, on the command line and in a manifest alike.
QString StreamedSeriesTooLong();

struct Arguments {
    Command command = Command::Run;
    QStringList operands;  // the project (run), the shard folders (merge), the manifest
    std::optional<std::uint64_t> seed;
    std::optional<std::int64_t> series;  // --series N (a series; the series a shard belongs to)
    std::optional<std::int64_t> first;   // --first K (a realisation index, from 0)
    std::optional<std::int64_t> count;   // --count M (of a shard; of each variant's or storm's series)
    QString out;
    QString hydrographs;                    // --hydrographs FILE.nc
    QString band;                           // --band FILE.csv
    QString variants;                       // --variants FILE: the variants to compare
    QString design;                         // --design FILE: the inputs of a design-flood table
    QString xlsx;                           // --xlsx FILE.xlsx: the comparison or table as a workbook
    std::optional<QChar> decimalSeparator;  // --separator C: the data files' decimal separator
    bool quiet = false;                     // --quiet: no progress bar
    bool partial = false;                   // --partial: a merge of any contiguous range

    // A shard: a range of a series written into a folder.
    bool IsShard() const { return first.has_value() || count.has_value(); }
};

// A command line that can't be run: the text says why, in Polish.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const QString& text) : std::runtime_error(text.toStdString()), text_(text) {}
    const QString& text() const { return text_; }

private:
    QString text_;
};

// Parses the arguments after the program's name. Throws UsageError.
Arguments ParseArguments(const QStringList& arguments);

// The usage text of --help.
QString UsageText();

// Every option the command line knows, --help and --version included.
QStringList OptionNames();

}  // namespace moravel::cli
