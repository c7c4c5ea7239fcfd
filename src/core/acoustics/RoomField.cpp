#include "acoustics/RoomField.h"

#include "acoustics/ColorMapCondition.h"
#include "acoustics/InstallationElement.h"
#include "acoustics/MapCalculation.h"
#include "common/Errors.h"
#include "common/Units.h"
#include "speaker/SpeakerModelContainer.h"

#include <algorithm>
#include <climits>
#include <cmath>

CRoomSize RoomSizeOf(const CAcousticScene& scene) {
    const double toMetres = scene.lengthUnit == kUnitImperial ? kFeetToMetres : 1.0;
    return {scene.roomLength * toMetres, scene.roomWidth * toMetres,
            scene.ceilingHeight * toMetres};
}

double CRoomField::LwTotal() const {
    return 10.0 * std::log10(powerSum);
}

CRoomField RoomFieldOf(const CAcousticScene& scene, const CBandIndexRange& band, double centre,
                       CSoundPowerCache& cache) {
    if (!scene.acoustics)
        throw CInvalidArgument("the project has no room acoustics");
    if (!scene.acoustics->HasAbsorption())
        throw CInvalidArgument("the room's surfaces absorb nothing; choose their materials in "
                               "Room > Surfaces and Air");
    const CRoomSize size = RoomSizeOf(scene);
    if (!(size.Volume() > 0.0) || !std::isfinite(size.Volume()))
        throw CInvalidArgument("the room has no volume");
    CRoomField field;
    field.room = RoomAtFrequency(*scene.acoustics, size, centre);
    field.rt = field.room.Rt(scene.acoustics->formula);
    if (scene.installations)
        for (const CInstallationElement& inst : *scene.installations) {
            if (inst.modelIndex < 0 || inst.modelIndex >= scene.models->Count())
                throw CInvalidArgument(DanglingModelReason(scene));
            const CModelPower& model = cache.Get(scene.models->At(inst.modelIndex), band);
            CInstallationField f;
            f.power = InstallationPower(model, inst.power);
            f.criticalDistance = CriticalDistance(f.power.q, field.room.roomConstant);
            if (inst.power > 0.0)
                field.powerSum += std::pow(10.0, f.power.lw / 10.0);
            field.installations.push_back(f);
        }
    field.reverberantLevel = ReverberantLevel(field.powerSum, field.room.roomConstant);
    return field;
}

std::array<CBandIndexRange, kOctaveCount> OctaveBands(const CAcousticScene& scene) {
    std::array<CBandIndexRange, kOctaveCount> bands;
    const double pitch = scene.FirstInstallationPitch();
    for (int k = 0; k < kOctaveCount; ++k)
        bands[static_cast<std::size_t>(k)] = BandIndices(1.0, OctaveCentre(k), pitch);
    return bands;
}

std::array<CRoomField, kOctaveCount> OctaveFields(const CAcousticScene& scene,
                                                  CSoundPowerCache& cache) {
    const auto bands = OctaveBands(scene);
    std::array<CRoomField, kOctaveCount> fields;
    for (int k = 0; k < kOctaveCount; ++k)
        fields[static_cast<std::size_t>(k)] =
            RoomFieldOf(scene, bands[static_cast<std::size_t>(k)], OctaveCentre(k), cache);
    return fields;
}

bool RoomSpectrum(const CAcousticScene& scene, const CColorMapCondition& condition,
                  const std::vector<double>& centres, std::vector<double>& reverberant,
                  std::string* reason) {
    reverberant.clear();
    const double pitch = scene.FirstInstallationPitch();
    CSoundPowerCache cache;
    try {
        for (double fc : centres)
            reverberant.push_back(
                RoomFieldOf(scene, BandIndices(condition.band, fc, pitch), fc, cache)
                    .reverberantLevel);
    } catch (const CInvalidArgument& e) {
        reverberant.clear();
        if (reason)
            *reason = e.what();
        return false;
    }
    return true;
}

CBandIndexRange OctaveUnion(const CAcousticScene& scene, std::vector<std::pair<int, int>>* segments) {
    const auto bands = OctaveBands(scene);
    CBandIndexRange all = bands[0];
    all.start = INT_MAX, all.end = INT_MIN;
    for (const CBandIndexRange& b : bands) {
        if (b.Count() == 0)
            return {};
        all.start = std::min(all.start, b.start);
        all.end = std::max(all.end, b.end);
    }
    if (segments) {
        segments->clear();
        for (const CBandIndexRange& b : bands)
            segments->emplace_back(b.start - all.start, b.end - all.start);
    }
    return all;
}

COctaveLevels::COctaveLevels(const CAcousticScene& scene, int mode)
    : m_engine(scene, mode, OctaveUnion(scene, &m_segments)) {
    m_empty = m_engine.BandCount() == 0;
}

void COctaveLevels::Levels(const CVec3* points, int count, std::array<double, kOctaveCount>* levels,
                           bool* ok, CMapEngine::Scratch& scratch) const {
    double pressures[kKernelLanes * kOctaveCount];
    int statuses[kKernelLanes];
    count = std::clamp(count, 0, kKernelLanes);
    if (m_empty) {
        std::fill(ok, ok + count, false);
        return;
    }
    m_engine.PointSegmentPressures(points, count, m_segments, pressures, statuses, scratch);
    for (int lane = 0; lane < count; ++lane) {
        ok[lane] = statuses[lane] == kBandOk;
        for (int k = 0; k < kOctaveCount; ++k)
            levels[lane][static_cast<std::size_t>(k)] =
                PressureLevel(pressures[lane * kOctaveCount + k]);
    }
}
