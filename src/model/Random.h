#pragma once
// The uniform random source that both computations draw from. Each owner (the window, a
// test, a worker thread) keeps its own source; nothing here is process-wide.
#include <cstdint>
#include <memory>
#include <optional>
#include <random>

namespace moravel::model {

// What a draw of the computation is for. With the hour and step it belongs to, it keys the
// draw: a keyed source gives the same value for the same key whatever was drawn before, so
// two computations that differ in what they draw (another curve number makes other hours
// rainy and other responses longer) still share the draws of what they have in common.
// Hours in keys count from the storm's key origin (SetKeyOrigin): a storm entered a few
// hours later draws the same values for the same hours of the storm.
enum class DrawPurpose : std::uint8_t {
    Retention,     // the retention's enlargement, once a run (hour and step 0, not hours)
    Increment,     // the enlargement of hour `hour`'s effective rainfall (step 0)
    RisingFactor,  // the rising-limb factor of hour `hour`'s response at step `step` (a step, not an hour)
    Weight,        // the weight of hour `step`'s response in the ordinate of time `hour` (both hours)
};

class UniformSource {
public:
    virtual ~UniformSource() = default;
    // Restarts the sequence from the clock (a fixed source used by tests may ignore it).
    virtual void Reseed() = 0;
    // One draw, uniform in [0, 1).
    virtual double Next() = 0;
    // The draw for `purpose` at (`hour`, `step`). The cores ask for their draws through it in
    // one fixed order; a source read in order (the window's own) ignores the key and gives
    // the next draw of its sequence, a keyed source (a series' realisation) gives the value
    // of the key.
    virtual double Draw(DrawPurpose purpose, int hour, int step)
    {
        (void)purpose;
        (void)hour;
        (void)step;
        return Next();
    }
    // The hour that keys count as hour 1: the storm's first hour with rain (FirstRainHour),
    // so that only the storm, not the dry hours entered before it, decides the draws. A
    // source read in order has no keys and ignores it.
    virtual void SetKeyOrigin(int hour) { (void)hour; }
    // An independent copy that continues the same sequence from this point: the hydrograph
    // core replays a stretch of draws with it instead of storing what they produced.
    virtual std::unique_ptr<UniformSource> Clone() const = 0;
};

// The real source: a 64-bit Mersenne Twister, seeded from the system's entropy when made
// and from the clock by Reseed. Seed() is the seed it took last, so that a run can be
// replayed: a source made with that seed restarts from it at every Reseed instead of from
// the clock.
// The first of `count` hours whose value (rainfall, or effective rainfall given directly) is
// above zero, counted from 1; 1 when none is.
int FirstRainHour(const float* hours, int count);

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
