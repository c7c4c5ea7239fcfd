#pragma once

#include "acoustics/MapCalculation.h"

#include <memory>
#include <vector>

class CDAXDoc;
class CMapJob;
class CProgressDialog1;
class CSoundPowerCache;
class CSpectrumJob;
struct CVec3;

// The map calculations of one project that run as jobs, at most one per calculation plane. A job
// works on a snapshot of the project (see CMapSnapshot), so the user may go on editing while it
// runs; its result comes back through CDAXDoc::StoreMapResult, which drops it when the project
// changed since the snapshot was taken. Everything here runs on the thread that owns the project;
// only the workers compute elsewhere.
class CMapJobs {
public:
    explicit CMapJobs(CDAXDoc& doc);
    // Stops every job and waits for its workers; nothing is stored.
    ~CMapJobs();
    CMapJobs(const CMapJobs&) = delete;
    CMapJobs& operator=(const CMapJobs&) = delete;

    // Starts the map of plane `condition` on a snapshot of the project as it is now; a job the
    // plane had is stopped and its result dropped (without waiting for its workers). The plane
    // is marked calculating until the result is stored or dropped.
    void Start(int condition, const CMapOptions& options);
    // Waits for the plane's job, keeping the progress port informed (its Stop stops the job), and
    // stores its result. A plane without a job gives NoInstallations.
    CMapResult Wait(int condition, CProgressDialog1* progress);
    // The band spectrum at `point` with plane `condition`'s band and mode (the spectrum under
    // the mouse) as a job; a spectrum asked before is no longer wanted. Poll stores it through
    // CDAXDoc::StoreSpectrum.
    // `cache` keeps the models' power from one spectrum to the next.
    void StartSpectrum(int condition, const CVec3& point,
                       std::shared_ptr<CSoundPowerCache> cache = nullptr);
    // Stores the results of the jobs that have ended and lets the stopped ones go; true while a
    // map or a spectrum still runs. Does nothing when called again from inside a store (a
    // message it shows).
    bool Poll();

    bool Running() const;
    bool Running(int condition) const;
    // Points computed and to compute over the running jobs.
    struct CProgress {
        long long done = 0;
        long long total = 0;
    };
    CProgress Progress() const;
    // Every running job ends before its next chunk of points; Poll stores each as incomplete.
    void Stop();
    // Stops every job and waits for its workers: nothing is stored, and the planes show their
    // previous state. For what must not run while a model changes in place, and for closing.
    void Cancel();
    // Plane entry `index` went: its job is dropped, later planes move down by one.
    void ConditionRemoved(int index);
    // The project was saved: the file holds the planes of the running jobs as not calculated, so
    // a result stored later makes the project modified again.
    void Saved();

private:
    struct CEntry {
        int condition = -1;
        std::unique_ptr<CMapJob> job;
        bool savedMeanwhile = false;
    };
    void Store(int condition, const CMapJob& job, const CMapJobResult& result, bool savedMeanwhile);
    void Retire(std::unique_ptr<CMapJob> job);

    CDAXDoc& m_doc;
    std::vector<CEntry> m_jobs;
    // Stopped jobs whose results are not wanted; they go once their workers have left.
    std::vector<std::unique_ptr<CMapJob>> m_retired;
    std::unique_ptr<CSpectrumJob> m_spectrum;
    std::vector<std::unique_ptr<CSpectrumJob>> m_retiredSpectra;
    int m_waiting = 0;
    bool m_polling = false;
};
