#include "SceneFixtures.h"
#include "acoustics/AutoInstallation.h"
#include "acoustics/ColorMapCondition.h"
#include "speaker/FrequencyList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace {
std::vector<double> Xs(const CAutoLayout& layout, double y) {
    std::vector<double> xs;
    for (const CLayoutPoint& p : layout.positions)
        if (std::fabs(p.y - y) < 1e-9)
            xs.push_back(p.x);
    return xs;
}

std::vector<double> Rows(const CAutoLayout& layout) {
    std::vector<double> ys;
    for (const CLayoutPoint& p : layout.positions)
        if (ys.empty() || std::fabs(ys.back() - p.y) > 1e-9)
            ys.push_back(p.y);
    return ys;
}

void ExpectNear(const std::vector<double>& actual, const std::vector<double>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-9) << "entry " << i;
}

const CLayoutRoom kRoom20x15{0, 0, 20, 15};
} // namespace

TEST(AutoLayoutRectangle, EdgeToEdgeExampleInA20By15Room) {
    CAutoLayout layout;
    ASSERT_EQ(ComputeAutoLayout(kAutoPatternEdgeToEdge, kShapeRectangle, {2, 2, 2.5, 2.5},
                                kRoom20x15, layout),
              ELayoutStatus::Done);
    ExpectNear(Rows(layout), {2.5, 7.5, 12.5});
    for (double y : {2.5, 7.5, 12.5})
        ExpectNear(Xs(layout, y), {2, 6, 10, 14, 18});
    // Row by row, each row from the left.
    EXPECT_DOUBLE_EQ(layout.positions[1].x, 6);
    EXPECT_DOUBLE_EQ(layout.positions[5].y, 7.5);
    EXPECT_DOUBLE_EQ(layout.columnPitch, 4);
    EXPECT_DOUBLE_EQ(layout.rowPitch, 5);
    EXPECT_DOUBLE_EQ(layout.leftOffset, 2);
    EXPECT_DOUBLE_EQ(layout.bottomOffset, 2.5);
}

TEST(AutoLayoutRectangle, PatternFactorsScaleTheCoverageAndTheRoomOffsetMovesTheGrid) {
    // Maximum Overlap halves the coverage: b = 2, 10 columns from x = 1; hr = 2.5, 6 rows
    // from y = 1.25.
    CAutoLayout layout;
    ASSERT_EQ(ComputeAutoLayout(0, kShapeRectangle, {2, 2, 2.5, 2.5}, {-3, 4, 20, 15}, layout),
              ELayoutStatus::Done);
    EXPECT_EQ(layout.positions.size(), 60u);
    EXPECT_DOUBLE_EQ(layout.positions.front().x, -2);
    EXPECT_DOUBLE_EQ(layout.positions.front().y, 5.25);
    EXPECT_DOUBLE_EQ(layout.leftOffset, 1);
    EXPECT_DOUBLE_EQ(layout.bottomOffset, 1.25);
    // 2 * Edge-to-Edge: b = 8 gives trunc(15.2 / 8) + 1 = 2 columns at 6 and 14.
    ASSERT_EQ(ComputeAutoLayout(4, kShapeRectangle, {2, 2, 2.5, 2.5}, kRoom20x15, layout),
              ELayoutStatus::Done);
    ExpectNear(Xs(layout, layout.positions.front().y), {6, 14});
    // Minimum Overlap and 1.4 * Edge-to-Edge use 1/sqrt 2 and sqrt 2.
    ASSERT_EQ(ComputeAutoLayout(1, kShapeRectangle, {1, 1, 1, 1}, kRoom20x15, layout),
              ELayoutStatus::Done);
    EXPECT_NEAR(layout.columnPitch, std::sqrt(2.0), 1e-12);
    ASSERT_EQ(ComputeAutoLayout(3, kShapeRectangle, {1, 1, 1, 1}, kRoom20x15, layout),
              ELayoutStatus::Done);
    EXPECT_NEAR(layout.columnPitch, 2 * std::sqrt(2.0), 1e-12);
}

TEST(AutoLayoutRectangle, UnequalCoverageUsesEachSideAndARoomSmallerThanThePitchGetsOneSpeaker) {
    CAutoLayout layout;
    ASSERT_EQ(ComputeAutoLayout(2, kShapeRectangle, {1, 3, 0.5, 1.5}, {0, 0, 3, 1}, layout),
              ELayoutStatus::Done);
    ASSERT_EQ(layout.positions.size(), 1u);
    EXPECT_DOUBLE_EQ(layout.positions[0].x, 1.5);
    EXPECT_DOUBLE_EQ(layout.positions[0].y, 0.5);
    EXPECT_DOUBLE_EQ(layout.columnPitch, 4);
    EXPECT_DOUBLE_EQ(layout.rowPitch, 2);
}

TEST(AutoLayoutHexagonal, EvenColumnCountShiftsOddRowsByHalfAPitch) {
    // Radius 2: b = 4, n = 1 + trunc(2 * 18.8 / 4) = 10, five columns per row starting at
    // (20 - 4.5 * 4) / 2 = 1; rows 2 * sqrt(3) apart, four of them.
    CAutoLayout layout;
    ASSERT_EQ(ComputeAutoLayout(2, kShapeHexagonal, {2, 7, 9, 9}, kRoom20x15, layout),
              ELayoutStatus::Done);
    const double hr = 2 * std::sqrt(3.0);
    const std::vector<double> rows = Rows(layout);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_NEAR(rows[0], (15 - 3 * hr) / 2, 1e-9);
    EXPECT_NEAR(rows[1] - rows[0], hr, 1e-9);
    ExpectNear(Xs(layout, rows[0]), {1, 5, 9, 13, 17});
    ExpectNear(Xs(layout, rows[1]), {3, 7, 11, 15, 19});
    ExpectNear(Xs(layout, rows[2]), {1, 5, 9, 13, 17});
    // The reported column pitch is half the distance within a row.
    EXPECT_NEAR(layout.columnPitch, 2, 1e-12);
    EXPECT_NEAR(layout.rowPitch, hr, 1e-12);
    EXPECT_NEAR(layout.leftOffset, 1, 1e-12);
}

TEST(AutoLayoutHexagonal, OddColumnCountLeavesOddRowsOneSpeakerShorter) {
    // L = 18: n = 1 + trunc(2 * 16.8 / 4) = 9, five columns from (18 - 16) / 2 = 1.
    CAutoLayout layout;
    ASSERT_EQ(ComputeAutoLayout(2, kShapeHexagonal, {2, 2, 2, 2}, {0, 0, 18, 15}, layout),
              ELayoutStatus::Done);
    const std::vector<double> rows = Rows(layout);
    ASSERT_EQ(rows.size(), 4u);
    ExpectNear(Xs(layout, rows[0]), {1, 5, 9, 13, 17});
    ExpectNear(Xs(layout, rows[1]), {3, 7, 11, 15});
    ExpectNear(Xs(layout, rows[3]), {3, 7, 11, 15});
    EXPECT_EQ(layout.positions.size(), 18u);
    EXPECT_DOUBLE_EQ(layout.positions.back().x, 15); // the last one installed stays last
}

TEST(AutoLayoutHexagonal, ASingleColumnStandsInTheMiddle) {
    CAutoLayout layout;
    // L = 5: n = 2, one column; every row at L / 2, odd rows not shifted.
    ASSERT_EQ(ComputeAutoLayout(2, kShapeHexagonal, {2, 2, 2, 2}, {1, 0, 5, 15}, layout),
              ELayoutStatus::Done);
    ASSERT_EQ(Rows(layout).size(), 4u);
    for (const CLayoutPoint& p : layout.positions)
        EXPECT_DOUBLE_EQ(p.x, 3.5);
    // L = 3: n = 1, the odd rows lose their only speaker.
    ASSERT_EQ(ComputeAutoLayout(2, kShapeHexagonal, {2, 2, 2, 2}, {0, 0, 3, 15}, layout),
              ELayoutStatus::Done);
    EXPECT_EQ(layout.positions.size(), 2u);
    EXPECT_NEAR(layout.positions[1].y - layout.positions[0].y, 4 * std::sqrt(3.0), 1e-9);
}

TEST(AutoLayoutLimits, CoverageThatGivesNoGridOrAnEndlessGridIsRefused) {
    CAutoLayout layout;
    layout.positions = {{1, 1}};
    EXPECT_EQ(ComputeAutoLayout(2, kShapeRectangle, {0, 0, 2, 2}, kRoom20x15, layout),
              ELayoutStatus::NoCoverage);
    EXPECT_EQ(ComputeAutoLayout(2, kShapeRectangle, {-0.1, -0.1, 2, 2}, kRoom20x15, layout),
              ELayoutStatus::NoCoverage);
    EXPECT_EQ(ComputeAutoLayout(2, kShapeHexagonal, {NAN, 1, 1, 1}, kRoom20x15, layout),
              ELayoutStatus::NoCoverage);
    EXPECT_EQ(ComputeAutoLayout(2, kShapeRectangle, {INFINITY, 1, 1, 1}, kRoom20x15, layout),
              ELayoutStatus::NoCoverage);
    EXPECT_EQ(ComputeAutoLayout(-1, kShapeRectangle, {2, 2, 2, 2}, kRoom20x15, layout),
              ELayoutStatus::NoCoverage);
    EXPECT_EQ(ComputeAutoLayout(2, kShapeRectangle, {0.01, 0.01, 0.01, 0.01}, {0, 0, 10000, 10000},
                                layout),
              ELayoutStatus::TooMany);
    EXPECT_EQ(layout.positions.size(), 1u); // a refused layout leaves the result alone
}

TEST(CoverageWalk, LinearFallOffCrossesSixDecibelsExactlyOnBothSides) {
    // 7 dB per unit on both sides: the 6 dB points are 6/7 away; the interpolation is exact
    // for a straight line.
    const CWalkResult r = WalkCoverage(
        [](double x, double& level) {
            level = 100 - 7 * std::fabs(x);
            return true;
        },
        100);
    ASSERT_EQ(r.status, EWalkStatus::Done);
    EXPECT_NEAR(r.forward, 6.0 / 7.0, 1e-9);
    EXPECT_NEAR(r.backward, 6.0 / 7.0, 1e-9);
}

TEST(CoverageWalk, TheBackwardWalkStartsAtTheMaximumAndBothExtentsCountFromTheSpeaker) {
    // 5 dB per unit around a peak 0.3 ahead of the speaker: 6 dB are 1.2 either side of it.
    std::vector<double> probed;
    const CWalkResult r = WalkCoverage(
        [&](double x, double& level) {
            probed.push_back(x);
            level = 100 - 5 * std::fabs(x - 0.3);
            return true;
        },
        100);
    ASSERT_EQ(r.status, EWalkStatus::Done);
    EXPECT_NEAR(r.forward, 0.3 + 1.2, 1e-9);
    EXPECT_NEAR(r.backward, 1.2 - 0.3, 1e-9);
    std::size_t turn = 1;
    while (turn < probed.size() && probed[turn] > probed[turn - 1])
        ++turn;
    ASSERT_LT(turn, probed.size());
    EXPECT_NEAR(probed[turn], 0.3, 1e-9);
}

TEST(CoverageWalk, EveryWalkEnds) {
    double farthest = 0;
    auto constant = [&](double x, double& level) {
        farthest = std::max(farthest, std::fabs(x));
        level = 80;
        return true;
    };
    EXPECT_EQ(WalkCoverage(constant, 25).status, EWalkStatus::Endless);
    EXPECT_LE(farthest, 25.0);
    auto notANumber = [](double, double& level) {
        level = NAN;
        return true;
    };
    EXPECT_EQ(WalkCoverage(notANumber, 25).status, EWalkStatus::Failed);
    int calls = 0;
    auto failing = [&](double x, double& level) {
        ++calls;
        level = 90 - x;
        return x < 0.45;
    };
    EXPECT_EQ(WalkCoverage(failing, 25).status, EWalkStatus::Failed);
    EXPECT_EQ(calls, 6);
    // A limit that is not a number stops at once rather than never.
    EXPECT_EQ(WalkCoverage(constant, NAN).status, EWalkStatus::Endless);
    EXPECT_NEAR(CoverageWalkLimit(3, 4, 12), 130, 1e-9);
    EXPECT_NEAR(CoverageWalkLimit(0.01, 0.01, 0), 10, 1e-12); // at least 100 steps
}

TEST(JudgmentBand, EveryOfferedBandHoldsItsWidthAroundItsCentreAtEveryResolution) {
    for (int pitch : {24, 12, 6, 3, 1}) {
        for (double band : {24.0, 12.0, 6.0, 3.0, 1.0, 0.5, 0.25}) {
            if (band > pitch)
                continue;
            // Grid steps per band, and the centre's own index k * steps on the model grid.
            const int steps = static_cast<int>(pitch / band);
            for (int k = 0;; ++k) {
                const double fc = std::pow(10.0, 0.3 * k / band);
                if (fc > 20000)
                    break;
                if (fc < 20)
                    continue;
                const int centre = k * steps;
                const CBandIndexRange r = JudgmentBandIndices(band, fc, pitch);
                EXPECT_EQ(r.Count(), steps) << pitch << " per octave, band " << band << ", " << fc;
                EXPECT_EQ(r.start, centre - steps / 2)
                    << pitch << " per octave, band " << band << ", " << fc;
                EXPECT_EQ(r.pitch, pitch);
            }
        }
    }
}

TEST(JudgmentBand, TwoOctavesAround1kHz) {
    // 1 kHz is index 240 of a 24-point grid; two octaves are 48 indices, from the lower edge on.
    const CBandIndexRange r = JudgmentBandIndices(0.5, 1000, 24);
    EXPECT_EQ(r.start, 216);
    EXPECT_EQ(r.end, 264);
    // One point per octave: 1 kHz is index 10; two octaves hold indices 9 and 10.
    const CBandIndexRange coarse = JudgmentBandIndices(0.5, 1000, 1);
    EXPECT_EQ(coarse.start, 9);
    EXPECT_EQ(coarse.end, 11);
}

namespace {
// The level of one speaker, summed directly from the model over the band's data frequencies.
double DirectLevel(const CSpeakerModel& model, const CVec3& at, const CVec3& speaker,
                   const COrientation& aim, int start, int end, double pitch, double ceiling) {
    double sum = 0;
    for (int i = start; i < end; ++i) {
        CSPComplex p;
        EXPECT_EQ(model.Evaluate(p, at, speaker, aim, ModelFrequency(i, pitch), ceiling, false, 3,
                                 true, 0),
                  0);
        sum += p.re * p.re + p.im * p.im;
    }
    return 20 * std::log10(std::sqrt(sum / (end - start)) / kReferencePressure);
}

// The 6 dB extent along one direction, found on a fine scan.
double FineExtent(const std::function<double(double)>& level, double direction) {
    double maximum = -1e9, previous = 0;
    for (int i = 0; i < 200000; ++i) {
        const double x = direction * i * 0.001;
        const double l = level(x);
        maximum = std::max(maximum, l);
        if (l < maximum - 6)
            return std::fabs(x) - 0.001 * (maximum - 6 - l) / (previous - l);
        previous = l;
    }
    return NAN;
}
} // namespace

TEST(CoverageMeasurement, AGeneratedCeilingSpeakerMatchesAFineScanOfItsOwnLevels) {
    CTestScene t;
    const int m = t.AddModel(DirectionalSpeaker(1, 3));
    t.room.roomHeight = 3.5;
    const CVec3 speaker{1, 2, 3.5};
    const COrientation down{0, 0, 90};
    t.Install(m, speaker, down, 3);
    const double z = 1.2;
    // Two octaves around 1 kHz at 3 per octave: indices 27..32.
    const CBandIndexRange band = JudgmentBandIndices(0.5, 1000, 3);
    ASSERT_EQ(band.start, 27);
    ASSERT_EQ(band.end, 33);
    CCoverage c;
    ASSERT_EQ(MeasureCoverage(t.Scene(), kModeEnergy, band, 1, 2, z, 100, c), EWalkStatus::Done);

    const CSpeakerModel& model = t.models.At(m);
    auto along = [&](bool xAxis) {
        return [&, xAxis](double d) {
            const CVec3 at = xAxis ? CVec3{1 + d, 2, z} : CVec3{1, 2 + d, z};
            return DirectLevel(model, at, speaker, down, 27, 33, 3, 3.5);
        };
    };
    // The walk samples every 0.1 and interpolates; the fine scan is the truth it approximates.
    EXPECT_NEAR(c.plusX, FineExtent(along(true), 1), 0.02);
    EXPECT_NEAR(c.minusX, FineExtent(along(true), -1), 0.02);
    EXPECT_NEAR(c.plusY, FineExtent(along(false), 1), 0.02);
    EXPECT_NEAR(c.minusY, FineExtent(along(false), -1), 0.02);
    EXPECT_GT(c.plusX, 0.5); // a real coverage, not a degenerate one
    // The same result in either summation mode: there is one speaker.
    CCoverage interference;
    ASSERT_EQ(MeasureCoverage(t.Scene(), kModeInterference, band, 1, 2, z, 100, interference),
              EWalkStatus::Done);
    EXPECT_DOUBLE_EQ(interference.plusX, c.plusX);
}

TEST(CoverageMeasurement, AFrequencyMissingFromTheSpeakerDataFailsTheWalk) {
    CTestScene t;
    const int m = t.AddModel(DirectionalSpeaker(1, 3));
    t.Install(m, {0, 0, 3}, {0, 0, 90});
    // Damage the data: 1 kHz (index 30) no longer matches its grid frequency.
    CSpeakerDataHeader& header = t.models.At(m).Header();
    const int k = header.FindFrequencyIndex(ModelFrequency(30, 3));
    ASSERT_GE(k, 0);
    header.frequencyList[static_cast<std::size_t>(k)] *= 1.0 + 1e-9;
    CCoverage c{1, 2, 3, 4};
    EXPECT_EQ(MeasureCoverage(t.Scene(), kModeEnergy, JudgmentBandIndices(0.5, 1000, 3), 0, 0, 1.2,
                              100, c),
              EWalkStatus::Failed);
    EXPECT_EQ(c.plusX, 1); // untouched
}
