#pragma once

#include <string>
#include <vector>

struct CSoundGraphCondition;
class CSoundGraphDataList;

// Where the frequency response graph puts things: the scales that fit it to a drawing area, the
// pixel of a frequency and of a level, and the grid lines with their labels. Pixels are the
// drawing's own units (logical pixels on screen, page units when printing).

inline constexpr int kPrintPageWidth = 3360;
inline constexpr int kPrintPageHeight = 4752;

struct CGraphSize {
    int width = 0;
    int height = 0;
};

// One grid line: the frequency or level it stands at, and its label (empty for a light line).
struct CGraphTick {
    double value = 0.0;
    std::string label;
    bool Labelled() const { return !label.empty(); }
};

// Width of the frequency axis in decades (logarithmic) or hertz (linear); likewise the levels.
double FrequencySpan(const CSoundGraphDataList& data);
double LevelSpan(const CSoundGraphDataList& data);

// With fit, sets xScale and yScale so the graph fills a drawing area of the given size inside
// the entry's margins. Returns the scrolled size of the graph in either case; a fitted graph's
// size is the area itself, so it never needs scroll bars.
CGraphSize FitGraph(CSoundGraphCondition& entry, bool fit, int width, int height);
CGraphSize GraphSize(const CSoundGraphCondition& entry);

int FrequencyToX(const CSoundGraphCondition& entry, double frequency);
// Rows count down from the bottom of the graph's scrolled size.
int LevelToY(const CSoundGraphCondition& entry, double level);

// Vertical lines: on a logarithmic axis 2, 3, .. 9, 10, 20, .. 90, 100, 200 .. up to the
// maximum; powers of ten and the two ends carry labels ("1k" from 1000 Hz on).
std::vector<CGraphTick> FrequencyTicks(const CSoundGraphDataList& data);
// Horizontal lines, every level step from the minimum, all labelled; a logarithmic level axis
// walks decades like the frequency axis.
std::vector<CGraphTick> LevelTicks(const CSoundGraphDataList& data);

// A label's horizontal extent in pixels: left edge and width.
struct CLabelSpan {
    int left = 0;
    int width = 0;
};
// Which of the labels along an axis (in axis order) to draw so that no two come closer than
// `gap` pixels: the two ends always (they say the range), the ones between while they keep
// clear of the labels already kept. Both ends too close together keep the first alone.
std::vector<bool> LabelsThatFit(const std::vector<CLabelSpan>& labels, int gap);
