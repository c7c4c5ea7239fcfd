#pragma once

#include "acoustics/ListeningPlane.h"

#include <cstddef>
#include <vector>

// A coarser grid over a calculation plane, for a picture that must follow the mouse on planes
// far larger than the screen has pixels: the plane's grid taken in square blocks of stride x
// stride cells, each block standing for its middle point.
struct CCoarseGrid {
    int stride = 1;
    std::vector<std::size_t> points;   // per block: the plane point it is calculated at
    std::vector<CPlaceElement> blocks; // per block: the area it covers (centre and sizes)
    bool Empty() const { return points.empty(); }
};

// The blocks of the plane when it has more than `maxPoints` points, the smallest stride that
// brings them to at most `maxPoints`; empty when the plane is small enough to take whole, or
// its points are not one grid in rows (as a plane built by Build is).
CCoarseGrid CoarseGrid(const CListeningPlane& plane, std::size_t maxPoints);
