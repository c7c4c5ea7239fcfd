#include "SpeakerFixtures.h"

#include "VsaImport.h"

#include "common/LineReader.h"
#include "speaker/SpeakerModelContainer.h"

#include <sstream>

std::string WithoutVersionLine(const std::string& vsaText) {
    const auto end = vsaText.find('\n');
    return end == std::string::npos ? std::string() : vsaText.substr(end + 1);
}

std::unique_ptr<CSpeakerModel> ImportSpeakerText(const std::string& text, int lengthUnit,
                                                 std::string* reason) {
    return ReadSpeakerText(text, lengthUnit, reason);
}

CVsaGenOptions OmniSpeaker(double level, int pointsPerOctave) {
    CVsaGenOptions options = OmniOptions(pointsPerOctave, 100.0, 10000.0);
    options.drivers.at(0).sensitivity = level;
    return options;
}

CVsaGenOptions CardioidSpeaker(double level, int pointsPerOctave) {
    CVsaGenOptions options = OmniSpeaker(level, pointsPerOctave);
    options.thetaCount = 37;
    options.drivers.at(0).cardioid = true;
    return options;
}

CVsaGenOptions DirectionalSpeaker(int kind, int pointsPerOctave) {
    CVsaGenOptions options = kind == 1 ? CeilingSpeakerOptions() : WallSpeakerOptions();
    options.pointsPerOctave = pointsPerOctave;
    options.lowestFrequency = 100.0;
    options.highestFrequency = 10000.0;
    options.phiBlocks = 12;
    options.thetaCount = 13;
    options.drivers.at(0).offset = 0.05;
    options.drivers.at(0).asymmetry = 0.4;
    return options;
}
