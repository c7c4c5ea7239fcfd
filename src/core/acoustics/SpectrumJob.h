#pragma once

#include "acoustics/MapSnapshot.h"
#include "acoustics/WorkerPool.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// The band spectrum at one point (the spectrum under the mouse) as a job on one worker: it reads
// its snapshot only, so the window's thread never waits for it, however many speakers and bands
// there are. Destroying the job waits for its worker; whoever no longer wants it keeps it until
// Finished (CMapJobs does).
class CSpectrumJob {
public:
    struct CResult {
        bool ok = false; // false: the spectrum failed at some band, `reason` says which
        std::string reason;
        std::vector<double> centres;
        std::vector<double> levels;
    };

    // The snapshot's band, mode and installations at `point`.
    CSpectrumJob(std::shared_ptr<const CMapSnapshot> snapshot, const CVec3& point,
                 CWorkerPool& pool);
    ~CSpectrumJob();
    CSpectrumJob(const CSpectrumJob&) = delete;
    CSpectrumJob& operator=(const CSpectrumJob&) = delete;

    const CMapSnapshot& Snapshot() const;
    bool Finished();
    // Once finished; rethrows what the worker threw.
    CResult TakeResult();

private:
    struct State;
    std::shared_ptr<State> m_state;
    std::optional<CWorkerPool::CBatch> m_batch; // last: waits for the worker first
};
