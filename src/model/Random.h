#pragma once
// The process-wide uniform random source that both computations draw from.

namespace moravel::model {

class UniformSource {
public:
    virtual ~UniformSource() = default;
    // Restarts the sequence from the clock (a fixed source used by tests may ignore it).
    virtual void Reseed() = 0;
    // One draw, uniform in [0, 1).
    virtual double Next() = 0;
};

// The source the computations use: the clock-seeded generator unless a test installed
// another one with SetRandomSource (pass nullptr to go back to the real one).
UniformSource& RandomSource();
void SetRandomSource(UniformSource* source);

}  // namespace moravel::model
