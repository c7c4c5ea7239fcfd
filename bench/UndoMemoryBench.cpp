// What the undo history holds after 100 moves of a speaker, each recalculating the map: on the
// demo hall (a line array over a 9,600-point plane) and on a project with three speaker models
// of 24 points per octave. "history" is the history's own account; "heap" the growth of the
// allocator's bytes in use over the 100 moves, which also counts what the account leaves out.
#include "BenchData.h"
#include "ProjectBuilder.h"
#include "acoustics/ColorMapCondition.h"
#include "project/ColorMapViewModel.h"
#include "project/DAXDoc.h"
#include "project/Strings.h"
#include "project/forms/InstallationForm.h"
#include "project/forms/RoomParametersForm.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <memory>
#include <stdexcept>
#include <vector>

namespace {
struct CRoom {
    double length, width, height;
};

struct CFirstSpeaker {
    double x, y, z;
    double elevation;
    double power;
};

// Confirms every dialog: the Room Parameters with the room, the first installation with its
// height, aim and power, every later one as the move left it.
class CBenchDialogs : public CDialogPort {
public:
    CBenchDialogs(CRoom room, CFirstSpeaker first) : m_room(room), m_first(first) {}
    bool RunInstallation(CInstallationForm& form) override {
        if (!m_installed) {
            form.Field(CInstallationForm::kZ).SetValue(m_first.z);
            form.Field(CInstallationForm::kElevation).SetValue(m_first.elevation);
            form.Field(CInstallationForm::kPower).SetValue(m_first.power);
            m_installed = true;
        }
        return form.Accept();
    }
    bool RunPreferences(CPreferencesForm&) override { return false; }
    ERoomParametersAnswer RunRoomParameters(CRoomParametersForm& form) override {
        form.Field(CRoomParametersForm::kRoomLength).SetValue(m_room.length);
        form.Field(CRoomParametersForm::kRoomWidth).SetValue(m_room.width);
        form.Field(CRoomParametersForm::kRoomHeight).SetValue(m_room.height);
        return form.Accept() ? ERoomParametersAnswer::Ok : ERoomParametersAnswer::Cancel;
    }
    bool RunAutoInstallation(CAutoInstallationForm&) override { return false; }
    bool RunVd1Export(CVd1ExportForm&) override { return false; }
    bool RunInitialSettings(CInitialSettingsForm&) override { return false; }
    bool RunSurfacesAndAir(CSurfacesAndAirForm&) override { return false; }
    bool RunAlignDelays(CAlignDelaysForm&) override { return false; }

private:
    CRoom m_room;
    CFirstSpeaker m_first;
    bool m_installed = false;
};

// A new metric project shown in one map view, with the models imported and the first of them
// installed and calculated.
struct CMovingScene {
    CBenchDialogs dialogs;
    CDAXDoc doc;
    std::unique_ptr<CColorMapViewModel> view;

    CMovingScene(CRoom room, const std::vector<CVsaGenOptions>& models, CFirstSpeaker first)
        : dialogs(room, first), doc(0, Ports()) {
        view = std::make_unique<CColorMapViewModel>(doc);
        view->OnInitialUpdate();
        for (const CVsaGenOptions& options : models)
            ImportGenerated(Build(doc).Models(), options);
        Build(doc).Models().SetCurrentIndex(0);
        view->ResetSpeakerDependentDisplay();
        doc.SetAdvancedMode(2); // the aim and the power are entered in advanced mode
        if (!doc.InstallSpeaker(first.x, first.y).IsDone())
            throw std::runtime_error("the first speaker was not installed");
        doc.History().Clear();
    }
    CDocumentPorts Ports() {
        CDocumentPorts ports;
        ports.dialogs = &dialogs;
        return ports;
    }
    // One drag of the current speaker along x, as the map view records it.
    void Move(double x) {
        CInstallationElement values = *doc.Room().Current();
        values.position.x = x;
        CDAXDoc::CEditStep step(doc, Strings::kStepMoveSpeaker);
        if (!doc.EditInstallation(values).IsDone())
            throw std::runtime_error("the speaker was not moved");
    }
};

std::size_t HeapInUse() {
    return mallinfo2().uordblks;
}

void RunHundredMoves(benchmark::State& state, CRoom room, const std::vector<CVsaGenOptions>& models,
                     CFirstSpeaker first) {
    std::size_t history = 0, heap = 0, points = 0;
    for (auto _ : state) {
        state.PauseTiming();
        CMovingScene scene(room, models, first);
        const std::size_t before = HeapInUse();
        state.ResumeTiming();
        for (int i = 1; i <= 100; ++i)
            scene.Move(first.x + 0.05 * i);
        state.PauseTiming();
        if (scene.doc.History().Count() != 100)
            state.SkipWithError("the history does not hold 100 steps");
        history = scene.doc.History().Bytes(scene.doc.Models().Shared());
        heap = HeapInUse() - before;
        points = scene.doc.Conditions().At(0)->plane.points.size();
        state.ResumeTiming();
    }
    state.counters["history"] = benchmark::Counter(
        static_cast<double>(history), benchmark::Counter::kDefaults, benchmark::Counter::kIs1024);
    state.counters["heap"] = benchmark::Counter(
        static_cast<double>(heap), benchmark::Counter::kDefaults, benchmark::Counter::kIs1024);
    state.counters["points"] = static_cast<double>(points);
}

// The demo program's hall: 30 x 20 x 10 m, a QL9 array hung 8 m high at the front.
void BM_UndoHistoryDemoHall(benchmark::State& state) {
    RunHundredMoves(state, {30, 20, 10}, {QL9ArrayOptions()}, {1.0, 10.0, 8.0, 6.0, 200.0});
}
BENCHMARK(BM_UndoHistoryDemoHall)->Iterations(1)->Unit(benchmark::kMillisecond);

// Three ceiling and wall models of 24 points per octave in a 12 x 12 x 3 m room.
void BM_UndoHistoryThreeFineModels(benchmark::State& state) {
    CVsaGenOptions omni = FineGrid(OmniOptions(24, 50, 20000));
    RunHundredMoves(state, {12, 12, 3},
                    {FineGrid(CeilingSpeakerOptions()), FineGrid(WallSpeakerOptions()), omni},
                    {3.0, 6.0, 3.0, 90.0, 3.0});
}
BENCHMARK(BM_UndoHistoryThreeFineModels)->Iterations(1)->Unit(benchmark::kMillisecond);
} // namespace
