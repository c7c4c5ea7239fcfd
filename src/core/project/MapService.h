#pragma once

#include "acoustics/MapCalculation.h"

class CDAXDoc;
class CWorkerPool;

// The calculation workers of the program, one per core, started on first use and reused by every
// map (and by live previews that are given them) until the program ends.
CWorkerPool& CalculationWorkers();

// The map of one calculation plane of a project, as a view or the command-line tool asks for it.
// The project is marked calculating meanwhile (see CDAXDoc::IsCalculating), so the workers read
// data that stays put while the progress port lets the user interface run; a request made during
// another calculation is answered Busy. A failure is reported through the project's messages.
// Without a pool in the options the map runs on CalculationWorkers().
CMapResult CalculateConditionMap(CDAXDoc& doc, int conditionIndex, const CMapOptions& options = {});
