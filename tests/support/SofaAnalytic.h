#pragma once

// An analytic source for the open directivity tests: level and phase change linearly with each
// axis of the direction and with log frequency, so a mirrored, turned or misplaced axis shows.
#include "SofaTestWriter.h"
#include "common/Vec3.h"
#include "speaker/BalloonElement.h"
#include "speaker/FrequencyList.h"

#include <array>
#include <cmath>
#include <complex>
#include <cstring>
#include <vector>

namespace SofaAnalytic {
using Complex = std::complex<double>;
const double kPi = 4.0 * std::atan(1.0);
const double kDeg = kPi / 180.0;
constexpr double kRadius = 2.0;

// A source whose level and phase change linearly with each axis of the direction, so front and
// back, left and right, up and down all differ; both also change with log frequency.
inline double AnalyticLevel(const CVec3& u, double f) {
    return 94.0 + 6.0 * u.x + 2.5 * u.y - 1.2 * u.z + 3.0 * std::log10(f / 1000.0);
}
inline double AnalyticPhase(const CVec3& u, double f) {
    return 40.0 * u.x + 15.0 * u.y - 25.0 * u.z + 20.0 * std::log10(f / 100.0);
}
inline Complex AnalyticPressure(const CVec3& u, double f) {
    return std::polar(2e-5 * std::pow(10.0, AnalyticLevel(u, f) / 20.0),
                      AnalyticPhase(u, f) * kDeg);
}

inline CVec3 BalloonDirection(double theta, double phi) {
    return {std::cos(theta * kDeg), std::sin(theta * kDeg) * std::cos(phi * kDeg),
            std::sin(theta * kDeg) * std::sin(phi * kDeg)};
}
inline std::array<double, 3> Spherical(const CVec3& u, double radius) {
    return {std::atan2(u.y, u.x) / kDeg, std::atan2(u.z, std::hypot(u.x, u.y)) / kDeg, radius};
}
inline CVec3 FromSpherical(const std::array<double, 3>& s) {
    const double az = s[0] * kDeg, el = s[1] * kDeg;
    return {std::cos(el) * std::cos(az), std::cos(el) * std::sin(az), std::sin(el)};
}

// Directions of a theta/phi grid of the given step, each pole once.
inline std::vector<CVec3> GridDirections(double step) {
    std::vector<CVec3> out{{1, 0, 0}};
    for (double t = step; t < 180.0 - 1e-9; t += step)
        for (double p = 0; p < 360.0 - 1e-9; p += step)
            out.push_back(BalloonDirection(t, p));
    out.push_back({-1, 0, 0});
    return out;
}

// Evenly spread pseudo-random directions from a fixed seed.
inline std::vector<CVec3> ScatteredDirections(int count, unsigned seed) {
    std::vector<CVec3> out;
    unsigned state = seed;
    auto next = [&] {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) / double(1u << 24);
    };
    for (int i = 0; i < count; ++i) {
        const double z = 2.0 * next() - 1.0, a = 2.0 * kPi * next();
        const double s = std::sqrt(1.0 - z * z);
        out.push_back({s * std::cos(a), s * std::sin(a), z});
    }
    return out;
}

inline std::vector<double> ModelFrequencies(int k0, int k1, int n) {
    std::vector<double> f;
    for (int k = k0; k <= k1; ++k)
        f.push_back(ModelFrequency(k, n));
    return f;
}

// An analytic source measured at the given directions (spherical receivers).
inline CTestSofa AnalyticFile(const std::vector<CVec3>& directions, std::vector<double> frequencies) {
    CTestSofa s;
    s.frequencies = std::move(frequencies);
    for (const CVec3& u : directions)
        s.receivers.push_back(Spherical(u, kRadius));
    s.data = [receivers = s.receivers, f = s.frequencies](std::size_t, std::size_t r,
                                                          std::size_t n) {
        return AnalyticPressure(FromSpherical(receivers[r]), f[n]);
    };
    return s;
}

inline bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}
inline bool SameBits(const CBalloonElement& a, const CBalloonElement& b) {
    return SameBits(a.phiGrid, b.phiGrid) && a.data.size() == b.data.size() &&
           std::memcmp(a.data.data(), b.data.data(), a.data.size() * sizeof(CSPComplex)) == 0;
}

} // namespace SofaAnalytic
