#include "speaker/SPComplex.h"

#include "common/MathUtil.h"

#include <cmath>

void CSPComplex::SetLevelPhase(double level, double phase) {
    const double m = std::pow(10.0, level / 20.0) * kReferencePressure;
    const double a = DegToRad(phase);
    re = m * std::cos(a);
    im = m * std::sin(a);
}

double CSPComplex::Level() const {
    if (re == 0.0)
        return 0.0;
    return 20.0 * std::log10(std::sqrt(re * re + im * im) / kReferencePressure);
}

double CSPComplex::Phase() const {
    return RadToDeg(std::atan2(im, re));
}

void CSPComplex::Propagate(double r, double ref, double f, double delayPath) {
    const double level = Level();
    const double phase0 = Phase();
    const double m = std::pow(10.0, level / 20.0) * kReferencePressure * ref / r;
    const double c = (r + delayPath - ref) / kSpeedOfSound * f;
    const double phase = phase0 - (c - std::floor(c)) * 360.0;
    const double a = DegToRad(phase);
    re = m * std::cos(a);
    im = m * std::sin(a);
}
