#pragma once

#include "acoustics/AcousticScene.h"
#include "common/Vec3.h"

#include <string>
#include <vector>

class CColorMapCondition;

// PointSpectrum on the map engine: every element pass's direction, corners and weights are found
// once for the point, then one loop runs over all frequencies of all bands; only the balloon
// cells the point needs are converted. The bands are summed from the per-installation values in
// BandPressure's order, so the levels stay within 1e-9 dB of PointSpectrum. Same contract as
// PointSpectrum: false, nothing filled and the same reason where it fails.
bool EnginePointSpectrum(const CAcousticScene& scene, const CColorMapCondition& condition,
                         const CVec3& point, std::vector<double>& centres,
                         std::vector<double>& levels, std::string* reason = nullptr);

// BandPressure at one point on the engine (the level under the mouse), converting only the
// balloon cells the point needs; same contract and within 1e-9 dB of it.
int EngineBandPressure(const CAcousticScene& scene, int mode, const CVec3& point,
                       const CBandIndexRange& band, double& pressure);
