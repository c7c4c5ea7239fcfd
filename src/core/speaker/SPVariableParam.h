#pragma once

#include "common/Vec3.h"
#include "speaker/AxisElement.h"

#include <vector>

// The state of one element of a model: where it sits (metres, relative to the installation's
// reference point in the speaker's own axes), how it is aimed, and its module entry, whose
// weight is the element's share of the installation's power.
struct CSPVariableParam {
    CVec3 position;
    COrientation orientation;
    CAxisElement module;
};

using CSPVariableParamArray = std::vector<CSPVariableParam>;
