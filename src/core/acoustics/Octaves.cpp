#include "acoustics/Octaves.h"

#include <cmath>

double OctaveCentre(int octave) {
    // As the band centres of a one-octave band are computed, so the two are bit-identical.
    return std::pow(10.0, 0.3 * (octave + 7) / 1.0);
}

double InterpolateOctaves(const COctaveValues& values, double frequency) {
    if (!(frequency > OctaveCentre(0)))
        return values.front();
    for (int k = 0; k + 1 < kOctaveCount; ++k) {
        const double lo = OctaveCentre(k), hi = OctaveCentre(k + 1);
        if (frequency == lo)
            return values[static_cast<std::size_t>(k)];
        if (frequency < hi) {
            const double t = std::log(frequency / lo) / std::log(hi / lo);
            return values[static_cast<std::size_t>(k)] +
                   t * (values[static_cast<std::size_t>(k + 1)] -
                        values[static_cast<std::size_t>(k)]);
        }
    }
    return values.back();
}

double AWeighting(double frequency) {
    // IEC 61672-1, equations E.1 and E.6: the pole frequencies and the 1 kHz normalisation.
    const double f2 = frequency * frequency;
    const double c1 = 20.598997 * 20.598997, c2 = 107.65265 * 107.65265;
    const double c3 = 737.86223 * 737.86223, c4 = 12194.217 * 12194.217;
    const double ra = c4 * f2 * f2 / ((f2 + c1) * std::sqrt((f2 + c2) * (f2 + c3)) * (f2 + c4));
    return 20.0 * std::log10(ra) + 2.0;
}
