#pragma once

#include "acoustics/MapCalculation.h"
#include "acoustics/MapQuantity.h"
#include "acoustics/RoomField.h"
#include "acoustics/SpeechTransmission.h"

#include <array>

class CColorMapCondition;

// The value of a quantity beyond the direct sound at a point, from what the point gives (its
// direct band level, or its seven octaves' direct levels) and what a calculation computes once
// (the room field of the band or of each octave, the speech settings):
//   reverberant  Lr (the same everywhere)       total  Ld (+) Lr        dr  Ld - Lr
//   broadband-z  sum over the octaves of Ld_k (+) Lr_k, broadband-a the same A-weighted
//   sti, cis     the speech transmission index of the octaves (SpeechTransmission.h)
// where (+) is the energy sum.
class CRoomQuantity {
public:
    // Throws CInvalidArgument with the reason when the scene cannot give the quantity (no room
    // acoustics, a power that cannot be computed).
    CRoomQuantity(const CAcousticScene& scene, const CColorMapCondition& condition,
                  CSoundPowerCache& cache);

    EMapQuantity Quantity() const { return m_quantity; }
    // Which per-point levels the value needs: none (reverberant), the band's direct level, or
    // the octaves' direct levels.
    bool NeedsDirect() const;
    bool NeedsOctaves() const { return ::NeedsOctaves(m_quantity); }
    double FromDirect(double direct) const;
    double FromOctaves(const COctaveValues& direct) const;
    // What the index is computed from at a point with these octave levels.
    CStiInput StiInput(const COctaveValues& direct) const;

    const CRoomField& BandField() const { return m_band; }
    const std::array<CRoomField, kOctaveCount>& OctaveField() const { return m_octaves; }

private:
    EMapQuantity m_quantity;
    CRoomField m_band;                               // total, dr, reverberant
    std::array<CRoomField, kOctaveCount> m_octaves{}; // broadband, sti, cis
    CSpeechSettings m_speech;
};

// The calculation of the snapshot's room quantity at each point of a map job, on the engines or
// (every point's band or octave levels by BandPressure) on the reference path. A point at a
// speaker's source is left out (NaN) where the quantity reads the direct sound. The summary
// keeps what QuantityStatistics gives in the plane's statistics fields.
CPointQuantity RoomQuantity(EMapEngineKind engine = EMapEngineKind::Engine);

// The speech transmission at one point, by the literal band evaluation of each octave: what
// the index is computed from and what it gives. False (with the reason) when the scene cannot
// give it.
struct CPointSpeech {
    CStiInput input;
    CStiResult result;
};
// With a cache of the models' power (one that outlives calls while the project stays as it is),
// a pointer moving over the map computes the power once.
bool SpeechAt(const CAcousticScene& scene, int mode, const CVec3& point, CPointSpeech& speech,
              std::string* reason = nullptr, CSoundPowerCache* cache = nullptr);

// The statistics a plane of this quantity keeps: maximum and minimum always; for levels the
// energy average and the music/speech average 4 dB below it, as the direct map has them; for
// dr the arithmetic mean in both; for sti and cis the arithmetic mean and, in the second, the
// share of points (0 to 1) at or above the target (an STI, converted for cis).
struct CQuantityStatistics {
    double maximum = 0.0, minimum = 0.0;
    double average = 0.0; // pinkNoiseAverage
    double second = 0.0;  // musicSpeechAverage
};
CQuantityStatistics QuantityStatistics(EMapQuantity quantity, const double* values,
                                       std::size_t count, double stiTarget);
