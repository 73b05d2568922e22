#pragma once
// Random sources for the model tests: fixed values, or a known sequence of distinct values,
// each counting draws and reseeds.
#include "model/Random.h"

#include <cmath>
#include <memory>
#include <vector>

namespace moravel::model::testing {

class FixedSource : public UniformSource {
public:
    explicit FixedSource(double value) : value_(value) {}
    void Reseed() override { ++reseeds; }
    double Next() override
    {
        ++draws;
        return value_;
    }
    std::unique_ptr<UniformSource> Clone() const override { return std::make_unique<FixedSource>(*this); }
    int draws = 0;
    int reseeds = 0;

private:
    double value_;
};

// The k-th draw (k = 0, 1, ...) is frac(0.5 + k * 0.6180339887...), so no two draws are
// equal and a draw taken out of order changes the result. The reseed is recorded with the
// number of draws taken before it.
class SequenceSource : public UniformSource {
public:
    static double Value(long k)
    {
        const double v = 0.5 + static_cast<double>(k) * 0.6180339887498949;
        return v - std::floor(v);
    }
    void Reseed() override { reseedAfter.push_back(draws); }
    double Next() override { return Value(draws++); }
    std::unique_ptr<UniformSource> Clone() const override { return std::make_unique<SequenceSource>(*this); }
    long draws = 0;
    std::vector<long> reseedAfter;
};

}  // namespace moravel::model::testing
