#include "model/OpadEfektywnyObliczenia.h"

#include "model/CheckedMath.h"
#include "text/Error.h"

#include <algorithm>
#include <vector>

namespace moravel::model {

float ScsEffectiveRain(const float* rainfall, int hours, float curveNumber, UniformSource& draw, float* effectiveRain)
{
    // The retention, enlarged once per run by a random 0 to 30 per cent.
    const double u0 = draw.Draw(DrawPurpose::Retention, 0, 0);
    const float S = ToSingle(Checked(Checked(25.4 * (Divide(1000.0, curveNumber) - 10.0)) * (1.0 + 0.3 * u0)));

    // The results go to a buffer of the run first, so that a run stopped by an error leaves
    // the caller's array as it was.
    std::vector<float> scratch(static_cast<std::size_t>(std::max(hours, 0)));

    float Pc = 0;
    float Q = 0;
    for (int i = 0; i < hours; ++i) {
        Pc = ToSingle(double(Pc) + double(rainfall[i]));
        const float Qprev = Q;
        const double excess = double(Pc) - 0.2 * double(S);
        if (excess <= 0) {
            Q = 0;
            scratch[static_cast<std::size_t>(i)] = 0;
            continue;
        }
        // A curve number above 100 makes S negative, and Pc + 0.8 S can then reach zero or
        // below: the runoff formula has no meaning there, so the run stops instead of
        // producing an infinite or negative runoff.
        const double denominator = double(Pc) + 0.8 * double(S);
        if (denominator <= 0)
            throw Error(QStringLiteral("Średni współczynnik CN spoza zakresu - nie można obliczyć opadu efektywnego"));
        Q = ToSingle(Divide(Checked(excess * excess), denominator));
        const double u = draw.Draw(DrawPurpose::Increment, i + 1, 0);
        scratch[static_cast<std::size_t>(i)] = ToSingle(Checked((1.0 + u) * (double(Q) - double(Qprev))));
    }
    std::copy(scratch.begin(), scratch.end(), effectiveRain);
    return S;
}

}  // namespace moravel::model
