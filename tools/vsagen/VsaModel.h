#pragma once

// Analytic loudspeaker model behind the synthetic speaker data: a baffled piston on a band-pass
// response, with an acoustic centre ahead of the reference point and a quieter back hemisphere.
// It is not meant to match any product, only to behave like a loudspeaker in the ways the
// calculation cares about (level, beam width, phase with direction, front/back ratio).

// Acoustic model of one balloon (one module type).
struct CVsaDriver {
    double sensitivity = 90.0;    // dB SPL at 1 m, 1 W, on axis
    double radius = 0.05;         // piston radius in m; 0 gives an omnidirectional source
    double offset = 0.0;          // acoustic centre ahead of the reference point along the axis, m
    double asymmetry = 0.0;       // e in a·(1 + e·cos 2phi); |e| < 1
    double lowCorner = 0.0;       // Hz, second-order high-pass corner; 0 disables
    double highCorner = 0.0;      // Hz, second-order low-pass corner; 0 disables
    double rearAttenuation = 0.0; // dB below on-axis reached straight behind at high frequency
    // Full -6 dB angle in the horizontal plane (phi 0) that the beam keeps once the piston would
    // be narrower, as a horn or a coaxial tweeter holds it; 0 lets the piston narrow on.
    double coverage = 0.0;
    // Hz at which half the rear attenuation is reached (the box or back can hides the rear
    // from about there up); 0 lets the shadow follow the piston's own k·a.
    double rearCorner = 0.0;
    // A first-order cardioid, (1 + cos theta) / 2 in pressure, in place of the piston, its beam
    // and its rear shadow: the textbook pattern whose directivity factor is 3.
    bool cardioid = false;
};

// k·a of a piston at its -6 dB angle: 2·J1(x)/x = 1/2.
constexpr double kVsaHalfPressureKa = 2.2152;

struct CVsaSample {
    double level; // dB SPL at 1 m for 1 W
    double phase; // degrees, in (-180, 180]
};

constexpr double kVsaSpeedOfSound = 344.0;     // m/s, the value the calculation propagates with
constexpr double kVsaDirectivityFloor = -40.0; // dB relative to on-axis; keeps piston nulls finite

// Level and phase of the driver at frequency f (Hz) in the direction (theta, phi), degrees, theta
// 0 on axis to 180 behind, phi around the axis (0 horizontal, 90 up).
CVsaSample EvaluateDriver(const CVsaDriver& driver, double frequency, double thetaDeg,
                          double phiDeg);

// Brings an angle in degrees into (-180, 180].
double WrapPhase(double degrees);
