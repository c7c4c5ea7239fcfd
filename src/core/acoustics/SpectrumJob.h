#pragma once

#include "acoustics/MapSnapshot.h"
#include "acoustics/RoomQuantities.h"
#include "acoustics/WorkerPool.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class CColorMapCondition;
class CSoundPowerCache;

// What the response view shows for a point: the band spectrum of the direct sound and, with room
// acoustics that give it, the reverberant level at each centre; on a speech map, the speech
// transmission there. Not ok (with the reason, nothing filled) when the direct spectrum fails; a
// room or a speech figure that cannot be given is left out.
struct CSpectrumAtPoint {
    bool ok = true;
    std::string reason;
    std::vector<double> centres;
    std::vector<double> levels;
    std::vector<double> reverberant; // one per centre, or none
    std::optional<CPointSpeech> speech;
};
// `cache` (may be null) keeps the models' power between points.
CSpectrumAtPoint SpectrumAtPoint(const CAcousticScene& scene, const CColorMapCondition& condition,
                                 const CVec3& point, CSoundPowerCache* cache);

// The band spectrum at one point (the spectrum under the mouse) as a job on one worker: it reads
// its snapshot only, so the window's thread never waits for it, however many speakers and bands
// there are. Destroying the job waits for its worker; whoever no longer wants it keeps it until
// Finished (CMapJobs does).
class CSpectrumJob {
public:
    using CResult = CSpectrumAtPoint;

    // The snapshot's band, mode, quantity and installations at `point`; `cache` (may be null) is
    // shared with the spectra before and after.
    CSpectrumJob(std::shared_ptr<const CMapSnapshot> snapshot, const CVec3& point,
                 CWorkerPool& pool, std::shared_ptr<CSoundPowerCache> cache = nullptr);
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
