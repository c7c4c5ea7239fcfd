#include "acoustics/AutoInstallation.h"

#include "acoustics/MapCalculation.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {
constexpr double kSqrt2 = 1.4142135623730951;
constexpr double kSqrt3 = 1.7320508075688772;
constexpr double kRectangleFactors[kAutoPatternCount] = {0.5, 1.0 / kSqrt2, 1.0, kSqrt2, 2.0};
constexpr double kHexagonalFactors[kAutoPatternCount] = {0.5, kSqrt3 / 2.0, 1.0, kSqrt2, 2.0};

// A band whose width is an odd number of grid steps has its edges exactly half-way between two
// data frequencies. The logarithm lands a hair either side of the half, so without a tolerance
// the one-frequency bands would pick the neighbour below or two frequencies.
constexpr double kEdgeTolerance = 1e-9;

double Factor(const double (&table)[kAutoPatternCount], int pattern) {
    return pattern >= 0 && pattern < kAutoPatternCount ? table[pattern] : 0.0;
}

bool EdgeIndex(double position, int& index) {
    if (!(std::fabs(position) < INT_MAX / 2))
        return false;
    index = static_cast<int>(std::trunc(position + 0.5 + kEdgeTolerance));
    return true;
}
} // namespace

double RectangleFactor(int pattern) {
    return Factor(kRectangleFactors, pattern);
}

double HexagonalRadiusFactor(int pattern) {
    return Factor(kHexagonalFactors, pattern);
}

CBandIndexRange JudgmentBandIndices(double band, double centreFrequency, double pitch) {
    CBandIndexRange range;
    range.pitch = pitch;
    const double d = std::pow(10.0, 0.15 / band);
    // Indices per decade divided by ten: N / 3 as it is, because its whole part is 0 for a model
    // with one point per octave and would put every band at index 0.
    const double q = pitch / 3.0;
    int start = 0, end = 0;
    if (!EdgeIndex(std::log10(centreFrequency / d) * 10.0 * q, start) ||
        !EdgeIndex(std::log10(centreFrequency * d) * 10.0 * q, end))
        return range;
    range.start = start;
    range.end = end;
    return range;
}

CWalkResult WalkCoverage(const CLevelProbe& probe, double limit) {
    CWalkResult result;
    double maximum = -1000.0;
    double maximumOffset = 0.0;
    // One direction of the walk; the running maximum is shared by both.
    auto walk = [&](double start, double direction, double& extent) {
        double previous = -1000.0;
        for (long long k = 0;; ++k) {
            const double offset = start + direction * static_cast<double>(k) * kCoverageStep;
            if (!(std::fabs(offset) <= limit))
                return EWalkStatus::Endless;
            double level = 0.0;
            if (!probe(offset, level) || std::isnan(level))
                return EWalkStatus::Failed;
            if (level > maximum) {
                maximum = level;
                maximumOffset = offset;
            } else if (level < maximum - 6.0) {
                const double fraction = (maximum - 6.0 - previous) / (level - previous);
                extent = direction > 0.0 ? (offset - kCoverageStep) + kCoverageStep * fraction
                                         : -(offset + kCoverageStep - kCoverageStep * fraction);
                return EWalkStatus::Done;
            }
            previous = level;
        }
    };
    result.status = walk(0.0, 1.0, result.forward);
    if (result.status == EWalkStatus::Done)
        result.status = walk(maximumOffset, -1.0, result.backward);
    return result;
}

double CoverageWalkLimit(double length, double width, double height) {
    const double diagonal = std::sqrt(length * length + width * width + height * height);
    return std::max(10.0 * diagonal, 100.0 * kCoverageStep);
}

EWalkStatus MeasureCoverage(const CAcousticScene& scene, int mode, const CBandIndexRange& band,
                            double x0, double y0, double z, double limit, CCoverage& coverage) {
    auto levelAt = [&](const CVec3& point, double& level) {
        double pressure = 0.0;
        if (BandPressure(scene, mode, point, band.start, band.end, band.pitch, pressure) != kBandOk)
            return false;
        level = PressureLevel(pressure);
        return true;
    };
    const CWalkResult alongX = WalkCoverage(
        [&](double offset, double& level) {
            return levelAt({x0 + offset, y0, z}, level);
        },
        limit);
    if (alongX.status != EWalkStatus::Done)
        return alongX.status;
    const CWalkResult alongY = WalkCoverage(
        [&](double offset, double& level) {
            return levelAt({x0, y0 + offset, z}, level);
        },
        limit);
    if (alongY.status != EWalkStatus::Done)
        return alongY.status;
    coverage = {alongX.forward, alongX.backward, alongY.forward, alongY.backward};
    return EWalkStatus::Done;
}

ELayoutStatus ComputeAutoLayout(int pattern, int shape, const CCoverage& measured,
                                const CLayoutRoom& room, CAutoLayout& layout) {
    const bool hexagonal = shape == kShapeHexagonal;
    double a = 0.0, b = 0.0, c = 0.0, d = 0.0;
    if (hexagonal) {
        a = measured.plusX * HexagonalRadiusFactor(pattern);
        b = a;
        c = d = kSqrt3 / 2.0 * a;
    } else {
        const double factor = RectangleFactor(pattern);
        a = measured.plusX * factor;
        b = measured.minusX * factor;
        c = measured.plusY * factor;
        d = measured.minusY * factor;
    }
    const double columnPitch = a + b;
    const double rowPitch = c + d;
    if (!(columnPitch > 0.0) || !(rowPitch > 0.0) || !std::isfinite(columnPitch) ||
        !std::isfinite(rowPitch))
        return ELayoutStatus::NoCoverage;

    const double L = room.length, W = room.width;
    const double rowsAsked = std::trunc((W - 0.6 * rowPitch) / rowPitch) + 1.0;
    // Hexagonal rows take n half-pitch columns between them: odd rows sit half a pitch over.
    const double nAsked = std::trunc(2.0 * (L - 0.3 * columnPitch) / columnPitch) + 1.0;
    const double columnsAsked = hexagonal ? std::ceil(nAsked / 2.0)
                                          : std::trunc((L - 0.6 * columnPitch) / columnPitch) + 1.0;
    if (!(rowsAsked >= 1.0) || !(columnsAsked >= 1.0))
        return ELayoutStatus::NoCoverage;
    if (!(rowsAsked * columnsAsked <= kMaxAutoInstallations))
        return ELayoutStatus::TooMany;

    const long long nr = static_cast<long long>(rowsAsked);
    const long long nc = static_cast<long long>(columnsAsked);
    const long long n = hexagonal ? static_cast<long long>(nAsked) : 0;
    const bool nOdd = n % 2 == 1;
    layout = {};
    layout.positions.reserve(static_cast<std::size_t>(nr * nc));
    for (long long j = 0; j < nr; ++j) {
        const double y = room.zeroY + (W - static_cast<double>(nr - 1) * rowPitch) / 2.0 +
                         static_cast<double>(j) * rowPitch;
        const bool oddRow = j % 2 == 1;
        for (long long i = 0; i < nc; ++i) {
            double x = 0.0;
            if (!hexagonal) {
                x = room.zeroX + (L - static_cast<double>(nc - 1) * columnPitch) / 2.0 +
                    static_cast<double>(i) * columnPitch;
            } else {
                // The odd rows of an odd n lose their last speaker, which would stand outside
                // the room.
                if (nOdd && oddRow && i == nc - 1)
                    continue;
                if (nc == 1)
                    x = room.zeroX + L / 2.0;
                else if (!nOdd)
                    x = room.zeroX + (L - (static_cast<double>(nc) - 0.5) * columnPitch) / 2.0 +
                        static_cast<double>(i) * columnPitch;
                else
                    x = room.zeroX + (L - static_cast<double>(nc - 1) * columnPitch) / 2.0 +
                        static_cast<double>(i) * columnPitch;
                if (oddRow && nc != 1)
                    x += columnPitch / 2.0;
            }
            layout.positions.push_back({x, y});
        }
    }
    if (hexagonal) {
        a /= 2.0;
        b /= 2.0;
    }
    layout.columnPitch = a + b;
    layout.rowPitch = c + d;
    layout.leftOffset = layout.positions.front().x - room.zeroX;
    layout.bottomOffset = layout.positions.front().y - room.zeroY;
    return ELayoutStatus::Done;
}
