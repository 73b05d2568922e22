// The Windows-1250 codec, the short-text field and the three records on plain values.
#include "Bytes.h"
#include "files/Cp1250.h"
#include "files/ShortTextRecord.h"
#include "text/Error.h"

#include <gtest/gtest.h>

#include <random>

using namespace moravel::files;
using moravel::files::testing::Field;
using moravel::files::testing::Hex;

namespace {

const QString kPolish = QStringLiteral("ąęłżźśóćńĄĘŁŻŹŚÓĆŃ");
const char* kPolishCp1250 = "b9 ea b3 bf 9f 9c f3 e6 f1 a5 ca a3 af 8f 8c d3 c6 d1";

TEST(Cp1250, PolishLettersRoundTripByteExactly)
{
    EXPECT_EQ(ToCp1250(kPolish), Hex(kPolishCp1250));
    EXPECT_EQ(FromCp1250(Hex(kPolishCp1250)), kPolish);
}

TEST(Cp1250, EncodesOneBytePerCharacterAndQuestionMarkForTheRest)
{
    struct Case {
        QString text;
        const char* bytes;
    };
    const Case cases[] = {
        {QString(), ""},
        {QStringLiteral("12,5"), "31 32 2c 35"},
        {QStringLiteral("€ß˙Š"), "80 df ff 8a"},
        {QStringLiteral("Aä→B"), "41 e4 3f 42"},            // arrow: not in the code page
        {QStringLiteral("日本"), "3f 3f"},                  // one '?' per character
        {QString::fromUtf8("\xF0\x9F\x98\x80x"), "3f 78"},  // a surrogate pair is one character
        {QStringLiteral("e\u0301"), "e9"},                  // decomposed é is composed first
        {QString(QChar(0)) + QStringLiteral("a"), "00 61"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ToCp1250(c.text), Hex(c.bytes)) << c.text.toStdString();
}

TEST(Cp1250, EveryByteSurvivesReadAndWrite)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString text = FromCp1250(all);
    EXPECT_EQ(text.size(), 256);
    EXPECT_EQ(ToCp1250(text), all);
}

TEST(ShortText, WritesLengthCharactersAndZeros)
{
    EXPECT_EQ(EncodeShortText(QStringLiteral("12,5"), 5), Hex("04 31 32 2c 35 00"));
    EXPECT_EQ(EncodeShortText(QString(), 5), Hex("00 00 00 00 00 00"));
    EXPECT_EQ(EncodeShortText(QStringLiteral("łąka"), 7), Hex("04 b3 b9 6b 61 00 00 00"));
}

TEST(ShortText, CutsToTheFirstWidthCharacters)
{
    EXPECT_EQ(EncodeShortText(QStringLiteral("12,345"), 5), Hex("05 31 32 2c 33 34"));
    EXPECT_EQ(EncodeShortText(QStringLiteral("ąęłżźś"), 5), Hex("05 b9 ea b3 bf 9f"));
    // Characters, not UTF-16 units: five emoji are five '?', not two and a half.
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80").repeated(6);
    EXPECT_EQ(EncodeShortText(emoji, 5), Hex("05 3f 3f 3f 3f 3f"));
    EXPECT_EQ(EncodeShortText(QStringLiteral("0,000125"), 7), Hex("07 30 2c 30 30 30 31 32"));
}

TEST(ShortText, ReadsOnlyItsOwnFieldWhateverTheLengthByte)
{
    // Two fields of width 5; the first claims 200 characters.
    const QByteArray record = Hex("c8 61 62 63 64 65  02 78 79 00 00 00");
    EXPECT_EQ(DecodeShortText(record, 0, 5), QStringLiteral("abcde"));
    EXPECT_EQ(DecodeShortText(record, 6, 5), QStringLiteral("xy"));
    // A record cut inside a field: the missing characters are missing, nothing more is read.
    EXPECT_EQ(DecodeShortText(record.left(3), 0, 5), QStringLiteral("ab"));
    EXPECT_EQ(DecodeShortText(record.left(6), 6, 5), QString());  // no length byte at all
    EXPECT_EQ(DecodeShortText(record.left(7), 6, 5), QString());  // length byte, no characters
    EXPECT_EQ(DecodeShortText(QByteArray(), 0, 5), QString());
    EXPECT_EQ(DecodeShortText(record, -1, 5), QString());
}

// --- Rainfall record -----------------------------------------------------------------

RainfallRecord ThreeHours()
{
    RainfallRecord r;
    r.hourCount = QStringLiteral("3");
    r.hours = {QStringLiteral("1,5"), QStringLiteral("12"), QStringLiteral("0")};
    return r;
}

TEST(RainfallRecord, ThreeHoursOfRainfallByteExact)
{
    const QByteArray bytes = ThreeHours().Encode();
    ASSERT_EQ(bytes.size(), 2406);
    const QByteArray head = Field("33", 5) + Field("30", 5) + Field("31 2c 35", 5) + Field("31 32", 5) + Field("30", 5);
    EXPECT_EQ(bytes.left(head.size()), head);
    EXPECT_EQ(bytes.mid(head.size()), QByteArray(2406 - head.size(), '\0'));
}

TEST(RainfallRecord, EffectiveKindIsStoredAsOne)
{
    RainfallRecord r = ThreeHours();
    r.effective = true;
    r.kindText = QStringLiteral("0");  // only `effective` decides what is written
    const QByteArray bytes = r.Encode();
    EXPECT_EQ(bytes.mid(6, 6), Field("31", 5));
    const RainfallRecord back = RainfallRecord::Decode(bytes);
    EXPECT_TRUE(back.effective);
    EXPECT_EQ(back.kindText, QStringLiteral("1"));
    EXPECT_EQ(back.hourCount, QStringLiteral("3"));
    ASSERT_EQ(back.hours.size(), 399);
    EXPECT_EQ(back.Hour(1), QStringLiteral("1,5"));
    EXPECT_EQ(back.Hour(2), QStringLiteral("12"));
    EXPECT_EQ(back.Hour(3), QStringLiteral("0"));
    EXPECT_EQ(back.Hour(4), QString());
    EXPECT_EQ(back.Hour(400), QString());
    EXPECT_EQ(back.Hour(0), QString());
}

TEST(RainfallRecord, KindCountsAsEffectiveOnlyWhenExactlyOne)
{
    struct Case {
        const char* field;
        bool effective;
    };
    const Case cases[] = {{"01 31", true}, {"01 30", false}, {"02 31 78", false},
                          {"00", false},   {"01 32", false}, {"05 31 31 31 31 31", false}};
    for (const Case& c : cases) {
        QByteArray bytes = ThreeHours().Encode();
        const QByteArray field = Hex(c.field);
        bytes.replace(6, field.size(), field);
        const RainfallRecord r = RainfallRecord::Decode(bytes);
        EXPECT_EQ(r.effective, c.effective) << c.field;
        EXPECT_EQ(r.kindText, FromCp1250(field.mid(1))) << c.field;
    }
}

TEST(RainfallRecord, LongHourCountIsCutToFive)
{
    RainfallRecord r;
    r.hourCount = QStringLiteral("123456");
    EXPECT_EQ(RainfallRecord::Decode(r.Encode()).hourCount, QStringLiteral("12345"));
}

TEST(RainfallRecord, HourCountZeroHoldsNoHours)
{
    RainfallRecord r;
    r.hourCount = QStringLiteral("0");
    const QByteArray bytes = r.Encode();
    EXPECT_EQ(bytes.left(12), Field("30", 5) + Field("30", 5));
    EXPECT_EQ(bytes.mid(12), QByteArray(2406 - 12, '\0'));
}

TEST(RainfallRecord, MoreThan399HoursIsRefused)
{
    RainfallRecord r;
    r.hours = QVector<QString>(399, QStringLiteral("1"));
    EXPECT_EQ(r.Encode().size(), 2406);
    EXPECT_EQ(RainfallRecord::Decode(r.Encode()).Hour(399), QStringLiteral("1"));
    r.hours.append(QStringLiteral("2"));
    EXPECT_THROW(r.Encode(), moravel::Error);
    EXPECT_NO_THROW(CheckRainfallHourCount(399));
    EXPECT_NO_THROW(CheckRainfallHourCount(-5));
    try {
        CheckRainfallHourCount(400);
        FAIL() << "400 hours accepted";
    } catch (const moravel::Error& e) {
        EXPECT_EQ(e.text(),
                  QStringLiteral("Plik opadu mieści najwyżej 399 godzin, a seria ma ich 400. Nie zapisano pliku."));
    }
}

TEST(RainfallRecord, ShortOrEmptyFileReadsWhatIsThere)
{
    const QByteArray full = ThreeHours().Encode();
    const RainfallRecord none = RainfallRecord::Decode(QByteArray());
    EXPECT_EQ(none.hourCount, QString());
    EXPECT_EQ(none.kindText, QString());
    EXPECT_FALSE(none.effective);
    EXPECT_EQ(none.hours, QVector<QString>(399));

    // Cut in the middle of hour 1 ("1,5" -> "1").
    const RainfallRecord cut = RainfallRecord::Decode(full.left(14));
    EXPECT_EQ(cut.hourCount, QStringLiteral("3"));
    EXPECT_EQ(cut.kindText, QStringLiteral("0"));
    EXPECT_EQ(cut.Hour(1), QStringLiteral("1"));
    EXPECT_EQ(cut.Hour(2), QString());
}

TEST(RainfallRecord, RandomBytesNeverSpillBetweenFields)
{
    std::mt19937 gen(12345);
    for (int round = 0; round < 200; ++round) {
        QByteArray bytes(static_cast<qsizetype>(gen() % 2600), '\0');
        for (char& b : bytes)
            b = static_cast<char>(gen());
        const RainfallRecord r = RainfallRecord::Decode(bytes);
        ASSERT_EQ(r.hours.size(), 399);
        for (int i = 1; i <= 399; ++i) {
            const qsizetype off = 6 * (i + 1);
            const qsizetype expectLen =
                off < bytes.size()
                    ? std::min<qsizetype>({static_cast<unsigned char>(bytes[off]), 5, bytes.size() - off - 1})
                    : 0;
            ASSERT_EQ(r.Hour(i), FromCp1250(bytes.mid(off + 1, expectLen))) << "hour " << i;
        }
    }
}

// --- SCS record ----------------------------------------------------------------------

TEST(ScsRecord, SparseGridByteExact)
{
    ScsRecord r;
    r.areas[0][0] = QStringLiteral("12,5");
    r.areas[20][3] = QStringLiteral("3");
    r.ownClassCn[3] = QStringLiteral("85");
    const QByteArray bytes = r.Encode();
    ASSERT_EQ(bytes.size(), 528);
    QByteArray expected(528, '\0');
    expected.replace(0, 5, Hex("04 31 32 2c 35"));
    expected.replace(498, 2, Hex("01 33"));
    expected.replace(522, 3, Hex("02 38 35"));
    EXPECT_EQ(bytes, expected);
}

TEST(ScsRecord, EveryCellHasItsOwnField)
{
    ScsRecord r;
    for (int i = 0; i < 21; ++i)
        for (int g = 0; g < 4; ++g)
            r.areas[i][g] = QString::number(i * 10 + g);
    r.ownClassCn = {QStringLiteral("61"), QStringLiteral("75"), QStringLiteral("83"), QStringLiteral("87,50")};
    const QByteArray bytes = r.Encode();
    EXPECT_EQ(bytes.mid(24 * 7 + 6 * 2, 6), Field("37 32", 5));  // row 7, group C: "72"
    EXPECT_EQ(bytes.mid(510, 6), Field("37 35", 5));
    const ScsRecord back = ScsRecord::Decode(bytes);
    EXPECT_EQ(back.areas, r.areas);
    EXPECT_EQ(back.ownClassCn, r.ownClassCn);
}

TEST(ScsRecord, LongAreaKeepsItsFirstFiveCharacters)
{
    ScsRecord r;
    r.areas[3][1] = QStringLiteral("7,123456789");
    r.areas[4][1] = QStringLiteral("17,123456789");
    const ScsRecord back = ScsRecord::Decode(r.Encode());
    EXPECT_EQ(back.areas[3][1], QStringLiteral("7,123"));
    EXPECT_EQ(back.areas[4][1], QStringLiteral("17,12"));
}

TEST(ScsRecord, ShortFileLeavesTheMissingFieldsEmpty)
{
    ScsRecord r;
    for (auto& row : r.areas)
        row.fill(QStringLiteral("1"));
    r.ownClassCn.fill(QStringLiteral("70"));
    const ScsRecord back = ScsRecord::Decode(r.Encode().left(506));  // "70" at 504 cut to "7"
    EXPECT_EQ(back.areas[20][3], QStringLiteral("1"));
    EXPECT_EQ(back.ownClassCn[0], QStringLiteral("7"));
    EXPECT_EQ(back.ownClassCn[1], QString());
    EXPECT_EQ(back.ownClassCn[3], QString());
}

// --- Parameters record ---------------------------------------------------------------

TEST(ParametersRecord, SevenCharacterFields)
{
    ParametersRecord r;
    r.values = {QStringLiteral("4,2"), QStringLiteral("2,3"), QStringLiteral("4,8"),     QStringLiteral("0,00125"),
                QStringLiteral("12"),  QStringLiteral("15"),  QStringLiteral("0,000125")};
    const QByteArray bytes = r.Encode();
    ASSERT_EQ(bytes.size(), 56);
    EXPECT_EQ(bytes.left(8), Hex("03 34 2c 32 00 00 00 00"));
    EXPECT_EQ(bytes.mid(24, 8), Hex("07 30 2c 30 30 31 32 35"));
    const ParametersRecord back = ParametersRecord::Decode(bytes);
    EXPECT_EQ(back.values[3], QStringLiteral("0,00125"));
    EXPECT_EQ(back.values[6], QStringLiteral("0,00012"));
    EXPECT_EQ(back.values[0], QStringLiteral("4,2"));
    EXPECT_EQ(back.values[5], QStringLiteral("15"));
}

TEST(ParametersRecord, OverlongLengthBytesAndShortFiles)
{
    // Length byte 255 in the first field: seven characters, the next field untouched.
    const QByteArray bytes = Hex("ff 61 62 63 64 65 66 67  01 78");
    const ParametersRecord r = ParametersRecord::Decode(bytes);
    EXPECT_EQ(r.values[0], QStringLiteral("abcdefg"));
    EXPECT_EQ(r.values[1], QStringLiteral("x"));
    for (int k = 2; k < 7; ++k)
        EXPECT_EQ(r.values[k], QString());
}

}  // namespace
