#include "SpeakerFixtures.h"
#include "common/Errors.h"
#include "common/Units.h"
#include "speaker/SpeakerModel.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
const double k6dB = 20.0 * std::log10(2.0);

struct Shot {
    Shot(CVec3 r, CVec3 p = {}, COrientation a = {}) : receiver(r), position(p), aim(a) {}
    CVec3 receiver;
    CVec3 position;
    COrientation aim;
    double power = 1.0;
    bool reverse = false;
    bool ceiling = false;
    double ceilingHeight = 3.0;
    int unit = kUnitMetric;
};

CSPComplex Eval(const CSpeakerModel& model, double f, const Shot& s, int* status = nullptr) {
    CSPComplex acc;
    const int result = model.Evaluate(acc, s.receiver, s.position, s.aim, f, s.ceilingHeight,
                                      s.reverse, s.power, s.ceiling, s.unit);
    if (status)
        *status = result;
    return acc;
}

double PhaseDifference(double a, double b) {
    return std::remainder(a - b, 360.0);
}
} // namespace

TEST(Evaluate, OnAxisAtTheReferenceDistanceReturnsTheBalloonValue) {
    auto model = ImportSpeakerText(GenerateVsa(DirectionalSpeaker(0)));
    const int k = 10;
    const double f = model->Header().frequencyList[k];
    const CSPComplex v = Eval(*model, f, {{1, 0, 0}});
    const CSPComplex& stored = model->Balloon(0).Value(0, 0, k);
    EXPECT_NEAR(v.Level(), stored.Level(), 1e-9);
    EXPECT_NEAR(PhaseDifference(v.Phase(), stored.Phase()), 0.0, 1e-9);
}

TEST(Evaluate, OmniLevelFalls6dBPerDoublingOfDistanceWithTheDelayPhase) {
    auto model = ImportSpeakerText(GenerateVsa(OmniSpeaker(90.0)));
    const double f = model->Header().frequencyList[7];
    const CVec3 where{1.0, 2.0, 1.5};
    const CVec3 dir{0.6, -0.48, 0.64}; // a unit vector away from the axes
    double previous = Eval(*model, f, {where + dir * 0.5, where}).Level();
    for (double r : {1.0, 2.0, 4.0, 8.0, 16.0}) {
        const CSPComplex v = Eval(*model, f, {where + dir * r, where});
        EXPECT_NEAR(previous - v.Level(), k6dB, 1e-9) << r;
        const double cycles = (r - 1.0) / 344.0 * f;
        EXPECT_NEAR(PhaseDifference(v.Phase(), -(cycles - std::floor(cycles)) * 360.0), 0.0, 1e-7)
            << r;
        previous = v.Level();
    }
    EXPECT_NEAR(Eval(*model, f, {where + dir, where}).Level(), 90.0, 1e-9);
}

TEST(Evaluate, PowerAndPolarity) {
    auto model = ImportSpeakerText(GenerateVsa(DirectionalSpeaker(0)));
    const double f = model->Header().frequencyList[14];
    Shot one{{3, 1, -0.5}, {0, 0, 0}, {10, 5, 3}};
    Shot four = one;
    four.power = 4.0;
    Shot reversed = one;
    reversed.reverse = true;
    const CSPComplex a = Eval(*model, f, one), b = Eval(*model, f, four),
                     c = Eval(*model, f, reversed);
    EXPECT_NEAR(b.Level() - a.Level(), k6dB, 1e-9);
    EXPECT_NEAR(PhaseDifference(b.Phase(), a.Phase()), 0.0, 1e-9);
    EXPECT_NEAR(c.Level(), a.Level(), 1e-9);
    EXPECT_NEAR(PhaseDifference(c.Phase(), a.Phase() + 180.0), 0.0, 1e-9);
}

TEST(Evaluate, AProjectInFeetGivesTheMetricResult) {
    auto metric = ImportSpeakerText(GenerateVsa(DirectionalSpeaker(0)), kUnitMetric);
    auto imperial = ImportSpeakerText(GenerateVsa(DirectionalSpeaker(0)), kUnitImperial);
    const double f = metric->Header().frequencyList[16];
    Shot m{{4.0, 2.5, 1.0}, {0.5, 0.25, 2.0}, {20, 0, 15}};
    m.ceiling = true;
    Shot ft = m;
    ft.receiver = m.receiver * kMetresToFeet;
    ft.position = m.position * kMetresToFeet;
    ft.ceilingHeight = m.ceilingHeight * kMetresToFeet;
    ft.unit = kUnitImperial;
    const CSPComplex a = Eval(*metric, f, m), b = Eval(*imperial, f, ft);
    EXPECT_NEAR(a.Level(), b.Level(), 1e-9);
    EXPECT_NEAR(PhaseDifference(a.Phase(), b.Phase()), 0.0, 1e-6);
}

TEST(Evaluate, TheCeilingAddsTheMirroredSpeaker) {
    // The generated beam is symmetric under phi -> 360 - phi, so the image equals a real speaker
    // at the mirrored height with mirrored elevation and rotation.
    auto model = ImportSpeakerText(GenerateVsa(DirectionalSpeaker(1)));
    const double f = model->Header().frequencyList[9];
    Shot direct{{2.0, 1.0, 1.2}, {0.0, 0.0, 2.5}, {15, 20, 30}};
    direct.ceilingHeight = 3.0;
    Shot withCeiling = direct;
    withCeiling.ceiling = true;
    Shot mirrored = direct;
    mirrored.position.z = 3.5;
    mirrored.aim = {15, -20, -30};
    const CSPComplex d = Eval(*model, f, direct), both = Eval(*model, f, withCeiling),
                     image = Eval(*model, f, mirrored);
    EXPECT_NEAR(both.re, d.re + image.re, 1e-9 * std::abs(both.re) + 1e-15);
    EXPECT_NEAR(both.im, d.im + image.im, 1e-9 * std::abs(both.im) + 1e-15);
    EXPECT_GT(std::hypot(image.re, image.im), 0.1 * std::hypot(d.re, d.im));
}

TEST(Evaluate, StraightDownDependsOnAzimuthOnlyThroughAzimuthMinusRotation) {
    auto model = ImportSpeakerText(GenerateVsa(DirectionalSpeaker(1)));
    const double f = model->Header().frequencyList[18];
    const CSPComplex a = Eval(*model, f, {{1.0, 0.7, 0.0}, {0, 0, 3}, {30, 10, 90}});
    const CSPComplex b = Eval(*model, f, {{1.0, 0.7, 0.0}, {0, 0, 3}, {50, 30, 90}});
    const CSPComplex c = Eval(*model, f, {{1.0, 0.7, 0.0}, {0, 0, 3}, {50, 10, 90}});
    EXPECT_NEAR(a.Level(), b.Level(), 1e-9);
    EXPECT_NEAR(PhaseDifference(a.Phase(), b.Phase()), 0.0, 1e-7);
    EXPECT_GT(std::fabs(a.Level() - c.Level()), 1e-3); // the beam is not round
}

TEST(Evaluate, AFrequencyBetweenModelFrequenciesStopsWithStatusOne) {
    auto model = ImportSpeakerText(GenerateVsa(OmniSpeaker()));
    int status = 0;
    const CSPComplex v = Eval(*model, 1000.5, {{2, 0, 0}}, &status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(v, CSPComplex{});
    Eval(*model, 0.0, {{2, 0, 0}}, &status);
    EXPECT_EQ(status, 1);
    Eval(*model, model->Header().frequencyList[0], {{2, 0, 0}}, &status);
    EXPECT_EQ(status, 0);
}

TEST(Evaluate, OutOfRangeFrequencyContributesZeroDbAtTheReferenceDistance) {
    auto model = ImportSpeakerText(GenerateVsa(OmniSpeaker()));
    int status = 1;
    const CSPComplex v = Eval(*model, 50.0, {{4, 0, 0}}, &status);
    EXPECT_EQ(status, 0);
    EXPECT_NEAR(std::hypot(v.re, v.im), kReferencePressure / 4.0, 1e-18);
}

TEST(Evaluate, AReceiverOnTheSourceGetsTheSentinel) {
    auto model = ImportSpeakerText(GenerateVsa(OmniSpeaker()));
    const CSPComplex v = Eval(*model, model->Header().frequencyList[3], {{1, 1, 1}, {1, 1, 1}});
    EXPECT_NEAR(v.re / 1.78e45, 1.0, 1e-2);
    EXPECT_NEAR(v.Level(), 999.0, 1e-9);
}

TEST(Evaluate, GrowingTheStateAndBalloonTablesLeavesTheElementsValid) {
    auto model = ImportSpeakerText(GenerateVsa(DirectionalSpeaker(0)));
    const double f = model->Header().frequencyList[10];
    const CSPComplex before = Eval(*model, f, {{2, 1, 0.5}});
    // Enough growth to move both tables to new memory.
    model->States().reserve(model->States().capacity() + 64);
    model->States().push_back(model->States().front());
    model->Balloons().reserve(model->Balloons().capacity() + 64);
    model->Balloons().push_back(model->Balloons().front());
    const CSPComplex after = Eval(*model, f, {{2, 1, 0.5}});
    EXPECT_EQ(after.Level(), before.Level());
    EXPECT_EQ(after.Phase(), before.Phase());
    // Shrinking them under the elements is an error, not a read of freed memory.
    model->States().clear();
    EXPECT_THROW(Eval(*model, f, {{2, 1, 0.5}}), CInvalidArgument);
}
