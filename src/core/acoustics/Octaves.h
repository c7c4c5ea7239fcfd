#pragma once

#include <array>

// The seven octaves of room acoustics and speech intelligibility, 125 Hz to 8 kHz, at the
// program's exact band centres 10^(0.3 k) (k = 7 ... 13), the frequencies an octave map of the
// same band is calculated at.
inline constexpr int kOctaveCount = 7;
using COctaveValues = std::array<double, kOctaveCount>;

double OctaveCentre(int octave);

// The value at `frequency` of a quantity given at the octave centres: linear over log frequency
// between neighbouring centres, the end values held below 125 Hz and above 8 kHz. At a centre
// it is that octave's value exactly.
double InterpolateOctaves(const COctaveValues& values, double frequency);

// The A-weighting of IEC 61672-1 in dB at `frequency` (0 dB at 1 kHz).
double AWeighting(double frequency);
