#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The measurement grid and frequency axis of one model, shared by all its balloons.
struct CSpeakerDataHeader {
    int kind = 0;
    std::string name;
    double referenceDistance = 1.0;
    std::uint16_t thetaCount = 0;
    std::uint16_t phiCount = 0;
    std::uint16_t frequencyCount = 0;
    double pointsPerOctave = 0.0;
    double highestFrequency = 0.0;
    double lowestFrequency = 0.0;
    std::uint16_t tapCount = 0;
    std::vector<double> thetaGrid;
    std::vector<double> frequencyList;

    bool IsOutsideRange(double f) const { return f < lowestFrequency || f > highestFrequency; }
    // Index of the entry equal to f bit for bit (the last of equal ones), or -1.
    int FindFrequencyIndex(double f) const;
    // Regenerates frequencyList and frequencyCount from the range and resolution; false when the
    // list would not fit the 16-bit count.
    bool GenerateFrequencyList();
};
