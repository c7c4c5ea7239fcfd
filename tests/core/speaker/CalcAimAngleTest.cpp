#include "speaker/CalcAimAngle.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
struct Placed {
    double elevation = 0.0;
    double x = 0.0;
    double z = 0.0;
};

// The caller's order per module: turn by the splay, keep the angle, then step.
Placed Stack(CCalcAimAngleZX& calc, double splay, double pitch, double offset) {
    Placed p;
    p.elevation = calc.AddAngle(splay);
    calc.Step(pitch, offset, p.x, p.z);
    return p;
}
} // namespace

TEST(CalcAimAngle, LowerStackMatchesTheDocumentedTwoModules) {
    CCalcAimAngleLowerZX lower;
    const Placed first = Stack(lower, 0.0, 0.5, 0.1);
    EXPECT_EQ(first.elevation, 0.0);
    EXPECT_DOUBLE_EQ(first.x, 0.1);
    EXPECT_DOUBLE_EQ(first.z, -0.25);

    const Placed second = Stack(lower, 10.0, 0.5, 0.1);
    EXPECT_EQ(second.elevation, 10.0);
    EXPECT_DOUBLE_EQ(second.x, 0.05506873088448822);
    EXPECT_DOUBLE_EQ(second.z, -0.7635667560197451);
    EXPECT_DOUBLE_EQ(lower.X(), -0.08682408883346517);
    EXPECT_DOUBLE_EQ(lower.Z(), -0.9924038765061041);
}

TEST(CalcAimAngle, UpperStackMirrorsTheLowerOneInZ) {
    CCalcAimAngleUpperZX upper;
    const Placed first = Stack(upper, 0.0, 0.5, 0.1);
    EXPECT_DOUBLE_EQ(first.x, 0.1);
    EXPECT_DOUBLE_EQ(first.z, 0.25);
    const Placed second = Stack(upper, -10.0, 0.5, 0.1);
    EXPECT_EQ(second.elevation, -10.0);
    EXPECT_DOUBLE_EQ(second.x, 0.05506873088448822);
    EXPECT_DOUBLE_EQ(second.z, 0.7635667560197451);
    EXPECT_DOUBLE_EQ(upper.X(), -0.08682408883346517);
    EXPECT_DOUBLE_EQ(upper.Z(), 0.9924038765061041);
}

TEST(CalcAimAngle, StraightStacksPutCentresAtHalfPitchStepsFromTheStart) {
    const double h = 0.3, b = 0.07, start = 0.125;
    CCalcAimAngleLowerZX lower;
    CCalcAimAngleUpperZX upper;
    lower.SetStartZ(-start);
    upper.SetStartZ(start);
    for (int i = 0; i < 5; ++i) {
        const Placed down = Stack(lower, 0.0, h, b);
        const Placed up = Stack(upper, 0.0, h, b);
        EXPECT_EQ(down.x, b);
        EXPECT_EQ(up.x, b);
        EXPECT_NEAR(down.z, -start - (i + 0.5) * h, 1e-15);
        EXPECT_NEAR(up.z, start + (i + 0.5) * h, 1e-15);
    }
    EXPECT_EQ(lower.X(), 0.0);
}

TEST(CalcAimAngle, AnglesAccumulateWithoutWrapping) {
    CCalcAimAngleLowerZX lower;
    double expected = 0.0;
    for (int i = 0; i < 10; ++i) {
        expected += 50.0;
        EXPECT_EQ(lower.AddAngle(50.0), expected);
    }
    EXPECT_EQ(lower.Angle(), 500.0);
    // 500 degrees aims like 140: the column runs along (-sin, -cos) of it.
    double x = 0, z = 0;
    lower.Step(2.0, 0.0, x, z);
    const double t = 140.0 * std::atan(1.0) * 4 / 180;
    EXPECT_NEAR(lower.X(), -2.0 * std::sin(t), 1e-12);
    EXPECT_NEAR(lower.Z(), -2.0 * std::cos(t), 1e-12);
}

TEST(CalcAimAngle, TheBaseCalculatorLeavesItsOutputsAlone) {
    CCalcAimAngleZX base;
    base.SetStartZ(0.5);
    EXPECT_EQ(base.AddAngle(3.0), 3.0);
    double x = 7.0, z = -7.0;
    base.Step(0.5, 0.1, x, z);
    EXPECT_EQ(x, 7.0);
    EXPECT_EQ(z, -7.0);
    EXPECT_EQ(base.X(), 0.0);
    EXPECT_EQ(base.Z(), 0.5);
}
