// Any byte string read as a parameters record: fields of at most 7 characters, written back
// and read again unchanged.
#include "FuzzCheck.h"
#include "files/ShortTextRecord.h"

#include <cstdint>

using moravel::files::ParametersRecord;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const ParametersRecord r = ParametersRecord::Decode(bytes);
    for (const QString& v : r.values)
        FUZZ_CHECK(v.size() <= 7);

    const QByteArray again = r.Encode();
    FUZZ_CHECK(again.size() == ParametersRecord::kSize);
    FUZZ_CHECK(ParametersRecord::Decode(again).values == r.values);
    // The same bytes taken as UTF-16 text go through the field writer and back.
    const QString text(reinterpret_cast<const QChar*>(data), static_cast<qsizetype>(size / 2));
    const QByteArray field = moravel::files::EncodeShortText(text, 7);
    FUZZ_CHECK(field.size() == 8 && static_cast<unsigned char>(field[0]) <= 7);
    const QString once = moravel::files::DecodeShortText(field, 0, 7);
    FUZZ_CHECK(moravel::files::EncodeShortText(once, 7) == field);
    return 0;
}
