#pragma once

// The receivers of an open directivity file as directions of the speaker's balloon, and the
// search for the receivers nearest a direction.
#include "common/Vec3.h"

#include <cstddef>
#include <utility>
#include <vector>

// One receiver as the model sees it: a direction in the speaker's own axes.
struct CSofaReceiver {
    double theta = 0.0, phi = 0.0; // degrees
    CVec3 unit;                    // unit vector of (theta, phi) in the balloon's axes
    double radius = 0.0;
    std::size_t index = 0; // row in the file
};

// The unit vector (cos theta, sin theta cos phi, sin theta sin phi) of balloon angles in degrees.
CVec3 BalloonUnit(double theta, double phi);
// The angle between two directions, in degrees.
double AngleBetween(const CVec3& a, const CVec3& b);

// A k-d tree over the distinct receiver directions, so a query costs about log R however the
// receivers lie (a ring of one polar angle, a pole repeated at every phi). Receivers at one
// direction count once, as the first of them. The receivers must outlive the search.
class CSofaNeighbourSearch {
public:
    explicit CSofaNeighbourSearch(const std::vector<CSofaReceiver>& receivers);

    // The distinct directions (their first receivers).
    const std::vector<std::size_t>& Directions() const { return m_points; }
    // Whether some receiver lies within `degrees` of the direction; stops at the first.
    bool Within(const CVec3& unit, double degrees) const;
    // Up to k (angle in degrees, receiver index) pairs of distinct directions, nearest first.
    std::vector<std::pair<double, std::size_t>> Nearest(const CVec3& unit, int k) const;

private:
    struct CNode {
        std::size_t begin = 0, end = 0; // the node's points in m_points
        int axis = -1;                  // -1 for a leaf
        double split = 0.0;
        std::size_t left = 0, right = 0;
    };

    std::size_t Build(std::size_t begin, std::size_t end);
    void Search(std::size_t index, const CVec3& unit, std::size_t k,
                std::vector<std::pair<double, std::size_t>>& best) const;
    bool AnyWithin(std::size_t index, const CVec3& unit, double bound) const;

    const std::vector<CSofaReceiver>& m_r;
    std::vector<std::size_t> m_points;
    std::vector<CNode> m_nodes;
};
