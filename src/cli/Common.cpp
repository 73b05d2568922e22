#include "cli/Common.h"

#include <QLocale>

#include <cstdio>
#include <memory>

#include "cli/Arguments.h"
#include "files/ProjectInputs.h"
#include "model/Series.h"
#include "text/Shown.h"

namespace moravel::cli {

void Say(const QString& text)
{
    std::fprintf(stderr, "moravel-run: %s\n", text::ShownMessage(text).toUtf8().constData());
}

QChar DecimalSeparator(const Arguments& a)
{
    if (a.decimalSeparator)
        return *a.decimalSeparator;
    const QString point = QLocale::system().decimalPoint();
    return point.isEmpty() ? QLatin1Char('.') : point.front();
}

QString OtherSeparatorHint(const QString& project, QChar separator, const QString& rainfall)
{
    const QChar other = separator == QLatin1Char(',') ? QLatin1Char('.') : QLatin1Char(',');
    const auto reads = [&](QChar s) {
        try {
            files::ProjectComputationInputs(
                project, s, [] {}, rainfall);
            return true;
        } catch (const Error&) {
            return false;
        }
    };
    if (reads(separator) || !reads(other))
        return QString();
    return QStringLiteral("Dane czytają się z separatorem dziesiętnym '%1', a nie '%2': podaj --separator %1")
        .arg(other)
        .arg(separator);
}

QString WithHint(const QString& message, const QString& hint)
{
    if (hint.isEmpty())
        return message;
    return message + (message.endsWith(QLatin1Char('.')) ? QStringLiteral(" ") : QStringLiteral(". ")) + hint;
}

std::uint64_t SeedOf(const Arguments& a)
{
    if (a.seed)
        return *a.seed;
    const std::uint64_t seed = model::ClockSeed();
    Say(QStringLiteral("ziarno %1").arg(seed));
    return seed;
}

std::function<void()> LandUseCellWarning(const QString& project)
{
    auto warned = std::make_shared<bool>(false);
    return [project, warned] {
        if (!*warned)
            Say(project + QStringLiteral(": Wprowadź liczbę rzeczywistą! (komórka powierzchni, liczona jako 0)"));
        *warned = true;
    };
}
}  // namespace moravel::cli
