#pragma once

#include "acoustics/Octaves.h"

#include <optional>
#include <string>
#include <string_view>

// Background noise spectra of the rating curves, 125 Hz ... 8 kHz:
// "NR<n>" (n 0 ... 130) the noise rating curves of ISO R 1996, L = a + b n per octave;
// "NC-<n>" or "NC<n>" (n 15 ... 70 in steps of 5) the noise criterion curves as tabled in
// ANSI S12.2 after Beranek. Nothing for a name no curve has.
std::optional<COctaveValues> NoiseCurve(std::string_view name);
// The name as the program writes it ("NR35", "NC-35"), or empty for a name no curve has.
std::string NoiseCurveName(std::string_view name);
