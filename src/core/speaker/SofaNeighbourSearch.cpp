#include "speaker/SofaNeighbourSearch.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {
const double kDegree = 4.0 * std::atan(1.0) / 180.0;
constexpr std::size_t kLeaf = 8;

double Dot(const CVec3& a, const CVec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
double Coordinate(const CVec3& v, int axis) {
    return axis == 0 ? v.x : axis == 1 ? v.y : v.z;
}
} // namespace

CVec3 BalloonUnit(double theta, double phi) {
    const double t = theta * kDegree, p = phi * kDegree;
    return {std::cos(t), std::sin(t) * std::cos(p), std::sin(t) * std::sin(p)};
}

double AngleBetween(const CVec3& a, const CVec3& b) {
    const CVec3 cross{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    return std::atan2(cross.Length(), Dot(a, b)) / kDegree;
}

CSofaNeighbourSearch::CSofaNeighbourSearch(const std::vector<CSofaReceiver>& receivers)
    : m_r(receivers) {
    std::vector<std::size_t> order(receivers.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    auto key = [&](std::size_t i) { return std::make_tuple(m_r[i].theta, m_r[i].phi, i); };
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return key(a) < key(b); });
    for (std::size_t i : order)
        if (m_points.empty() || m_r[m_points.back()].theta != m_r[i].theta ||
            m_r[m_points.back()].phi != m_r[i].phi)
            m_points.push_back(i);
    m_nodes.reserve(2 * m_points.size() / kLeaf + 2);
    if (!m_points.empty())
        Build(0, m_points.size());
}

bool CSofaNeighbourSearch::Within(const CVec3& unit, double degrees) const {
    const double chord = 2.0 * std::sin(std::min(degrees, 180.0) * kDegree / 2.0);
    return !m_nodes.empty() && AnyWithin(0, unit, chord * chord);
}

std::vector<std::pair<double, std::size_t>> CSofaNeighbourSearch::Nearest(const CVec3& unit,
                                                                          int k) const {
    std::vector<std::pair<double, std::size_t>> best; // (squared chord, receiver)
    if (!m_nodes.empty() && k > 0)
        Search(0, unit, static_cast<std::size_t>(k), best);
    for (auto& [distance, i] : best)
        distance = AngleBetween(unit, m_r[i].unit);
    std::sort(best.begin(), best.end());
    return best;
}

std::size_t CSofaNeighbourSearch::Build(std::size_t begin, std::size_t end) {
    const std::size_t index = m_nodes.size();
    m_nodes.push_back({begin, end});
    if (end - begin <= kLeaf)
        return index;
    double low[3] = {2, 2, 2}, high[3] = {-2, -2, -2};
    for (std::size_t i = begin; i < end; ++i)
        for (int a = 0; a < 3; ++a) {
            const double c = Coordinate(m_r[m_points[i]].unit, a);
            low[a] = std::min(low[a], c);
            high[a] = std::max(high[a], c);
        }
    int axis = 0;
    for (int a = 1; a < 3; ++a)
        if (high[a] - low[a] > high[axis] - low[axis])
            axis = a;
    const std::size_t middle = begin + (end - begin) / 2;
    std::nth_element(m_points.begin() + static_cast<std::ptrdiff_t>(begin),
                     m_points.begin() + static_cast<std::ptrdiff_t>(middle),
                     m_points.begin() + static_cast<std::ptrdiff_t>(end),
                     [&](std::size_t a, std::size_t b) {
                         return Coordinate(m_r[a].unit, axis) < Coordinate(m_r[b].unit, axis);
                     });
    const double split = Coordinate(m_r[m_points[middle]].unit, axis);
    const std::size_t left = Build(begin, middle);
    const std::size_t right = Build(middle, end);
    CNode& node = m_nodes[index];
    node.axis = axis;
    node.split = split;
    node.left = left;
    node.right = right;
    return index;
}

void CSofaNeighbourSearch::Search(std::size_t index, const CVec3& unit, std::size_t k,
                                  std::vector<std::pair<double, std::size_t>>& best) const {
    const CNode& node = m_nodes[index];
    if (node.axis < 0) {
        for (std::size_t i = node.begin; i < node.end; ++i) {
            const std::size_t r = m_points[i];
            const CVec3 between = m_r[r].unit - unit;
            const double d = Dot(between, between);
            if (best.size() == k && !(d < best.back().first))
                continue;
            best.insert(std::upper_bound(best.begin(), best.end(), std::make_pair(d, r)), {d, r});
            if (best.size() > k)
                best.pop_back();
        }
        return;
    }
    // Left holds coordinates up to the split, right from it on: the far side lies at least the
    // gap away.
    const double gap = Coordinate(unit, node.axis) - node.split;
    const std::size_t nearSide = gap < 0.0 ? node.left : node.right;
    const std::size_t farSide = gap < 0.0 ? node.right : node.left;
    Search(nearSide, unit, k, best);
    if (best.size() < k || gap * gap < best.back().first)
        Search(farSide, unit, k, best);
}

bool CSofaNeighbourSearch::AnyWithin(std::size_t index, const CVec3& unit, double bound) const {
    const CNode& node = m_nodes[index];
    if (node.axis < 0) {
        for (std::size_t i = node.begin; i < node.end; ++i) {
            const CVec3 between = m_r[m_points[i]].unit - unit;
            if (Dot(between, between) <= bound)
                return true;
        }
        return false;
    }
    const double gap = Coordinate(unit, node.axis) - node.split;
    const std::size_t nearSide = gap < 0.0 ? node.left : node.right;
    const std::size_t farSide = gap < 0.0 ? node.right : node.left;
    return AnyWithin(nearSide, unit, bound) ||
           (gap * gap <= bound && AnyWithin(farSide, unit, bound));
}
