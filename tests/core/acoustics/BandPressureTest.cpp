#include "SceneFixtures.h"
#include "acoustics/AcousticScene.h"
#include "acoustics/ColorMapCondition.h"
#include "acoustics/MapCalculation.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(BandIndices, ExamplesAt24PointsPerOctaveAround1kHz) {
    CBandIndexRange third = BandIndices(3, 1000, 24);
    EXPECT_EQ(third.start, 237);
    EXPECT_EQ(third.end, 245);
    EXPECT_EQ(third.Count(), 8);
    CBandIndexRange octave = BandIndices(1, 1000, 24);
    EXPECT_EQ(octave.start, 229);
    EXPECT_EQ(octave.end, 253);
    CBandIndexRange narrow = BandIndices(24, 1000, 24);
    EXPECT_EQ(narrow.start, 240);
    EXPECT_EQ(narrow.Count(), 1);
    // Unset band or frequency: no data frequency, never undefined behaviour.
    EXPECT_EQ(BandIndices(0, 1000, 24).Count(), 0);
    EXPECT_EQ(BandIndices(3, 0, 24).Count(), 0);
}

namespace {
double Level(const CAcousticScene& scene, int mode, const CVec3& p, const CBandIndexRange& band) {
    double pressure = 0.0;
    EXPECT_EQ(BandPressure(scene, mode, p, band.start, band.end, band.pitch, pressure), kBandOk);
    return PressureLevel(pressure);
}
} // namespace

TEST(BandPressure, OneInstallationGivesTheSameLevelInBothModes) {
    CTestScene t;
    const int m = t.AddModel(DirectionalSpeaker(1, 3));
    t.Install(m, {2, 2, 3}, {0, 0, 90});
    const CBandIndexRange band = BandIndices(1, 1000, 3);
    EXPECT_NEAR(Level(t.Scene(), kModeInterference, {3, 2.5, 1.2}, band),
                Level(t.Scene(), kModeEnergy, {3, 2.5, 1.2}, band), 1e-9);
}

TEST(BandPressure, TwoCoincidentSpeakersAdd6dBCoherentAnd3dBInEnergy) {
    CTestScene one, two;
    for (CTestScene* t : {&one, &two}) {
        const int m = t->AddModel(DirectionalSpeaker(0, 3));
        t->Install(m, {0, 0, 2}, {10, 0, 20}, 2.0);
        if (t == &two)
            t->Install(m, {0, 0, 2}, {10, 0, 20}, 2.0);
    }
    const CBandIndexRange band = BandIndices(3, 1000, 3);
    const CVec3 p{4, 1, 1.2};
    EXPECT_NEAR(Level(two.Scene(), kModeInterference, p, band) -
                    Level(one.Scene(), kModeInterference, p, band),
                20 * std::log10(2.0), 1e-9);
    EXPECT_NEAR(Level(two.Scene(), kModeEnergy, p, band) - Level(one.Scene(), kModeEnergy, p, band),
                10 * std::log10(2.0), 1e-9);
}

TEST(BandPressure, ReversedTwinCancelsCoherentlyButNotInEnergy) {
    CTestScene t;
    const int m = t.AddModel(OmniSpeaker(90, 3));
    t.Install(m, {0, 0, 2});
    t.Install(m, {0, 0, 2}, {}, 1.0, false);
    t.room.ceilingType = 0;
    const CBandIndexRange band = BandIndices(3, 1000, 3);
    double pressure = 1.0;
    ASSERT_EQ(BandPressure(t.Scene(), kModeInterference, {3, 0, 2}, band.start, band.end,
                           band.pitch, pressure),
              kBandOk);
    EXPECT_LT(pressure, 1e-9);
    EXPECT_GT(Level(t.Scene(), kModeEnergy, {3, 0, 2}, band), 70.0);
}

TEST(BandPressure, EmptyBandsAndForeignFrequenciesFail) {
    CTestScene t;
    const int m = t.AddModel(OmniSpeaker(90, 3));
    t.Install(m, {0, 0, 2});
    double pressure = 0.0;
    EXPECT_EQ(BandPressure(t.Scene(), kModeEnergy, {1, 1, 1}, 30, 30, 3, pressure), kBandFailed);
    // A grid of 24 per octave asks the 3-per-octave model for frequencies it does not have.
    const CBandIndexRange band = BandIndices(3, 1000, 24);
    EXPECT_EQ(BandPressure(t.Scene(), kModeEnergy, {1, 1, 1}, band.start, band.end, 24, pressure),
              kBandFailed);
    // An unknown mode is a silent zero, as before.
    EXPECT_EQ(BandPressure(t.Scene(), 7, {1, 1, 1}, 30, 31, 3, pressure), kBandOk);
    EXPECT_EQ(pressure, 0.0);
}

TEST(BandPressure, AnInstallationWithoutItsModelContributesNothing) {
    CTestScene t;
    const int m = t.AddModel(OmniSpeaker(90, 3));
    t.Install(m, {0, 0, 2});
    const CBandIndexRange band = BandIndices(3, 1000, 3);
    const double alone = Level(t.Scene(), kModeEnergy, {2, 0, 2}, band);
    t.Install(5, {1, 0, 2});
    EXPECT_EQ(Level(t.Scene(), kModeEnergy, {2, 0, 2}, band), alone);
}
