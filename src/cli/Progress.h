#pragma once
// Progress of a long run on standard error, when it is a terminal: a bar with the
// realisations done and an estimate of the time left, redrawn at most five times a second.
// Quiet when standard error is no terminal (a batch job's log) or when told.
#include <chrono>
#include <cstdint>
#include <cstdio>

namespace moravel::cli {

class ProgressBar {
public:
    ProgressBar(std::int64_t total, bool enabled);
    ~ProgressBar();
    void Update(std::int64_t done);

private:
    void Draw(std::int64_t done);
    using Clock = std::chrono::steady_clock;
    std::int64_t total_;
    bool enabled_;
    bool drawn_ = false;
    Clock::time_point start_, last_;
};

// Whether a bar would show: standard error is a terminal.
bool ProgressWanted(bool quiet);

}  // namespace moravel::cli
