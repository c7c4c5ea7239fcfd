#include "BusyWorkers.h"
#include "PlanViewFixture.h"
#include "RecordingView.h"
#include "acoustics/SpectrumEngine.h"
#include "project/ColorMapViewModel.h"
#include "project/CommandTable.h"
#include "project/DAXDoc.h"
#include "project/MapService.h"
#include "project/SoundGraphViewModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>
#include <vector>

namespace {
// Two speakers over the plan view's plane, with the map calculated.
struct DragScene : CPlanViewFixture {
    explicit DragScene(int manualRecalc = 0) {
        EXPECT_EQ(Install(1.5, 1.5), 0);
        EXPECT_EQ(Install(2.5, 3.5), 0);
        EditSettings(doc)->manualRecalc = manualRecalc;
        doc.SetModified(false);
    }
    void BeginDrag() {
        const CPixel at = view->PixelOf(doc.Room().At(0)->position);
        EXPECT_EQ(view->MouseMove(at), EMapCursor::Hot);
        EXPECT_EQ(view->LeftDown(at), EMapCursor::Drag);
    }
    // One drag step's map: the first waits (polling as the window does) while the preview is
    // built in the background. False when no map came.
    bool Step() {
        for (;;) {
            if (view->UpdatePreview())
                return true;
            if (!view->PreviewPreparing())
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
};
} // namespace

TEST(ColorMapPreview, TheMapFollowsTheDraggedSpeakerAndTheDropGivesTheExactMap) {
    DragScene f;
    f.BeginDrag();
    const std::vector<double> before = f.StoredLevels();
    const CPixel target = f.view->PixelOf({3.3, 0.6, 0});
    EXPECT_EQ(f.view->MouseMove(target), EMapCursor::Drag);
    EXPECT_TRUE(f.view->PreviewPending());
    // The picture moves the speaker at once, to the grid cell the drop would choose.
    const CInstallationElement* shown = f.view->ShownInstallations().At(0);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->position, (CVec3{3.5, 0.5, 3.0}));
    EXPECT_EQ(f.view->ShownInstallations().At(1)->position, f.doc.Room().At(1)->position);

    ASSERT_TRUE(f.Step());
    EXPECT_FALSE(f.view->PreviewPending());
    EXPECT_FALSE(f.view->UpdatePreview()); // nothing new to compute
    const std::vector<double>* preview = f.view->PreviewLevels();
    ASSERT_NE(preview, nullptr);
    ASSERT_EQ(preview->size(), before.size());
    double largestChange = 0.0;
    for (std::size_t i = 0; i < before.size(); ++i)
        largestChange = std::max(largestChange, std::abs((*preview)[i] - before[i]));
    EXPECT_GT(largestChange, 1.0);
    const std::vector<double> previewCopy = *preview;

    // Nothing of the project changed while dragging.
    EXPECT_EQ(f.doc.Room().At(0)->position, (CVec3{1.5, 1.5, 3.0}));
    EXPECT_EQ(f.StoredLevels(), before);
    EXPECT_FALSE(f.doc.IsModified());
    const std::string undoBefore = f.doc.UndoMenuText();

    f.view->LeftUp(target);
    EXPECT_FALSE(f.view->Dragging());
    EXPECT_EQ(f.view->PreviewLevels(), nullptr);
    EXPECT_EQ(&f.view->ShownInstallations(), &f.doc.Room().List());
    EXPECT_EQ(f.doc.Room().At(0)->position, (CVec3{3.5, 0.5, 3.0}));
    EXPECT_NE(f.doc.UndoMenuText(), undoBefore);
    const std::vector<double> exact = f.StoredLevels();
    for (std::size_t i = 0; i < exact.size(); ++i)
        EXPECT_NEAR(previewCopy[i], exact[i], 0.01) << "point " << i;
}

TEST(ColorMapPreview, EachStepFollowsTheLatestPositionAndOutsideThePlanesTheSpeakerIsLeftOut) {
    DragScene f;
    f.BeginDrag();
    f.view->MouseMove(f.view->PixelOf({0.6, 3.6, 0}));
    f.view->MouseMove(f.view->PixelOf({3.3, 3.3, 0})); // moves coalesce into one step
    ASSERT_TRUE(f.Step());
    const std::vector<double> first = *f.view->PreviewLevels();
    // The same cell again is no new step.
    f.view->MouseMove(f.view->PixelOf({3.1, 3.9, 0}));
    EXPECT_FALSE(f.view->PreviewPending());
    EXPECT_EQ(f.view->HiddenInstallation(), -1);

    // Beyond the room a drop removes the speaker: the picture shows the room without it.
    f.view->MouseMove({5, 5});
    EXPECT_EQ(f.view->HiddenInstallation(), 0);
    ASSERT_TRUE(f.Step());
    const std::vector<double> without = *f.view->PreviewLevels();
    EXPECT_NE(without, first);
    f.view->MouseMove({6, 5}); // still out: nothing new
    EXPECT_FALSE(f.view->PreviewPending());

    // Back inside, the speaker comes back with its own power.
    f.view->MouseMove(f.view->PixelOf({3.3, 3.3, 0}));
    EXPECT_EQ(f.view->HiddenInstallation(), -1);
    EXPECT_EQ(f.view->ShownInstallations().At(0)->power, f.doc.Room().At(0)->power);
    ASSERT_TRUE(f.Step());
    for (std::size_t i = 0; i < first.size(); ++i)
        EXPECT_NEAR((*f.view->PreviewLevels())[i], first[i], 1e-9);

    // Dropped outside and confirmed: the exact map of the remaining speaker is what the
    // picture showed.
    f.view->MouseMove({5, 5});
    f.messages.answers = {true};
    f.view->LeftUp({5, 5});
    ASSERT_FALSE(f.messages.asked.empty());
    ASSERT_EQ(f.doc.Room().Count(), 1);
    const std::vector<double> exact = f.StoredLevels();
    for (std::size_t i = 0; i < exact.size(); ++i)
        EXPECT_NEAR(without[i], exact[i], 0.01) << "point " << i;
}

TEST(ColorMapPreview, ManualRecalculationMovesTheSymbolButKeepsTheStoredMap) {
    DragScene f(1);
    f.BeginDrag();
    const std::vector<double> before = f.StoredLevels();
    f.view->MouseMove(f.view->PixelOf({3.3, 0.6, 0}));
    EXPECT_EQ(f.view->ShownInstallations().At(0)->position, (CVec3{3.5, 0.5, 3.0}));
    EXPECT_FALSE(f.view->PreviewPending());
    EXPECT_FALSE(f.view->UpdatePreview());
    EXPECT_EQ(f.view->PreviewLevels(), nullptr);
    f.view->LeftUp(f.view->PixelOf({3.3, 0.6, 0}));
    EXPECT_EQ(f.StoredLevels(), before); // the drop does not recalculate either
}

TEST(ColorMapPreview, AChangeOfTheProjectDuringTheDragEndsIt) {
    DragScene f;
    f.BeginDrag();
    f.view->MouseMove(f.view->PixelOf({3.3, 0.6, 0}));
    ASSERT_TRUE(f.Step());
    // Another window takes the second speaker away under the drag.
    Build(f.doc).Room().RemoveInstallation(1);
    f.doc.Notify(CDocumentChange::Installations());
    EXPECT_FALSE(f.view->Dragging());
    EXPECT_EQ(f.view->PreviewLevels(), nullptr);
    EXPECT_FALSE(f.view->PreviewPending());
    EXPECT_EQ(&f.view->ShownInstallations(), &f.doc.Room().List());
    // The release that follows neither moves nor asks anything.
    f.view->LeftUp(f.view->PixelOf({3.3, 0.6, 0}));
    EXPECT_TRUE(f.messages.asked.empty());
    ASSERT_EQ(f.doc.Room().Count(), 1);
    EXPECT_EQ(f.doc.Room().At(0)->position, (CVec3{1.5, 1.5, 3.0}));
}

TEST(ColorMapPreview, WhileThePreviewIsBuiltTheDragGoesOnOverTheStoredMap) {
    DragScene f;
    CBusyWorkers busy; // holds the build in the queue until released
    f.view->previewWorkers = &busy.pool;
    EXPECT_TRUE(f.doc.IsCommandEnabled(kCmdRemoveAllInstallations));
    f.BeginDrag();
    const std::vector<double> before = f.StoredLevels();
    f.view->MouseMove(f.view->PixelOf({3.3, 0.6, 0}));
    EXPECT_FALSE(f.view->PreviewPreparing()); // a move alone builds nothing
    EXPECT_EQ(f.view->PreviewStatus(), "");
    EXPECT_FALSE(f.view->UpdatePreview()); // starts the build and returns at once
    EXPECT_TRUE(f.view->PreviewPreparing());
    EXPECT_TRUE(f.view->PreviewPending());
    EXPECT_EQ(f.view->PreviewStatus(), "Preparing the live map... 0%");
    EXPECT_LT(f.view->PreviewDelayMs(), 50);
    // The workers read the drag's own copy of the installations and handles of the models,
    // never the project: nothing of it is locked.
    EXPECT_FALSE(f.doc.IsCalculating());
    EXPECT_TRUE(f.doc.IsCommandEnabled(kCmdRemoveAllInstallations));
    EXPECT_FALSE(f.view->UpdatePreview());
    EXPECT_EQ(f.view->PreviewLevels(), nullptr);

    // The speaker keeps following the pointer over the stored map.
    f.view->MouseMove(f.view->PixelOf({0.6, 3.6, 0}));
    EXPECT_EQ(f.view->ShownInstallations().At(0)->position, (CVec3{0.5, 3.5, 3.0}));
    EXPECT_EQ(f.view->PreviewLevels(), nullptr);
    EXPECT_EQ(f.StoredLevels(), before);

    busy.Release();
    ASSERT_TRUE(f.Step()); // the first map after the build is for the latest position
    EXPECT_FALSE(f.view->PreviewPreparing());
    EXPECT_FALSE(f.doc.IsCalculating());
    EXPECT_EQ(f.view->PreviewStatus(), "");
    const std::vector<double> preview = *f.view->PreviewLevels();
    f.view->LeftUp(f.view->PixelOf({0.6, 3.6, 0}));
    EXPECT_EQ(f.doc.Room().At(0)->position, (CVec3{0.5, 3.5, 3.0}));
    const std::vector<double> exact = f.StoredLevels();
    ASSERT_EQ(exact.size(), preview.size());
    for (std::size_t i = 0; i < exact.size(); ++i)
        EXPECT_NEAR(preview[i], exact[i], 0.01) << "point " << i;
}

TEST(ColorMapPreview, ADropBeforeThePreviewIsReadyCancelsItAndCalculatesTheExactMap) {
    DragScene f;
    CBusyWorkers busy;
    f.view->previewWorkers = &busy.pool;
    f.BeginDrag();
    const CPixel target = f.view->PixelOf({3.3, 0.6, 0});
    f.view->MouseMove(target);
    EXPECT_FALSE(f.view->UpdatePreview());
    ASSERT_TRUE(f.view->PreviewPreparing());
    const std::string undoBefore = f.doc.UndoMenuText();
    // The pool's workers are all held: the drop must neither wait for them nor be refused as a
    // calculation in progress.
    f.view->LeftUp(target);
    EXPECT_FALSE(f.view->Dragging());
    EXPECT_FALSE(f.view->PreviewPreparing());
    EXPECT_FALSE(f.doc.IsCalculating());
    EXPECT_EQ(f.doc.Room().At(0)->position, (CVec3{3.5, 0.5, 3.0}));
    EXPECT_NE(f.doc.UndoMenuText(), undoBefore);
    CColorMapCondition again = *f.doc.Conditions().At(0);
    ASSERT_EQ(CalculateMap(f.doc.Scene(), again, nullptr, {EMapEngineKind::Engine, 1}).status,
              ECalcStatus::Completed);
    std::vector<double> expected;
    for (const CPlaceElement& p : again.plane.points)
        expected.push_back(p.level);
    EXPECT_EQ(f.StoredLevels(), expected);
}

TEST(ColorMapPreview, AChangeOfTheProjectWhileThePreviewIsBuiltEndsTheDrag) {
    // Once with the build still queued, once with its workers at work.
    for (bool held : {true, false}) {
        SCOPED_TRACE(held ? "queued" : "running");
        DragScene f;
        CBusyWorkers busy;
        if (!held)
            busy.Release();
        f.view->previewWorkers = &busy.pool;
        f.BeginDrag();
        f.view->MouseMove(f.view->PixelOf({3.3, 0.6, 0}));
        f.view->UpdatePreview();
        f.doc.Notify(CDocumentChange::Installations());
        EXPECT_FALSE(f.view->Dragging());
        EXPECT_FALSE(f.view->PreviewPreparing());
        EXPECT_FALSE(f.view->PreviewPending());
        EXPECT_FALSE(f.doc.IsCalculating());
        EXPECT_EQ(f.view->PreviewStatus(), "");
        f.view->LeftUp(f.view->PixelOf({3.3, 0.6, 0}));
        EXPECT_EQ(f.doc.Room().At(0)->position, (CVec3{1.5, 1.5, 3.0}));
    }
}

// The preview's workers hold the models they read: deleting the dragged speaker's model while
// they build frees nothing they use (AddressSanitizer watches), and the change ends the drag.
TEST(ColorMapPreview, AModelDeletedWhileThePreviewIsBuiltStaysForItsWorkers) {
    DragScene f;
    // Fine enough that the workers are usually still building when the model goes; they are
    // held until the build has been asked for, then let go just before the deletion.
    f.Condition().plane.Build(0, 0, 1, 4, 4, 0, 0.01, 100, 2);
    CBusyWorkers busy;
    f.view->previewWorkers = &busy.pool;
    f.BeginDrag();
    f.view->MouseMove(f.view->PixelOf({3.3, 0.6, 0}));
    f.view->UpdatePreview();
    ASSERT_TRUE(f.view->PreviewPreparing());
    busy.Release();
    f.doc.History().Clear(); // nothing else keeps the model
    ASSERT_TRUE(f.doc.OnCommand(kCmdDeleteSpeaker));
    EXPECT_EQ(f.doc.Models().Count(), 0);
    EXPECT_EQ(f.doc.Room().Count(), 0);
    EXPECT_FALSE(f.view->Dragging());
    EXPECT_FALSE(f.view->PreviewPreparing());
}

TEST(ColorMapReadout, AChangedMapDropsTheReadoutThatARepaintKeeps) {
    DragScene f;
    f.view->MouseMove(f.view->PixelOf({3.2, 1.2, 0}));
    ASSERT_TRUE(f.view->Readout().valid);
    const double level = f.view->Readout().level;
    f.doc.Notify(CDocumentChange::CurrentInstallation()); // selection only: the map is the same
    ASSERT_TRUE(f.view->Readout().valid);
    EXPECT_EQ(f.view->Readout().level, level);
    // A speaker moved close to the point: the level read before no longer holds.
    ASSERT_EQ(f.doc.Room().CurrentIndex(), 1);
    CInstallationElement closer = *f.doc.Room().At(1);
    closer.position = {3.5, 1.5, 3.0};
    ASSERT_TRUE(f.doc.EditInstallation(closer).IsDone());
    EXPECT_FALSE(f.view->Readout().valid);
    f.view->MouseMove(f.view->PixelOf({3.2, 1.2, 0}));
    ASSERT_TRUE(f.view->Readout().valid);
    EXPECT_GT(f.view->Readout().level, level);
}

TEST(ColorMapFit, AProjectMadeWithoutAWindowFitsTheDesktopMapPane) {
    CDocFixture f;
    CColorMapViewModel view(f.doc);
    view.OnInitialUpdate(); // a new project: Room Parameters, then the fit
    const CColorMapCondition* condition = view.Condition();
    ASSERT_NE(condition, nullptr);
    // The map pane of a new 785 x 500 project window, less its vertical scroll bar, holds the
    // whole plane and the room's ceiling (the annotations below them may scroll).
    const int paneWidth = 565, paneHeight = 400;
    for (const CQuad& quad : {view.CalculationPlaneQuad(), view.InstallationPlaneQuad()})
        for (const CPixel& corner : quad) {
            EXPECT_GE(corner.x, 0);
            EXPECT_LT(corner.x, paneWidth);
            EXPECT_GE(corner.y, 0);
            EXPECT_LT(corner.y, paneHeight);
        }
}

// With a calculation host the spectrum under the mouse is a job: the level read-out comes at
// once, the spectrum through the project once the job has ended, and a spectrum of a project
// that changed meanwhile never reaches the response entries.
TEST(ColorMapReadout, TheSpectrumUnderTheMouseIsAJobWithACalculationHost) {
    DragScene f;
    CSoundGraphViewModel graph(f.doc);
    graph.OnInitialUpdate();
    CBackgroundCalculations host;
    host.Attach(f.doc);
    CRecordingView record(f.doc);
    const CVec3 centre{3.25, 1.25, 1.0};
    f.view->MouseMove(f.view->PixelOf({3.2, 1.2, 0}));
    EXPECT_EQ(host.started, 1);
    EXPECT_TRUE(f.view->Readout().valid);
    std::vector<double> centres, levels;
    ASSERT_TRUE(EnginePointSpectrum(f.doc.Scene(), f.Condition(), centre, centres, levels));
    PollUntilDone(f.doc);
    const CSoundGraphData& curve = *graph.Entry()->data.Curve(0);
    EXPECT_EQ(curve.frequencies, centres);
    EXPECT_EQ(curve.levels, levels);
    EXPECT_EQ(record.hints, (std::vector<int>{kHintResponse}));

    f.view->MouseMove(f.view->PixelOf({0.7, 0.7, 0}));
    CInstallationElement moved = *f.doc.Room().At(0);
    moved.position.x += 1.0;
    Build(f.doc).Room().ReplaceInstallation(0, moved);
    f.doc.StandardRefresh(); // clears curve 0 and starts the map anew
    PollUntilDone(f.doc);
    EXPECT_EQ(graph.Entry()->data.Curve(0)->frequencies[0], 0.0);
}
