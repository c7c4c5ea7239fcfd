#include "acoustics/WorkerPool.h"

#include <algorithm>

int CWorkerPool::CoreCount() {
    return std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, kMaxThreads);
}

CWorkerPool::CWorkerPool(int threads) {
    std::lock_guard lock(m_mutex);
    AddThreads(threads > 0 ? std::min(threads, kMaxThreads) : CoreCount());
}

CWorkerPool::~CWorkerPool() {
    for (std::jthread& t : m_threads)
        t.request_stop();
    // The jthreads join as the vector goes.
}

int CWorkerPool::Threads() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_threads.size());
}

void CWorkerPool::AddThreads(int total) {
    while (static_cast<int>(m_threads.size()) < total)
        m_threads.emplace_back([this](std::stop_token own) { Loop(own); });
}

void CWorkerPool::Loop(const std::stop_token& own) {
    for (;;) {
        std::shared_ptr<State> state;
        {
            std::unique_lock lock(m_mutex);
            if (!m_wake.wait(lock, own, [&] { return !m_queue.empty(); }))
                return; // stopped with nothing queued
            state = std::move(m_queue.front());
            m_queue.pop_front();
            ++m_busy;
        }
        try {
            state->job(state->stop.get_token());
        } catch (...) {
            std::lock_guard lock(state->mutex);
            if (!state->error)
                state->error = std::current_exception();
            state->stop.request_stop(); // the others need not finish a failed job
        }
        {
            std::lock_guard lock(m_mutex);
            --m_busy;
        }
        std::lock_guard lock(state->mutex);
        if (--state->running == 0)
            state->finished.notify_all();
    }
}

CWorkerPool::CBatch CWorkerPool::Start(int workers, Job job, EWait wait) {
    workers = std::clamp(workers, 1, kMaxThreads);
    auto state = std::make_shared<State>();
    state->job = std::move(job);
    state->running = workers;
    {
        std::lock_guard lock(m_mutex);
        const int ceiling = std::min(kMaxThreads, 4 * CoreCount());
        const int wanted = m_busy + static_cast<int>(m_queue.size()) + workers;
        AddThreads(wait == EWait::Never ? std::max(workers, std::min(wanted, ceiling)) : workers);
        for (int i = 0; i < workers; ++i)
            m_queue.push_back(state);
    }
    m_wake.notify_all();
    return CBatch(*this, std::move(state));
}

CWorkerPool::CBatch::~CBatch() {
    if (!m_state)
        return; // moved from
    RequestStop();
    std::unique_lock lock(m_state->mutex);
    m_state->finished.wait(lock, [&] { return m_state->running == 0; });
}

bool CWorkerPool::CBatch::WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_state->mutex);
    return m_state->finished.wait_for(lock, timeout, [&] { return m_state->running == 0; });
}

void CWorkerPool::CBatch::Wait() {
    std::unique_lock lock(m_state->mutex);
    m_state->finished.wait(lock, [&] { return m_state->running == 0; });
    if (m_state->error)
        std::rethrow_exception(m_state->error);
}

void CWorkerPool::CBatch::RequestStop() {
    m_state->stop.request_stop();
    // A place is either still queued (ours to take back) or taken by a worker that counts itself
    // out; the pool's lock decides which.
    std::size_t taken = 0;
    {
        std::lock_guard lock(m_pool->m_mutex);
        taken = std::erase(m_pool->m_queue, m_state);
    }
    if (taken == 0)
        return;
    std::lock_guard lock(m_state->mutex);
    m_state->running -= static_cast<int>(taken);
    if (m_state->running == 0)
        m_state->finished.notify_all();
}
