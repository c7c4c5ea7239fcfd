#include "speaker/SpeakerDataHeader.h"

#include "speaker/FrequencyList.h"

int CSpeakerDataHeader::FindFrequencyIndex(double f) const {
    for (int i = static_cast<int>(frequencyList.size()) - 1; i >= 0; --i)
        if (frequencyList[static_cast<std::size_t>(i)] == f)
            return i;
    return -1;
}

bool CSpeakerDataHeader::GenerateFrequencyList() {
    const bool ok = BuildFrequencyList(lowestFrequency, highestFrequency, pointsPerOctave, 0xFFFF,
                                       frequencyList);
    frequencyCount = static_cast<std::uint16_t>(frequencyList.size());
    return ok;
}
