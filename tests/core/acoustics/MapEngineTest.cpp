#include "acoustics/MapEngine.h"
#include "SceneFixtures.h"
#include "VsaImport.h"
#include "acoustics/ColorMapCondition.h"
#include "acoustics/MapCalculation.h"
#include "acoustics/PointResponse.h"
#include "acoustics/WorkerPool.h"
#include "common/MathUtil.h"
#include "common/Units.h"
#include "speaker/SpeakerModel.h"
#include "speaker/SpeakerModelContainer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace {
struct Variant {
    int mode;
    bool ceiling;
    int unit;
};

// A room with ceiling speakers aimed down, a wall speaker aimed across with reverse polarity and
// one installed at a point of the plane, so exact hits, poles and the sentinel all occur.
void Furnish(CTestScene& t, int unit, int pointsPerOctave = 3) {
    t.lengthUnit = unit;
    const double u = unit == kUnitImperial ? kMetresToFeet : 1.0;
    const int ceiling = t.AddModel(DirectionalSpeaker(1, pointsPerOctave));
    const int wall = t.AddModel(DirectionalSpeaker(0, pointsPerOctave));
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

TEST(MapEngine, LineArraysOfEveryFamilyWithTheirWeightsPowersAndDelaysMatch) {
    for (int unit : {kUnitMetric, kUnitImperial}) {
        CTestScene t;
        FurnishLineArrays(t, unit);
        const double u = unit == kUnitImperial ? kMetresToFeet : 1.0;
        for (int mode : {kModeEnergy, kModeInterference})
            for (int ceiling : {0, 1}) {
                SCOPED_TRACE(testing::Message()
                             << "unit " << unit << " mode " << mode << " ceiling " << ceiling);
                t.room.ceilingType = ceiling;
                CColorMapCondition c;
                c.band = 1;
                c.centreFrequency = 1000;
                c.mode = mode;
                c.plane.Build(0, 0, 1.2 * u, 10 * u, 8 * u, 0, 0.9 * u, 100, 2);
                CompareWithReference(t, c, 2);
            }
    }
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
    const CInstallationElement& inst = *t.room.At(k);
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
            const CSpeakerElement& element = t.models.At(t.room.At(k)->modelIndex).Elements()[0];
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

TEST(MapEngine, OctaveThirdOctaveAndSingleFrequencyBandsOfFineDataMatch) {
    CTestScene t;
    Furnish(t, kUnitMetric, 24);
    // 24, 8 and 1 data frequencies: six and two vector steps, and one with three idle lanes.
    for (const auto& [band, frequencies] : {std::pair{1.0, 24}, {3.0, 8}, {24.0, 1}}) {
        ASSERT_EQ(BandIndices(band, 1000, 24).Count(), frequencies) << "band " << band;
        for (int mode : {kModeEnergy, kModeInterference}) {
            SCOPED_TRACE(testing::Message() << "band " << band << " mode " << mode);
            CColorMapCondition c;
            c.band = band;
            c.centreFrequency = 1000;
            c.mode = mode;
            c.plane.Build(0, 0, 1.2, 6, 4, 0, 0.45, 100, 2);
            CompareWithReference(t, c, 2);
        }
    }
}

namespace {
// The generated ceiling speaker with a theta of 15 moved to 14 and the phi of 30 to 33, so
// neither grid is evenly spaced.
int AddUnevenModel(CTestScene& t) {
    std::string text = GenerateVsa(DirectionalSpeaker(1, 3));
    const std::size_t theta = text.find("\n0,15,30,");
    const std::size_t phi = text.find("\n30\n");
    if (theta == std::string::npos || phi == std::string::npos)
        throw std::runtime_error("the generated grids changed");
    text.replace(theta, 9, "\n0,14,30,");
    text.replace(phi, 4, "\n33\n");
    std::string reason;
    std::unique_ptr<CSpeakerModel> model = ReadSpeakerText(text, 0, &reason);
    if (!model)
        throw std::runtime_error(reason);
    t.models.Append(std::move(model));
    return t.models.Count() - 1;
}
} // namespace

TEST(MapEngine, UnevenGridsAreSearchedAndMatchTheReference) {
    CTestScene t;
    const int uneven = AddUnevenModel(t);
    const CSpeakerElement& element = t.models.At(uneven).Elements()[0];
    ASSERT_EQ(element.Header().thetaGrid[1], 14.0);
    ASSERT_EQ(element.Balloon().phiGrid[1], 33.0);
    const int even = t.AddModel(DirectionalSpeaker(0, 3));
    t.Install(uneven, {1.5, 1.0, 3.0}, {0, 0, 90}, 3.0);
    t.Install(uneven, {4.5, 3.0, 3.0}, {30, 10, 60}, 2.0, false);
    t.Install(even, {0.0, 2.0, 2.2}, {-20, 15, 12}, 10.0);
    t.room.roomHeight = 3.0;
    for (bool ceiling : {true, false})
        for (int mode : {kModeEnergy, kModeInterference}) {
            SCOPED_TRACE(testing::Message() << "ceiling " << ceiling << " mode " << mode);
            t.room.ceilingType = ceiling ? 1 : 0;
            CColorMapCondition c;
            c.band = 3;
            c.centreFrequency = 1000;
            c.mode = mode;
            c.plane.Build(0, 0, 1.2, 6, 4, 0, 0.25, 100, 2);
            CompareWithReference(t, c, 2);
        }
}

TEST(MapEngine, PointsTakenFourAtATimeEqualPointsTakenAlone) {
    CTestScene t;
    Furnish(t, kUnitMetric);
    t.room.ceilingType = 1;
    // At a speaker, a nanometre and a micrometre below it, far away, on its axis and across
    // the room, in groups of every size.
    const std::vector<CVec3> points = {{1.5, 1.0, 3.0},   {1.5, 1.0, 3.0 - 1e-9}, {2.5, 2.0, 1.2},
                                       {1.5, 1.0, 1e-6},  {1.5, 1.0, 3.0 - 1e-6}, {4e4, -3e4, 1.2},
                                       {3.25, 2.25, 1.2}, {0.1, 3.9, 0.0},        {5.9, 0.2, 2.9}};
    for (bool vector : {true, false}) {
        KernelSwitch kernels(vector);
        for (int mode : {kModeEnergy, kModeInterference}) {
            SCOPED_TRACE(testing::Message() << "vector " << vector << " mode " << mode);
            const CBandIndexRange band = BandIndices(3, 1000, 3);
            const CMapEngine engine(t.Scene(), mode, band);
            CMapEngine::Scratch scratch = engine.MakeScratch();
            // The same tables converted on two workers of a pool, cell by cell in any order.
            CWorkerPool pool(2);
            const CMapEngine prepared(t.Scene(), mode, band, CMapEngine::ETables::All, {}, &pool,
                                      2);
            CMapEngine::Scratch preparedScratch = prepared.MakeScratch();
            for (int count = 1; count <= kKernelLanes; ++count)
                for (std::size_t first = 0;
                     first + static_cast<std::size_t>(count) <= points.size(); ++first) {
                    double pressures[kKernelLanes];
                    int statuses[kKernelLanes];
                    engine.PointPressures(&points[first], count, pressures, statuses, scratch);
                    for (int lane = 0; lane < count; ++lane) {
                        const CVec3& p = points[first + static_cast<std::size_t>(lane)];
                        double alone = 0.0, reference = 0.0;
                        ASSERT_EQ(engine.PointPressure(p, alone, scratch), kBandOk);
                        double onWorkers = 0.0;
                        ASSERT_EQ(prepared.PointPressure(p, onWorkers, preparedScratch), kBandOk);
                        EXPECT_EQ(onWorkers, alone);
                        ASSERT_EQ(statuses[lane], kBandOk);
                        EXPECT_EQ(pressures[lane], alone) << "lane " << lane << " of " << count;
                        BandPressure(t.Scene(), mode, p, band.start, band.end, band.pitch,
                                     reference);
                        EXPECT_NEAR(PressureLevel(alone), PressureLevel(reference), 1e-9)
                            << p.x << " " << p.y << " " << p.z;
                    }
                }
        }
    }
}

TEST(MapEngine, AModelLackingAFrequencyFailsEveryLaneButTheOneAtItsSource) {
    CTestScene t;
    const int sparse = t.AddModel(DirectionalSpeaker(1, 1)); // lacks two of three frequencies
    ASSERT_EQ(t.models.At(sparse).Elements().size(), 1u);
    t.Install(sparse, {2.0, 2.0, 2.5}, {0, 0, 30});
    t.room.ceilingType = 0; // an image pass would read the balloon
    const CBandIndexRange band = BandIndices(1, 1000, 3);
    const CMapEngine engine(t.Scene(), kModeEnergy, band);
    CMapEngine::Scratch scratch = engine.MakeScratch();
    // The element's acoustic centre lies off the installation point.
    const CVec3 source =
        t.room.At(0)->position +
        ElementFrame(t.models.At(sparse).Elements()[0], t.room.At(0)->orientation).offset;
    const CVec3 points[] = {{1, 1, 1}, source, {3, 1, 1.2}};
    double pressures[3];
    int statuses[3];
    engine.PointPressures(points, 3, pressures, statuses, scratch);
    for (int lane = 0; lane < 3; ++lane) {
        double reference = 0.0;
        EXPECT_EQ(statuses[lane], BandPressure(t.Scene(), kModeEnergy, points[lane], band.start,
                                               band.end, band.pitch, reference))
            << "lane " << lane;
    }
    EXPECT_EQ(statuses[1], kBandOk); // the zero-distance value reads no balloon
    EXPECT_EQ(statuses[0], kBandFailed);
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

TEST(MapEngine, AnOnDemandEngineNeverAnswersWithRowsItHasNotBuilt) {
    CTestScene t;
    Furnish(t, kUnitMetric);
    t.room.ceilingType = 1;
    const CBandIndexRange band = BandIndices(3, 1000, 3);
    CMapEngine engine(t.Scene(), kModeInterference, band, CMapEngine::ETables::OnDemand);
    CMapEngine::Scratch scratch = engine.MakeScratch();
    // Prepared for a few points, then asked about points near them: each answer either fails
    // or is the reference's.
    for (const CVec3& p : {CVec3{2.5, 2, 1.2}, CVec3{1.0, 3.1, 0.4}})
        engine.PrepareFor(p);
    std::mt19937 random(5);
    std::uniform_real_distribution<double> nudge(-0.3, 0.3);
    int answered = 0, failed = 0;
    for (int i = 0; i < 400; ++i) {
        const CVec3 p = i % 2 ? CVec3{2.5 + nudge(random), 2 + nudge(random), 1.2}
                              : CVec3{1.0 + nudge(random), 3.1 + nudge(random), 0.4};
        double pressure = 0.0, reference = 0.0;
        if (engine.PointPressure(p, pressure, scratch) != kBandOk) {
            ++failed;
            continue;
        }
        ++answered;
        BandPressure(t.Scene(), kModeInterference, p, band.start, band.end, band.pitch, reference);
        ASSERT_NEAR(PressureLevel(pressure), PressureLevel(reference), 1e-9)
            << p.x << " " << p.y << " " << p.z;
    }
    EXPECT_GT(answered, 0);
    EXPECT_GT(failed, 0);
}

TEST(MapEngine, AnOnDemandEngineBuildsTheNeighbourRowsOfACellOneByOne) {
    // One speaker, no ceiling: one pass. Receivers on two stored thetas convert all four corners
    // of a cell but build only its next phi's row; one between them needs the other two.
    CTestScene t;
    const int model = t.AddModel(DirectionalSpeaker(1, 3));
    t.Install(model, {3.0, 2.0, 3.0}, {0, 0, 90}, 3.0);
    t.room.ceilingType = 0;
    const CSpeakerElement& element = t.models.At(model).Elements()[0];
    const double theta = element.Header().thetaGrid[2], phi = element.Balloon().phiGrid[1] + 2.5;
    const CPlaceElement onTheta = AtDirection(t, 0, theta, phi, 1.7);
    const CPlaceElement nextTheta = AtDirection(t, 0, element.Header().thetaGrid[3], phi, 1.7);
    const CPlaceElement offTheta = AtDirection(t, 0, theta + 1.5, phi, 1.7);
    const CBandIndexRange band = BandIndices(3, 1000, 3);
    CMapEngine engine(t.Scene(), kModeEnergy, band, CMapEngine::ETables::OnDemand);
    CMapEngine::Scratch scratch = engine.MakeScratch();
    engine.PrepareFor({onTheta.x, onTheta.y, onTheta.z});
    engine.PrepareFor({nextTheta.x, nextTheta.y, nextTheta.z});
    double pressure = 0.0, reference = 0.0;
    const CVec3 off{offTheta.x, offTheta.y, offTheta.z};
    EXPECT_EQ(engine.PointPressure(off, pressure, scratch), kBandFailed);
    engine.PrepareFor(off);
    ASSERT_EQ(engine.PointPressure(off, pressure, scratch), kBandOk);
    BandPressure(t.Scene(), kModeEnergy, off, band.start, band.end, band.pitch, reference);
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
    // The weighted corners: the rows turned round and shifted, phases up to a turn apart.
    std::vector<double> otherLevels[3], otherPhases[3];
    for (int c = 0; c < 3; ++c)
        for (std::size_t j = 0; j < phases.size(); ++j) {
            const std::size_t from = (j * (c + 2) + 5) % phases.size();
            otherLevels[c].push_back(levels[from] * 0.9);
            otherPhases[c].push_back(phases[j] + 170.0 * (c - 1) + 0.01 * phases[from]);
        }
    for (bool exact : {true, false})
        for (bool reverse : {false, true})
            for (double delay : {0.0, 0.0123}) {
                CPassKernel k;
                k.level[0] = levels.data();
                k.phase[0] = phases.data();
                k.exact = exact;
                const double weights[4] = {0.4, 0.3, 0.2, 0.1};
                for (int c = 0; c < 3; ++c) {
                    k.level[c + 1] = otherLevels[c].data();
                    k.phase[c + 1] = otherPhases[c].data();
                }
                for (int c = 0; c < 4; ++c)
                    k.weight[c] = weights[c];
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
                    EXPECT_NEAR(re[1][j], re[0][j], 1e-14 * magnitude)
                        << "phase " << phases[j] << " exact " << exact;
                    EXPECT_NEAR(im[1][j], im[0][j], 1e-14 * magnitude)
                        << "phase " << phases[j] << " exact " << exact;
                }
            }
}

namespace {
// The grids of a generated model's first element with their tables.
struct GridOf {
    std::vector<double> directions, trig;
    CBalloonGrid grid;
    explicit GridOf(const CSpeakerElement& element) {
        const std::vector<double>& theta = element.Header().thetaGrid;
        const std::vector<double>& phi = element.Balloon().phiGrid;
        grid.theta = theta.data();
        grid.thetaCount = static_cast<int>(theta.size());
        grid.thetaAscending = true;
        grid.thetaPerStep = 1.0 / (theta[1] - theta[0]);
        grid.phi = phi.data();
        grid.phiCount = static_cast<int>(phi.size());
        grid.phiAscending = true;
        grid.phiPerStep = 1.0 / (phi[1] - phi[0]);
        FillGridTables(grid, directions, trig);
    }
};
} // namespace

TEST(EngineKernel, EvenBracketsFindWhatTheSearchFinds) {
    // 0..180 in steps of 15 and 0..330 in steps of 30, one value a hair off its place.
    std::vector<double> theta, phi;
    for (int i = 0; i <= 12; ++i)
        theta.push_back(15.0 * i);
    for (int i = 0; i < 12; ++i)
        phi.push_back(30.0 * i);
    phi[5] += 4e-10;
    for (const std::vector<double>* grid : {&theta, &phi}) {
        const double step = (*grid)[1] - (*grid)[0];
        std::vector<double> xs = {-1.0,
                                  -1e-5,
                                  -0.99e-5,
                                  1e-300,
                                  grid->back() + 0.99e-5,
                                  grid->back() + 1e-5,
                                  grid->back() + 7.0,
                                  400.0,
                                  std::numeric_limits<double>::quiet_NaN()};
        for (double g : *grid)
            for (double nudge : {0.0, 0.5e-5, -0.5e-5, 1e-5, -1e-5, 1.0001e-5, -1.0001e-5, 2e-5,
                                 -2e-5, step / 2, step / 3, -step / 3})
                xs.push_back(g + nudge);
        const int count = static_cast<int>(grid->size());
        for (double x : xs) {
            const CBracket even = EvenBracket(grid->data(), count, 1.0 / step, x);
            const CBracket search = BracketSearch(grid->data(), count, x);
            EXPECT_EQ(even.loIndex, search.loIndex) << x;
            EXPECT_EQ(even.hiIndex, search.hiIndex) << x;
            EXPECT_EQ(even.exact, search.exact) << x;
            EXPECT_EQ(even.lo, search.lo) << x;
            EXPECT_EQ(even.hi, search.hi) << x;
        }
    }
}

namespace {
// LocatePass with and without the vector path for receivers around a frame; counts the lanes
// that took one cell as it is and those that weighed four.
void CompareLocatedLanes(const CBalloonGrid& grid, int& exact, int& weighted) {
    // Receivers on every grid direction and between them, on the axis, straight behind, at the
    // source and at random, from a tilted and a plain frame, direct and mirrored.
    std::vector<CVec3> local;
    for (int p = 0; p < grid.phiCount; ++p)
        for (int th = 0; th < grid.thetaCount; ++th) {
            local.push_back(BalloonDirection(grid.theta[th], grid.phi[p]) * 2.0);
            local.push_back(BalloonDirection(grid.theta[th] + 4.1, grid.phi[p] + 7.3) * 0.7);
        }
    for (const CVec3& v : std::vector<CVec3>{{3, 0, 0},
                                             {-3, 0, 0},
                                             {0, 0, 0},
                                             {1e-9, 0, 0},
                                             {1, 1e-9, 0},
                                             {-1, 0, 1e-12},
                                             {0, 2, 0},
                                             {0, 0, -2}})
        local.push_back(v);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> any(-5.0, 5.0);
    for (int i = 0; i < 400; ++i)
        local.push_back({any(random), any(random), any(random)});
    while (local.size() % kKernelLanes != 0)
        local.push_back({1, 2, 3});
    for (const COrientation aim : {COrientation{0, 0, 0}, COrientation{-20, 15, 12}})
        for (bool image : {false, true}) {
            CPassFrame frame;
            frame.source[0] = 1.0, frame.source[1] = -2.0, frame.source[2] = 3.0;
            const CMatrix3 m = RotationMatrix(aim);
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j < 3; ++j)
                    frame.rotation[i][j] = m.m[i][j];
            frame.image = image;
            for (std::size_t first = 0; first < local.size(); first += kKernelLanes) {
                double x[kKernelLanes], y[kKernelLanes], z[kKernelLanes];
                for (int lane = 0; lane < kKernelLanes; ++lane) {
                    // Into the room through the frame, so the pass turns it back.
                    const CVec3 p = m * local[first + static_cast<std::size_t>(lane)];
                    x[lane] = p.x + 1.0, y[lane] = p.y - 2.0, z[lane] = p.z + 3.0;
                }
                CPassLanes lanes[2];
                for (bool vector : {false, true}) {
                    KernelSwitch kernels(vector);
                    LocatePass(frame, grid, x, y, z, lanes[vector]);
                }
                for (int lane = 0; lane < kKernelLanes; ++lane) {
                    SCOPED_TRACE(testing::Message() << "point " << first + lane << " image "
                                                    << image << " aim " << aim.azimuth);
                    EXPECT_EQ(lanes[1].r[lane], lanes[0].r[lane]);
                    if (lanes[0].r[lane] == 0.0)
                        continue;
                    // The same cosine and quotient, so only acos and atan2 differ (phi by a few
                    // ulps of 360 where the image mirrors it).
                    EXPECT_NEAR(lanes[1].theta[lane], lanes[0].theta[lane],
                                4e-16 * lanes[0].theta[lane] + 1e-300);
                    EXPECT_NEAR(lanes[1].phi[lane], lanes[0].phi[lane], 3e-13);
                    ASSERT_EQ(lanes[1].exact[lane], lanes[0].exact[lane]);
                    EXPECT_EQ(lanes[1].cells[0][lane], lanes[0].cells[0][lane]);
                    if (lanes[0].exact[lane]) {
                        ++exact;
                        continue;
                    }
                    ++weighted;
                    EXPECT_EQ(lanes[1].nextPhi[lane], lanes[0].nextPhi[lane]);
                    EXPECT_EQ(lanes[1].nextTheta[lane], lanes[0].nextTheta[lane]);
                    double sum = 0.0;
                    for (int c = 0; c < 4; ++c) {
                        EXPECT_EQ(lanes[1].cells[c][lane], lanes[0].cells[c][lane]);
                        EXPECT_NEAR(lanes[1].weight[c][lane], lanes[0].weight[c][lane], 1e-12);
                        EXPECT_GT(lanes[0].weight[c][lane], 0.0);
                        sum += lanes[0].weight[c][lane];
                    }
                    EXPECT_NEAR(sum, 1.0, 1e-14);
                }
            }
        }
}
} // namespace

TEST(EngineKernel, VectorLocatedLanesMatchTheScalarPath) {
    if (!VectorKernelsAvailable())
        GTEST_SKIP() << "this processor takes the scalar path only";
    CTestScene t;
    const int model = t.AddModel(DirectionalSpeaker(1, 3));
    const GridOf tables(t.models.At(model).Elements()[0]);
    // The tables hold what BalloonDirection gives, to the bit, and the grid values are exact
    // multiples of their spacing, so the vector path computes them instead of looking them up.
    for (int p = 0; p < tables.grid.phiCount; ++p)
        for (int th = 0; th < tables.grid.thetaCount; ++th) {
            const CVec3 u = BalloonDirection(tables.grid.theta[th], tables.grid.phi[p]);
            const double* stored = tables.grid.directions + 3 * (p * tables.grid.thetaCount + th);
            ASSERT_EQ(stored[0], u.x);
            ASSERT_EQ(stored[1], u.y);
            ASSERT_EQ(stored[2], u.z);
        }
    ASSERT_GT(tables.grid.thetaExactStep, 0.0);
    ASSERT_GT(tables.grid.phiExactStep, 0.0);
    for (bool lookUp : {false, true}) {
        SCOPED_TRACE(lookUp ? "grid values looked up" : "grid values computed");
        CBalloonGrid grid = tables.grid;
        if (lookUp)
            grid.thetaExactStep = grid.phiExactStep = 0.0;
        int exact = 0, weighted = 0;
        CompareLocatedLanes(grid, exact, weighted);
        EXPECT_GT(exact, 100);
        EXPECT_GT(weighted, 1000);
    }
}

TEST(EngineKernel, LevelsBeyondTheRangeOfDoublesOverflowAndUnderflowAsTheScalarPath) {
    if (!VectorKernelsAvailable())
        GTEST_SKIP() << "this processor takes the scalar path only";
    // Around the limits of exp: e^709 is the largest finite power, e^-745 the smallest
    // subnormal; 20 dB is a factor of e^2.3026.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // Four at a time: lanes just past either limit next to ordinary ones, lanes within them,
    // lanes far beyond, and not-a-number.
    std::vector<double> levels = {6170.0,  90.0,    6160.0, -6480.0, 6150.0,  6155.0,
                                  -6150.0, -6400.0, 7000.0, 20000.0, -7000.0, -20000.0,
                                  nan,     90.0,    6165.0, -6470.0};
    std::vector<double> phases(levels.size(), 10.0), frequencies(levels.size(), 1000.0);
    const int padded = PaddedCount(static_cast<int>(levels.size()));
    ASSERT_EQ(padded, static_cast<int>(levels.size()));
    CPassKernel k;
    k.level[0] = levels.data();
    k.phase[0] = phases.data();
    std::vector<double> re[2], im[2];
    for (bool vector : {false, true}) {
        KernelSwitch kernels(vector);
        re[vector].assign(levels.size(), 0.0);
        im[vector].assign(levels.size(), 0.0);
        AddPassResponse(k, frequencies.data(), padded, re[vector].data(), im[vector].data());
    }
    int infinite = 0, zero = 0;
    for (std::size_t j = 0; j < levels.size(); ++j) {
        SCOPED_TRACE(testing::Message() << "level " << levels[j]);
        EXPECT_EQ(std::isnan(re[1][j]), std::isnan(re[0][j]));
        EXPECT_EQ(std::isinf(re[1][j]), std::isinf(re[0][j]));
        infinite += std::isinf(re[0][j]);
        zero += re[0][j] == 0.0;
        if (std::isfinite(re[0][j])) {
            EXPECT_NEAR(re[1][j], re[0][j], 1e-14 * std::fabs(re[0][j]));
            EXPECT_NEAR(im[1][j], im[0][j], 1e-14 * std::fabs(im[0][j]));
        }
    }
    EXPECT_GE(infinite, 3);
    EXPECT_GE(zero, 2);
}

namespace {
// Runs f on four lanes at a time with and without the vector path.
template <class Four>
void BothPaths(std::size_t count, Four four, std::vector<double>& scalar,
               std::vector<double>& vector) {
    scalar.assign(count, 0.0);
    vector.assign(count, 0.0);
    for (bool onVector : {false, true}) {
        KernelSwitch kernels(onVector);
        std::vector<double>& out = onVector ? vector : scalar;
        for (std::size_t i = 0; i < count; i += kKernelLanes)
            four(i, out.data() + i);
    }
}

bool WithinUlps(double a, double b, double ulps) {
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    if (a == b)
        return std::signbit(a) == std::signbit(b);
    const double ulp = std::nextafter(std::fabs(b), INFINITY) - std::fabs(b);
    return std::fabs(a - b) <= ulps * ulp;
}
} // namespace

TEST(EngineKernel, VectorArccosinesAndArctangentsStayWithinUlpsOfTheLibrary) {
    if (!VectorKernelsAvailable())
        GTEST_SKIP() << "this processor takes the scalar path only";
    // Both ends, the switch at 1/2, the last bits before 1 (the axis), zero and random values.
    std::vector<double> x = {-1.0,
                             1.0,
                             0.0,
                             -0.0,
                             0.5,
                             -0.5,
                             std::nextafter(0.5, 1.0),
                             std::nextafter(0.5, 0.0),
                             1e-300,
                             -1e-17,
                             std::numeric_limits<double>::quiet_NaN()};
    for (int k = 1; k <= 52; ++k)
        x.insert(x.end(), {1.0 - std::ldexp(1.0, -k), -1.0 + std::ldexp(1.0, -k)});
    std::mt19937 random(11);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    while (x.size() < 40000)
        x.push_back(unit(random));
    while (x.size() % kKernelLanes != 0)
        x.push_back(0.25);
    std::vector<double> scalar, vector;
    BothPaths(
        x.size(), [&](std::size_t i, double* out) { Arccosines(&x[i], out); }, scalar, vector);
    for (std::size_t i = 0; i < x.size(); ++i)
        ASSERT_TRUE(WithinUlps(vector[i], scalar[i], 1.5))
            << "acos " << x[i] << ": " << vector[i] << " against " << scalar[i];

    // Signed zeros on both axes, the octant edges, tiny and huge ratios, random pairs.
    std::vector<double> y, z;
    for (double a : {0.0, -0.0, 1.0, -1.0, 1e-300})
        for (double b : {0.0, -0.0, 1.0, -1.0, 1e-300, -2.5}) {
            y.push_back(a);
            z.push_back(b);
        }
    for (int k = -8; k <= 8; ++k)
        for (double s : {1.0, -1.0}) {
            y.push_back(std::tan(k * kPi / 16) * s);
            z.push_back(s);
        }
    std::uniform_real_distribution<double> any(-4.0, 4.0);
    while (y.size() < 40000) {
        y.push_back(any(random));
        z.push_back(any(random));
    }
    while (y.size() % kKernelLanes != 0) {
        y.push_back(1.0);
        z.push_back(2.0);
    }
    BothPaths(
        y.size(), [&](std::size_t i, double* out) { Arctangents(&y[i], &z[i], out); }, scalar,
        vector);
    for (std::size_t i = 0; i < y.size(); ++i)
        ASSERT_TRUE(WithinUlps(vector[i], scalar[i], 2.5))
            << "atan2(" << y[i] << ", " << z[i] << "): " << vector[i] << " against " << scalar[i];
}
