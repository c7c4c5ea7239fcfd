#pragma once

// How evenly a calculated plane is covered, from its stored levels. These figures are computed
// on request and never stored; the plane keeps its own maximum, minimum and averages.

#include <vector>

class CListeningPlane;

struct CLevelStatistics {
    long long count = 0;            // levels counted
    double mean = 0.0;              // arithmetic mean of the levels in dB
    double standardDeviation = 0.0; // of the levels around their mean (over all points, n)
    double spread = 0.0;            // maximum - minimum
    double p10 = 0.0, p50 = 0.0, p90 = 0.0;
    double reference = 0.0;   // the level the share below is counted around
    double within = 0.0;      // half-width of that window in dB
    double withinShare = 0.0; // share of the levels with |level - reference| <= within, 0 to 1
};

// The p-th fraction (0 to 1) of sorted levels, interpolated linearly between the two nearest
// ranks at (n - 1) p, so the 50th of an even count is the mean of the middle two. 0 when empty.
double Percentile(const std::vector<double>& sorted, double p);

// Statistics of any set of levels; all figures are 0 for an empty set.
CLevelStatistics LevelStatistics(std::vector<double> levels, double reference, double within);

// Statistics of the plane's calculated points (the first pointCount, but those without a level),
// the share counted around the plane's pink-noise average, which is the average the map shows
// first.
CLevelStatistics PlaneStatistics(const CListeningPlane& plane, double within);
