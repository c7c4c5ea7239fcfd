// The reference scenes of the map calculation, each computed by the program's engine and by
// the literal reference path in the same run. "element_evals" counts one element's response at
// one grid point and one data frequency (its ceiling image included).
#include "BenchData.h"
#include "acoustics/MapEngine.h"
#include "acoustics/WorkerPool.h"

#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <string>

namespace {
using Scene = CBenchScene;

// Ceiling speakers of 24 points per octave over a floor plan, 1/3 octave at 1 kHz, solid ceiling,
// energy sum.
CBenchSceneSpec CeilingScene(double length, double width, double height, int columns, int rows,
                             double pitch) {
    CBenchSceneSpec spec;
    spec.speakers = FineGrid(CeilingSpeakerOptions());
    spec.length = length, spec.width = width, spec.height = height;
    spec.installations = CeilingGrid(columns, rows, length, width, height);
    spec.planePitch = pitch;
    return spec;
}

// S1: a 10 x 10 m plane at 0.25 m under 16 ceiling speakers.
Scene& SceneS1() {
    static Scene s(CeilingScene(10, 10, 3, 4, 4, 0.25));
    return s;
}

// S2: a 16-element line array in a 40 x 30 m hall, plane pitch 0.5 m, 1 octave at 1 kHz,
// interference sum.
CBenchSceneSpec LineArrayScene() {
    CBenchSceneSpec spec;
    spec.speakers = FineGrid(QL9ArrayOptions());
    spec.speakers.counts = {0, 8, 8};
    spec.speakers.modules.resize(16, spec.speakers.modules.back());
    spec.length = 40, spec.width = 30, spec.height = 12;
    spec.solidCeiling = false;
    spec.installations = {{{1.0, 15.0, 9.0}, {0, 0, 8}, 500.0}};
    spec.band = 1;
    spec.mode = kModeInterference;
    spec.planePitch = 0.5;
    spec.colourMaximum = 110;
    return spec;
}
Scene& SceneS2() {
    static Scene s(LineArrayScene());
    return s;
}

// S3: a 30 x 20 m plane at 0.1 m (60 000 points) under 32 ceiling speakers.
Scene& SceneS3() {
    static Scene s(CeilingScene(30, 20, 4, 8, 4, 0.1));
    return s;
}

// A 1 000 000-point plane (100 x 100 m at 0.1 m) under four of S3's speakers: what the working
// memory of a very large plane comes to (run it alone under /usr/bin/time -v for the peak).
Scene& SceneMillion() {
    static Scene s(CeilingScene(100, 100, 4, 2, 2, 0.1));
    return s;
}

void RunScene(benchmark::State& state, Scene& scene, EMapEngineKind kind) {
    const CAcousticScene acoustic = CAcousticScene::Of(scene.models, scene.room, 0);
    // The calculation service's workers, started once as in the program.
    static CWorkerPool workers;
    const CMapOptions options{kind, static_cast<int>(state.range(0)), &workers};
    for (auto _ : state) {
        const CMapResult r = CalculateMap(acoustic, scene.condition, nullptr, options);
        if (r.status != ECalcStatus::Completed)
            state.SkipWithError("the map did not complete");
        benchmark::DoNotOptimize(scene.condition.plane.pinkNoiseAverage);
    }
    state.counters["element_evals"] =
        benchmark::Counter(scene.elementEvaluations * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}

void BM_S1_Engine(benchmark::State& s) {
    RunScene(s, SceneS1(), EMapEngineKind::Engine);
}
void BM_S1_Reference(benchmark::State& s) {
    RunScene(s, SceneS1(), EMapEngineKind::Reference);
}
void BM_S2_Engine(benchmark::State& s) {
    RunScene(s, SceneS2(), EMapEngineKind::Engine);
}
void BM_S2_Reference(benchmark::State& s) {
    RunScene(s, SceneS2(), EMapEngineKind::Reference);
}

void BM_S3_Engine(benchmark::State& s) {
    RunScene(s, SceneS3(), EMapEngineKind::Engine);
}
void BM_S3_Reference(benchmark::State& s) {
    RunScene(s, SceneS3(), EMapEngineKind::Reference);
}
// The serial part of an S3 map before the workers start: the engine's plans and tables.
void BM_S3_EnginePlan(benchmark::State& state) {
    const CAcousticScene acoustic = CAcousticScene::Of(SceneS3().models, SceneS3().room, 0);
    const CBandIndexRange band = ConditionBand(acoustic, SceneS3().condition);
    for (auto _ : state) {
        const CMapEngine engine(acoustic, SceneS3().condition.mode, band);
        benchmark::DoNotOptimize(engine.Padded());
    }
}
BENCHMARK(BM_S3_EnginePlan)->Unit(benchmark::kMillisecond);

// The same preparation with its tables converted on the service's workers, as a map does it.
void BM_S3_EnginePlanOnWorkers(benchmark::State& state) {
    const CAcousticScene acoustic = CAcousticScene::Of(SceneS3().models, SceneS3().room, 0);
    const CBandIndexRange band = ConditionBand(acoustic, SceneS3().condition);
    static CWorkerPool workers;
    for (auto _ : state) {
        const CMapEngine engine(acoustic, SceneS3().condition.mode, band,
                                CMapEngine::ETables::All, {}, &workers, 0);
        benchmark::DoNotOptimize(engine.Padded());
    }
}
BENCHMARK(BM_S3_EnginePlanOnWorkers)->Unit(benchmark::kMillisecond)->UseRealTime();

// Writing S3's map as `map --csv` does, in memory: x,y,z,level per point. Arg 0 formats each
// number with "%.17g", arg 1 with the shortest text that reads back exactly (std::to_chars),
// which the command line uses. Both texts read back to the same doubles.
void BM_S3_CsvText(benchmark::State& state) {
    // Real levels, as a calculated map has them.
    if (SceneS3().condition.plane.maximumLevel == 0.0)
        CalculateMap(CAcousticScene::Of(SceneS3().models, SceneS3().room, 0), SceneS3().condition,
                     nullptr, {});
    const CListeningPlane& plane = SceneS3().condition.plane;
    const bool shortest = state.range(0) == 1;
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string text = "x,y,z,level\n";
        text.reserve(plane.points.size() * 64);
        char buffer[32];
        auto add = [&](double v) {
            if (shortest) {
                const auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
                text.append(buffer, end);
            } else {
                text.append(buffer, static_cast<std::size_t>(
                                        std::snprintf(buffer, sizeof buffer, "%.17g", v)));
            }
        };
        for (const CPlaceElement& p : plane.points) {
            add(p.x), text += ',', add(p.y), text += ',', add(p.z), text += ',', add(p.level);
            text += '\n';
        }
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
    state.SetLabel(shortest ? "shortest round trip" : "%.17g");
}
BENCHMARK(BM_S3_CsvText)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Million_Engine(benchmark::State& s) {
    RunScene(s, SceneMillion(), EMapEngineKind::Engine);
}

// Arg: worker threads of the engine (0 = every core); the reference is single-threaded. The CPU
// column is that of the whole process, every worker included.
BENCHMARK(BM_S1_Engine)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_S1_Reference)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_S2_Engine)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_S2_Reference)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_S3_Engine)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_S3_Reference)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_Million_Engine)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
} // namespace

// The scenes for the other benchmark files.
CSpeakerModelContainer& S3Models() {
    return SceneS3().models;
}
CInstallationContainer& S3Room() {
    return SceneS3().room;
}
CColorMapCondition& S3Condition() {
    return SceneS3().condition;
}
