// The window and the command line compute the same: a project opened through the real window
// ("Plik → Otwórz Projekt") and run by "Hydrogram" drawing from sub-stream 0 of a seed gives,
// ordinate for ordinate, the hydrograph and effective rainfall that moravel-run prints for the
// same project and seed. The cases are projects whose opening changes texts on the way in.
#include <QAction>
#include <QTemporaryDir>

#include "CliProcess.h"
#include "WindowFixture.h"
#include "ZlewniaCase.h"
#include "files/DataFiles.h"
#include "model/Series.h"
#include "text/NumText.h"

namespace moravel::window::testing {
namespace {

using cli::testing::Column;
using cli::testing::CsvRows;
using cli::testing::RunCli;

class WindowAgainstCommandLine : public WindowFixture {
protected:
    static constexpr std::uint64_t kSeed = 20261211;
    void SetUp() override
    {
        source = &stream;
        WindowFixture::SetUp();
    }
    model::SubstreamSource stream{kSeed, 0};
};

struct Case {
    const char* name;
    files::RainfallRecord rainfall;
    files::ScsRecord scs;
    bool mistypedArea = false;  // both warn of a land-use cell that is not a number
};

std::vector<Case> Cases()
{
    std::vector<Case> cases;
    cases.push_back({"the example", examples::ZlewniaRainfall(), examples::ZlewniaLandUse()});
    // Typed effective rainfall (kind "1"): the grid's total becomes the catchment area on
    // opening, a cell that is not a number counts 1 mm.
    files::RainfallRecord typed;
    typed.hours = {"0", "x", "12,5", "8,25", "3", "0,5"};
    typed.hourCount = QStringLiteral("6");
    typed.effective = true;
    cases.push_back({"typed effective rainfall", typed, examples::ZlewniaLandUse()});
    // An own class with an area on a soil group whose own curve number is empty: a fresh
    // window never reads it (the curve number stays 0), and a land-use cell that is not a
    // number counts 0 km2.
    files::ScsRecord scs = examples::ZlewniaLandUse();
    scs.ownClassCn[1].clear();
    scs.areas[20][1] = QStringLiteral("30");
    scs.areas[8][1] = QStringLiteral("2,x");
    cases.push_back({"empty own curve number, a mistyped area", examples::ZlewniaRainfall(), scs, true});
    return cases;
}

TEST_F(WindowAgainstCommandLine, HydrographAndEffectiveRainfallAreTheSame)
{
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const files::ProjectPaths paths{dir.filePath("p.kwp"), dir.filePath("p.kws"), dir.filePath("p.kwx")};
        files::WriteRainfallFile(paths.rainfall, c.rainfall);
        files::WriteScsFile(paths.scs, c.scs);
        files::WriteParametersFile(paths.parameters, examples::ZlewniaParameters());
        const QString project = dir.filePath("p.kpr");
        files::WriteProjectFile(project, paths);

        Build(QSize(1024, 768));
        dialogs.answers.push_back(project);
        ui().MenuPlikOtworzProjekt->trigger();
        messages.Clear();
        stream = model::SubstreamSource(kSeed, 0);
        ui().MenuObliczeniaHydrogram->trigger();
        for (const auto& m : messages.log)
            ASSERT_TRUE(c.mistypedArea && m.text == QStringLiteral("Wprowadź liczbę rzeczywistą!"))
                << m.text.toStdString();
        const model::ComputationState& state = window->State();
        const std::vector<float> discharge(state.HydrographOrdinates.begin() + 1,
                                           state.HydrographOrdinates.begin() + 1 + state.HydrographLength);
        const int hours = text::StrToInt(c.rainfall.hourCount);
        const std::vector<float> effective(state.EffectiveRain + 1, state.EffectiveRain + 1 + hours);
        ASSERT_GT(discharge.size(), 10u);

        const cli::testing::CliResult r =
            RunCli({project, QStringLiteral("--seed"), QString::number(kSeed), QStringLiteral("--separator"), ","});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(r.err.contains(QStringLiteral("Wprowadź liczbę rzeczywistą!")), c.mistypedArea)
            << r.err.toStdString();
        const auto rows = CsvRows(r.out);
        EXPECT_EQ(cli::testing::Column(rows, 3), discharge);
        EXPECT_EQ(cli::testing::Column(rows, 2), effective);
    }
}

}  // namespace
}  // namespace moravel::window::testing
