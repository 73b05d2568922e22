// Outside texts inside messages: control characters escaped, long texts cut in the middle.
#include "text/Error.h"
#include "text/NumText.h"
#include "text/Shown.h"

#include <gtest/gtest.h>

using namespace moravel::text;

namespace {

TEST(Shown, EscapesEveryControlCharacterAndNothingElse)
{
    const struct {
        QString text;
        QString shown;
    } cases[] = {
        {QStringLiteral("zlewnia.kpr"), QStringLiteral("zlewnia.kpr")},
        {QStringLiteral("a") + QChar(0) + QStringLiteral("b"), QStringLiteral("a\\0b")},
        {QStringLiteral("a\r\nb\tc"), QStringLiteral("a\\r\\nb\\tc")},
        {QStringLiteral("\x01\x1b[31m\x1f\x7f"), QStringLiteral("\\x01\\x1B[31m\\x1F\\x7F")},
        // Printable text of any script stays, backslashes included.
        {QStringLiteral("C:\\dane\\zażółć ĘŁ € \u00a0"), QStringLiteral("C:\\dane\\zażółć ĘŁ € \u00a0")},
        {QString(), QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(Shown(c.text), c.shown);
    }
}

TEST(Shown, ALongTextKeepsItsBeginningAndEndWithinTheBound)
{
    const QString path = QStringLiteral("/a/") + QString(500, u'x') + QStringLiteral("/koniec.kpr");
    const QString shown = Shown(path);
    EXPECT_EQ(shown.size(), kShownPieceLength);
    EXPECT_TRUE(shown.startsWith(QStringLiteral("/a/xxx")));
    EXPECT_TRUE(shown.endsWith(QStringLiteral("xxx/koniec.kpr")));
    EXPECT_EQ(shown.count(QChar(0x2026)), 1);
    // The bound counts the escapes: 300 NULs are 600 characters written out.
    EXPECT_EQ(Shown(QString(300, QChar(0))).size(), kShownPieceLength);
    EXPECT_EQ(Shown(QString(kShownPieceLength, u'y')), QString(kShownPieceLength, u'y'));
    // A character outside the basic plane is never split.
    QString emoji;
    for (int i = 0; i < 150; ++i)
        emoji += QString::fromUcs4(U"\U0001F30A");
    const QString cut = Shown(emoji, 11);
    EXPECT_FALSE(cut.front().isLowSurrogate());
    EXPECT_FALSE(cut.back().isHighSurrogate());
    for (qsizetype i = 0; i + 1 < cut.size(); ++i)
        EXPECT_EQ(cut[i].isHighSurrogate(), cut[i + 1].isLowSurrogate()) << i;
}

TEST(ShownMessage, KeepsTheMessagesLineBreaksAndEscapesTheRest)
{
    EXPECT_EQ(ShownMessage(QStringLiteral("Nie zapisano zmian.\nZapisać je?")),
              QStringLiteral("Nie zapisano zmian.\nZapisać je?"));
    EXPECT_EQ(ShownMessage(QStringLiteral("plik a") + QChar(0) + QStringLiteral("\r\x07")),
              QStringLiteral("plik a\\0\\r\\x07"));
}

TEST(Shown, TheStrictConversionsQuoteTheTextEscaped)
{
    try {
        StrToFloat(QStringLiteral("1\r\n2"), u',');
        FAIL() << "no error";
    } catch (const moravel::Error& e) {
        EXPECT_EQ(e.text(), QStringLiteral("'1\\r\\n2' is not a valid floating point value"));
    }
    try {
        StrToInt(QStringLiteral("7\x01") + QStringLiteral("9"));
        FAIL() << "no error";
    } catch (const moravel::Error& e) {
        EXPECT_EQ(e.text(), QStringLiteral("'7\\x019' is not a valid integer value"));
    }
}

}  // namespace
