#include "acoustics/CoarseGrid.h"

#include <algorithm>
#include <cmath>

namespace {
// The coordinate a plane's rows run along (it is constant within a row) and the one its columns
// run along, as Build lays them out: XY rows at y, XZ rows at z, YZ rows at y (columns along z).
double RowCoordinate(const CPlaceElement& p, EPlaneOrientation o) {
    return o == EPlaneOrientation::XZ ? p.z : p.y;
}
} // namespace

CCoarseGrid CoarseGrid(const CListeningPlane& plane, std::size_t maxPoints) {
    CCoarseGrid grid;
    const std::vector<CPlaceElement>& points = plane.points;
    const EPlaneOrientation orientation = plane.Orientation();
    if (maxPoints == 0 || points.size() <= maxPoints || orientation == EPlaneOrientation::Invalid)
        return grid;
    std::size_t columns = 1;
    const double firstRow = RowCoordinate(points[0], orientation);
    while (columns < points.size() && RowCoordinate(points[columns], orientation) == firstRow)
        ++columns;
    const std::size_t rows = points.size() / columns;
    if (rows * columns != points.size())
        return grid;
    std::size_t stride = static_cast<std::size_t>(
        std::ceil(std::sqrt(static_cast<double>(points.size()) / static_cast<double>(maxPoints))));
    auto blocks = [&](std::size_t s) { return ((rows + s - 1) / s) * ((columns + s - 1) / s); };
    while (blocks(stride) > maxPoints)
        ++stride;
    grid.stride = static_cast<int>(stride);
    for (std::size_t r = 0; r < rows; r += stride) {
        const std::size_t lastRow = std::min(rows, r + stride) - 1;
        for (std::size_t c = 0; c < columns; c += stride) {
            const std::size_t lastColumn = std::min(columns, c + stride) - 1;
            const CPlaceElement& a = points[r * columns + c];
            const CPlaceElement& b = points[lastRow * columns + lastColumn];
            grid.points.push_back(((r + lastRow) / 2) * columns + (c + lastColumn) / 2);
            // The union of the cells from a to b.
            CPlaceElement block;
            const double x0 = a.x - a.sizeX / 2, x1 = b.x + b.sizeX / 2;
            const double y0 = a.y - a.sizeY / 2, y1 = b.y + b.sizeY / 2;
            const double z0 = a.z - a.sizeZ / 2, z1 = b.z + b.sizeZ / 2;
            block.x = (x0 + x1) / 2, block.y = (y0 + y1) / 2, block.z = (z0 + z1) / 2;
            block.sizeX = x1 - x0, block.sizeY = y1 - y0, block.sizeZ = z1 - z0;
            grid.blocks.push_back(block);
        }
    }
    return grid;
}
