#include "ArrangementScripts.h"
#include "FakePorts.h"
#include "common/FormatSignificant.h"
#include "project/ColorMapViewModel.h"
#include "project/CommandTable.h"
#include "project/ListViewModels.h"
#include "project/Strings.h"
#include "project/forms/InstallationForm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

TEST(InstallSpeaker, WithoutAdvancedModeACeilingSpeakerGetsItsDefaults) {
    CDocFixture f;
    f.AddModel(DirectionalSpeaker(1));
    EditSettings(f.doc)->advancedMode = 0;
    f.dialogs.installation = [](CInstallationForm& form) {
        EXPECT_FALSE(form.Field(CInstallationForm::kPower).visible);
        EXPECT_FALSE(form.PolarityVisible());
        EXPECT_EQ(form.Field(CInstallationForm::kX).unit, "[m]");
        form.Field(CInstallationForm::kX).text = "2.5";
        form.Field(CInstallationForm::kPower).text = "not even a number"; // hidden: passes through
        return true;
    };
    ASSERT_EQ(f.Install(5, 5), 0);
    const CInstallationElement& inst = *f.doc.Room().At(0);
    EXPECT_EQ(inst.position, (CVec3{2.5, 5, f.doc.Room().roomHeight}));
    EXPECT_EQ(inst.orientation, (COrientation{0, 0, 90}));
    EXPECT_EQ(inst.power, f.doc.CurrentModel()->Tap(f.doc.CurrentModel()->DefaultTap()).tapPower);
    EXPECT_TRUE(inst.polarityNormal);
    EXPECT_EQ(f.doc.Room().TotalPower(), inst.power);
}

TEST(InstallSpeaker, TheFormRefusesOutOfRangeEntriesInRowOrder) {
    CInstallationForm form({}, 1, 2);
    EXPECT_EQ(form.Field(CInstallationForm::kZ).unit, "[ft]");
    form.Field(CInstallationForm::kY).text = "12abc";
    form.Field(CInstallationForm::kPower).text = "20000";
    std::string message;
    // Each refusal names the row it is about.
    EXPECT_FALSE(form.Accept(&message));
    EXPECT_EQ(message, "Y: enter a number.");
    form.Field(CInstallationForm::kY).text = " 3 ";
    EXPECT_FALSE(form.Accept(&message));
    EXPECT_EQ(message, "Power: enter a number between 0 and 10000.");
    form.Field(CInstallationForm::kPower).text = "15";
    form.polaritySelection = 1;
    ASSERT_TRUE(form.Accept(&message));
    EXPECT_EQ(form.Result().position.y, 3.0);
    EXPECT_EQ(form.Result().power, 15.0);
    EXPECT_FALSE(form.Result().polarityNormal);
}

TEST(InstallSpeaker, HighAndLowImpedanceCannotBeMixed) {
    CDocFixture f;
    f.AddModel(DirectionalSpeaker(1)); // line taps
    ASSERT_EQ(f.Install(1, 1), 0);
    f.AddModel(DirectionalSpeaker(0)); // low impedance default tap
    f.dialogs.installationRuns = 0;
    EXPECT_EQ(f.Install(2, 2), 1);
    EXPECT_EQ(f.messages.asked.back(), Strings::kImpedanceMix);
    EXPECT_EQ(f.dialogs.installationRuns, 0);
    EXPECT_EQ(f.doc.Room().Count(), 1);
}

TEST(InstallSpeaker, TheSameSpotIsAskedOncePerIdenticalInstallation) {
    CDocFixture f;
    f.AddModel(DirectionalSpeaker(1));
    ASSERT_EQ(f.Install(1, 1), 0);
    ASSERT_EQ(f.Install(1, 1), 0); // asked once, answered OK
    EXPECT_EQ(f.messages.asked.size(), 1u);
    f.messages.answers = {true, false};
    EXPECT_EQ(f.Install(1, 1), 1); // asked twice, the second Cancel aborts
    EXPECT_EQ(f.messages.asked.size(), 3u);
    EXPECT_EQ(f.messages.asked.back(), Strings::kSameSpot);
    EXPECT_EQ(f.doc.Room().Count(), 2);
    EXPECT_EQ(f.doc.Room().CurrentIndex(), 1);

    // A position typed as the installation list shows it (four digits) is the same spot; a
    // millimetre or more away in any coordinate is not.
    Build(f.doc).Room().RemoveAll();
    f.messages.asked.clear();
    ASSERT_EQ(f.Install(1.23456, 4.5), 0);
    const std::string shown = InstallationRows(f.doc).front()[2];
    EXPECT_EQ(shown, "1.235");
    f.messages.answers = {false};
    EXPECT_EQ(f.Install(std::stod(shown), 4.5), 1);
    EXPECT_EQ(f.messages.asked, std::vector<std::string>{Strings::kSameSpot});
    f.dialogs.installation = [](CInstallationForm& form) {
        form.Field(CInstallationForm::kZ).text = "2.9992"; // 0.8 mm below the first
        return true;
    };
    f.messages.answers = {false};
    EXPECT_EQ(f.Install(1.23456, 4.5), 1);
    EXPECT_EQ(f.messages.asked.size(), 2u);
    f.dialogs.installation = [](CInstallationForm& form) {
        form.Field(CInstallationForm::kY).text = "4.502";
        return true;
    };
    EXPECT_EQ(f.Install(1.23456, 4.5), 0);
    EXPECT_EQ(f.messages.asked.size(), 2u);
    EXPECT_EQ(f.doc.Room().Count(), 2);
}

TEST(EditInstallation, UnchangedValuesDoNotAskAndCancelChangesNothing) {
    CDocFixture f;
    f.AddModel(DirectionalSpeaker(1));
    f.Install(1, 1);
    f.Install(3, 3);
    f.messages.asked.clear();
    EXPECT_TRUE(f.doc.EditInstallation(*f.doc.Room().Current()).IsDone());
    EXPECT_TRUE(f.messages.asked.empty());

    const auto before = *f.doc.Room().Current();
    f.dialogs.installation = [](CInstallationForm& form) {
        form.Field(CInstallationForm::kX).text = "9";
        return false;
    };
    EXPECT_EQ(f.doc.EditInstallation(before), CFlowResult::Cancelled(EFlowReason::DialogClosed));
    EXPECT_EQ(*f.doc.Room().Current(), before);
}

TEST(RemoveInstallations, CurrentMovesBackAndCancelKeepsEverything) {
    CDocFixture f;
    f.AddModel(DirectionalSpeaker(1));
    for (int i = 0; i < 3; ++i)
        f.Install(i, 1);
    Build(f.doc).Room().SetCurrentIndex(2);
    f.messages.answers = {false};
    EXPECT_EQ(f.doc.RemoveInstallations(true), CFlowResult::Cancelled(EFlowReason::NotConfirmed));
    EXPECT_EQ(f.doc.Room().Count(), 3);
    EXPECT_TRUE(f.doc.RemoveInstallations(false).IsDone());
    EXPECT_EQ(f.doc.Room().Count(), 2);
    EXPECT_EQ(f.doc.Room().CurrentIndex(), 1);
    EXPECT_EQ(f.doc.Room().TotalPower(), f.doc.Room().List().TotalPower());
    EXPECT_TRUE(f.doc.RemoveInstallations(true).IsDone());
    EXPECT_TRUE(f.doc.Room().Empty());
    EXPECT_EQ(f.doc.Room().CurrentIndex(), 0);
    EXPECT_EQ(f.doc.Room().TotalPower(), 0.0);
}

TEST(DeleteSpeakerData, RemovesItsInstallationsAndRenumbersTheRest) {
    CDocFixture f;
    for (int m = 0; m < 3; ++m) {
        f.AddModel(DirectionalSpeaker(1));
        f.Install(m, m);
        f.Install(m, m + 5);
    }
    Build(f.doc).Models().SetCurrentIndex(1);
    f.messages.answers = {false};
    ASSERT_TRUE(f.doc.OnCommand(kCmdDeleteSpeaker));
    EXPECT_EQ(f.doc.Models().Count(), 3); // cancelled
    ASSERT_TRUE(f.doc.OnCommand(kCmdDeleteSpeaker));
    EXPECT_EQ(f.doc.Models().Count(), 2);
    ASSERT_EQ(f.doc.Room().Count(), 4);
    for (const CInstallationElement& inst : f.doc.Room().List())
        EXPECT_NE(inst.modelIndex, 2);
    EXPECT_EQ(f.doc.Room().At(3)->modelIndex, 1);
    EXPECT_EQ(f.doc.Room().At(3)->position.x, 2.0);
    EXPECT_EQ(f.doc.Room().TotalPower(), f.doc.Room().List().TotalPower());
    EXPECT_LT(f.doc.Room().CurrentIndex(), 4);
    EXPECT_TRUE(f.doc.IsModified());
}

TEST(InstallationList, TheCurrentIndexStaysInsideTheList) {
    CInstallationContainer room;
    EXPECT_FALSE(room.SetCurrentIndex(3)); // empty: stays 0
    for (double x : {1.0, 2.0, 3.0})
        room.AddInstallation(0, 0, {x, 1, 1}, {}, x, true);
    EXPECT_EQ(room.TotalPower(), 6.0);
    EXPECT_TRUE(room.SetCurrentIndex(7));
    EXPECT_EQ(room.CurrentIndex(), 2);
    room.SetCurrentIndex(-4);
    EXPECT_EQ(room.CurrentIndex(), 0);
    room.RemoveInstallation(0);
    EXPECT_EQ(room.TotalPower(), 5.0);
}

// Installing and editing both refuse a power above the tap the installation is on, as the
// command-line tool does; the message names the row, the range and the tap.
TEST(InstallationPower, APowerAboveTheTapIsRefusedByTheFormOfBothFlows) {
    CDocFixture f;
    f.AddModel(DirectionalSpeaker(1));
    EditSettings(f.doc)->advancedMode = 2;
    const CSpeakerModel& model = *f.doc.CurrentModel();
    const int defaultTap = model.DefaultTap();
    ASSERT_GE(model.Settings().taps.size(), 2u);
    const int otherTap = defaultTap == 0 ? 1 : 0;
    ASSERT_NE(model.Tap(otherTap).tapPower, model.Tap(defaultTap).tapPower);

    double power = 0;
    std::string message;
    f.dialogs.installation = [&](CInstallationForm& form) {
        form.Field(CInstallationForm::kPower).text = FormatFieldNumber(power);
        message.clear();
        form.Accept(&message); // what the desktop dialog shows before it closes
        return true;
    };
    // Installing: the default tap's power is the most it takes.
    power = model.Tap(defaultTap).tapPower * 1.5;
    EXPECT_EQ(f.doc.InstallSpeaker(1, 1).reason, EFlowReason::EntryRefused);
    EXPECT_EQ(message, TapPowerRefusal(TapPowerOf(model, defaultTap), power, "Power"));
    EXPECT_NE(message.find("Power must lie between 0 and"), std::string::npos) << message;
    // A port that closes the dialog with OK anyway is told why nothing was installed.
    ASSERT_EQ(f.messages.errors.size(), 1u);
    EXPECT_EQ(f.messages.errors.back(), message);
    // Taps are named as the tap list numbers them, from 1.
    EXPECT_NE(message.find("tap " + std::to_string(defaultTap + 1) + " of " + model.DisplayName()),
              std::string::npos)
        << message;
    EXPECT_EQ(f.doc.Room().Count(), 0);
    power = model.Tap(defaultTap).tapPower;
    ASSERT_TRUE(f.doc.InstallSpeaker(1, 1).IsDone()) << message;
    EXPECT_TRUE(message.empty());

    // Editing: the limit is the installation's own tap, not the model's default.
    CInstallationElement onOther = *f.doc.Room().At(0);
    onOther.tapIndex = otherTap;
    onOther.power = model.Tap(otherTap).tapPower;
    Build(f.doc).Room().ReplaceInstallation(0, onOther);
    const double lower = std::min(model.Tap(otherTap).tapPower, model.Tap(defaultTap).tapPower);
    const double higher = std::max(model.Tap(otherTap).tapPower, model.Tap(defaultTap).tapPower);
    power = (lower + higher) / 2;
    const bool otherIsLower = model.Tap(otherTap).tapPower < model.Tap(defaultTap).tapPower;
    const CFlowResult edited = f.doc.EditInstallation(*f.doc.Room().Current());
    EXPECT_EQ(edited.IsDone(), !otherIsLower) << message;
    EXPECT_EQ(f.doc.Room().At(0)->power, otherIsLower ? onOther.power : power);
    power = model.Tap(otherTap).tapPower * 2;
    EXPECT_EQ(f.doc.EditInstallation(*f.doc.Room().Current()).reason, EFlowReason::EntryRefused);
    EXPECT_EQ(message, TapPowerRefusal(TapPowerOf(model, otherTap), power, "Power"));
    EXPECT_EQ(f.messages.errors.back(), message);
    EXPECT_EQ(f.doc.Room().TotalPower(), f.doc.Room().At(0)->power);
}

// Every family arranged to eight boxes (or as many as it hangs) from a column whose boxes were at
// their tap's power: the array holds the tap's power for every box (a KV-K, whose rescale follows
// its sections, is brought down to it), and every edit of it is taken while each box stays within
// its tap: the properties dialog with its own values, a new aim, a move, a drag. A power that
// would put a box above its tap is refused, naming what a box would carry.
TEST(InstallationPower, AnArrangedArrayTakesItsTapForEveryBox) {
    for (const CLineArrayFamily& family : ArrangedFamilies()) {
        SCOPED_TRACE(family.name);
        CDocFixture f;
        CBoxCountArrangement eight(8);
        f.doc.Ports().arrangement = &eight;
        EditSettings(f.doc)->advancedMode = 2;
        EditSettings(f.doc)->loadedFromFile = 1;
        f.AddModel(family.options);
        CColorMapCondition plane;
        plane.plane.Build(0, 0, 1, 10, 10, 0, 1, 100, 2);
        Build(f.doc).Conditions().Append(plane);
        CColorMapViewModel view(f.doc);
        view.OnInitialUpdate();
        Build(f.doc).Conditions().At(view.ConditionIndex())->scale = 0.05;
        view.SetViewDirection(0, 0, 0);

        const CSpeakerModel& imported = *f.doc.CurrentModel();
        const CTapPower start = TapPowerOf(imported, imported.DefaultTap());
        ASSERT_TRUE(imported.Tap(imported.DefaultTap()).lowImpedance);
        f.dialogs.installation = [&](CInstallationForm& form) {
            form.Field(CInstallationForm::kPower).text = FormatFieldNumber(start.Maximum());
            return true;
        };
        ASSERT_EQ(f.Install(5, 5), 0);
        ASSERT_TRUE(f.doc.OnCommand(kCmdArrangeModules));
        ASSERT_EQ(eight.runs, 1);
        const CSpeakerModel& arranged = *f.doc.CurrentModel();
        const CTapPower limit = TapPowerOf(arranged, f.doc.Room().At(0)->tapIndex);
        EXPECT_EQ(limit.boxes, std::min(8, family.maxBoxes));
        EXPECT_EQ(limit.perBox, start.perBox);
        EXPECT_NEAR(f.doc.Room().At(0)->power, limit.Maximum(), 1e-9 * limit.Maximum());

        std::string message;
        auto edit = [&](std::function<void(CInstallationForm&)> change) {
            f.dialogs.installation = [&, change](CInstallationForm& form) {
                change(form);
                message.clear();
                form.Accept(&message);
                return true;
            };
        };
        edit([](CInstallationForm&) {});
        EXPECT_TRUE(f.doc.ChangeCurrentInstallation().IsDone()) << message;
        edit([](CInstallationForm& form) {
            form.Field(CInstallationForm::kElevation).text = "12";
            form.Field(CInstallationForm::kX).text = "7";
        });
        EXPECT_TRUE(f.doc.ChangeCurrentInstallation().IsDone()) << message;
        EXPECT_EQ(f.doc.Room().At(0)->orientation.elevation, 12.0);
        EXPECT_EQ(f.doc.Room().At(0)->position.x, 7.0);
        edit([](CInstallationForm&) {});
        const CPixel at = view.PixelOf(f.doc.Room().At(0)->position);
        ASSERT_EQ(view.MouseMove(at), EMapCursor::Hot);
        view.LeftDown(at);
        view.LeftUp(view.PixelOf({2.2, 3.3, 0}));
        EXPECT_TRUE(message.empty()) << message;
        EXPECT_EQ(f.doc.Room().At(0)->position.x, 2.5);
        EXPECT_NEAR(f.doc.Room().At(0)->power, limit.Maximum(), 1e-9 * limit.Maximum());

        const double over = limit.Maximum() * 1.01;
        edit([&](CInstallationForm& form) {
            form.Field(CInstallationForm::kPower).text = FormatFieldNumber(over);
        });
        EXPECT_EQ(f.doc.ChangeCurrentInstallation().reason, EFlowReason::EntryRefused);
        EXPECT_EQ(message, TapPowerRefusal(limit, over, "Power"));
        EXPECT_NE(message.find(FormatSignificant(over / limit.boxes, 4) + " W a box"),
                  std::string::npos)
            << message;
        EXPECT_NE(message.find(std::to_string(limit.boxes) + " boxes of at most " +
                               FormatFieldNumber(limit.perBox) + " W"),
                  std::string::npos)
            << message;
        EXPECT_NEAR(f.doc.Room().At(0)->power, limit.Maximum(), 1e-9 * limit.Maximum());
    }
}
