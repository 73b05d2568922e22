// Any byte string read as an SCS record: fields of at most 5 characters, written back and
// read again unchanged.
#include "FuzzCheck.h"
#include "files/ShortTextRecord.h"

#include <algorithm>
#include <cstdint>

using moravel::files::ScsRecord;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const ScsRecord r = ScsRecord::Decode(bytes);
    for (const auto& row : r.areas)
        for (const QString& a : row)
            FUZZ_CHECK(a.size() <= 5);
    for (const QString& cn : r.ownClassCn)
        FUZZ_CHECK(cn.size() <= 5);

    const QByteArray again = r.Encode();
    FUZZ_CHECK(again.size() == ScsRecord::kSize);
    const ScsRecord back = ScsRecord::Decode(again);
    FUZZ_CHECK(back.areas == r.areas);
    FUZZ_CHECK(back.ownClassCn == r.ownClassCn);
    // A full record that is read and written again keeps every length byte and character.
    if (bytes.size() >= ScsRecord::kSize) {
        for (qsizetype f = 0; f < ScsRecord::kSize; f += 6) {
            const int len = std::min<int>(static_cast<unsigned char>(bytes[f]), 5);
            FUZZ_CHECK(again.mid(f, 1 + len) == QByteArray(1, char(len)) + bytes.mid(f + 1, len));
        }
    }
    return 0;
}
