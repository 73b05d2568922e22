#include "model/MeasuredHydrograph.h"

#include "text/Error.h"
#include "text/NumText.h"

namespace moravel::model {

namespace {

// Rows of one kind of concern: how many and the first (1-based in the block) with its text.
struct Concern {
    int count = 0;
    int firstRow = 0;
    QString firstText;

    void Add(int row, const QString& text = QString())
    {
        if (count++ == 0) {
            firstRow = row;
            firstText = text;
        }
    }
};

QString RowsWord(int count)
{
    if (count == 1)
        return QStringLiteral("wiersz");
    const int last = count % 10, lastTwo = count % 100;
    return last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14) ? QStringLiteral("wiersze")
                                                                    : QStringLiteral("wierszy");
}

}  // namespace

MeasuredReading ReadMeasuredHydrograph(const std::vector<QStringList>& rows, QChar separator)
{
    MeasuredReading reading;
    Concern notNumber, empty, negative, order;
    int gaps = 0;
    double gapFrom = 0, gapTo = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        const QStringList& cells = rows[i];
        const bool twoColumns = cells.size() >= 2;
        const QString hourText = twoColumns ? cells[0].trimmed() : QString();
        const QString dischargeText = cells.isEmpty() ? QString() : cells[twoColumns ? 1 : 0].trimmed();
        if (twoColumns && hourText.isEmpty() && dischargeText.isEmpty()) {
            empty.Add(row);
            continue;
        }
        double hour = row;
        if (twoColumns && !text::TryStrToFloat(hourText, separator, hour)) {
            notNumber.Add(row, hourText);
            continue;
        }
        if (dischargeText.isEmpty()) {
            empty.Add(row);
            continue;
        }
        double discharge = 0;
        if (!text::TryStrToFloat(dischargeText, separator, discharge)) {
            notNumber.Add(row, dischargeText);
            continue;
        }
        if (discharge < 0) {
            negative.Add(row, dischargeText);
            continue;
        }
        const double before = reading.points.empty() ? 0 : reading.points.back().hour;
        if (hour < 0 || (!reading.points.empty() && !(hour > before))) {
            order.Add(row, twoColumns ? hourText : QString::number(row));
            continue;
        }
        if (!reading.points.empty() && hour - before > 1) {
            if (gaps++ == 0) {
                gapFrom = before;
                gapTo = hour;
            }
        }
        reading.points.push_back({hour, discharge});
    }

    const auto general = [separator](double v) { return text::FormatGeneral(v, separator); };
    // "Pominięto 3 wiersze <what> (pierwszy: wiersz 5<detail>)."
    const auto skipped = [&reading](const Concern& c, const QString& what, const QString& detail) {
        if (c.count > 0)
            // One substitution of all five: a cell's text is never read as a place marker.
            reading.warnings << QStringLiteral("Pominięto %1 %2%3 (pierwszy: wiersz %4%5).")
                                    .arg(QString::number(c.count), RowsWord(c.count), what, QString::number(c.firstRow),
                                         detail);
    };
    skipped(notNumber, QStringLiteral(" z tekstem zamiast liczby"), QStringLiteral(", „%1”").arg(notNumber.firstText));
    skipped(empty, QStringLiteral(" bez przepływu"), QString());
    skipped(negative, QStringLiteral(" z ujemnym przepływem"), QStringLiteral(", ") + negative.firstText);
    skipped(order, QStringLiteral(", w których godzina jest ujemna albo nie większa od poprzedniej"),
            QStringLiteral(", godzina ") + order.firstText);
    if (gaps > 0)
        reading.warnings << QStringLiteral("Luki w pomiarze: %1 (pierwsza między godziną %2 a %3).")
                                .arg(gaps)
                                .arg(general(gapFrom), general(gapTo));
    if (reading.points.size() < 2)
        throw Error(
            QStringLiteral("Zaznaczony obszar nie zawiera pomiaru: potrzebne są co najmniej dwa "
                           "nieujemne przepływy (w jednej kolumnie albo godzina i przepływ w dwóch)"));
    return reading;
}

}  // namespace moravel::model
