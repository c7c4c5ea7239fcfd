#pragma once

#include "acoustics/MapCalculation.h"

class CDAXDoc;
class CWorkerPool;

// The calculation workers of the program, one per core, started on first use and reused by every
// map (and by live previews that are given them) until the program ends.
CWorkerPool& CalculationWorkers();

// The map of one calculation plane of a project, as a view or the command-line tool asks for it:
// a job on a snapshot of the project (see CMapJobs), replacing the job the plane had. With a
// calculation host in the project's ports it runs in the background and the answer is Running;
// without one it is waited for, the progress port informed, and the answer is how it ended. Its
// result enters the project through CDAXDoc::StoreMapResult, a failure reported through the
// project's messages. A project without installations gets its plane marked not calculated.
// Without a pool in the options the map runs on CalculationWorkers().
CMapResult CalculateConditionMap(CDAXDoc& doc, int conditionIndex, const CMapOptions& options = {});
