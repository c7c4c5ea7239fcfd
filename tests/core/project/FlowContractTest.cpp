#include "FakePorts.h"
#include "project/ColorMapViewModel.h"
#include "project/CommandTable.h"
#include "project/Strings.h"

#include <gtest/gtest.h>

namespace {
CFlowResult Cancelled(EFlowReason why) {
    return CFlowResult::Cancelled(why);
}
CFlowResult Refused(EFlowReason why) {
    return CFlowResult::Refused(why);
}
} // namespace

TEST(FlowResult, InstallingSaysWhyNothingWasInstalled) {
    CDocFixture f;
    EXPECT_EQ(f.doc.InstallSpeaker(1, 1), Refused(EFlowReason::NothingCurrent));
    f.AddModel(DirectionalSpeaker(1));

    f.dialogs.installation = [](CInstallationForm&) { return false; };
    EXPECT_EQ(f.doc.InstallSpeaker(1, 1), Cancelled(EFlowReason::DialogClosed));
    f.dialogs.installation = [](CInstallationForm& form) {
        form.Field(CInstallationForm::kX).text = "east";
        return true;
    };
    EXPECT_EQ(f.doc.InstallSpeaker(1, 1), Refused(EFlowReason::EntryRefused));
    EXPECT_TRUE(f.doc.Room().Empty());

    f.dialogs.installation = [](CInstallationForm&) { return true; };
    ASSERT_TRUE(f.doc.InstallSpeaker(1, 1).IsDone());
    // The same spot again: the question is asked, and No is an answer the caller can tell.
    f.messages.asked.clear();
    f.messages.answers = {false};
    EXPECT_EQ(f.doc.InstallSpeaker(1, 1), Cancelled(EFlowReason::SameSpot));
    EXPECT_EQ(f.messages.asked, std::vector<std::string>{Strings::kSameSpot});
    EXPECT_EQ(f.doc.Room().Count(), 1);
    f.messages.answers = {true};
    EXPECT_TRUE(f.doc.InstallSpeaker(1, 1).IsDone());
    EXPECT_EQ(f.doc.Room().Count(), 2);

    // A low-impedance model beside line-tap installations.
    f.AddModel(DirectionalSpeaker(1));
    f.doc.Models().At(1).Settings().taps = {CTapElement{true, 8, 30, 2.5}};
    f.doc.Models().At(1).SetDefaultTap(0);
    EXPECT_EQ(f.doc.InstallSpeaker(4, 4), Refused(EFlowReason::ImpedanceMix));
    EXPECT_EQ(f.doc.Room().Count(), 2);
}

TEST(FlowResult, CommandFlowsAnswerInTheSameShape) {
    CDocFixture f;
    EXPECT_EQ(f.doc.ExportSpeakerData(), Refused(EFlowReason::NothingCurrent));
    EXPECT_EQ(f.doc.AutoInstallation(), Refused(EFlowReason::NothingCurrent));
    const CFlowResult missing = f.doc.ImportSpeakerFile("/no/such/speaker.vsa");
    EXPECT_EQ(missing.status, EFlowStatus::Failed);
    ASSERT_EQ(f.messages.errors.size(), 1u);
    EXPECT_EQ(missing.message, f.messages.errors.back());

    f.AddModel(DirectionalSpeaker(1));
    f.messages.answers = {false};
    EXPECT_EQ(f.doc.DeleteSpeakerData(), Cancelled(EFlowReason::NotConfirmed));
    EXPECT_EQ(f.doc.Models().Count(), 1);
    f.dialogs.preferences = [](CPreferencesForm&) { return false; };
    EXPECT_EQ(f.doc.Preferences(), Cancelled(EFlowReason::DialogClosed));
    f.dialogs.vd1Export = [](CVd1ExportForm&) { return true; };
    EXPECT_TRUE(f.doc.ExportSpeakerData().IsDone());
    f.messages.answers = {true};
    EXPECT_TRUE(f.doc.DeleteSpeakerData().IsDone());
    EXPECT_EQ(f.doc.Models().Count(), 0);
}

TEST(MissingPorts, AFlowWithoutItsPortFailsBeforeChangingAnything) {
    CDocFixture f;
    f.AddModel(DirectionalSpeaker(1));
    ASSERT_EQ(f.Install(2, 2), 0);
    const std::size_t steps = f.doc.History().Count();
    const CDocumentPorts wired = f.doc.Ports();

    CDocumentPorts ports = wired;
    ports.dialogs = nullptr;
    f.doc.SetPorts(ports);
    EXPECT_THROW(f.doc.InstallSpeaker(1, 1), CMissingPort);
    EXPECT_THROW(f.doc.OnCommand(kCmdPreference), CMissingPort);
    {
        CColorMapViewModel view(f.doc); // a new project's map asks for its room
        EXPECT_THROW(view.OnInitialUpdate(), CMissingPort);
    }

    ports = wired;
    ports.messages = nullptr;
    f.doc.SetPorts(ports);
    // Not taken for a No: the command does not quietly do nothing.
    EXPECT_THROW(f.doc.OnCommand(kCmdRemoveAllInstallations), CMissingPort);
    EXPECT_EQ(f.doc.Room().Count(), 1);

    ports = wired;
    ports.files = nullptr;
    f.doc.SetPorts(ports);
    try {
        f.doc.OnCommand(kCmdImport);
        ADD_FAILURE() << "no error without a file port";
    } catch (const CMissingPort& e) {
        EXPECT_STREQ(e.what(), "the project has no file port to ask");
    }
    EXPECT_EQ(f.doc.Models().Count(), 1);
    EXPECT_EQ(f.doc.History().Count(), steps);

    f.doc.SetPorts(wired);
    EXPECT_TRUE(f.doc.RemoveInstallations(true).IsDone());
}

TEST(FormRows, AFrontEndMayShowEveryRowWithoutChangingTheProject) {
    CDocFixture f;
    f.AddModel(DirectionalSpeaker(1));
    f.doc.SetAdvancedMode(0);
    bool polarity = true, aim = true;
    f.dialogs.installation = [&](CInstallationForm& form) {
        polarity = form.PolarityVisible();
        aim = form.Field(CInstallationForm::kAzimuth).visible;
        return true;
    };
    ASSERT_EQ(f.Install(1, 1), 0);
    EXPECT_FALSE(polarity);
    EXPECT_FALSE(aim);

    f.doc.ShowAllFormRows(true);
    ASSERT_EQ(f.Install(2, 2), 0);
    EXPECT_TRUE(polarity);
    EXPECT_TRUE(aim);
    EXPECT_EQ(f.doc.Settings().advancedMode, 0);

    f.doc.ShowAllFormRows(false);
    ASSERT_EQ(f.Install(3, 3), 0);
    EXPECT_FALSE(polarity);
}
