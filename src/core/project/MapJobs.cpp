#include "project/MapJobs.h"

#include "acoustics/ColorMapCondition.h"
#include "acoustics/MapJob.h"
#include "acoustics/SpectrumJob.h"
#include "project/DAXDoc.h"
#include "project/MapService.h"

#include <algorithm>
#include <exception>

CMapJobs::CMapJobs(CDAXDoc& doc) : m_doc(doc) {}

CMapJobs::~CMapJobs() {
    for (CEntry& entry : m_jobs)
        entry.job->Stop();
    for (auto& job : m_retired)
        job->Stop();
    // The jobs wait for their workers as they go.
}

void CMapJobs::StartSpectrum(int condition, const CVec3& point,
                             std::shared_ptr<CSoundPowerCache> cache) {
    const CColorMapCondition* target = m_doc.MapCondition(condition);
    if (!target)
        return;
    auto snapshot = std::make_shared<CMapSnapshot>(m_doc.Scene(), *target, false);
    snapshot->generation = m_doc.MapGeneration();
    if (m_spectrum)
        m_retiredSpectra.push_back(std::move(m_spectrum));
    m_spectrum = std::make_unique<CSpectrumJob>(std::move(snapshot), point, CalculationWorkers(),
                                                std::move(cache));
}

void CMapJobs::Retire(std::unique_ptr<CMapJob> job) {
    job->Stop();
    m_retired.push_back(std::move(job));
}

void CMapJobs::Start(int condition, const CMapOptions& options) {
    CColorMapCondition* target = m_doc.MapCondition(condition);
    if (!target)
        return;
    auto snapshot = std::make_shared<CMapSnapshot>(m_doc.Scene(), *target);
    snapshot->generation = m_doc.MapGeneration();
    // On the program's workers a project's map does not wait for another project's; workers
    // given in the options are used as they are.
    auto job = std::make_unique<CMapJob>(
        std::move(snapshot), SnapshotQuantity(options.engine),
        options.pool ? options.pool : &CalculationWorkers(), options.threads,
        options.pool ? CWorkerPool::EWait::Queue : CWorkerPool::EWait::Never);
    const auto same = [condition](const CEntry& e) { return e.condition == condition; };
    if (auto it = std::find_if(m_jobs.begin(), m_jobs.end(), same); it != m_jobs.end()) {
        Retire(std::move(it->job));
        it->job = std::move(job);
        it->savedMeanwhile = false;
    } else {
        m_jobs.push_back({condition, std::move(job)});
    }
    target->plane.calculating = true;
}

CMapResult CMapJobs::Wait(int condition, CProgressDialog1* progress) {
    const auto same = [condition](const CEntry& e) { return e.condition == condition; };
    const auto it = std::find_if(m_jobs.begin(), m_jobs.end(), same);
    if (it == m_jobs.end())
        return {ECalcStatus::NoInstallations, {}, 0, 0};
    // Held here while it is waited for: a job started meanwhile (an edit the progress port lets
    // through) takes the plane's place, and this one's result then comes too late to be stored.
    std::unique_ptr<CMapJob> job = std::move(it->job);
    const bool savedMeanwhile = it->savedMeanwhile;
    m_jobs.erase(it);
    ++m_waiting;
    CMapJobResult result;
    try {
        result = WaitForJob(*job, progress);
    } catch (...) {
        --m_waiting;
        job.reset(); // stopped, its workers gone
        if (CColorMapCondition* c = m_doc.MapCondition(condition); c && !Running(condition))
            c->plane.calculating = false;
        throw;
    }
    --m_waiting;
    Store(condition, *job, result, savedMeanwhile);
    return {result.status, result.reason, result.computed, result.leftOut};
}

void CMapJobs::Store(int condition, const CMapJob& job, const CMapJobResult& result,
                     bool savedMeanwhile) {
    if (m_doc.StoreMapResult(condition, job.Snapshot().generation, result) && savedMeanwhile &&
        !m_doc.IsModified())
        m_doc.SetModified();
}

void CMapJobs::Saved() {
    for (CEntry& entry : m_jobs)
        entry.savedMeanwhile = true;
}

bool CMapJobs::Poll() {
    if (m_polling)
        return Running();
    m_polling = true;
    std::erase_if(m_retired, [](const std::unique_ptr<CMapJob>& job) { return job->Finished(); });
    std::erase_if(m_retiredSpectra,
                  [](const std::unique_ptr<CSpectrumJob>& job) { return job->Finished(); });
    try {
        if (m_spectrum && m_spectrum->Finished()) {
            std::unique_ptr<CSpectrumJob> job = std::move(m_spectrum);
            CSpectrumJob::CResult result = job->TakeResult();
            if (result.ok)
                m_doc.StoreSpectrum(job->Snapshot().generation, result);
        }
        for (;;) {
            const auto ended = std::find_if(m_jobs.begin(), m_jobs.end(),
                                            [](CEntry& e) { return e.job->Finished(); });
            if (ended == m_jobs.end())
                break;
            // Out of the list before the project hears of it: a view may start the next one.
            const int condition = ended->condition;
            const bool savedMeanwhile = ended->savedMeanwhile;
            std::unique_ptr<CMapJob> job = std::move(ended->job);
            m_jobs.erase(ended);
            CMapJobResult result;
            try {
                result = job->TakeResult();
            } catch (const std::exception& e) {
                result = {};
                result.status = ECalcStatus::Failed;
                result.reason = e.what();
            }
            Store(condition, *job, result, savedMeanwhile);
        }
    } catch (...) {
        m_polling = false;
        throw;
    }
    m_polling = false;
    return Running() || m_spectrum != nullptr;
}

bool CMapJobs::Running() const {
    return !m_jobs.empty() || m_waiting > 0;
}

bool CMapJobs::Running(int condition) const {
    return std::any_of(m_jobs.begin(), m_jobs.end(),
                       [condition](const CEntry& e) { return e.condition == condition; });
}

CMapJobs::CProgress CMapJobs::Progress() const {
    CProgress progress;
    for (const CEntry& entry : m_jobs) {
        progress.done += entry.job->Done();
        progress.total += entry.job->Total();
    }
    return progress;
}

void CMapJobs::Stop() {
    for (CEntry& entry : m_jobs)
        entry.job->Stop();
}

void CMapJobs::Cancel() {
    std::vector<CEntry> jobs = std::move(m_jobs);
    m_jobs.clear();
    for (CEntry& entry : jobs)
        entry.job->Stop();
    for (auto& job : m_retired)
        job->Stop();
    m_retired.clear();
    m_spectrum.reset();
    m_retiredSpectra.clear();
    for (CEntry& entry : jobs) {
        entry.job.reset(); // waits for its workers
        if (CColorMapCondition* c = m_doc.MapCondition(entry.condition))
            c->plane.calculating = false;
    }
}

void CMapJobs::ConditionRemoved(int index) {
    for (auto it = m_jobs.begin(); it != m_jobs.end();) {
        if (it->condition == index) {
            Retire(std::move(it->job));
            it = m_jobs.erase(it);
            continue;
        }
        if (it->condition > index)
            --it->condition;
        ++it;
    }
}
