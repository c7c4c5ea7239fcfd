#include "speaker/CalcAimAngle.h"

#include <gtest/gtest.h>

namespace {
struct Placed {
    double elevation = 0.0, x = 0.0, z = 0.0;
};

// The caller's order per module: turn by the splay, keep the angle, then step.
Placed Stack(CCalcAimAngleZX& calc, double splay, double pitch, double offset) {
    Placed p;
    p.elevation = calc.AddAngle(splay);
    calc.Step(pitch, offset, p.x, p.z);
    return p;
}
} // namespace

TEST(CalcAimAngle, StacksTheDocumentedModulesDownAndMirroredUp) {
    CCalcAimAngleLowerZX lower;
    CCalcAimAngleUpperZX upper;
    const Placed down0 = Stack(lower, 0.0, 0.5, 0.1), up0 = Stack(upper, 0.0, 0.5, 0.1);
    EXPECT_EQ(down0.elevation, 0.0);
    EXPECT_DOUBLE_EQ(down0.x, 0.1);
    EXPECT_DOUBLE_EQ(down0.z, -0.25);
    EXPECT_DOUBLE_EQ(up0.z, 0.25);

    const Placed down1 = Stack(lower, 10.0, 0.5, 0.1), up1 = Stack(upper, -10.0, 0.5, 0.1);
    EXPECT_EQ(down1.elevation, 10.0);
    EXPECT_EQ(up1.elevation, -10.0);
    EXPECT_DOUBLE_EQ(down1.x, 0.05506873088448822);
    EXPECT_DOUBLE_EQ(down1.z, -0.7635667560197451);
    EXPECT_DOUBLE_EQ(up1.x, 0.05506873088448822);
    EXPECT_DOUBLE_EQ(up1.z, 0.7635667560197451);
    EXPECT_DOUBLE_EQ(lower.X(), -0.08682408883346517);
    EXPECT_DOUBLE_EQ(lower.Z(), -0.9924038765061041);
    EXPECT_DOUBLE_EQ(upper.Z(), 0.9924038765061041);
}

TEST(CalcAimAngle, StraightStacksPutCentresAtHalfPitchStepsFromTheStart) {
    CCalcAimAngleLowerZX lower;
    lower.SetStartZ(-0.125);
    for (int i = 0; i < 5; ++i) {
        const Placed p = Stack(lower, 0.0, 0.3, 0.07);
        EXPECT_EQ(p.x, 0.07);
        EXPECT_NEAR(p.z, -0.125 - (i + 0.5) * 0.3, 1e-15);
    }
}

TEST(CalcAimAngle, TheBaseCalculatorLeavesItsOutputsAlone) {
    CCalcAimAngleZX base;
    EXPECT_EQ(base.AddAngle(3.0), 3.0);
    EXPECT_EQ(base.AddAngle(400.0), 403.0); // angles accumulate without wrapping
    double x = 7.0, z = -7.0;
    base.Step(0.5, 0.1, x, z);
    EXPECT_EQ(x, 7.0);
    EXPECT_EQ(z, -7.0);
    EXPECT_EQ(base.Z(), 0.0);
}
