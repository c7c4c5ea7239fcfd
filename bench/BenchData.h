#pragma once

#include "VsaImport.h"
#include "VsaPresets.h"
#include "speaker/SpeakerModelContainer.h"

// The fine grid of measured speaker data: 24 points per octave, 10-degree phi and 5-degree theta.
inline CVsaGenOptions FineGrid(CVsaGenOptions options) {
    options.pointsPerOctave = 24;
    options.lowestFrequency = 50;
    options.highestFrequency = 20000;
    options.phiBlocks = 36;
    options.thetaCount = 37;
    return options;
}

class CInstallationContainer;
class CColorMapCondition;
// The S3 scene of MapBench.cpp, shared with the live preview benchmark.
CSpeakerModelContainer& S3Models();
CInstallationContainer& S3Room();
CColorMapCondition& S3Condition();
