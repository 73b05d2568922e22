#include "model/Geom.h"

#include "model/CheckedMath.h"
#include "text/Error.h"
#include "text/NumText.h"

#include <cmath>
#include <cstddef>

namespace moravel::model {
namespace {

// Working storage of a run, kept between runs so that a run of the same size allocates
// nothing; it only grows.
struct Workspace {
    // Per hour 1..N.
    std::vector<float> V, Tp, Qp, Tb;
    // The response of hour i occupies time steps first[i] .. first[i] + count[i] - 1; its
    // values start at cells[offset[i]]. Cells outside a response are zero and not stored.
    std::vector<int> first, count;
    std::vector<std::size_t> offset;
    std::vector<float> cells;
    // The new ordinates 1..length, copied to the state only when the run has succeeded.
    std::vector<float> ordinates;
};

Workspace& Work()
{
    static Workspace work;
    return work;
}

std::size_t Index(int i)
{
    return static_cast<std::size_t>(i);
}

// The hour-independent factors of the per-hour formulas, read and computed at the first hour
// with rain in the order the formulas meet them.
struct CatchmentFactors {
    double A = 0, RL = 0, Lo = 0;
    double alphaPow = 0;    // alpha^0.6
    double ratioPow = 0;    // (RB/RA)^0.55
    double lengthPow = 0;   // RL^-0.38
    double lengthPow2 = 0;  // RL^0.43
};

// Velocity, time to peak, peak per millimetre and base time of one hour with rain P.
void HourParameters(HydrographInputs& inputs, bool firstRainyHour, float alpha, double P, CatchmentFactors& f, float& V,
                    float& Tp, float& Qp, float& Tb)
{
    if (firstRainyHour) {
        f.A = inputs.Area();
        f.alphaPow = Power(alpha, 0.6);
    }
    const double intensityPow = Power(Checked(Checked(0.1 * f.A) * P), 0.4);
    V = ToSingle(Checked(Checked(0.665 * f.alphaPow) * intensityPow));

    if (firstRainyHour) {
        const double RB = inputs.RB();
        const double RA = inputs.RA();
        f.ratioPow = Power(Divide(RB, RA), 0.55);
        f.RL = inputs.RL();
        f.lengthPow = Power(f.RL, -0.38);
        f.Lo = inputs.Lo();
    }
    Tp = ToSingle(Divide(Checked(Checked(Checked(0.44 * f.ratioPow) * f.lengthPow) * f.Lo), V));

    if (firstRainyHour)
        f.lengthPow2 = Power(f.RL, 0.43);
    const double giuhPeak = Divide(Checked(Checked(1.31 * f.lengthPow2) * V), f.Lo);
    Qp = ToSingle(Checked(Divide(Checked(giuhPeak * 1000), 3600) * f.A));

    Tb = ToSingle(Divide(Checked(2000 * f.A), Checked(3600 * double(Qp))));
}

[[noreturn]] void TooLong(const char* text)
{
    throw Error(QString::fromUtf8(text));
}

// Extent of every response: hour i reaches from i to i + trunc(Tb_i); an hour with Tb_i = 0
// or a negative whole part has none. The hydrograph must fit the state. Lays out first, count,
// offset and the cells of hours 1..hours and returns the hydrograph's length.
int ResponseExtents(Workspace& w, int hours)
{
    w.first.assign(Index(hours) + 1, 0);
    w.count.assign(Index(hours) + 1, 0);
    w.offset.assign(Index(hours) + 1, 0);
    int length = 0;
    std::size_t cellCount = 0;
    for (int i = 1; i <= hours; ++i) {
        const double Tb = w.Tb[Index(i)];
        const double k = std::trunc(Tb);
        if (Tb == 0 || k < 0)
            continue;
        if (i + k > kStateCapacity)
            TooLong("Hydrogram dłuższy niż 1000 godzin - obliczenia przerwane");
        const int last = i + static_cast<int>(k);
        w.first[Index(i)] = i;
        w.count[Index(i)] = last - i + 1;
        w.offset[Index(i)] = cellCount;
        cellCount += Index(last - i + 1);
        if (last > length)
            length = last;
    }
    w.cells.resize(cellCount);
    return length;
}

// Triangular responses: rising limb scaled by a random factor 1.4..4.4, falling limb not.
void TriangularResponses(Workspace& w, const ComputationState& state, int hours, UniformSource& random)
{
    for (int i = 1; i <= hours; ++i) {
        const double Tp = w.Tp[Index(i)];
        const double Qp = w.Qp[Index(i)];
        const double Tb = w.Tb[Index(i)];
        const double P = state.EffectiveRain[i];
        float* row = w.cells.data() + w.offset[Index(i)];
        for (int c = 0; c < w.count[Index(i)]; ++c) {
            const int j = i + c;
            double u;
            if (j <= i + Tp) {
                const double rho = random.Next();
                u = Checked(Divide(Checked(Checked((1.4 + 3 * rho) * (j - i)) * Qp), Tp) * P);
            } else {
                u = Checked(Divide(Checked(((i + Tb) - j) * Qp), Tb - Tp) * P);
            }
            row[c] = ToSingle(u);
        }
    }
}

// Superposition into w.ordinates[1..length]: every hour's row takes part at every time step
// with its own random weight, rows that are zero there included.
void Superpose(Workspace& w, int hours, int length, UniformSource& random)
{
    w.ordinates.assign(Index(length) + 1, 0.0f);
    for (int t = 1; t <= length; ++t) {
        float sum = 0;
        for (int r = 1; r <= hours; ++r) {
            const double rho = random.Next();
            const int c = t - w.first[Index(r)];
            if (r <= t && c < w.count[Index(r)])
                sum = ToSingle(double(sum) + rho * double(w.cells[w.offset[Index(r)] + Index(c)]));
        }
        w.ordinates[Index(t)] = sum;
    }
}

}  // namespace

void ComputeHydrographCore(HydrographInputs& inputs, ComputationState& state, UniformSource& random)
{
    ComputeHydrographCore(inputs, state, random, nullptr);
}

void ComputeHydrographCore(HydrographInputs& inputs, ComputationState& state, UniformSource& random,
                           HydrographTrace* trace)
{
    Workspace& w = Work();

    // Channel parameter alpha = So^0.5 / n / b^(2/3), each input read right before its use.
    double channel = Power(inputs.So(), 0.5);
    channel = Divide(channel, inputs.n());
    const float alpha = ToSingle(Divide(channel, Power(inputs.b(), 2.0 / 3.0)));

    const int N = inputs.HourCount();
    if (N > kStateCapacity)
        TooLong("Liczba godzin opadu przekracza 1000 - obliczenia przerwane");
    const int hours = N > 0 ? N : 0;

    // Per-hour parameters; hours without rain (zero, negative or not a number) get zeros.
    w.V.assign(Index(hours) + 1, 0.0f);
    w.Tp.assign(Index(hours) + 1, 0.0f);
    w.Qp.assign(Index(hours) + 1, 0.0f);
    w.Tb.assign(Index(hours) + 1, 0.0f);
    CatchmentFactors factors;
    bool firstRainyHour = true;
    for (int i = 1; i <= hours; ++i) {
        const double P = state.EffectiveRain[i];
        if (!(P > 0))
            continue;
        HourParameters(inputs, firstRainyHour, alpha, P, factors, w.V[Index(i)], w.Tp[Index(i)], w.Qp[Index(i)],
                       w.Tb[Index(i)]);
        firstRainyHour = false;
    }
    if (trace) {
        trace->alpha = alpha;
        trace->V = w.V;
        trace->Tp = w.Tp;
        trace->Qp = w.Qp;
        trace->Tb = w.Tb;
    }

    const int length = ResponseExtents(w, hours);
    random.Reseed();
    TriangularResponses(w, state, hours, random);
    Superpose(w, hours, length, random);

    float peak = length > 0 ? w.ordinates[1] : state.HydrographOrdinates[1];
    for (int t = 2; t <= length; ++t)
        if (w.ordinates[Index(t)] > peak)
            peak = w.ordinates[Index(t)];
    const int peakRounded = text::RoundHalfEven(peak);

    // Nothing can fail from here on.
    state.HydrographLength = length;
    for (int t = 1; t <= length; ++t)
        state.HydrographOrdinates[t] = w.ordinates[Index(t)];
    state.PeakDischarge = peak;
    state.PeakDischargeRounded = peakRounded;
}

}  // namespace moravel::model
