#include "acoustics/MapSnapshot.h"

#include "acoustics/ColorMapCondition.h"

#include <algorithm>

CMapSnapshot::CMapSnapshot(const CAcousticScene& scene, const CColorMapCondition& condition,
                           bool withPoints)
    : ceilingHeight(scene.ceilingHeight), ceilingReflection(scene.ceilingReflection),
      lengthUnit(scene.lengthUnit), roomLength(scene.roomLength), roomWidth(scene.roomWidth),
      quantity(condition.quantity), mode(condition.mode), band(condition.band),
      centreFrequency(condition.centreFrequency) {
    if (scene.acoustics)
        acoustics = *scene.acoustics;
    if (scene.speech)
        speech = *scene.speech;
    if (scene.models)
        models.Adopt(scene.models->Shared(), scene.models->CurrentIndex());
    if (scene.installations)
        installations = *scene.installations;
    if (!withPoints)
        return;
    const CListeningPlane& plane = condition.plane;
    const std::size_t count =
        std::min(plane.points.size(), static_cast<std::size_t>(std::max(plane.pointCount, 0)));
    points.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        points.push_back({plane.points[i].x, plane.points[i].y, plane.points[i].z});
}

CAcousticScene CMapSnapshot::Scene() const {
    CAcousticScene scene;
    scene.models = &models;
    scene.installations = &installations;
    scene.ceilingHeight = ceilingHeight;
    scene.ceilingReflection = ceilingReflection;
    scene.lengthUnit = lengthUnit;
    scene.roomLength = roomLength;
    scene.roomWidth = roomWidth;
    scene.acoustics = acoustics ? &*acoustics : nullptr;
    scene.speech = speech ? &*speech : nullptr;
    return scene;
}
