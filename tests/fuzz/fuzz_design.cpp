// Any bytes read as moravel-run's design file (the project it names is never opened): the
// inputs of a design-flood table that keep the window's rules, or a refusal naming the file
// and, when a line is at fault, the line. The rules: the table's durations positive and
// rising; storm durations whole hours from 1 to the longest storm (with the critical duration
// the table's own); every probability strictly between 0 and 100 % and given once, with a
// finite depth for each duration, and a rarer storm's depth never below a more frequent
// one's; the peak one of those offered; the user's curve from (0, 0) to (1, 1), times rising
// and depths not falling.
#include "UserFileFuzz.h"
#include "cli/DesignFile.h"

#include <cmath>
#include <iterator>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace moravel;
    const UserFileInput file(data, size);
    const int lineCount = file.lineCount;
    int projectCalls = 0;
    const auto read = ReadUserFile(file, [&](const QString& path) {
        return cli::ReadDesignFile(path, [&](const cli::DesignFileInputs& sofar) {
            ++projectCalls;
            // Called with the durations read and checked, before the depths and the shape.
            FUZZ_CHECK(!sofar.tableHours.empty() && sofar.rows.empty());
            FUZZ_CHECK(!sofar.project.text.isEmpty() && sofar.project.line >= 1 && sofar.project.line <= lineCount);
        });
    });
    FUZZ_CHECK(projectCalls <= 1);
    if (!read)
        return 0;
    const cli::DesignFileInputs& in = *read;
    FUZZ_CHECK(projectCalls == 1);
    FUZZ_CHECK(in.path == file.path);
    FUZZ_CHECK(in.durations.line >= 1 && in.durations.line <= lineCount && !in.durations.text.isEmpty());

    const std::vector<double>& hours = in.tableHours;
    FUZZ_CHECK(!hours.empty());
    for (std::size_t c = 0; c < hours.size(); ++c)
        FUZZ_CHECK(std::isfinite(hours[c]) && hours[c] > 0 && (c == 0 || hours[c] > hours[c - 1]));

    FUZZ_CHECK(in.critical ? in.duration == 0 : in.duration >= 1 && in.duration <= model::kMaxDesignStormHours);
    if (in.critical) {
        FUZZ_CHECK(in.stormHours.size() == hours.size());
        for (std::size_t c = 0; c < hours.size(); ++c)
            FUZZ_CHECK(in.stormHours[c] == hours[c]);
    } else {
        FUZZ_CHECK(in.stormHours.size() == 1 && in.stormHours[0] == in.duration);
    }
    for (int h : in.stormHours)
        FUZZ_CHECK(h >= 1 && h <= model::kMaxDesignStormHours);

    FUZZ_CHECK(!in.rows.empty() && in.rows.size() == in.rowLines.size());
    for (std::size_t r = 0; r < in.rows.size(); ++r) {
        const model::DesignDepths& row = in.rows[r];
        FUZZ_CHECK(row.probability > 0 && row.probability < 100);
        FUZZ_CHECK(row.depths.size() == hours.size());
        for (double d : row.depths)
            FUZZ_CHECK(std::isfinite(d));
        FUZZ_CHECK(in.rowLines[r] >= 1 && in.rowLines[r] <= lineCount && (r == 0 || in.rowLines[r] > in.rowLines[r - 1]));
        for (std::size_t o = 0; o < r; ++o) {
            const model::DesignDepths& other = in.rows[o];
            FUZZ_CHECK(other.probability != row.probability);
            const model::DesignDepths& rare = row.probability < other.probability ? row : other;
            const model::DesignDepths& frequent = row.probability < other.probability ? other : row;
            for (std::size_t c = 0; c < hours.size(); ++c)
                FUZZ_CHECK(rare.depths[c] >= frequent.depths[c]);
        }
    }

    FUZZ_CHECK(in.peakIndex >= 0 && in.peakIndex < int(std::size(model::kAlternatingPeakShares)));
    FUZZ_CHECK(in.shape.peakShare == model::kAlternatingPeakShares[in.peakIndex]);
    const std::vector<model::CumulativePoint>& curve = in.shape.userCurve.Points();
    FUZZ_CHECK(curve.empty() == (in.shape.shape != model::StormShape::UserCurve));
    if (!curve.empty()) {
        FUZZ_CHECK(curve.front().time == 0 && curve.front().depth == 0);
        FUZZ_CHECK(curve.back().time == 1 && curve.back().depth == 1);
        for (std::size_t i = 1; i < curve.size(); ++i)
            FUZZ_CHECK(curve[i].time > curve[i - 1].time && curve[i].depth >= curve[i - 1].depth);
    }
    return 0;
}
