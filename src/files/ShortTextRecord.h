#pragma once
// The data files' records on plain values. A record is a fixed run of short-text fields:
// a length byte, then up to W characters in Windows-1250, then unused bytes up to W + 1.
// The records carry texts exactly as they stood in the window; nothing is converted to a
// number here.
#include "model/LandUse.h"
#include <QByteArray>
#include <QString>
#include <QVector>
#include <array>

namespace moravel::files {

// Encodes `text` as one field of width `width` (the field takes width + 1 bytes): the first
// `width` characters of the text, characters Windows-1250 cannot hold written as '?', the
// unused rest filled with zeros.
QByteArray EncodeShortText(const QString& text, int width);

// Decodes the field of width `width` that starts at `offset` in `record`. Only the bytes of
// that field are looked at. Bytes missing at the end of a short record count as missing
// characters (no length byte: an empty text); a length byte above `width` counts as `width`.
QString DecodeShortText(const QByteArray& record, qsizetype offset, int width);

// Rainfall file (.kwp): hour count, kind, then 399 hour fields, all of width 5.
struct RainfallRecord {
    static constexpr int kFieldWidth = 5;
    static constexpr int kMaxHours = 399;
    static constexpr qsizetype kSize = (2 + kMaxHours) * (kFieldWidth + 1);  // 2406

    QString hourCount;       // the hour-count text
    bool effective = false;  // the values are effective rainfall (kind "1") or rainfall ("0")
    QString kindText;        // on reading: the kind field as stored; a writer uses `effective` only
    QVector<QString> hours;  // hour i at index i - 1; on reading always kMaxHours texts

    // The text of hour i (1-based); empty for an hour the record has no field for.
    QString Hour(int i) const { return i >= 1 && i <= hours.size() ? hours[i - 1] : QString(); }

    // Writes the kind as exactly "1" or "0". More than kMaxHours hours is refused with the
    // error of CheckRainfallHourCount.
    QByteArray Encode() const;
    // Reads what `bytes` holds of the record; `effective` is true when the kind field is
    // exactly "1" (a kind "1x" counts as rainfall).
    static RainfallRecord Decode(const QByteArray& bytes);
};

// A rainfall series of more than 399 hours does not fit the record; a save must refuse it
// before anything is written. Throws moravel::Error with the user's message when `hours`
// exceeds RainfallRecord::kMaxHours, else returns.
void CheckRainfallHourCount(int hours);

// SCS file (.kws): the 21 x 4 area grid row by row (soil groups A, B, C, D within a row),
// then the four curve numbers of the user's own land-use class; fields of width 5.
struct ScsRecord {
    static constexpr int kFieldWidth = 5;
    static constexpr int kRows = model::kLandUseRows;
    static constexpr int kGroups = model::kSoilGroups;
    static constexpr qsizetype kSize = (kRows * kGroups + kGroups) * (kFieldWidth + 1);  // 528

    model::LandUseTexts areas;                // areas[row][group]
    std::array<QString, kGroups> ownClassCn;  // EditSCSA ... EditSCSD

    QByteArray Encode() const;
    static ScsRecord Decode(const QByteArray& bytes);
};

// Parameters file (.kwx): seven fields of width 7 in the order RB, RL, RA, So, Lo, b, n.
struct ParametersRecord {
    static constexpr int kFieldWidth = 7;
    static constexpr int kCount = 7;
    static constexpr qsizetype kSize = kCount * (kFieldWidth + 1);  // 56

    std::array<QString, kCount> values;

    QByteArray Encode() const;
    static ParametersRecord Decode(const QByteArray& bytes);
};

}  // namespace moravel::files
