#pragma once

#include "acoustics/AcousticScene.h"

#include <functional>
#include <string>
#include <vector>

// Automatic installation on a ceiling grid: how far one speaker covers the calculation plane
// within 6 dB, and the rectangular or hexagonal grid that coverage and a density pattern give.
// Nothing here touches a document; the project's flow feeds it and stores the results.

enum EAutoLayoutShape : int { kShapeRectangle = 0, kShapeHexagonal = 1 };
inline constexpr int kAutoPatternCount = 5;
inline constexpr int kAutoPatternEdgeToEdge = 2;
// The walk's step along the plane, in the project's length unit.
inline constexpr double kCoverageStep = 0.1;
// More speakers than this are not a layout anyone asked for; they come from a coverage that is
// far too small for the room.
inline constexpr int kMaxAutoInstallations = 10000;

// Coverage factors of the density patterns 0..4 ("Maximum Overlap" .. "2 * Edge-to-Edge");
// 0 for an index outside the table.
double RectangleFactor(int pattern);
double HexagonalRadiusFactor(int pattern);

// The data frequencies m <= i < v of a judgment band of width `band` (bands per octave) around
// fc on a model grid of N points per octave. The band edges are rounded to the nearest index.
CBandIndexRange JudgmentBandIndices(double band, double centreFrequency, double pitch);

// Level (dB) at an offset from the speaker along the walk's axis; false when it cannot be
// calculated.
using CLevelProbe = std::function<bool(double offset, double& level)>;

enum class EWalkStatus {
    Done,
    Failed,  // the probe failed or gave a level that is not a number
    Endless, // the level did not fall 6 dB below its maximum within the limit
};

// Extents of one axis: `forward` towards +axis (A or C), `backward` towards -axis (B or D).
struct CWalkResult {
    EWalkStatus status = EWalkStatus::Done;
    double forward = 0.0;
    double backward = 0.0;
};

// The 6 dB rule: walk forward from the speaker in steps of kCoverageStep keeping the running
// maximum, stop at the first point more than 6 dB below it and interpolate the crossing; then walk
// backward from the maximum with the same maximum. No point beyond `limit` from the speaker is
// evaluated.
CWalkResult WalkCoverage(const CLevelProbe& probe, double limit);

// How far the walks may go: ten times the room's diagonal, where the height is the larger of the
// room height and the speaker's height above the plane, and never less than 100 steps.
double CoverageWalkLimit(double length, double width, double height);

// Coverage of a speaker: A (+X), B (-X), C (+Y), D (-Y).
struct CCoverage {
    double plusX = 0.0;
    double minusX = 0.0;
    double plusY = 0.0;
    double minusY = 0.0;
};

// Walks X then Y around the only installation of `scene` at (x0, y0), on the plane height z,
// using the band pressure of `mode` over `band`. Returns the status of the first walk that did
// not end normally.
EWalkStatus MeasureCoverage(const CAcousticScene& scene, int mode, const CBandIndexRange& band,
                            double x0, double y0, double z, double limit, CCoverage& coverage);

struct CLayoutRoom {
    double zeroX = 0.0;
    double zeroY = 0.0;
    double length = 0.0;
    double width = 0.0;
};

struct CLayoutPoint {
    double x = 0.0;
    double y = 0.0;
};

struct CAutoLayout {
    std::vector<CLayoutPoint> positions; // in installation order, row by row
    double columnPitch = 0.0;
    double rowPitch = 0.0;
    double leftOffset = 0.0;
    double bottomOffset = 0.0;
};

enum class ELayoutStatus {
    Done,
    NoCoverage, // a pitch is not a positive number
    TooMany,    // more than kMaxAutoInstallations speakers
};

// The grid for a measured coverage: the pattern factor applied, then the rectangle or the
// hexagonal rows centred in the room. A layout always holds at least one speaker.
ELayoutStatus ComputeAutoLayout(int pattern, int shape, const CCoverage& measured,
                                const CLayoutRoom& room, CAutoLayout& layout);
