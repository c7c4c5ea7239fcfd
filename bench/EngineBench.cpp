// The spectrum under the mouse and the live map while a speaker is dragged, each against the
// literal or exact path in the same run.
#include "BenchData.h"
#include "acoustics/LivePreview.h"
#include "acoustics/MapCalculation.h"
#include "acoustics/SpectrumEngine.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {
// 64 ceiling speakers of 24 points per octave in a 30 x 30 m room with a solid ceiling; the
// spectrum at 1/3 octave over 20 Hz to 20 kHz (the models' data start at 50 Hz).
CBenchScene& Spectrum() {
    static CBenchScene s = [] {
        CBenchSceneSpec spec;
        spec.speakers = FineGrid(CeilingSpeakerOptions());
        spec.length = spec.width = 30;
        spec.height = 4;
        spec.installations = CeilingGrid(8, 8, 30, 30, 4);
        spec.planePitch = 1.0;
        return CBenchScene(spec);
    }();
    return s;
}

// Both paths with their optional reason left out, so they share one signature.
bool LiteralSpectrum(const CAcousticScene& scene, const CColorMapCondition& condition,
                     const CVec3& point, std::vector<double>& centres,
                     std::vector<double>& levels) {
    return PointSpectrum(scene, condition, point, centres, levels);
}
bool EngineSpectrum(const CAcousticScene& scene, const CColorMapCondition& condition,
                    const CVec3& point, std::vector<double>& centres, std::vector<double>& levels) {
    return EnginePointSpectrum(scene, condition, point, centres, levels);
}

template <bool (*Calculate)(const CAcousticScene&, const CColorMapCondition&, const CVec3&,
                            std::vector<double>&, std::vector<double>&)>
void BM_Spectrum(benchmark::State& state) {
    CBenchScene& s = Spectrum();
    const CAcousticScene scene = CAcousticScene::Of(s.models, s.room, 0);
    std::vector<double> centres, levels;
    double x = 0.0;
    for (auto _ : state) {
        if (!Calculate(scene, s.condition, {10.3 + x, 12.7, 1.2}, centres, levels))
            state.SkipWithError("the spectrum failed");
        benchmark::DoNotOptimize(levels.data());
        x = x > 5.0 ? 0.0 : x + 0.173; // the mouse moves
    }
}
BENCHMARK_TEMPLATE(BM_Spectrum, EngineSpectrum)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Spectrum, LiteralSpectrum)->Unit(benchmark::kMillisecond);

// S3 with speaker 13 dragged: building the cache once, then one preview map per mouse step.
// Arg: worker threads (0 = every core). Compare with BM_S3_Engine, the exact map.
void BM_S3_PreviewBuild(benchmark::State& state) {
    const CAcousticScene scene = CAcousticScene::Of(S3Models(), S3Room(), 0);
    for (auto _ : state) {
        CLivePreview preview(scene, S3Condition(), 13, static_cast<int>(state.range(0)));
        if (!preview.Active())
            state.SkipWithError("the preview is not active");
        state.counters["cache_MiB"] = static_cast<double>(preview.CacheBytes()) / (1 << 20);
    }
}
BENCHMARK(BM_S3_PreviewBuild)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// What the drag's first step costs the user interface thread now that the workers build the
// cache: planning the engine and starting them (the build is stopped outside the timing).
void BM_S3_PreviewStartInBackground(benchmark::State& state) {
    const CAcousticScene scene = CAcousticScene::Of(S3Models(), S3Room(), 0);
    CWorkerPool pool;
    for (auto _ : state) {
        auto preview = std::make_unique<CLivePreview>(scene, S3Condition(), 13, 0,
                                                      CLivePreview::kDefaultMemoryBound, &pool,
                                                      CLivePreview::EBuild::InBackground);
        state.PauseTiming();
        preview.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_S3_PreviewStartInBackground)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_S3_PreviewStep(benchmark::State& state) {
    const CAcousticScene scene = CAcousticScene::Of(S3Models(), S3Room(), 0);
    const int threads = static_cast<int>(state.range(0));
    CLivePreview preview(scene, S3Condition(), 13, threads);
    CInstallationElement moving = *S3Room().At(13);
    const CVec3 home = moving.position;
    std::vector<double> levels;
    int step = 0;
    for (auto _ : state) {
        moving.position.x = home.x + 0.05 * (step++ % 40);
        S3Room().ReplaceInstallation(13, moving);
        if (!preview.Update(levels, threads))
            state.SkipWithError("the preview failed");
        benchmark::DoNotOptimize(levels.data());
    }
    moving.position = home;
    S3Room().ReplaceInstallation(13, moving);
    state.counters["maps_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_S3_PreviewStep)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime() // every worker's CPU time
    ->UseRealTime();
} // namespace
