#include "project/ListViewModels.h"
#include "FakePorts.h"
#include "RecordingView.h"
#include "project/CommandTable.h"
#include "project/Strings.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

CVsaGenOptions Named(const std::string& name, int pitch, std::vector<CVsaTap> taps = {}) {
    CVsaGenOptions options = OmniSpeaker(90.0, pitch);
    options.name = name;
    if (!taps.empty())
        options.taps = std::move(taps);
    return options;
}
} // namespace

TEST(ListViewModels, RowTextsOfTheThreeLists) {
    CDocFixture f;
    f.AddModel(Named("Alpha", 3));
    f.AddModel(Named("Beta", 3, {{true, 8, 30, {}}, {false, 70.7, 7.5, {}}}));
    EXPECT_EQ(SpeakerRows(f.doc), (CListRows{{"1", "Alpha"}, {"2", "Beta"}}));
    EXPECT_EQ(TapRows(f.doc), (CListRows{{"1", "8ohms  30W"}, {"2", "70.7V Line  7.5W"}}));

    ASSERT_EQ(f.Install(1.23456, 2), 0);
    EditInstalled(Build(f.doc).Room(), 0, [](CInstallationElement& e) {
        e.polarityNormal = false;
        e.delay = 12.5;
    });
    EXPECT_EQ(InstallationColumns(f.doc).size(), 5u);
    EXPECT_EQ(InstallationRows(f.doc), (CListRows{{"1", "Beta", "1.235", "2", "3"}}));

    EditSettings(f.doc)->advancedMode = 2;
    const std::vector<CListColumn> columns = InstallationColumns(f.doc);
    ASSERT_EQ(columns.size(), 11u);
    EXPECT_EQ(columns[5].title, "Azimuth(Left+)");
    EXPECT_EQ(columns[9].title, "Polarity");
    EXPECT_EQ(columns[10].title, "Delay");
    EXPECT_EQ(InstallationRows(f.doc)[0],
              (std::vector<std::string>{"1", "Beta", "1.235", "2", "3", "0", "0", "0", "30",
                                        "Reverse", "12.5"}));
}

TEST(ListViewModels, ClickingASpeakerSetsTheInstallStateAndRefillsTheTaps) {
    CDocFixture f;
    f.AddModel(Named("Third", 3));
    f.AddModel(Named("Twelfth", 12));
    Build(f.doc).Models().SetCurrentIndex(0);
    ASSERT_EQ(f.Install(1, 1), 0);
    CRecordingView log(f.doc);

    EXPECT_TRUE(SelectSpeaker(f.doc, 1));
    EXPECT_EQ(f.doc.Models().CurrentIndex(), 1);
    EXPECT_EQ(f.doc.Settings().installState, 0); // another resolution than the installed speaker
    EXPECT_FALSE(CanDragSpeaker(f.doc));
    EXPECT_EQ(DropSpeakerOnInstallationList(f.doc), 2);
    EXPECT_EQ(log.hints, (std::vector<int>{kHintTaps}));

    EXPECT_TRUE(SelectSpeaker(f.doc, 0));
    EXPECT_EQ(f.doc.Settings().installState, 2);
    EXPECT_FALSE(SelectSpeaker(f.doc, 2)); // below the last row
    EXPECT_EQ(f.doc.Models().CurrentIndex(), 0);
}

TEST(ListViewModels, TheContextMenuSelectsWithoutRefreshing) {
    CDocFixture f;
    f.AddModel(Named("A", 3));
    f.AddModel(Named("B", 12));
    Build(f.doc).Models().SetCurrentIndex(0);
    ASSERT_EQ(f.Install(1, 1), 0);
    CRecordingView log(f.doc);
    EXPECT_TRUE(SelectSpeakerForMenu(f.doc, 1));
    EXPECT_EQ(f.doc.Models().CurrentIndex(), 1);
    EXPECT_EQ(f.doc.Settings().installState, 2); // not yet: only after the menu
    AfterSpeakerMenu(f.doc);
    EXPECT_EQ(f.doc.Settings().installState, 0);
    EXPECT_TRUE(log.hints.empty());

    EXPECT_FALSE(IsDeveloper(f.doc));
    f.settings.values["DEVELOPER_ID/DeveloperID"] = 2;
    EXPECT_FALSE(IsDeveloper(f.doc));
    f.settings.values["DEVELOPER_ID/DeveloperID"] = 1;
    EXPECT_TRUE(IsDeveloper(f.doc));
    EXPECT_EQ(SpeakerMenu(false).size(), 4u);
    EXPECT_EQ(SpeakerMenu(true).back().command, kCmdExportVd1);
    // Every user may export a model as an open directivity file.
    for (bool developer : {false, true}) {
        const auto menu = SpeakerMenu(developer);
        EXPECT_EQ(std::count_if(menu.begin(), menu.end(),
                                [](const CMenuEntry& e) {
                                    return e.command == kCmdExportSofa &&
                                           e.text == "Export as &SOFA...";
                                }),
                  1)
            << developer;
    }
}

TEST(ListViewModels, TapAndInstallationClicksChangeOnlyTheirCurrentEntry) {
    CDocFixture f;
    f.AddModel(Named("A", 3, {{false, 100, 30, {}}, {false, 70, 15, {}}}));
    EXPECT_EQ(CurrentTapRow(f.doc), 0);
    EXPECT_TRUE(SelectTap(f.doc, 1));
    EXPECT_EQ(f.doc.CurrentModel()->DefaultTap(), 1);
    EXPECT_FALSE(SelectTap(f.doc, 2));
    EXPECT_EQ(f.doc.CurrentModel()->DefaultTap(), 1);

    ASSERT_EQ(f.Install(1, 1), 0);
    ASSERT_EQ(f.Install(2, 2), 0);
    EXPECT_EQ(f.doc.Room().CurrentIndex(), 1);
    CRecordingView log(f.doc);
    EXPECT_TRUE(SelectInstallation(f.doc, 0));
    EXPECT_EQ(f.doc.Room().CurrentIndex(), 0);
    // The maps move their marker and the list shows the new current row.
    ASSERT_EQ(log.hints, (std::vector<int>{kHintInstallations}));
    EXPECT_TRUE(log.changes[0].currentInstallation);
    EXPECT_TRUE(SelectInstallation(f.doc, 0)); // already current: nothing to tell
    EXPECT_EQ(log.hints.size(), 1u);
    EXPECT_FALSE(SelectInstallation(f.doc, 2));
    EXPECT_EQ(f.doc.Room().CurrentIndex(), 0);
}

TEST(ListViewModels, ADropInstallsAtTheRoomCentreAsAnEdit) {
    CDocFixture f;
    f.AddModel(Named("A", 3));
    Build(f.doc).Room().roomZeroX = 2;
    Build(f.doc).Room().roomLength = 8;
    Build(f.doc).Room().roomWidth = 6;
    CRecordingView log(f.doc);
    f.dialogs.installation = [](CInstallationForm&) { return false; };
    EXPECT_EQ(DropSpeakerOnInstallationList(f.doc), 2);
    EXPECT_TRUE(log.hints.empty());

    f.dialogs.installation = [](CInstallationForm&) { return true; };
    EXPECT_EQ(DropSpeakerOnInstallationList(f.doc), 1);
    ASSERT_EQ(f.doc.Room().Count(), 1);
    EXPECT_EQ(f.doc.Room().At(0)->position, (CVec3{6, 3, f.doc.Room().roomHeight}));
    EXPECT_EQ(log.hints, (std::vector<int>{kHintAcoustics, kHintInstallations, kHintResponse}));
    // An installed speaker is an edit like any other: closing asks to save it.
    EXPECT_TRUE(f.doc.IsModified());
}

TEST(ListViewModels, TheDeleteKeyRemovesEverySelectedInstallationAsOneStep) {
    CDocFixture f;
    f.AddModel(DirectionalSpeaker(1, 3));
    for (double x : {1.0, 3.0, 5.0, 7.0})
        ASSERT_EQ(f.Install(x, 2.0), 0);
    f.doc.SetModified(false);

    // Declined: nothing goes; the question names how many would.
    f.messages.answers = {false};
    EXPECT_FALSE(RemoveSelectedInstallations(f.doc, {3, 0}));
    EXPECT_EQ(f.doc.Room().Count(), 4);
    ASSERT_FALSE(f.messages.asked.empty());
    EXPECT_EQ(f.messages.asked.back(), std::string(Strings::kConfirmRemoveSpeakersBefore) + "2" +
                                           Strings::kConfirmRemoveSpeakersAfter);
    EXPECT_FALSE(f.doc.IsModified());

    // Rows 0 and 2 (given twice and out of order) go; 3 and 7 stay, in their order.
    f.messages.answers = {true};
    EXPECT_TRUE(RemoveSelectedInstallations(f.doc, {2, 0, 2}));
    ASSERT_EQ(f.doc.Room().Count(), 2);
    EXPECT_EQ(f.doc.Room().At(0)->position.x, 3.0);
    EXPECT_EQ(f.doc.Room().At(1)->position.x, 7.0);
    EXPECT_TRUE(f.doc.IsModified());
    EXPECT_EQ(f.doc.UndoMenuText(), std::string(Strings::kUndoMenu) + " " +
                                        Strings::kStepRemoveSpeaker);
    // One step brings both back.
    ASSERT_TRUE(f.doc.Undo());
    ASSERT_EQ(f.doc.Room().Count(), 4);
    EXPECT_EQ(f.doc.Room().At(2)->position.x, 5.0);

    // One selected row asks the Remove command's own question.
    f.messages.answers = {true};
    EXPECT_TRUE(RemoveSelectedInstallations(f.doc, {1}));
    EXPECT_EQ(f.messages.asked.back(), Strings::kConfirmRemoveSpeaker);
    EXPECT_EQ(f.doc.Room().Count(), 3);

    // A row that is no installation is refused before anything is asked or removed.
    const std::size_t asked = f.messages.asked.size();
    EXPECT_FALSE(RemoveSelectedInstallations(f.doc, {0, 9}));
    EXPECT_EQ(f.messages.asked.size(), asked);
    EXPECT_EQ(f.doc.Room().Count(), 3);
    EXPECT_FALSE(f.messages.errors.empty());
}
