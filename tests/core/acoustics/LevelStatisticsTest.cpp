#include "acoustics/LevelStatistics.h"
#include "acoustics/ListeningPlane.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(LevelStatistics, FiguresOfASmallSetFollowTheirDefinitions) {
    // Given out of order: the figures must not depend on the order of the points.
    const CLevelStatistics s = LevelStatistics({84, 81, 83, 82}, 82.5, 1.0);
    EXPECT_EQ(s.count, 4);
    EXPECT_DOUBLE_EQ(s.mean, 82.5);
    EXPECT_DOUBLE_EQ(s.standardDeviation, std::sqrt(1.25)); // over all points, not n - 1
    EXPECT_DOUBLE_EQ(s.spread, 3.0);
    EXPECT_DOUBLE_EQ(s.p10, 81.3); // rank 0.3 between 81 and 82
    EXPECT_DOUBLE_EQ(s.p50, 82.5); // the middle two's mean
    EXPECT_DOUBLE_EQ(s.p90, 83.7);
    EXPECT_DOUBLE_EQ(s.withinShare, 0.5); // 82 and 83; 81 and 84 are 1.5 dB away
    EXPECT_EQ(s.reference, 82.5);
    EXPECT_EQ(s.within, 1.0);
}

TEST(LevelStatistics, TheWindowIncludesItsEdgesAndIsCountedAroundTheReference) {
    EXPECT_DOUBLE_EQ(LevelStatistics({87, 93, 90, 86.5}, 90, 3).withinShare, 0.75);
    EXPECT_DOUBLE_EQ(LevelStatistics({87, 93, 90, 86.5}, 84, 3).withinShare, 0.5);
    EXPECT_DOUBLE_EQ(LevelStatistics({87, 93, 90, 86.5}, 90, 0).withinShare, 0.25);
}

TEST(LevelStatistics, PercentilesOfOneLevelAndOfNone) {
    const CLevelStatistics one = LevelStatistics({70}, 70, 3);
    EXPECT_EQ(one.p10, 70);
    EXPECT_EQ(one.p90, 70);
    EXPECT_EQ(one.standardDeviation, 0);
    EXPECT_EQ(one.withinShare, 1);
    const CLevelStatistics none = LevelStatistics({}, 70, 3);
    EXPECT_EQ(none.count, 0);
    EXPECT_EQ(none.p50, 0);
    EXPECT_EQ(none.withinShare, 0);
    EXPECT_EQ(Percentile({1, 2, 3, 4, 5}, 0.25), 2);
    EXPECT_EQ(Percentile({1, 2, 3, 4, 5}, 1.0), 5);
}

TEST(LevelStatistics, APlaneCountsItsCalculatedPointsAroundItsPinkNoiseAverage) {
    CListeningPlane plane;
    plane.Build(0, 0, 1, 2, 1, 0, 0.5, 100, 2);
    ASSERT_EQ(plane.pointCount, 8);
    for (int i = 0; i < plane.pointCount; ++i)
        plane.points[static_cast<std::size_t>(i)].level = 80.0 + i;
    // A stray record past the counted points (as a damaged file may leave) is not a point.
    plane.points.push_back({200.0});
    plane.pinkNoiseAverage = 86.0;
    const CLevelStatistics s = PlaneStatistics(plane, 2.0);
    EXPECT_EQ(s.count, 8);
    EXPECT_DOUBLE_EQ(s.spread, 7.0);
    EXPECT_DOUBLE_EQ(s.mean, 83.5);
    EXPECT_EQ(s.reference, 86.0);
    EXPECT_DOUBLE_EQ(s.withinShare, 4.0 / 8.0); // 84 to 87; 80 to 83 lie further below
}
