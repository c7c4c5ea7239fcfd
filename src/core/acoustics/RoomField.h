#pragma once

#include "acoustics/AcousticScene.h"
#include "acoustics/MapEngine.h"
#include "acoustics/RoomAcoustics.h"
#include "acoustics/SoundPower.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

// The room's extents in metres, from the scene's room in the project's unit.
CRoomSize RoomSizeOf(const CAcousticScene& scene);

// What is the same at every point of a band: the diffuse room at the band's centre, every
// installation's sound power over the band's data frequencies and the reverberant level they
// feed, Lr = 10 lg(sum 10^(Lw/10)) + 10 lg(4 / R).
struct CInstallationField {
    CInstallationPower power;
    double criticalDistance = 0.0; // m
};
struct CRoomField {
    CRoomBand room;
    double powerSum = 0.0; // sum over the installations of 10^(Lw/10)
    double reverberantLevel = 0.0;
    double rt = 0.0; // the time of the formula the project chose
    std::vector<CInstallationField> installations;
    double LwTotal() const;
};

// Throws CInvalidArgument with the reason when the scene has no room acoustics, its room
// absorbs nothing, or an installation's power cannot be computed in the band.
CRoomField RoomFieldOf(const CAcousticScene& scene, const CBandIndexRange& band, double centre,
                       CSoundPowerCache& cache);
// The seven octaves, each band as an octave map takes it on the first installation's grid.
std::array<CRoomField, kOctaveCount> OctaveFields(const CAcousticScene& scene,
                                                  CSoundPowerCache& cache);
// The octave bands on the first installation's grid.
std::array<CBandIndexRange, kOctaveCount> OctaveBands(const CAcousticScene& scene);

class CColorMapCondition;
// The reverberant level at every band centre of a spectrum in the condition's band width, each
// band's power over its own data frequencies and its room at its centre. False (with the
// reason) when the scene cannot give one.
bool RoomSpectrum(const CAcousticScene& scene, const CColorMapCondition& condition,
                  const std::vector<double>& centres, std::vector<double>& reverberant,
                  std::string* reason = nullptr);

// One band over the seven octaves' data frequencies and each octave's part of it; an empty band
// when an octave holds no data frequency.
CBandIndexRange OctaveUnion(const CAcousticScene& scene,
                            std::vector<std::pair<int, int>>* segments = nullptr);

// The direct levels of the seven octaves at points: one engine over all their data frequencies,
// each point's geometry found once, each octave summed as its own band map sums it.
class COctaveLevels {
public:
    COctaveLevels(const CAcousticScene& scene, int mode);
    // The octave levels (dB) of `count` points (at most kKernelLanes), lane by lane in levels;
    // false for a lane whose response fails, as the band map fails.
    void Levels(const CVec3* points, int count, std::array<double, kOctaveCount>* levels,
                bool* ok, CMapEngine::Scratch& scratch) const;
    CMapEngine::Scratch MakeScratch() const { return m_engine.MakeScratch(); }
    bool Empty() const { return m_empty; }

private:
    std::vector<std::pair<int, int>> m_segments; // filled while the engine is made
    CMapEngine m_engine;
    bool m_empty = false;
};
