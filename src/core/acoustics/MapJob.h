#pragma once

#include "acoustics/MapSnapshot.h"
#include "acoustics/WorkerPool.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// How a calculation over a plane ended (Running: it goes on as a job, its result comes later).
enum class ECalcStatus { Completed, Stopped, Failed, NoInstallations, Running };

// What a quantity's calculation makes of the values of a whole plane, computed on the worker
// that finishes the last point. The sound level gives its maximum, minimum and averages.
struct CMapSummary {
    double maximum = 0.0;
    double minimum = 0.0;
    double pinkNoiseAverage = 0.0;
    double musicSpeechAverage = 0.0;
};

// What a job computes at each point of its snapshot. It is prepared once per job on a worker
// (what does not depend on the point: engine tables, band, the speakers' sources); each worker
// then computes runs of points with a calculator of its own (its scratch memory).
class CPointCalculation {
public:
    virtual ~CPointCalculation() = default;

    class CWorker {
    public:
        virtual ~CWorker() = default;
        // The values of points [first, last) into values[first .. last); a point without a value
        // (at a speaker's position) gets NaN. False when the calculation fails at some point,
        // with the reason.
        virtual bool Compute(std::size_t first, std::size_t last, double* values,
                             std::string& reason) = 0;
    };
    virtual std::unique_ptr<CWorker> MakeWorker() const = 0;
    // The figures of a finished plane; `values` holds NaN for the points without a value.
    virtual CMapSummary Summarise(const std::vector<double>& values) const {
        (void)values;
        return {};
    }
};

// Prepares the calculation for a snapshot; null with `reason` when nothing can be computed.
using CPointQuantity =
    std::function<std::unique_ptr<CPointCalculation>(const CMapSnapshot&, std::string& reason)>;

struct CMapJobResult {
    ECalcStatus status = ECalcStatus::Completed;
    std::string reason; // why it failed
    // One value per snapshot point; NaN where none: not reached (stopped) or left out.
    std::vector<double> values;
    long long computed = 0; // points the workers finished, those left out included
    long long leftOut = 0;  // points of a completed map without a value
    CMapSummary summary;    // of a completed map
};

// One calculation over a plane on the worker pool: the snapshot it reads belongs to the job, so
// whatever the project does meanwhile cannot reach the workers. Stop ends it before the next
// chunk of points (without waiting); destroying the job stops it and waits for its workers to
// leave. Progress and the result are read on the thread that owns the job.
class CMapJob {
public:
    // `pool` null: the job starts workers of its own. `threads` 0: one per core. `wait` as in
    // CWorkerPool::Start.
    CMapJob(std::shared_ptr<const CMapSnapshot> snapshot, CPointQuantity quantity,
            CWorkerPool* pool = nullptr, int threads = 0,
            CWorkerPool::EWait wait = CWorkerPool::EWait::Queue);
    ~CMapJob();
    CMapJob(const CMapJob&) = delete;
    CMapJob& operator=(const CMapJob&) = delete;

    const CMapSnapshot& Snapshot() const;
    void Stop();
    bool Stopping() const;
    // Every worker has left: the result is ready. Never blocks.
    bool Finished();
    // Waits up to `timeout` for the workers to leave; true when they have.
    bool WaitFor(std::chrono::milliseconds timeout);
    long long Done() const;
    long long Total() const;
    // Once finished: how it ended. Rethrows what a worker threw (once).
    CMapJobResult TakeResult();

private:
    struct State;
    std::shared_ptr<State> m_state;
    std::unique_ptr<CWorkerPool> m_ownPool;
    // Last, so it stops and waits for the workers before anything they use goes.
    std::optional<CWorkerPool::CBatch> m_batch;
};
