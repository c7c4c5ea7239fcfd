#include "project/MapService.h"

#include "acoustics/ColorMapCondition.h"
#include "acoustics/WorkerPool.h"
#include "common/ProgressDialog1.h"
#include "project/DAXDoc.h"
#include "project/MapJobs.h"

#include <memory>

CWorkerPool& CalculationWorkers() {
    static CWorkerPool workers;
    return workers;
}

CMapResult CalculateConditionMap(CDAXDoc& doc, int conditionIndex, const CMapOptions& options) {
    CMapResult result;
    result.status = ECalcStatus::NoInstallations;
    if (!doc.MapCondition(conditionIndex))
        return result;
    if (!doc.HasInstallations()) {
        // Nothing to calculate: whatever the plane held belongs to speakers that went.
        CMapJobResult none;
        none.status = ECalcStatus::NoInstallations;
        doc.StoreMapResult(conditionIndex, doc.MapGeneration(), none);
        return result;
    }
    CMapJobs& jobs = doc.MapJobs();
    jobs.Start(conditionIndex, options);
    if (CCalculationHost* host = doc.Ports().calculations) {
        host->CalculationStarted();
        result.status = ECalcStatus::Running;
        return result;
    }
    std::unique_ptr<CProgressDialog1> progress;
    if (doc.Ports().progress)
        progress = doc.Ports().progress->CreateProgress();
    return jobs.Wait(conditionIndex, progress.get());
}
