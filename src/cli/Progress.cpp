#include "cli/Progress.h"

#include <unistd.h>

#include <string>

namespace moravel::cli {

bool ProgressWanted(bool quiet)
{
    return !quiet && isatty(STDERR_FILENO) == 1;
}

ProgressBar::ProgressBar(std::int64_t total, bool enabled)
    : total_(total), enabled_(enabled && total > 0), start_(Clock::now()), last_(start_)
{
}

ProgressBar::~ProgressBar()
{
    if (drawn_)
        std::fputs("\n", stderr);
}

void ProgressBar::Update(std::int64_t done)
{
    if (!enabled_)
        return;
    const Clock::time_point now = Clock::now();
    if (done < total_ && now - last_ < std::chrono::milliseconds(200))
        return;
    last_ = now;
    Draw(done);
}

void ProgressBar::Draw(std::int64_t done)
{
    constexpr int kWidth = 30;
    const int filled = static_cast<int>(kWidth * done / total_);
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.resize(kWidth, '.');
    const double elapsed = std::chrono::duration<double>(Clock::now() - start_).count();
    const double left = done > 0 ? elapsed * static_cast<double>(total_ - done) / static_cast<double>(done) : 0;
    std::fprintf(stderr, "\r[%s] %lld/%lld realizacji, zostało ok. %.0f s  ", bar.c_str(), static_cast<long long>(done),
                 static_cast<long long>(total_), left);
    std::fflush(stderr);
    drawn_ = true;
}

}  // namespace moravel::cli
