#pragma once

#include "VsaPresets.h"
#include "common/LineReader.h"
#include "speaker/SpeakerModelContainer.h"

#include <sstream>
#include <stdexcept>

// The fine grid of measured speaker data: 24 points per octave, 10-degree phi and 5-degree theta.
inline CVsaGenOptions FineGrid(CVsaGenOptions options) {
    options.pointsPerOctave = 24;
    options.lowestFrequency = 50;
    options.highestFrequency = 20000;
    options.phiBlocks = 36;
    options.thetaCount = 37;
    return options;
}

// Imports generated speaker data into the container, as the Import command does.
inline void ImportGenerated(CSpeakerModelContainer& models, const CVsaGenOptions& options) {
    const std::string text = GenerateVsa(options);
    std::istringstream in(text.substr(text.find('\n') + 1));
    CLineReader reader(in);
    std::string reason;
    if (!models.ImportModel(reader, 0, nullptr, &reason))
        throw std::runtime_error(reason);
}

class CInstallationContainer;
class CColorMapCondition;
// The S3 scene of MapBench.cpp, shared with the live preview benchmark.
CSpeakerModelContainer& S3Models();
CInstallationContainer& S3Room();
CColorMapCondition& S3Condition();
