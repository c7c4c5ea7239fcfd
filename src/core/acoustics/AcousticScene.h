#pragma once

#include "common/Vec3.h"

class CSpeakerModelContainer;
class CInstallationElementList;
class CInstallationContainer;
struct CRoomAcoustics;
struct CSpeechSettings;

// What a calculation reads of a project: the models, the installations in list order and the
// room. It holds references only; nobody may change the project while a calculation runs.
struct CAcousticScene {
    const CSpeakerModelContainer* models = nullptr;
    const CInstallationElementList* installations = nullptr;
    double ceilingHeight = 0.0;
    bool ceilingReflection = false;
    int lengthUnit = 0;
    // The room's extents in the project's unit, and what the project adds beyond the direct
    // sound: its room acoustics and speech settings (none: the direct sound alone, air included).
    double roomLength = 0.0;
    double roomWidth = 0.0;
    const CRoomAcoustics* acoustics = nullptr;
    const CSpeechSettings* speech = nullptr;

    static CAcousticScene Of(const CSpeakerModelContainer& models,
                             const CInstallationContainer& room, int lengthUnit);
    bool HasInstallations() const;
    // Whether the direct sound loses the air's attenuation on its way, and that attenuation in
    // nepers of pressure per metre at a frequency (0 when it does not).
    bool AirOnDirect() const;
    double AirNepers(double frequency) const;
    // Points per octave of the model of the first installation (0 when there is none).
    double FirstInstallationPitch() const;
};

// The data frequencies f(i) = 10^(0.3 i / N) of a band, start <= i < end.
struct CBandIndexRange {
    int start = 0;
    int end = 0;
    double pitch = 0.0; // N
    int Count() const { return end > start ? end - start : 0; }
};

// Band limits of a band of width `band` (bands per octave) around fc on a grid of pitch N: the
// indices i with L < i <= U. An invalid band (no finite edges) gives an empty range.
CBandIndexRange BandIndices(double band, double centreFrequency, double pitch);

// Band pressure status.
enum EBandStatus : int { kBandOk = 0, kBandFailed = 1 };

// The literal band evaluation: every installation's point response at every data frequency of
// the band, summed as the mode says. Returns kBandFailed when a point response fails or the band
// holds no data frequency (its level would be undefined). This is the reference the map engine
// is checked against.
int BandPressure(const CAcousticScene& scene, int mode, const CVec3& point, int start, int end,
                 double pitch, double& pressure);
