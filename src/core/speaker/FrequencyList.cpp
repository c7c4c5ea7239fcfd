#include "speaker/FrequencyList.h"

#include <climits>
#include <cmath>

double ModelFrequency(int k, double pointsPerOctave) {
    const double exponent = static_cast<double>(k) * 0.3 / pointsPerOctave;
    return std::pow(10.0, exponent);
}

bool BuildFrequencyList(double fmin, double fmax, double pointsPerOctave, std::size_t maxCount,
                        std::vector<double>& out) {
    out.clear();
    if (!(pointsPerOctave > 0.0) || !std::isfinite(pointsPerOctave))
        return false;
    // Frequencies below fmin are never kept, so the count may start just below the first k that
    // can reach fmin; the kept values are the same as when counting from 0, only cheaper to find
    // when the resolution is absurdly fine.
    int k = 0;
    if (fmin > 1.0) {
        const double first = std::floor(std::log10(fmin) * pointsPerOctave / 0.3) - 2.0;
        if (!(first < static_cast<double>(INT_MAX) - static_cast<double>(maxCount) - 4.0))
            return false;
        if (first > 0.0)
            k = static_cast<int>(first);
    }
    for (;; ++k) {
        const double f = ModelFrequency(k, pointsPerOctave);
        if (!(f <= fmax))
            break;
        if (!std::isfinite(f) || k == INT_MAX) {
            out.clear();
            return false;
        }
        if (f >= fmin) {
            if (out.size() >= maxCount) {
                out.clear();
                return false;
            }
            out.push_back(f);
        }
    }
    return true;
}
