#pragma once
// The uniform random source that both computations draw from. Each owner (the window, a
// test, a worker thread) keeps its own source; nothing here is process-wide.
#include <cstdint>
#include <memory>
#include <optional>
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
// and from the clock by Reseed. Seed() is the seed it took last, so that a run can be
// replayed: a source made with that seed restarts from it at every Reseed instead of from
// the clock.
class ClockSeededSource : public UniformSource {
public:
    ClockSeededSource();
    explicit ClockSeededSource(std::uint64_t replayedSeed);
    void Reseed() override;
    double Next() override;
    std::unique_ptr<UniformSource> Clone() const override;
    std::uint64_t Seed() const { return seed_; }

private:
    void SeedWith(std::uint64_t seed);

    std::optional<std::uint64_t> replayedSeed_;
    std::uint64_t seed_ = 0;
    std::mt19937_64 engine_;
};

}  // namespace moravel::model
