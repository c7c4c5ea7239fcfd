#include "VsaModel.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Exact at multiples of 90 degrees, so the poles and the side plane carry no rounding residue
// that would make the pole values depend on phi.
double CosDeg(double deg) {
    double r = std::fmod(deg, 360.0);
    if (r < 0.0)
        r += 360.0;
    if (r == 0.0)
        return 1.0;
    if (r == 90.0 || r == 270.0)
        return 0.0;
    if (r == 180.0)
        return -1.0;
    return std::cos(r * std::numbers::pi / 180.0);
}

double SinDeg(double deg) {
    return CosDeg(deg - 90.0);
}

// Far-field factor of a rigid piston in an infinite baffle, 2·J1(x)/x.
double PistonFactor(double x) {
    x = std::abs(x);
    if (x < 1e-6)
        return 1.0 - x * x / 8.0;
    return 2.0 * std::cyl_bessel_j(1.0, x) / x;
}

double RelativeDb(double factor) {
    const double floorLinear = std::pow(10.0, kVsaDirectivityFloor / 20.0);
    return 20.0 * std::log10(std::max(std::abs(factor), floorLinear));
}

double Wavenumber(double frequency) {
    return 2.0 * std::numbers::pi * frequency / kVsaSpeedOfSound;
}

// Front hemisphere: the piston pattern with a radius that depends on phi, so horizontal and
// vertical beams differ. With a coverage angle, k·a stops growing where the horizontal -6 dB
// angle reaches it, and the beam keeps its width from there up.
double FrontDb(const CVsaDriver& d, double frequency, double thetaDeg, double phiDeg) {
    double ka = Wavenumber(frequency) * d.radius;
    if (d.coverage > 0.0) {
        const double widest = kVsaHalfPressureKa / ((1.0 + d.asymmetry) * SinDeg(d.coverage / 2.0));
        ka = std::min(ka, widest);
    }
    const double shape = 1.0 + d.asymmetry * CosDeg(2.0 * phiDeg);
    return RelativeDb(PistonFactor(ka * shape * SinDeg(thetaDeg)));
}

// The share of the rear attenuation reached at this frequency, 0 at low to 1 at high.
double RearShadow(const CVsaDriver& d, double frequency) {
    const double x =
        d.rearCorner > 0.0 ? frequency / d.rearCorner : Wavenumber(frequency) * d.radius;
    return x * x / (1.0 + x * x);
}

// Second-order corners expressed directly as magnitude in dB (Butterworth shape).
double ResponseDb(const CVsaDriver& d, double frequency) {
    double db = 0.0;
    if (d.lowCorner > 0.0)
        db -= 10.0 * std::log10(1.0 + std::pow(d.lowCorner / frequency, 4.0));
    if (d.highCorner > 0.0)
        db -= 10.0 * std::log10(1.0 + std::pow(frequency / d.highCorner, 4.0));
    return db;
}

} // namespace

double WrapPhase(double degrees) {
    double w = std::fmod(degrees, 360.0);
    if (w <= -180.0)
        w += 360.0;
    else if (w > 180.0)
        w -= 360.0;
    return w;
}

CVsaSample EvaluateDriver(const CVsaDriver& d, double frequency, double thetaDeg, double phiDeg) {
    double relative = 0.0;
    if (d.cardioid) {
        relative = RelativeDb((1.0 + CosDeg(thetaDeg)) / 2.0);
    } else if (thetaDeg <= 90.0) {
        relative = FrontDb(d, frequency, thetaDeg, phiDeg);
    } else {
        // A box hides its back from short wavelengths only: the shadow grows with frequency.
        // The target straight behind does not depend on phi, so the rear pole is one value.
        const double rearDb = -d.rearAttenuation * RearShadow(d, frequency);
        const double s = SinDeg(thetaDeg - 90.0);
        const double blend = s * s;
        relative = (1.0 - blend) * FrontDb(d, frequency, 90.0, phiDeg) + blend * rearDb;
    }
    const double level = d.sensitivity + ResponseDb(d, frequency) + relative;
    const double phase =
        WrapPhase(360.0 * frequency * d.offset * CosDeg(thetaDeg) / kVsaSpeedOfSound);
    return {level, phase};
}
