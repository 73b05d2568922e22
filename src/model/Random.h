#pragma once
// The uniform random source that both computations draw from. Each owner (the window, a
// test, a worker thread) keeps its own source; nothing here is process-wide.
#include <memory>
#include <random>

namespace moravel::model {

class UniformSource {
public:
    virtual ~UniformSource() = default;
    // Restarts the sequence from the clock (a fixed source used by tests may ignore it).
    virtual void Reseed() = 0;
    // One draw, uniform in [0, 1).
    virtual double Next() = 0;
    // An independent copy that continues the same sequence from this point: the hydrograph
    // core replays a stretch of draws with it instead of storing what they produced.
    virtual std::unique_ptr<UniformSource> Clone() const = 0;
};

// The real source: a 64-bit Mersenne Twister, seeded from the system's entropy when made
// and from the clock by Reseed.
class ClockSeededSource : public UniformSource {
public:
    ClockSeededSource();
    void Reseed() override;
    double Next() override;
    std::unique_ptr<UniformSource> Clone() const override;

private:
    std::mt19937_64 engine_;
};

}  // namespace moravel::model
