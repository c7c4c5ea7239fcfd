#include "acoustics/MapEngine.h"
#include "SceneFixtures.h"
#include "acoustics/ColorMapCondition.h"
#include "acoustics/MapCalculation.h"
#include "acoustics/PointResponse.h"
#include "common/Units.h"
#include "speaker/SpeakerModelContainer.h"

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

void CompareOnce(const CTestScene& t, CColorMapCondition& condition, int threads);

// Runs the comparison once with the vector kernels (where the processor has them) and once on
// the scalar path every processor takes.
class KernelSwitch {
public:
    explicit KernelSwitch(bool vector) { EnableVectorKernels(vector); }
    ~KernelSwitch() { EnableVectorKernels(true); }
};

void CompareWithReference(const CTestScene& t, CColorMapCondition condition, int threads) {
    for (bool vector : {true, false}) {
        SCOPED_TRACE(vector ? "vector kernels" : "scalar kernels");
        KernelSwitch kernels(vector);
        ASSERT_EQ(VectorKernelsEnabled(), vector && VectorKernelsAvailable());
        CColorMapCondition engine = condition;
        CompareOnce(t, engine, threads);
    }
}

void CompareOnce(const CTestScene& t, CColorMapCondition& condition, int threads) {
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

namespace {
// A receiver at `distance` from the first element of installation k in the balloon direction
// (theta, phi) of that element, so the engine meets grid values, poles and the axis exactly.
CPlaceElement AtDirection(const CTestScene& t, int k, double theta, double phi, double distance) {
    const CInstallationElement& inst = *t.room.list.At(k);
    const CSpeakerElement& element = t.models.At(inst.modelIndex).Elements()[0];
    const CElementFrame frame = ElementFrame(element, inst.orientation);
    const CVec3 p = inst.position + frame.offset +
                    RotationMatrix(frame.world) * (BalloonDirection(theta, phi) * distance);
    CPlaceElement e;
    e.x = p.x, e.y = p.y, e.z = p.z;
    return e;
}
} // namespace

TEST(MapEngine, ReceiversOnGridDirectionsPolesAxisAndBehindMatch) {
    for (int unit : {kUnitMetric, kUnitImperial}) {
        CTestScene t;
        Furnish(t, unit);
        const double u = unit == kUnitImperial ? kMetresToFeet : 1.0;
        CColorMapCondition c;
        c.band = 3;
        c.centreFrequency = 1000;
        c.plane.Build(0, 0, 1.2 * u, 6 * u, 4 * u, 0, 0.5 * u, 100, 2);
        // Ceiling speaker 0 and the tilted wall speaker 4: every stored theta at stored and
        // in-between phi, the poles (on axis and straight behind) and points near them.
        std::vector<CPlaceElement> points;
        for (int k : {0, 4}) {
            const CSpeakerElement& element =
                t.models.At(t.room.list.At(k)->modelIndex).Elements()[0];
            const std::vector<double>& thetas = element.Header().thetaGrid;
            const std::vector<double>& phis = element.Balloon().phiGrid;
            for (std::size_t i = 0; i < thetas.size(); ++i)
                for (double phi : {phis[i % phis.size()], phis[(i + 1) % phis.size()] + 2.5})
                    points.push_back(AtDirection(t, k, thetas[i], phi, 1.7 * u));
            for (double theta : {0.0, 180.0, 1e-7, 180.0 - 1e-7, 0.00001, 90.0})
                for (double phi : {0.0, 90.0, 359.99})
                    points.push_back(AtDirection(t, k, theta, phi, 0.9 * u));
        }
        c.plane.points = points;
        c.plane.pointCount = static_cast<int>(points.size());
        for (int mode : {kModeEnergy, kModeInterference})
            for (bool ceiling : {true, false}) {
                SCOPED_TRACE(testing::Message()
                             << "unit " << unit << " mode " << mode << " ceiling " << ceiling);
                t.room.ceilingType = ceiling ? 1 : 0;
                c.mode = mode;
                CompareWithReference(t, c, 2);
            }
    }
}

TEST(MapEngine, BandsOfOneToThreeFrequenciesMatch) {
    CTestScene t;
    Furnish(t, kUnitMetric);
    for (const auto& [band, frequencies] : {std::pair{3.0, 1}, {1.5, 2}, {1.0, 3}}) {
        ASSERT_EQ(BandIndices(band, 1000, 3).Count(), frequencies);
        for (int mode : {kModeEnergy, kModeInterference}) {
            SCOPED_TRACE(testing::Message() << "band " << band << " mode " << mode);
            CColorMapCondition c;
            c.band = band;
            c.centreFrequency = 1000;
            c.mode = mode;
            c.plane.Build(0, 0, 1.2, 6, 4, 0, 0.35, 100, 2);
            CompareWithReference(t, c, 1);
        }
    }
}

TEST(MapEngine, AnOnDemandEngineAnswersOnlyForPointsItWasPreparedFor) {
    CTestScene t;
    Furnish(t, kUnitMetric);
    const CBandIndexRange band = BandIndices(1, 1000, 3);
    CMapEngine engine(t.Scene(), kModeEnergy, band, CMapEngine::ETables::OnDemand);
    std::vector<double> re(static_cast<std::size_t>(engine.Padded())), im(re.size());
    EXPECT_FALSE(engine.AddInstallation(0, {2.5, 2, 1.2}, re.data(), im.data()));
    engine.PrepareFor({2.5, 2, 1.2});
    for (int k = 0; k < engine.InstallationCount(); ++k)
        EXPECT_TRUE(engine.AddInstallation(k, {2.5, 2, 1.2}, re.data(), im.data()));
    double pressure = 0, reference = 0;
    CMapEngine::Scratch scratch = engine.MakeScratch();
    ASSERT_EQ(engine.PointPressure({2.5, 2, 1.2}, pressure, scratch), kBandOk);
    BandPressure(t.Scene(), kModeEnergy, {2.5, 2, 1.2}, band.start, band.end, band.pitch,
                 reference);
    EXPECT_NEAR(PressureLevel(pressure), PressureLevel(reference), 1e-9);
}

TEST(EngineKernel, VectorPhasesInEveryQuadrantMatchTheScalarPath) {
    if (!VectorKernelsAvailable())
        GTEST_SKIP() << "this processor takes the scalar path only";
    // Stored phases over several turns, on and next to multiples of 45 and 90 degrees, levels
    // far beyond any speaker's, with and without reverse polarity and delay; every lane of four
    // frequencies.
    std::vector<double> phases, levels, frequencies;
    for (double p = -900.0; p <= 900.0; p += 22.5)
        for (double nudge : {0.0, 1e-9, -3e-7, 7.3})
            phases.push_back(p + nudge);
    for (std::size_t j = 0; j < phases.size(); ++j) {
        levels.push_back(-150.0 + 13.7 * static_cast<double>(j % 31)); // -150 to 261 dB
        frequencies.push_back(100.0 + 37.0 * static_cast<double>(j));
    }
    const int padded = PaddedCount(static_cast<int>(phases.size()));
    phases.resize(static_cast<std::size_t>(padded), 0.0);
    levels.resize(phases.size(), 0.0);
    frequencies.resize(phases.size(), 0.0);
    for (bool reverse : {false, true})
        for (double delay : {0.0, 0.0123}) {
            CPassKernel k;
            k.level[0] = levels.data();
            k.phase[0] = phases.data();
            k.delay = delay;
            k.r = 2.5;
            k.scale = 1.7;
            k.reverse = reverse;
            std::vector<double> re[2], im[2];
            for (bool vector : {false, true}) {
                KernelSwitch kernels(vector);
                re[vector].assign(phases.size(), 0.0);
                im[vector].assign(phases.size(), 0.0);
                AddPassResponse(k, frequencies.data(), padded, re[vector].data(),
                                im[vector].data());
            }
            for (std::size_t j = 0; j < phases.size(); ++j) {
                const double magnitude = std::hypot(re[0][j], im[0][j]);
                ASSERT_GT(magnitude, 0.0);
                EXPECT_NEAR(re[1][j], re[0][j], 1e-14 * magnitude) << "phase " << phases[j];
                EXPECT_NEAR(im[1][j], im[0][j], 1e-14 * magnitude) << "phase " << phases[j];
            }
        }
}
