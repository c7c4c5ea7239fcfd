// Maps of the quantities beyond the direct sound: what they add to the direct map and that a
// project without room acoustics calculates exactly as before.
#include "SceneFixtures.h"
#include "acoustics/AirAbsorption.h"
#include "acoustics/ColorMapCondition.h"
#include "acoustics/MapCalculation.h"
#include "acoustics/RoomField.h"
#include "acoustics/RoomQuantities.h"
#include "acoustics/SpeechTransmission.h"
#include "common/MathUtil.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
// Two ceiling speakers of 3 points per octave in a 12 x 8 x 4 m room of absorbing surfaces.
struct CRoomFixture {
    CTestScene t;
    CRoomFixture(double alpha = 0.3) {
        const int m = t.AddModel(DirectionalSpeaker(1, 3));
        t.Install(m, {3, 3, 4}, {0, 0, 90}, 2.0);
        t.Install(m, {8, 5, 4}, {0, 0, 90}, 6.0);
        t.room.roomLength = 12, t.room.roomWidth = 8, t.room.roomHeight = 4;
        for (CRoomMaterial& face : t.acoustics.faces)
            face.alpha.fill(alpha);
    }
    CColorMapCondition Map(EMapQuantity quantity, double band = 1, double fc = 1000,
                           int mode = kModeEnergy) const {
        CColorMapCondition c;
        c.band = band;
        c.centreFrequency = fc;
        c.mode = mode;
        c.quantity = quantity;
        c.plane.Build(0.5, 0.5, 1.2, 11, 7, 0, 0.9, 100, 2);
        return c;
    }
    std::vector<double> Levels(const CColorMapCondition& c) const {
        std::vector<double> levels;
        for (const CPlaceElement& p : c.plane.points)
            levels.push_back(p.level);
        return levels;
    }
    CColorMapCondition Calculated(EMapQuantity quantity, EMapEngineKind kind = EMapEngineKind::Engine,
                                  double band = 1, double fc = 1000, int mode = kModeEnergy) const {
        CColorMapCondition c = Map(quantity, band, fc, mode);
        const CMapResult r = CalculateMap(t.RoomScene(), c, nullptr, {kind, 2});
        EXPECT_EQ(r.status, ECalcStatus::Completed) << r.reason;
        return c;
    }
};
} // namespace

// Room acoustics that the project does not use leave the direct map bit for bit as it was, in
// both calculation paths; air on the direct sound is the one setting that changes it.
TEST(RoomMap, DirectMapIsUnchangedUnlessAirActsOnIt) {
    CRoomFixture f;
    for (EMapEngineKind kind : {EMapEngineKind::Engine, EMapEngineKind::Reference})
        for (int mode : {kModeEnergy, kModeInterference}) {
            CColorMapCondition plain = f.Map(EMapQuantity::Direct, 3, 1000, mode);
            CColorMapCondition withRoom = plain;
            ASSERT_EQ(CalculateMap(f.t.Scene(), plain, nullptr, {kind, 2}).status,
                      ECalcStatus::Completed);
            ASSERT_EQ(CalculateMap(f.t.RoomScene(), withRoom, nullptr, {kind, 2}).status,
                      ECalcStatus::Completed);
            EXPECT_EQ(f.Levels(plain), f.Levels(withRoom));
            EXPECT_EQ(plain.plane.pinkNoiseAverage, withRoom.plane.pinkNoiseAverage);
        }
    // With the air acting, the map engine and the literal path agree, and one data frequency
    // of an omnidirectional source loses alpha_air r in dB at distance r.
    f.t.acoustics.airOnDirect = true;
    f.t.acoustics.humidity = 20; // dry air absorbs much at 8 kHz
    const CColorMapCondition engine =
        f.Calculated(EMapQuantity::Direct, EMapEngineKind::Engine, 3, 7943.28, kModeInterference);
    const CColorMapCondition reference =
        f.Calculated(EMapQuantity::Direct, EMapEngineKind::Reference, 3, 7943.28, kModeInterference);
    for (std::size_t i = 0; i < engine.plane.points.size(); ++i)
        EXPECT_NEAR(engine.plane.points[i].level, reference.plane.points[i].level, 1e-9);

    CTestScene omni;
    omni.AddModel(OmniSpeaker(90, 3));
    omni.Install(0, {0, 0, 3});
    omni.room.ceilingType = 0; // no image
    omni.acoustics.humidity = 20;
    const CVec3 far{30, 40, 3}; // 50 m away
    const CBandIndexRange band = BandIndices(3, 7943.28, 3);
    ASSERT_EQ(band.Count(), 1);
    double dry = 0.0, airy = 0.0;
    ASSERT_EQ(BandPressure(omni.RoomScene(), kModeEnergy, far, band.start, band.end, band.pitch, dry),
              kBandOk);
    omni.acoustics.airOnDirect = true;
    ASSERT_EQ(BandPressure(omni.RoomScene(), kModeEnergy, far, band.start, band.end, band.pitch, airy),
              kBandOk);
    const double frequency = std::pow(10.0, 0.3 * band.start / 3.0);
    EXPECT_NEAR(PressureLevel(dry) - PressureLevel(airy), 50 * AirAttenuation(frequency, {20, 20}),
                1e-9);
    EXPECT_GT(PressureLevel(dry) - PressureLevel(airy), 5.0);
}

// Total, reverberant and D/R from the same direct map and one reverberant level per band;
// with near-perfect absorbers the reverberant field falls far below the direct sound.
TEST(RoomMap, TotalReverberantAndRatioFollowTheDirectMap) {
    CRoomFixture f;
    const CColorMapCondition direct = f.Calculated(EMapQuantity::Direct);
    const CColorMapCondition reverberant = f.Calculated(EMapQuantity::Reverberant);
    const CColorMapCondition total = f.Calculated(EMapQuantity::Total);
    const CColorMapCondition ratio = f.Calculated(EMapQuantity::DirectToReverberant);
    const double Lr = reverberant.plane.points[0].level;
    EXPECT_EQ(reverberant.plane.maximumLevel, reverberant.plane.minimumLevel);
    for (std::size_t i = 0; i < direct.plane.points.size(); ++i) {
        const double Ld = direct.plane.points[i].level;
        EXPECT_NEAR(total.plane.points[i].level,
                    10 * std::log10(std::pow(10, Ld / 10) + std::pow(10, Lr / 10)), 1e-9);
        EXPECT_NEAR(ratio.plane.points[i].level, Ld - Lr, 1e-9);
        EXPECT_EQ(reverberant.plane.points[i].level, Lr);
    }
    // The reverberant level is the installations' power fed into the room constant.
    CSoundPowerCache cache;
    const CRoomField field =
        RoomFieldOf(f.t.RoomScene(), BandIndices(1, 1000, 3), 1000, cache);
    EXPECT_NEAR(Lr, 10 * std::log10(field.powerSum) + 10 * std::log10(4 / field.room.roomConstant),
                1e-9);
    EXPECT_NEAR(field.powerSum,
                std::pow(10, field.installations[0].power.lw / 10) +
                    std::pow(10, field.installations[1].power.lw / 10),
                1e-9 * field.powerSum);
    EXPECT_NEAR(field.installations[1].power.lw - field.installations[0].power.lw,
                10 * std::log10(3.0), 1e-9); // 6 W against 2 W
    // D/R statistics are plain means; the level maps keep the energy average.
    EXPECT_LT(ratio.plane.minimumLevel, ratio.plane.pinkNoiseAverage);
    EXPECT_EQ(ratio.plane.musicSpeechAverage, ratio.plane.pinkNoiseAverage);
    EXPECT_NEAR(total.plane.musicSpeechAverage, total.plane.pinkNoiseAverage - 4, 1e-12);

    CRoomFixture dead(1.0);
    const CColorMapCondition deadRatio = dead.Calculated(EMapQuantity::DirectToReverberant);
    EXPECT_GT(deadRatio.plane.minimumLevel, 20.0);
    EXPECT_LT(ratio.plane.minimumLevel, 0.0); // the live room's far corners are reverberant

    // A speaker on the plane's first point: the quantities that read the direct sound there
    // leave that point out; the reverberant field has its level everywhere.
    CRoomFixture onPoint;
    const int omni = onPoint.t.AddModel(OmniSpeaker(90, 3)); // its source is its position
    const CPlaceElement first = onPoint.Map(EMapQuantity::Total).plane.points[0];
    onPoint.t.Install(omni, {first.x, first.y, first.z}, {0, 0, 90}, 1.0);
    const CColorMapCondition everywhere = onPoint.Calculated(EMapQuantity::Reverberant);
    EXPECT_EQ(everywhere.plane.leftOut, 0);
    EXPECT_FALSE(std::isnan(everywhere.plane.points[0].level));
    for (const EMapQuantity q : {EMapQuantity::Total, EMapQuantity::Sti}) {
        const CColorMapCondition without = onPoint.Calculated(q);
        EXPECT_EQ(without.plane.leftOut, 1);
        EXPECT_TRUE(std::isnan(without.plane.points[0].level));
        EXPECT_FALSE(std::isnan(without.plane.points[1].level));
    }
}

// At the critical distance of an omnidirectional source the direct sound equals the reverberant
// field: sqrt(Q R / (16 pi)) with Q = 1.
TEST(RoomMap, DirectEqualsReverberantAtTheCriticalDistance) {
    CTestScene t;
    t.AddModel(OmniSpeaker(90, 3));
    t.Install(0, {1, 1, 2}, {}, 4.0);
    t.room.ceilingType = 0;
    t.room.roomLength = 20, t.room.roomWidth = 15, t.room.roomHeight = 6;
    for (CRoomMaterial& face : t.acoustics.faces)
        face.alpha.fill(0.15);
    CSoundPowerCache cache;
    const CBandIndexRange band = BandIndices(1, 1000, 3);
    const CRoomField field = RoomFieldOf(t.RoomScene(), band, 1000, cache);
    const double rc = field.installations[0].criticalDistance;
    EXPECT_NEAR(field.installations[0].power.q, 1.0, 1e-9);
    EXPECT_NEAR(rc, std::sqrt(field.room.roomConstant / (16 * kPi)), 1e-12);
    double pressure = 0.0;
    ASSERT_EQ(BandPressure(t.RoomScene(), kModeEnergy, {1 + rc, 1, 2}, band.start, band.end,
                           band.pitch, pressure),
              kBandOk);
    EXPECT_NEAR(PressureLevel(pressure), field.reverberantLevel, 0.01);
}

// Broadband and speech quantities come from the seven octaves, each point's geometry found
// once: they equal the octave maps combined, and the speech index of the point calculation.
TEST(RoomMap, OctaveQuantitiesEqualThePointCalculation) {
    CRoomFixture f;
    f.t.speech.noiseOn = true;
    f.t.speech.noise = {45, 40, 35, 30, 25, 20, 20};
    // A signal delay turns the second speaker's phase where the sums are coherent and leaves
    // the energy sums alone; the point calculation below sees it the same way.
    const CColorMapCondition undelayedZ =
        f.Calculated(EMapQuantity::BroadbandZ, EMapEngineKind::Engine, 1, 1000, kModeInterference);
    const CColorMapCondition undelayedEnergy =
        f.Calculated(EMapQuantity::BroadbandZ, EMapEngineKind::Engine, 1, 1000, kModeEnergy);
    f.t.room.SetDelay(1, 3.7);
    EXPECT_NE(f.Levels(f.Calculated(EMapQuantity::BroadbandZ, EMapEngineKind::Engine, 1, 1000,
                                    kModeInterference)),
              f.Levels(undelayedZ));
    EXPECT_EQ(f.Levels(f.Calculated(EMapQuantity::BroadbandZ, EMapEngineKind::Engine, 1, 1000,
                                    kModeEnergy)),
              f.Levels(undelayedEnergy));
    std::array<CColorMapCondition, kOctaveCount> totals;
    for (int k = 0; k < kOctaveCount; ++k)
        totals[static_cast<std::size_t>(k)] =
            f.Calculated(EMapQuantity::Total, EMapEngineKind::Engine, 1, OctaveCentre(k));
    for (int mode : {kModeEnergy, kModeInterference}) {
        const CColorMapCondition z = f.Calculated(EMapQuantity::BroadbandZ, EMapEngineKind::Engine, 1, 1000, mode);
        const CColorMapCondition a = f.Calculated(EMapQuantity::BroadbandA, EMapEngineKind::Engine, 1, 1000, mode);
        const CColorMapCondition sti = f.Calculated(EMapQuantity::Sti, EMapEngineKind::Engine, 1, 1000, mode);
        const CColorMapCondition cis = f.Calculated(EMapQuantity::Cis, EMapEngineKind::Engine, 1, 1000, mode);
        const CColorMapCondition stiReference =
            f.Calculated(EMapQuantity::Sti, EMapEngineKind::Reference, 1, 1000, mode);
        CSoundPowerCache cache;
        const auto fields = OctaveFields(f.t.RoomScene(), cache);
        const auto bands = OctaveBands(f.t.RoomScene());
        for (std::size_t i = 0; i < z.plane.points.size(); ++i) {
            const CPlaceElement& p = z.plane.points[i];
            CStiInput in;
            double sumZ = 0.0, sumA = 0.0;
            for (std::size_t k = 0; k < kOctaveCount; ++k) {
                double pressure = 0.0;
                ASSERT_EQ(BandPressure(f.t.RoomScene(), mode, {p.x, p.y, p.z}, bands[k].start,
                                       bands[k].end, bands[k].pitch, pressure),
                          kBandOk);
                in.direct[k] = PressureLevel(pressure);
                in.reverberant[k] = fields[k].reverberantLevel;
                in.rt[k] = fields[k].room.rtEyring;
                const double total = 10 * std::log10(std::pow(10, in.direct[k] / 10) +
                                                     std::pow(10, in.reverberant[k] / 10));
                if (mode == kModeEnergy) {
                    EXPECT_NEAR(total, totals[k].plane.points[i].level, 1e-9);
                }
                sumZ += std::pow(10, total / 10);
                sumA += std::pow(10, (total + AWeighting(OctaveCentre(static_cast<int>(k)))) / 10);
            }
            in.noiseOn = true;
            in.noise = f.t.speech.noise;
            const CStiResult r = SpeechTransmissionIndex(in);
            EXPECT_NEAR(z.plane.points[i].level, 10 * std::log10(sumZ), 1e-9);
            EXPECT_NEAR(a.plane.points[i].level, 10 * std::log10(sumA), 1e-9);
            EXPECT_NEAR(sti.plane.points[i].level, r.sti, 1e-9);
            EXPECT_NEAR(stiReference.plane.points[i].level, r.sti, 1e-12);
            EXPECT_NEAR(cis.plane.points[i].level, r.cis, 1e-9);
        }
        // STI statistics: minimum, mean and the share at or above a target between them.
        const double target = (sti.plane.minimumLevel + sti.plane.maximumLevel) / 2;
        f.t.speech.stiTarget = target;
        const CColorMapCondition judged =
            f.Calculated(EMapQuantity::Sti, EMapEngineKind::Engine, 1, 1000, mode);
        f.t.speech.stiTarget = 0.5;
        std::size_t above = 0;
        double sum = 0.0;
        for (const CPlaceElement& p : sti.plane.points)
            above += p.level >= target ? 1 : 0, sum += p.level;
        const double n = static_cast<double>(sti.plane.points.size());
        EXPECT_NEAR(sti.plane.pinkNoiseAverage, sum / n, 1e-12);
        EXPECT_NEAR(judged.plane.musicSpeechAverage, static_cast<double>(above) / n, 1e-12);
        EXPECT_GT(above, 0u);
        EXPECT_LT(above, sti.plane.points.size());
    }
}

TEST(RoomMap, RefusesWhatItCannotCalculate) {
    CRoomFixture f(0.0); // nothing absorbs
    CColorMapCondition c = f.Map(EMapQuantity::Total);
    CMapResult r = CalculateMap(f.t.RoomScene(), c, nullptr);
    EXPECT_EQ(r.status, ECalcStatus::Failed);
    EXPECT_NE(r.reason.find("absorb nothing"), std::string::npos) << r.reason;
    c = f.Map(EMapQuantity::Sti);
    EXPECT_EQ(CalculateMap(f.t.Scene(), c, nullptr).reason, "the project has no room acoustics");
    // A band without data frequencies of the 3-per-octave speakers.
    CRoomFixture g;
    c = g.Map(EMapQuantity::DirectToReverberant, 24, 1090);
    r = CalculateMap(g.t.RoomScene(), c, nullptr);
    EXPECT_EQ(r.status, ECalcStatus::Failed);
    EXPECT_NE(r.reason.find("choose a wider band"), std::string::npos) << r.reason;
}
