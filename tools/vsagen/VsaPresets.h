#pragma once

#include "VsaGenerator.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Typical products, sized for committed test data: 3 points per octave from 63 Hz to 16 kHz,
// 30-degree phi blocks and 15-degree theta steps (KV-K uses 30-degree theta steps because it
// carries four balloons). All presets share one frequency resolution so they can be installed in
// one room together.
CVsaGenOptions CeilingSpeakerOptions();
CVsaGenOptions WallSpeakerOptions();
// A point source: the same level and phase 0 in every direction at every frequency.
CVsaGenOptions OmniOptions(int pointsPerOctave, double lowestFrequency, double highestFrequency);
CVsaGenOptions QL9ArrayOptions();
CVsaGenOptions KVW5ArrayOptions();
CVsaGenOptions KVKArrayOptions();
CVsaGenOptions KVP10ArrayOptions();
CVsaGenOptions KVR6ArrayOptions();
CVsaGenOptions TypeNArrayOptions();

// Preset by its command-line name (ceiling, wall, omni, ql9, kvw5, kvk, kvp10, kvr6, typen).
std::optional<CVsaGenOptions> PresetOptions(std::string_view name);
std::vector<std::string> PresetNames();

struct CVsaExample {
    std::string fileName;
    CVsaGenOptions options;
};

// The committed example files, one per preset.
std::vector<CVsaExample> ExampleSet();
