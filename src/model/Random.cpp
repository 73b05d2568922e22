#include "model/Random.h"

#include <chrono>
#include <random>

namespace moravel::model {
namespace {

class ClockSeededSource : public UniformSource {
public:
    void Reseed() override
    {
        engine_.seed(static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    }
    double Next() override
    {
        // 53 random bits give a double uniform in [0, 1) that never rounds up to 1.
        return static_cast<double>(engine_() >> 11) * 0x1.0p-53;
    }

private:
    std::mt19937_64 engine_{std::random_device{}()};
};

ClockSeededSource& RealSource()
{
    static ClockSeededSource source;
    return source;
}

UniformSource* installed = nullptr;

}  // namespace

UniformSource& RandomSource()
{
    return installed ? *installed : RealSource();
}

void SetRandomSource(UniformSource* source)
{
    installed = source;
}

}  // namespace moravel::model
