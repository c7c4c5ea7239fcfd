#include "FakePorts.h"
#include "RecordingView.h"
#include "project/ProjectFile.h"

#include <gtest/gtest.h>

namespace {
// Every field away from its default, the way a used project has them.
CProjectSettings Used() {
    CProjectSettings s;
    s.manualRecalc = 1;
    s.advancedMode = 2;
    s.planeSameAsRoom = 0;
    s.autoLayoutShape = 1;
    s.lengthUnit = 0;
    s.projectDate = "2026-12-07";
    s.projectName = "Hall";
    s.autoLayoutValid = 1;
    s.autoJudgeBand = 3;
    s.autoJudgeFrequency = 1000;
    s.autoBottomOffset = 0.5;
    s.autoLeftOffset = 0.75;
    s.autoRowPitch = 2.25;
    s.autoColumnPitch = 2.5;
    s.autoLayoutPattern = 4;
    s.installState = 0;
    s.freshProjectFlag = 0;
    s.installAngles = {10, 20, 30};
    s.installHeight = 2.75;
    s.loadedFromFile = 1;
    return s;
}
} // namespace

TEST(ProjectSettings, AFileHoldsEverySettingButTheLayoutShape) {
    CDocFixture f;
    const CProjectSettings used = Used();
    f.doc.ReplaceSettings(used);
    EXPECT_EQ(f.doc.Settings(), used);
    CDAXDoc back;
    std::string error;
    ASSERT_EQ(ProjectFile::Read(ProjectFile::Write(f.doc), false, back, error),
              ProjectFile::EReadResult::Loaded)
        << error;
    CProjectSettings expected = used;
    expected.autoLayoutShape = CProjectSettings{}.autoLayoutShape; // not saved
    EXPECT_EQ(back.Settings(), expected);
}

TEST(ProjectSettings, ModelsFollowTheUnitOfSettingsTakenWhole) {
    CDocFixture f(0);
    f.AddModel(DirectionalSpeaker(1, 3));
    CProjectSettings imperial = f.doc.Settings();
    imperial.lengthUnit = kUnitImperial;
    f.doc.ReplaceSettings(imperial);
    EXPECT_EQ(f.doc.Models().At(0).Settings().lengthUnit, kUnitImperial);

    // A new project takes the application's unit, its models with it; nothing is converted.
    CDocFixture fresh(kUnitImperial);
    fresh.AddModel(DirectionalSpeaker(1, 3));
    const double length = fresh.doc.Room().roomLength;
    fresh.doc.SetNewProjectUnit(kUnitMetric);
    EXPECT_EQ(fresh.doc.Settings().lengthUnit, kUnitMetric);
    EXPECT_EQ(fresh.doc.Models().At(0).Settings().lengthUnit, kUnitMetric);
    EXPECT_EQ(fresh.doc.Room().roomLength, length);
}

TEST(ProjectSettings, AdvancedModeAloneTellsTheInstallationListAndRefusesOtherValues) {
    CDocFixture f;
    EditSettings(f.doc)->installHeight = 2.5;
    CRecordingView view(f.doc);
    f.doc.SetAdvancedMode(2);
    EXPECT_EQ(f.doc.Settings().advancedMode, 2);
    EXPECT_EQ(view.hints, (std::vector<int>{kHintInstallations}));
    f.doc.SetAdvancedMode(2); // no change, nothing to tell
    EXPECT_EQ(view.hints.size(), 1u);
    // Unlike the Preferences, switching off resets nothing.
    f.doc.SetAdvancedMode(0);
    EXPECT_EQ(f.doc.Settings().installHeight, 2.5);
    EXPECT_EQ(view.hints.size(), 2u);
    EXPECT_FALSE(f.doc.IsModified());

    EXPECT_THROW(f.doc.SetAdvancedMode(3), CInvalidArgument);
    EXPECT_THROW(f.doc.SetAdvancedMode(-1), CInvalidArgument);
    EXPECT_EQ(f.doc.Settings().advancedMode, 0);
    EXPECT_EQ(view.hints.size(), 2u);
}
