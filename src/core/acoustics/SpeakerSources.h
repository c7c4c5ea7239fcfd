#pragma once

#include "acoustics/AcousticScene.h"
#include "common/Vec3.h"

#include <string>
#include <vector>

// Where the sound of every installation comes from: each element of its model at its place and,
// under a solid ceiling, its image above the ceiling, computed as the point response computes
// them. A receiver exactly at one of these has no level: the response there is the sentinel
// kZeroDistanceLevel, so a map leaves such a point out instead of reporting it.
class CSpeakerSources {
public:
    explicit CSpeakerSources(const CAcousticScene& scene);
    // The first installation (list order) with a source exactly at the point, or -1.
    int InstallationAt(const CVec3& point) const;
    bool Empty() const { return m_sources.empty(); }

private:
    struct CSource {
        double x, y, z;
        int installation;
    };
    std::vector<CSource> m_sources; // sorted by x, y, z, then installation
};

// "point (x, y, z) lies at installation n" for the texts that report a point left out.
std::string PointAtSpeakerText(const CVec3& point, int installation);
