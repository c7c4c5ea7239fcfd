#include "acoustics/SpectrumJob.h"

#include "acoustics/ColorMapCondition.h"
#include "acoustics/RoomField.h"
#include "acoustics/SpectrumEngine.h"

CSpectrumAtPoint SpectrumAtPoint(const CAcousticScene& scene, const CColorMapCondition& condition,
                                 const CVec3& point, CSoundPowerCache* cache) {
    CSpectrumAtPoint r;
    if (!scene.HasInstallations())
        return r;
    if (!EnginePointSpectrum(scene, condition, point, r.centres, r.levels, &r.reason)) {
        r.ok = false;
        return r;
    }
    // A room that cannot give the reverberant field leaves the direct sound alone.
    if (scene.acoustics && scene.acoustics->HasAbsorption() &&
        !RoomSpectrum(scene, condition, r.centres, r.reverberant))
        r.reverberant.clear();
    if (IsSpeechQuantity(condition.quantity)) {
        CPointSpeech speech;
        if (SpeechAt(scene, condition.mode, point, speech, nullptr, cache))
            r.speech = speech;
    }
    return r;
}

struct CSpectrumJob::State {
    std::shared_ptr<const CMapSnapshot> snapshot;
    CVec3 point;
    std::shared_ptr<CSoundPowerCache> cache;
    CResult result;
};

CSpectrumJob::CSpectrumJob(std::shared_ptr<const CMapSnapshot> snapshot, const CVec3& point,
                           CWorkerPool& pool, std::shared_ptr<CSoundPowerCache> cache)
    : m_state(std::make_shared<State>()) {
    m_state->snapshot = std::move(snapshot);
    m_state->point = point;
    m_state->cache = std::move(cache);
    m_batch.emplace(pool.Start(1, [state = m_state](const std::stop_token& stop) {
        if (stop.stop_requested())
            return;
        const CMapSnapshot& s = *state->snapshot;
        CColorMapCondition condition;
        condition.band = s.band;
        condition.centreFrequency = s.centreFrequency;
        condition.mode = s.mode;
        condition.quantity = s.quantity;
        state->result = SpectrumAtPoint(s.Scene(), condition, state->point, state->cache.get());
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
