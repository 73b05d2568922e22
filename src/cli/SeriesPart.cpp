#include "cli/SeriesPart.h"

#include <QByteArray>

namespace moravel::cli {
namespace {

void Mix(std::uint64_t& hash, const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        hash ^= bytes[i];
        hash *= 1099511628211ull;
    }
}

template <class T>
void MixValue(std::uint64_t& hash, T value)
{
    Mix(hash, &value, sizeof value);
}

// Mixed into every fingerprint since the first version of the part files, so that parts
// written by any version of this computation keep theirs.
constexpr int kFingerprintLayout = 1;

}  // namespace

QString InputsFingerprint(const model::ComputationInputs& inputs)
{
    std::uint64_t hash = 14695981039346656037ull;
    const QByteArray version = QByteArrayLiteral("moravel-run " MORAVEL_VERSION);
    Mix(hash, version.constData(), static_cast<std::size_t>(version.size()));
    MixValue(hash, kFingerprintLayout);
    const model::HydrographParameters& p = inputs.parameters;
    for (double v : {p.So, p.n, p.b, p.RB, p.RA, p.RL, p.Lo, p.Area})
        MixValue(hash, v);
    MixValue(hash, p.HourCount);
    MixValue(hash, inputs.directEffectiveRain);
    MixValue(hash, inputs.curveNumber);
    for (const std::vector<float>* values : {&inputs.rainfall, &inputs.effectiveRain}) {
        MixValue(hash, values->size());
        Mix(hash, values->data(), values->size() * sizeof(float));
    }
    return QStringLiteral("%1").arg(hash, 16, 16, QLatin1Char('0'));
}

}  // namespace moravel::cli
