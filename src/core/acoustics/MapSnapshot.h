#pragma once

#include "acoustics/AcousticScene.h"
#include "acoustics/InstallationElement.h"
#include "acoustics/MapQuantity.h"
#include "acoustics/RoomAcoustics.h"
#include "acoustics/SpeechTransmission.h"
#include "common/Vec3.h"
#include "speaker/SpeakerModelContainer.h"

#include <cstdint>
#include <optional>
#include <vector>

class CColorMapCondition;

// What one calculation over a plane reads, taken from the project when it starts, so that the
// project may change while the calculation runs: the speaker models (shared, not copied: a model
// that is shared is never changed in place, see CSpeakerModelContainer::Shared), a copy of the
// installations, the room values the acoustics need (with the room acoustics and speech settings
// a quantity beyond the direct sound reads), the band, centre, mode and quantity, and the
// positions of the plane's points. It never changes once taken.
class CMapSnapshot {
public:
    // Without the plane's points (`withPoints` false) for a calculation at points of its own.
    CMapSnapshot(const CAcousticScene& scene, const CColorMapCondition& condition,
                 bool withPoints = true);
    CMapSnapshot(const CMapSnapshot&) = delete;
    CMapSnapshot& operator=(const CMapSnapshot&) = delete;

    // The scene as the snapshot holds it; valid while the snapshot lives.
    CAcousticScene Scene() const;
    std::size_t PointCount() const { return points.size(); }

    CSpeakerModelContainer models;
    CInstallationElementList installations;
    double ceilingHeight = 0.0;
    bool ceilingReflection = false;
    int lengthUnit = 0;
    double roomLength = 0.0;
    double roomWidth = 0.0;
    std::optional<CRoomAcoustics> acoustics;
    std::optional<CSpeechSettings> speech;
    EMapQuantity quantity = EMapQuantity::Direct;
    int mode = 0;
    double band = 0.0;
    double centreFrequency = 0.0;
    std::vector<CVec3> points; // the plane's first pointCount points, in list order
    // The project's map generation when the snapshot was taken: a result is stored only while
    // the project still has it (see CDAXDoc::MapGeneration).
    std::uint64_t generation = 0;
};
