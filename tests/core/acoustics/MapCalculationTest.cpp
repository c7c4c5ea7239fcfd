#include "acoustics/MapCalculation.h"
#include "SceneFixtures.h"
#include "acoustics/ColorMapCondition.h"
#include "acoustics/MapJob.h"
#include "acoustics/SpeakerSources.h"
#include "acoustics/WorkerPool.h"
#include "common/ProgressDialog1.h"
#include "common/Units.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {
class ScriptedProgress : public CProgressDialog1 {
public:
    explicit ScriptedProgress(int stopAfter = -1) : m_stopAfter(stopAfter) {}
    void SetText(const std::string& t) override { text = t; }
    void SetRange(long long lo, long long hi) override { lower = lo, upper = hi; }
    void SetPos(long long p) override { positions.push_back(p); }
    bool PumpAndCheck() override { return m_stopAfter < 0 || pumps++ < m_stopAfter; }
    std::string text;
    long long lower = -1, upper = -1;
    std::vector<long long> positions;
    int pumps = 0;

private:
    int m_stopAfter;
};

CColorMapCondition Condition(double band, double fc, int mode, double pitch = 0.5) {
    CColorMapCondition c;
    c.band = band;
    c.centreFrequency = fc;
    c.mode = mode;
    c.plane.Build(0, 0, 1.2, 6, 4, 0, pitch, 100, 2);
    return c;
}
} // namespace

TEST(CalculateMap, UniformLevelsGiveEqualStatistics) {
    CTestScene t;
    const int m = t.AddModel(OmniSpeaker(90, 3));
    t.Install(m, {3, 2, 3});
    t.room.ceilingType = 0;
    CColorMapCondition c = Condition(3, 1000, kModeEnergy);
    // Points on a sphere around the speaker all get the same level.
    for (CPlaceElement& p : c.plane.points) {
        const double a = static_cast<double>(&p - c.plane.points.data());
        p.x = 3 + 2 * std::cos(a), p.y = 2 + 2 * std::sin(a), p.z = 3;
    }
    ASSERT_EQ(CalculateMap(t.Scene(), c, nullptr).status, ECalcStatus::Completed);
    const double L = c.plane.points[0].level;
    EXPECT_NEAR(c.plane.maximumLevel, L, 1e-9);
    EXPECT_NEAR(c.plane.minimumLevel, L, 1e-9);
    EXPECT_NEAR(c.plane.pinkNoiseAverage, L, 1e-9);
    EXPECT_NEAR(c.plane.musicSpeechAverage, L - 4, 1e-9);
}

// A stopped map is incomplete: the points it did not reach have no level (not the previous
// map's, which belongs to other speakers), and it has no statistics.
TEST(CalculateMap, StopBeforeTheFirstPointLeavesEveryPointWithoutALevel) {
    CTestScene t;
    const int m = t.AddModel(DirectionalSpeaker(1, 3));
    t.Install(m, {3, 2, 3}, {0, 0, 90});
    for (EMapEngineKind kind : {EMapEngineKind::Reference, EMapEngineKind::Engine}) {
        CColorMapCondition c = Condition(3, 1000, kModeEnergy);
        for (CPlaceElement& p : c.plane.points)
            p.level = 42.0;
        c.plane.maximumLevel = 99;
        c.plane.state = EMapState::Complete;
        ScriptedProgress progress(0);
        const CMapResult r = CalculateMap(t.Scene(), c, &progress, {kind, 2});
        EXPECT_EQ(r.status, ECalcStatus::Stopped);
        EXPECT_EQ(r.computed, 0);
        for (const CPlaceElement& p : c.plane.points)
            EXPECT_TRUE(std::isnan(p.level));
        EXPECT_EQ(c.plane.maximumLevel, 0.0);
        EXPECT_EQ(c.plane.state, EMapState::Incomplete);
        EXPECT_FALSE(c.plane.HasResult());
        EXPECT_EQ(progress.text, "Calculating...");
        EXPECT_EQ(progress.upper, c.plane.pointCount);
    }
}

TEST(CalculateMap, StopHalfwayKeepsTheComputedLevelsOnly) {
    CTestScene t;
    const int m = t.AddModel(DirectionalSpeaker(1, 3));
    t.Install(m, {3, 2, 3}, {0, 0, 90});
    // Stop once the bar has moved: far from the end of a plane this large.
    struct StopOnceMoved : ScriptedProgress {
        bool PumpAndCheck() override { return positions.empty() || positions.back() == 0; }
    };
    for (int threads : {1, 2}) {
        SCOPED_TRACE(threads);
        CColorMapCondition c;
        c.band = 3;
        c.centreFrequency = 1000;
        c.plane.Build(0, 0, 1.2, 150, 125, 0, 0.5, 100, 2);
        StopOnceMoved progress;
        const CMapResult r =
            CalculateMap(t.Scene(), c, &progress, {EMapEngineKind::Reference, threads});
        EXPECT_EQ(r.status, ECalcStatus::Stopped);
        EXPECT_GT(r.computed, 0);
        EXPECT_LT(r.computed, c.plane.pointCount);
        long long levels = 0;
        for (const CPlaceElement& p : c.plane.points)
            if (!std::isnan(p.level)) {
                ++levels;
                EXPECT_GT(p.level, 0.0);
            }
        EXPECT_EQ(levels, r.computed);
        EXPECT_EQ(c.plane.pinkNoiseAverage, 0.0);
        EXPECT_EQ(c.plane.state, EMapState::Incomplete);
        // The next calculation completes it.
        ASSERT_EQ(CalculateMap(t.Scene(), c, nullptr, {EMapEngineKind::Engine, threads}).status,
                  ECalcStatus::Completed);
        EXPECT_EQ(c.plane.state, EMapState::Complete);
        EXPECT_TRUE(std::none_of(c.plane.points.begin(), c.plane.points.end(),
                                 [](const CPlaceElement& p) { return std::isnan(p.level); }));
    }
}

TEST(CalculateMap, NothingToDoWithoutInstallationsAndFailureForAnEmptyBand) {
    CTestScene t;
    t.AddModel(OmniSpeaker(90, 3));
    CColorMapCondition c = Condition(3, 1000, kModeEnergy);
    c.plane.maximumLevel = 5;
    c.plane.state = EMapState::Complete;
    // What the plane held belongs to speakers that are gone.
    EXPECT_EQ(CalculateMap(t.Scene(), c, nullptr).status, ECalcStatus::NoInstallations);
    EXPECT_EQ(c.plane.maximumLevel, 0.0);
    EXPECT_EQ(c.plane.state, EMapState::NotCalculated);

    t.Install(0, {1, 1, 3});
    CColorMapCondition narrow = Condition(24, 1100, kModeEnergy); // between two data frequencies
    const CMapResult r = CalculateMap(t.Scene(), narrow, nullptr);
    EXPECT_EQ(r.status, ECalcStatus::Failed);
    EXPECT_FALSE(r.reason.empty());
    EXPECT_EQ(narrow.plane.state, EMapState::Failed);
    EXPECT_EQ(narrow.plane.failure, r.reason);
    EXPECT_FALSE(narrow.plane.HasResult());
    for (const CPlaceElement& p : narrow.plane.points)
        EXPECT_FALSE(std::isnan(p.level));
}

TEST(CalculateMap, APlaneWithoutPointsReportsZeroStatistics) {
    CTestScene t;
    t.Install(t.AddModel(OmniSpeaker(90, 3)), {1, 1, 3});
    CColorMapConditionList list;
    list.Append(Condition(3, 1000, kModeEnergy));
    list.Duplicate(0);
    CColorMapCondition& emptied = *list.At(0);
    ASSERT_TRUE(emptied.plane.points.empty());
    EXPECT_EQ(CalculateMap(t.Scene(), emptied, nullptr).status, ECalcStatus::Completed);
    EXPECT_EQ(emptied.plane.pinkNoiseAverage, 0.0);
    EXPECT_EQ(emptied.plane.maximumLevel, 0.0);
}

TEST(CalculateMap, LargePlanesReportTheirFullRange) {
    CTestScene t;
    t.Install(t.AddModel(OmniSpeaker(90, 1)), {1, 1, 3});
    CColorMapCondition c;
    c.band = 1;
    c.centreFrequency = 1000;
    c.plane.Build(0, 0, 1, 300, 250, 0, 1, 100, 2);
    ASSERT_EQ(c.plane.pointCount, 75000);
    ScriptedProgress progress;
    EXPECT_EQ(CalculateMap(t.Scene(), c, &progress, {EMapEngineKind::Engine, 2}).status,
              ECalcStatus::Completed);
    EXPECT_EQ(progress.upper, 75000);
    ASSERT_FALSE(progress.positions.empty());
    EXPECT_TRUE(std::is_sorted(progress.positions.begin(), progress.positions.end()));
    EXPECT_LE(progress.positions.back(), 75000);
}

TEST(PointSpectrum, OneLevelPerBandCentreMatchingTheBandLevel) {
    CTestScene t;
    t.Install(t.AddModel(DirectionalSpeaker(1, 3)), {2, 2, 3}, {0, 0, 90});
    CColorMapCondition c = Condition(1, 1000, kModeEnergy);
    std::vector<double> centres, levels;
    ASSERT_TRUE(PointSpectrum(t.Scene(), c, {2.5, 2, 1.2}, centres, levels));
    ASSERT_EQ(centres.size(), 10u); // 31.6 Hz ... 15.8 kHz octaves
    EXPECT_NEAR(centres.front(), std::pow(10.0, 1.5), 1e-9);
    EXPECT_EQ(centres[5], 1000.0);
    const CBandIndexRange band = BandIndices(1, 1000, 3);
    double pressure = 0;
    BandPressure(t.Scene(), kModeEnergy, {2.5, 2, 1.2}, band.start, band.end, 3, pressure);
    EXPECT_EQ(levels[5], PressureLevel(pressure));

    CTestScene empty;
    EXPECT_TRUE(PointSpectrum(empty.Scene(), c, {0, 0, 0}, centres, levels));
    EXPECT_TRUE(centres.empty());
}

TEST(CalculateMap, AThrowingProgressPortLeavesNoWorkerRunning) {
    CTestScene t;
    const int m = t.AddModel(DirectionalSpeaker(1, 3));
    t.Install(m, {3, 2, 3}, {0, 0, 90});
    struct Throwing : ScriptedProgress {
        int calls = 0;
        bool PumpAndCheck() override {
            if (++calls == 2) // the first check passes, so the workers are running
                throw std::runtime_error("window closed");
            return true;
        }
    };
    for (int threads : {1, 2, 4}) {
        CColorMapCondition c = Condition(3, 1000, kModeEnergy, 0.05);
        Throwing progress;
        EXPECT_THROW(CalculateMap(t.Scene(), c, &progress, {EMapEngineKind::Engine, threads}),
                     std::runtime_error)
            << threads;
        EXPECT_EQ(progress.calls, 2);
        // Nothing of the interrupted calculation reaches the plane.
        EXPECT_EQ(c.plane.points.back().level, 0.0);
    }
}

TEST(CalculateMap, StopWhileTheWorkersRunEndsTheEngineBeforeTheNextPoint) {
    CTestScene t;
    const int m = t.AddModel(DirectionalSpeaker(1, 3));
    for (int i = 0; i < 32; ++i)
        t.Install(m, {1.0 + i, 2.0, 3.0}, {0, 0, 90});
    t.room.roomHeight = 3.0;
    t.room.ceilingType = 1;
    CColorMapCondition c;
    c.band = 1;
    c.centreFrequency = 1000;
    c.plane.Build(0, 0, 1, 300, 250, 0, 0.5, 100, 2); // 300 000 points: many seconds of work
    for (int threads : {1, 2}) {
        SCOPED_TRACE(threads);
        ScriptedProgress progress(1); // the check before the workers start passes, then Stop
        const CMapResult r =
            CalculateMap(t.Scene(), c, &progress, {EMapEngineKind::Engine, threads});
        EXPECT_EQ(r.status, ECalcStatus::Stopped);
        EXPECT_LT(r.computed, c.plane.pointCount / 2);
        EXPECT_EQ(c.plane.maximumLevel, 0.0);
    }
}

// A speaker exactly on a point of the plane: the response there is the sentinel 999 dB, which no
// statistic may take in. The point is left out; every other point and the statistics are those
// of the same plane without that point, bit for bit.
TEST(CalculateMap, APointAtASpeakerIsLeftOutOfTheLevelsAndTheStatistics) {
    CTestScene t;
    const int m = t.AddModel(DirectionalSpeaker(1, 3));
    const CColorMapCondition c = Condition(3, 1000, kModeEnergy);
    constexpr std::size_t kAt = 17;
    const CPlaceElement at = c.plane.points[kAt];
    t.Install(m, {3, 2, 3}, {0, 0, 90});
    t.Install(m, {at.x, at.y, at.z}, {0, 0, 90});
    CColorMapCondition without = c;
    without.plane.points.erase(without.plane.points.begin() + kAt);
    --without.plane.pointCount;
    for (EMapEngineKind kind : {EMapEngineKind::Engine, EMapEngineKind::Reference}) {
        SCOPED_TRACE(kind == EMapEngineKind::Engine ? "engine" : "reference");
        CColorMapCondition on = c;
        const CMapResult r = CalculateMap(t.Scene(), on, nullptr, {kind, 2});
        ASSERT_EQ(r.status, ECalcStatus::Completed);
        EXPECT_EQ(r.leftOut, 1);
        EXPECT_EQ(on.plane.leftOut, 1);
        EXPECT_TRUE(std::isnan(on.plane.points[kAt].level));
        CColorMapCondition apart = without;
        ASSERT_EQ(CalculateMap(t.Scene(), apart, nullptr, {kind, 2}).status,
                  ECalcStatus::Completed);
        EXPECT_EQ(apart.plane.leftOut, 0);
        EXPECT_EQ(on.plane.maximumLevel, apart.plane.maximumLevel);
        EXPECT_EQ(on.plane.minimumLevel, apart.plane.minimumLevel);
        EXPECT_EQ(on.plane.pinkNoiseAverage, apart.plane.pinkNoiseAverage);
        EXPECT_EQ(on.plane.musicSpeechAverage, apart.plane.musicSpeechAverage);
        EXPECT_LT(on.plane.maximumLevel, 200.0);
        for (std::size_t i = 0; i < apart.plane.points.size(); ++i)
            EXPECT_EQ(on.plane.points[i < kAt ? i : i + 1].level, apart.plane.points[i].level);
    }
    // So does its ceiling image, where a point may lie too.
    const CSpeakerSources sources(t.Scene());
    EXPECT_EQ(sources.InstallationAt({at.x, at.y, at.z}), 1);
    EXPECT_EQ(sources.InstallationAt({at.x, at.y, 2 * t.room.roomHeight - at.z}), 1);
    EXPECT_EQ(sources.InstallationAt({at.x, at.y, at.z + 1e-12}), -1);
}

// A job reads its snapshot and nothing else: the scene it was taken from may change and go while
// the workers compute (AddressSanitizer watches), and the result is the map of the scene as it
// was.
TEST(MapJob, AJobReadsOnlyItsSnapshot) {
    auto t = std::make_unique<CTestScene>();
    const int m = t->AddModel(DirectionalSpeaker(1, 3));
    for (int i = 0; i < 4; ++i)
        t->Install(m, {1.0 + i, 2, 3}, {0, 0, 90});
    CColorMapCondition c = Condition(1, 1000, kModeInterference, 0.02);
    CColorMapCondition expected = c;
    ASSERT_EQ(CalculateMap(t->Scene(), expected, nullptr, {EMapEngineKind::Engine, 2}).status,
              ECalcStatus::Completed);

    CWorkerPool pool(2);
    CMapJob job(std::make_shared<const CMapSnapshot>(t->Scene(), c), SoundLevelQuantity(), &pool,
                2);
    EditInstalled(t->room, 0, [](CInstallationElement& e) { e.position.x += 1.0; });
    t->models.RemoveAll();
    t.reset();
    c.plane.Build(0, 0, 1.5, 2, 2, 0, 0.5, 100, 2);
    while (!job.WaitFor(std::chrono::milliseconds(10))) {
    }
    const CMapJobResult r = job.TakeResult();
    ASSERT_EQ(r.status, ECalcStatus::Completed);
    ASSERT_EQ(r.values.size(), expected.plane.points.size());
    for (std::size_t i = 0; i < r.values.size(); ++i)
        ASSERT_EQ(r.values[i], expected.plane.points[i].level) << i;
    EXPECT_EQ(r.summary.pinkNoiseAverage, expected.plane.pinkNoiseAverage);
}
