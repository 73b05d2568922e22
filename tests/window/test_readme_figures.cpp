// The figures that the README quotes from its worked examples, computed again and compared
// with the README's own text: a change of the computation fails here until the README says
// what the program now gives. Each sentence is built from the computed figures in the README's
// wording and must stand in the README (white space folded, so line breaks don't matter).
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTableWidget>

#include <algorithm>
#include <cmath>

#include "WindowFixture.h"
#include "ZlewniaSeries.h"
#include "model/DesignStorm.h"
#include "model/Series.h"
#include "model/Variants.h"
#include "text/NumText.h"
#include "window/OpadProjektowyOkno.h"
#include "window/PrzeplywyProjektoweOkno.h"

namespace moravel::window::testing {
namespace {

const QChar kComma = QLatin1Char(',');

QString ReadmeText()
{
    QFile f(QStringLiteral(MORAVEL_README));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << MORAVEL_README;
    return QString::fromUtf8(f.readAll()).simplified();
}

// Fails with the sentence the README should hold.
void ExpectInReadme(const QString& sentence)
{
    static const QString readme = ReadmeText();
    EXPECT_TRUE(readme.contains(sentence.simplified()))
        << "README.md should say:\n  " << sentence.toStdString();
}

QString Decimals(double v, int decimals)
{
    return text::FormatDecimals(v, decimals, kComma);
}

// The p = 1 % depths of the worked example "Q1% dla zlewni z examples/" for 1, 2, 3, 6, 12, 24 h.
const QStringList kDurations = {"1", "2", "3", "6", "12", "24"};
const QStringList kDepths = {"36", "43", "48", "57", "69", "83"};

class ReadmeFigures : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        dialogs.answers.push_back(QStringLiteral(MORAVEL_EXAMPLES_DIR "/zlewnia.kpr"));
        ui().MenuPlikOtworzProjekt->trigger();
        ASSERT_TRUE(dialogs.answers.empty());
        messages.Clear();
    }
};

// "Przykład: Q1% dla zlewni z examples/", steps 2-4 through the real window, and the row the
// README quotes read from the window's table by its column headings.
TEST_F(ReadmeFigures, DesignFloodOfTheExample)
{
    ExpectInReadme(QStringLiteral("wpisz `%1` i Enter, a w tabeli dla p = 1 % wysokości %2 mm")
                       .arg(kDurations.join(QStringLiteral("; ")), kDepths.join(QStringLiteral(", "))));
    ExpectInReadme(QStringLiteral("Kształt „Euler typ II”, czas trwania 24 h, 1000 realizacji, ziarno `20261211`"));

    window->findChild<QAction*>(QStringLiteral("MenuObliczeniaPrzeplywyProjektowe"))->trigger();
    DesignFloodWindow* w = window->designFloodWindow();
    Retype(w->DurationsEdit(), kDurations.join(QStringLiteral("; ")));
    QTest::keyClick(w->DurationsEdit(), Qt::Key_Return);
    QTableWidget* depths = w->DepthTable();
    depths->clearContents();
    depths->setItem(0, 0, new QTableWidgetItem(QStringLiteral("1")));
    for (int c = 0; c < kDepths.size(); ++c)
        depths->setItem(0, c + 1, new QTableWidgetItem(kDepths[c]));
    QComboBox* shapes = w->Shape()->ShapeBox();
    shapes->setCurrentIndex(shapes->findData(static_cast<int>(model::StormShape::EulerII)));
    w->DurationBox()->setValue(24);
    w->CountBox()->setValue(1000);
    Retype(w->SeedEdit(), QStringLiteral("20261211"));
    QTest::mouseClick(w->ComputeButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->Running(); }, 120000));
    ASSERT_TRUE(messages.log.empty()) << messages.log.front().text.toStdString();

    const QTableWidget* t = w->ResultTable();
    ASSERT_EQ(t->rowCount(), 1);
    const auto cell = [t](const QString& heading) {
        for (int c = 0; c < t->columnCount(); ++c)
            if (t->horizontalHeaderItem(c)->text() == heading)
                return t->item(0, c)->text();
        ADD_FAILURE() << "no column " << heading.toStdString();
        return QString();
    };
    ExpectInReadme(QStringLiteral("Wiersz p = 1 %: P = %1 mm, mediana opadu efektywnego %2 mm, **Q1% (mediana) = %3 "
                                  "m³/s**, rozrzut realizacji 5–95 %: %4–%5 m³/s, czas do szczytu %6 h, objętość %7 "
                                  "tys. m³.")
                       .arg(cell(QStringLiteral("Opad P [mm]")), cell(QStringLiteral("Opad efektywny [mm] (mediana)")),
                            cell(QStringLiteral("Qmax mediana [m³/s]")), cell(QStringLiteral("Qmax 5 % [m³/s]")),
                            cell(QStringLiteral("Qmax 95 % [m³/s]")),
                            cell(QStringLiteral("Czas do szczytu [h] (mediana)")),
                            cell(QStringLiteral("Objętość [tys. m³] (mediana)"))));
}

// "Opad projektowy": the rounding example and the Euler type II storm of the same p = 1 % table.
TEST_F(ReadmeFigures, DesignStormExamples)
{
    model::DesignStormInputs block;
    block.hours = 6;
    block.shape = model::StormShape::Block;
    block.totalDepth = 10;
    const std::vector<QString> even = model::HyetographTexts(model::DesignStormHyetograph(block), 1, kComma);
    ExpectInReadme(QStringLiteral("Przykład: 10 mm w 6 h → %1.").arg(QStringList(even.begin(), even.end()).join(u' ')));

    model::DesignStormInputs euler;
    euler.hours = 24;
    euler.shape = model::StormShape::EulerII;
    std::vector<model::DepthDuration> rows;
    for (int i = 0; i < kDurations.size(); ++i)
        rows.push_back({kDurations[i].toDouble(), kDepths[i].toDouble()});
    euler.depthDuration = model::DepthDurationCurve(rows);
    const std::vector<QString> texts = model::HyetographTexts(model::DesignStormHyetograph(euler), 1, kComma);
    ExpectInReadme(QStringLiteral("tabela p = 1 % z przykładu „Q1% dla zlewni z examples/”, 24 h: %1 mm")
                       .arg(QStringList(texts.begin(), texts.end()).join(u' ')));
}

// The example's data as the README describes them, and "Seria realizacji": the peak of the
// median curve against the median of the peaks.
TEST_F(ReadmeFigures, ExampleAndSeries)
{
    const model::ComputationInputs in = examples::ZlewniaSeriesInputs();
    double rain = 0;
    for (int h = 0; h < in.parameters.HourCount; ++h)
        rain += in.rainfall[std::size_t(h)];
    ExpectInReadme(QStringLiteral("%1-hour storm of %2 mm").arg(in.parameters.HourCount).arg(Decimals(rain, 1)));
    ExpectInReadme(QStringLiteral("zlewnia ok. %1 km², CN ≈ %2")
                       .arg(std::lround(ui().LabelSCSPowierzchniaWartosc->text().replace(kComma, u'.').toDouble()))
                       .arg(std::lround(in.curveNumber)));

    const model::SeriesResult s = model::RunSeries(in, 1000, 20261210, 2);
    const std::vector<double> median = model::BandLevelCurve(s, model::kMedianSeriesLevel);
    ASSERT_FALSE(median.empty());
    ExpectInReadme(QStringLiteral("(w przykładzie, 1000 realizacji z ziarnem 20261210: ok. %1 wobec ok. %2 m³/s)")
                       .arg(std::lround(*std::max_element(median.begin(), median.end())))
                       .arg(std::lround(s.peak.percentiles[model::kMedianSeriesLevel])));
}

// "Porównanie wariantów": 5 % of the example sealed, the paired width against the independent
// one over seeds 1 to 5.
TEST_F(ReadmeFigures, SealedVariant)
{
    const model::ComputationInputs before = examples::ZlewniaSeriesInputs();
    const model::ComputationInputs sealed = examples::ZlewniaSealedInputs(0.05);
    double low = INFINITY, high = -INFINITY;
    for (std::uint64_t seed = 1; seed <= 5; ++seed) {
        const model::PairedDifference d =
            model::PairedDifferenceOf(model::RunSeries(before, 1000, seed, 2), model::RunSeries(sealed, 1000, seed, 2));
        ASSERT_GT(d.independentWidth, 0);
        low = std::min(low, d.pairedWidth / d.independentWidth);
        high = std::max(high, d.pairedWidth / d.independentWidth);
    }
    ExpectInReadme(QStringLiteral("CN %1 → %2) daje w parach przedział %3–%4 szerokości przy losowaniach niezależnych "
                                  "(1000 realizacji, ziarna 1–5)")
                       .arg(Decimals(before.curveNumber, 1), Decimals(sealed.curveNumber, 1), Decimals(low, 2),
                            Decimals(high, 2)));
}

}  // namespace
}  // namespace moravel::window::testing
