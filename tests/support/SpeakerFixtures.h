#pragma once

#include "VsaGenerator.h"
#include "VsaPresets.h"
#include "speaker/SpeakerModel.h"

#include <memory>
#include <string>

// Imports speaker data text as the Import command does after its version line. Returns nullptr
// (and the reason) when the container refuses it.
std::unique_ptr<CSpeakerModel> ImportSpeakerText(const std::string& text, int lengthUnit = 0,
                                                 std::string* reason = nullptr);

// Text without its leading "Version 1.0.0" line.
std::string WithoutVersionLine(const std::string& vsaText);

// A generated omnidirectional speaker: the same level and phase 0 in every direction.
CVsaGenOptions OmniSpeaker(double level = 90.0, int pointsPerOctave = 3);
// A generated first-order cardioid, (1 + cos theta) / 2, on a 5-degree theta grid.
CVsaGenOptions CardioidSpeaker(double level = 90.0, int pointsPerOctave = 3);
// A generated directional speaker with an offset acoustic centre and unequal beams.
CVsaGenOptions DirectionalSpeaker(int kind = 0, int pointsPerOctave = 3);
