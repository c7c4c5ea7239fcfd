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

#include "acoustics/PointResponse.h"

#include <vector>

// Lanes of the vector path; tables and sums are padded to a multiple of it.
inline constexpr int kKernelLanes = 4;
inline int PaddedCount(int n) {
    return (n + kKernelLanes - 1) / kKernelLanes * kKernelLanes;
}

struct CPassKernel {
    // Level (dB) and phase (degrees) rows of the corners A, B, C, D; only A when exact. The
    // phases of B, C and D are already unwrapped against A's (UnwrapAgainst, frequency by
    // frequency), so the loop only weighs them.
    const double* level[4] = {};
    const double* phase[4] = {};
    bool exact = true;
    double weight[4] = {}; // inverse corner distances, divided by their sum
    double delay = 0.0;    // (r + signal delay path - ref) / c in seconds
    double r = 1.0;        // metres
    double ref = 1.0;      // the model's reference distance
    double scale = 1.0;    // sqrt(weight * power)
    bool reverse = false;
};

// Adds the pass's pressure at frequencies[0 .. padded) to re[] and im[].
void AddPassResponse(const CPassKernel& pass, const double* frequencies, int padded, double* re,
                     double* im);

// AddPassResponse without the check for the vector path on every call: the function it takes.
using PassFunction = void (*)(const CPassKernel&, const double*, int, double*, double*);
PassFunction PassResponseFunction();

// Whether the vector path runs; tests switch it off to check the scalar path on any processor.
bool VectorKernelsAvailable();
bool VectorKernelsEnabled();
void EnableVectorKernels(bool enable);

// One balloon's grids as the geometry step reads them.
struct CBalloonGrid {
    const double* theta = nullptr;
    int thetaCount = 0;
    bool thetaAscending = false;
    double thetaPerStep = 0.0; // 1 / spacing of an evenly spaced ascending grid, else 0
    const double* phi = nullptr;
    int phiCount = 0;
    bool phiAscending = false;
    double phiPerStep = 0.0;
    // The unit vector of every grid direction: x, y, z of cell phi * thetaCount + theta.
    const double* directions = nullptr;
    // Per grid value, cosine and sine of the angle: the directions are (cos theta,
    // sin theta cos phi, sin theta sin phi) of them, to the bit.
    const double* thetaCos = nullptr;
    const double* thetaSin = nullptr;
    const double* phiCos = nullptr;
    const double* phiSin = nullptr;
    // The spacing when every value is exactly first + i * spacing in doubles, else 0.
    double thetaExactStep = 0.0;
    double phiExactStep = 0.0;
};

// Fills a grid's cosine and sine tables, its directions and whether its values are computable;
// the grid views what the vectors hold.
void FillGridTables(CBalloonGrid& grid, std::vector<double>& directions, std::vector<double>& trig);

// An element pass: its source and its axes (the columns of the rotation), the ceiling image
// mirroring phi.
struct CPassFrame {
    double source[3] = {};
    double rotation[3][3] = {};
    bool image = false;
};

// Where one pass meets its balloon, for four receivers (lanes) at once.
struct CPassLanes {
    double r[kKernelLanes] = {};     // |d| in the model's unit; 0: the receiver is at the source
    double theta[kKernelLanes] = {}; // balloon angles (degrees), phi mirrored for the image
    double phi[kKernelLanes] = {};
    // Per corner A, B, C, D and lane: the stored cell and the inverse distance divided by the
    // sum of the four; only cell A counts in an exact lane.
    int cells[4][kKernelLanes] = {};
    double weight[4][kKernelLanes] = {};
    bool exact[kKernelLanes] = {};
    // B lies one phi step from A, C one theta step, or on A (an exact or outside angle).
    bool nextPhi[kKernelLanes] = {};
    bool nextTheta[kKernelLanes] = {};
};

// The lanes' directions in the pass's axes, their balloon angles (as BalloonAngles gives them,
// phi mirrored for the image), the grid cells around them (as BracketSearch finds them) and the
// corner weights (as LookupDirectivity weighs them, the target taken as d / r). Four at once on
// evenly spaced grids where the processor allows; each lane within a few ulps of the scalar
// path, which takes the same steps one lane at a time.
void LocatePass(const CPassFrame& pass, const CBalloonGrid& grid, const double* x, const double* y,
                const double* z, CPassLanes& out);

// acos of four values in [-1, 1] and atan2 of four pairs as LocatePass takes them: the vector
// path's own (within about an ulp and two) where it runs, else the C library's.
void Arccosines(const double* x, double* out);
void Arctangents(const double* y, const double* x, double* out);

// BracketSearch on an ascending grid of spacing 1 / perStep (within 1e-9, the spacing above
// 4e-5): the nearest grid value by division, then its neighbour on x's side.
CBracket EvenBracket(const double* grid, int count, double perStep, double x);

struct CSPComplex;
// Level (dB SPL) and phase (degrees) of `count` values as CSPComplex::Level and Phase give them;
// four at a time where the processor and C library allow (vector log10 and atan2, a few ulps
// from the scalar ones).
void LevelsAndPhases(const CSPComplex* values, int count, double* level, double* phase);
