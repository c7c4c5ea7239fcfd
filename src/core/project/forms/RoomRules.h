#pragma once

#include "common/Vec3.h"

#include <functional>
#include <string>

class CInstallationContainer;

// The rules new room input is held to beyond each field's own range, shared by the dialogs and
// the command line: a room without height, or a plane outside the room, would give believable
// levels for a place no listener can be. Projects that already hold such values still open; only
// new input is refused. Each rule answers empty when the input is fine, else the refusal naming
// the field or option given as `name` ("Height(Z) must lie between ...").

// The room's height lies above 0: a ceiling above the floor.
std::string RoomHeightRefusal(const std::string& name, double height, const std::string& unit);

// The room as a box: its zero position and its length (X), width (Y) and height (Z).
struct CRoomBox {
    double zeroX = 0.0, zeroY = 0.0;
    double length = 0.0, width = 0.0, height = 0.0;
};
CRoomBox RoomBoxOf(const CInstallationContainer& room);

// A calculation plane from `origin` with `extent` lies inside the room, walls, floor and ceiling
// included: along each axis its extent is at most the room's and its origin keeps it inside.
// `name(axis, extent)` names the value of axis 0 (X), 1 (Y) or 2 (Z), its extent or its origin.
std::string PlaneOutsideRoomRefusal(const CVec3& origin, const CVec3& extent, const CRoomBox& room,
                                    const std::function<std::string(int, bool)>& name,
                                    const std::string& unit);

// The automatic installation's height lies above the calculation plane and at most at the
// ceiling.
std::string InstallHeightRefusal(const std::string& name, double height, double planeZ,
                                 double ceiling, const std::string& unit);
