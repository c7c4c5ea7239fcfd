#include "speaker/SPComplex.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(SPComplex, LevelAndPhaseRoundTrip) {
    const CSPComplex v = CSPComplex::FromLevelPhase(93.9794, -120.0);
    EXPECT_NEAR(std::hypot(v.re, v.im), 1.0, 1e-5); // 94 dB SPL is about 1 Pa
    EXPECT_NEAR(v.Level(), 93.9794, 1e-9);
    EXPECT_NEAR(v.Phase(), -120.0, 1e-9);
}

TEST(SPComplex, AZeroRealPartReportsLevelZero) {
    EXPECT_EQ(CSPComplex{}.Level(), 0.0);
    EXPECT_EQ((CSPComplex{0.0, 5.0}).Level(), 0.0);
    EXPECT_GT((CSPComplex{1e-9, 5.0}).Level(), 100.0);
}

TEST(SPComplex, PropagateAppliesInverseDistanceAndDelay) {
    const double f = 1000.0;
    CSPComplex v = CSPComplex::FromLevelPhase(90.0, 10.0);
    v.Propagate(2.0, 1.0, f);
    EXPECT_NEAR(v.Level(), 90.0 - 20.0 * std::log10(2.0), 1e-9);
    const double cycles = 1.0 / 344.0 * f;
    double expected = 10.0 - (cycles - std::floor(cycles)) * 360.0;
    EXPECT_NEAR(std::remainder(v.Phase() - expected, 360.0), 0.0, 1e-9);
}

TEST(SPComplex, PropagatingTheZeroValueGivesZeroDbAtTheReference) {
    CSPComplex v;
    v.Propagate(4.0, 1.0, 500.0);
    EXPECT_NEAR(std::hypot(v.re, v.im), kReferencePressure / 4.0, 1e-18);
}
