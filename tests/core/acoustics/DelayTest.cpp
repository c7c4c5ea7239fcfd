#include "SceneFixtures.h"
#include "acoustics/ColorMapCondition.h"
#include "acoustics/EngineKernel.h"
#include "acoustics/InstallationElement.h"
#include "acoustics/LivePreview.h"
#include "acoustics/MapCalculation.h"
#include "acoustics/SpectrumEngine.h"
#include "common/Units.h"
#include "speaker/FrequencyList.h"
#include "speaker/SpeakerModelContainer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
// Every way the program computes the Interference level at one point in the band around fc:
// the reference, the engine's map on both kernels, the level under the mouse, the spectrum's
// band (unless told not to) and a live preview dragging installation `moving` (which must
// already hold its state).
std::vector<double> LevelsEverywhere(const CTestScene& t, double band, double fc, const CVec3& at,
                                     int moving, bool spectrum = true) {
    std::vector<double> levels;
    const CAcousticScene scene = t.Scene();
    const CBandIndexRange b = BandIndices(band, fc, scene.FirstInstallationPitch());
    double pressure = 0.0;
    EXPECT_EQ(BandPressure(scene, kModeInterference, at, b.start, b.end, b.pitch, pressure),
              kBandOk);
    levels.push_back(PressureLevel(pressure));
    CColorMapCondition c;
    c.band = band;
    c.centreFrequency = fc;
    c.mode = kModeInterference;
    c.plane.points.resize(1);
    c.plane.points[0].x = at.x, c.plane.points[0].y = at.y, c.plane.points[0].z = at.z;
    c.plane.pointCount = 1;
    for (bool vector : {true, false}) {
        EnableVectorKernels(vector);
        CColorMapCondition map = c;
        EXPECT_EQ(CalculateMap(scene, map, nullptr, {EMapEngineKind::Engine, 1}).status,
                  ECalcStatus::Completed);
        levels.push_back(map.plane.points[0].level);
    }
    EnableVectorKernels(true);
    EXPECT_EQ(EngineBandPressure(scene, kModeInterference, at, b, pressure), kBandOk);
    levels.push_back(PressureLevel(pressure));
    std::vector<double> centres, bands;
    std::string why;
    if (spectrum) {
        EXPECT_TRUE(EnginePointSpectrum(scene, c, at, centres, bands, &why)) << why;
        for (std::size_t i = 0; i < centres.size(); ++i)
            if (std::fabs(centres[i] / fc - 1.0) < 1e-9)
                levels.push_back(bands[i]);
    }
    CLivePreview preview(scene, c, moving, 1);
    std::vector<double> previewed;
    EXPECT_TRUE(preview.Update(previewed, 1));
    levels.insert(levels.end(), previewed.begin(), previewed.end());
    EXPECT_EQ(levels.size(), spectrum ? 6u : 5u);
    return levels;
}

// Two omnidirectional speakers 2 m apart, both 6 m from a point on their symmetry line; the
// band around 1 kHz holds the single data frequency 1000 Hz.
struct Twins {
    CTestScene t;
    const CVec3 point{6.0, 0.0, 2.0};
    Twins() {
        const int omni = t.AddModel(OmniSpeaker(90, 3));
        t.Install(omni, {0, -1, 2});
        t.Install(omni, {0, 1, 2});
        t.room.ceilingType = 0;
    }
    void Delay(int k, double ms) {
        EditInstalled(t.room, k, [&](CInstallationElement& e) { e.delay = ms; });
    }
};
} // namespace

TEST(InstallationDelay, HalfAPeriodCancelsATwinAndACommonDelayChangesNothing) {
    Twins twins;
    ASSERT_EQ(BandIndices(3, 1000, 3).Count(), 1);
    ASSERT_EQ(ModelFrequency(30, 3), 1000.0);
    const std::vector<double> aligned = LevelsEverywhere(twins.t, 3, 1000, twins.point, 1);
    // 0.5 ms is half a period of 1000 Hz: the twin arrives in antiphase.
    twins.Delay(1, 0.5);
    const std::vector<double> opposed = LevelsEverywhere(twins.t, 3, 1000, twins.point, 1);
    // Both delayed alike (by a time that is no whole number of periods): in phase again.
    twins.Delay(0, 7.3);
    twins.Delay(1, 7.3);
    const std::vector<double> together = LevelsEverywhere(twins.t, 3, 1000, twins.point, 1);
    for (std::size_t i = 0; i < aligned.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "path " << i);
        EXPECT_NEAR(aligned[i], aligned[0], 1e-9);
        EXPECT_GT(aligned[i] - opposed[i], 40.0);
        EXPECT_NEAR(together[i], aligned[i], 1e-9);
    }
    // A quarter period leaves them 90 degrees apart: 3 dB below the aligned pair. (At 10 kHz
    // that is two and a half periods, where the spectrum may rightly find no finite level.)
    twins.Delay(0, 0.0);
    twins.Delay(1, 0.25);
    const std::vector<double> quarter = LevelsEverywhere(twins.t, 3, 1000, twins.point, 1, false);
    ASSERT_EQ(quarter.size() + 1, aligned.size());
    for (std::size_t i = 0; i < quarter.size(); ++i)
        EXPECT_NEAR(aligned[i] - quarter[i], 10 * std::log10(2.0), 1e-9) << "path " << i;
}

TEST(InstallationDelay, ADelayIsALongerPathWithoutItsLoss) {
    // A directional speaker delayed by tau against the same speaker moved c * tau further back
    // along the line to the receiver (so it is seen from the same direction), its power raised
    // by the square of the distance ratio to undo the longer path's loss; an undelayed omni
    // speaker beside both makes the phase count.
    for (int unit : {kUnitMetric, kUnitImperial}) {
        SCOPED_TRACE(testing::Message() << "unit " << unit);
        const double u = unit == kUnitImperial ? kMetresToFeet : 1.0;
        const double tau = 2.9; // ms: a path of 0.9976 m
        const CVec3 receiver = CVec3{5.0, 3.0, 1.2} * u;
        const CVec3 place = CVec3{1.0, 0.5, 2.5} * u;
        const CVec3 away = (place - receiver) * (1.0 / (place - receiver).Length());
        const double r = (place - receiver).Length() / u; // metres
        const double longer = r + 344.0 * tau / 1000.0;
        CTestScene delayed, moved;
        for (CTestScene* t : {&delayed, &moved}) {
            t->lengthUnit = unit;
            const int wall = t->AddModel(DirectionalSpeaker(0, 3));
            const int omni = t->AddModel(OmniSpeaker(88, 3));
            t->room.ceilingType = 0;
            t->Install(omni, CVec3{4.0, 0.5, 2.0} * u);
            if (t == &delayed)
                t->Install(wall, place, {30, 10, 15}, 2.0, true, tau);
            else
                t->Install(wall, place + away * ((longer - r) * u), {30, 10, 15},
                           2.0 * (longer / r) * (longer / r));
        }
        for (double band : {3.0, 1.0}) {
            const std::vector<double> a = LevelsEverywhere(delayed, band, 1000, receiver, 1);
            const std::vector<double> b = LevelsEverywhere(moved, band, 1000, receiver, 1);
            for (std::size_t i = 0; i < a.size(); ++i)
                EXPECT_NEAR(a[i], b[i], 1e-9) << "band " << band << " path " << i;
        }
    }
}

TEST(InstallationDelay, EnergyMapsIgnoreDelaysToTheBitAndInterferenceMapsFollowThem) {
    CTestScene delayed, plain;
    FurnishLineArrays(delayed, kUnitMetric);
    FurnishLineArrays(plain, kUnitMetric);
    for (int k = 0; k < plain.room.Count(); ++k)
        EditInstalled(plain.room, k, [](CInstallationElement& e) { e.delay = 0.0; });
    ASSERT_NE(delayed.room.At(5)->delay, 0.0);
    for (EMapEngineKind kind : {EMapEngineKind::Engine, EMapEngineKind::Reference})
        for (int mode : {kModeEnergy, kModeInterference}) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << " reference "
                                            << (kind == EMapEngineKind::Reference));
            CColorMapCondition a;
            a.band = 3;
            a.centreFrequency = 500;
            a.mode = mode;
            a.plane.Build(0, 0, 1.2, 10, 8, 0, 1.0, 100, 2);
            CColorMapCondition b = a;
            ASSERT_EQ(CalculateMap(delayed.Scene(), a, nullptr, {kind, 2}).status,
                      ECalcStatus::Completed);
            ASSERT_EQ(CalculateMap(plain.Scene(), b, nullptr, {kind, 2}).status,
                      ECalcStatus::Completed);
            int moved = 0;
            for (std::size_t i = 0; i < a.plane.points.size(); ++i) {
                if (mode == kModeEnergy) {
                    ASSERT_EQ(a.plane.points[i].level, b.plane.points[i].level) << "point " << i;
                }
                moved += std::fabs(a.plane.points[i].level - b.plane.points[i].level) > 1.0;
            }
            if (mode == kModeInterference) {
                EXPECT_GT(moved, 5);
            }
        }
}

namespace {
// A main speaker at x = 0 and a fill 17.2 m away at x = 17.2, delayed by 5 ms, both omni and 2 m
// high without a ceiling; 3.44 m of path is 10 ms. A third installation of power 0 sits between
// them and sends nothing. Points on the line between them, 3.44, 6.88, 10.32 and 13.76 m from
// the main: the main (25 W) arrives at 10, 20, 30 and 40 ms, the fill (1 W) at 45, 35, 25 and
// 15 ms. Band energies go with power / r^2: the main is louder at the first three points (25/9
// against 1/4 at the third) and at the last (25/16 against 1).
struct Corridor {
    CTestScene t;
    CColorMapCondition c;
    explicit Corridor(int unit) {
        t.lengthUnit = unit;
        const double u = unit == kUnitImperial ? kMetresToFeet : 1.0;
        const int omni = t.AddModel(OmniSpeaker(90, 3));
        t.Install(omni, CVec3{0, 0, 2} * u, {}, 25.0);
        t.Install(omni, CVec3{17.2, 0, 2} * u, {180, 0, 0}, 1.0, true, 5.0);
        t.Install(omni, CVec3{8.0, 0, 2} * u, {}, 0.0);
        t.room.ceilingType = 0;
        t.room.roomHeight = 6 * u;
        c.band = 1;
        c.centreFrequency = 1000;
        for (double x : {3.44, 6.88, 10.32, 13.76}) {
            CPlaceElement p;
            p.x = x * u, p.y = 0, p.z = 2 * u;
            c.plane.points.push_back(p);
        }
        c.plane.pointCount = 4;
    }
    std::vector<double> Map(EMapQuantity quantity, EMapEngineKind kind) {
        c.quantity = quantity;
        EXPECT_EQ(CalculateMap(t.Scene(), c, nullptr, {kind, 2}).status, ECalcStatus::Completed);
        std::vector<double> values;
        for (const CPlaceElement& p : c.plane.points)
            values.push_back(p.level);
        return values;
    }
};
} // namespace

TEST(ArrivalMap, FirstArrivalsAndTheLoudestSoundsLatenessOnAHandComputedCorridor) {
    const std::vector<double> first = {10, 20, 25, 15}, late = {0, 0, 5, 25};
    for (int unit : {kUnitMetric, kUnitImperial})
        for (EMapEngineKind kind : {EMapEngineKind::Engine, EMapEngineKind::Reference})
            for (int ceiling : {0, 1}) {
                SCOPED_TRACE(testing::Message()
                             << "unit " << unit << " reference "
                             << (kind == EMapEngineKind::Reference) << " ceiling " << ceiling);
                Corridor corridor(unit);
                corridor.t.room.ceilingType = ceiling; // no direct sound; the energies shift
                const std::vector<double> arrival = corridor.Map(EMapQuantity::Arrival, kind);
                const CListeningPlane& plane = corridor.c.plane;
                for (std::size_t i = 0; i < first.size(); ++i)
                    EXPECT_NEAR(arrival[i], first[i], 1e-9) << "point " << i;
                EXPECT_NEAR(plane.minimumLevel, 10, 1e-9);
                EXPECT_NEAR(plane.maximumLevel, 25, 1e-9);
                EXPECT_NEAR(plane.pinkNoiseAverage, 17.5, 1e-9); // the mean
                EXPECT_EQ(plane.musicSpeechAverage, 0.0);
                if (ceiling)
                    continue;
                const std::vector<double> lateness = corridor.Map(EMapQuantity::LateLoudest, kind);
                for (std::size_t i = 0; i < late.size(); ++i)
                    EXPECT_NEAR(lateness[i], late[i], 1e-9) << "point " << i;
                EXPECT_NEAR(plane.minimumLevel, 0, 1e-9);
                EXPECT_NEAR(plane.maximumLevel, 25, 1e-9);
                EXPECT_NEAR(plane.pinkNoiseAverage, 7.5, 1e-9);
                EXPECT_EQ(plane.musicSpeechAverage, 0.25); // one point of four above 20 ms
            }
}

TEST(ArrivalMap, DelaysMoveArrivalsAndOnlyLateLoudestNeedsTheBand) {
    Corridor corridor(kUnitMetric);
    // The fill 10 ms later: at the last point it now arrives at 25 ms, after the main's 40 less
    // 15 ms, so the loudest (the main) is 15 ms late there instead of 25.
    EditInstalled(corridor.t.room, 1, [](CInstallationElement& e) { e.delay = 15.0; });
    const std::vector<double> arrival = corridor.Map(EMapQuantity::Arrival, EMapEngineKind::Engine);
    EXPECT_NEAR(arrival[3], 25, 1e-9);
    EXPECT_NEAR(arrival[2], 30, 1e-9); // main 30, fill 35
    const std::vector<double> late =
        corridor.Map(EMapQuantity::LateLoudest, EMapEngineKind::Engine);
    EXPECT_NEAR(late[3], 15, 1e-9);
    EXPECT_NEAR(late[2], 0, 1e-9);
    EXPECT_EQ(corridor.c.plane.musicSpeechAverage, 0.0);

    // A band between the model's data frequencies: the lateness has no levels to compare and
    // fails, naming the band, and keeps its statistics 0; the first arrival does not need them.
    corridor.c.band = 24;
    corridor.c.centreFrequency = 1090;
    corridor.c.quantity = EMapQuantity::LateLoudest;
    const CMapResult failed = CalculateMap(corridor.t.Scene(), corridor.c, nullptr);
    EXPECT_EQ(failed.status, ECalcStatus::Failed);
    EXPECT_NE(failed.reason.find("band"), std::string::npos);
    EXPECT_EQ(corridor.c.plane.maximumLevel, 0.0);
    corridor.Map(EMapQuantity::Arrival, EMapEngineKind::Engine);

    // Nothing radiates: no arrival to show.
    for (int k = 0; k < 2; ++k)
        EditInstalled(corridor.t.room, k, [](CInstallationElement& e) { e.power = 0.0; });
    const CMapResult silent = CalculateMap(corridor.t.Scene(), corridor.c, nullptr);
    EXPECT_EQ(silent.status, ECalcStatus::Failed);
    EXPECT_NE(silent.reason.find("radiates"), std::string::npos);
}

TEST(ArrivalMap, TheEngineFindsTheLoudestLineArrayAsTheReferenceDoes) {
    CTestScene t;
    FurnishLineArrays(t, kUnitMetric);
    t.room.ceilingType = 1;
    CColorMapCondition engine;
    engine.band = 1;
    engine.centreFrequency = 1000;
    engine.quantity = EMapQuantity::LateLoudest;
    engine.plane.Build(0, 0, 1.2, 10, 8, 0, 0.5, 100, 2);
    CColorMapCondition reference = engine;
    ASSERT_EQ(CalculateMap(t.Scene(), engine, nullptr, {EMapEngineKind::Engine, 2}).status,
              ECalcStatus::Completed);
    ASSERT_EQ(CalculateMap(t.Scene(), reference, nullptr, {EMapEngineKind::Reference, 1}).status,
              ECalcStatus::Completed);
    int late = 0;
    for (std::size_t i = 0; i < engine.plane.points.size(); ++i) {
        ASSERT_NEAR(engine.plane.points[i].level, reference.plane.points[i].level, 1e-9) << i;
        late += engine.plane.points[i].level > 0.0;
    }
    EXPECT_GT(late, 10); // the loudest array is not always the first to arrive
    EXPECT_EQ(engine.plane.musicSpeechAverage, reference.plane.musicSpeechAverage);
}
