#include "acoustics/ListeningPlane.h"

#include <cmath>

namespace {
// Counts beyond this are not computed exactly; they only need to exceed the limit.
constexpr long long kCountCeiling = 1'000'000'000'000'000;

double SnapExtent(double e, double p) {
    if (e == 0.0)
        return e;
    const double k = std::trunc(e / p);
    const double r = (e - p * k) / p;
    if (r < 0.01)
        return p * k;
    if (r > 0.99)
        return p * (k + 1.0);
    return e;
}

long long CellCount(double e, double p) {
    return static_cast<long long>(std::ceil(e / p));
}

// The size of cell i of n along an extent: the pitch, except the last, which takes the rest.
double CellSize(long long i, long long n, double e, double p) {
    return i == n - 1 ? e - p * static_cast<double>(n - 1) : p;
}
} // namespace

const std::array<std::uint32_t, kColorClasses>& CListeningPlane::DefaultColors() {
    static const std::array<std::uint32_t, kColorClasses> colors = [] {
        const int steps[] = {0, 31, 63, 95, 127, 159, 191, 223, 255};
        std::array<std::uint32_t, kColorClasses> c{};
        auto rgb = [](int r, int g, int b) {
            return static_cast<std::uint32_t>(r) | static_cast<std::uint32_t>(g) << 8 |
                   static_cast<std::uint32_t>(b) << 16;
        };
        for (int i = 0; i <= 8; ++i) // red to yellow: green rises
            c[static_cast<std::size_t>(i)] = rgb(255, steps[i], 0);
        for (int i = 1; i <= 8; ++i) // yellow to cyan: red falls, blue rises
            c[static_cast<std::size_t>(8 + i)] = rgb(steps[8 - i], 255, steps[i]);
        for (int i = 1; i <= 8; ++i) // cyan to blue: green falls
            c[static_cast<std::size_t>(16 + i)] = rgb(0, steps[8 - i], 255);
        return c;
    }();
    return colors;
}

long long CListeningPlane::GridCount(double ex, double ey, double ez, double p) {
    const long long count = RequestedGridCount(ex, ey, ez, p);
    return count > kMaxPlanePoints ? 0 : count;
}

long long CListeningPlane::RequestedGridCount(double ex, double ey, double ez, double p) {
    if (!(p > 0.0) || !std::isfinite(p))
        return 0;
    ex = SnapExtent(ex, p);
    ey = SnapExtent(ey, p);
    ez = SnapExtent(ez, p);
    // Extents too large for the counts saturate before any conversion can overflow.
    for (double e : {ex, ey, ez}) {
        if (!std::isfinite(e))
            return 0;
        if (!(std::fabs(e / p) < 1e9))
            return kCountCeiling;
    }
    const long long nX = CellCount(ex, p), nY = CellCount(ey, p), nZ = CellCount(ez, p);
    long long count = 0;
    if (nX != 0) {
        if (nY != 0) {
            if (nZ != 0)
                return 0;
            count = nX * nY;
        } else {
            if (nZ == 0)
                return 0;
            count = nX * nZ;
        }
    } else {
        if (nY != 0 && nZ != 0)
            count = nY * nZ;
        else
            return 0;
    }
    if (count <= 0 || nX < 0 || nY < 0 || nZ < 0)
        return 0;
    return count;
}

void CListeningPlane::Build(double ox, double oy, double oz, double ex, double ey, double ez,
                            double p, double colorMax, double colorStep) {
    const long long count = GridCount(ex, ey, ez, p);
    if (count == 0)
        return;
    ex = SnapExtent(ex, p);
    ey = SnapExtent(ey, p);
    ez = SnapExtent(ez, p);
    const long long nX = CellCount(ex, p), nY = CellCount(ey, p), nZ = CellCount(ez, p);

    dotPitch = p;
    extentX = ex, extentY = ey, extentZ = ez;
    originX = ox, originY = oy, originZ = oz;
    points.clear();
    colors = DefaultColors();
    colorMaximum = colorMax;
    colorPitch = colorStep;
    thresholds[0] = colorMax;
    for (int i = 1; i <= 23; ++i)
        thresholds[static_cast<std::size_t>(i)] = colorMax - colorStep * i;
    pointCount = static_cast<int>(count);
    maximumLevel = minimumLevel = pinkNoiseAverage = musicSpeechAverage = 0.0;
    state = EMapState::NotCalculated;
    failure.clear();
    leftOut = 0;

    points.reserve(static_cast<std::size_t>(count));
    if (nZ == 0) {
        for (long long i = 0; i < nY; ++i) {
            const double h = CellSize(i, nY, ey, p);
            for (long long j = 0; j < nX; ++j) {
                const double w = CellSize(j, nX, ex, p);
                points.push_back({0.0, ox + p * static_cast<double>(j) + w / 2,
                                  oy + p * static_cast<double>(i) + h / 2, oz, w, h, 0.0});
            }
        }
    } else if (nY == 0) {
        for (long long i = 0; i < nZ; ++i) {
            const double h = CellSize(i, nZ, ez, p);
            for (long long j = 0; j < nX; ++j) {
                const double w = CellSize(j, nX, ex, p);
                points.push_back({0.0, ox + p * static_cast<double>(j) + w / 2, oy,
                                  oz + p * static_cast<double>(i) + h / 2, w, 0.0, h});
            }
        }
    } else {
        for (long long i = 0; i < nY; ++i) {
            const double h = CellSize(i, nY, ey, p);
            for (long long j = 0; j < nZ; ++j) {
                const double w = CellSize(j, nZ, ez, p);
                points.push_back({0.0, ox, oy + p * static_cast<double>(i) + h / 2,
                                  oz + p * static_cast<double>(j) + w / 2, 0.0, h, w});
            }
        }
    }
}

void CListeningPlane::Rebuild() {
    Build(originX, originY, originZ, extentX, extentY, extentZ, dotPitch, colorMaximum, colorPitch);
}

void CListeningPlane::ClearLevels() {
    for (auto& point : points)
        point.level = 0.0;
    maximumLevel = minimumLevel = pinkNoiseAverage = musicSpeechAverage = 0.0;
    state = EMapState::NotCalculated;
    failure.clear();
    leftOut = 0;
}

std::uint32_t CListeningPlane::ColorOf(double level) const {
    if (level > thresholds[0])
        return colors[0];
    if (level <= thresholds[23])
        return colors[24];
    for (std::size_t k = 1; k <= 23; ++k)
        if (thresholds[k - 1] >= level && level > thresholds[k])
            return colors[k];
    return 0;
}

EPlaneOrientation CListeningPlane::Orientation() const {
    if (extentZ == 0.0)
        return EPlaneOrientation::XY;
    if (extentX == 0.0)
        return EPlaneOrientation::YZ;
    if (extentY == 0.0)
        return EPlaneOrientation::XZ;
    return EPlaneOrientation::Invalid;
}
