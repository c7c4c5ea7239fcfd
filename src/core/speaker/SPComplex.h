#pragma once

// A complex sound pressure in pascals; 20 uPa is 0 dB SPL.
struct CSPComplex {
    double re = 0.0;
    double im = 0.0;

    void Clear() { re = im = 0.0; }
    // Level in dB SPL and phase in degrees.
    void SetLevelPhase(double level, double phase);
    // 0 when the real part is exactly 0 (which covers the zero value), else 20 log10(|p| / 20 uPa).
    double Level() const;
    // Degrees, from atan2.
    double Phase() const;
    void Scale(double x) {
        re *= x;
        im *= x;
    }
    void Add(const CSPComplex& v) {
        re += v.re;
        im += v.im;
    }
    void Add(double a, double b) {
        re += a;
        im += b;
    }
    // Carries a value that holds at distance ref to distance r (metres) at frequency f (Hz):
    // 1/r attenuation and the propagation delay at 344 m/s. The magnitude is rebuilt from Level,
    // so the zero value becomes 0 dB SPL at the reference distance. A signal delay turns the
    // phase as `delayPath` metres more of path would, without their loss (0 adds nothing).
    void Propagate(double r, double ref, double f, double delayPath = 0.0);

    static CSPComplex FromLevelPhase(double level, double phase) {
        CSPComplex v;
        v.SetLevelPhase(level, phase);
        return v;
    }
    friend bool operator==(const CSPComplex&, const CSPComplex&) = default;
};

inline constexpr double kReferencePressure = 0.00002;
inline constexpr double kSpeedOfSound = 344.0;

// The path (metres) sound travels during a signal delay of `delayMs` milliseconds.
inline double DelayPath(double delayMs) {
    return kSpeedOfSound * (delayMs / 1000.0);
}
