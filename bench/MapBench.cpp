// The reference scenes of the map calculation, each computed by the program's engine and by
// the literal reference path in the same run. "element_evals" counts one element's response at
// one grid point and one data frequency (its ceiling image included).
#include "BenchData.h"
#include "acoustics/ColorMapCondition.h"
#include "acoustics/InstallationContainer.h"
#include "acoustics/MapCalculation.h"

#include <benchmark/benchmark.h>

namespace {
struct Scene {
    CSpeakerModelContainer models;
    CInstallationContainer room;
    CColorMapCondition condition;
    double elementEvaluations = 0;

    void Import(const CVsaGenOptions& options) { ImportGenerated(models, options); }
    void Count() {
        const CAcousticScene scene = CAcousticScene::Of(models, room, 0);
        const CBandIndexRange band = ConditionBand(scene, condition);
        double elements = 0;
        for (const CInstallationElement& inst : room.List())
            elements += models.At(inst.modelIndex).ElementTotal();
        elementEvaluations = elements * band.Count() * condition.plane.pointCount;
    }
};

// S1: a 10 x 10 m plane at 0.25 m, 16 ceiling speakers of 24 points per octave, 1/3 octave at
// 1 kHz, solid ceiling, energy sum.
Scene& SceneS1() {
    static Scene s = [] {
        Scene scene;
        scene.Import(FineGrid(CeilingSpeakerOptions()));
        scene.room.roomLength = scene.room.roomWidth = 10;
        scene.room.roomHeight = 3;
        scene.room.ceilingType = 1;
        for (int i = 0; i < 16; ++i)
            scene.room.AddInstallation(0, 0, {1.25 + 2.5 * (i % 4), 1.25 + 2.5 * (i / 4), 3.0},
                                       {0, 0, 90}, 3.0, true);
        scene.condition.band = 3;
        scene.condition.centreFrequency = 1000;
        scene.condition.mode = kModeEnergy;
        scene.condition.plane.Build(0, 0, 1.2, 10, 10, 0, 0.25, 100, 2);
        scene.Count();
        return scene;
    }();
    return s;
}

// S2: a 16-element line array in a 40 x 30 m hall, plane pitch 0.5 m, 1 octave at 1 kHz,
// interference sum.
Scene& SceneS2() {
    static Scene s = [] {
        Scene scene;
        CVsaGenOptions options = FineGrid(QL9ArrayOptions());
        options.counts = {0, 8, 8};
        options.modules.resize(16, options.modules.back());
        scene.Import(options);
        scene.room.roomLength = 40;
        scene.room.roomWidth = 30;
        scene.room.roomHeight = 12;
        scene.room.ceilingType = 0;
        scene.room.AddInstallation(0, 0, {1.0, 15.0, 9.0}, {0, 0, 8}, 500.0, true);
        scene.condition.band = 1;
        scene.condition.centreFrequency = 1000;
        scene.condition.mode = kModeInterference;
        scene.condition.plane.Build(0, 0, 1.2, 40, 30, 0, 0.5, 110, 2);
        scene.Count();
        return scene;
    }();
    return s;
}

// S3: a 30 x 20 m plane at 0.1 m (60 000 points), 32 ceiling speakers of 24 points per octave,
// 1/3 octave at 1 kHz, solid ceiling, energy sum.
Scene& SceneS3() {
    static Scene s = [] {
        Scene scene;
        scene.Import(FineGrid(CeilingSpeakerOptions()));
        scene.room.roomLength = 30;
        scene.room.roomWidth = 20;
        scene.room.roomHeight = 4;
        scene.room.ceilingType = 1;
        for (int i = 0; i < 32; ++i)
            scene.room.AddInstallation(0, 0, {1.875 + 3.75 * (i % 8), 2.5 + 5.0 * (i / 8), 4.0},
                                       {0, 0, 90}, 3.0, true);
        scene.condition.band = 3;
        scene.condition.centreFrequency = 1000;
        scene.condition.mode = kModeEnergy;
        scene.condition.plane.Build(0, 0, 1.2, 30, 20, 0, 0.1, 100, 2);
        scene.Count();
        return scene;
    }();
    return s;
}

// A 1 000 000-point plane (100 x 100 m at 0.1 m) under four of S3's speakers: what the working
// memory of a very large plane comes to (run it alone under /usr/bin/time -v for the peak).
Scene& SceneMillion() {
    static Scene s = [] {
        Scene scene;
        scene.Import(FineGrid(CeilingSpeakerOptions()));
        scene.room.roomLength = scene.room.roomWidth = 100;
        scene.room.roomHeight = 4;
        scene.room.ceilingType = 1;
        for (int i = 0; i < 4; ++i)
            scene.room.AddInstallation(0, 0, {25.0 + 50.0 * (i % 2), 25.0 + 50.0 * (i / 2), 4.0},
                                       {0, 0, 90}, 3.0, true);
        scene.condition.band = 3;
        scene.condition.centreFrequency = 1000;
        scene.condition.mode = kModeEnergy;
        scene.condition.plane.Build(0, 0, 1.2, 100, 100, 0, 0.1, 100, 2);
        scene.Count();
        return scene;
    }();
    return s;
}

void RunScene(benchmark::State& state, Scene& scene, EMapEngineKind kind) {
    const CAcousticScene acoustic = CAcousticScene::Of(scene.models, scene.room, 0);
    const CMapOptions options{kind, static_cast<int>(state.range(0))};
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
void BM_Million_Engine(benchmark::State& s) {
    RunScene(s, SceneMillion(), EMapEngineKind::Engine);
}

// Arg: worker threads of the engine (0 = every core); the reference is single-threaded.
BENCHMARK(BM_S1_Engine)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_S1_Reference)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_S2_Engine)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_S2_Reference)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_S3_Engine)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
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
