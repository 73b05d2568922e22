// Any bytes read as a shard's part file (hydrogramy.bin): as they are, and sealed again with
// their own checksum, so that the fuzzer gets past the checksum to the description and the
// records behind it.
#include "SeriesPartFuzz.h"
#include "cli/PartFile.h"

#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CheckSeriesPartReader(data, size, moravel::cli::OpenPartFile);
    constexpr size_t kFooter = 28, kChecksumAt = kFooter - 12;
    if (size >= kFooter && std::memcmp(data + size - 8, "MRVPART2", 8) == 0) {
        std::vector<uint8_t> sealed(data, data + size);
        moravel::cli::PartChecksum sum;
        sum.AddBytes(reinterpret_cast<const char*>(sealed.data()), size - kFooter + kChecksumAt);
        std::vector<char> crc;
        moravel::cli::PutLittleEndian(crc, sum.Value());
        std::memcpy(sealed.data() + size - kFooter + kChecksumAt, crc.data(), 4);
        CheckSeriesPartReader(sealed.data(), size, moravel::cli::OpenPartFile);
    }
    return 0;
}
