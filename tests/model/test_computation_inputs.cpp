// The one builder of a computation's inputs from texts: what it reads, the first failing text
// in the order "Hydrogram" meets them (land use, hour count, storm, parameters in the order
// of the formulas), the refusals of a computation of its own, and the typed-rainfall rules.
#include "model/ComputationInputs.h"
#include "text/Error.h"
#include "text/NumText.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace moravel;
using namespace moravel::model;

namespace {

const QChar kComma = QLatin1Char(',');

// Three hours of rain on 10 km2 of group B forest (CN 60) and 10 km2 of group C fields.
ComputationTexts Valid()
{
    ComputationTexts t;
    t.hourCount = QStringLiteral("3");
    t.rainfall = {QStringLiteral("10"), QStringLiteral("25,5"), QStringLiteral("4")};
    t.landUseAreas[0][1] = QStringLiteral("10");
    t.landUseAreas[5][2] = QStringLiteral("10");
    t.parameters.RB = QStringLiteral("4");
    t.parameters.RL = QStringLiteral("2");
    t.parameters.RA = QStringLiteral("5");
    t.parameters.So = QStringLiteral("0,01");
    t.parameters.Lo = QStringLiteral("24");
    t.parameters.b = QStringLiteral("10");
    t.parameters.n = QStringLiteral("0,04");
    return t;
}

QString FailureOf(const ComputationTexts& texts, int* warnings = nullptr)
{
    try {
        BuildComputationInputs(texts, LandUseState{}, kComma, [warnings] {
            if (warnings)
                ++*warnings;
        });
    } catch (const Error& e) {
        return e.text();
    }
    return QString();
}

TEST(ComputationInputs, ReadsTheTextsAsTheWindowCaptionsThem)
{
    LandUseState landUse;
    const ComputationInputs in = BuildComputationInputs(Valid(), landUse, kComma, [] { FAIL(); });
    EXPECT_FALSE(in.directEffectiveRain);
    EXPECT_EQ(in.parameters.HourCount, 3);
    EXPECT_EQ(in.rainfall, (std::vector<float>{10.0f, 25.5f, 4.0f}));
    EXPECT_EQ(in.landUse.area, QStringLiteral("20"));
    EXPECT_DOUBLE_EQ(in.parameters.Area, 20);
    // The curve number as its caption rounds it, not the unrounded average.
    EXPECT_EQ(in.landUse.curveNumber, text::FormatCurveNumber(in.curveNumber, kComma));
    EXPECT_FLOAT_EQ(in.curveNumber, CurveNumberOf(in.landUse.curveNumber, kComma));
    EXPECT_DOUBLE_EQ(in.parameters.So, 0.01);
    EXPECT_DOUBLE_EQ(in.parameters.n, 0.04);
    EXPECT_DOUBLE_EQ(in.parameters.RA, 5);
    EXPECT_DOUBLE_EQ(in.parameters.Lo, 24);
    // The caller's land-use state is not touched.
    EXPECT_EQ(landUse.AveragedCurveNumber, 0.0f);
}

TEST(ComputationInputs, FirstFailingTextInTheOrderOfHydrogram)
{
    struct Case {
        const char* what;
        std::function<void(ComputationTexts&)> spoil;
        QString failure;
    };
    const std::vector<Case> cases = {
        {"hour count not an integer", [](ComputationTexts& t) { t.hourCount = QStringLiteral("2,5"); },
         QStringLiteral("'2,5' is not a valid integer value")},
        {"no hour", [](ComputationTexts& t) { t.hourCount = QStringLiteral("0"); }, HourCountRefusal()},
        {"more hours than the state holds", [](ComputationTexts& t) { t.hourCount = QStringLiteral("1001"); },
         QStringLiteral("Liczba godzin opadu nie może przekraczać 1000!")},
        {"an empty rainfall hour", [](ComputationTexts& t) { t.rainfall[1].clear(); }, MissingRainfallRefusal(2)},
        {"an hour beyond the texts", [](ComputationTexts& t) { t.hourCount = QStringLiteral("4"); },
         MissingRainfallRefusal(4)},
        {"rainfall not a number", [](ComputationTexts& t) { t.rainfall[2] = QStringLiteral("4.5"); },
         QStringLiteral("'4.5' is not a valid floating point value")},
        {"no land use, so no curve number", [](ComputationTexts& t) { t.landUseAreas = {}; },
         MissingCurveNumberRefusal()},
        // The parameters in the order of the formulas: So, n, b, then A, RB, RA, RL, Lo.
        {"So before RB",
         [](ComputationTexts& t) {
             t.parameters.RB = QStringLiteral("?");
             t.parameters.So.clear();
         },
         QStringLiteral("'' is not a valid floating point value")},
        {"b before RB",
         [](ComputationTexts& t) {
             t.parameters.RB = QStringLiteral("?");
             t.parameters.b = QStringLiteral("b");
         },
         QStringLiteral("'b' is not a valid floating point value")},
        {"RA before RL and Lo",
         [](ComputationTexts& t) {
             t.parameters.Lo = QStringLiteral("l");
             t.parameters.RL = QStringLiteral("r");
             t.parameters.RA = QStringLiteral("a");
         },
         QStringLiteral("'a' is not a valid floating point value")},
        // The storm before the parameters, the hour count before the storm.
        {"rainfall before So",
         [](ComputationTexts& t) {
             t.parameters.So = QStringLiteral("s");
             t.rainfall[0] = QStringLiteral("r");
         },
         QStringLiteral("'r' is not a valid floating point value")},
        {"hour count before rainfall",
         [](ComputationTexts& t) {
             t.rainfall[0] = QStringLiteral("r");
             t.hourCount = QStringLiteral("h");
         },
         QStringLiteral("'h' is not a valid integer value")},
    };
    for (const Case& c : cases) {
        ComputationTexts t = Valid();
        c.spoil(t);
        EXPECT_EQ(FailureOf(t), c.failure) << c.what;
    }
}

TEST(ComputationInputs, LandUseCellThatIsNotANumberWarnsOnceAndCountsZero)
{
    ComputationTexts t = Valid();
    t.landUseAreas[3][0] = QStringLiteral("abc");
    int warnings = 0;
    EXPECT_EQ(FailureOf(t, &warnings), QString());
    EXPECT_EQ(warnings, 1);
    // A later failure still comes after the warnings, as in "Hydrogram".
    t.parameters.n = QStringLiteral("n");
    warnings = 0;
    EXPECT_EQ(FailureOf(t, &warnings), QStringLiteral("'n' is not a valid floating point value"));
    EXPECT_EQ(warnings, 1);
}

TEST(ComputationInputs, TypedEffectiveRainfallNeedsNoStormAndTakesTheTypedArea)
{
    ComputationTexts t = Valid();
    t.effectiveRainTyped = true;
    t.rainfall.clear();
    t.landUseAreas = {};
    t.effectiveRain = {QStringLiteral("2,5"), QStringLiteral("x"), QString()};
    t.typedArea = QStringLiteral("12,5");
    const ComputationInputs in = BuildComputationInputs(t, LandUseState{}, kComma, [] {});
    EXPECT_TRUE(in.directEffectiveRain);
    // A typed cell that is not a number, or empty, counts 1 mm.
    EXPECT_EQ(in.effectiveRain, (std::vector<float>{2.5f, 1.0f, 1.0f}));
    EXPECT_EQ(in.landUse.area, QStringLiteral("12,5"));
    EXPECT_DOUBLE_EQ(in.parameters.Area, 12.5);

    // Without a typed area the land use's total is the catchment area.
    t.typedArea.clear();
    t.landUseAreas[0][0] = QStringLiteral("7");
    EXPECT_DOUBLE_EQ(BuildComputationInputs(t, LandUseState{}, kComma, [] {}).parameters.Area, 7);
}

}  // namespace
