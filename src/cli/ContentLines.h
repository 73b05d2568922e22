#pragma once
// The lines of the small UTF-8 text files a user writes for moravel-run: a manifest, a
// variants file, a design file.
#include <QString>

#include <vector>

namespace moravel::cli {

// A line of a UTF-8 text file a user writes (a manifest, a variants file, a design file): its
// number (from 1) and its text, trimmed.
struct NumberedLine {
    int number = 0;
    QString text;
};

// The lines that say something: blank lines and comments (from '#') left out, and a
// byte-order mark.
std::vector<NumberedLine> ContentLines(const QString& path);

// "<path>, wiersz <number>: <why>": a message about one line of such a file, the path's
// control characters escaped. Built by concatenation, so that a '%' in the path or the reason
// is taken as it stands.
QString AtLine(const QString& path, int number, const QString& why);

}  // namespace moravel::cli
