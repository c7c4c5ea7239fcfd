#include "FakePorts.h"
#include "RecordingView.h"
#include "VsaPresets.h"
#include "project/ColorMapViewModel.h"
#include "project/CommandTable.h"
#include "project/SoundGraphViewModel.h"
#include "project/arrangement/ModuleArrangementDialogs.h"

#include <gtest/gtest.h>

#include <memory>

using Hints = std::vector<int>;

TEST(DocumentChange, HintsFollowFromWhatChanged) {
    struct Case {
        CDocumentChange change;
        Hints hints;
        bool clears;
    };
    const Case cases[] = {
        {CDocumentChange::Installations(), {1, 2, 4}, true},
        {CDocumentChange::Planes(), {1, 2, 4}, true},
        {CDocumentChange::Recalculation(), {1, 2, 4}, true},
        {CDocumentChange::SpeakerImported(), {3, 5}, false},
        {CDocumentChange::SpeakerRemoved(), {1, 2, 3, 5, 4}, true},
        {CDocumentChange::Arrangement(), {1, 2, 3, 4, 5}, true},
        {CDocumentChange::ListSettings(), {2}, false},
        {CDocumentChange::CurrentInstallation(), {2}, false},
        {CDocumentChange::Curves(), {4}, false},
        {CDocumentChange::ListeningPoints(), {4}, false}, // the maps redraw, no curve goes
        {CDocumentChange::ConditionRemoved(0), {kHintNone}, false},
        {CDocumentChange::MapCalculated(0), {kHintMapResult}, false},
        {CDocumentChange{}, {}, false},
    };
    for (const Case& c : cases) {
        const std::vector<EUpdateHint> hints = c.change.Hints();
        EXPECT_EQ(Hints(hints.begin(), hints.end()), c.hints);
        EXPECT_EQ(c.change.ClearsCurves(), c.clears);
    }
}

namespace {
// A document with one map view, one response view with a curve, a model and one installation.
struct ViewedDoc : CDocFixture {
    CColorMapViewModel map{doc};
    CSoundGraphViewModel graph{doc};
    CRecordingView recorder{doc};

    ViewedDoc() {
        AddModel(DirectionalSpeaker(1, 3));
        EditSettings(doc)->loadedFromFile = 1;
        CColorMapCondition c;
        c.plane.Build(0, 0, 1, 2, 2, 0, 0.5, 100, 2);
        Build(doc).Conditions().Append(c);
        map.OnInitialUpdate();
        graph.OnInitialUpdate();
        Install(1, 1);
        Reset();
    }
    void Reset() {
        recorder.hints.clear();
        recorder.changes.clear();
        const double freq[] = {100, 200}, lev[] = {80, 81};
        Build(doc).Graphs().At(graph.EntryIndex())->data.SetCurve(0, 2, freq, lev);
    }
    bool CurveCleared() const { return graph.Entry()->data.Curve(0)->frequencies[0] == 0.0; }
};
} // namespace

TEST(DocumentChange, EachCommandFamilySendsItsRecord) {
    ViewedDoc f;
    auto run = [&](int id) {
        f.Reset();
        EXPECT_TRUE(f.doc.OnCommand(id)) << id;
        return f.recorder.hints;
    };
    // Installations: one standard refresh each, curves cleared before hint 4; the map the view
    // calculated on hint 1 is told once, after the command's own hints.
    for (int id : {kCmdInstall, kCmdRemoveInstallation}) {
        EXPECT_EQ(run(id), (Hints{1, 2, 4, 6})) << id;
        EXPECT_TRUE(f.CurveCleared()) << id;
        EXPECT_TRUE(f.recorder.changes.front().installations);
        EXPECT_FALSE(f.recorder.changes.front().recalculate);
    }
    EXPECT_EQ(run(kCmdRecalculate), (Hints{1, 2, 4, 6}));
    EXPECT_TRUE(f.recorder.changes.front().recalculate);
    EXPECT_EQ(f.recorder.changes.back().calculatedCondition, 0);
    EXPECT_EQ(run(kCmdRoomParameters), (Hints{1, 2, 4, 6}));
    EXPECT_TRUE(f.recorder.changes.front().planes);
    EXPECT_EQ(run(kCmdPreference), (Hints{2}));
    EXPECT_FALSE(f.CurveCleared());
    EXPECT_EQ(run(kCmdDeleteSpeaker), (Hints{1, 2, 3, 5, 4, 6}));
    EXPECT_TRUE(f.CurveCleared());

    // A cancelled command changes nothing and tells nobody.
    f.AddModel(DirectionalSpeaker(1, 3));
    f.Install(1, 1);
    f.messages.answers = {false};
    EXPECT_TRUE(run(kCmdRemoveAllInstallations).empty());
    EXPECT_EQ(run(kCmdRemoveAllInstallations), (Hints{1, 2, 4, 6}));
}

TEST(DocumentChange, ArrangingModulesRedrawsTheSoundBeforeTheTaps) {
    ViewedDoc f;
    CVsaGenOptions o = QL9ArrayOptions();
    o.phiBlocks = 4;
    o.thetaCount = 5;
    o.lowestFrequency = 500.0;
    o.highestFrequency = 2000.0;
    f.AddModel(o);
    // Sixteen modules instead of eight.
    struct : CModuleArrangementDialogs {
        bool Run(CQL9ArrangementForm& form) override { return form.SelectCount(3), true; }
        bool Run(CTypeWArrangementForm&) override { return false; }
        bool Run(CTypePArrangementForm&) override { return false; }
        bool Run(CTypeRArrangementForm&) override { return false; }
        bool Run(CTypeKArrangementForm&) override { return false; }
        bool SpecialUserLevel() const override { return false; }
    } user;
    CDocumentPorts ports = f.doc.Ports();
    ports.arrangement = &user;
    f.doc.SetPorts(ports);
    f.Reset();
    ASSERT_TRUE(f.doc.OnCommand(kCmdArrangeModules));
    EXPECT_EQ(f.recorder.hints, (Hints{1, 2, 3, 4, 5, 6}));
    EXPECT_TRUE(f.CurveCleared());
    EXPECT_TRUE(f.recorder.changes.front().arrangement);
}

TEST(DocumentViews, AViewClosingAnotherWhileUpdatingIsSafe) {
    CDocFixture f;
    auto first = std::make_unique<CRecordingView>(f.doc);
    auto second = std::make_unique<CRecordingView>(f.doc);
    std::unique_ptr<CRecordingView> added;
    first->onUpdate = [&](EUpdateHint hint) {
        if (hint == kHintAcoustics) {
            second.reset();
            added = std::make_unique<CRecordingView>(f.doc);
        }
    };
    f.doc.Notify(CDocumentChange::Installations());
    EXPECT_EQ(first->hints, (Hints{1, 2, 4}));
    // A view opened during an update hears the hints that follow.
    EXPECT_EQ(added->hints, (Hints{2, 4}));
    EXPECT_EQ(f.doc.ViewCount(), 2u);

    // A view that closes itself.
    first->onUpdate = nullptr;
    added->onUpdate = [&](EUpdateHint) { added.reset(); };
    f.doc.Notify(CDocumentChange::Installations());
    EXPECT_EQ(added, nullptr);
    EXPECT_EQ(f.doc.ViewCount(), 1u);
}

TEST(DocumentViews, ClosingAViewRenumbersTheViewsAfterIt) {
    CDocFixture f;
    f.AddModel(DirectionalSpeaker(1, 3));
    EditSettings(f.doc)->loadedFromFile = 1;
    for (int i = 0; i < 3; ++i)
        Build(f.doc).Conditions().Append(DefaultCondition(0));
    CColorMapViewModel a(f.doc), c(f.doc);
    // A view registered before the map it closes while the maps recalculate.
    CRecordingView closer(f.doc);
    auto b = std::make_unique<CColorMapViewModel>(f.doc);
    a.SetConditionIndex(0), b->SetConditionIndex(1), c.SetConditionIndex(2);
    Build(f.doc).Conditions().At(2)->band = 12;
    closer.onUpdate = [&](EUpdateHint hint) {
        if (hint == kHintAcoustics && b) {
            b->Close();
            b.reset();
        }
    };
    f.doc.Notify(CDocumentChange::Planes());
    EXPECT_EQ(f.doc.Conditions().Count(), 2);
    EXPECT_EQ(a.ConditionIndex(), 0);
    EXPECT_EQ(c.ConditionIndex(), 1);
    EXPECT_EQ(c.Condition()->band, 12);

    EditSettings(f.doc)->loadedFromFile = 0; // each response view adds its own entry
    CSoundGraphViewModel g0(f.doc), g1(f.doc), g2(f.doc);
    for (CSoundGraphViewModel* g : {&g0, &g1, &g2})
        g->OnInitialUpdate();
    g0.Close();
    EXPECT_EQ(g1.EntryIndex(), 0);
    EXPECT_EQ(g2.EntryIndex(), 1);
}

TEST(DocumentViews, AViewMayOutliveItsDocument) {
    auto f = std::make_unique<CDocFixture>();
    CRecordingView view(f->doc);
    EXPECT_EQ(view.Document(), &f->doc);
    f.reset();
    EXPECT_EQ(view.Document(), nullptr);
}
