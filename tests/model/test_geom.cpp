#include "model/Geom.h"
#include "text/Error.h"

#include "Sources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace moravel;
using namespace moravel::model;
using moravel::model::testing::FixedSource;
using moravel::model::testing::SequenceSource;

namespace {

// The worked example's catchment: So 0.01, n 0.04, b 10, RB 4, RA 5, RL 2, Lo 10, A 100.
HydrographParameters Example(int hours)
{
    HydrographParameters p;
    p.So = 0.01;
    p.n = 0.04;
    p.b = 10;
    p.RB = 4;
    p.RA = 5;
    p.RL = 2;
    p.Lo = 10;
    p.Area = 100;
    p.HourCount = hours;
    return p;
}

std::unique_ptr<ComputationState> NewState()
{
    return std::make_unique<ComputationState>();
}

// Every value of the two states is the same, bit for bit.
bool SameState(const ComputationState& a, const ComputationState& b)
{
    return std::memcmp(a.Rainfall, b.Rainfall, sizeof a.Rainfall) == 0 &&
           std::memcmp(a.EffectiveRain, b.EffectiveRain, sizeof a.EffectiveRain) == 0 &&
           a.HydrographOrdinates.size() == b.HydrographOrdinates.size() &&
           std::memcmp(a.HydrographOrdinates.data(), b.HydrographOrdinates.data(),
                       a.HydrographOrdinates.size() * sizeof(float)) == 0 &&
           std::memcmp(&a.RainfallMax, &b.RainfallMax, sizeof a.RainfallMax) == 0 &&
           a.RainfallMaxRounded == b.RainfallMaxRounded && a.HydrographLength == b.HydrographLength &&
           std::memcmp(&a.PeakDischarge, &b.PeakDischarge, sizeof a.PeakDischarge) == 0 &&
           a.PeakDischargeRounded == b.PeakDischargeRounded;
}

// A straightforward dense recomputation of the hydrograph, written from the method's
// description: a full response matrix of N rows by 1000 time steps.
struct Reference {
    int length = 0;
    std::vector<float> ordinates;  // 1..length
    float peak = 0;
    long draws = 0;
};

double Pow(double x, double y)
{
    return std::exp(y * std::log(x));
}

Reference ReferenceRun(const HydrographParameters& p, const ComputationState& state, UniformSource& random)
{
    const int N = p.HourCount;
    const float alpha = float(Pow(p.So, 0.5) / p.n / Pow(p.b, 2.0 / 3.0));
    std::vector<float> V(N + 1), Tp(N + 1), Qp(N + 1), Tb(N + 1);
    for (int i = 1; i <= N; ++i) {
        const double P = state.EffectiveRain[i];
        if (P > 0) {
            V[i] = float(0.665 * Pow(alpha, 0.6) * Pow(0.1 * p.Area * P, 0.4));
            Tp[i] = float(0.44 * Pow(p.RB / p.RA, 0.55) * Pow(p.RL, -0.38) * p.Lo / V[i]);
            Qp[i] = float((1.31 * Pow(p.RL, 0.43) * V[i] / p.Lo) * 1000 / 3600 * p.Area);
            Tb[i] = float(2000 * p.Area / (3600.0 * Qp[i]));
        }
    }
    Reference ref;
    random.Reseed();
    std::vector<std::vector<float>> U(N + 1, std::vector<float>(1001, 0.0f));
    for (int i = 1; i <= N; ++i) {
        if (Tb[i] == 0)
            continue;
        const int k = int(Tb[i]);
        if (k < 0)
            continue;
        for (int j = i; j <= i + k; ++j) {
            if (j <= i + double(Tp[i])) {
                const double rho = random.Next();
                ++ref.draws;
                U[i][j] = float((1.4 + 3 * rho) * (j - i) * double(Qp[i]) / Tp[i] * state.EffectiveRain[i]);
            } else {
                U[i][j] =
                    float(((i + double(Tb[i])) - j) * double(Qp[i]) / (double(Tb[i]) - Tp[i]) * state.EffectiveRain[i]);
            }
            ref.length = std::max(ref.length, j);
        }
    }
    ref.ordinates.assign(ref.length + 1, 0.0f);
    for (int t = 1; t <= ref.length; ++t)
        for (int r = 1; r <= N; ++r) {
            const double rho = random.Next();
            ++ref.draws;
            ref.ordinates[t] = float(ref.ordinates[t] + rho * U[r][t]);
        }
    ref.peak = ref.length > 0 ? ref.ordinates[1] : state.HydrographOrdinates[1];
    for (int t = 2; t <= ref.length; ++t)
        ref.peak = std::max(ref.peak, ref.ordinates[t]);
    return ref;
}

// Runs the core on `rain` and compares with the reference recomputation. A cell limit of 0
// makes the core keep no response cells and replay the rising-limb draws instead.
void ExpectMatchesReference(const HydrographParameters& p, const std::vector<float>& rain,
                            std::size_t storedCellLimit = HydrographWorkspace::kDefaultStoredCellLimit)
{
    auto state = NewState();
    for (int i = 1; i <= p.HourCount; ++i)
        state->EffectiveRain[i] = rain[i - 1];
    SequenceSource refSource;
    const Reference ref = ReferenceRun(p, *state, refSource);

    SequenceSource source;
    PlainHydrographInputs inputs(p);
    HydrographWorkspace workspace;
    workspace.storedCellLimit = storedCellLimit;
    ComputeHydrographCore(inputs, *state, source, workspace);

    ASSERT_EQ(state->HydrographLength, ref.length);
    for (int t = 1; t <= ref.length; ++t)
        ASSERT_EQ(state->HydrographOrdinates[t], ref.ordinates[t]) << "t = " << t;
    EXPECT_EQ(state->PeakDischarge, ref.peak);
    EXPECT_EQ(source.draws, ref.draws);
    EXPECT_EQ(source.reseedAfter, std::vector<long>{0});
}

TEST(Hydrograph, WorkedExampleWithEveryDrawAHalf)
{
    auto state = NewState();
    state->EffectiveRain[1] = 10;
    PlainHydrographInputs inputs(Example(1));
    FixedSource half(0.5);
    HydrographTrace trace;
    ComputeHydrographCore(inputs, *state, half, &trace);

    EXPECT_NEAR(trace.alpha, 0.53861, 1e-5);
    EXPECT_NEAR(trace.V[1], 2.8946, 1e-4);
    EXPECT_NEAR(trace.Tp[1], 1.0332, 1e-4);
    EXPECT_NEAR(trace.Qp[1], 14.190, 1e-3);
    EXPECT_NEAR(trace.Tb[1], 3.9150, 1e-4);

    EXPECT_EQ(state->HydrographLength, 4);
    EXPECT_EQ(state->HydrographOrdinates[1], 0.0f);
    EXPECT_NEAR(state->HydrographOrdinates[2], 199.15, 0.01);
    EXPECT_NEAR(state->HydrographOrdinates[3], 47.148, 0.001);
    EXPECT_NEAR(state->HydrographOrdinates[4], 22.528, 0.001);
    EXPECT_EQ(state->HydrographOrdinates[5], 0.0f);
    EXPECT_EQ(state->PeakDischarge, state->HydrographOrdinates[2]);
    EXPECT_EQ(state->PeakDischargeRounded, 199);
    // Two rising-limb points (times 1 and 2) and four superposition weights.
    EXPECT_EQ(half.draws, 6);
    EXPECT_EQ(half.reseeds, 1);
}

TEST(Hydrograph, DrawOrderAndResultsMatchAnIndependentRecomputation)
{
    struct Case {
        const char* what;
        HydrographParameters p;
        std::vector<float> rain;
    };
    HydrographParameters steep = Example(3);  // base time below one hour: k = 0
    steep.So = 0.5;
    steep.n = 0.01;
    steep.b = 1;
    HydrographParameters negativeRatios = Example(4);
    negativeRatios.RA = 4;  // RB = RA
    std::vector<Case> cases = {
        {"storm with dry and negative hours", Example(8), {2.5f, 0, 7.25f, 12, -1, 0.5f, 3, 0}},
        {"not-a-number hour counts as dry", Example(3), {1, std::numeric_limits<float>::quiet_NaN(), 4}},
        {"base time under one hour", steep, {10, 0, 5}},
        {"RB equal to RA", negativeRatios, {3, 3, 3, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectMatchesReference(c.p, c.rain);
        SCOPED_TRACE("responses replayed, not kept");
        ExpectMatchesReference(c.p, c.rain, 0);
    }
}

TEST(Hydrograph, BaseTimeUnderOneHourWritesOneZeroPoint)
{
    HydrographParameters p = Example(2);
    p.So = 0.5;
    p.n = 0.01;
    p.b = 1;
    auto state = NewState();
    state->EffectiveRain[2] = 10;
    PlainHydrographInputs inputs(p);
    FixedSource half(0.5);
    HydrographTrace trace;
    ComputeHydrographCore(inputs, *state, half, &trace);
    ASSERT_LT(trace.Tb[2], 1.0f);
    EXPECT_EQ(state->HydrographLength, 2);
    EXPECT_EQ(state->HydrographOrdinates[1], 0.0f);
    EXPECT_EQ(state->HydrographOrdinates[2], 0.0f);
    EXPECT_EQ(half.draws, 1 + 2 * 2);
}

// Inputs that log every getter call and can fail or return a chosen value per getter.
class RecordingInputs : public HydrographInputs {
public:
    explicit RecordingInputs(const HydrographParameters& p) : p_(p) {}
    std::vector<std::string> calls;
    std::map<std::string, QString> failures;  // getter -> error text it throws

    double So() override { return Get("So", p_.So); }
    double n() override { return Get("n", p_.n); }
    double b() override { return Get("b", p_.b); }
    int HourCount() override { return static_cast<int>(Get("N", p_.HourCount)); }
    double Area() override { return Get("A", p_.Area); }
    double RB() override { return Get("RB", p_.RB); }
    double RA() override { return Get("RA", p_.RA); }
    double RL() override { return Get("RL", p_.RL); }
    double Lo() override { return Get("Lo", p_.Lo); }

private:
    double Get(const std::string& name, double value)
    {
        calls.push_back(name);
        const auto f = failures.find(name);
        if (f != failures.end())
            throw Error(f->second);
        return value;
    }
    HydrographParameters p_;
};

std::string Joined(const std::vector<std::string>& calls)
{
    std::string s;
    for (const auto& c : calls)
        s += (s.empty() ? "" : " ") + c;
    return s;
}

void FillSentinels(ComputationState& state)
{
    for (int t = 0; t <= kStateCapacity; ++t) {
        state.HydrographOrdinates[t] = 1000.0f + t;
        state.EffectiveRain[t] = 0;
    }
    state.HydrographLength = 77;
    state.PeakDischarge = 12.5f;
    state.PeakDischargeRounded = 13;
}

TEST(Hydrograph, ErrorPrecedenceAndLazyReads)
{
    const QString zero = QStringLiteral("Floating point division by zero");
    const QString invalid = QStringLiteral("Invalid floating point operation");
    const QString notFloat = QStringLiteral("'x' is not a valid floating point value");
    const QString notInt = QStringLiteral("'abc' is not a valid integer value");
    const QString tooMany = QStringLiteral("Liczba godzin opadu przekracza 1000 - obliczenia przerwane");
    const QString tooLong = QStringLiteral(
        "Hydrogram dłuższy niż 1 000 000 godzin (bardzo mały opad efektywny w godzinie 2) - obliczenia przerwane");
    struct Case {
        const char* what;
        std::function<void(HydrographParameters&, RecordingInputs&)> setup;
        QString error;  // empty: the run succeeds
        std::string calls;
        bool rain = true;
        float secondHourRain = 9;
    };
    const std::string all = "So n b N A RB RA RL Lo";
    const Case cases[] = {
        {"So 0 fails before n is read", [](auto& p, auto&) { p.So = 0; }, zero, "So"},
        {"negative So before a bad n",
         [&](auto& p, auto& in) {
             p.So = -0.01;
             in.failures["n"] = notFloat;
         },
         invalid, "So"},
        {"bad So text", [&](auto&, auto& in) { in.failures["So"] = notFloat; }, notFloat, "So"},
        {"n 0", [](auto& p, auto&) { p.n = 0; }, zero, "So n"},
        {"b 0 after n", [](auto& p, auto&) { p.b = 0; }, zero, "So n b"},
        {"negative b", [](auto& p, auto&) { p.b = -3; }, invalid, "So n b"},
        {"bad hour count", [&](auto&, auto& in) { in.failures["N"] = notInt; }, notInt, "So n b N"},
        {"more than 1000 hours", [](auto& p, auto&) { p.HourCount = 1001; }, tooMany, "So n b N"},
        {"negative n fails at alpha^0.6, after A is read", [](auto& p, auto&) { p.n = -0.04; }, invalid, "So n b N A"},
        {"bad area before negative alpha",
         [&](auto& p, auto& in) {
             p.n = -0.04;
             in.failures["A"] = notFloat;
         },
         notFloat, "So n b N A"},
        {"area 0", [](auto& p, auto&) { p.Area = 0; }, zero, "So n b N A"},
        {"negative area", [](auto& p, auto&) { p.Area = -100; }, invalid, "So n b N A"},
        {"RB 0", [](auto& p, auto&) { p.RB = 0; }, zero, "So n b N A RB RA"},
        {"RA 0", [](auto& p, auto&) { p.RA = 0; }, zero, "So n b N A RB RA"},
        {"RB and RA 0",
         [](auto& p, auto&) {
             p.RB = 0;
             p.RA = 0;
         },
         invalid, "So n b N A RB RA"},
        {"negative RB/RA", [](auto& p, auto&) { p.RB = -4; }, invalid, "So n b N A RB RA"},
        {"bad RA before a bad RL",
         [&](auto&, auto& in) {
             in.failures["RA"] = notFloat;
             in.failures["RL"] = notInt;
         },
         notFloat, "So n b N A RB RA"},
        {"RL 0", [](auto& p, auto&) { p.RL = 0; }, zero, "So n b N A RB RA RL"},
        {"negative RL", [](auto& p, auto&) { p.RL = -2; }, invalid, "So n b N A RB RA RL"},
        {"Lo 0 fails in the peak", [](auto& p, auto&) { p.Lo = 0; }, zero, all},
        {"bad Lo", [&](auto&, auto& in) { in.failures["Lo"] = notFloat; }, notFloat, all},
        {"response too long", [](auto&, auto&) {}, tooLong, all, true, 1e-15f},
        {"long response within the bound", [](auto& p, auto&) { p.Lo = 5000; }, QString(), all},
        {"each getter once over many rainy hours", [](auto&, auto&) {}, QString(), all},
        {"no rain: area and ratios never read",
         [&](auto&, auto& in) {
             for (const char* g : {"A", "RB", "RA", "RL", "Lo"})
                 in.failures[g] = notFloat;
         },
         QString(), "So n b N", false},
        {"no hours",
         [](auto& p, auto&) {
             p.HourCount = 0;
             p.Area = 0;
         },
         QString(), "So n b N"},
        {"negative hour count", [](auto& p, auto&) { p.HourCount = -5; }, QString(), "So n b N"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HydrographParameters p = Example(3);
        RecordingInputs probe(p);
        c.setup(p, probe);
        RecordingInputs inputs(p);
        inputs.failures = probe.failures;

        auto state = NewState();
        FillSentinels(*state);
        if (c.rain) {
            state->EffectiveRain[1] = 4;
            state->EffectiveRain[2] = c.secondHourRain;
            state->EffectiveRain[3] = 1;
        }
        const ComputationState before = *state;

        FixedSource half(0.5);
        QString error;
        try {
            ComputeHydrographCore(inputs, *state, half);
        } catch (const Error& e) {
            error = e.text();
        }
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(Joined(inputs.calls), c.calls);
        if (!c.error.isEmpty())
            EXPECT_TRUE(SameState(before, *state)) << "state changed by a failed run";
    }
}

TEST(Hydrograph, NoRainKeepsOldOrdinatesAndTakesThePeakFromTheFirst)
{
    // The rounded peak takes ties to the even integer: 7,5 gives 8 but 6,5 gives 6.
    const struct {
        float peak;
        int rounded;
    } cases[] = {{7.5f, 8}, {6.5f, 6}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.peak);
        auto state = NewState();
        FillSentinels(*state);
        state->HydrographOrdinates[1] = c.peak;
        state->EffectiveRain[1] = 0;
        state->EffectiveRain[2] = -3;
        PlainHydrographInputs inputs(Example(2));
        FixedSource half(0.5);
        ComputeHydrographCore(inputs, *state, half);
        EXPECT_EQ(state->HydrographLength, 0);
        EXPECT_EQ(state->PeakDischarge, c.peak);
        EXPECT_EQ(state->PeakDischargeRounded, c.rounded);
        for (int t = 2; t <= kStateCapacity; ++t)
            ASSERT_EQ(state->HydrographOrdinates[t], 1000.0f + t);
        EXPECT_EQ(half.draws, 0);
        EXPECT_EQ(half.reseeds, 1);
    }
}

TEST(Hydrograph, ShorterRunLeavesOlderOrdinatesAboveItsLength)
{
    auto state = NewState();
    FillSentinels(*state);
    state->EffectiveRain[1] = 10;
    PlainHydrographInputs inputs(Example(1));
    FixedSource half(0.5);
    ComputeHydrographCore(inputs, *state, half);
    ASSERT_EQ(state->HydrographLength, 4);
    EXPECT_EQ(state->HydrographOrdinates[5], 1005.0f);
    EXPECT_EQ(state->HydrographOrdinates[kStateCapacity], 1000.0f + kStateCapacity);
}

// Rain over many hours with responses long enough to run past time step 500.
std::vector<float> LongStorm(int hours)
{
    std::vector<float> rain(hours);
    for (int i = 0; i < hours; ++i)
        rain[i] = (i % 7 == 3) ? 0.0f : 0.2f + 0.05f * float((i * 37) % 61);
    return rain;
}

TEST(Hydrograph, LongStormsBeyondTheOldFixedSizesMatchTheReference)
{
    HydrographParameters p = Example(450);
    p.Lo = 120;  // base times of some tens of hours
    const std::vector<float> rain = LongStorm(450);
    ExpectMatchesReference(p, rain);

    auto state = NewState();
    for (int i = 1; i <= 450; ++i)
        state->EffectiveRain[i] = rain[i - 1];
    PlainHydrographInputs inputs(p);
    FixedSource half(0.5);
    ComputeHydrographCore(inputs, *state, half);
    EXPECT_GT(state->HydrographLength, 500);
    EXPECT_LE(state->HydrographLength, kStateCapacity);

    // A small run after the large one is unaffected by what the large one left behind.
    auto small = NewState();
    small->EffectiveRain[1] = 10;
    PlainHydrographInputs example(Example(1));
    ComputeHydrographCore(example, *small, half);
    EXPECT_EQ(small->HydrographLength, 4);
    EXPECT_NEAR(small->HydrographOrdinates[2], 199.15, 0.01);

    ExpectMatchesReference(p, rain);
}

// The effective rainfall of one hour that gives the worked example's catchment a response of
// `k` hours (whole part of the base time), found by bisection: the base time falls as P grows.
float RainForBaseTime(int k)
{
    const auto wholeBaseTime = [](float P) {
        auto state = NewState();
        state->EffectiveRain[1] = P;
        PlainHydrographInputs inputs(Example(1));
        FixedSource half(0.5);
        HydrographTrace trace;
        HydrographWorkspace noCells;
        noCells.storedCellLimit = 0;
        try {
            ComputeHydrographCore(inputs, *state, half, noCells, &trace);
        } catch (const Error&) {
            // too long for the bound: the trace already holds the base time
        }
        return std::trunc(double(trace.Tb[1]));
    };
    // Tb grows as P^-0.4 from its value for 10 mm.
    HydrographTrace probe;
    {
        auto state = NewState();
        state->EffectiveRain[1] = 10;
        PlainHydrographInputs inputs(Example(1));
        FixedSource half(0.5);
        ComputeHydrographCore(inputs, *state, half, &probe);
    }
    const double estimate = 10 * std::pow(double(probe.Tb[1]) / (k + 0.5), 2.5);
    float low = float(estimate * (1 - 1e-4)), high = float(estimate * (1 + 1e-4));
    for (int step = 0; step < 60; ++step) {
        const float mid = low + (high - low) / 2;
        const double whole = wholeBaseTime(mid);
        if (whole == k)
            return mid;
        (whole > k ? low : high) = mid;
    }
    ADD_FAILURE() << "no rain gives a base time of " << k << " hours";
    return low;
}

TEST(Hydrograph, HydrographReachingExactlyTheBoundIsComputed)
{
    // One rainy hour whose response ends exactly at step 1 000 000, and one ending one step later.
    const int k = 999990;
    const float P = RainForBaseTime(k);
    FixedSource half(0.5);
    for (int last : {kMaxHydrographLength, kMaxHydrographLength + 1}) {
        SCOPED_TRACE(last);
        const int hour = last - k;
        auto s = NewState();
        FillSentinels(*s);
        s->EffectiveRain[hour] = P;
        const ComputationState before = *s;
        PlainHydrographInputs inputs(Example(hour));
        if (last <= kMaxHydrographLength) {
            ComputeHydrographCore(inputs, *s, half);
            EXPECT_EQ(s->HydrographLength, kMaxHydrographLength);
            EXPECT_GT(s->HydrographOrdinates[hour + 1], 0.0f);
            EXPECT_EQ(s->HydrographOrdinates.size(), std::size_t(kMaxHydrographLength) + 1);
        } else {
            try {
                ComputeHydrographCore(inputs, *s, half);
                ADD_FAILURE() << "no error";
            } catch (const Error& e) {
                EXPECT_EQ(e.text(), QStringLiteral("Hydrogram dłuższy niż 1 000 000 godzin (bardzo mały opad efektywny "
                                                   "w godzinie %1) - obliczenia przerwane")
                                        .arg(hour));
            }
            EXPECT_TRUE(SameState(before, *s));
        }
    }
}

TEST(Hydrograph, TinyEffectiveRainGivesALongHydrographInBoundedStorage)
{
    // 200 hours of barely positive effective rainfall, each with a response of some 20 000
    // hours: kept, the responses would take 200 x 20 000 cells (16 MB).
    const int hours = 200;
    const int k = 20000;
    const float P = RainForBaseTime(k);
    auto state = NewState();
    for (int i = 1; i <= hours; ++i)
        state->EffectiveRain[i] = P;
    PlainHydrographInputs inputs(Example(hours));
    SequenceSource source;
    HydrographWorkspace workspace;
    ComputeHydrographCore(inputs, *state, source, workspace);
    EXPECT_EQ(state->HydrographLength, hours + k);
    EXPECT_GT(state->PeakDischarge, 0.0f);
    EXPECT_EQ(source.reseedAfter.size(), 1u);
    // Per-hour values, the ordinates and their copy in the state: well under the kept cells.
    EXPECT_LT(workspace.StorageBytes(), std::size_t(hours) * 64 + std::size_t(hours + k + 1) * sizeof(float) * 2);
    EXPECT_LE(state->HydrographOrdinates.capacity(), std::size_t(kMaxHydrographLength) + 1);

    // The same run keeping every cell gives the same hydrograph from the same draws.
    auto kept = NewState();
    std::copy(std::begin(state->EffectiveRain), std::end(state->EffectiveRain), kept->EffectiveRain);
    SequenceSource sameDraws;
    HydrographWorkspace keepAll;
    keepAll.storedCellLimit = std::size_t(hours) * (k + 1);
    ComputeHydrographCore(inputs, *kept, sameDraws, keepAll);
    EXPECT_GE(keepAll.StorageBytes(), std::size_t(hours) * k * sizeof(float));
    EXPECT_EQ(sameDraws.draws, source.draws);
    ASSERT_EQ(kept->HydrographLength, state->HydrographLength);
    EXPECT_EQ(std::memcmp(kept->HydrographOrdinates.data(), state->HydrographOrdinates.data(),
                          std::size_t(kept->HydrographLength + 1) * sizeof(float)),
              0);
    EXPECT_EQ(kept->PeakDischarge, state->PeakDischarge);
}

TEST(Hydrograph, AWorkspaceKeptBetweenRunsOfTheSameSizeDoesNotGrow)
{
    auto state = NewState();
    const std::vector<float> rain = LongStorm(120);
    for (int i = 1; i <= 120; ++i)
        state->EffectiveRain[i] = rain[i - 1];
    PlainHydrographInputs inputs(Example(120));
    ClockSeededSource random;
    HydrographWorkspace workspace;
    ComputeHydrographCore(inputs, *state, random, workspace);
    const std::size_t bytes = workspace.StorageBytes();
    const float* cells = workspace.cells.data();
    for (int run = 0; run < 3; ++run)
        ComputeHydrographCore(inputs, *state, random, workspace);
    EXPECT_EQ(workspace.StorageBytes(), bytes);
    EXPECT_EQ(workspace.cells.data(), cells);
}

TEST(Hydrograph, RealSourceGivesNewRealisationsWithinTheFactorBounds)
{
    auto state = NewState();
    state->EffectiveRain[1] = 10;
    PlainHydrographInputs inputs(Example(1));
    std::vector<float> peaks;
    ClockSeededSource random;
    for (int run = 0; run < 20; ++run) {
        ComputeHydrographCore(inputs, *state, random);
        // A failing run is replayed by ClockSeededSource random(seed).
        SCOPED_TRACE(::testing::Message() << "run " << run << ", seed " << random.Seed());
        ASSERT_EQ(state->HydrographLength, 4);
        // Ordinate 2 is weight (0..1) times the rising factor (1.4..4.4) times 137.34.
        EXPECT_GE(state->HydrographOrdinates[2], 0.0f);
        EXPECT_LT(state->HydrographOrdinates[2], 4.4 * 137.35);
        EXPECT_LT(state->HydrographOrdinates[3], 94.3f);  // falling limb: weight times 94.297
        peaks.push_back(state->PeakDischarge);
    }
    std::sort(peaks.begin(), peaks.end());
    EXPECT_NE(peaks.front(), peaks.back());
}

}  // namespace
