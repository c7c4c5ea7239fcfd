#include "acoustics/AcousticScene.h"
#include "acoustics/AirAbsorption.h"
#include "acoustics/RoomAcoustics.h"
#include "acoustics/ColorMapCondition.h"
#include "acoustics/InstallationContainer.h"
#include "speaker/FrequencyList.h"
#include "speaker/SpeakerModelContainer.h"

#include <climits>
#include <cmath>

CAcousticScene CAcousticScene::Of(const CSpeakerModelContainer& models,
                                  const CInstallationContainer& room, int lengthUnit) {
    CAcousticScene scene;
    scene.models = &models;
    scene.installations = &room.List();
    scene.ceilingHeight = room.roomHeight;
    scene.roomLength = room.roomLength;
    scene.roomWidth = room.roomWidth;
    scene.ceilingReflection = room.CeilingReflects();
    scene.lengthUnit = lengthUnit;
    return scene;
}

bool CAcousticScene::HasInstallations() const {
    return installations && !installations->Empty();
}

bool CAcousticScene::AirOnDirect() const {
    return acoustics && acoustics->airOnDirect;
}

double CAcousticScene::AirNepers(double frequency) const {
    if (!AirOnDirect())
        return 0.0;
    return AirAttenuation(frequency, acoustics->Air()) * std::log(10.0) / 20.0;
}

double CAcousticScene::FirstInstallationPitch() const {
    if (!HasInstallations())
        return 0.0;
    const int index = installations->At(0)->modelIndex;
    if (index < 0 || index >= models->Count())
        return 0.0;
    return models->At(index).Header().pointsPerOctave;
}

CBandIndexRange BandIndices(double band, double centreFrequency, double pitch) {
    CBandIndexRange range;
    range.pitch = pitch;
    const double f = std::pow(10.0, 0.15 / band);
    const double lower = centreFrequency / f;
    const double upper = centreFrequency * f;
    const double l = std::log10(lower) * 10.0 * (pitch / 3.0);
    const double u = std::log10(upper) * 10.0 * (pitch / 3.0);
    // Limits outside the int range (a zero or negative frequency, an unset band) hold no data
    // frequency a model could have.
    if (!(std::fabs(l) < INT_MAX / 2) || !(std::fabs(u) < INT_MAX / 2))
        return range;
    range.start = static_cast<int>(std::trunc(l)) + 1;
    range.end = static_cast<int>(std::trunc(u)) + 1;
    return range;
}

namespace {
// One installation's complex pressure at a point and frequency; false when the response fails.
// Its delay counts only where phases meet (Interference): the energy of one installation does
// not depend on it, and leaving it out keeps Energy maps as they were to the bit.
bool InstallationPressure(const CAcousticScene& scene, const CInstallationElement& inst,
                          const CVec3& point, double frequency, int mode, CSPComplex& pressure) {
    pressure.Clear();
    if (inst.modelIndex < 0 || inst.modelIndex >= scene.models->Count())
        return true; // no model: contributes nothing
    const CSpeakerModel& model = scene.models->At(inst.modelIndex);
    return model.Evaluate(pressure, point, inst.position, inst.orientation, frequency,
                          scene.ceilingHeight, !inst.polarityNormal, inst.power,
                          scene.ceilingReflection, scene.lengthUnit,
                          mode == kModeInterference ? inst.delay : 0.0,
                          scene.AirNepers(frequency)) == 0;
}
} // namespace

int BandPressure(const CAcousticScene& scene, int mode, const CVec3& point, int start, int end,
                 double pitch, double& pressure) {
    pressure = 0.0;
    const int count = end > start ? end - start : 0;
    if (mode != kModeInterference && mode != kModeEnergy)
        return kBandOk;
    if (count == 0)
        return kBandFailed;
    double acc = 0.0;
    CSPComplex p;
    if (mode == kModeInterference) {
        for (int i = start; i < end; ++i) {
            const double f = ModelFrequency(i, pitch);
            CSPComplex sum;
            for (const CInstallationElement& inst : *scene.installations) {
                if (!InstallationPressure(scene, inst, point, f, mode, p))
                    return kBandFailed;
                sum.Add(p);
            }
            acc += sum.re * sum.re + sum.im * sum.im;
        }
        pressure = std::sqrt(acc / count);
    } else {
        for (const CInstallationElement& inst : *scene.installations) {
            double e = 0.0;
            for (int i = start; i < end; ++i) {
                if (!InstallationPressure(scene, inst, point, ModelFrequency(i, pitch), mode, p))
                    return kBandFailed;
                e += p.re * p.re + p.im * p.im;
            }
            acc += e / count;
        }
        pressure = std::sqrt(acc);
    }
    return kBandOk;
}
