// What the colour map window does under the mouse and on every paint: one hover (the cell under
// the pointer, its band level for the read-out and its band spectrum for the response view) and
// one paint of the whole picture into an image, for a 100 x 100-cell plane.
#ifdef DAXARA_BENCH_PAINT
#include "BenchData.h"
#include "ProjectBuilder.h"
#include "acoustics/ColorMapCondition.h"
#include "paint/MapPainter.h"
#include "project/ColorMapViewModel.h"
#include "project/DAXDoc.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <thread>

namespace {
void EnsureApplication() {
    static std::unique_ptr<QGuiApplication> application = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "daxara_bench";
        static char* argv[] = {name, nullptr};
        return std::make_unique<QGuiApplication>(argc, argv);
    }();
}

// A 12 x 12 x 3 m room with 16 ceiling speakers of 24 points per octave over a 10 x 10 m plane
// of `cells` x `cells` cells, calculated once.
struct MapScene {
    CDAXDoc doc{0};
    std::unique_ptr<CColorMapViewModel> view;

    explicit MapScene(int cells) {
        ImportGenerated(Build(doc).Models(), FineGrid(CeilingSpeakerOptions()));
        Build(doc).Room().roomLength = Build(doc).Room().roomWidth = 12;
        Build(doc).Room().roomHeight = 3;
        for (int i = 0; i < 16; ++i)
            Build(doc).Room().AddInstallation(0, 0, {1.5 + 3 * (i % 4), 1.5 + 3 * (i / 4), 3.0},
                                              {0, 0, 90}, 3.0, true);
        CProjectSettings settings = doc.Settings();
        settings.loadedFromFile = 1;
        doc.ReplaceSettings(settings);
        CColorMapCondition condition;
        condition.plane.Build(1, 1, 1.2, 10, 10, 0, 10.0 / cells, 100, 2);
        condition.band = 3;
        condition.centreFrequency = 1000;
        Build(doc).Conditions().Append(condition);
        view = std::make_unique<CColorMapViewModel>(doc);
        view->OnInitialUpdate();
        view->SetClientSize(1200, 900);
        view->SetViewDirection(45, 75, 0);
        view->Fit();
    }
    void Calculate() { view->CalculateMap(); }
};

MapScene& Scene100() {
    static MapScene* scene = [] {
        auto* s = new MapScene(100);
        s->Calculate();
        return s;
    }();
    return *scene;
}

void BM_HoverOneCell(benchmark::State& state) {
    MapScene& scene = Scene100();
    const CListeningPlane& plane = scene.view->Condition()->plane;
    // Two cells far apart in list order, so the hit test walks a realistic distance.
    const CPlaceElement& a = plane.points[plane.points.size() / 3];
    const CPlaceElement& b = plane.points[plane.points.size() * 2 / 3];
    const CPixel pa = scene.view->PixelOf({a.x, a.y, a.z});
    const CPixel pb = scene.view->PixelOf({b.x, b.y, b.z});
    bool flip = false;
    for (auto _ : state) {
        benchmark::DoNotOptimize(scene.view->MouseMove(flip ? pa : pb));
        flip = !flip;
    }
    state.counters["cells"] = static_cast<double>(plane.points.size());
}
BENCHMARK(BM_HoverOneCell)->Unit(benchmark::kMillisecond);

// The parts of a hover: the hit test alone, the band level alone, the spectrum alone.
void BM_HoverParts(benchmark::State& state) {
    MapScene& scene = Scene100();
    const CListeningPlane& plane = scene.view->Condition()->plane;
    const CPlaceElement& cell = plane.points[plane.points.size() / 2];
    const CVec3 centre{cell.x, cell.y, cell.z};
    const CPixel at = scene.view->PixelOf(centre);
    for (auto _ : state) {
        switch (state.range(0)) {
        case 0:
            benchmark::DoNotOptimize(scene.view->CellAt(at));
            break;
        case 1: {
            double level = 0;
            benchmark::DoNotOptimize(scene.view->LevelAt(centre, level));
            break;
        }
        case 2:
            benchmark::DoNotOptimize(scene.view->PointSpectrum(centre));
            break;
        default: {
            // The band level on the literal path, for comparison with case 1.
            const CAcousticScene acoustic = scene.doc.Scene();
            const CColorMapCondition& c = *scene.view->Condition();
            const CBandIndexRange band = ConditionBand(acoustic, c);
            double pressure = 0;
            benchmark::DoNotOptimize(
                BandPressure(acoustic, c.mode, centre, band.start, band.end, band.pitch, pressure));
        }
        }
    }
    state.SetLabel(state.range(0) == 0   ? "hit test"
                   : state.range(0) == 1 ? "band level"
                   : state.range(0) == 2 ? "spectrum"
                                         : "band level, literal");
}
BENCHMARK(BM_HoverParts)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);

// A full paint of the window picture at 1200 x 900: the diagonal view draws polygons, the plan
// view axis-parallel rectangles.
void BM_PaintPlane(benchmark::State& state) {
    EnsureApplication();
    MapScene& scene = Scene100();
    if (state.range(0) == 1)
        scene.view->SetViewDirection(0, 0, 0);
    else
        scene.view->SetViewDirection(45, 75, 0);
    scene.view->Fit();
    QImage image(1200, 900, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        PaintColorMap(painter, scene.doc, *scene.view);
    }
    state.SetLabel(state.range(0) == 1 ? "plan view" : "diagonal view");
    scene.view->SetViewDirection(45, 75, 0);
    scene.view->Fit();
}
BENCHMARK(BM_PaintPlane)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A plane of a million cells (not calculated: every cell takes the same class, the drawing work
// is the same).
void BM_PaintMillionCells(benchmark::State& state) {
    EnsureApplication();
    static MapScene scene(1000);
    QImage image(1200, 900, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        PaintColorMap(painter, scene.doc, *scene.view);
    }
}
BENCHMARK(BM_PaintMillionCells)->Unit(benchmark::kMillisecond)->Iterations(3);

// A speaker dragged across a plane of a million points, as the window does it: one step moves
// the pointer, computes the live map (on the coarse grid such a plane follows the mouse on) and
// paints the picture at 1200 x 900. "steps_per_s" is what the user sees while dragging.
void BM_MillionPointDragStep(benchmark::State& state) {
    EnsureApplication();
    static MapScene scene(1000);
    CColorMapViewModel& view = *scene.view;
    const CVec3 home = scene.doc.Room().At(5)->position;
    const CPixel start = view.PixelOf(home);
    view.MouseMove(start);
    if (view.LeftDown(start) != EMapCursor::Drag) {
        state.SkipWithError("the speaker could not be picked up");
        return;
    }
    // Every step lands on another installation-grid cell, so every step has a map to compute.
    const CPixel left = view.PixelOf(home - CVec3{1.5, 0, 0});
    const CPixel right = view.PixelOf(home + CVec3{1.5, 0, 0});
    // The first step starts the preview's build on the workers; the drag goes on meanwhile.
    view.MouseMove(left);
    while (!view.PreviewLevels() && view.PreviewPending()) {
        if (!view.UpdatePreview())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    QImage image(1200, 900, QImage::Format_RGB32);
    bool toLeft = false;
    for (auto _ : state) {
        view.MouseMove(toLeft ? left : right);
        toLeft = !toLeft;
        if (!view.PreviewPending() || !view.UpdatePreview())
            state.SkipWithError("the step computed no live map");
        image.fill(Qt::white);
        QPainter painter(&image);
        PaintColorMap(painter, scene.doc, view);
    }
    state.counters["steps_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["plane_points"] = static_cast<double>(view.Condition()->plane.points.size());
}
BENCHMARK(BM_MillionPointDragStep)->Unit(benchmark::kMillisecond)->UseRealTime();
} // namespace
#endif
