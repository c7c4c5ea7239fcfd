#include "acoustics/LevelStatistics.h"

#include "acoustics/ListeningPlane.h"

#include <algorithm>
#include <cmath>

double Percentile(const std::vector<double>& sorted, double p) {
    if (sorted.empty())
        return 0.0;
    const double rank = static_cast<double>(sorted.size() - 1) * std::clamp(p, 0.0, 1.0);
    const std::size_t below = static_cast<std::size_t>(std::floor(rank));
    const std::size_t above = std::min(below + 1, sorted.size() - 1);
    const double t = rank - static_cast<double>(below);
    return sorted[below] + (sorted[above] - sorted[below]) * t;
}

CLevelStatistics LevelStatistics(std::vector<double> levels, double reference, double within) {
    CLevelStatistics s;
    s.reference = reference;
    s.within = within;
    if (levels.empty())
        return s;
    std::sort(levels.begin(), levels.end());
    const double n = static_cast<double>(levels.size());
    s.count = static_cast<long long>(levels.size());
    double sum = 0.0;
    for (double level : levels)
        sum += level;
    s.mean = sum / n;
    double squares = 0.0;
    long long inside = 0;
    for (double level : levels) {
        squares += (level - s.mean) * (level - s.mean);
        inside += std::fabs(level - reference) <= within;
    }
    s.standardDeviation = std::sqrt(squares / n);
    s.spread = levels.back() - levels.front();
    s.p10 = Percentile(levels, 0.1);
    s.p50 = Percentile(levels, 0.5);
    s.p90 = Percentile(levels, 0.9);
    s.withinShare = static_cast<double>(inside) / n;
    return s;
}

CLevelStatistics PlaneStatistics(const CListeningPlane& plane, double within) {
    const std::size_t count =
        std::min(plane.points.size(), static_cast<std::size_t>(std::max(plane.pointCount, 0)));
    std::vector<double> levels;
    levels.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        if (!std::isnan(plane.points[i].level)) // left out at a speaker
            levels.push_back(plane.points[i].level);
    return LevelStatistics(std::move(levels), plane.pinkNoiseAverage, within);
}
