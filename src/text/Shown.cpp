#include "text/Shown.h"

#include <algorithm>

namespace moravel::text {

namespace {

bool IsControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

void AppendEscaped(QString& out, QChar c)
{
    switch (c.unicode()) {
        case 0x00:
            out += QStringLiteral("\\0");
            return;
        case u'\t':
            out += QStringLiteral("\\t");
            return;
        case u'\n':
            out += QStringLiteral("\\n");
            return;
        case u'\r':
            out += QStringLiteral("\\r");
            return;
        default:
            out += QStringLiteral("\\x") + QString::number(c.unicode(), 16).toUpper().rightJustified(2, u'0');
    }
}

QString Escaped(const QString& text, bool keepLineBreaks)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (IsControl(c) && !(keepLineBreaks && c == u'\n'))
            AppendEscaped(out, c);
        else
            out += c;
    }
    return out;
}

}  // namespace

QString Shown(const QString& text, int maxLength)
{
    QString out = Escaped(text, false);
    maxLength = std::max(maxLength, 3);
    if (out.size() > maxLength) {
        // Cut between characters, never inside a surrogate pair.
        qsizetype head = (maxLength - 1) / 2;
        qsizetype tailFrom = out.size() - (maxLength - 1 - head);
        if (head > 0 && out[head - 1].isHighSurrogate())
            --head;
        if (tailFrom < out.size() && out[tailFrom].isLowSurrogate())
            ++tailFrom;
        out = out.left(head) + QChar(0x2026) + out.mid(tailFrom);
    }
    return out;
}

QString ShownMessage(const QString& message)
{
    return Escaped(message, true);
}

}  // namespace moravel::text
