#include "FakePorts.h"
#include "RecordingView.h"
#include "project/DocumentView.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
// Two ceiling speakers of line taps installed; beside them a low-impedance model of the same
// resolution, a line model of another resolution, and a line model whose default tap is not
// its first.
struct ChangeInstallationModel : ::testing::Test {
    CDocFixture f;
    int line = 0, low = 0, fine = 0, tapped = 0;

    void SetUp() override {
        line = f.AddModel(DirectionalSpeaker(1, 3));
        ASSERT_EQ(f.Install(1, 1), 0);
        ASSERT_EQ(f.Install(3, 3), 0);
        low = f.AddModel(DirectionalSpeaker(0, 3));
        fine = f.AddModel(DirectionalSpeaker(1, 6));
        tapped = f.AddModel(DirectionalSpeaker(1, 3));
        f.doc.models.At(tapped).SetDefaultTap(2);
        f.doc.SetModified(false);
    }
    std::vector<CInstallationElement> Room() const {
        return {f.doc.room.List().begin(), f.doc.room.List().end()};
    }
    double TapPower(int model, int tap) const { return f.doc.models.At(model).Tap(tap).tapPower; }
};
} // namespace

TEST_F(ChangeInstallationModel, EachRefusalLeavesTheProjectUnchanged) {
    CRecordingView view(f.doc);
    const std::vector<CInstallationElement> before = Room();
    const double total = f.doc.room.TotalPower();
    auto expectRefused = [&](int index, int model, std::optional<int> tap, EFlowReason why) {
        EXPECT_EQ(f.doc.ChangeInstallationModel(index, model, tap), CFlowResult::Refused(why))
            << "installation " << index << ", model " << model;
        EXPECT_EQ(Room(), before);
        EXPECT_EQ(f.doc.room.TotalPower(), total);
    };
    expectRefused(1, low, {}, EFlowReason::ImpedanceMix);
    expectRefused(0, fine, {}, EFlowReason::OtherResolution);
    expectRefused(0, fine, 0, EFlowReason::OtherResolution);
    expectRefused(1, f.doc.models.Count(), {}, EFlowReason::NoSuchModel);
    expectRefused(1, -1, {}, EFlowReason::NoSuchModel);
    const int lineTaps = static_cast<int>(f.doc.models.At(line).Settings().taps.size());
    expectRefused(0, line, lineTaps, EFlowReason::NoSuchTap);
    expectRefused(0, tapped, -1, EFlowReason::NoSuchTap);
    expectRefused(2, line, {}, EFlowReason::NothingCurrent);
    // A tap outside the model is refused before the room's rules are asked.
    expectRefused(0, low, 1, EFlowReason::NoSuchTap);
    EXPECT_TRUE(view.hints.empty());
    EXPECT_FALSE(f.doc.IsModified());
}

TEST_F(ChangeInstallationModel, AnotherModelTakesItsDefaultTapAndTheTapItsPower) {
    CRecordingView view(f.doc);
    const CInstallationElement before = *f.doc.room.At(1);
    ASSERT_TRUE(f.doc.ChangeInstallationModel(1, tapped).IsDone());
    CInstallationElement e = *f.doc.room.At(1);
    EXPECT_EQ(e.modelIndex, tapped);
    EXPECT_EQ(e.tapIndex, 2);
    EXPECT_EQ(e.power, TapPower(tapped, 2));
    EXPECT_EQ(e.position, before.position);
    EXPECT_EQ(e.orientation, before.orientation);
    EXPECT_EQ(f.doc.room.TotalPower(), f.doc.room.At(0)->power + e.power);
    EXPECT_EQ(f.doc.room.TotalPower(), f.doc.room.List().TotalPower());
    EXPECT_TRUE(f.doc.IsModified());
    ASSERT_FALSE(view.changes.empty());
    EXPECT_TRUE(view.changes.front().installations);

    // A named tap of the same model brings its power; no tap keeps the installation's own.
    ASSERT_TRUE(f.doc.ChangeInstallationModel(1, tapped, 0).IsDone());
    EXPECT_EQ(f.doc.room.At(1)->tapIndex, 0);
    EXPECT_EQ(f.doc.room.At(1)->power, TapPower(tapped, 0));
    view.changes.clear();
    ASSERT_TRUE(f.doc.ChangeInstallationModel(1, tapped).IsDone());
    EXPECT_EQ(f.doc.room.At(1)->tapIndex, 0);
    EXPECT_TRUE(view.changes.empty()); // nothing changed, nobody told
}

TEST_F(ChangeInstallationModel, TheFirstOtherInstallationStandsForTheRoom) {
    // The only installation may take any model: there is nothing else to mix with.
    f.doc.room.RemoveInstallation(1);
    ASSERT_TRUE(f.doc.ChangeInstallationModel(0, low).IsDone());
    EXPECT_EQ(f.doc.room.At(0)->modelIndex, low);
    EXPECT_EQ(f.doc.room.At(0)->power, TapPower(low, 0));
    // A second one of the first's kind; the first may not leave it while the second stays.
    f.doc.models.SetCurrentIndex(low);
    ASSERT_EQ(f.Install(4, 4), 0);
    EXPECT_EQ(f.doc.ChangeInstallationModel(0, line),
              CFlowResult::Refused(EFlowReason::ImpedanceMix));
    EXPECT_EQ(f.doc.ChangeInstallationModel(1, fine),
              CFlowResult::Refused(EFlowReason::OtherResolution));
}
