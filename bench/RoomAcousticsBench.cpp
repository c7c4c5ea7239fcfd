// Room acoustics: the sound power integral of a model, the octave levels a broadband or STI map
// needs per point, against the direct map of the same scene (S3 of MapBench.cpp).
#include "BenchData.h"
#include "acoustics/MapQuantity.h"
#include "acoustics/Octaves.h"
#include "acoustics/LivePreview.h"
#include "acoustics/RoomField.h"
#include "acoustics/RoomQuantities.h"
#include "acoustics/SoundPower.h"
#include "acoustics/WorkerPool.h"
#include "speaker/SpeakerModelContainer.h"

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {
// The power integral of a 24-points-per-octave model (36 phi x 37 theta) over all 7 octaves,
// as a calculation does it once per model and band: single thread.
void BM_PowerIntegral_24PerOctave_7Octaves(benchmark::State& state) {
    const CSpeakerModel& model = S3Models().At(0);
    for (auto _ : state) {
        double sum = 0.0;
        for (int k = 0; k < kOctaveCount; ++k) {
            CModelPower power;
            if (!ModelPower(model, BandIndices(1, OctaveCentre(k), 24), power))
                state.SkipWithError("the power integral failed");
            sum += power.integral;
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_PowerIntegral_24PerOctave_7Octaves)->Unit(benchmark::kMillisecond);
} // namespace

namespace {
// S3 with absorbing surfaces: the same speakers, plane and band (1/3 octave at 1 kHz, energy).
struct CS3Room {
    CRoomAcoustics acoustics;
    CSpeechSettings speech;
    CS3Room() {
        for (CRoomMaterial& face : acoustics.faces)
            face.alpha = {0.1, 0.15, 0.2, 0.25, 0.3, 0.3, 0.3};
        speech.noiseOn = true;
        speech.noise = {45, 40, 35, 30, 25, 20, 20};
    }
    CAcousticScene Scene() const {
        CAcousticScene scene = CAcousticScene::Of(S3Models(), S3Room(), 0);
        scene.acoustics = &acoustics;
        scene.speech = &speech;
        return scene;
    }
};

// Arg: the quantity's number; two worker threads, as the program has on this machine.
void BM_S3_Quantity(benchmark::State& state) {
    static const CS3Room room;
    static CWorkerPool workers;
    CColorMapCondition condition = S3Condition();
    condition.quantity = static_cast<EMapQuantity>(state.range(0));
    const CMapOptions options{EMapEngineKind::Engine, 2, &workers};
    for (auto _ : state) {
        const CMapResult r = CalculateMap(room.Scene(), condition, nullptr, options);
        if (r.status != ECalcStatus::Completed)
            state.SkipWithError(("the map did not complete: " + r.reason).c_str());
        benchmark::DoNotOptimize(condition.plane.pinkNoiseAverage);
    }
    state.SetLabel(QuantityInfo(condition.quantity).name);
}
BENCHMARK(BM_S3_Quantity)
    ->Arg(static_cast<int>(EMapQuantity::Direct))
    ->Arg(static_cast<int>(EMapQuantity::Total))
    ->Arg(static_cast<int>(EMapQuantity::Sti))
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
} // namespace

namespace {
// The live STI map while speaker 13 of S3 is dragged: the seven octaves of the others are kept
// per point, each step computes the moving speaker at every octave frequency and the index.
// Two threads. Compare with BM_S3_PreviewStep, the preview of the 1/3-octave map.
void BM_S3_StiPreviewStep(benchmark::State& state) {
    static const CS3Room room;
    static CWorkerPool workers;
    const CAcousticScene scene = room.Scene();
    CColorMapCondition condition = S3Condition();
    condition.quantity = EMapQuantity::Sti;
    CSoundPowerCache cache;
    const CRoomQuantity quantity(scene, condition, cache);
    std::vector<std::pair<int, int>> octaves;
    const CBandIndexRange band = OctaveUnion(scene, &octaves);
    CLivePreview preview(scene, condition.mode, band, octaves, condition, 13, 2,
                         CLivePreview::kDefaultMemoryBound, &workers);
    if (!preview.Active())
        state.SkipWithError("the preview is not active");
    const CLivePreview::CValueOf value = [&quantity](const double* levels) {
        COctaveValues octaveLevels;
        std::copy(levels, levels + kOctaveCount, octaveLevels.begin());
        return quantity.FromOctaves(octaveLevels);
    };
    CInstallationElement moving = *S3Room().At(13);
    const CVec3 home = moving.position;
    std::vector<double> values;
    int step = 0;
    for (auto _ : state) {
        moving.position.x = home.x + 0.05 * (step++ % 40);
        S3Room().ReplaceInstallation(13, moving);
        if (!preview.Update(values, value, 2))
            state.SkipWithError("the preview failed");
        benchmark::DoNotOptimize(values.data());
    }
    moving.position = home;
    S3Room().ReplaceInstallation(13, moving);
    state.counters["maps_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["cache_MiB"] = static_cast<double>(preview.CacheBytes()) / (1 << 20);
}
BENCHMARK(BM_S3_StiPreviewStep)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
} // namespace
