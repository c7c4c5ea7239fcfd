#include "project/MapService.h"
#include "BusyWorkers.h"
#include "FakePorts.h"
#include "RecordingView.h"
#include "project/ColorMapLayout.h"
#include "project/ColorMapViewModel.h"
#include "project/CommandTable.h"
#include "project/MapJobs.h"
#include "project/ProjectFile.h"
#include "project/Strings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <stdexcept>

namespace {
// A progress port that runs a script each time the calculation asks it.
class CScriptedPump : public CProgressDialog1, public CProgressFactory {
public:
    std::function<bool()> pump = [] { return true; };
    int pumps = 0;
    bool PumpAndCheck() override { return ++pumps, pump(); }
    void SetRange(long long, long long) override {}
    void SetPos(long long) override {}
    std::unique_ptr<CProgressDialog1> CreateProgress() override {
        struct Forward : CProgressDialog1 {
            CScriptedPump& to;
            explicit Forward(CScriptedPump& p) : to(p) {}
            void SetRange(long long, long long) override {}
            void SetPos(long long) override {}
            bool PumpAndCheck() override { return to.PumpAndCheck(); }
        };
        return std::make_unique<Forward>(*this);
    }
};

// Two models, one installed, a fine plane shown by one map view and calculated once, and the
// pump as progress port.
struct CalcDoc : CDocFixture {
    CScriptedPump pump;
    CColorMapViewModel view{doc};
    CalcDoc() {
        AddModel(DirectionalSpeaker(1, 3));
        Install(2, 2);
        AddModel(OmniSpeaker(90, 3));
        EditSettings(doc)->loadedFromFile = 1;
        CColorMapCondition c;
        c.band = 3;
        c.centreFrequency = 1000;
        c.plane.Build(0, 0, 1.2, 6, 4, 0, 0.05, 100, 2);
        Build(doc).Conditions().Append(c);
        view.OnInitialUpdate();
        view.mapOptions.threads = 2;
        CDocumentPorts ports = doc.Ports();
        ports.progress = &pump;
        doc.SetPorts(ports);
    }
    const CListeningPlane& Plane() { return view.Condition()->plane; }
    std::vector<double> Levels() {
        std::vector<double> levels;
        for (const CPlaceElement& p : Plane().points)
            levels.push_back(p.level);
        return levels;
    }
    // The map of the project as it is now, calculated apart from the project.
    std::vector<double> ExactLevels() {
        CColorMapCondition copy = *view.Condition();
        EXPECT_EQ(CalculateMap(doc.Scene(), copy, nullptr).status, ECalcStatus::Completed);
        std::vector<double> levels;
        for (const CPlaceElement& p : copy.plane.points)
            levels.push_back(p.level);
        return levels;
    }
    // Moves installation 0, as an edit of it does.
    void MoveFirst(double x) {
        CInstallationElement moved = *doc.Room().At(0);
        moved.position.x = x;
        Build(doc).Room().ReplaceInstallation(0, moved);
        doc.StandardRefresh();
    }
    // Runs jobs in the background on workers held until released.
    CBackgroundCalculations host;
    CBusyWorkers busy;
    void InBackground() {
        host.Attach(doc);
        view.mapOptions.pool = &busy.pool;
    }
    // The jobs end before the workers they are queued on go.
    ~CalcDoc() { doc.MapJobs().Cancel(); }
};

long long Count(const std::vector<int>& hints, int hint) {
    return std::count(hints.begin(), hints.end(), hint);
}

bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}
} // namespace

// While a map calculates the user goes on working: nothing is refused, an edit starts the map
// anew, and only the map of the project as it is at the end is stored.
TEST(MapService, EditsDuringABackgroundMapAreTakenAndTheMapFollowsThem) {
    CalcDoc f;
    ASSERT_EQ(f.view.CalculateMap().status, ECalcStatus::Completed);
    const std::vector<double> before = f.Levels();
    f.InBackground();
    CRecordingView record(f.doc);

    EXPECT_EQ(f.view.CalculateMap().status, ECalcStatus::Running);
    EXPECT_EQ(f.host.started, 1);
    EXPECT_TRUE(f.doc.IsCalculating());
    // The previous map shows meanwhile, marked as being calculated, with no statistics to report.
    EXPECT_TRUE(f.Plane().calculating);
    EXPECT_FALSE(f.Plane().HasResult());
    EXPECT_TRUE(SameBits(f.Levels(), before));
    for (int id : {kCmdRemoveAllInstallations, kCmdDeleteSpeaker, kCmdRecalculate,
                   kCmdRoomParameters, kCmdInstall, kCmdImport})
        EXPECT_TRUE(f.doc.IsCommandEnabled(id)) << id;

    f.MoveFirst(4.0);
    EXPECT_EQ(f.host.started, 2); // the edit started the map anew
    f.view.OnModeSelected(0);     // a choice in the view's lists too
    EXPECT_EQ(f.view.Condition()->mode, kModeInterference);
    EXPECT_EQ(f.host.started, 3);
    EXPECT_EQ(Count(record.hints, kHintMapResult), 0);

    f.busy.Release();
    PollUntilDone(f.doc);
    EXPECT_FALSE(f.doc.IsCalculating());
    EXPECT_FALSE(f.Plane().calculating);
    EXPECT_EQ(f.Plane().state, EMapState::Complete);
    EXPECT_TRUE(SameBits(f.Levels(), f.ExactLevels()));
    EXPECT_EQ(f.view.LastResult().status, ECalcStatus::Completed);
    // The maps replaced by the edits never reached the project.
    EXPECT_EQ(Count(record.hints, kHintMapResult), 1);
    EXPECT_TRUE(f.messages.errors.empty());
}

// A result computed from a project that changed since its snapshot is dropped: with manual
// recalculation the move starts nothing, and the plane keeps the map it had.
TEST(MapService, AResultOfAProjectThatChangedSinceIsDropped) {
    CalcDoc f;
    ASSERT_EQ(f.view.CalculateMap().status, ECalcStatus::Completed);
    const std::vector<double> before = f.Levels();
    const double average = f.Plane().pinkNoiseAverage;
    EditSettings(f.doc)->manualRecalc = 1;
    f.InBackground();
    ASSERT_TRUE(f.doc.OnCommand(kCmdRecalculate));
    ASSERT_TRUE(f.Plane().calculating);
    CRecordingView record(f.doc);
    f.MoveFirst(5.0);
    EXPECT_EQ(f.host.started, 1);

    f.busy.Release();
    PollUntilDone(f.doc);
    EXPECT_FALSE(f.Plane().calculating);
    EXPECT_EQ(f.Plane().state, EMapState::Complete);
    EXPECT_TRUE(SameBits(f.Levels(), before));
    EXPECT_EQ(f.Plane().pinkNoiseAverage, average);
    EXPECT_EQ(Count(record.hints, kHintMapResult), 1); // the maps repaint without the mark
    // Recalculate does store the map of the project as it is.
    ASSERT_TRUE(f.doc.OnCommand(kCmdRecalculate));
    PollUntilDone(f.doc);
    EXPECT_TRUE(SameBits(f.Levels(), f.ExactLevels()));
    EXPECT_FALSE(SameBits(f.Levels(), before));
}

// Stop leaves an incomplete map: never reported, printed or saved as a result, and the next
// calculation completes it.
TEST(MapService, AStoppedMapIsIncompleteAndNeverReportedAsAResult) {
    CalcDoc f;
    ASSERT_EQ(f.view.CalculateMap().status, ECalcStatus::Completed);
    f.InBackground();
    f.MoveFirst(3.0);
    ASSERT_TRUE(f.doc.IsCalculating());
    f.doc.MapJobs().Stop();
    PollUntilDone(f.doc);

    const CListeningPlane& plane = f.Plane();
    EXPECT_EQ(plane.state, EMapState::Incomplete);
    EXPECT_FALSE(plane.HasResult());
    EXPECT_EQ(f.view.LastResult().status, ECalcStatus::Stopped);
    EXPECT_EQ(plane.maximumLevel, 0.0);
    EXPECT_EQ(plane.pinkNoiseAverage, 0.0);
    // Its workers were held: no point was reached, none keeps the level of the speaker's old place.
    EXPECT_TRUE(std::all_of(plane.points.begin(), plane.points.end(),
                            [](const CPlaceElement& p) { return std::isnan(p.level); }));
    bool incomplete = false;
    for (const CAnnotationLine& line : AnnotationLines(f.doc, *f.view.Condition())) {
        EXPECT_EQ(line.text.find(Strings::kAverageMax), std::string::npos);
        EXPECT_EQ(line.text.find(Strings::kAmplifierPower), std::string::npos);
        incomplete = incomplete || line.text == MapStateText(plane);
    }
    EXPECT_TRUE(incomplete);
    EXPECT_NE(MapStateText(plane).find("after 0 of 9600 points"), std::string::npos);

    // Saved, it reads back as not calculated.
    CDocFixture reread;
    std::string error;
    ASSERT_EQ(ProjectFile::Read(ProjectFile::Write(f.doc), false, reread.doc, error),
              ProjectFile::EReadResult::Loaded)
        << error;
    EXPECT_EQ(reread.doc.Conditions().At(0)->plane.state, EMapState::NotCalculated);

    f.busy.Release();
    ASSERT_TRUE(f.doc.OnCommand(kCmdRecalculate));
    PollUntilDone(f.doc);
    EXPECT_EQ(plane.state, EMapState::Complete);
    EXPECT_TRUE(SameBits(f.Levels(), f.ExactLevels()));
}

// Closing ends the calculations without waiting for busy workers; a save meanwhile writes the
// plane as not calculated, and the result that follows makes the project modified again.
TEST(MapService, SavingOrClosingDuringAMap) {
    {
        CalcDoc f;
        ASSERT_EQ(f.view.CalculateMap().status, ECalcStatus::Completed);
        f.InBackground();
        f.MoveFirst(3.0);
        f.doc.SetPathName("/projects/hall.tdax");
        ASSERT_TRUE(f.doc.SaveProject());
        EXPECT_FALSE(f.doc.IsModified());
        CDocFixture reread;
        std::string error;
        ASSERT_EQ(ProjectFile::Read(ProjectFile::Write(f.doc), false, reread.doc, error),
                  ProjectFile::EReadResult::Loaded);
        EXPECT_EQ(reread.doc.Conditions().At(0)->plane.state, EMapState::NotCalculated);
        EXPECT_EQ(reread.doc.Conditions().At(0)->plane.maximumLevel, 0.0);
        f.busy.Release();
        PollUntilDone(f.doc);
        EXPECT_EQ(f.Plane().state, EMapState::Complete);
        EXPECT_TRUE(f.doc.IsModified());
    }
    CalcDoc f;
    f.InBackground();
    CRecordingView record(f.doc);
    f.MoveFirst(3.0);
    ASSERT_TRUE(f.doc.IsCalculating());
    EXPECT_TRUE(f.doc.OnCloseDocument());
    EXPECT_FALSE(f.doc.IsCalculating());
    EXPECT_FALSE(f.Plane().calculating);
    EXPECT_FALSE(f.doc.MapJobs().Poll());
    EXPECT_EQ(Count(record.hints, kHintMapResult), 0);
}

TEST(MapService, AThrowingPortEndsTheCalculationAndUnlocksTheProject) {
    CalcDoc f;
    f.pump.pump = [&] {
        if (f.pump.pumps == 1)
            throw std::runtime_error("the window went");
        return true;
    };
    EXPECT_THROW(f.view.CalculateMap(), std::runtime_error);
    EXPECT_FALSE(f.doc.IsCalculating());
    EXPECT_FALSE(f.Plane().calculating);
    EXPECT_TRUE(f.doc.IsCommandEnabled(kCmdRecalculate));
    f.pump.pump = [] { return true; };
    EXPECT_EQ(f.view.CalculateMap().status, ECalcStatus::Completed);
}

TEST(MapService, TheCommandLineCalculatesWithoutAView) {
    CalcDoc f;
    const CMapResult result = CalculateConditionMap(f.doc, 0, {EMapEngineKind::Engine, 2});
    EXPECT_EQ(result.status, ECalcStatus::Completed);
    EXPECT_EQ(result.computed, f.view.Condition()->plane.pointCount);
    EXPECT_EQ(CalculateConditionMap(f.doc, 5).status, ECalcStatus::NoInstallations);
}
