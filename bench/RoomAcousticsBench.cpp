// Room acoustics: the sound power integral of a model, the octave levels a broadband or STI map
// needs per point, against the direct map of the same scene (S3 of MapBench.cpp).
#include "BenchData.h"
#include "acoustics/Octaves.h"
#include "acoustics/RoomField.h"
#include "acoustics/SoundPower.h"
#include "acoustics/WorkerPool.h"
#include "speaker/SpeakerModelContainer.h"

#include <benchmark/benchmark.h>

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
