#include "acoustics/SpectrumEngine.h"
#include "SceneFixtures.h"
#include "acoustics/ColorMapCondition.h"
#include "acoustics/EngineKernel.h"
#include "acoustics/InstallationElement.h"
#include "acoustics/MapCalculation.h"
#include "acoustics/PointResponse.h"
#include "common/Units.h"
#include "speaker/SpeakerModelContainer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
// Ceiling speakers and a wall speaker with reverse polarity; with mixed pitch the wall speaker's
// data has 1 point per octave, so it lacks two of every three frequencies of the bands.
void Furnish(CTestScene& t, bool mixedPitch) {
    const int ceiling = t.AddModel(DirectionalSpeaker(1, 3));
    const int wall = t.AddModel(DirectionalSpeaker(0, mixedPitch ? 1 : 3));
    for (int i = 0; i < 4; ++i)
        t.Install(ceiling, {1.5 + 3 * (i % 2), 1.0 + 2 * (i / 2), 3.0}, {0, 0, 90}, 3.0);
    t.Install(wall, {0.0, 2.0, 2.2}, {-20, 15, 12}, 10.0, false);
    t.room.roomHeight = 3.0;
}

void ExpectSameSpectrum(const CTestScene& t, const CColorMapCondition& c, const CVec3& at) {
    std::vector<double> centres, levels, engineCentres, engineLevels;
    std::string why, engineWhy;
    const bool literal = PointSpectrum(t.Scene(), c, at, centres, levels, &why);
    ASSERT_EQ(EnginePointSpectrum(t.Scene(), c, at, engineCentres, engineLevels, &engineWhy),
              literal);
    EXPECT_EQ(engineWhy, why); // the same band named, for the same cause
    EXPECT_EQ(literal, why.empty());
    ASSERT_EQ(engineCentres, centres);
    ASSERT_EQ(engineLevels.size(), levels.size());
    for (std::size_t i = 0; i < levels.size(); ++i)
        if (std::isfinite(levels[i]))
            EXPECT_NEAR(engineLevels[i], levels[i], 1e-9) << "band " << centres[i];
        else
            EXPECT_EQ(engineLevels[i], levels[i]) << "band " << centres[i];
}
} // namespace

TEST(EnginePointSpectrum, EqualsTheLiteralSpectrumForEveryModeBandAndKernel) {
    CTestScene t;
    Furnish(t, false);
    t.AddModel(DirectionalSpeaker(0, 1)); // not installed: the frequencies it lacks do not matter
    for (bool vector : {true, false}) {
        EnableVectorKernels(vector);
        for (int ceiling : {0, 1}) {
            t.room.ceilingType = ceiling;
            for (int mode : {kModeEnergy, kModeInterference})
                for (double band : {3.0, 1.0, 0.25}) {
                    SCOPED_TRACE(testing::Message() << "vector " << vector << " ceiling " << ceiling
                                                    << " mode " << mode << " band " << band);
                    CColorMapCondition c;
                    c.band = band;
                    c.mode = mode;
                    // Inside the room, on a speaker's axis, exactly at a speaker (the zero
                    // distance sentinel) and at the mirror point of its ceiling image.
                    for (const CVec3& at : {CVec3{2.5, 2, 1.2}, CVec3{1.5, 1, 0.5},
                                            CVec3{4.5, 3, 3.0}, CVec3{0.3, 2.1, 2.0}})
                        ExpectSameSpectrum(t, c, at);
                }
        }
    }
    EnableVectorKernels(true);
}

TEST(EnginePointSpectrum, LineArraysOfEveryFamilyWithTheirWeightsPowersAndDelaysMatch) {
    CTestScene t;
    FurnishLineArrays(t, kUnitImperial);
    const double u = kMetresToFeet;
    for (int ceiling : {0, 1}) {
        t.room.ceilingType = ceiling;
        for (int mode : {kModeEnergy, kModeInterference}) {
            SCOPED_TRACE(testing::Message() << "ceiling " << ceiling << " mode " << mode);
            CColorMapCondition c;
            c.band = 3;
            c.mode = mode;
            // In the room, and under the N column next to its elements.
            for (const CVec3& at : {CVec3{4 * u, 3 * u, 1.2 * u}, CVec3{0.8 * u, 4 * u, 4 * u}})
                ExpectSameSpectrum(t, c, at);
            for (const CVec3& at : {CVec3{7 * u, 6 * u, 1.2 * u}, CVec3{2 * u, 1 * u, 3 * u}}) {
                const CBandIndexRange b = BandIndices(1, 1000, 3);
                double literal = -1, engine = -2;
                ASSERT_EQ(BandPressure(t.Scene(), mode, at, b.start, b.end, b.pitch, literal),
                          kBandOk);
                ASSERT_EQ(EngineBandPressure(t.Scene(), mode, at, b, engine), kBandOk);
                EXPECT_NEAR(PressureLevel(engine), PressureLevel(literal), 1e-9);
            }
        }
    }
}

TEST(EnginePointSpectrum, FailsAndSucceedsWhereTheLiteralSpectrumDoes) {
    CTestScene t;
    Furnish(t, true);
    CColorMapCondition c;
    c.mode = kModeEnergy;
    // 1/24 octave bands hold no data frequency; wider ones hold frequencies the wall speaker
    // lacks, which fails unless the receiver sits exactly at that speaker (no lookup there).
    for (double band : {24.0, 3.0, 1.0}) {
        c.band = band;
        SCOPED_TRACE(band);
        ExpectSameSpectrum(t, c, {2.5, 2, 1.2});
        std::vector<double> centres{1}, levels{1};
        EXPECT_FALSE(EnginePointSpectrum(t.Scene(), c, {2.5, 2, 1.2}, centres, levels));
        EXPECT_TRUE(centres.empty() && levels.empty());
    }
    t.room.ceilingType = 0;
    c.band = 3;
    const CInstallationElement& wall = *t.room.At(4);
    const CVec3 atWall =
        wall.position +
        ElementFrame(t.models.At(wall.modelIndex).Elements()[0], wall.orientation).offset;
    ExpectSameSpectrum(t, c, atWall);
    std::vector<double> centres, levels;
    EXPECT_TRUE(EnginePointSpectrum(t.Scene(), c, atWall, centres, levels));

    c.band = 3;
    c.mode = 7; // no summation: every band level is that of pressure 0, as the literal gives
    ExpectSameSpectrum(t, c, {2.5, 2, 1.2});

    CTestScene empty;
    EXPECT_TRUE(EnginePointSpectrum(empty.Scene(), c, {0, 0, 0}, centres, levels));
    EXPECT_TRUE(centres.empty());
}

TEST(EnginePointSpectrum, BandsThatLeaveAFrequencyOutOrShareOneMatchToo) {
    CTestScene t;
    const int m = t.AddModel(DirectionalSpeaker(1, 24));
    t.Install(m, {1.5, 1.0, 3.0}, {0, 0, 90}, 3.0);
    t.Install(m, {4.5, 3.0, 3.0}, {10, 0, 80}, 2.0, false);
    t.room.roomHeight = 3.0;
    t.room.ceilingType = 1;
    for (double band : {3.0, 12.0}) {
        // Rounding at the band edges leaves some frequencies in no band and some in two.
        int gaps = 0, shared = 0;
        const std::vector<double> fc = BandCentres(band);
        for (std::size_t i = 0; i + 1 < fc.size(); ++i) {
            const int end = BandIndices(band, fc[i], 24).end;
            const int next = BandIndices(band, fc[i + 1], 24).start;
            gaps += end < next;
            shared += end > next;
        }
        ASSERT_GT(gaps, 0);
        ASSERT_GT(shared, 0);
        for (int mode : {kModeEnergy, kModeInterference}) {
            SCOPED_TRACE(testing::Message() << "band " << band << " mode " << mode);
            CColorMapCondition c;
            c.band = band;
            c.mode = mode;
            ExpectSameSpectrum(t, c, {2.5, 2, 1.2});
        }
    }
}

TEST(EnginePointSpectrum, NamesTheFirstBandThatFailsAndAMissingModel) {
    CTestScene t;
    Furnish(t, true);
    CColorMapCondition c;
    c.mode = kModeInterference;
    c.band = 3;
    std::vector<double> centres, levels;
    std::string why;
    ASSERT_FALSE(EnginePointSpectrum(t.Scene(), c, {2.5, 2, 1.2}, centres, levels, &why));
    // The lowest band the wall speaker's data reaches without holding all of its frequencies.
    std::string firstBad;
    for (double fc : BandCentres(3)) {
        const CBandIndexRange b = BandIndices(3, fc, 3);
        double p = 0;
        if (BandPressure(t.Scene(), c.mode, {2.5, 2, 1.2}, b.start, b.end, b.pitch, p) != kBandOk) {
            firstBad = SpectrumBandReason(fc);
            break;
        }
    }
    ASSERT_FALSE(firstBad.empty());
    EXPECT_EQ(why, firstBad);

    EditInstalled(t.room, 2, [](CInstallationElement& e) { e.modelIndex = 9; });
    ASSERT_FALSE(EnginePointSpectrum(t.Scene(), c, {2.5, 2, 1.2}, centres, levels, &why));
    EXPECT_EQ(why, DanglingModelReason(t.Scene()));
    EXPECT_NE(why.find("installation 2"), std::string::npos);
    ASSERT_FALSE(EnginePointSpectrum(t.Scene(), c, {NAN, 2, 1.2}, centres, levels, &why) ||
                 PointSpectrum(t.Scene(), c, {NAN, 2, 1.2}, centres, levels));
}

TEST(EngineBandPressure, EqualsBandPressureWhereverTheMouseIs) {
    for (int variant : {0, 1, 2}) {
        const bool mixedPitch = variant == 1;
        CTestScene t;
        Furnish(t, mixedPitch);
        if (variant == 2)
            // a model the project lacks: contributes nothing
            EditInstalled(t.room, 1, [](CInstallationElement& e) { e.modelIndex = 9; });
        for (int ceiling : {0, 1}) {
            t.room.ceilingType = ceiling;
            for (int mode : std::initializer_list<int>{kModeEnergy, kModeInterference, 7})
                for (double band : {24.0, 3.0, 1.0}) {
                    SCOPED_TRACE(testing::Message()
                                 << "mixed " << mixedPitch << " ceiling " << ceiling << " mode "
                                 << mode << " band " << band);
                    const CBandIndexRange b = BandIndices(band, 1000, 3);
                    for (const CVec3& at : {CVec3{2.5, 2, 1.2}, CVec3{1.5, 1, 0.5},
                                            CVec3{4.5, 3, 3.0}, CVec3{0.3, 2.1, 2.0}}) {
                        double literal = -1, engine = -2;
                        const int status =
                            BandPressure(t.Scene(), mode, at, b.start, b.end, b.pitch, literal);
                        ASSERT_EQ(EngineBandPressure(t.Scene(), mode, at, b, engine), status);
                        if (status == kBandOk && literal > 0)
                            EXPECT_NEAR(PressureLevel(engine), PressureLevel(literal), 1e-9);
                        else
                            EXPECT_EQ(engine, literal);
                    }
                }
        }
    }
}
