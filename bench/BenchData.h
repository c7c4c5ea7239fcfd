#pragma once

#include "VsaPresets.h"
#include "acoustics/ColorMapCondition.h"
#include "acoustics/InstallationContainer.h"
#include "acoustics/MapCalculation.h"
#include "common/LineReader.h"
#include "speaker/SpeakerModelContainer.h"

#include <sstream>
#include <stdexcept>
#include <vector>

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

// What a benchmark scene is made of: generated speakers installed in a room, and the plane
// (the whole floor plan at 1.2 m), band and mode of the map.
struct CBenchSceneSpec {
    struct Installation {
        CVec3 position;
        COrientation aim;
        double power = 3.0;
    };
    CVsaGenOptions speakers;
    double length = 10, width = 10, height = 3;
    bool solidCeiling = true;
    std::vector<Installation> installations;
    double band = 3, centre = 1000;
    int mode = kModeEnergy;
    double planePitch = 0.25, colourMaximum = 100;
};

// columns x rows ceiling speakers aimed down, each in the middle of its cell of the floor plan.
inline std::vector<CBenchSceneSpec::Installation> CeilingGrid(int columns, int rows, double length,
                                                              double width, double height) {
    std::vector<CBenchSceneSpec::Installation> grid;
    for (int i = 0; i < columns * rows; ++i)
        grid.push_back(
            {{length / columns * (i % columns + 0.5), width / rows * (i / columns + 0.5), height},
             {0, 0, 90},
             3.0});
    return grid;
}

struct CBenchScene {
    CSpeakerModelContainer models;
    CInstallationContainer room;
    CColorMapCondition condition;
    double elementEvaluations = 0; // one element at one point and data frequency

    explicit CBenchScene(const CBenchSceneSpec& spec) {
        ImportGenerated(models, spec.speakers);
        room.roomLength = spec.length;
        room.roomWidth = spec.width;
        room.roomHeight = spec.height;
        room.ceilingType = spec.solidCeiling ? 1 : 0;
        for (const CBenchSceneSpec::Installation& i : spec.installations)
            room.AddInstallation(0, 0, i.position, i.aim, i.power, true);
        condition.band = spec.band;
        condition.centreFrequency = spec.centre;
        condition.mode = spec.mode;
        condition.plane.Build(0, 0, 1.2, spec.length, spec.width, 0, spec.planePitch,
                              spec.colourMaximum, 2);
        const CBandIndexRange band = ConditionBand(CAcousticScene::Of(models, room, 0), condition);
        double elements = 0;
        for (const CInstallationElement& inst : room.list)
            elements += models.At(inst.modelIndex).ElementTotal();
        elementEvaluations = elements * band.Count() * condition.plane.pointCount;
    }
};

// The S3 scene of MapBench.cpp, shared with the live preview benchmark.
CSpeakerModelContainer& S3Models();
CInstallationContainer& S3Room();
CColorMapCondition& S3Condition();
