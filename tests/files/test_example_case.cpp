// The committed example case is exactly what the codec writes for it, and it opens.
#include "ZlewniaCase.h"
#include "model/Geom.h"
#include "model/LandUse.h"
#include "model/OpadEfektywnyObliczenia.h"
#include "text/NumText.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

using namespace moravel;

namespace {

QByteArray Committed(const char* name)
{
    QFile f(QStringLiteral(MORAVEL_EXAMPLES_DIR "/") + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll();
}

TEST(ExampleCase, CommittedFilesAreTheCodecsOutput)
{
    EXPECT_EQ(Committed("zlewnia.kwp"), examples::ZlewniaRainfall().Encode());
    EXPECT_EQ(Committed("zlewnia.kws"), examples::ZlewniaLandUse().Encode());
    EXPECT_EQ(Committed("zlewnia.kwx"), examples::ZlewniaParameters().Encode());
    EXPECT_EQ(Committed("zlewnia.kpr"), QByteArray("zlewnia.kwp\r\nzlewnia.kws\r\nzlewnia.kwx\r\n"));
}

TEST(ExampleCase, ProjectOpensItsFilesFromAnyFolder)
{
    QTemporaryDir dir;
    for (const char* name : {"zlewnia.kpr", "zlewnia.kwp", "zlewnia.kws", "zlewnia.kwx"})
        ASSERT_TRUE(QFile::copy(QStringLiteral(MORAVEL_EXAMPLES_DIR "/") + name, dir.filePath(name)));
    const files::ProjectPaths p = files::ReadProjectFile(dir.filePath("zlewnia.kpr"));
    EXPECT_EQ(p.rainfall, dir.filePath("zlewnia.kwp"));
    const files::RainfallRecord rain = files::ReadRainfallFile(p.rainfall);
    EXPECT_EQ(rain.hourCount, QStringLiteral("24"));
    EXPECT_EQ(rain.Hour(11), QStringLiteral("13,6"));
    EXPECT_EQ(files::ReadScsFile(p.scs).ownClassCn[3], QStringLiteral("82"));
    EXPECT_EQ(files::ReadParametersFile(p.parameters).values[3], QStringLiteral("0,004"));
}

}  // namespace

namespace {

// The example is meant to run: through the model, every realisation of its hydrograph stays
// short (the first effective hour always carries a fair depth, see ZlewniaCase.h).

class SeededSource : public model::UniformSource {
public:
    explicit SeededSource(unsigned seed) : gen_(seed) {}
    void Reseed() override {}
    double Next() override { return std::uniform_real_distribution<double>(0.0, 1.0)(gen_); }
    std::unique_ptr<model::UniformSource> Clone() const override { return std::make_unique<SeededSource>(*this); }

private:
    std::mt19937 gen_;
};

TEST(ExampleCase, EveryRealisationOfItsHydrographIsShort)
{
    const QString dir = QStringLiteral(MORAVEL_EXAMPLES_DIR "/");
    const files::ScsRecord scs = files::ReadScsFile(dir + "zlewnia.kws");
    const files::RainfallRecord rain = files::ReadRainfallFile(dir + "zlewnia.kwp");
    const files::ParametersRecord par = files::ReadParametersFile(dir + "zlewnia.kwx");
    const QChar sep = QLatin1Char(',');

    model::LandUseState landUse;
    for (int g = 0; g < 4; ++g)
        ASSERT_TRUE(model::ReadOtherCurveNumber(landUse, g, scs.ownClassCn[g]));
    const float area = model::ComputeAveragedCurveNumber(landUse, scs.areas, sep, [] { FAIL(); });
    EXPECT_NEAR(area, 103.7, 1e-3);
    const QString cnCaption = text::FormatCurveNumber(landUse.AveragedCurveNumber, sep);
    EXPECT_EQ(cnCaption, QStringLiteral("68,20"));

    const int hours = text::StrToInt(rain.hourCount);
    std::vector<float> rainfall;
    for (int i = 1; i <= hours; ++i)
        rainfall.push_back(float(text::StrToFloat(rain.Hour(i), sep)));

    model::HydrographParameters p;
    const auto value = [&](int k) { return text::StrToFloat(par.values[k], sep); };
    p.RB = value(0), p.RL = value(1), p.RA = value(2), p.So = value(3), p.Lo = value(4), p.b = value(5), p.n = value(6);
    p.Area = area;
    p.HourCount = hours;

    int longest = 0;
    for (unsigned seed = 1; seed <= 300; ++seed) {
        SeededSource random(seed);
        auto state = std::make_unique<model::ComputationState>();
        model::ScsEffectiveRain(rainfall.data(), hours, float(text::StrToFloat(cnCaption, sep)), random,
                                state->EffectiveRain + 1);
        EXPECT_GT(state->EffectiveRain[11], 0.1f) << "seed " << seed;
        model::PlainHydrographInputs inputs(p);
        model::ComputeHydrographCore(inputs, *state, random);
        EXPECT_GT(state->PeakDischarge, 0.f);
        longest = std::max(longest, int(state->HydrographLength));
    }
    EXPECT_LT(longest, 80);
}

}  // namespace
