#include "model/Geom.h"

#include "model/CheckedMath.h"
#include "text/Error.h"
#include "text/NumText.h"

#include <cmath>
#include <cstddef>

namespace moravel::model {
namespace {

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

[[noreturn]] void TooLong(const QString& text)
{
    throw Error(text);
}

// Extent of every response: hour i reaches from i to i + trunc(Tb_i); an hour with Tb_i = 0
// or a negative whole part has none. The hydrograph must end by kMaxHydrographLength. Sets
// count and offset of hours 1..hours, decides whether the cells are kept, and returns the
// hydrograph's length.
int ResponseExtents(HydrographWorkspace& w, int hours)
{
    w.count.assign(Index(hours) + 1, 0);
    w.offset.assign(Index(hours) + 1, 0);
    int length = 0;
    std::size_t cellCount = 0;
    for (int i = 1; i <= hours; ++i) {
        const double Tb = w.Tb[Index(i)];
        const double k = std::trunc(Tb);
        if (Tb == 0 || k < 0)
            continue;
        // Tb grows as P^-0.4: an hour whose effective rainfall is barely above zero (the hour
        // in which the cumulative rain first passes the initial abstraction) is what makes a
        // response this long.
        if (i + k > kMaxHydrographLength)
            TooLong(QStringLiteral("Hydrogram dłuższy niż 1 000 000 godzin (bardzo mały opad efektywny w godzinie %1)"
                                   " - obliczenia przerwane")
                        .arg(i));
        const int last = i + static_cast<int>(k);
        w.count[Index(i)] = last - i + 1;
        w.offset[Index(i)] = cellCount;
        cellCount += Index(last - i + 1);
        if (last > length)
            length = last;
    }
    if (cellCount <= w.storedCellLimit) {
        w.cells.resize(cellCount);
        w.replay.clear();
    } else {
        w.cells.clear();
        w.replay.clear();
        w.replay.resize(Index(hours) + 1);
    }
    return length;
}

bool CellsStored(const HydrographWorkspace& w)
{
    return w.replay.empty();
}

// The value of hour i's response at time step i + c: on the rising limb (up to the time to
// peak) scaled by a random factor 1.4..4.4 drawn from `random`, on the falling limb not.
inline float ResponseCell(double Tp, double Qp, double Tb, double P, int i, int c, UniformSource& random)
{
    const int j = i + c;
    double u;
    if (j <= i + Tp) {
        const double rho = random.Draw(DrawPurpose::RisingFactor, i, c);
        u = Checked(Divide(Checked(Checked((1.4 + 3 * rho) * (j - i)) * Qp), Tp) * P);
    } else {
        u = Checked(Divide(Checked(((i + Tb) - j) * Qp), Tb - Tp) * P);
    }
    return ToSingle(u);
}

// Triangular responses, hour after hour, taking the rising-limb draws from `random` and
// raising any floating-point fault before the superposition draws. The values are kept in
// the cells, or else a copy of the source is kept where each hour's draws begin.
void TriangularResponses(HydrographWorkspace& w, const ComputationState& state, int hours, UniformSource& random)
{
    const bool stored = CellsStored(w);
    for (int i = 1; i <= hours; ++i) {
        const int count = w.count[Index(i)];
        if (count == 0)
            continue;
        const double Tp = w.Tp[Index(i)];
        const double Qp = w.Qp[Index(i)];
        const double Tb = w.Tb[Index(i)];
        const double P = state.EffectiveRain[i];
        if (stored) {
            float* row = w.cells.data() + w.offset[Index(i)];
            for (int c = 0; c < count; ++c)
                row[c] = ResponseCell(Tp, Qp, Tb, P, i, c, random);
        } else {
            w.replay[Index(i)] = random.Clone();
            for (int c = 0; c < count; ++c)
                (void)ResponseCell(Tp, Qp, Tb, P, i, c, random);
        }
    }
}

// Superposition into w.ordinates[1..length]: every hour's row takes part at every time step
// with its own random weight, rows that are zero there included. Without kept cells each
// value is computed again, its rising-limb draw replayed from the hour's copy of the source
// (the copies advance in step with time, as the first pass did).
template <bool kStored>
void Superpose(HydrographWorkspace& w, const ComputationState& state, int hours, int length, UniformSource& random)
{
    w.ordinates.assign(Index(length) + 1, 0.0f);
    for (int t = 1; t <= length; ++t) {
        float sum = 0;
        for (int r = 1; r <= hours; ++r) {
            const double rho = random.Draw(DrawPurpose::Weight, t, r);
            const int c = t - r;
            if (r <= t && c < w.count[Index(r)]) {
                float cell;
                if constexpr (kStored)
                    cell = w.cells[w.offset[Index(r)] + Index(c)];
                else
                    cell = ResponseCell(w.Tp[Index(r)], w.Qp[Index(r)], w.Tb[Index(r)], state.EffectiveRain[r], r, c,
                                        *w.replay[Index(r)]);
                sum = ToSingle(double(sum) + rho * double(cell));
            }
        }
        w.ordinates[Index(t)] = sum;
    }
}

template <typename T>
std::size_t Bytes(const std::vector<T>& v)
{
    return v.capacity() * sizeof(T);
}

}  // namespace

std::size_t HydrographWorkspace::StorageBytes() const
{
    return Bytes(V) + Bytes(Tp) + Bytes(Qp) + Bytes(Tb) + Bytes(count) + Bytes(offset) + Bytes(cells) + Bytes(replay) +
           Bytes(ordinates);
}

void ComputeHydrographCore(HydrographInputs& inputs, ComputationState& state, UniformSource& random)
{
    HydrographWorkspace workspace;
    ComputeHydrographCore(inputs, state, random, workspace, nullptr);
}

void ComputeHydrographCore(HydrographInputs& inputs, ComputationState& state, UniformSource& random,
                           HydrographTrace* trace)
{
    HydrographWorkspace workspace;
    ComputeHydrographCore(inputs, state, random, workspace, trace);
}

void ComputeHydrographCore(HydrographInputs& inputs, ComputationState& state, UniformSource& random,
                           HydrographWorkspace& workspace)
{
    ComputeHydrographCore(inputs, state, random, workspace, nullptr);
}

void ComputeHydrographCore(HydrographInputs& inputs, ComputationState& state, UniformSource& random,
                           HydrographWorkspace& w, HydrographTrace* trace)
{
    // Channel parameter alpha = So^0.5 / n / b^(2/3), each input read right before its use.
    double channel = Power(inputs.So(), 0.5);
    channel = Divide(channel, inputs.n());
    const float alpha = ToSingle(Divide(channel, Power(inputs.b(), 2.0 / 3.0)));

    const int N = inputs.HourCount();
    if (N > kStateCapacity)
        TooLong(QStringLiteral("Liczba godzin opadu przekracza 1000 - obliczenia przerwane"));
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
    if (CellsStored(w))
        Superpose<true>(w, state, hours, length, random);
    else
        Superpose<false>(w, state, hours, length, random);
    w.replay.clear();

    // With no hydrograph the peak is the first ordinate the state already holds.
    float peak = length > 0 ? w.ordinates[1] : state.HydrographOrdinates.size() > 1 ? state.HydrographOrdinates[1] : 0;
    for (int t = 2; t <= length; ++t)
        if (w.ordinates[Index(t)] > peak)
            peak = w.ordinates[Index(t)];
    const int peakRounded = text::RoundHalfEven(peak);

    // Nothing can fail from here on.
    if (state.HydrographOrdinates.size() < Index(length) + 1)
        state.HydrographOrdinates.resize(Index(length) + 1, 0.0f);
    state.HydrographLength = length;
    for (int t = 1; t <= length; ++t)
        state.HydrographOrdinates[t] = w.ordinates[Index(t)];
    state.PeakDischarge = peak;
    state.PeakDischargeRounded = peakRounded;
}

}  // namespace moravel::model
