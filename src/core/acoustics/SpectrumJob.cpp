#include "acoustics/SpectrumJob.h"

#include "acoustics/ColorMapCondition.h"
#include "acoustics/SpectrumEngine.h"

struct CSpectrumJob::State {
    std::shared_ptr<const CMapSnapshot> snapshot;
    CVec3 point;
    CResult result;
};

CSpectrumJob::CSpectrumJob(std::shared_ptr<const CMapSnapshot> snapshot, const CVec3& point,
                           CWorkerPool& pool)
    : m_state(std::make_shared<State>()) {
    m_state->snapshot = std::move(snapshot);
    m_state->point = point;
    m_batch.emplace(pool.Start(1, [state = m_state](const std::stop_token& stop) {
        if (stop.stop_requested())
            return;
        const CMapSnapshot& s = *state->snapshot;
        CColorMapCondition condition;
        condition.band = s.band;
        condition.centreFrequency = s.centreFrequency;
        condition.mode = s.mode;
        CResult& r = state->result;
        r.ok = EnginePointSpectrum(s.Scene(), condition, state->point, r.centres, r.levels,
                                   &r.reason);
    }, CWorkerPool::EWait::Never)); // never behind a long map
}

CSpectrumJob::~CSpectrumJob() = default;

const CMapSnapshot& CSpectrumJob::Snapshot() const {
    return *m_state->snapshot;
}

bool CSpectrumJob::Finished() {
    return !m_batch || m_batch->WaitFor(std::chrono::milliseconds(0));
}

CSpectrumJob::CResult CSpectrumJob::TakeResult() {
    if (m_batch) {
        std::optional<CWorkerPool::CBatch> batch = std::move(m_batch);
        m_batch.reset();
        batch->Wait();
    }
    return std::move(m_state->result);
}
