#include "cli/Arguments.h"

#include <functional>
#include <initializer_list>
#include <stdexcept>
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

// The options --help and --version end the parse: the command is to show a text.
constexpr const char* kHelpOption = "--help";
constexpr const char* kVersionOption = "--version";

struct Option {
    const char* name;
    const char* value;  // the value's name in the usage text; nullptr: the option takes no value
    unsigned commands;
    // Its description under "Opcje:" of the usage text, continued lines after '\n'; nullptr: the
    // usage forms show what it does.
    const char* help;
    std::function<void(Arguments&, const QString& value)> store;
};

const std::vector<Option>& Options()
{
    static const std::vector<Option> options = {
        {"--seed", "S", kRun, nullptr,
         [](Arguments& a, const QString& v) {
             bool ok = false;
             const qulonglong seed = v.toULongLong(&ok);
             if (!ok)
                 throw UsageError(
                     QStringLiteral("Opcja --seed wymaga liczby całkowitej od 0 do 18446744073709551615, a podano '%1'")
                         .arg(v));
             a.seed = seed;
         }},
        {"--series", "N", kRun | kManifest, nullptr,
         [](Arguments& a, const QString& v) { a.series = Count("--series", v, 1); }},
        {"--first", "K", kRun, nullptr, [](Arguments& a, const QString& v) { a.first = Count("--first", v, 0); }},
        {"--count", "M", kRun, nullptr, [](Arguments& a, const QString& v) { a.count = Count("--count", v, 1); }},
        {"--out", "PLIK.csv", kRun | kMerge | kManifest, nullptr, [](Arguments& a, const QString& v) { a.out = v; }},
        {"--hydrographs", "PLIK.nc", kRun, nullptr, [](Arguments& a, const QString& v) { a.hydrographs = v; }},
        {"--band", "PLIK.csv", kRun, nullptr, [](Arguments& a, const QString& v) { a.band = v; }},
        {"--separator", "C", kRun | kManifest,
         "separator dziesiętny plików danych (domyślnie ten z ustawień\n"
         "regionalnych, jak w oknie programu)",
         [](Arguments& a, const QString& v) {
             if (v.size() != 1)
                 throw UsageError(
                     QStringLiteral("Opcja --separator wymaga jednego znaku (',' albo '.'), a podano '%1'").arg(v));
             a.decimalSeparator = v.front();
         }},
        {"--variants", "WARIANTY.txt", kRun, nullptr, [](Arguments& a, const QString& v) { a.variants = v; }},
        {"--design", "DANE.txt", kRun, nullptr, [](Arguments& a, const QString& v) { a.design = v; }},
        {"--xlsx", "PLIK.xlsx", kRun, nullptr, [](Arguments& a, const QString& v) { a.xlsx = v; }},
        {"--quiet", nullptr, kRun | kMerge | kManifest, "bez paska postępu",
         [](Arguments& a, const QString&) { a.quiet = true; }},
        {"--partial", nullptr, kMerge, nullptr, [](Arguments& a, const QString&) { a.partial = true; }},
    };
    return options;
}

const Option* FindOption(const QString& name)
{
    for (const Option& o : Options())
        if (name == QLatin1String(o.name))
            return &o;
    return nullptr;
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
        Require(a.series.has_value(),
                QStringLiteral("Fragment serii wymaga liczby realizacji całej serii (--series N): "
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

namespace {

// The command a first word names ("merge", "manifest"), taken off; else a run.
Command LeadingCommand(const QStringList& arguments, qsizetype& i)
{
    if (arguments.isEmpty())
        return Command::Run;
    const QString& head = arguments.front();
    if (head == QLatin1String("merge")) {
        ++i;
        return Command::Merge;
    }
    if (head == QLatin1String("manifest")) {
        ++i;
        return Command::Manifest;
    }
    return Command::Run;
}

// The option at arguments[i], "--name=value" or "--name value", stored; `i` left at its last
// word.
void StoreOption(Arguments& a, const QStringList& arguments, qsizetype& i)
{
    const QString& arg = arguments[i];
    const qsizetype eq = arg.indexOf(QLatin1Char('='));
    const QString name = eq < 0 ? arg : arg.left(eq);
    const Option* option = FindOption(name);
    if (!option)
        throw UsageError(QStringLiteral("Nieznana opcja %1").arg(name));
    if (!(option->commands & MaskOf(a.command)))
        throw UsageError(QStringLiteral("Opcja %1 nie dotyczy tego polecenia").arg(name));
    QString value;
    if (option->value) {
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

// The command a run's options make of it (a comparison of variants, a design-flood table),
// and the checks of what the command was given.
void CheckCommand(Arguments& a)
{
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
}

}  // namespace

Arguments ParseArguments(const QStringList& arguments)
{
    Arguments a;
    qsizetype i = 0;
    a.command = LeadingCommand(arguments, i);
    for (; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String(kHelpOption) || arg == QLatin1String("-h")) {
            a.command = Command::Help;
            return a;
        }
        if (arg == QLatin1String(kVersionOption)) {
            a.command = Command::Version;
            return a;
        }
        if (arg == QLatin1String("--")) {
            for (++i; i < arguments.size(); ++i)
                a.operands << arguments[i];
            break;
        }
        if (arg.startsWith(QLatin1String("--")))
            StoreOption(a, arguments, i);
        else
            a.operands << arg;
    }
    CheckCommand(a);
    return a;
}

namespace {

// A form of the command line in the usage text: the words after the program's name, a line
// each (an option as "--name", "[--name]" when it may be left out, "--name=VALUE" where the
// value has a name of its own here), and what the form does.
struct UsageForm {
    unsigned command;
    std::vector<const char*> synopsis;
    const char* description;
};

const std::vector<UsageForm>& UsageForms()
{
    static const std::vector<UsageForm> forms = {
        {kRun, {"PROJEKT.kpr [--seed] [--out]"}, "jedna realizacja: hydrogram jako CSV"},
        {kRun,
         {"PROJEKT.kpr --series [--seed] [--out]", "[--hydrographs] [--band]"},
         "seria N realizacji: podsumowanie realizacji, hydrogramy (NetCDF-4), pasmo"},
        {kRun,
         {"PROJEKT.kpr --seed --series --first --count --out=KATALOG"},
         "fragment serii N realizacji: realizacje o indeksach K..K+M-1 (od 0)"},
        {kMerge,
         {"merge KATALOG... --out=KATALOG"},
         "połączenie fragmentów: podsumowanie, hydrogramy i pasmo całej serii\n"
         "(fragmenty muszą obejmować wszystkie realizacje 0..N-1)"},
        {kMerge,
         {"merge KATALOG... --partial --out=KATALOG"},
         "połączenie kolejnych fragmentów w jeden większy (podsumowanie i hydrogramy)"},
        {kManifest,
         {"manifest ZESTAWIENIE.csv --out=KATALOG"},
         "wiele projektów: wiersz 'projekt,realizacje,ziarno[,opad]' na projekt\n"
         "(opad: plik .kwp liczony zamiast opadu projektu)"},
        {kRun,
         {"--variants --count=N [--seed] [--out]", "[--xlsx]"},
         "porównanie wariantów (od 2 do 8): wiersz 'nazwa;projekt.kpr' na wariant,\n"
         "każdy liczony N razy z tym samym ziarnem"},
        {kRun,
         {"--design [--count=N] [--seed] [--out]", "[--xlsx]"},
         "przepływy projektowe: projekt, czasy trwania, wysokości opadu i kształt\n"
         "hietogramu z pliku danych; N realizacji każdej burzy (domyślnie 1000)"},
    };
    return forms;
}

// `text`'s lines, each after `indent`, the first after `first` instead.
QString Indented(const QString& text, const QString& first, const QString& indent)
{
    QString out;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i)
        out += (i == 0 ? first : indent) + lines[i] + QLatin1Char('\n');
    return out;
}

// A word of a form's synopsis: an option of the table with its value's name, else as written.
// A form naming an option its command does not take is a fault of this file.
QString SynopsisWord(const QString& word, unsigned command)
{
    const bool optional = word.startsWith(QLatin1Char('[')) && word.endsWith(QLatin1Char(']'));
    const QString inner = optional ? word.mid(1, word.size() - 2) : word;
    if (!inner.startsWith(QLatin1String("--")))
        return word;
    const qsizetype eq = inner.indexOf(QLatin1Char('='));
    const QString name = eq < 0 ? inner : inner.left(eq);
    const Option* option = FindOption(name);
    if (!option || !(option->commands & command) || (eq >= 0 && !option->value))
        throw std::logic_error("usage form names an option the table does not give its command: " + name.toStdString());
    QString shown = name;
    if (option->value)
        shown += QLatin1Char(' ') + (eq < 0 ? QString::fromUtf8(option->value) : inner.mid(eq + 1));
    return optional ? QLatin1Char('[') + shown + QLatin1Char(']') : shown;
}

}  // namespace

QString UsageText()
{
    QString text = QStringLiteral("Użycie:\n");
    for (const UsageForm& form : UsageForms()) {
        for (std::size_t line = 0; line < form.synopsis.size(); ++line) {
            QStringList words = QString::fromUtf8(form.synopsis[line]).split(QLatin1Char(' '));
            for (QString& word : words)
                word = SynopsisWord(word, form.command);
            text += (line == 0 ? QStringLiteral("  moravel-run ") : QString(14, QLatin1Char(' '))) +
                    words.join(QLatin1Char(' ')) + QLatin1Char('\n');
        }
        text +=
            Indented(QString::fromUtf8(form.description), QString(6, QLatin1Char(' ')), QString(6, QLatin1Char(' ')));
    }
    text += QStringLiteral("Opcje:\n");
    for (const Option& option : Options()) {
        if (!option.help)
            continue;
        QString head = QString::fromUtf8(option.name);
        if (option.value)
            head += QLatin1Char(' ') + QString::fromUtf8(option.value);
        text += Indented(QString::fromUtf8(option.help), QStringLiteral("  ") + head.leftJustified(16),
                         QString(18, QLatin1Char(' ')));
    }
    text += QStringLiteral("  %1, %2\n").arg(QLatin1String(kHelpOption), QLatin1String(kVersionOption));
    return text;
}

QStringList OptionNames()
{
    QStringList names;
    for (const Option& option : Options())
        names << QString::fromUtf8(option.name);
    return names << QString::fromUtf8(kHelpOption) << QString::fromUtf8(kVersionOption);
}

}  // namespace moravel::cli
