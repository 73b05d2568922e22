#include "cli/Arguments.h"

#include <functional>
#include <initializer_list>
#include <vector>

#include "model/Series.h"

namespace moravel::cli {
namespace {

// Which commands accept an option.
enum CommandMask : unsigned { kRun = 1, kMerge = 2, kManifest = 4 };

unsigned MaskOf(Command command)
{
    switch (command) {
        case Command::Run:
            return kRun;
        case Command::Merge:
            return kMerge;
        case Command::Manifest:
            return kManifest;
        default:
            return 0;
    }
}

std::int64_t Count(const QString& option, const QString& value, std::int64_t least)
{
    bool ok = false;
    const qlonglong n = value.toLongLong(&ok);
    if (!ok || n < least)
        throw UsageError(QStringLiteral("Opcja %1 wymaga liczby całkowitej nie mniejszej niż %2, a podano '%3'")
                             .arg(option)
                             .arg(least)
                             .arg(value));
    return n;
}

struct Option {
    const char* name;
    bool takesValue;
    unsigned commands;
    std::function<void(Arguments&, const QString& value)> store;
};

const std::vector<Option>& Options()
{
    static const std::vector<Option> options = {
        {"--seed", true, kRun,
         [](Arguments& a, const QString& v) {
             bool ok = false;
             const qulonglong seed = v.toULongLong(&ok);
             if (!ok)
                 throw UsageError(
                     QStringLiteral("Opcja --seed wymaga liczby całkowitej od 0 do 18446744073709551615, a podano '%1'")
                         .arg(v));
             a.seed = seed;
         }},
        {"--series", true, kRun | kManifest,
         [](Arguments& a, const QString& v) { a.series = Count("--series", v, 1); }},
        {"--first", true, kRun, [](Arguments& a, const QString& v) { a.first = Count("--first", v, 0); }},
        {"--count", true, kRun, [](Arguments& a, const QString& v) { a.count = Count("--count", v, 1); }},
        {"--out", true, kRun | kMerge | kManifest, [](Arguments& a, const QString& v) { a.out = v; }},
        {"--hydrographs", true, kRun, [](Arguments& a, const QString& v) { a.hydrographs = v; }},
        {"--band", true, kRun, [](Arguments& a, const QString& v) { a.band = v; }},
        {"--separator", true, kRun | kManifest,
         [](Arguments& a, const QString& v) {
             if (v.size() != 1)
                 throw UsageError(
                     QStringLiteral("Opcja --separator wymaga jednego znaku (',' albo '.'), a podano '%1'").arg(v));
             a.decimalSeparator = v.front();
         }},
        {"--variants", true, kRun, [](Arguments& a, const QString& v) { a.variants = v; }},
        {"--design", true, kRun, [](Arguments& a, const QString& v) { a.design = v; }},
        {"--xlsx", true, kRun, [](Arguments& a, const QString& v) { a.xlsx = v; }},
        {"--quiet", false, kRun | kMerge | kManifest, [](Arguments& a, const QString&) { a.quiet = true; }},
        {"--partial", false, kMerge, [](Arguments& a, const QString&) { a.partial = true; }},
    };
    return options;
}

void Require(bool condition, const QString& text)
{
    if (!condition)
        throw UsageError(text);
}

}  // namespace

QString StreamedSeriesTooLong()
{
    return QStringLiteral("Seria może mieć najwyżej %1 realizacji").arg(kMaxRealisationNumber);
}

namespace {

// The combinations of a run that make no sense.
void CheckRun(const Arguments& a)
{
    Require(a.xlsx.isEmpty(), QStringLiteral("Opcja --xlsx dotyczy porównania wariantów (--variants) i przepływów "
                                             "projektowych (--design)"));
    Require(a.operands.size() == 1, QStringLiteral("Podaj jeden plik projektu (.kpr)"));
    if (a.IsShard()) {
        Require(a.first && a.count, QStringLiteral("Opcje --first i --count występują razem"));
        Require(*a.first + *a.count <= kMaxRealisationNumber,
                QStringLiteral("Numery realizacji fragmentu nie mogą przekraczać %1").arg(kMaxRealisationNumber));
        Require(a.seed.has_value(),
                QStringLiteral("Fragment serii wymaga ziarna (--seed): fragmenty łączy się tylko z tej samej serii"));
        Require(!a.out.isEmpty(), QStringLiteral("Fragment serii wymaga katalogu wyników (--out)"));
        Require(a.series.has_value(), QStringLiteral("Fragment serii wymaga liczby realizacji całej serii (--series N): "
                                                     "łączenie sprawdza, że ma wszystkie"));
        Require(*a.series <= kMaxRealisationNumber,
                QStringLiteral("Seria może mieć najwyżej %1 realizacji").arg(kMaxRealisationNumber));
        Require(*a.first + *a.count <= *a.series,
                QStringLiteral("Fragment (indeksy %1..%2) wychodzi poza serię %3 realizacji (indeksy 0..%4)")
                    .arg(*a.first)
                    .arg(*a.first + *a.count - 1)
                    .arg(*a.series)
                    .arg(*a.series - 1));
        Require(a.hydrographs.isEmpty() && a.band.isEmpty(),
                QStringLiteral("Fragment serii zapisuje hydrogramy w swoim katalogu; pasmo liczy dopiero 'merge'"));
        return;
    }
    if (a.series)
        Require(*a.series <= kMaxRealisationNumber, StreamedSeriesTooLong());
    else
        Require(a.hydrographs.isEmpty() && a.band.isEmpty(),
                QStringLiteral("Opcje --hydrographs i --band dotyczą serii (--series N)"));
}

// A comparison of variants: the projects come from its file, each variant's series has the
// count of --count (as the window's, at most model::kMaxSeriesCount).
void CheckVariants(const Arguments& a)
{
    Require(a.operands.isEmpty(),
            QStringLiteral("Porównanie wariantów bierze projekty z pliku wariantów, nie z wiersza polecenia"));
    Require(a.count.has_value(), QStringLiteral("Porównanie wariantów wymaga liczby realizacji wariantu (--count N)"));
    Require(*a.count <= model::kMaxSeriesCount,
            QStringLiteral("Seria wariantu może mieć najwyżej %1 realizacji").arg(model::kMaxSeriesCount));
    Require(!a.series && !a.first && a.hydrographs.isEmpty() && a.band.isEmpty(),
            QStringLiteral("Opcji --series, --first, --hydrographs i --band nie łączy się z --variants"));
}

// A design-flood table: the project and the storms come from its file, each storm's series has
// the count of --count (as the window's: 1000 unless given, at most model::kMaxSeriesCount).
void CheckDesign(const Arguments& a)
{
    Require(a.variants.isEmpty(), QStringLiteral("Opcji --variants nie łączy się z --design"));
    Require(a.operands.isEmpty(),
            QStringLiteral("Przepływy projektowe biorą projekt z pliku danych (--design), nie z wiersza polecenia"));
    Require(!a.count || *a.count <= model::kMaxSeriesCount,
            QStringLiteral("Seria burzy może mieć najwyżej %1 realizacji").arg(model::kMaxSeriesCount));
    Require(!a.series && !a.first && a.hydrographs.isEmpty() && a.band.isEmpty(),
            QStringLiteral("Opcji --series, --first, --hydrographs i --band nie łączy się z --design"));
}

}  // namespace

Arguments ParseArguments(const QStringList& arguments)
{
    Arguments a;
    qsizetype i = 0;
    if (!arguments.isEmpty()) {
        const QString& head = arguments.front();
        if (head == QLatin1String("merge")) {
            a.command = Command::Merge;
            ++i;
        } else if (head == QLatin1String("manifest")) {
            a.command = Command::Manifest;
            ++i;
        }
    }
    for (; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            a.command = Command::Help;
            return a;
        }
        if (arg == QLatin1String("--version")) {
            a.command = Command::Version;
            return a;
        }
        if (!arg.startsWith(QLatin1String("--")) || arg == QLatin1String("--")) {
            if (arg == QLatin1String("--")) {
                for (++i; i < arguments.size(); ++i)
                    a.operands << arguments[i];
                break;
            }
            a.operands << arg;
            continue;
        }
        // "--name=value" or "--name value".
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        const QString name = eq < 0 ? arg : arg.left(eq);
        const Option* option = nullptr;
        for (const Option& o : Options())
            if (name == QLatin1String(o.name))
                option = &o;
        if (!option)
            throw UsageError(QStringLiteral("Nieznana opcja %1").arg(name));
        if (!(option->commands & MaskOf(a.command)))
            throw UsageError(QStringLiteral("Opcja %1 nie dotyczy tego polecenia").arg(name));
        QString value;
        if (option->takesValue) {
            if (eq >= 0)
                value = arg.mid(eq + 1);
            else if (i + 1 < arguments.size())
                value = arguments[++i];
            else
                throw UsageError(QStringLiteral("Opcja %1 wymaga wartości").arg(name));
        } else if (eq >= 0) {
            throw UsageError(QStringLiteral("Opcja %1 nie przyjmuje wartości").arg(name));
        }
        option->store(a, value);
    }

    switch (a.command) {
        case Command::Run:
            if (!a.design.isEmpty()) {
                a.command = Command::Design;
                CheckDesign(a);
            } else if (!a.variants.isEmpty()) {
                a.command = Command::Variants;
                CheckVariants(a);
            } else {
                CheckRun(a);
            }
            break;
        case Command::Merge:
            Require(!a.operands.isEmpty(), QStringLiteral("Podaj katalogi fragmentów serii do połączenia"));
            Require(!a.out.isEmpty(), QStringLiteral("Podaj katalog wyników połączenia (--out)"));
            break;
        case Command::Manifest:
            Require(a.operands.size() == 1, QStringLiteral("Podaj jeden plik zestawienia projektów (.csv)"));
            Require(!a.out.isEmpty(), QStringLiteral("Podaj katalog wyników zestawienia (--out)"));
            break;
        default:
            break;
    }
    return a;
}

QString UsageText()
{
    return QStringLiteral(
        "Użycie:\n"
        "  moravel-run PROJEKT.kpr [--seed S] [--out PLIK.csv]\n"
        "      jedna realizacja: hydrogram jako CSV\n"
        "  moravel-run PROJEKT.kpr --series N [--seed S] [--out PLIK.csv]\n"
        "              [--hydrographs PLIK.nc] [--band PLIK.csv]\n"
        "      seria N realizacji: podsumowanie realizacji, hydrogramy (NetCDF-4), pasmo\n"
        "  moravel-run PROJEKT.kpr --seed S --series N --first K --count M --out KATALOG\n"
        "      fragment serii N realizacji: realizacje o indeksach K..K+M-1 (od 0)\n"
        "  moravel-run merge KATALOG... --out KATALOG\n"
        "      połączenie fragmentów: podsumowanie, hydrogramy i pasmo całej serii\n"
        "      (fragmenty muszą obejmować wszystkie realizacje 0..N-1)\n"
        "  moravel-run merge KATALOG... --partial --out KATALOG\n"
        "      połączenie kolejnych fragmentów w jeden większy (podsumowanie i hydrogramy)\n"
        "  moravel-run manifest ZESTAWIENIE.csv --out KATALOG\n"
        "      wiele projektów: wiersz 'projekt,realizacje,ziarno[,opad]' na projekt\n"
        "      (opad: plik .kwp liczony zamiast opadu projektu)\n"
        "  moravel-run --variants WARIANTY.txt --count N [--seed S] [--out PLIK.csv]\n"
        "              [--xlsx PLIK.xlsx]\n"
        "      porównanie wariantów (od 2 do 8): wiersz 'nazwa;projekt.kpr' na wariant,\n"
        "      każdy liczony N razy z tym samym ziarnem\n"
        "  moravel-run --design DANE.txt [--count N] [--seed S] [--out PLIK.csv]\n"
        "              [--xlsx PLIK.xlsx]\n"
        "      przepływy projektowe: projekt, czasy trwania, wysokości opadu i kształt\n"
        "      hietogramu z pliku danych; N realizacji każdej burzy (domyślnie 1000)\n"
        "Opcje:\n"
        "  --separator C   separator dziesiętny plików danych (domyślnie ten z ustawień\n"
        "                  regionalnych, jak w oknie programu)\n"
        "  --quiet         bez paska postępu\n"
        "  --help, --version\n");
}

}  // namespace moravel::cli
