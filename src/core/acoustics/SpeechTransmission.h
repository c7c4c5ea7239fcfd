#pragma once

#include "acoustics/Octaves.h"

#include <array>
#include <string>

// The speech transmission index by the statistical method of IEC 60268-16 edition 5, for the
// seven octaves 125 Hz ... 8 kHz and the 14 modulation frequencies 0.63 ... 12.5 Hz.
inline constexpr int kModulationCount = 14;
using CModulationValues = std::array<double, kModulationCount>;

const CModulationValues& ModulationFrequencies();
// The male speech spectrum of edition 5 relative to the 500 Hz octave, dB.
const COctaveValues& SpeechSpectrum();
// Absolute reception threshold per octave, dB.
const COctaveValues& ReceptionThreshold();

// The speech settings of a project: its background noise (a level per octave, typed or taken
// from a rating curve named in `curve`, or none) and the STI a map is judged against. The default
// is a project without them.
struct CSpeechSettings {
    bool noiseOn = false;
    COctaveValues noise{}; // dB per octave
    std::string curve;     // "NR35", "NC-40", or empty for typed levels
    double stiTarget = 0.5;
    friend bool operator==(const CSpeechSettings&, const CSpeechSettings&) = default;
};
inline constexpr double kMinNoiseLevel = -20.0;
inline constexpr double kMaxNoiseLevel = 140.0;
// The first entry out of range or not a finite number, worded with its field, or empty.
std::string SpeechSettingsError(const CSpeechSettings& speech);

// What the index is computed from at one point: the system's direct and reverberant octave levels
// (before the speech spectrum shifts them), the reverberation time that drives the reverberant
// field and the background noise (a level per octave, or none).
struct CStiInput {
    COctaveValues direct{};      // Ld, dB
    COctaveValues reverberant{}; // Lr, dB
    COctaveValues rt{};          // T, s
    COctaveValues noise{};       // Ln, dB
    bool noiseOn = false;
};

struct CStiResult {
    COctaveValues signal{}; // Ls = 10 lg(Ed + Er), the speech level of each octave
    std::array<CModulationValues, kOctaveCount> m{}; // modulation transfer before masking
    COctaveValues mti{};
    double sti = 0.0;
    double cis = 0.0;
};

CStiResult SpeechTransmissionIndex(const CStiInput& input);

// 10 lg(m' / (1 - m')) clipped to [-15, 15] dB (m' >= 1 gives 15, m' <= 0 gives -15), as the
// transmission index (SNR + 15) / 30.
double TransmissionIndex(double mCorrected);
// The weighted sum with the redundancy of neighbouring octaves, clipped to [0, 1].
double StiOfMti(const COctaveValues& mti);
// The level-dependent masking slope amdB of an octave of level L on the octave above it.
double MaskingSlope(double level);
// The common intelligibility scale 1 + lg STI; it starts at 0, so an STI below 0.1 gives 0.
double CisOfSti(double sti);
