#include "acoustics/MapJob.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>

struct CMapJob::State {
    std::shared_ptr<const CMapSnapshot> snapshot;
    CPointQuantity quantity;
    std::once_flag prepareOnce;
    std::unique_ptr<CPointCalculation> calculation;
    std::vector<double> values;
    std::stop_source stop;
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> done{0};
    std::atomic<bool> failed{false};
    std::mutex mutex; // guards the failure and the summary
    std::size_t failedAt = std::numeric_limits<std::size_t>::max();
    std::string reason;
    bool summarised = false;
    CMapSummary summary;
    long long leftOut = 0;

    void Fail(std::size_t at, std::string why) {
        std::lock_guard lock(mutex);
        // The first point in list order names the failure, however the workers met them.
        if (at < failedAt) {
            failedAt = at;
            reason = std::move(why);
        }
        failed = true;
    }
    void Work(const std::stop_token& own);
};

namespace {
// Whole cache lines of values per chunk, so the workers do not share them, and few updates of the
// shared counters; small enough that Stop is heard within a few milliseconds.
constexpr std::size_t kChunk = 64;
} // namespace

void CMapJob::State::Work(const std::stop_token& own) {
    std::call_once(prepareOnce, [&] {
        std::string why;
        calculation = quantity(*snapshot, why);
        if (!calculation)
            Fail(0, why);
    });
    if (!calculation)
        return;
    const std::unique_ptr<CPointCalculation::CWorker> worker = calculation->MakeWorker();
    const std::size_t count = values.size();
    std::string why;
    for (;;) {
        if (failed.load(std::memory_order_relaxed) || stop.stop_requested() ||
            own.stop_requested())
            return;
        const std::size_t first = next.fetch_add(kChunk);
        if (first >= count)
            return;
        const std::size_t last = std::min(count, first + kChunk);
        if (!worker->Compute(first, last, values.data(), why)) {
            Fail(first, why);
            return;
        }
        // The worker that finishes the last point sums the plane up, before it leaves the job.
        if (done.fetch_add(last - first) + (last - first) == count) {
            std::lock_guard lock(mutex);
            summary = calculation->Summarise(values);
            leftOut = std::count_if(values.begin(), values.end(),
                                    [](double v) { return std::isnan(v); });
            summarised = true;
        }
    }
}

CMapJob::CMapJob(std::shared_ptr<const CMapSnapshot> snapshot, CPointQuantity quantity,
                 CWorkerPool* pool, int threads, CWorkerPool::EWait wait)
    : m_state(std::make_shared<State>()) {
    m_state->snapshot = std::move(snapshot);
    m_state->quantity = std::move(quantity);
    m_state->values.assign(m_state->snapshot->PointCount(),
                           std::numeric_limits<double>::quiet_NaN());
    const int workers =
        std::clamp(threads > 0 ? threads : CWorkerPool::CoreCount(), 1, CWorkerPool::kMaxThreads);
    if (!pool)
        pool = (m_ownPool = std::make_unique<CWorkerPool>(workers)).get();
    // The workers hold the state too: it lives until the last one has left.
    m_batch.emplace(pool->Start(
        workers, [state = m_state](const std::stop_token& own) { state->Work(own); }, wait));
}

CMapJob::~CMapJob() {
    Stop();
    m_batch.reset(); // waits for the workers
}

const CMapSnapshot& CMapJob::Snapshot() const {
    return *m_state->snapshot;
}

void CMapJob::Stop() {
    m_state->stop.request_stop();
    if (m_batch)
        m_batch->RequestStop();
}

bool CMapJob::Stopping() const {
    return m_state->stop.stop_requested();
}

bool CMapJob::Finished() {
    return WaitFor(std::chrono::milliseconds(0));
}

bool CMapJob::WaitFor(std::chrono::milliseconds timeout) {
    return !m_batch || m_batch->WaitFor(timeout);
}

long long CMapJob::Done() const {
    return static_cast<long long>(m_state->done.load(std::memory_order_relaxed));
}

long long CMapJob::Total() const {
    return static_cast<long long>(m_state->values.size());
}

CMapJobResult CMapJob::TakeResult() {
    if (m_batch) {
        std::optional<CWorkerPool::CBatch> batch = std::move(m_batch);
        m_batch.reset();
        batch->Wait(); // rethrows what a worker threw
    }
    State& s = *m_state;
    CMapJobResult result;
    result.computed = static_cast<long long>(s.done.load());
    std::lock_guard lock(s.mutex);
    if (s.failed) {
        result.status = ECalcStatus::Failed;
        result.reason = s.reason;
    } else if (s.values.empty() || s.summarised) {
        result.status = ECalcStatus::Completed;
        result.summary = s.summary;
        result.leftOut = s.leftOut;
    } else {
        result.status = ECalcStatus::Stopped;
    }
    result.values = std::move(s.values);
    return result;
}
