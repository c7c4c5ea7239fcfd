#pragma once

#include "common/Vec3.h"
#include "speaker/SPComplex.h"

#include <cmath>

class CSpeakerElement;

// Where an element sits relative to the installation point and how it is aimed in the room.
struct CElementFrame {
    CVec3 offset;
    COrientation world;
};

// Result of locating a value in an ascending grid.
struct CBracket {
    double lo = 0.0;
    double hi = 0.0;
    int loIndex = 0;
    int hiIndex = 0;
    bool exact = false;
};

// Finds the grid cell holding x, with a tolerance of 0.00001 for hitting a grid value exactly.
// Outside the grid (or with fewer than two values) both ends are g[0], not exact. A caller that
// knows the grid ascends may say so and gets the same answer from a binary search.
CBracket BracketSearch(const double* grid, int count, double x, bool sorted = false);
// True when the grid never descends.
bool IsAscending(const double* grid, int count);

// The element's offset and world aim for an installation aimed at `orientation`.
CElementFrame ElementFrame(const CSpeakerElement& element, const COrientation& orientation);

// Balloon angles (degrees) of a direction given in the element's own axes; r = |d| must not be 0.
// The cosine is clamped to [-1, 1] so rounding cannot turn an on-axis receiver into NaN.
struct CBalloonAngles {
    double theta = 0.0;
    double phi = 0.0;
};
CBalloonAngles BalloonAngles(const CVec3& direction, double r);

// The element's directivity at (phi, theta) for a model frequency. A frequency outside the model's
// range gives the zero value; one inside it but not in the frequency list sets frequency to 0.
CSPComplex LookupDirectivity(const CSpeakerElement& element, double phi, double theta,
                             double& frequency);

// The unit vector of a balloon direction.
CVec3 BalloonDirection(double theta, double phi);

// Chord distance between two balloon directions; below 1e-6 it counts as 0 (the same direction).
double CornerDistance(const CVec3& corner, const CVec3& target);

// Picks PX - 360, PX or PX + 360, whichever lies closest to the reference phase; ties keep PX,
// then prefer +360 over -360.
// Inline and without branches: the engine unwraps whole rows of its tables with it.
inline double UnwrapAgainst(double px, double reference) {
    const double up = px + 360.0, down = px - 360.0;
    const double distance = std::fabs(px - reference), upDistance = std::fabs(up - reference);
    const double best = upDistance < distance ? up : px;
    const double bestDistance = upDistance < distance ? upDistance : distance;
    return std::fabs(down - reference) < bestDistance ? down : best;
}

inline constexpr double kMissingFrequencyLevel = -60.0;
inline constexpr double kZeroDistanceLevel = 999.0;
