#include "FakePorts.h"
#include "RecordingView.h"
#include "project/CommandTable.h"
#include "project/DocumentView.h"
#include "project/ListViewModels.h"
#include "project/Strings.h"
#include "project/forms/InstallationForm.h"

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
        f.doc.Models().At(tapped).SetDefaultTap(2);
        f.doc.SetModified(false);
    }
    std::vector<CInstallationElement> Room() const {
        return {f.doc.Room().List().begin(), f.doc.Room().List().end()};
    }
    double TapPower(int model, int tap) const { return f.doc.Models().At(model).Tap(tap).tapPower; }
};
} // namespace

TEST_F(ChangeInstallationModel, EachRefusalLeavesTheProjectUnchanged) {
    CRecordingView view(f.doc);
    const std::vector<CInstallationElement> before = Room();
    const double total = f.doc.Room().TotalPower();
    auto expectRefused = [&](int index, int model, std::optional<int> tap, EFlowReason why) {
        EXPECT_EQ(f.doc.ChangeInstallationModel(index, model, tap), CFlowResult::Refused(why))
            << "installation " << index << ", model " << model;
        EXPECT_EQ(Room(), before);
        EXPECT_EQ(f.doc.Room().TotalPower(), total);
    };
    expectRefused(1, low, {}, EFlowReason::ImpedanceMix);
    expectRefused(0, fine, {}, EFlowReason::OtherResolution);
    expectRefused(0, fine, 0, EFlowReason::OtherResolution);
    expectRefused(1, f.doc.Models().Count(), {}, EFlowReason::NoSuchModel);
    expectRefused(1, -1, {}, EFlowReason::NoSuchModel);
    const int lineTaps = static_cast<int>(f.doc.Models().At(line).Settings().taps.size());
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
    const CInstallationElement before = *f.doc.Room().At(1);
    ASSERT_TRUE(f.doc.ChangeInstallationModel(1, tapped).IsDone());
    CInstallationElement e = *f.doc.Room().At(1);
    EXPECT_EQ(e.modelIndex, tapped);
    EXPECT_EQ(e.tapIndex, 2);
    EXPECT_EQ(e.power, TapPower(tapped, 2));
    EXPECT_EQ(e.position, before.position);
    EXPECT_EQ(e.orientation, before.orientation);
    EXPECT_EQ(f.doc.Room().TotalPower(), f.doc.Room().At(0)->power + e.power);
    EXPECT_EQ(f.doc.Room().TotalPower(), f.doc.Room().List().TotalPower());
    EXPECT_TRUE(f.doc.IsModified());
    ASSERT_FALSE(view.changes.empty());
    EXPECT_TRUE(view.changes.front().installations);

    // A named tap of the same model brings its power; no tap keeps the installation's own.
    ASSERT_TRUE(f.doc.ChangeInstallationModel(1, tapped, 0).IsDone());
    EXPECT_EQ(f.doc.Room().At(1)->tapIndex, 0);
    EXPECT_EQ(f.doc.Room().At(1)->power, TapPower(tapped, 0));
    view.changes.clear();
    ASSERT_TRUE(f.doc.ChangeInstallationModel(1, tapped).IsDone());
    EXPECT_EQ(f.doc.Room().At(1)->tapIndex, 0);
    EXPECT_TRUE(view.changes.empty()); // nothing changed, nobody told
}

TEST_F(ChangeInstallationModel, TheFirstOtherInstallationStandsForTheRoom) {
    // The only installation may take any model: there is nothing else to mix with.
    Build(f.doc).Room().RemoveInstallation(1);
    ASSERT_TRUE(f.doc.ChangeInstallationModel(0, low).IsDone());
    EXPECT_EQ(f.doc.Room().At(0)->modelIndex, low);
    EXPECT_EQ(f.doc.Room().At(0)->power, TapPower(low, 0));
    // A second one of the first's kind; the first may not leave it while the second stays.
    Build(f.doc).Models().SetCurrentIndex(low);
    ASSERT_EQ(f.Install(4, 4), 0);
    EXPECT_EQ(f.doc.ChangeInstallationModel(0, line),
              CFlowResult::Refused(EFlowReason::ImpedanceMix));
    EXPECT_EQ(f.doc.ChangeInstallationModel(1, fine),
              CFlowResult::Refused(EFlowReason::OtherResolution));
}

// The installation dialog's "Tap" row offers the model's taps as the tap list shows them, the
// installation's own selected. Choosing one brings that tap's power into the power row, and OK
// makes it the installation's tap with that power, as one undoable edit. A tap of the other
// impedance kind than the rest of the room is refused, naming the row; the dialog stays open.
TEST_F(ChangeInstallationModel, TheDialogsTapRowChangesTapAndPowerUndoably) {
    CVsaGenOptions mixed = DirectionalSpeaker(1, 3);
    mixed.taps = {{false, 100, 3, {}}, {false, 70, 6, {}}, {true, 8, 60, {}}};
    const int both = f.AddModel(mixed);
    ASSERT_TRUE(f.doc.ChangeInstallationModel(1, both, 0).IsDone());
    EditSettings(f.doc)->advancedMode = 2;
    Build(f.doc).Room().SetCurrentIndex(1);
    f.doc.SetModified(false);
    const CInstallationElement before = *f.doc.Room().At(1);

    std::vector<std::string> offered;
    std::string powerShown, refusal;
    f.dialogs.installation = [&](CInstallationForm& form) {
        EXPECT_TRUE(form.TapVisible());
        EXPECT_EQ(form.TapSelection(), 0);
        offered = form.TapItems();
        EXPECT_FALSE(form.SelectTap(3));
        EXPECT_TRUE(form.SelectTap(2)); // low impedance beside a line installation
        EXPECT_FALSE(form.Accept(&refusal));
        EXPECT_TRUE(form.SelectTap(1));
        powerShown = form.Field(CInstallationForm::kPower).text;
        return true;
    };
    ASSERT_TRUE(f.doc.OnCommand(kCmdChangeInstallation));
    const CListRows taps = TapRows(f.doc);
    ASSERT_EQ(offered.size(), taps.size());
    for (std::size_t row = 0; row < taps.size(); ++row)
        EXPECT_EQ(offered[row], taps[row][0] + ": " + taps[row][1]);
    EXPECT_EQ(refusal, std::string("Tap: h") + (Strings::kImpedanceMix + 1));
    EXPECT_EQ(powerShown, FormatFieldNumber(TapPower(both, 1)));
    CInstallationElement changed = *f.doc.Room().At(1);
    EXPECT_EQ(changed.tapIndex, 1);
    EXPECT_EQ(changed.power, TapPower(both, 1));
    EXPECT_EQ(changed.position, before.position);
    EXPECT_EQ(f.doc.Room().TotalPower(), f.doc.Room().At(0)->power + changed.power);
    EXPECT_TRUE(f.doc.IsModified());
    EXPECT_EQ(f.doc.UndoMenuText(),
              std::string(Strings::kUndoMenu) + " " + Strings::kStepChangeSpeaker);

    ASSERT_TRUE(f.doc.Undo());
    EXPECT_EQ(*f.doc.Room().At(1), before);
    EXPECT_EQ(f.doc.Room().TotalPower(), f.doc.Room().At(0)->power + before.power);
    EXPECT_FALSE(f.doc.IsModified());
}
