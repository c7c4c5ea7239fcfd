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
// their legend, the statistics lines and the cursor's read-out. The sound levels keep the
// plane's own classes (its maximum and pitch, moved by the automatic scale); D/R takes 2 dB
// classes around 0; STI takes the bands of 0.04 from 0.36 to 0.76 with one below and one above
// (A+ to U), and CIS the same bands on its scale; the arrival times take fixed classes a planner
// reads at a glance, with bounds at 5, 10, 20, 30, 50 and 80 ms.
std::string QuantityLabel(EMapQuantity quantity);

struct CColorScale {
    int count = kColorClasses; // classes, at most kColorClasses
    std::array<std::uint32_t, kColorClasses> colors{};
    // Class i holds thresholds[i - 1] >= value > thresholds[i]; class 0 everything above
    // thresholds[0], the last class everything at or below thresholds[count - 2]. With
    // lowerInclusive (the STI bands, A+ from 0.76 on) a threshold belongs to the class above it.
    std::array<double, kColorClasses> thresholds{};
    bool lowerInclusive = false;
    std::array<std::string, kColorClasses> labels{};
    std::string unit; // "[dB]", "[STI]", "[ms]", ...
};
CColorScale ColorScaleOf(const CColorMapCondition& condition);
// The colour of a value; black for a value that is not a number.
std::uint32_t ScaleColor(const CColorScale& scale, double value);

// The statistics lines 6 to 9 of a map that is not the direct sound's level; the STI target
// counts the share for sti and cis.
std::vector<CAnnotationLine> QuantityStatisticLines(const CColorMapCondition& condition,
                                                    double stiTarget);
// "Total SPL @Cursor Point : 85.2[dB]", "STI @Cursor Point : 0.612",
// "First Arrival @Cursor Point : 12.5[ms]"; the direct sound's read-out as before.
std::string CursorValueText(EMapQuantity quantity, double value);
struct CPointSpeech;
// The octave table of the speech transmission at a point: a header, one line per octave with
// Ld, Lr, Ls, Ln, T and MTI, and the STI and CIS.
std::vector<std::string> SpeechTableLines(const CPointSpeech& speech);
// A value as the legend and the read-out print it: indices with 3 decimals, everything else
// with 4 significant digits.
std::string QuantityValueText(EMapQuantity quantity, double value);
