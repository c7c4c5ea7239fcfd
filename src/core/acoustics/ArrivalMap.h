#pragma once

#include "acoustics/MapCalculation.h"
#include "acoustics/MapQuantity.h"
#include "common/Vec3.h"

#include <vector>

class CColorMapCondition;

// Arrival times of the direct sound. An installation's sound leaves when its signal does, after
// its delay, and reaches a point from its nearest element at 344 m/s; the ceiling image is no
// direct sound, and an installation of power 0 sends none. `arrival` is the first of those times
// at a point, `late-loudest` how much later than it the sound of the loudest installation at the
// point (its band level alone, ceiling image included) arrives: the echo a listener may hear.
// Both in milliseconds.
bool IsArrivalQuantity(EMapQuantity quantity);

// The direct-sound path of every installation of a scene, taken once per calculation.
class CArrivalPlan {
public:
    explicit CArrivalPlan(const CAcousticScene& scene);
    int InstallationCount() const { return static_cast<int>(m_sources.size()); }
    // Whether installation k sends sound: it has a model with elements and a power above 0.
    bool Radiates(int k) const { return m_radiates[static_cast<std::size_t>(k)] != 0; }
    // How long installation k's sound takes from its nearest element to the point, in ms;
    // infinite when its model is missing.
    double PathTime(int k, const CVec3& point) const;
    double Delay(int k) const { return m_delays[static_cast<std::size_t>(k)]; }
    // When installation k's direct sound reaches the point, in ms after the signals start;
    // infinite when it does not radiate.
    double Arrival(int k, const CVec3& point) const;
    // The first of them; infinite when no installation radiates.
    double FirstArrival(const CVec3& point) const;
    // The arrival of the loudest installation less the first arrival, from each installation's
    // band energy at the point (equally loud ones: the earliest of them counts).
    double LateLoudest(const CVec3& point, const std::vector<double>& energies) const;

private:
    std::vector<std::vector<CVec3>> m_sources; // per installation, where its elements sit
    std::vector<unsigned char> m_radiates;
    std::vector<double> m_delays; // ms
    double m_toMetres = 1.0;
};

// The delay (ms) that brings installation `fill`'s direct sound to `point` `offsetMs` after that
// of installation `main`: (r_main - r_fill) / c + the main's delay + the offset, each r from the
// installation's nearest element. Not limited: negative where the fill's sound would have to
// leave before its signal does.
double AlignedDelay(const CArrivalPlan& plan, int fill, int main, const CVec3& point,
                    double offsetMs);

// Statistics of an arrival map: minimum, maximum and arithmetic mean of the times, and for
// late-loudest the share (0 to 1) of points where the loudest sound comes more than 20 ms late.
inline constexpr double kLateThresholdMs = 20.0;
struct CArrivalStatistics {
    double minimum = 0.0, maximum = 0.0, mean = 0.0, lateShare = 0.0;
};
CArrivalStatistics ArrivalStatistics(EMapQuantity quantity, const std::vector<double>& values);

// The calculation of the snapshot's arrival quantity at each point of a map job, on the engine
// or (each installation's band level from BandPressure) on the reference path. The summary
// keeps the statistics in the plane's maximum, minimum, pink-noise average (the mean) and
// music/speech average (the late share) fields. Nothing can be computed when no installation
// radiates, nor late-loudest in a band without data frequencies.
CPointQuantity ArrivalQuantity(EMapEngineKind engine = EMapEngineKind::Engine);
