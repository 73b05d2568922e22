#include "report/ChartXml.h"

#include <QLocale>
#include <QXmlStreamWriter>

namespace moravel::report {
namespace {

const QString kChartNs = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/chart");
const QString kDrawingNs = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/main");
const QString kRelationshipsNs = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");

// Axis ids: the scatter line uses the primary pair, the columns the secondary pair.
constexpr int kTimeAxisId = 50010001;
constexpr int kDischargeAxisId = 50010002;
constexpr int kSecondaryTimeAxisId = 50010003;
constexpr int kRainfallAxisId = 50010004;

// Font size of the titles in hundredths of a point, and the line of the hydrograph:
// blue, 2.25 pt in EMU.
constexpr int kTitleFontSize = 1000;
constexpr int kHydrographLineWidth = 28575;
const QString kHydrographColour = QStringLiteral("0000FF");
// A raised run (the "3" of m3), as a percentage of the font height x 1000.
const QString kSuperscriptBaseline = QStringLiteral("30000");

// Shortest text that reads back as exactly the same double, with a full stop.
QString Number(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

struct Run {
    QString text;
    bool superscript = false;
};

class ChartWriter {
public:
    explicit ChartWriter(QString* out) : xml_(out) {}

    void Write(const HydrographChartSpec& chartSpec)
    {
        xml_.writeNamespace(kChartNs, QStringLiteral("c"));
        xml_.writeNamespace(kDrawingNs, QStringLiteral("a"));
        xml_.writeNamespace(kRelationshipsNs, QStringLiteral("r"));
        xml_.writeStartElement(kChartNs, QStringLiteral("chartSpace"));
        Val(QStringLiteral("lang"), QStringLiteral("pl-PL"));
        xml_.writeStartElement(kChartNs, QStringLiteral("chart"));

        Title({{chartSpec.title}}, false);
        Val(QStringLiteral("autoTitleDeleted"), 0);
        PlotArea(chartSpec);
        Legend();
        Val(QStringLiteral("plotVisOnly"), 1);
        Val(QStringLiteral("dispBlanksAs"), QStringLiteral("gap"));

        xml_.writeEndElement();  // chart
        xml_.writeEndElement();  // chartSpace
        xml_.writeEndDocument();
    }

private:
    void Start(const QString& name) { xml_.writeStartElement(kChartNs, name); }
    void End() { xml_.writeEndElement(); }

    void Val(const QString& name, const QString& value)
    {
        xml_.writeEmptyElement(kChartNs, name);
        xml_.writeAttribute(QStringLiteral("val"), value);
    }
    void Val(const QString& name, int value) { Val(name, QString::number(value)); }
    void Val(const QString& name, double value) { Val(name, Number(value)); }

    // Rich text of a title: font size 10, not bold; vertical titles read upwards.
    void Title(const std::vector<Run>& runs, bool vertical)
    {
        Start(QStringLiteral("title"));
        Start(QStringLiteral("tx"));
        Start(QStringLiteral("rich"));
        xml_.writeEmptyElement(kDrawingNs, QStringLiteral("bodyPr"));
        if (vertical) {
            xml_.writeAttribute(QStringLiteral("rot"), QStringLiteral("-5400000"));
            xml_.writeAttribute(QStringLiteral("vert"), QStringLiteral("horz"));
        }
        xml_.writeEmptyElement(kDrawingNs, QStringLiteral("lstStyle"));
        xml_.writeStartElement(kDrawingNs, QStringLiteral("p"));
        xml_.writeStartElement(kDrawingNs, QStringLiteral("pPr"));
        xml_.writeEmptyElement(kDrawingNs, QStringLiteral("defRPr"));
        FontAttributes();
        xml_.writeEndElement();  // pPr
        for (const Run& run : runs) {
            xml_.writeStartElement(kDrawingNs, QStringLiteral("r"));
            xml_.writeEmptyElement(kDrawingNs, QStringLiteral("rPr"));
            xml_.writeAttribute(QStringLiteral("lang"), QStringLiteral("pl-PL"));
            FontAttributes();
            if (run.superscript)
                xml_.writeAttribute(QStringLiteral("baseline"), kSuperscriptBaseline);
            xml_.writeTextElement(kDrawingNs, QStringLiteral("t"), run.text);
            xml_.writeEndElement();  // r
        }
        xml_.writeEndElement();  // p
        End();                   // rich
        End();                   // tx
        Val(QStringLiteral("overlay"), 0);
        End();  // title
    }

    void FontAttributes()
    {
        xml_.writeAttribute(QStringLiteral("sz"), QString::number(kTitleFontSize));
        xml_.writeAttribute(QStringLiteral("b"), QStringLiteral("0"));
    }

    void NumRef(const QString& element, const ChartRange& range)
    {
        Start(element);
        Start(QStringLiteral("numRef"));
        xml_.writeTextElement(kChartNs, QStringLiteral("f"), range.formula);
        if (!range.cached) {
            End();  // numRef
            End();  // element
            return;
        }
        Start(QStringLiteral("numCache"));
        xml_.writeTextElement(kChartNs, QStringLiteral("formatCode"), QStringLiteral("General"));
        Val(QStringLiteral("ptCount"), static_cast<int>(range.cache.size()));
        for (std::size_t i = 0; i < range.cache.size(); ++i) {
            Start(QStringLiteral("pt"));
            xml_.writeAttribute(QStringLiteral("idx"), QString::number(i));
            xml_.writeTextElement(kChartNs, QStringLiteral("v"), Number(range.cache[i]));
            End();
        }
        End();  // numCache
        End();  // numRef
        End();  // element
    }

    void SeriesHead(int index, const QString& name)
    {
        Val(QStringLiteral("idx"), index);
        Val(QStringLiteral("order"), index);
        Start(QStringLiteral("tx"));
        xml_.writeTextElement(kChartNs, QStringLiteral("v"), name);
        End();
    }

    void ColumnSeries(int index, const QString& name, const ChartRange& hours, const ChartRange& values)
    {
        Start(QStringLiteral("ser"));
        SeriesHead(index, name);
        Val(QStringLiteral("invertIfNegative"), 0);
        NumRef(QStringLiteral("cat"), hours);
        NumRef(QStringLiteral("val"), values);
        End();
    }

    void HydrographSeries(int index, const ChartRange& hours, const ChartRange& discharge)
    {
        Start(QStringLiteral("ser"));
        SeriesHead(index, QStringLiteral("Hydrogram"));
        Start(QStringLiteral("spPr"));
        xml_.writeStartElement(kDrawingNs, QStringLiteral("ln"));
        xml_.writeAttribute(QStringLiteral("w"), QString::number(kHydrographLineWidth));
        xml_.writeStartElement(kDrawingNs, QStringLiteral("solidFill"));
        xml_.writeEmptyElement(kDrawingNs, QStringLiteral("srgbClr"));
        xml_.writeAttribute(QStringLiteral("val"), kHydrographColour);
        xml_.writeEndElement();  // solidFill
        xml_.writeEmptyElement(kDrawingNs, QStringLiteral("prstDash"));
        xml_.writeAttribute(QStringLiteral("val"), QStringLiteral("solid"));
        xml_.writeEndElement();  // ln
        End();                   // spPr
        Start(QStringLiteral("marker"));
        Val(QStringLiteral("symbol"), QStringLiteral("none"));
        End();
        NumRef(QStringLiteral("xVal"), hours);
        NumRef(QStringLiteral("yVal"), discharge);
        Val(QStringLiteral("smooth"), 1);
        End();
    }

    void PlotArea(const HydrographChartSpec& chartSpec)
    {
        Start(QStringLiteral("plotArea"));
        xml_.writeEmptyElement(kChartNs, QStringLiteral("layout"));

        // Rainfall: effective part at the bottom, the rest stacked on it.
        Start(QStringLiteral("barChart"));
        Val(QStringLiteral("barDir"), QStringLiteral("col"));
        Val(QStringLiteral("grouping"), QStringLiteral("stacked"));
        Val(QStringLiteral("varyColors"), 0);
        ColumnSeries(0, QStringLiteral("Opad efektywny"), chartSpec.hours, chartSpec.effectiveRain);
        ColumnSeries(1, QStringLiteral("Opad calkowity"), chartSpec.hours, chartSpec.rainfallExcess);
        Val(QStringLiteral("gapWidth"), 150);
        Val(QStringLiteral("overlap"), 100);
        Val(QStringLiteral("axId"), kSecondaryTimeAxisId);
        Val(QStringLiteral("axId"), kRainfallAxisId);
        End();

        Start(QStringLiteral("scatterChart"));
        Val(QStringLiteral("scatterStyle"), QStringLiteral("smoothMarker"));
        Val(QStringLiteral("varyColors"), 0);
        HydrographSeries(2, chartSpec.hours, chartSpec.discharge);
        Val(QStringLiteral("axId"), kTimeAxisId);
        Val(QStringLiteral("axId"), kDischargeAxisId);
        End();

        TimeAxis();
        DischargeAxis(chartSpec.dischargeMaximum);
        SecondaryTimeAxis();
        RainfallAxis(chartSpec.rainfallMinimum, chartSpec.rainfallMaximum);

        // No frame and no fill.
        Start(QStringLiteral("spPr"));
        xml_.writeEmptyElement(kDrawingNs, QStringLiteral("noFill"));
        xml_.writeStartElement(kDrawingNs, QStringLiteral("ln"));
        xml_.writeEmptyElement(kDrawingNs, QStringLiteral("noFill"));
        xml_.writeEndElement();
        End();
        End();  // plotArea
    }

    // The elements every axis starts with. `minimum`/`maximum` are written when given.
    void AxisHead(int id, const double* minimum, const double* maximum, const QString& position)
    {
        Val(QStringLiteral("axId"), id);
        Start(QStringLiteral("scaling"));
        Val(QStringLiteral("orientation"), QStringLiteral("minMax"));
        if (maximum)
            Val(QStringLiteral("max"), *maximum);
        if (minimum)
            Val(QStringLiteral("min"), *minimum);
        End();
        Val(QStringLiteral("delete"), 0);
        Val(QStringLiteral("axPos"), position);
    }

    void AxisTicks(int crossAxisId, bool labels = true)
    {
        xml_.writeEmptyElement(kChartNs, QStringLiteral("numFmt"));
        xml_.writeAttribute(QStringLiteral("formatCode"), QStringLiteral("General"));
        xml_.writeAttribute(QStringLiteral("sourceLinked"), QStringLiteral("1"));
        Val(QStringLiteral("majorTickMark"), QStringLiteral("out"));
        Val(QStringLiteral("minorTickMark"), QStringLiteral("none"));
        Val(QStringLiteral("tickLblPos"), labels ? QStringLiteral("nextTo") : QStringLiteral("none"));
        Val(QStringLiteral("crossAx"), crossAxisId);
    }

    void TimeAxis()
    {
        const double minimum = 0;
        Start(QStringLiteral("valAx"));
        AxisHead(kTimeAxisId, &minimum, nullptr, QStringLiteral("b"));
        Title({{QStringLiteral("Czas t [h]")}}, false);
        AxisTicks(kDischargeAxisId);
        Val(QStringLiteral("crosses"), QStringLiteral("autoZero"));
        Val(QStringLiteral("crossBetween"), QStringLiteral("midCat"));
        End();
    }

    void DischargeAxis(double maximum)
    {
        const double minimum = 0;
        Start(QStringLiteral("valAx"));
        AxisHead(kDischargeAxisId, &minimum, &maximum, QStringLiteral("l"));
        xml_.writeEmptyElement(kChartNs, QStringLiteral("majorGridlines"));
        Title({{QStringLiteral("Przeplyw Q [m")}, {QStringLiteral("3"), true}, {QStringLiteral("/s]")}}, true);
        AxisTicks(kTimeAxisId);
        Val(QStringLiteral("crosses"), QStringLiteral("autoZero"));
        Val(QStringLiteral("crossBetween"), QStringLiteral("midCat"));
        End();
    }

    // The time axis of the columns: it crosses the rainfall axis at 0, so the columns stand
    // on it, with a tick mark every 10 hours. Its labels would only repeat the hours of the
    // primary time axis (some viewers ignore the spacing of one label per 100 hours and
    // print every hour over the primary labels), so it shows none.
    void SecondaryTimeAxis()
    {
        Start(QStringLiteral("catAx"));
        AxisHead(kSecondaryTimeAxisId, nullptr, nullptr, QStringLiteral("b"));
        AxisTicks(kRainfallAxisId, false);
        Val(QStringLiteral("crossesAt"), 0.0);
        Val(QStringLiteral("auto"), 1);
        Val(QStringLiteral("lblAlgn"), QStringLiteral("ctr"));
        Val(QStringLiteral("lblOffset"), 100);
        Val(QStringLiteral("tickLblSkip"), 100);
        Val(QStringLiteral("tickMarkSkip"), 10);
        Val(QStringLiteral("noMultiLvlLbl"), 0);
        End();
    }

    // On the right, crossing the secondary time axis at its end.
    void RainfallAxis(double minimum, double maximum)
    {
        Start(QStringLiteral("valAx"));
        AxisHead(kRainfallAxisId, &minimum, &maximum, QStringLiteral("r"));
        Title({{QStringLiteral("Opad [mm]")}}, true);
        AxisTicks(kSecondaryTimeAxisId);
        Val(QStringLiteral("crosses"), QStringLiteral("max"));
        Val(QStringLiteral("crossBetween"), QStringLiteral("between"));
        Val(QStringLiteral("majorUnit"), 1.0);
        End();
    }

    void Legend()
    {
        Start(QStringLiteral("legend"));
        Val(QStringLiteral("legendPos"), QStringLiteral("b"));
        Val(QStringLiteral("overlay"), 0);
        End();
    }

    QXmlStreamWriter xml_;
};

}  // namespace

QByteArray HydrographChartXml(const HydrographChartSpec& chartSpec)
{
    // Written into a string and encoded once: faster than many small writes into a byte array.
    QString out;
    out.reserve(4096 + 64 * static_cast<int>(chartSpec.hours.cache.size()) * 4);
    ChartWriter(&out).Write(chartSpec);
    // A writer into a string leaves the encoding out of the declaration, so it is written here.
    return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n") + out.toUtf8();
}

}  // namespace moravel::report
