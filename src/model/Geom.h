#pragma once
// The geomorphological hydrograph on plain values: each hour of effective rain gets a
// triangular response (GIUH time to peak and peak, kinematic-wave velocity), scaled by
// random factors and superposed into the outflow hydrograph.
#include "model/Random.h"
#include "model/State.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace moravel::model {

// The inputs, fetched one at a time right before their first use, so that a caller who
// parses texts lazily reports the first failing text or formula in the order the formulas
// meet them: So, n, b (step 1), the hour count, then at the first hour with rain A, RB, RA,
// RL and Lo. The core calls every getter at most once per run.
class HydrographInputs {
public:
    virtual ~HydrographInputs() = default;
    virtual double So() = 0;
    virtual double n() = 0;
    virtual double b() = 0;
    virtual int HourCount() = 0;
    virtual double Area() = 0;
    virtual double RB() = 0;
    virtual double RA() = 0;
    virtual double RL() = 0;
    virtual double Lo() = 0;
};

// Inputs that are already numbers.
struct HydrographParameters {
    double So = 0, n = 0, b = 0, RB = 0, RA = 0, RL = 0, Lo = 0, Area = 0;
    int HourCount = 0;
};

class PlainHydrographInputs : public HydrographInputs {
public:
    explicit PlainHydrographInputs(const HydrographParameters& p) : p_(p) {}
    double So() override { return p_.So; }
    double n() override { return p_.n; }
    double b() override { return p_.b; }
    int HourCount() override { return p_.HourCount; }
    double Area() override { return p_.Area; }
    double RB() override { return p_.RB; }
    double RA() override { return p_.RA; }
    double RL() override { return p_.RL; }
    double Lo() override { return p_.Lo; }

private:
    HydrographParameters p_;
};

// Working storage of the hydrograph core, owned by the caller. Kept between runs it lets a
// run of the same size allocate nothing; one workspace serves one run at a time, so each
// thread that computes hydrographs keeps its own. Its contents are the core's business.
struct HydrographWorkspace {
    // Per hour 1..N: velocity, time to peak, peak per millimetre, base time.
    std::vector<float> V, Tp, Qp, Tb;
    // The response of hour i occupies time steps i .. i + count[i] - 1.
    std::vector<int> count;
    // While the responses together have at most storedCellLimit cells, each hour's values
    // are kept, starting at cells[offset[i]]. Above it nothing per cell is kept: replay[i]
    // is a copy of the random source taken where hour i's rising-limb draws begin, and the
    // superposition computes every value again from the same draws.
    std::vector<std::size_t> offset;
    std::vector<float> cells;
    std::vector<std::unique_ptr<UniformSource>> replay;
    // The new ordinates 1..length, copied to the state only when the run has succeeded.
    std::vector<float> ordinates;

    static constexpr std::size_t kDefaultStoredCellLimit = std::size_t{1} << 21;  // 8 MB of cells
    std::size_t storedCellLimit = kDefaultStoredCellLimit;

    // Bytes held by the buffers (their capacity), not counting the copies of the source.
    std::size_t StorageBytes() const;
};

// Reads EffectiveRain[1..N] of the state, draws from `random` (reseeding it once, after the
// per-hour parameters), and writes HydrographOrdinates, HydrographLength, PeakDischarge and
// PeakDischargeRounded. Throws moravel::Error on a floating-point fault, on a failing getter,
// or (before any slot of the state is written) when N exceeds the 1000 hours the state
// holds or the hydrograph would be longer than kMaxHydrographLength hours. Runs on different
// threads are independent as long as each has its own state, source and workspace.
void ComputeHydrographCore(HydrographInputs& inputs, ComputationState& state, UniformSource& random,
                           HydrographWorkspace& workspace);

// The working values of one run: the channel parameter and, per hour 1..N (index 0 unused),
// velocity, time to peak, peak per millimetre and base time, as stored in single precision.
struct HydrographTrace {
    float alpha = 0;
    std::vector<float> V, Tp, Qp, Tb;
};

// The same run, also handing out its working values when `trace` is not null.
void ComputeHydrographCore(HydrographInputs& inputs, ComputationState& state, UniformSource& random,
                           HydrographWorkspace& workspace, HydrographTrace* trace);

// The same runs with a workspace of their own (allocated for the run).
void ComputeHydrographCore(HydrographInputs& inputs, ComputationState& state, UniformSource& random);
void ComputeHydrographCore(HydrographInputs& inputs, ComputationState& state, UniformSource& random,
                           HydrographTrace* trace);

}  // namespace moravel::model
