#include "project/SoundGraphLayout.h"

#include "acoustics/SoundGraphData.h"
#include "common/FormatSignificant.h"

#include <cmath>

namespace {
double Span(int axisType, double minimum, double maximum) {
    return axisType == 0 ? maximum - minimum : std::log10(maximum) - std::log10(minimum);
}

double Offset(int axisType, double value, double minimum) {
    return axisType == 0 ? value - minimum : std::log10(value) - std::log10(minimum);
}

// Labels show at most three significant digits.
std::string Label(double value) {
    return FormatSignificant(value, 3);
}

// Whole pixels, truncated toward zero; values from a damaged file stay within int range.
int Trunc(double value) {
    if (!(std::fabs(value) < 1e9))
        return value < 0 ? -1000000000 : 1000000000;
    return static_cast<int>(std::trunc(value));
}

bool IsPowerOfTen(double value) {
    double power = 1.0;
    while (power < value)
        power *= 10.0;
    return power == value;
}

// The decade walk 2, 3, .. 9, 10, 20, .. between minimum and maximum; `thousands` writes 1000
// and up as "1k".
std::vector<CGraphTick> DecadeTicks(double minimum, double maximum, bool thousands) {
    std::vector<CGraphTick> ticks;
    if (!(maximum > 0.0) || !std::isfinite(maximum))
        return ticks;
    double step = 1.0;
    for (double f = 2.0; f <= maximum; f += step) {
        if (f >= minimum) {
            CGraphTick tick{f, {}};
            if (IsPowerOfTen(f) || f == minimum || f == maximum)
                tick.label = thousands && f >= 1000.0 ? Label(f / 1000.0) + "k" : Label(f);
            ticks.push_back(tick);
        }
        if (f >= 10.0 * step)
            step *= 10.0;
    }
    return ticks;
}

std::vector<CGraphTick> LinearTicks(double minimum, double maximum, double step) {
    std::vector<CGraphTick> ticks;
    if (!(step > 0.0) || !std::isfinite(maximum - minimum))
        return ticks;
    const double count = (maximum - minimum) / step + 1.0;
    for (int k = 0; k < count && k < 100000; ++k) {
        const double v = minimum + k * step;
        ticks.push_back({v, Label(v)});
    }
    return ticks;
}
} // namespace

double FrequencySpan(const CSoundGraphDataList& data) {
    return Span(data.frequencyAxisType, data.frequencyMin, data.frequencyMax);
}

double LevelSpan(const CSoundGraphDataList& data) {
    return Span(data.levelAxisType, data.levelMin, data.levelMax);
}

CGraphSize GraphSize(const CSoundGraphCondition& entry) {
    const double width = FrequencySpan(entry.data) * entry.xScale + entry.left + entry.right;
    const double height = LevelSpan(entry.data) * entry.yScale + entry.bottom + entry.top;
    return {Trunc(width - 0.5) + 1, Trunc(height - 0.5) + 1};
}

CGraphSize FitGraph(CSoundGraphCondition& entry, bool fit, int width, int height) {
    if (fit) {
        const double spanX = FrequencySpan(entry.data);
        const double spanY = LevelSpan(entry.data);
        // An empty or reversed axis keeps the scales it had rather than dividing by nothing.
        if (spanX > 0.0 && std::isfinite(spanX))
            entry.xScale = (width - entry.right - entry.left) / spanX;
        if (spanY > 0.0 && std::isfinite(spanY))
            entry.yScale = (height - entry.bottom - entry.top) / spanY;
    }
    return GraphSize(entry);
}

int FrequencyToX(const CSoundGraphCondition& entry, double frequency) {
    const CSoundGraphDataList& d = entry.data;
    const double offset = entry.xScale * Offset(d.frequencyAxisType, frequency, d.frequencyMin);
    return Trunc(offset - 0.5) + entry.left + 1;
}

int LevelToY(const CSoundGraphCondition& entry, double level) {
    const CSoundGraphDataList& d = entry.data;
    const double offset = entry.yScale * Offset(d.levelAxisType, level, d.levelMin);
    return GraphSize(entry).height - Trunc(offset + 0.5) - entry.bottom + 1;
}

std::vector<CGraphTick> FrequencyTicks(const CSoundGraphDataList& data) {
    if (data.frequencyAxisType == 0)
        return LinearTicks(data.frequencyMin, data.frequencyMax, data.frequencyStep);
    return DecadeTicks(data.frequencyMin, data.frequencyMax, true);
}

std::vector<CGraphTick> LevelTicks(const CSoundGraphDataList& data) {
    if (data.levelAxisType == 0)
        return LinearTicks(data.levelMin, data.levelMax, data.levelStep);
    return DecadeTicks(data.levelMin, data.levelMax, false);
}

std::vector<bool> LabelsThatFit(const std::vector<CLabelSpan>& labels, int gap) {
    const std::size_t n = labels.size();
    std::vector<bool> keep(n, false);
    if (n == 0)
        return keep;
    const auto clear = [gap](const CLabelSpan& a, const CLabelSpan& b) {
        return a.left + a.width + gap <= b.left || b.left + b.width + gap <= a.left;
    };
    keep[0] = true;
    if (n == 1)
        return keep;
    const CLabelSpan& last = labels[n - 1];
    keep[n - 1] = clear(labels[0], last);
    std::size_t previous = 0;
    for (std::size_t i = 1; i + 1 < n; ++i) {
        if (clear(labels[previous], labels[i]) && (!keep[n - 1] || clear(labels[i], last))) {
            keep[i] = true;
            previous = i;
        }
    }
    return keep;
}
