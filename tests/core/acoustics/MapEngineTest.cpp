#include "acoustics/MapEngine.h"
#include "SceneFixtures.h"
#include "acoustics/ColorMapCondition.h"
#include "acoustics/MapCalculation.h"
#include "common/Units.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
struct Variant {
    int mode;
    bool ceiling;
    int unit;
};

// A room with ceiling speakers aimed down, a wall speaker aimed across with reverse polarity and
// one installed at a point of the plane, so exact hits, poles and the sentinel all occur.
void Furnish(CTestScene& t, int unit) {
    t.lengthUnit = unit;
    const double u = unit == kUnitImperial ? kMetresToFeet : 1.0;
    const int ceiling = t.AddModel(DirectionalSpeaker(1, 3));
    const int wall = t.AddModel(DirectionalSpeaker(0, 3));
    for (int i = 0; i < 4; ++i)
        t.Install(ceiling, {(1.5 + 3 * (i % 2)) * u, (1.0 + 2 * (i / 2)) * u, 3.0 * u}, {0, 0, 90},
                  3.0);
    t.Install(wall, {0.0, 2.0 * u, 2.2 * u}, {-20, 15, 12}, 10.0, false);
    t.Install(wall, {3.25 * u, 2.25 * u, 1.2 * u}, {180, 0, 0}, 1.0);
    t.room.roomHeight = 3.0 * u;
}

void CompareWithReference(const CTestScene& t, CColorMapCondition condition, int threads) {
    CColorMapCondition reference = condition;
    ASSERT_EQ(CalculateMap(t.Scene(), reference, nullptr, {EMapEngineKind::Reference, 1}).status,
              ECalcStatus::Completed);
    ASSERT_EQ(CalculateMap(t.Scene(), condition, nullptr, {EMapEngineKind::Engine, threads}).status,
              ECalcStatus::Completed);
    int identical = 0;
    for (std::size_t i = 0; i < condition.plane.points.size(); ++i) {
        const double a = reference.plane.points[i].level, b = condition.plane.points[i].level;
        ASSERT_NEAR(a, b, 1e-9) << "point " << i;
        identical += a == b;
    }
    EXPECT_GT(identical, 0);
    EXPECT_NEAR(reference.plane.pinkNoiseAverage, condition.plane.pinkNoiseAverage, 1e-9);
    EXPECT_NEAR(reference.plane.maximumLevel, condition.plane.maximumLevel, 1e-9);
}
} // namespace

TEST(MapEngine, MatchesTheReferenceInEveryModeCeilingAndUnit) {
    for (const Variant v :
         {Variant{kModeEnergy, true, kUnitMetric}, Variant{kModeInterference, true, kUnitMetric},
          Variant{kModeEnergy, false, kUnitImperial},
          Variant{kModeInterference, false, kUnitImperial},
          Variant{kModeInterference, true, kUnitImperial}}) {
        SCOPED_TRACE(testing::Message()
                     << "mode " << v.mode << " ceiling " << v.ceiling << " unit " << v.unit);
        CTestScene t;
        Furnish(t, v.unit);
        t.room.ceilingType = v.ceiling ? 1 : 0;
        const double u = v.unit == kUnitImperial ? kMetresToFeet : 1.0;
        CColorMapCondition c;
        c.band = 1;
        c.centreFrequency = 1000;
        c.mode = v.mode;
        c.plane.Build(0, 0, 1.2 * u, 6 * u, 4 * u, 0, 0.25 * u, 100, 2);
        CompareWithReference(t, c, 2);
    }
}

TEST(MapEngine, VerticalPlanesAndTheBandEdgesOfTheRangeMatchToo) {
    CTestScene t;
    Furnish(t, kUnitMetric);
    CColorMapCondition c;
    c.band = 3;
    c.centreFrequency = 100; // the lowest band reaches below the models' range
    c.mode = kModeInterference;
    c.plane.Build(0, 2.1, 0, 6, 0, 3, 0.3, 100, 2);
    CompareWithReference(t, c, 3);
}

TEST(MapEngine, FailsWhereTheReferenceFails) {
    CTestScene t;
    Furnish(t, kUnitMetric);
    const CAcousticScene scene = t.Scene();
    const CBandIndexRange band = BandIndices(3, 1000, 24);
    const CMapEngine engine(scene, kModeEnergy, band);
    CMapEngine::Scratch scratch = engine.MakeScratch();
    double a = 0, b = 0;
    EXPECT_EQ(engine.PointPressure({1, 1, 1}, a, scratch),
              BandPressure(scene, kModeEnergy, {1, 1, 1}, band.start, band.end, 24, b));
    EXPECT_EQ(engine.PointPressure({1, 1, 1}, a, scratch), kBandFailed);
}
