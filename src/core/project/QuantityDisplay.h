#pragma once

#include "acoustics/ListeningPlane.h"
#include "acoustics/MapQuantity.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class CColorMapCondition;
struct CAnnotationLine;

// How a map shows the quantity it holds: its name in the view's list, the colour classes and
// their legend, the statistics lines and the cursor's read-out. The direct sound's level keeps
// the plane's own classes (its maximum and pitch); the arrival times take fixed classes a
// planner reads at a glance, with bounds at 5, 10, 20, 30, 50 and 80 ms.
std::string QuantityLabel(EMapQuantity quantity);

struct CColorScale {
    int count = kColorClasses; // classes, at most kColorClasses
    std::array<std::uint32_t, kColorClasses> colors{};
    // Class i holds thresholds[i - 1] >= value > thresholds[i]; class 0 everything above
    // thresholds[0], the last class everything at or below thresholds[count - 2].
    std::array<double, kColorClasses> thresholds{};
    std::array<std::string, kColorClasses> labels{};
    std::string unit; // "[dB]", "[ms]"
};
CColorScale ColorScaleOf(const CColorMapCondition& condition);
// The colour of a value; black for a value that is not a number.
std::uint32_t ScaleColor(const CColorScale& scale, double value);

// The statistics lines 6 to 9 of a map that is not the direct sound's level.
std::vector<CAnnotationLine> QuantityStatisticLines(const CColorMapCondition& condition);
// "First Arrival @Cursor Point : 12.5[ms]"; the direct sound's read-out as before.
std::string CursorValueText(EMapQuantity quantity, double value);
// A value as the legend and the read-out print it: 4 significant digits.
std::string QuantityValueText(EMapQuantity quantity, double value);
