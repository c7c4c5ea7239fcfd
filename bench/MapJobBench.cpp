// What a map job costs the window's thread when it starts: the snapshot of what it reads (the
// models' handles, a copy of the installations, the band and the plane's points) and the start of
// its workers. The workers' own time is not counted; BM_S3_Engine measures the map itself.
#include "BenchData.h"
#include "acoustics/MapJob.h"
#include "acoustics/MapSnapshot.h"
#include "acoustics/WorkerPool.h"

#include <benchmark/benchmark.h>

#include <optional>

namespace {
void BM_S3_JobStart(benchmark::State& state) {
    const CAcousticScene scene = CAcousticScene::Of(S3Models(), S3Room(), 0);
    static CWorkerPool workers; // the program's pool, started once
    std::optional<CMapJob> job;
    for (auto _ : state) {
        job.emplace(std::make_shared<const CMapSnapshot>(scene, S3Condition()),
                    SoundLevelQuantity(), &workers);
        state.PauseTiming();
        job.reset(); // stops the job and waits for its workers, which is not the start's cost
        state.ResumeTiming();
    }
    state.counters["points"] = static_cast<double>(S3Condition().plane.pointCount);
    state.counters["installations"] = S3Room().Count();
}
// Real time: the window waits for the wall clock, not for its own CPU.
BENCHMARK(BM_S3_JobStart)->Unit(benchmark::kMicrosecond)->UseRealTime();
} // namespace
