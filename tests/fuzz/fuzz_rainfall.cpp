// Any byte string read as a rainfall record: no field longer than 5 characters, the kind
// rule holds, and what was read is written back and read again unchanged.
#include "FuzzCheck.h"
#include "files/ShortTextRecord.h"

#include <cstdint>

using moravel::files::RainfallRecord;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const RainfallRecord r = RainfallRecord::Decode(bytes);
    FUZZ_CHECK(r.hours.size() == RainfallRecord::kMaxHours);
    FUZZ_CHECK(r.hourCount.size() <= 5 && r.kindText.size() <= 5);
    for (const QString& h : r.hours)
        FUZZ_CHECK(h.size() <= 5);
    FUZZ_CHECK(r.effective == (r.kindText == QLatin1String("1")));

    const QByteArray again = r.Encode();
    FUZZ_CHECK(again.size() == RainfallRecord::kSize);
    const RainfallRecord back = RainfallRecord::Decode(again);
    FUZZ_CHECK(back.hourCount == r.hourCount);
    FUZZ_CHECK(back.hours == r.hours);
    FUZZ_CHECK(back.effective == r.effective);
    // The same bytes taken as UTF-16 text go through the field writer.
    const QString text(reinterpret_cast<const QChar*>(data), static_cast<qsizetype>(size / 2));
    const QByteArray field = moravel::files::EncodeShortText(text, 5);
    FUZZ_CHECK(field.size() == 6 && static_cast<unsigned char>(field[0]) <= 5);
    return 0;
}
