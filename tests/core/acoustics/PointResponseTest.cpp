#include "acoustics/PointResponse.h"
#include "SpeakerFixtures.h"
#include "speaker/SpeakerModel.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(BracketSearch, FindsExactHitsCellsAndFallsBackOutside) {
    const double g[] = {0, 15, 30};
    CBracket b = BracketSearch(g, 3, 15.0);
    EXPECT_TRUE(b.exact);
    EXPECT_EQ(b.loIndex, 1);
    b = BracketSearch(g, 3, 30.000009);
    EXPECT_TRUE(b.exact);
    EXPECT_EQ(b.hiIndex, 2);
    b = BracketSearch(g, 3, 20.0);
    EXPECT_FALSE(b.exact);
    EXPECT_EQ(b.loIndex, 1);
    EXPECT_EQ(b.hiIndex, 2);
    EXPECT_EQ(b.lo, 15.0);
    EXPECT_EQ(b.hi, 30.0);
    for (double outside : {-1.0, 31.0}) {
        b = BracketSearch(g, 3, outside);
        EXPECT_FALSE(b.exact);
        EXPECT_EQ(b.loIndex, 0);
        EXPECT_EQ(b.hiIndex, 0);
    }
    b = BracketSearch(g, 1, 0.0); // a single value never brackets
    EXPECT_FALSE(b.exact);
}

namespace {
std::unique_ptr<CSpeakerModel> Directional() {
    auto model = ImportSpeakerText(GenerateVsa(DirectionalSpeaker(0, 3)));
    EXPECT_TRUE(model);
    return model;
}
} // namespace

TEST(UnwrapAgainst, TakesTheTurnNearestTheReferenceAndKeepsThePhaseOnATie) {
    for (double px = -540.0; px <= 540.0; px += 22.5)
        for (double reference = -720.0; reference <= 720.0; reference += 15.0) {
            const double u = UnwrapAgainst(px, reference);
            double best = px;
            for (double candidate : {px + 360.0, px - 360.0})
                if (std::fabs(candidate - reference) < std::fabs(best - reference))
                    best = candidate;
            EXPECT_EQ(u, best) << px << " against " << reference;
        }
    // Exactly half a turn away: the phase stays as it is, above or below.
    EXPECT_EQ(UnwrapAgainst(0.0, 180.0), 0.0);
    EXPECT_EQ(UnwrapAgainst(0.0, -180.0), 0.0);
    EXPECT_EQ(UnwrapAgainst(10.0, -350.0), 10.0 - 360.0);
    EXPECT_EQ(UnwrapAgainst(-170.0, 100.0), 190.0);
    EXPECT_TRUE(std::isnan(UnwrapAgainst(std::nan(""), 0.0)));
}

TEST(ElementFrame, AStandardSpeakerKeepsItsAimBetweenTheVerticals) {
    auto model = Directional();
    for (const COrientation o :
         {COrientation{30, 10, 20}, COrientation{-150, -45, 89}, COrientation{179, 90, -60}}) {
        const CElementFrame frame = ElementFrame(model->Element(0), o);
        EXPECT_NEAR(frame.offset.Length(), 0.0, 1e-15);
        EXPECT_NEAR(frame.world.azimuth, o.azimuth, 1e-9);
        EXPECT_NEAR(frame.world.rotation, o.rotation, 1e-9);
        EXPECT_NEAR(frame.world.elevation, o.elevation, 1e-9);
    }
}

TEST(ElementFrame, StraightDownFoldsAzimuthIntoRotation) {
    auto model = Directional();
    const CElementFrame frame = ElementFrame(model->Element(0), {30, 10, 90});
    EXPECT_EQ(frame.world.azimuth, 0.0);
    EXPECT_NEAR(frame.world.elevation, 90.0, 1e-9);
    EXPECT_NEAR(frame.world.rotation, -20.0, 1e-6);
}

TEST(LookupDirectivity, GridDirectionsReturnTheStoredValue) {
    auto model = Directional();
    const CSpeakerElement& e = model->Element(0);
    const int k = 5;
    double f = model->Header().frequencyList[k];
    EXPECT_EQ(LookupDirectivity(e, 60.0, 30.0, f), e.Balloon().Value(2, 2, k));
    // phi within the tolerance of 360 hits the closing column, which repeats phi 0.
    EXPECT_EQ(LookupDirectivity(e, 359.999995, 45.0, f), e.Balloon().Value(0, 3, k));
    EXPECT_EQ(f, model->Header().frequencyList[k]);
}

TEST(LookupDirectivity, ThetaOnTheGridInterpolatesAcrossPhiByChordDistance) {
    auto model = Directional();
    const CSpeakerElement& e = model->Element(0);
    const int k = 12;
    double f = model->Header().frequencyList[k];
    const CSPComplex got = LookupDirectivity(e, 40.0, 60.0, f);
    const CSPComplex& lo = e.Balloon().Value(1, 4, k); // phi 30, theta 60
    const CSPComplex& hi = e.Balloon().Value(2, 4, k); // phi 60, theta 60
    const CVec3 t = BalloonDirection(60, 40);
    const double wLo = 1.0 / (BalloonDirection(60, 30) - t).Length();
    const double wHi = 1.0 / (BalloonDirection(60, 60) - t).Length();
    EXPECT_NEAR(got.Level(), (wLo * lo.Level() + wHi * hi.Level()) / (wLo + wHi), 1e-9);
    ASSERT_NE(lo.Level(), hi.Level()); // the asymmetric beam makes the test meaningful
}

TEST(LookupDirectivity, InterpolatedLevelsStayWithinTheCornersAndApproachGridValues) {
    auto model = Directional();
    const CSpeakerElement& e = model->Element(0);
    const int k = 15;
    double f = model->Header().frequencyList[k];
    const CBalloonElement& b = e.Balloon();
    const double corners[] = {b.Value(1, 2, k).Level(), b.Value(2, 2, k).Level(),
                              b.Value(1, 3, k).Level(), b.Value(2, 3, k).Level()};
    const double level = LookupDirectivity(e, 41.0, 37.0, f).Level();
    EXPECT_GE(level, *std::min_element(std::begin(corners), std::end(corners)));
    EXPECT_LE(level, *std::max_element(std::begin(corners), std::end(corners)));
    EXPECT_NEAR(LookupDirectivity(e, 30.0001, 30.0001, f).Level(), b.Value(1, 2, k).Level(), 1e-2);
}

TEST(LookupDirectivity, FrequenciesOutsideTheRangeOrBetweenModelFrequencies) {
    auto model = Directional();
    const CSpeakerElement& e = model->Element(0);
    double below = 50.0;
    EXPECT_EQ(LookupDirectivity(e, 10, 10, below), CSPComplex{});
    EXPECT_EQ(below, 50.0);
    double between = 1000.5;
    const CSPComplex v = LookupDirectivity(e, 10, 10, between);
    EXPECT_EQ(between, 0.0);
    EXPECT_NEAR(v.Level(), -60.0, 1e-9);
}
