#pragma once

#include "acoustics/WorkerPool.h"

#include <optional>
#include <thread>

// A pool whose every worker is held by another job until Release(), so whatever is started on
// it next waits in its queue: a test can look at work that has been asked for but not begun.
struct CBusyWorkers {
    CWorkerPool pool{CWorkerPool::CoreCount()};
    std::optional<CWorkerPool::CBatch> holder;

    CBusyWorkers() {
        holder.emplace(pool.Start(CWorkerPool::CoreCount(), [](const std::stop_token& stop) {
            while (!stop.stop_requested())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }));
    }
    void Release() { holder.reset(); }
};
