// Counts and edges decided by a threshold, each with a case just inside and one just outside.
#include "acoustics/AcousticScene.h"
#include "acoustics/AutoInstallation.h"
#include "acoustics/ListeningPlane.h"
#include "acoustics/MapCalculation.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
struct Grid {
    double extent;
    long long columns;
    double snapped;
    double lastColumn;
};
} // namespace

TEST(PlaneGridSnap, ExtentsWithinAHundredthOfThePitchSnapAndOthersKeepAThinLastRow) {
    // Pitch 0.5 along a plane 8 wide (16 rows): the remainder decides the extent along X.
    for (const Grid& g : {Grid{10.004, 20, 10.0, 0.5},   // 0.8 % over: snaps back
                          Grid{10.02, 21, 10.02, 0.02},  // 4 % over: a thin last column
                          Grid{10.06, 21, 10.06, 0.06},  // 12 % over
                          Grid{9.996, 20, 10.0, 0.5},    // 0.8 % short: snaps up
                          Grid{9.96, 20, 9.96, 0.46},    // 8 % short: stays short
                          Grid{9.75, 20, 9.75, 0.25}}) { // half a pitch
        SCOPED_TRACE(g.extent);
        EXPECT_EQ(CListeningPlane::GridCount(g.extent, 8, 0, 0.5), g.columns * 16);
        CListeningPlane plane;
        plane.Build(0, 0, 1.2, g.extent, 8, 0, 0.5, 100, 2);
        ASSERT_EQ(plane.pointCount, g.columns * 16);
        EXPECT_EQ(plane.extentX, g.snapped);
        EXPECT_EQ(plane.extentY, 8.0);
        const CPlaceElement& last = plane.points.back();
        EXPECT_NEAR(last.sizeX, g.lastColumn, 1e-9);
        EXPECT_NEAR(last.x, g.snapped - g.lastColumn / 2, 1e-9);
        EXPECT_EQ(last.sizeY, 0.5);
    }
    // The same rule along Z for a vertical plane, and a side of under a hundredth of the pitch
    // snaps to nothing, which leaves no grid.
    CListeningPlane wall;
    wall.Build(0, 2, 0, 8, 0, 3.02, 0.5, 100, 2);
    EXPECT_EQ(wall.pointCount, 16 * 7);
    EXPECT_NEAR(wall.points.back().sizeZ, 0.02, 1e-9);
    EXPECT_EQ(CListeningPlane::GridCount(0.004, 8, 0, 0.5), 0);
    EXPECT_EQ(CListeningPlane::GridCount(0.006, 8, 0, 0.5), 16);
}

namespace {
// Rectangle, Edge-to-Edge, coverage 2 either side along X and 2.5 along Y: b = 4, hr = 5.
std::size_t RectangleCount(double length, double width) {
    CAutoLayout layout;
    EXPECT_EQ(ComputeAutoLayout(kAutoPatternEdgeToEdge, kShapeRectangle, {2, 2, 2.5, 2.5},
                                {0, 0, length, width}, layout),
              ELayoutStatus::Done);
    return layout.positions.size();
}

// Hexagonal, Edge-to-Edge, radius 2: b = 4 within a row, rows 2 sqrt(3) apart.
CAutoLayout Hexagonal(double length, double width) {
    CAutoLayout layout;
    EXPECT_EQ(ComputeAutoLayout(kAutoPatternEdgeToEdge, kShapeHexagonal, {2, 2, 2, 2},
                                {0, 0, length, width}, layout),
              ELayoutStatus::Done);
    return layout;
}
} // namespace

TEST(AutoLayoutCounts, AColumnOrRowIsAddedOnceSixTenthsOfAPitchAreLeft) {
    // Columns: trunc((L - 0.6 b) / b) + 1 steps up at L = 2.4 + 4 k.
    EXPECT_EQ(RectangleCount(6.39, 4), 1u);
    EXPECT_EQ(RectangleCount(6.41, 4), 2u);
    EXPECT_EQ(RectangleCount(10.39, 4), 2u);
    EXPECT_EQ(RectangleCount(10.41, 4), 3u);
    // Rows: trunc((W - 0.6 hr) / hr) + 1 steps up at W = 3 + 5 k.
    EXPECT_EQ(RectangleCount(4, 7.99), 1u);
    EXPECT_EQ(RectangleCount(4, 8.01), 2u);
    EXPECT_EQ(RectangleCount(4, 12.99), 2u);
    EXPECT_EQ(RectangleCount(4, 13.01), 3u);
    // Where the second column stands: centred with the remainder shared by both walls.
    CAutoLayout layout;
    ASSERT_EQ(ComputeAutoLayout(kAutoPatternEdgeToEdge, kShapeRectangle, {2, 2, 2.5, 2.5},
                                {0, 0, 6.41, 4}, layout),
              ELayoutStatus::Done);
    ASSERT_EQ(layout.positions.size(), 2u);
    EXPECT_NEAR(layout.positions[0].x, 1.205, 1e-12);
    EXPECT_NEAR(layout.positions[1].x, 5.205, 1e-12);
}

TEST(AutoLayoutCounts, HexagonalHalfColumnsAreAddedOnceThreeTenthsOfAPitchAreLeft) {
    // n = 1 + trunc(2 (L - 0.3 b) / b) steps up at L = 1.2 + 2 k; two rows in a room 8 wide.
    EXPECT_EQ(Hexagonal(3.19, 8).positions.size(), 1u); // n = 1: the odd row loses its speaker
    EXPECT_EQ(Hexagonal(3.21, 8).positions.size(), 2u); // n = 2: one column, both rows
    EXPECT_EQ(Hexagonal(5.19, 8).positions.size(), 2u); // n = 2
    const CAutoLayout three = Hexagonal(5.21, 8);       // n = 3: two columns, odd rows one
    ASSERT_EQ(three.positions.size(), 3u);
    EXPECT_NEAR(three.positions[0].x, (5.21 - 4) / 2, 1e-12);
    EXPECT_NEAR(three.positions[1].x, (5.21 - 4) / 2 + 4, 1e-12);
    EXPECT_NEAR(three.positions[2].x, (5.21 - 4) / 2 + 2, 1e-12);
    // Rows follow the rectangle's 0.6 rule with hr = 2 sqrt(3).
    const double hr = 2 * std::sqrt(3.0);
    EXPECT_EQ(Hexagonal(3.21, 1.6 * hr - 0.01).positions.size(), 1u);
    EXPECT_EQ(Hexagonal(3.21, 1.6 * hr + 0.01).positions.size(), 2u);
}

TEST(BandEdges, ADataFrequencyOnTheEdgeBelongsToTheBandOnlyWhenInside) {
    // 24 points per octave, a third-octave band: the lower edge sits at index
    // 80 log10(fc) - 4 and the upper at 80 log10(fc) + 4 on the data grid.
    auto centreFor = [](double lowerEdgeIndex) {
        return std::pow(10.0, (lowerEdgeIndex + 4) / 80);
    };
    EXPECT_EQ(BandIndices(3, centreFor(237 - 1e-6), 24).start, 237); // index 237 inside
    EXPECT_EQ(BandIndices(3, centreFor(237 + 1e-6), 24).start, 238); // just above it: outside
    EXPECT_EQ(BandIndices(3, centreFor(237 - 1e-6), 24).end, 245);   // upper edge below 245
    EXPECT_EQ(BandIndices(3, centreFor(237 + 1e-6), 24).end, 246);   // and just above it

    // The judgment band rounds its edges to the nearest index; an edge a hair below the half
    // (the logarithm's own error) still counts as the half. One point per octave, octave band:
    // the lower edge is at (10 / 3) (log10(fc) - 0.15).
    auto judgedStart = [](double lowerEdgeIndex) {
        const double fc = std::pow(10.0, 0.3 * lowerEdgeIndex + 0.15);
        return JudgmentBandIndices(1, fc, 1).start;
    };
    EXPECT_EQ(judgedStart(9.5 + 1e-6), 10);
    EXPECT_EQ(judgedStart(9.5 - 1e-6), 9);
    EXPECT_EQ(judgedStart(9.5 - 5e-11), 10); // within the tolerance
    EXPECT_EQ(judgedStart(9.5 - 2e-9), 9);   // outside it
}

TEST(BandEdges, OfferedCentresRunFrom20HzTo20kHzInclusive) {
    // A third-octave grid has 19.95 Hz and 19.95 kHz; only the second is offered.
    const std::vector<double> thirds = BandCentres(3);
    ASSERT_EQ(thirds.size(), 30u);
    EXPECT_EQ(thirds.front(), std::pow(10.0, 0.3 * 14 / 3));
    EXPECT_EQ(thirds.back(), std::pow(10.0, 0.3 * 43 / 3));
    // Two octaves: 15.8 Hz is below, 63.1 Hz the first, 15.8 kHz the last.
    const std::vector<double> twoOctaves = BandCentres(0.5);
    ASSERT_EQ(twoOctaves.size(), 5u);
    EXPECT_EQ(twoOctaves.front(), std::pow(10.0, 0.3 * 3 / 0.5));
    EXPECT_EQ(BandCentres(0.25).size(), 2u); // 251 Hz and 3.98 kHz
}
