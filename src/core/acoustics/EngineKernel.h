#pragma once

// The innermost step of the map engine: one element pass (direct sound or ceiling image) at every
// frequency of a band, from the directivity table rows of the four interpolation corners to the
// complex pressure added to the installation's sum.
//
// Frequencies are padded to a multiple of four, so the vector path never leaves lanes to a scalar
// tail; padded lanes compute finite values the caller ignores. Where the processor has AVX2 and
// FMA (checked at run time; the rest of the program is built for any x86-64) four frequencies go
// at once through the engine's own exp and sine and cosine of degrees, each a few ulps from the
// scalar functions.
// Every other step rounds as the scalar path does.

// Lanes of the vector path; tables and sums are padded to a multiple of it.
inline constexpr int kKernelLanes = 4;
inline int PaddedCount(int n) {
    return (n + kKernelLanes - 1) / kKernelLanes * kKernelLanes;
}

struct CPassKernel {
    // Level (dB) and phase (degrees) rows of the corners A, B, C, D; only A when exact.
    const double* level[4] = {};
    const double* phase[4] = {};
    bool exact = true;
    double weight[4] = {}; // inverse corner distances
    double weightSum = 1.0;
    double delay = 0.0; // (r - ref) / c in seconds
    double r = 1.0;     // metres
    double ref = 1.0;   // the model's reference distance
    double scale = 1.0; // sqrt(weight * power)
    bool reverse = false;
};

// Adds the pass's pressure at frequencies[0 .. padded) to re[] and im[].
void AddPassResponse(const CPassKernel& pass, const double* frequencies, int padded, double* re,
                     double* im);

// Whether the vector path runs; tests switch it off to check the scalar path on any processor.
bool VectorKernelsAvailable();
bool VectorKernelsEnabled();
void EnableVectorKernels(bool enable);

// BalloonAngles (degrees) of `count` (at most four) element-axis directions d of length r > 0,
// four at once where the processor and C library allow (vector acos and atan2, a few ulps from
// the scalar ones).
void BalloonAnglesOf(int count, const double* dx, const double* dy, const double* dz,
                     const double* r, double* theta, double* phi);

struct CSPComplex;
// Level (dB SPL) and phase (degrees) of `count` values as CSPComplex::Level and Phase give them;
// four at a time where the processor and C library allow (vector log10 and atan2, a few ulps
// from the scalar ones).
void LevelsAndPhases(const CSPComplex* values, int count, double* level, double* phase);
