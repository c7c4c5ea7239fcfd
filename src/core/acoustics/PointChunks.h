#pragma once

#include "acoustics/EngineKernel.h"
#include "acoustics/MapCalculation.h"
#include "acoustics/WorkerPool.h"
#include "common/ProgressDialog1.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <stop_token>

// Spreads the points [0, count) of a map over worker threads in small chunks; the calling thread
// keeps the progress port alive and turns Stop into a stop request the workers read before every
// four points. Each worker makes its own step with makeStep(); step(i, lanes) computes points
// [i, i + lanes) (lanes at most kKernelLanes) and answers false when one fails, which stops the
// others. The workers are stopped and have left on every way out, a throwing progress port
// included. Without a pool, a map on more than one thread starts and joins its own.
template <class MakeStep>
ECalcStatus RunPointChunks(std::size_t count, int threads, CWorkerPool* pool,
                           CProgressDialog1* progress, MakeStep makeStep) {
    if (progress && !progress->PumpAndCheck())
        return ECalcStatus::Stopped;
    std::stop_source stop;
    std::atomic<bool> failed{false};
    std::atomic<std::size_t> next{0}, finished{0};
    // Whole cache lines of levels and flags per chunk, so the workers do not share them, and
    // few updates of the shared counters; small enough to keep the workers evenly busy.
    constexpr std::size_t kChunk = 64;
    auto work = [&](const std::stop_token& own) {
        auto step = makeStep();
        for (;;) {
            const std::size_t first = next.fetch_add(kChunk);
            if (first >= count)
                return;
            const std::size_t last = std::min(count, first + kChunk);
            for (std::size_t i = first; i < last; i += kKernelLanes) {
                if (stop.stop_requested() || own.stop_requested())
                    return;
                const int lanes = static_cast<int>(std::min<std::size_t>(kKernelLanes, last - i));
                if (!step(i, lanes)) {
                    failed = true;
                    stop.request_stop();
                    return;
                }
            }
            finished.fetch_add(last - first, std::memory_order_relaxed);
        }
    };

    const int workers =
        std::clamp(threads > 0 ? threads : CWorkerPool::CoreCount(), 1, CWorkerPool::kMaxThreads);
    if (workers == 1 && !progress) {
        work(stop.get_token());
    } else {
        // Declared after everything the workers use, so the batch has ended before any of it
        // goes.
        std::unique_ptr<CWorkerPool> own;
        if (!pool)
            pool = (own = std::make_unique<CWorkerPool>(workers)).get();
        CWorkerPool::CBatch batch = pool->Start(workers, work);
        // The port is pumped at least once while the workers run, however fast they are.
        for (;;) {
            const bool done = batch.WaitFor(std::chrono::milliseconds(30));
            if (progress) {
                const bool keepGoing = progress->PumpAndCheck();
                progress->SetPos(static_cast<long long>(finished.load()));
                if (!keepGoing)
                    batch.RequestStop();
            }
            if (done)
                break;
        }
        batch.Wait();
    }
    if (failed)
        return ECalcStatus::Failed;
    if (finished.load() < count)
        return ECalcStatus::Stopped;
    return ECalcStatus::Completed;
}
