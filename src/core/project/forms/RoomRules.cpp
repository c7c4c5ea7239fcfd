#include "project/forms/RoomRules.h"

#include "acoustics/InstallationContainer.h"
#include "common/FormatSignificant.h"
#include "project/forms/NumberField.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {
// The largest coordinate any dialog takes.
constexpr double kCoordinateLimit = 10000;

std::string WithUnit(double value, const std::string& unit) {
    return FormatSignificant(value, 4) + (unit.empty() ? "" : " " + unit);
}
} // namespace

std::string RoomHeightRefusal(const std::string& name, double height, const std::string& unit) {
    return OutsideRange(name, height, 0.001, kCoordinateLimit, unit, "a ceiling above the floor");
}

CRoomBox RoomBoxOf(const CInstallationContainer& room) {
    return {room.roomZeroX, room.roomZeroY, room.roomLength, room.roomWidth, room.roomHeight};
}

std::string PlaneOutsideRoomRefusal(const CVec3& origin, const CVec3& extent, const CRoomBox& room,
                                    const std::function<std::string(int, bool)>& name,
                                    const std::string& unit) {
    const std::array<double, 3> lows = {room.zeroX, room.zeroY, 0.0};
    const std::array<double, 3> highs = {room.zeroX + room.length, room.zeroY + room.width,
                                         room.height};
    const std::array<double, 3> from = {origin.x, origin.y, origin.z};
    const std::array<double, 3> size = {extent.x, extent.y, extent.z};
    for (std::size_t i = 0; i < 3; ++i) {
        const int axis = static_cast<int>(i);
        // A plane that fills the room exactly may miss it by a rounding of the sums.
        const double slack = 1e-9 * std::max({1.0, std::fabs(lows[i]), std::fabs(highs[i])});
        const double roomSize = highs[i] - lows[i];
        if (size[i] > roomSize + slack || !(size[i] >= 0.0))
            return OutsideRange(name(axis, true), size[i], 0.0, std::max(0.0, roomSize), unit,
                                "the room's size");
        if (from[i] < lows[i] - slack || from[i] + size[i] > highs[i] + slack ||
            !std::isfinite(from[i]))
            return OutsideRange(name(axis, false), from[i], lows[i],
                                std::max(lows[i], highs[i] - size[i]), unit,
                                "the plane inside the room");
    }
    return {};
}

std::string InstallHeightRefusal(const std::string& name, double height, double planeZ,
                                 double ceiling, const std::string& unit) {
    if (height > planeZ && height <= ceiling)
        return {};
    return name + " must lie above the calculation plane (" + WithUnit(planeZ, unit) +
           ") and at most at the ceiling (" + WithUnit(ceiling, unit) + "); " +
           FormatValue(height, 6) + " was given";
}
