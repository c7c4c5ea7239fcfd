#include "project/MapService.h"

#include "acoustics/ColorMapCondition.h"
#include "acoustics/WorkerPool.h"
#include "common/ProgressDialog1.h"
#include "project/DAXDoc.h"

#include <memory>

CWorkerPool& CalculationWorkers() {
    static CWorkerPool workers;
    return workers;
}

CMapResult CalculateConditionMap(CDAXDoc& doc, int conditionIndex, const CMapOptions& options) {
    CMapResult result;
    if (doc.IsCalculating()) {
        result.status = ECalcStatus::Busy;
        return result;
    }
    CColorMapCondition* condition = doc.MapCondition(conditionIndex);
    if (!condition) {
        result.status = ECalcStatus::NoInstallations;
        return result;
    }
    const CDAXDoc::CCalculatingScope calculating(doc);
    std::unique_ptr<CProgressDialog1> progress;
    if (doc.Ports().progress)
        progress = doc.Ports().progress->CreateProgress();
    CMapOptions withWorkers = options;
    if (!withWorkers.pool)
        withWorkers.pool = &CalculationWorkers();
    result = CalculateMap(doc.Scene(), *condition, progress.get(), withWorkers);
    if (result.status == ECalcStatus::Failed)
        doc.Messages().ReportError("The map could not be calculated: " + result.reason + ".");
    return result;
}
