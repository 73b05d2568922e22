#include "model/Random.h"

#include <chrono>

namespace moravel::model {

int FirstRainHour(const float* hours, int count)
{
    for (int i = 0; i < count; ++i)
        if (hours[i] > 0)
            return i + 1;
    return 1;
}

ClockSeededSource::ClockSeededSource()
{
    SeedWith(std::random_device{}());
}

ClockSeededSource::ClockSeededSource(std::uint64_t replayedSeed) : replayedSeed_(replayedSeed)
{
    SeedWith(replayedSeed);
}

void ClockSeededSource::Reseed()
{
    SeedWith(replayedSeed_
                 ? *replayedSeed_
                 : static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count()));
}

double ClockSeededSource::Next()
{
    // 53 random bits give a double uniform in [0, 1) that never rounds up to 1.
    return static_cast<double>(engine_() >> 11) * 0x1.0p-53;
}

std::unique_ptr<UniformSource> ClockSeededSource::Clone() const
{
    return std::make_unique<ClockSeededSource>(*this);
}

void ClockSeededSource::SeedWith(std::uint64_t seed)
{
    seed_ = seed;
    engine_.seed(seed);
}

}  // namespace moravel::model
