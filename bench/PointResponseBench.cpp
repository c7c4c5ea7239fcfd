// Cost of one point response, the innermost step of every map.
#include "BenchData.h"

#include <benchmark/benchmark.h>

namespace {
CSpeakerModel& CeilingModel() {
    static CSpeakerModelContainer container = [] {
        CSpeakerModelContainer c;
        ImportGenerated(c, FineGrid(CeilingSpeakerOptions()));
        return c;
    }();
    return container.At(0);
}

void BM_EvaluateCeilingSpeaker(benchmark::State& state) {
    const CSpeakerModel& model = CeilingModel();
    const double f = model.Header().frequencyList[model.Header().frequencyCount / 2];
    const bool ceiling = state.range(0) != 0;
    double x = 0.0;
    for (auto _ : state) {
        CSPComplex acc;
        model.Evaluate(acc, {1.0 + x, 2.0, 1.2}, {0, 0, 3}, {0, 0, 90}, f, 3.0, false, 3.0, ceiling,
                       0);
        benchmark::DoNotOptimize(acc);
        x = x > 5.0 ? 0.0 : x + 0.01;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EvaluateCeilingSpeaker)->Arg(0)->Arg(1);
} // namespace
