#include "ArrangementScripts.h"
#include "FakePorts.h"
#include "common/FormatSignificant.h"
#include "project/ColorMapViewModel.h"
#include "project/CommandTable.h"
#include "project/ListViewModels.h"
#include "RecordingView.h"
#include "acoustics/ArrivalMap.h"
#include "common/Errors.h"
#include "common/Units.h"
#include "project/CommandTable.h"
#include "project/ProjectFile.h"
#include "project/Strings.h"
#include "project/forms/InstallationForm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <cmath>

TEST(InstallSpeaker, WithoutAdvancedModeACeilingSpeakerGetsItsDefaults) {
    CDocFixture f;
    f.AddModel(DirectionalSpeaker(1));
    EditSettings(f.doc)->advancedMode = 0;
    f.dialogs.installation = [](CInstallationForm& form) {
        EXPECT_FALSE(form.Field(CInstallationForm::kPower).visible);
        EXPECT_FALSE(form.Field(CInstallationForm::kDelay).visible);
        EXPECT_FALSE(form.PolarityVisible());
        EXPECT_EQ(form.Field(CInstallationForm::kX).unit, "[m]");
        form.Field(CInstallationForm::kX).text = "2.5";
        form.Field(CInstallationForm::kPower).text = "not even a number"; // hidden: passes through
        form.Field(CInstallationForm::kDelay).text = "-5";
        return true;
    };
    ASSERT_EQ(f.Install(5, 5), 0);
    const CInstallationElement& inst = *f.doc.Room().At(0);
    EXPECT_EQ(inst.position, (CVec3{2.5, 5, f.doc.Room().roomHeight}));
    EXPECT_EQ(inst.orientation, (COrientation{0, 0, 90}));
    EXPECT_EQ(inst.power, f.doc.CurrentModel()->Tap(f.doc.CurrentModel()->DefaultTap()).tapPower);
    EXPECT_TRUE(inst.polarityNormal);
    EXPECT_EQ(inst.delay, 0.0);
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
    form.Field(CInstallationForm::kDelay).text = "1000.5";
    EXPECT_FALSE(form.Accept(&message));
    EXPECT_EQ(message, "Delay: enter a number between 0 and 1000.");
    EXPECT_EQ(form.Field(CInstallationForm::kDelay).unit, "[ms]");
    form.Field(CInstallationForm::kDelay).text = "-0";
    form.polaritySelection = 1;
    ASSERT_TRUE(form.Accept(&message));
    EXPECT_EQ(form.Result().position.y, 3.0);
    EXPECT_EQ(form.Result().power, 15.0);
    EXPECT_FALSE(form.Result().polarityNormal);
    EXPECT_FALSE(std::signbit(form.Result().delay)); // saved as no delay at all
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

namespace {
// Omni speakers on a line through the point (0, 0, 2): the main 30 m away, the fills 10 m and
// 50 m; a marked listening point at the point. Positions in the project's unit.
struct AlignScene : CDocFixture {
    explicit AlignScene(int unit = kUnitMetric, double mainDelay = 0.0) : CDocFixture(unit) {
        const double u = unit == kUnitImperial ? kMetresToFeet : 1.0;
        AddModel(OmniSpeaker(90, 3));
        for (double x : {30.0, 10.0, -50.0}) {
            const CVec3 at = CVec3{x, 0, 2} * u;
            Build(doc).Room().AddInstallation(0, 0, at, {}, 1.0, true);
        }
        Build(doc).Room().SetDelay(0, mainDelay);
        EditSettings(doc)->listeningPoints = {{"Seat A1", CVec3{0, 0, 2} * u}};
    }
};

constexpr double kMsPerMetre = 1000.0 / 344.0;
} // namespace

TEST(AlignDelays, AFillFollowsTheMainByTheirPathDifferencePlusTheOffset) {
    for (int unit : {kUnitMetric, kUnitImperial})
        for (double mainDelay : {0.0, 7.5}) {
            SCOPED_TRACE(testing::Message() << "unit " << unit << " main delay " << mainDelay);
            AlignScene f(unit, mainDelay);
            CRecordingView log(f.doc);
            CAlignRequest request;
            request.fills = {1};
            request.main = 0;
            request.point = f.doc.Settings().listeningPoints[0].position;
            const CAlignOutcome outcome = f.doc.AlignDelays(request);
            ASSERT_TRUE(outcome.result.IsDone());
            // (30 m - 10 m) / 344 m/s = 58.14 ms, plus the main's own delay and 10 ms.
            const double expected = 20 * kMsPerMetre + mainDelay + 10;
            ASSERT_EQ(outcome.delays.size(), 1u);
            EXPECT_NEAR(outcome.delays[0].wanted, expected, 1e-9);
            EXPECT_NEAR(f.doc.Room().At(1)->delay, expected, 1e-9);
            EXPECT_EQ(f.doc.Room().At(0)->delay, mainDelay);
            EXPECT_EQ(AlignNotice(request, outcome, 1), "");
            EXPECT_EQ(log.hints,
                      (std::vector<int>{kHintAcoustics, kHintInstallations, kHintResponse}));
            EXPECT_TRUE(f.doc.IsModified());
            // The arrival map agrees: the fill's sound comes 10 ms after the main's.
            const CArrivalPlan plan(f.doc.Scene());
            EXPECT_NEAR(plan.Arrival(1, request.point) - plan.Arrival(0, request.point), 10, 1e-9);
        }
}

TEST(AlignDelays, DelaysTheGeometryCannotHaveAreLimitedAndSaidSo) {
    AlignScene f;
    CAlignRequest request;
    request.fills = {2, 0};
    request.main = 1; // 10 m away: the fill at 50 m would have to leave 116 ms early
    request.point = {0, 0, 2};
    request.offsetMs = 4;
    CAlignOutcome outcome = f.doc.AlignDelays(request);
    ASSERT_EQ(outcome.delays.size(), 2u);
    EXPECT_NEAR(outcome.delays[0].wanted, -40 * kMsPerMetre + 4, 1e-9);
    EXPECT_EQ(f.doc.Room().At(2)->delay, 0.0);
    EXPECT_EQ(f.doc.Room().At(0)->delay, 0.0);
    EXPECT_TRUE(outcome.delays[0].Limited());
    EXPECT_TRUE(outcome.delays[1].Limited());
    const std::string notice = AlignNotice(request, outcome, 1);
    EXPECT_NE(notice.find("Installation 3 would need a delay of -112.3 ms to arrive 4 ms after "
                          "installation 2"),
              std::string::npos)
        << notice;
    EXPECT_NE(notice.find("cannot be negative"), std::string::npos);
    EXPECT_NE(notice.find("112.3 ms later than asked"), std::string::npos);

    // Far beyond what a delay line holds: 1000 ms at most.
    request.fills = {2};
    request.main = 0;
    request.offsetMs = 1000;
    outcome = f.doc.AlignDelays(request);
    EXPECT_NEAR(outcome.delays[0].wanted, -20 * kMsPerMetre + 1000, 1e-9);
    EXPECT_FALSE(outcome.delays[0].Limited());
    Build(f.doc).Room().SetDelay(0, 100);
    outcome = f.doc.AlignDelays(request);
    EXPECT_EQ(f.doc.Room().At(2)->delay, kMaxDelayMs);
    EXPECT_NE(AlignNotice(request, outcome, 0).find("the longest delay is 1000 ms"),
              std::string::npos);

    // Bad requests change nothing.
    const CInstallationElementList before = f.doc.Room().List();
    for (const CAlignRequest& bad :
         {CAlignRequest{{}, 0, {0, 0, 2}, 10}, CAlignRequest{{1, 0}, 0, {0, 0, 2}, 10},
          CAlignRequest{{1, 1}, 0, {0, 0, 2}, 10}, CAlignRequest{{3}, 0, {0, 0, 2}, 10},
          CAlignRequest{{1}, -1, {0, 0, 2}, 10}, CAlignRequest{{1}, 0, {NAN, 0, 2}, 10}})
        EXPECT_THROW(f.doc.AlignDelays(bad), CInvalidArgument);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(*f.doc.Room().At(k), *before.At(k));
}

TEST(AlignDelays, TheDialogTicksTheChosenAlignsAtAMarkedPointAndTellsWhatItLimited) {
    AlignScene f;
    Build(f.doc).Room().SetCurrentIndex(2);
    const std::vector<std::uint8_t> before = ProjectFile::Write(f.doc);
    bool shown = false;
    f.dialogs.alignDelays = [&](CAlignDelaysForm& form) {
        shown = true;
        // The current installation is ticked, the first other one is the main.
        EXPECT_TRUE(form.IsFill(2));
        EXPECT_FALSE(form.IsFill(1));
        EXPECT_EQ(form.MainCombo().selection, 0);
        EXPECT_EQ(form.PointCombo().items,
                  (std::vector<std::string>{"Seat A1", Strings::kTypedPosition}));
        EXPECT_FALSE(form.PointTyped());
        EXPECT_EQ(form.Field(CAlignDelaysForm::kOffset).text, "10");
        EXPECT_EQ(form.Field(CAlignDelaysForm::kOffset).unit, "[ms]");
        // The main cannot be ticked; choosing a ticked one as main unticks it.
        form.SetFill(0, true);
        EXPECT_FALSE(form.IsFill(0));
        form.SetFill(1, true);
        form.SelectMain(1);
        EXPECT_FALSE(form.IsFill(1));
        form.SelectMain(0);
        form.SetFill(1, true);
        std::string message;
        form.Field(CAlignDelaysForm::kOffset).text = "1001";
        EXPECT_FALSE(form.Accept(&message));
        EXPECT_EQ(message, "Enter a number between -1000 and 1000.");
        form.Field(CAlignDelaysForm::kOffset).text = "5";
        return form.Accept();
    };
    ASSERT_TRUE(f.doc.IsCommandEnabled(kCmdAlignDelays));
    ASSERT_TRUE(f.doc.OnCommand(kCmdAlignDelays));
    ASSERT_TRUE(shown);
    EXPECT_NEAR(f.doc.Room().At(1)->delay, 20 * kMsPerMetre + 5, 1e-9);
    EXPECT_EQ(f.doc.Room().At(2)->delay, 0.0); // 50 m away: would be -53.14 ms
    ASSERT_EQ(f.messages.informed.size(), 1u);
    EXPECT_NE(f.messages.informed[0].find("Installation 3 would need a delay of -53.14 ms"),
              std::string::npos);
    EXPECT_EQ(f.doc.UndoMenuText(), std::string("&Undo ") + Strings::kStepAlignDelays);
    const std::vector<std::uint8_t> aligned = ProjectFile::Write(f.doc);
    ASSERT_TRUE(f.doc.OnCommand(kCmdUndo));
    EXPECT_EQ(ProjectFile::Write(f.doc), before); // no delay record any more
    ASSERT_TRUE(f.doc.OnCommand(kCmdRedo));
    EXPECT_EQ(ProjectFile::Write(f.doc), aligned);

    // A typed position; no tick is a refusal shown in the dialog.
    CAlignDelaysForm form(f.doc, {});
    form.SelectPoint(1);
    EXPECT_TRUE(form.PointTyped());
    std::string message;
    EXPECT_FALSE(form.Accept(&message));
    EXPECT_EQ(message, Strings::kAlignNoFill);
    form.SetFill(2, true);
    form.Field(CAlignDelaysForm::kX).SetValue(-60);
    ASSERT_TRUE(form.Accept(&message));
    EXPECT_EQ(form.Request().point, (CVec3{-60, 0, 2}));
    EXPECT_EQ(form.Request().fills, std::vector<int>{2});

    // One installation has nothing to follow.
    Build(f.doc).Room().RemoveInstallation(2);
    Build(f.doc).Room().RemoveInstallation(1);
    EXPECT_FALSE(f.doc.IsCommandEnabled(kCmdAlignDelays));
}
