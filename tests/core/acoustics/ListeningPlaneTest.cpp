#include "acoustics/ListeningPlane.h"
#include "acoustics/ColorMapCondition.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(ListeningPlane, GridCountsAndTheRemainderInTheLastRowAndColumn) {
    CListeningPlane plane;
    plane.Build(0, 0, 1.5, 10, 10, 0, 0.25, 100, 2);
    EXPECT_EQ(plane.pointCount, 1600);
    EXPECT_EQ(plane.points.size(), 1600u);

    plane.Build(0, 0, 1.5, 10, 10, 0, 0.3, 100, 2);
    ASSERT_EQ(plane.pointCount, 34 * 34);
    const CPlaceElement& last = plane.points.back();
    EXPECT_NEAR(last.sizeX, 10 - 0.3 * 33, 1e-12);
    EXPECT_NEAR(last.sizeY, 10 - 0.3 * 33, 1e-12);
    EXPECT_NEAR(last.x, 0.3 * 33 + last.sizeX / 2, 1e-12);
    EXPECT_EQ(last.z, 1.5);
    // Rows run along Y, columns along X.
    EXPECT_NEAR(plane.points[1].x, 0.45, 1e-12);
    EXPECT_NEAR(plane.points[34].y, 0.45, 1e-12);
}

TEST(ListeningPlane, ExtentsSnapToThePitchWithinOnePercent) {
    CListeningPlane plane;
    plane.Build(0, 0, 0, 9.999, 10.002, 0, 0.25, 100, 2);
    EXPECT_EQ(plane.extentX, 10.0);
    EXPECT_EQ(plane.extentY, 10.0);
    EXPECT_EQ(plane.pointCount, 1600);
}

TEST(ListeningPlane, VerticalPlanesOrderTheirPoints) {
    CListeningPlane xz;
    xz.Build(1, 2, 0, 2, 0, 1, 0.5, 100, 2);
    ASSERT_EQ(xz.pointCount, 8);
    EXPECT_EQ(xz.Orientation(), EPlaneOrientation::XZ);
    EXPECT_EQ(xz.points[1].x, 1.75); // columns along X first
    EXPECT_EQ(xz.points[4].z, 0.75); // then rows along Z
    EXPECT_EQ(xz.points[0].y, 2.0);
    EXPECT_EQ(xz.points[0].sizeY, 0.0);

    CListeningPlane yz;
    yz.Build(3, 0, 0, 0, 1, 2, 0.5, 100, 2);
    ASSERT_EQ(yz.pointCount, 8);
    EXPECT_EQ(yz.Orientation(), EPlaneOrientation::YZ);
    EXPECT_EQ(yz.points[1].z, 0.75); // columns along Z first
    EXPECT_EQ(yz.points[4].y, 0.75); // rows along Y
}

TEST(ListeningPlane, InvalidGeometryLeavesThePlaneUntouched) {
    CListeningPlane plane;
    plane.Build(0, 0, 1.5, 10, 10, 0, 0.25, 100, 2);
    plane.points[5].level = 77.0;
    const CListeningPlane before = plane;
    plane.Build(0, 0, 0, 5, 5, 5, 0.25, 100, 2); // no zero extent
    plane.Build(0, 0, 0, 5, 0, 0, 0.25, 100, 2); // two zero extents
    plane.Build(0, 0, 0, 5, 5, 0, 0.0, 100, 2);  // no pitch
    plane.Build(0, 0, 0, 1e9, 1e9, 0, 0.001, 100, 2);
    EXPECT_EQ(plane.points, before.points);
    EXPECT_EQ(plane.pointCount, before.pointCount);
}

TEST(ListeningPlane, ColourClassesAtTheirBoundaries) {
    CListeningPlane plane;
    plane.Build(0, 0, 0, 1, 1, 0, 0.5, 100, 2);
    const auto& c = CListeningPlane::DefaultColors();
    EXPECT_EQ(c[0], 0x0000FFu);
    EXPECT_EQ(c[1], 0x001FFFu);
    EXPECT_EQ(c[8], 0x00FFFFu);
    EXPECT_EQ(c[9], 0x1FFFDFu);
    EXPECT_EQ(c[16], 0xFFFF00u);
    EXPECT_EQ(c[17], 0xFFDF00u);
    EXPECT_EQ(c[24], 0xFF0000u);
    EXPECT_EQ(plane.ColorOf(100.0001), c[0]);
    EXPECT_EQ(plane.ColorOf(100.0), c[1]); // exactly Max is class 1
    EXPECT_EQ(plane.ColorOf(98.0), c[2]);
    EXPECT_EQ(plane.ColorOf(55.0), c[23]);
    EXPECT_EQ(plane.ColorOf(54.0), c[24]); // exactly t[23]
    EXPECT_EQ(plane.ColorOf(-500.0), c[24]);
    EXPECT_EQ(plane.ColorOf(std::numeric_limits<double>::quiet_NaN()), 0u);
}

TEST(ListeningPlane, RebuildResetsLevelsStatisticsAndColours) {
    CListeningPlane plane;
    plane.Build(0, 0, 0, 2, 2, 0, 0.5, 90, 3);
    plane.points[0].level = 80;
    plane.maximumLevel = 80;
    plane.colors[3] = 0x123456;
    plane.Rebuild();
    EXPECT_EQ(plane.points[0].level, 0.0);
    EXPECT_EQ(plane.maximumLevel, 0.0);
    EXPECT_EQ(plane.colors, CListeningPlane::DefaultColors());
    EXPECT_EQ(plane.thresholds[23], 90 - 3 * 23);
}

TEST(ColorMapConditionList, DuplicateMovesThePointsAndRemoveKeepsCurrentInside) {
    CColorMapConditionList list;
    CColorMapCondition c;
    c.plane.Build(0, 0, 0, 2, 2, 0, 0.5, 100, 2);
    c.band = 3;
    list.Append(c);
    EXPECT_EQ(list.currentIndex, 0);
    EXPECT_EQ(list.Duplicate(7), nullptr);
    CColorMapCondition* copy = list.Duplicate(0);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(list.currentIndex, 1);
    EXPECT_EQ(copy->band, 3);
    EXPECT_EQ(copy->plane.points.size(), 16u);
    EXPECT_TRUE(list.At(0)->plane.points.empty());
    EXPECT_EQ(list.At(0)->plane.pointCount, 16);
    list.At(0)->plane.Rebuild();
    EXPECT_EQ(list.At(0)->plane.points.size(), 16u);

    list.Remove(1);
    EXPECT_EQ(list.currentIndex, 0);
    list.Remove(5);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(CColorMapCondition::ForLoading().viewAngles, (std::array<double, 3>{0, 0, 0}));
}
