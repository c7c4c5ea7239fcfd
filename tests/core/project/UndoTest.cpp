#include "BusyWorkers.h"
#include "FakePorts.h"
#include "RecordingView.h"
#include "TestDir.h"
#include "project/ColorMapViewModel.h"
#include "project/CommandTable.h"
#include "project/ListViewModels.h"
#include "project/ProjectFile.h"
#include "project/Strings.h"
#include "project/arrangement/ModuleArrangementDialogs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <stdexcept>

namespace {
using Bytes = std::vector<std::uint8_t>;

// The hints of the edits themselves: a map a view calculates meanwhile is told of on its own.
std::vector<int> WithoutResults(std::vector<int> hints) {
    std::erase(hints, static_cast<int>(kHintMapResult));
    return hints;
}

class CScriptedFiles : public CFilePort {
public:
    std::optional<std::string> speakerFile;
    std::optional<std::string> ChooseSpeakerFile() override { return speakerFile; }
    std::optional<std::string> ChooseProjectName(const std::string&) override {
        return std::nullopt;
    }
};

// A project with a calculated map: one model, one speaker, one plane whose levels are stored, so
// "byte-identical" covers the levels and statistics a save writes.
struct UndoDoc : CDocFixture {
    std::unique_ptr<CColorMapViewModel> map;

    UndoDoc() {
        AddModel(DirectionalSpeaker(1, 3));
        EditSettings(doc)->loadedFromFile = 1;
        CColorMapCondition c;
        c.plane.Build(0, 0, 1, 4, 4, 0, 0.5, 100, 2);
        Build(doc).Conditions().Append(c);
        map = std::make_unique<CColorMapViewModel>(doc);
        map->OnInitialUpdate();
        map->ResetSpeakerDependentDisplay();
        EXPECT_EQ(doc.OnCommand(kCmdInstall), true);
        doc.History().Clear();
        doc.SetModified(false);
    }
    Bytes Saved() { return ProjectFile::Write(doc); }
    const CListeningPlane& Plane() { return doc.Conditions().At(0)->plane; }
};

// One drag of the current speaker, as the map view records it.
void Move(UndoDoc& f, double x, double y) {
    CDAXDoc::CEditStep move(f.doc, Strings::kStepMoveSpeaker);
    CInstallationElement values = *f.doc.Room().Current();
    values.position.x = x;
    values.position.y = y;
    f.dialogs.installation = [](CInstallationForm& form) { return form.Accept(); };
    ASSERT_TRUE(f.doc.EditInstallation(values).IsDone());
}

// The user's answer to the installation dialog: the speaker goes to (x, y).
std::function<bool(CInstallationForm&)> PlaceAt(double x, double y) {
    return [=](CInstallationForm& form) {
        form.Field(CInstallationForm::kX).SetValue(x);
        form.Field(CInstallationForm::kY).SetValue(y);
        return form.Accept();
    };
}

// Runs one edit and checks the round trip: undo saves as before, redo saves as after.
void ExpectUndoRedo(UndoDoc& f, const std::function<void()>& edit, const std::string& name) {
    const Bytes before = f.Saved();
    edit();
    ASSERT_TRUE(f.doc.CanUndo()) << name;
    EXPECT_EQ(f.doc.UndoMenuText(), "&Undo " + name);
    const Bytes after = f.Saved();
    ASSERT_NE(before, after) << name;
    ASSERT_TRUE(f.doc.OnCommand(kCmdUndo));
    EXPECT_EQ(f.Saved(), before) << name;
    EXPECT_EQ(f.doc.RedoMenuText(), "&Redo " + name);
    ASSERT_TRUE(f.doc.OnCommand(kCmdRedo));
    EXPECT_EQ(f.Saved(), after) << name;
    ASSERT_TRUE(f.doc.OnCommand(kCmdUndo));
    EXPECT_EQ(f.Saved(), before) << name;
}

struct QL9Count : CModuleArrangementDialogs {
    int count = 3;
    bool Run(CQL9ArrangementForm& form) override { return form.SelectCount(count), true; }
    bool Run(CTypeWArrangementForm&) override { return false; }
    bool Run(CTypePArrangementForm&) override { return false; }
    bool Run(CTypeRArrangementForm&) override { return false; }
    bool Run(CTypeKArrangementForm&) override { return false; }
    bool SpecialUserLevel() const override { return false; }
};
// An UndoDoc whose file port offers a generated line array and whose arrangement dialogs choose
// three modules.
struct ArrayDoc : UndoDoc {
    CScriptedFiles files;
    CTestDir dir;
    QL9Count user;
    std::string path = dir.Path("array.vsa");

    ArrayDoc() {
        CVsaGenOptions o = QL9ArrayOptions();
        o.phiBlocks = 4;
        o.thetaCount = 5;
        o.lowestFrequency = 500.0;
        o.highestFrequency = 2000.0;
        std::ofstream(path, std::ios::binary) << GenerateVsa(o);
        files.speakerFile = path;
        CDocumentPorts ports = doc.Ports();
        ports.files = &files;
        ports.arrangement = &user;
        doc.SetPorts(ports);
    }
};
} // namespace

// Every operation that changes the project, called on its own as a front end calls it (no
// command around it): one undo step under its own name, the views told once, the file changed.
TEST(DocumentOperations, EachRecordsOneStepAndTellsTheViewsOnce) {
    ArrayDoc f;
    CRecordingView log(f.doc);
    f.dialogs.installation = PlaceAt(3, 1);
    f.dialogs.preferences = [](CPreferencesForm& form) {
        form.advancedChecked = true;
        return true;
    };
    const auto moved = [&] {
        CInstallationElement values = *f.doc.Room().Current();
        values.position.x += 1;
        return values;
    };
    const std::vector<std::pair<std::string, std::function<CFlowResult()>>> operations = {
        {Strings::kStepInstallSpeaker, [&] { return f.doc.InstallSpeaker(3, 1); }},
        {Strings::kStepChangeSpeaker, [&] { return f.doc.EditInstallation(moved()); }},
        {Strings::kStepChangeSpeaker, [&] { return f.doc.ChangeCurrentInstallation(); }},
        {Strings::kStepChangeSpeaker,
         [&] {
             const CInstallationElement& e = *f.doc.Room().At(0);
             const int taps = static_cast<int>(f.doc.Models().At(0).Settings().taps.size());
             return f.doc.ChangeInstallationModel(0, 0, (e.tapIndex + 1) % taps);
         }},
        {Strings::kStepRemoveSpeaker, [&] { return f.doc.RemoveInstallations(false); }},
        {Strings::kStepPreferences, [&] { return f.doc.Preferences(); }},
        {Strings::kStepRoomParameters, [&] { return f.doc.RoomParameters(); }},
        {Strings::kStepAutoInstallation, [&] { return f.doc.AutoInstallation(); }},
        {Strings::kStepRemoveAllSpeakers, [&] { return f.doc.RemoveInstallations(true); }},
        {Strings::kStepImportSpeakerData, [&] { return f.doc.ImportSpeakerData(); }},
        {Strings::kStepArrangeModules, [&] { return f.doc.ArrangeModules(); }},
        {Strings::kStepDeleteSpeakerData, [&] { return f.doc.DeleteSpeakerData(); }},
    };
    for (const auto& [name, operation] : operations) {
        SCOPED_TRACE(name);
        const std::size_t steps = f.doc.History().Count();
        f.doc.SetModified(false);
        log.hints.clear();
        log.changes.clear();
        ASSERT_TRUE(operation().IsDone());
        EXPECT_EQ(f.doc.History().Count(), steps + 1);
        EXPECT_EQ(f.doc.UndoMenuText(), "&Undo " + name);
        EXPECT_TRUE(f.doc.IsModified());
        // One record, each of its hints once: a second notification would repeat them. The map
        // the views recalculate comes back as a result of its own.
        ASSERT_FALSE(log.changes.empty());
        std::vector<int> once;
        for (const EUpdateHint hint : log.changes.front().Hints())
            once.push_back(hint);
        EXPECT_EQ(WithoutResults(log.hints), once);
    }
}

TEST(Undo, EachKindOfEditComesBackByteForByteAndGoesAgain) {
    UndoDoc f;
    ASSERT_GT(f.Plane().maximumLevel, 0.0); // the map was calculated and is part of the save
    f.dialogs.installation = PlaceAt(3, 1);
    ExpectUndoRedo(
        f, [&] { f.doc.OnCommand(kCmdInstall); }, Strings::kStepInstallSpeaker);
    ExpectUndoRedo(
        f, [&] { f.doc.OnCommand(kCmdChangeInstallation); }, Strings::kStepChangeSpeaker);
    // A delay alone: the file gains its delay record, and undo takes it out again.
    EditSettings(f.doc)->advancedMode = 2;
    f.dialogs.installation = [](CInstallationForm& form) {
        form.Field(CInstallationForm::kDelay).SetValue(12.5);
        return form.Accept();
    };
    ExpectUndoRedo(
        f, [&] { f.doc.OnCommand(kCmdChangeInstallation); }, Strings::kStepChangeSpeaker);
    EXPECT_EQ(f.doc.Room().Current()->delay, 0.0);
    EditSettings(f.doc)->advancedMode = 0;
    f.dialogs.installation = PlaceAt(3, 1);
    ExpectUndoRedo(
        f, [&] { f.doc.OnCommand(kCmdRemoveInstallation); }, Strings::kStepRemoveSpeaker);
    f.doc.OnCommand(kCmdInstall);
    ExpectUndoRedo(
        f, [&] { f.doc.OnCommand(kCmdRemoveAllInstallations); }, Strings::kStepRemoveAllSpeakers);
    f.dialogs.preferences = [](CPreferencesForm& form) {
        form.manualChecked = true;
        form.advancedChecked = true;
        return true;
    };
    ExpectUndoRedo(
        f, [&] { f.doc.OnCommand(kCmdPreference); }, Strings::kStepPreferences);
    // Room acoustics travel in the settings every state keeps whole.
    f.dialogs.surfacesAndAir = [](CSurfacesAndAirForm& form) {
        form.faces[0].alpha[2].text = "0.5";
        form.noiseOn = true;
        return true;
    };
    ExpectUndoRedo(
        f, [&] { f.doc.OnCommand(kCmdSurfacesAndAir); }, Strings::kStepSurfacesAndAir);
    // A change of unit converts every position and tells every model.
    f.dialogs.roomParameters = [](CRoomParametersForm& form) {
        form.projectName = "Hall";
        form.SelectUnit(kUnitImperial);
        return form.Accept() ? ERoomParametersAnswer::Ok : ERoomParametersAnswer::Cancel;
    };
    ExpectUndoRedo(
        f, [&] { f.doc.OnCommand(kCmdRoomParameters); }, Strings::kStepRoomParameters);
    EXPECT_EQ(f.doc.CurrentModel()->Settings().lengthUnit, f.doc.Settings().lengthUnit);
    ExpectUndoRedo(
        f, [&] { f.doc.OnCommand(kCmdAutoInstall); }, Strings::kStepAutoInstallation);
    f.AddModel(DirectionalSpeaker(0, 3));
    f.doc.History().Clear();
    ExpectUndoRedo(
        f, [&] { f.doc.OnCommand(kCmdDeleteSpeaker); }, Strings::kStepDeleteSpeakerData);
    EXPECT_EQ(f.doc.Models().Count(), 2);
}

TEST(Undo, ImportAndModuleArrangementKeepTheirModels) {
    ArrayDoc f;
    QL9Count& user = f.user;
    CDocumentPorts ports = f.doc.Ports();

    ExpectUndoRedo(
        f, [&] { f.doc.OnCommand(kCmdImport); }, Strings::kStepImportSpeakerData);
    ASSERT_TRUE(f.doc.OnCommand(kCmdRedo));
    ASSERT_EQ(f.doc.Models().Count(), 2);
    const CSpeakerModel* imported = f.doc.CurrentModel();
    const int modules = imported->ElementTotal();
    ExpectUndoRedo(
        f, [&] { f.doc.OnCommand(kCmdArrangeModules); }, Strings::kStepArrangeModules);
    EXPECT_EQ(f.doc.CurrentModel()->ElementTotal(), modules);
    ASSERT_TRUE(f.doc.OnCommand(kCmdRedo));
    EXPECT_NE(f.doc.CurrentModel()->ElementTotal(), modules);
    // Undoing the arrangement and the import puts back the very model that was imported.
    ASSERT_TRUE(f.doc.Undo());
    EXPECT_EQ(f.doc.CurrentModel(), imported);

    // A cancelled arrangement records nothing and leaves the model the project had.
    user.count = -1;
    struct Cancel : QL9Count {
        bool Run(CQL9ArrangementForm&) override { return false; }
    } cancel;
    ports.arrangement = &cancel;
    f.doc.SetPorts(ports);
    const std::size_t steps = f.doc.History().Position();
    f.doc.OnCommand(kCmdArrangeModules);
    EXPECT_EQ(f.doc.History().Position(), steps);
    EXPECT_EQ(f.doc.CurrentModel(), imported);
}

TEST(Undo, UndoneStatesNeedNoRecalculationAndSendTheOriginalRecord) {
    UndoDoc f;
    // Every map calculation opens one progress dialog.
    struct Counting : CProgressFactory {
        int created = 0;
        std::unique_ptr<CProgressDialog1> CreateProgress() override {
            ++created;
            return std::make_unique<CCountingProgress>();
        }
    } calculations;
    CDocumentPorts ports = f.doc.Ports();
    ports.progress = &calculations;
    f.doc.SetPorts(ports);
    CRecordingView view(f.doc);
    const double level = f.Plane().maximumLevel;
    f.dialogs.installation = PlaceAt(3, 3);
    f.doc.OnCommand(kCmdInstall);
    EXPECT_NE(f.Plane().maximumLevel, level);
    EXPECT_EQ(calculations.created, 1);
    view.hints.clear();
    view.changes.clear();
    ASSERT_TRUE(f.doc.Undo());
    EXPECT_EQ(f.Plane().maximumLevel, level);
    EXPECT_EQ(view.hints, (std::vector<int>{kHintAcoustics, kHintInstallations, kHintResponse}));
    ASSERT_FALSE(view.changes.empty());
    EXPECT_TRUE(view.changes.front().restored);
    EXPECT_TRUE(view.changes.front().installations);
    EXPECT_EQ(calculations.created, 1); // not recalculated
    ASSERT_TRUE(f.doc.Redo());
    EXPECT_EQ(calculations.created, 1);
    EXPECT_NE(f.Plane().maximumLevel, level);
}

TEST(Undo, ANewEditDropsRedoAndTheOldestStepsGoBeyondTheBound) {
    UndoDoc f;
    for (double x : {1.0, 2.0, 3.0}) {
        f.dialogs.installation = PlaceAt(x, 2);
        f.doc.OnCommand(kCmdChangeInstallation);
    }
    EXPECT_EQ(f.doc.History().Count(), 3u);
    f.doc.Undo();
    f.doc.Undo();
    EXPECT_TRUE(f.doc.CanRedo());
    f.dialogs.installation = PlaceAt(0.5, 0.5);
    f.doc.OnCommand(kCmdChangeInstallation);
    EXPECT_FALSE(f.doc.CanRedo());
    EXPECT_FALSE(f.doc.IsCommandEnabled(kCmdRedo));
    EXPECT_EQ(f.doc.RedoMenuText(), "&Redo");
    EXPECT_EQ(f.doc.History().Count(), 2u);

    f.doc.History().SetBounds(3, CUndoHistory::kDefaultMaxBytes);
    const Bytes second = f.Saved(); // what undoing the third step from now brings back
    for (double x : {1.5, 2.5, 3.5}) {
        f.dialogs.installation = PlaceAt(x, 1);
        f.doc.OnCommand(kCmdChangeInstallation);
    }
    EXPECT_EQ(f.doc.History().Count(), 3u);
    while (f.doc.Undo()) {
    }
    EXPECT_EQ(f.Saved(), second);

    // A byte bound smaller than one step keeps only the newest.
    f.doc.History().SetBounds(100, 1);
    f.doc.OnCommand(kCmdChangeInstallation);
    f.doc.OnCommand(kCmdChangeInstallation);
    EXPECT_EQ(f.doc.History().Count(), 1u);
    EXPECT_TRUE(f.doc.CanUndo());
}

TEST(Undo, TheSavedPositionClearsTheModifiedFlag) {
    UndoDoc f;
    f.doc.SetPathName("/nowhere/hall.tdax");
    EXPECT_FALSE(f.doc.IsModified());
    f.dialogs.installation = PlaceAt(1, 1);
    f.doc.OnCommand(kCmdChangeInstallation);
    EXPECT_TRUE(f.doc.IsModified());
    f.doc.Undo();
    EXPECT_FALSE(f.doc.IsModified());
    f.doc.Redo();
    EXPECT_TRUE(f.doc.IsModified());

    ASSERT_TRUE(f.doc.OnCommand(kCmdSave));
    EXPECT_FALSE(f.doc.IsModified());
    EXPECT_TRUE(f.doc.CanUndo()); // saving keeps the history
    f.doc.Undo();
    EXPECT_TRUE(f.doc.IsModified());
    f.doc.Redo();
    EXPECT_FALSE(f.doc.IsModified());

    // The saved state was undone and another edit replaced it: no position is clean any more.
    f.doc.Undo();
    f.dialogs.installation = PlaceAt(2, 2);
    f.doc.OnCommand(kCmdChangeInstallation);
    f.doc.Undo();
    EXPECT_TRUE(f.doc.IsModified());

    // A change outside the steps (a view command) leaves the file behind at this position.
    ASSERT_TRUE(f.doc.OnCommand(kCmdSave));
    f.doc.OnCommand(kCmdZoomIn);
    f.doc.Redo();
    f.doc.Undo();
    EXPECT_TRUE(f.doc.IsModified());
}

TEST(Undo, CancelledAndDeclinedCommandsRecordNothing) {
    UndoDoc f;
    const Bytes before = f.Saved();
    f.dialogs.installation = [](CInstallationForm&) { return false; };
    f.doc.OnCommand(kCmdInstall);
    f.doc.OnCommand(kCmdChangeInstallation);
    f.messages.answers = {false, false};
    f.doc.OnCommand(kCmdRemoveInstallation);
    f.doc.OnCommand(kCmdRemoveAllInstallations);
    f.dialogs.preferences = [](CPreferencesForm&) { return false; };
    f.doc.OnCommand(kCmdPreference);
    f.dialogs.roomParameters = [](CRoomParametersForm&) { return ERoomParametersAnswer::Cancel; };
    f.doc.OnCommand(kCmdRoomParameters);
    f.dialogs.autoInstallation = [](CAutoInstallationForm&) { return false; };
    f.doc.OnCommand(kCmdAutoInstall);
    f.messages.answers = {false};
    f.doc.OnCommand(kCmdDeleteSpeaker);
    f.doc.OnCommand(kCmdRecalculate); // not an edit
    EXPECT_FALSE(f.doc.CanUndo());
    EXPECT_FALSE(f.doc.IsCommandEnabled(kCmdUndo));
    EXPECT_EQ(f.doc.UndoMenuText(), "&Undo");
    EXPECT_EQ(f.Saved(), before);
}

TEST(Undo, ACommandThatThrowsLeavesTheProjectAsItWas) {
    UndoDoc f;
    const Bytes before = f.Saved();
    // The dialog answers OK, then the flow meets bad data after the speaker went in.
    f.dialogs.installation = PlaceAt(2, 3);
    CRecordingView view(f.doc);
    view.onUpdate = [&](EUpdateHint hint) {
        if (hint == kHintInstallations && !view.changes.back().restored)
            throw CInvalidArgument("installation index out of range");
    };
    f.doc.OnCommand(kCmdInstall);
    EXPECT_EQ(f.messages.errors.size(), 1u);
    EXPECT_EQ(f.Saved(), before);
    EXPECT_FALSE(f.doc.CanUndo());
    EXPECT_FALSE(f.doc.IsModified());
}

TEST(Undo, AStepOpenedByAViewRecordsItsEditOnce) {
    UndoDoc f;
    const Bytes before = f.Saved();
    {
        CDAXDoc::CEditStep move(f.doc, Strings::kStepMoveSpeaker);
        CInstallationElement values = *f.doc.Room().Current();
        values.position.x = 1.0;
        f.dialogs.installation = [](CInstallationForm& form) { return form.Accept(); };
        ASSERT_TRUE(f.doc.EditInstallation(values).IsDone());
        {
            CDAXDoc::CEditStep inner(f.doc, "inner");
            f.doc.StandardRefresh();
        }
        EXPECT_FALSE(f.doc.CanUndo()); // nothing to undo while a step is open
    }
    EXPECT_EQ(f.doc.History().Count(), 1u);
    EXPECT_EQ(f.doc.UndoMenuText(), "&Undo Move Speaker");
    f.doc.Undo();
    EXPECT_EQ(f.Saved(), before);
}

TEST(CommandTable, UndoAndRedoHaveTheirKeys) {
    EXPECT_EQ(FindCommand(kCmdUndo)->popup, "Edit");
    EXPECT_EQ(CommandShortcuts(kCmdUndo), (std::vector<std::string>{"Ctrl+Z"}));
    EXPECT_EQ(CommandShortcuts(kCmdRedo), (std::vector<std::string>{"Ctrl+Y", "Ctrl+Shift+Z"}));
    EXPECT_TRUE(CommandShortcuts(kCmdInstall).empty());
}

TEST(Undo, ATapChoiceIsAStepOnItsOwnCopyOfTheModel) {
    UndoDoc f;
    CVsaGenOptions o = DirectionalSpeaker(1, 3);
    o.taps = {{false, 100, 30, {}}, {false, 70, 15, {}}};
    f.AddModel(o);
    f.doc.History().Clear();
    f.doc.SetModified(false);
    const CSpeakerModel* original = f.doc.CurrentModel();
    const int tap = original->DefaultTap();
    const Bytes before = f.Saved();

    CRecordingView view(f.doc);
    ASSERT_TRUE(SelectTap(f.doc, 1));
    EXPECT_TRUE(view.hints.empty()); // the clicked list already shows it
    EXPECT_TRUE(f.doc.IsModified());
    EXPECT_EQ(f.doc.UndoMenuText(), std::string("&Undo ") + Strings::kStepChooseTap);
    EXPECT_EQ(f.doc.CurrentModel()->DefaultTap(), 1);
    // The state before the step still holds the model as it was.
    EXPECT_EQ(original->DefaultTap(), tap);
    const Bytes after = f.Saved();
    ASSERT_NE(after, before);

    ASSERT_TRUE(f.doc.Undo());
    EXPECT_EQ(f.Saved(), before);
    EXPECT_EQ(f.doc.CurrentModel(), original);
    EXPECT_FALSE(f.doc.IsModified());
    ASSERT_FALSE(view.changes.empty());
    EXPECT_TRUE(view.changes.back().restored);
    EXPECT_EQ(view.hints, (std::vector<int>{kHintTaps})); // the tap list shows the old choice
    ASSERT_TRUE(f.doc.Redo());
    EXPECT_EQ(f.Saved(), after);
    EXPECT_EQ(CurrentTapRow(f.doc), 1);

    // Choosing the tap that is already the default is no step.
    const std::size_t steps = f.doc.History().Count();
    EXPECT_TRUE(SelectTap(f.doc, 1));
    EXPECT_FALSE(SelectTap(f.doc, 2));
    EXPECT_EQ(f.doc.History().Count(), steps);

    // An installation made after the choice takes the chosen tap; undoing both brings the first
    // model back untouched.
    f.dialogs.installation = PlaceAt(1, 3);
    ASSERT_TRUE(f.doc.OnCommand(kCmdInstall));
    EXPECT_EQ(f.doc.Room().Current()->tapIndex, 1);
    ASSERT_TRUE(f.doc.Undo());
    ASSERT_TRUE(f.doc.Undo());
    EXPECT_EQ(f.Saved(), before);
    EXPECT_EQ(original->DefaultTap(), tap);
}

// A map calculating in the background holds the models it reads: a tap chosen meanwhile goes to
// a copy, and undoing it (a state kept while the map calculated) calculates the map again.
TEST(Undo, ATapChoiceWhileAMapIsCalculatedLeavesTheRunningMapItsModel) {
    CBusyWorkers busy;
    UndoDoc f;
    CVsaGenOptions o = DirectionalSpeaker(1, 3);
    o.taps = {{false, 100, 30, {}}, {false, 70, 15, {}}};
    f.AddModel(o);
    const Bytes before = f.Saved();
    CBackgroundCalculations host;
    host.Attach(f.doc);
    f.map->mapOptions.pool = &busy.pool;
    ASSERT_TRUE(f.doc.OnCommand(kCmdRecalculate));
    ASSERT_TRUE(f.doc.IsCalculating());
    const std::shared_ptr<CSpeakerModel> original =
        f.doc.Models().Shared()[static_cast<std::size_t>(f.doc.Models().CurrentIndex())];
    const int tap = original->DefaultTap();
    EXPECT_TRUE(SelectTap(f.doc, 1));
    EXPECT_EQ(original->DefaultTap(), tap);
    EXPECT_NE(f.doc.CurrentModel(), original.get());
    busy.Release();
    PollUntilDone(f.doc);
    ASSERT_TRUE(f.doc.Undo());
    EXPECT_EQ(f.doc.CurrentModel(), original.get());
    EXPECT_TRUE(f.doc.IsCalculating());
    PollUntilDone(f.doc);
    f.doc.SetModified(false);
    EXPECT_EQ(f.Saved(), before);
}

TEST(Undo, SharedGridsAndLevelsComeBackUnchangedAfterLaterEdits) {
    UndoDoc f;
    // Moves (new levels on the same grid), a new plane, a recalculation outside any step and a
    // level set by hand: each state saved must come back exactly.
    std::vector<Bytes> saved{f.Saved()};
    Move(f, 1.0, 1.0);
    saved.push_back(f.Saved());
    Move(f, 2.0, 1.5);
    saved.push_back(f.Saved());
    f.dialogs.roomParameters = [](CRoomParametersForm& form) {
        form.Field(CRoomParametersForm::kDotPitch).SetValue(0.25);
        return form.Accept() ? ERoomParametersAnswer::Ok : ERoomParametersAnswer::Cancel;
    };
    ASSERT_TRUE(f.doc.OnCommand(kCmdRoomParameters));
    ASSERT_NE(f.Saved(), saved.back());
    saved.push_back(f.Saved());
    Move(f, 3.0, 2.5);
    saved.push_back(f.Saved());
    const std::size_t calculated = saved.size();
    // Levels set by hand, without a recalculation: 0.0 and then -0.0, equal numbers but not
    // equal bytes in the file.
    for (const double level : {0.0, -0.0}) {
        CDAXDoc::CEditStep step(f.doc, "Level");
        if (level == 0.0 && !std::signbit(level))
            f.doc.RebuildAllPlanes();
        Build(f.doc).Conditions().At(0)->plane.points[0].level = level;
        f.doc.Notify(CDocumentChange::ListSettings());
        saved.push_back(f.Saved());
    }
    ASSERT_EQ(f.doc.History().Count(), saved.size() - 1);

    for (std::size_t i = saved.size() - 1; i-- > 0;) {
        ASSERT_TRUE(f.doc.Undo());
        EXPECT_EQ(f.Saved(), saved[i]) << "undone to state " << i;
        // What the project recalculates in place never reaches a state it came from.
        if (i < calculated)
            f.doc.OnCommand(kCmdRecalculate);
    }
    // Recalculating changed nothing but levels that are the same again.
    for (std::size_t i = 1; i < saved.size(); ++i) {
        ASSERT_TRUE(f.doc.Redo());
        EXPECT_EQ(f.Saved(), saved[i]) << "done again to state " << i;
    }
}

TEST(UndoMemory, MovesShareTheGridAndTheModelsAndKeepOnlyTheirLevels) {
    UndoDoc f;
    for (int i = 0; i < 3; ++i)
        f.AddModel(DirectionalSpeaker(1, 24));
    std::size_t balloons = 0;
    for (int i = 0; i < f.doc.Models().Count(); ++i)
        balloons += ModelBytes(f.doc.Models().At(i));
    Build(f.doc).Models().SetCurrentIndex(0);
    f.doc.History().Clear();
    const std::size_t points = f.Plane().points.size();
    for (int i = 0; i < 100; ++i)
        Move(f, 0.5 + 0.03 * i, 2);
    ASSERT_EQ(f.doc.History().Count(), 100u);
    const std::size_t held = f.doc.History().Bytes(f.doc.Models().Shared());
    // One grid for all steps, levels and small records for each, never a model.
    const std::size_t grid = points * sizeof(CPlaceElement);
    EXPECT_GT(held, 100 * points * sizeof(double));
    EXPECT_LT(held, grid + 100 * (points * sizeof(double) + 4096));
    EXPECT_LT(held, balloons);

    // Without recalculation the levels stay the same and are shared too.
    EditSettings(f.doc)->manualRecalc = 1;
    f.doc.History().Clear();
    for (int i = 0; i < 100; ++i)
        Move(f, 0.5 + 0.03 * i, 3);
    const std::size_t unchanged = f.doc.History().Bytes(f.doc.Models().Shared());
    EXPECT_LT(unchanged, grid + points * sizeof(double) + 100 * 4096);
}

TEST(UndoMemory, TheByteBoundDropsTheOldestStepsAndKeepsTheRestExact) {
    UndoDoc f;
    Move(f, 0.5, 0.5);
    const std::size_t one = f.doc.History().Bytes(f.doc.Models().Shared());
    Move(f, 1.0, 0.5);
    // The second step shares the first one's grid, so it costs less than the first.
    const std::size_t each = f.doc.History().Bytes(f.doc.Models().Shared()) - one;
    ASSERT_LT(each, one);
    f.doc.History().Clear();

    // Room for the grid and three more steps' levels, not four.
    const std::size_t bound = one + 3 * each - each / 2 + each / 4;
    f.doc.History().SetBounds(100, bound);
    std::vector<Bytes> saved{f.Saved()};
    for (int i = 1; i <= 8; ++i) {
        Move(f, 0.5 + 0.25 * i, 1.0);
        saved.push_back(f.Saved());
        EXPECT_LE(f.doc.History().Bytes(f.doc.Models().Shared()), bound) << "after move " << i;
    }
    EXPECT_EQ(f.doc.History().Count(), 3u);
    for (std::size_t i = 8; i-- > 5;) {
        ASSERT_TRUE(f.doc.Undo());
        EXPECT_EQ(f.Saved(), saved[i]);
    }
    EXPECT_FALSE(f.doc.CanUndo());
}

// The saved state stays findable when the step bound drops the steps before it: with the save
// exactly at the oldest kept position, undoing back to it reads unmodified; with it dropped, no
// position does.
TEST(Undo, TheBoundKeepsTheSavedPositionWhenItDropsTheStepsBeforeIt) {
    UndoDoc f;
    f.doc.SetPathName("/nowhere/hall.tdax");
    f.doc.History().SetBounds(3, CUndoHistory::kDefaultMaxBytes);
    auto move = [&](double x) {
        f.dialogs.installation = PlaceAt(x, 2);
        ASSERT_TRUE(f.doc.OnCommand(kCmdChangeInstallation));
    };
    move(1);
    move(2);
    ASSERT_TRUE(f.doc.OnCommand(kCmdSave));
    const Bytes saved = f.Saved();
    move(3);
    move(4);
    move(5); // five steps, the first two dropped: the save is now the oldest position
    ASSERT_EQ(f.doc.History().Count(), 3u);
    f.doc.Undo();
    f.doc.Undo();
    EXPECT_TRUE(f.doc.IsModified());
    ASSERT_TRUE(f.doc.Undo());
    EXPECT_FALSE(f.doc.CanUndo());
    EXPECT_FALSE(f.doc.IsModified());
    EXPECT_EQ(f.Saved(), saved);
    f.doc.Redo();
    EXPECT_TRUE(f.doc.IsModified());

    // One more step drops the saved position itself.
    while (f.doc.Redo()) {
    }
    move(6);
    while (f.doc.Undo())
        EXPECT_TRUE(f.doc.IsModified());
    EXPECT_TRUE(f.doc.IsModified());
}

// Undo and redo of Room Parameters tell the views what the command told them, and mark the
// project as the command did; no map is recalculated for it.
TEST(Undo, RoomParametersComeBackWithTheChangeTheCommandSent) {
    UndoDoc f;
    CRecordingView view(f.doc);
    f.dialogs.roomParameters = [](CRoomParametersForm& form) {
        form.Field(CRoomParametersForm::kRoomHeight).text = "4";
        return form.Accept() ? ERoomParametersAnswer::Ok : ERoomParametersAnswer::Cancel;
    };
    ASSERT_TRUE(f.doc.OnCommand(kCmdRoomParameters));
    ASSERT_EQ(f.doc.Room().roomHeight, 4.0);
    const std::vector<int> commandHints = WithoutResults(view.hints);
    ASSERT_FALSE(view.changes.empty());
    const CDocumentChange told = view.changes.front();
    EXPECT_TRUE(told.planes);
    for (const bool undo : {true, false}) {
        view.hints.clear();
        view.changes.clear();
        ASSERT_TRUE(undo ? f.doc.Undo() : f.doc.Redo());
        EXPECT_EQ(f.doc.Room().roomHeight, undo ? 3.0 : 4.0);
        EXPECT_EQ(WithoutResults(view.hints), commandHints) << (undo ? "undo" : "redo");
        ASSERT_FALSE(view.changes.empty());
        for (const CDocumentChange& change : view.changes) {
            EXPECT_TRUE(change.restored);
            EXPECT_EQ(change.planes, told.planes);
            EXPECT_EQ(change.installations, told.installations);
            EXPECT_EQ(change.listSettings, told.listSettings);
        }
        EXPECT_EQ(f.doc.IsModified(), !undo);
    }
}

// A command that marks the project modified and then fails puts the flag back as it was, with
// the project: an arrangement whose refresh meets bad data.
TEST(Undo, ACommandThatFailsAfterMarkingTheProjectKeepsTheFlagItFound) {
    for (const bool modifiedBefore : {false, true}) {
        UndoDoc f;
        QL9Count user;
        CDocumentPorts ports = f.doc.Ports();
        ports.arrangement = &user;
        f.doc.SetPorts(ports);
        f.AddModel(QL9ArrayOptions());
        f.doc.History().Clear();
        f.doc.SetModified(modifiedBefore);
        const Bytes before = f.Saved();
        CRecordingView view(f.doc);
        view.onUpdate = [&](EUpdateHint hint) {
            if (hint == kHintSpeakers && !view.changes.back().restored)
                throw CInvalidArgument("module table entry out of range");
        };
        f.doc.OnCommand(kCmdArrangeModules);
        EXPECT_EQ(f.messages.errors.size(), 1u);
        EXPECT_EQ(f.doc.IsModified(), modifiedBefore);
        EXPECT_EQ(f.Saved(), before);
        EXPECT_FALSE(f.doc.CanUndo());
    }
}

// Choosing a map's band, frequency or mode in its lists is an edit like the others: the project
// is marked, one named step is recorded, every view hears it and the maps follow; undo brings
// the choice and its lists back. Choosing what is shown already is no edit.
TEST(Undo, TheMapsBandFrequencyAndModeChoicesAreUndoableEdits) {
    UndoDoc f;
    CRecordingView view(f.doc);
    CColorMapViewModel& map = *f.map;
    const CColorMapCondition start = *map.Condition();
    const double level = f.Plane().maximumLevel;
    const int octave = 1; // "1 Oct. Band" below "1/3 Oct. Band"
    map.OnBandSelected(octave);
    EXPECT_EQ(map.Condition()->band, 1.0);
    EXPECT_TRUE(f.doc.IsModified());
    EXPECT_EQ(f.doc.UndoMenuText(), std::string("&Undo ") + Strings::kStepMapBand);
    EXPECT_EQ(view.hints, (std::vector<int>{kHintAcoustics, kHintInstallations, kHintResponse,
                                            kHintMapResult}));
    EXPECT_NE(f.Plane().maximumLevel, level); // recalculated in the new band

    map.OnFrequencySelected(map.FrequencyCombo().selection + 1);
    EXPECT_EQ(f.doc.UndoMenuText(), std::string("&Undo ") + Strings::kStepMapFrequency);
    map.OnModeSelected(map.ModeCombo().selection == 0 ? 1 : 0);
    EXPECT_NE(map.Condition()->mode, start.mode);
    EXPECT_EQ(f.doc.UndoMenuText(), std::string("&Undo ") + Strings::kStepMapMode);
    const std::size_t steps = f.doc.History().Count();
    view.hints.clear();
    map.OnModeSelected(map.ModeCombo().selection);
    map.OnBandSelected(map.BandCombo().selection);
    EXPECT_EQ(f.doc.History().Count(), steps);
    EXPECT_TRUE(view.hints.empty());

    while (f.doc.Undo()) {
    }
    EXPECT_EQ(map.Condition()->band, start.band);
    EXPECT_EQ(map.Condition()->centreFrequency, start.centreFrequency);
    EXPECT_EQ(map.Condition()->mode, start.mode);
    EXPECT_EQ(f.Plane().maximumLevel, level);
    EXPECT_EQ(map.BandCombo().selection, 0);
    EXPECT_FALSE(f.doc.IsModified());
}
