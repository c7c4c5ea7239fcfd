#include "FakePorts.h"
#include "RecordingView.h"
#include "project/ColorMapViewModel.h"
#include "project/CommandTable.h"
#include "project/Strings.h"

#include <gtest/gtest.h>

TEST(CommandTable, EveryCommandHasItsTexts) {
    const CCommandInfo* install = FindCommand(kCmdInstall);
    ASSERT_NE(install, nullptr);
    EXPECT_EQ(install->prompt, "Install the current speaker");
    EXPECT_EQ(install->menuText, "&Manually...");
    EXPECT_EQ(FindCommand(kCmdRemoveAllInstallations)->tooltip, "Remove ALL Installation");
    EXPECT_EQ(FindCommand(12345), nullptr);
}

TEST(DocumentCommands, EnableRulesFollowTheProject) {
    CDocFixture f;
    EXPECT_FALSE(f.doc.IsCommandEnabled(kCmdDeleteSpeaker));
    EXPECT_FALSE(f.doc.IsCommandEnabled(kCmdExportVd1));
    EXPECT_FALSE(f.doc.IsCommandEnabled(kCmdInstall));
    for (int id : {kCmdRecalculate, kCmdRemoveInstallation, kCmdRemoveAllInstallations,
                   kCmdChangeInstallation})
        EXPECT_FALSE(f.doc.IsCommandEnabled(id)) << id;
    EXPECT_TRUE(f.doc.IsCommandEnabled(kCmdRoomParameters));
    EXPECT_FALSE(f.doc.IsCommandEnabled(kCmdNewWindow));
    EXPECT_FALSE(f.doc.OnCommand(kCmdRecalculate));

    f.AddModel(DirectionalSpeaker(0));
    EXPECT_TRUE(f.doc.IsCommandEnabled(kCmdDeleteSpeaker));
    EXPECT_FALSE(f.doc.IsCommandEnabled(kCmdAutoInstall)); // kind 0
    EXPECT_FALSE(f.doc.IsCommandEnabled(kCmdArrangeModules));
    f.AddModel(DirectionalSpeaker(1));
    EXPECT_TRUE(f.doc.IsCommandEnabled(kCmdAutoInstall));
    CColorMapCondition vertical;
    vertical.plane.Build(0, 1, 0, 4, 0, 3, 0.5, 100, 2);
    Build(f.doc).Conditions().Append(vertical);
    EXPECT_FALSE(f.doc.IsCommandEnabled(kCmdAutoInstall));

    f.Install(1, 1);
    EXPECT_TRUE(f.doc.IsCommandEnabled(kCmdRecalculate));
    EditSettings(f.doc)->installState = 0;
    EXPECT_FALSE(f.doc.IsCommandEnabled(kCmdInstall));
    EditSettings(f.doc)->installState = 1; // tolerated, left enabled
    EXPECT_TRUE(f.doc.IsCommandEnabled(kCmdInstall));
}

TEST(DocumentCommands, SelectingAModelOfAnotherResolutionBlocksInstalling) {
    CDocFixture f;
    f.AddModel(DirectionalSpeaker(1, 3));
    f.Install(1, 1);
    f.AddModel(DirectionalSpeaker(1, 24));
    f.doc.UpdateInstallState();
    EXPECT_EQ(f.doc.Settings().installState, 0);
    Build(f.doc).Models().SetCurrentIndex(0);
    f.doc.UpdateInstallState();
    EXPECT_EQ(f.doc.Settings().installState, 2);
}

TEST(DocumentCommands, PreferencesOffResetsTheAutomaticLayoutWithoutRecalculating) {
    CDocFixture f;
    EditSettings(f.doc)->advancedMode = 2;
    EditSettings(f.doc)->installHeight = 2.0;
    EditSettings(f.doc)->installAngles = {10, 20, 30};
    EditSettings(f.doc)->autoJudgeBand = 3;
    f.dialogs.preferences = [](CPreferencesForm& form) {
        EXPECT_TRUE(form.advancedChecked);
        form.advancedChecked = false;
        form.manualChecked = true;
        return true;
    };
    ASSERT_TRUE(f.doc.OnCommand(kCmdPreference));
    EXPECT_EQ(f.doc.Settings().advancedMode, 0);
    EXPECT_EQ(f.doc.Settings().manualRecalc, 1);
    EXPECT_EQ(f.doc.Settings().installHeight, f.doc.Room().roomHeight);
    EXPECT_EQ(f.doc.Settings().installAngles,
              (COrientation{kUnsetSentinel, kUnsetSentinel, kUnsetSentinel}));
    EXPECT_EQ(f.doc.Settings().autoJudgeBand, 0.0);

    EditSettings(f.doc)->advancedMode = 2;
    f.dialogs.preferences = [](CPreferencesForm&) { return false; };
    f.doc.OnCommand(kCmdPreference);
    EXPECT_EQ(f.doc.Settings().advancedMode, 2);
}

TEST(DocumentCommands, ManualRecalculationCalculatesOnlyOnRecalculate) {
    CDocFixture f;
    f.AddModel(OmniSpeaker(90, 3));
    EditSettings(f.doc)->loadedFromFile = 1; // no Room Parameters dialog on opening
    CColorMapCondition c;
    c.band = 3;
    c.centreFrequency = 1000;
    c.plane.Build(0, 0, 1, 2, 2, 0, 0.5, 100, 2);
    Build(f.doc).Conditions().Append(c);
    CColorMapViewModel view(f.doc);
    view.OnInitialUpdate();
    EditSettings(f.doc)->manualRecalc = 1;
    f.Install(1, 1); // the edit refreshes the views, which leave the map alone
    EXPECT_EQ(view.Condition()->plane.points[0].level, 0.0);
    ASSERT_TRUE(f.doc.OnCommand(kCmdRecalculate));
    const double level = view.Condition()->plane.points[0].level;
    EXPECT_GT(level, 50.0);
    f.doc.RebuildAllPlanes();
    f.doc.StandardRefresh(); // an edit: not recalculated
    EXPECT_EQ(view.Condition()->plane.points[0].level, 0.0);
}

TEST(DocumentCommands, TheStandardRefreshSendsItsHintsInOrderAndClearsCurves) {
    CDocFixture f;
    CRecordingView view(f.doc);
    CSoundGraphDataList data;
    const double freq[] = {100, 200}, lev[] = {80, 81};
    data.SetCurve(0, 2, freq, lev);
    Build(f.doc).Graphs().AddGraphCondition(-1, 30, 20, 20, 36, 0, 0, data);
    f.doc.StandardRefresh();
    EXPECT_EQ(view.hints, (std::vector<int>{1, 2, 4}));
    const CSoundGraphData& curve = *f.doc.Graphs().At(0)->data.Curve(0);
    EXPECT_EQ(curve.PointCount(), 2);
    EXPECT_EQ(curve.frequencies, (std::vector<double>{0, 0}));
    EXPECT_TRUE(f.doc.IsModified());
}

TEST(DocumentCommands, ViewCommandsMarkTheProjectModified) {
    CDocFixture f;
    for (int id : {kCmdZoomIn, kCmdZoomOut, kCmdFit, kCmdViewMinusX, kCmdViewPlusY, kCmdViewMinusZ,
                   kCmdViewDiagonal}) {
        f.doc.SetModified(false);
        ASSERT_TRUE(f.doc.OnCommand(id));
        EXPECT_TRUE(f.doc.IsModified()) << id;
    }
}

TEST(SaveProject, ALegacyProjectIsSavedUnderTheNewExtensionWithOneNotice) {
    CDocFixture f;
    f.doc.SetPathName("/projects/room.dax");
    EXPECT_TRUE(f.doc.LegacyFormat());
    ASSERT_TRUE(f.doc.OnCommand(kCmdSave));
    EXPECT_EQ(f.storage.saves.count("/projects/room.tdax"), 1u);
    EXPECT_EQ(f.storage.saves.count("/projects/room.dax"), 0u);
    EXPECT_EQ(f.doc.PathName(), "/projects/room.tdax");
    EXPECT_EQ(f.messages.informed, (std::vector<std::string>{Strings::kSavedWithNewExtension}));
    f.doc.OnCommand(kCmdSave);
    EXPECT_EQ(f.messages.informed.size(), 1u);
    EXPECT_FALSE(f.doc.IsModified());
}

TEST(SaveProject, SavingUnderALegacyNameAsksFirstAndFailuresAreReported) {
    CDocFixture f;
    f.messages.answers = {false};
    EXPECT_FALSE(f.doc.DoSave("/p/old.DAX"));
    EXPECT_TRUE(f.storage.saves.empty());
    EXPECT_EQ(f.messages.asked.back(), Strings::kAskNewExtension);
    EXPECT_TRUE(f.doc.DoSave("/p/old.DAX"));
    EXPECT_EQ(f.storage.saves.count("/p/old.tdax"), 1u);

    f.storage.fail = true;
    f.doc.SetModified();
    EXPECT_FALSE(f.doc.DoSave("/p/new.tdax"));
    EXPECT_TRUE(f.doc.IsModified());
    ASSERT_FALSE(f.messages.errors.empty());
    EXPECT_NE(f.messages.errors.back().find("disk full"), std::string::npos);
}

TEST(DocumentCommands, AModelWithoutTapsEndsTheInstallCommandWithAMessage) {
    // Speaker data without taps is refused at import; a model from an older project may still
    // have none.
    CDocFixture f;
    f.AddModel(OmniSpeaker());
    f.doc.CurrentModel()->Settings().taps.clear();
    EXPECT_TRUE(f.doc.OnCommand(kCmdInstall));
    EXPECT_TRUE(f.doc.Room().Empty());
    ASSERT_EQ(f.messages.errors.size(), 1u);
    EXPECT_NE(f.messages.errors[0].find("tap"), std::string::npos);
}
