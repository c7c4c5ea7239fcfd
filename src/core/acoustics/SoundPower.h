#pragma once

#include "acoustics/AcousticScene.h"

#include <map>
#include <mutex>
#include <string>
#include <utility>

class CSpeakerModel;

// What a speaker model radiates at 1 W, averaged over the data frequencies of a band: the energy
// sum over its elements (each at its weight) of the integral of |p|^2 over a sphere of 1 m around
// the element, and of |p|^2 on the element's axis. The element's pressure in each direction is
// its point response at 1 m (the data's level and distance law, no ceiling image), so the
// integral and the map agree on what the speaker does.
struct CModelPower {
    double integral = 0.0; // Pa^2 m^2
    double onAxis = 0.0;   // Pa^2
};

// The sphere is cut into cells of 2.5 by 2.5 degrees of the element's own theta (from its axis)
// and phi (around it); each cell counts its centre's |p|^2 times its exact solid angle, so a
// source that radiates equally everywhere integrates to 4 pi |p|^2 exactly. False (with the
// reason) when the band holds no data frequency or the model lacks one of them.
bool ModelPower(const CSpeakerModel& model, const CBandIndexRange& band, CModelPower& power,
                std::string* reason = nullptr);

// An installation's sound power level, dB re 1 pW: Lw = 10 lg(P integral / p0^2) with rho c =
// 400 rayl, so an omnidirectional source of level L at 1 m has Lw = L + 10 lg 4 pi.
struct CInstallationPower {
    double lw = 0.0;
    double q = 0.0;  // directivity factor on axis: 4 pi |p_axis|^2 / integral
    double di = 0.0; // 10 lg Q
};
CInstallationPower InstallationPower(const CModelPower& model, double watts);

// ModelPower per model and band, computed once: it does not depend on where a speaker stands.
// Jobs on several workers may share one (the spectra under a moving pointer).
class CSoundPowerCache {
public:
    // Throws CInvalidArgument naming the model when its power cannot be computed.
    const CModelPower& Get(const CSpeakerModel& model, const CBandIndexRange& band);

private:
    std::mutex m_mutex; // a value once in the map stays where it is
    std::map<std::pair<const CSpeakerModel*, std::pair<int, int>>, CModelPower> m_values;
};
