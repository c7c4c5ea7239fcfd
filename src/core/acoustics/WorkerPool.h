#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

// Worker threads started once and reused by every map and preview step, so a calculation does
// not pay for starting and joining threads. A job is started on some workers as a batch; the
// batch's stop token tells them to leave early, and destroying the batch stops it and waits for
// every worker to leave the job, so whatever the job uses may go after it on every way out.
// The pool must outlive its batches, and a job must not wait for another batch of its pool.
class CWorkerPool {
public:
    using Job = std::function<void(const std::stop_token&)>;

    // `threads` workers (0: one per core) start at once; a batch that asks for more adds them.
    explicit CWorkerPool(int threads = 0);
    ~CWorkerPool(); // stops and joins every worker
    CWorkerPool(const CWorkerPool&) = delete;
    CWorkerPool& operator=(const CWorkerPool&) = delete;

    static constexpr int kMaxThreads = 256;
    // One per core, at least 1.
    static int CoreCount();
    int Threads() const;

private:
    struct State {
        std::stop_source stop;
        Job job;
        std::mutex mutex;
        std::condition_variable finished;
        int running = 0;
        std::exception_ptr error;
    };

public:
    class CBatch {
    public:
        CBatch(CBatch&&) noexcept = default;
        CBatch& operator=(CBatch&&) = delete;
        ~CBatch();
        // True once every worker has left the job.
        bool WaitFor(std::chrono::milliseconds timeout);
        // Waits for every worker; rethrows what the job threw on one of them.
        void Wait();
        // Tells the running workers to leave and takes back the places no worker has taken yet,
        // so a stopped batch never waits for a pool busy with other batches.
        void RequestStop();

    private:
        friend class CWorkerPool;
        CBatch(CWorkerPool& pool, std::shared_ptr<State> state)
            : m_pool(&pool), m_state(std::move(state)) {}
        CWorkerPool* m_pool;
        std::shared_ptr<State> m_state;
    };

    // Whether a batch may start threads so that it need not wait for the batches before it.
    enum class EWait { Queue, Never };
    // Runs job(stop token) on `workers` workers (clamped to 1 .. kMaxThreads) at once. With
    // EWait::Never the pool adds threads while its workers are busy with other batches (up to
    // four per core), so independent jobs (the maps of two projects) run side by side instead of
    // one after the other.
    [[nodiscard]] CBatch Start(int workers, Job job, EWait wait = EWait::Queue);

private:
    void AddThreads(int total); // with m_mutex held
    void Loop(const std::stop_token& own);

    mutable std::mutex m_mutex;
    int m_busy = 0; // workers inside a job, with m_mutex held
    std::condition_variable_any m_wake;
    std::deque<std::shared_ptr<State>> m_queue; // one entry per worker a batch still needs
    std::vector<std::jthread> m_threads;        // last, so the workers go first
};
