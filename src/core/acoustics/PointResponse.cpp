#include "acoustics/PointResponse.h"

#include "common/MathUtil.h"
#include "common/Units.h"
#include "speaker/SpeakerElement.h"
#include "speaker/SpeakerModel.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kGridTolerance = 0.00001;
constexpr double kDirectionTolerance = 1e-6;

bool Near(double value, double x) {
    return value - kGridTolerance < x && x < value + kGridTolerance;
}
} // namespace

double CornerDistance(const CVec3& corner, const CVec3& target) {
    const double d = (corner - target).Length();
    return d < kDirectionTolerance ? 0.0 : d;
}

CBracket BracketSearch(const double* grid, int count, double x, bool sorted) {
    int start = 0;
    if (sorted && count > 2) {
        // Cells whose upper value lies at least the tolerance below x can never stop the walk,
        // so it may begin at the last of them; the result is the same as walking from 0.
        const double* p = std::partition_point(grid, grid + count,
                                               [&](double g) { return g + kGridTolerance <= x; });
        start = std::max(0, static_cast<int>(p - grid) - 1);
    }
    for (int i = start; i + 1 < count; ++i) {
        if (Near(grid[i], x))
            return {grid[i], grid[i], i, i, true};
        if (Near(grid[i + 1], x))
            return {grid[i + 1], grid[i + 1], i + 1, i + 1, true};
        if (grid[i] < x && x < grid[i + 1])
            return {grid[i], grid[i + 1], i, i + 1, false};
    }
    const double first = count > 0 ? grid[0] : 0.0;
    return {first, first, 0, 0, false};
}

bool IsAscending(const double* grid, int count) {
    return std::is_sorted(grid, grid + std::max(count, 0));
}

CElementFrame ElementFrame(const CSpeakerElement& element, const COrientation& orientation) {
    const CVec3 p = element.Position();
    const CMatrix3 installation = RotationMatrix(orientation);
    const CMatrix3 own = RotationMatrix(element.Orientation());
    auto transform = [&](const CVec3& v) { return installation * (own * v + p); };

    CElementFrame frame;
    frame.offset = installation * p;
    const CVec3 ax = transform({1.0, 0.0, 0.0}) - frame.offset;
    const CVec3 ay = transform({0.0, 1.0, 0.0}) - frame.offset;

    const bool vertical = -kDirectionTolerance < ax.x && ax.x < kDirectionTolerance &&
                          -kDirectionTolerance < ax.y && ax.y < kDirectionTolerance;
    frame.world.azimuth = vertical ? 0.0 : RadToDeg(std::atan2(ax.y, ax.x));
    frame.world.elevation = -RadToDeg(std::atan2(ax.z, std::sqrt(ax.x * ax.x + ax.y * ax.y)));
    const CVec3 b =
        RotationMatrix(frame.world.azimuth, 0.0, frame.world.elevation).TransposeTimes(ay);
    frame.world.rotation = RadToDeg(std::atan2(b.z, b.y));
    return frame;
}

CBalloonAngles BalloonAngles(const CVec3& d, double r) {
    CBalloonAngles angles;
    angles.theta = RadToDeg(std::acos(std::clamp(d.x / r, -1.0, 1.0)));
    double phi = std::atan2(d.z, d.y);
    if (phi < 0.0)
        phi += 2.0 * kPi;
    angles.phi = RadToDeg(phi);
    return angles;
}

CVec3 BalloonDirection(double theta, double phi) {
    const double t = DegToRad(theta);
    const double p = DegToRad(phi);
    return {std::cos(t), std::sin(t) * std::cos(p), std::sin(t) * std::sin(p)};
}

CSPComplex LookupDirectivity(const CSpeakerElement& element, double phi, double theta,
                             double& frequency) {
    const CSpeakerDataHeader& header = element.Header();
    const CBalloonElement& balloon = element.Balloon();
    if (header.IsOutsideRange(frequency))
        return {};
    const int k = header.FindFrequencyIndex(frequency);
    if (k == -1) {
        frequency = 0.0;
        return CSPComplex::FromLevelPhase(kMissingFrequencyLevel, 0.0);
    }
    const CBracket th = BracketSearch(header.thetaGrid.data(), header.thetaCount, theta);
    const CBracket ph = BracketSearch(balloon.phiGrid.data(), balloon.phiCount, phi);
    auto value = [&](int phiIndex, int thetaIndex) -> const CSPComplex& {
        return balloon.Value(phiIndex, thetaIndex, k);
    };
    if (th.exact && ph.exact)
        return value(ph.loIndex, th.loIndex);

    const CSPComplex& a = value(ph.loIndex, th.loIndex);
    const CSPComplex& b = value(ph.hiIndex, th.loIndex);
    const CSPComplex& c = value(ph.loIndex, th.hiIndex);
    const CSPComplex& d = value(ph.hiIndex, th.hiIndex);
    const CVec3 target = BalloonDirection(theta, phi);
    auto distance = [&](double t, double p) {
        return CornerDistance(BalloonDirection(t, p), target);
    };
    const double dA = distance(th.lo, ph.lo);
    const double dB = distance(th.lo, ph.hi);
    const double dC = distance(th.hi, ph.lo);
    const double dD = distance(th.hi, ph.hi);
    if (dA == 0.0)
        return a;
    if (dC == 0.0)
        return c;
    if (dB == 0.0)
        return b;
    if (dD == 0.0)
        return d;

    const double wA = 1.0 / dA, wB = 1.0 / dB, wC = 1.0 / dC, wD = 1.0 / dD;
    const double weightSum = wA + wB + wC + wD;
    const double level =
        (wA * a.Level() + wB * b.Level() + wC * c.Level() + wD * d.Level()) / weightSum;
    const double pA = a.Phase();
    const double phase = (wA * pA + wB * UnwrapAgainst(b.Phase(), pA) +
                          wC * UnwrapAgainst(c.Phase(), pA) + wD * UnwrapAgainst(d.Phase(), pA)) /
                         weightSum;
    return CSPComplex::FromLevelPhase(level, phase);
}

int CSpeakerModel::Evaluate(CSPComplex& accumulator, const CVec3& receiver, const CVec3& position,
                            const COrientation& orientation, double frequency, double ceilingHeight,
                            bool reversePolarity, double power, bool ceilingReflection,
                            int lengthUnit, double delayMs, double airNepersPerMetre) const {
    const double delayPath = DelayPath(delayMs);
    for (const CSpeakerElement& element : m_elements) {
        const double weight = element.Weight();
        CElementFrame frame = ElementFrame(element, orientation);
        CVec3 source = position + frame.offset;
        bool image = false;
        for (;;) {
            const CVec3 d = RotationMatrix(frame.world).TransposeTimes(receiver - source);
            double r = d.Length();
            CSPComplex v;
            if (r != 0.0) {
                CBalloonAngles angles = BalloonAngles(d, r);
                if (image)
                    angles.phi = 360.0 - angles.phi;
                v = LookupDirectivity(element, angles.phi, angles.theta, frequency);
                if (frequency == 0.0)
                    return 1;
                if (lengthUnit == kUnitImperial)
                    r *= kFeetToMetres;
                v.Propagate(r, m_header.referenceDistance, frequency, delayPath);
                if (reversePolarity)
                    v.SetLevelPhase(v.Level(), v.Phase() + 180.0);
                v.Scale(std::sqrt(weight * power));
                if (airNepersPerMetre > 0.0)
                    v.Scale(std::exp(-airNepersPerMetre * r));
            } else {
                v.SetLevelPhase(kZeroDistanceLevel, 0.0);
            }
            accumulator.Add(v);
            if (!ceilingReflection || image)
                break;
            source.z = 2.0 * ceilingHeight - source.z;
            frame.world.rotation = -frame.world.rotation;
            frame.world.elevation = -frame.world.elevation;
            image = true;
        }
    }
    return 0;
}
