#include "speaker/FrequencyList.h"
#include "speaker/SpeakerDataHeader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(FrequencyList, ThirdOctaveFrom100To10k) {
    CSpeakerDataHeader header;
    header.pointsPerOctave = 3;
    header.lowestFrequency = 100;
    header.highestFrequency = 10000;
    ASSERT_TRUE(header.GenerateFrequencyList());
    ASSERT_EQ(header.frequencyCount, 21);
    EXPECT_EQ(header.frequencyList.front(), 100.0);
    EXPECT_EQ(header.frequencyList.back(), 10000.0);
    EXPECT_EQ(header.frequencyList[1], std::pow(10.0, 21 * 0.3 / 3));
}

TEST(FrequencyList, LookupIsBitExact) {
    CSpeakerDataHeader header;
    header.pointsPerOctave = 3;
    header.lowestFrequency = 100;
    header.highestFrequency = 10000;
    header.GenerateFrequencyList();
    EXPECT_EQ(header.FindFrequencyIndex(1258.9254), -1);
    EXPECT_EQ(header.FindFrequencyIndex(ModelFrequency(31, 3)), 11);
    EXPECT_EQ(header.FindFrequencyIndex(std::nextafter(ModelFrequency(31, 3), 0.0)), -1);
    header.frequencyList.push_back(header.frequencyList.back());
    EXPECT_EQ(header.FindFrequencyIndex(10000.0), 21); // the last of equal entries
}

TEST(FrequencyList, EveryResolutionStartsAtAModelFrequencyAndStaysInRange) {
    for (int n : {24, 12, 6, 3, 1}) {
        std::vector<double> list;
        ASSERT_TRUE(BuildFrequencyList(20.0, 20000.0, n, 65535, list));
        ASSERT_FALSE(list.empty());
        EXPECT_GE(list.front(), 20.0);
        EXPECT_LE(list.back(), 20000.0);
        EXPECT_EQ(list.size(), static_cast<std::size_t>(std::floor(std::log10(20000.0) * n / 0.3)) -
                                   static_cast<std::size_t>(std::ceil(std::log10(20.0) * n / 0.3)) +
                                   1)
            << n;
    }
}

TEST(FrequencyList, HostileRangesEndWithoutLoopingOrExhaustingMemory) {
    std::vector<double> list;
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(BuildFrequencyList(20, 20000, -3, 65535, list));
    EXPECT_FALSE(BuildFrequencyList(20, 20000, 0, 65535, list));
    EXPECT_FALSE(BuildFrequencyList(20, inf, 24, 65535, list));
    EXPECT_FALSE(BuildFrequencyList(0, 1e300, 2000000000, 65535, list));
    BuildFrequencyList(1e10, 2e10, 2000000000, 65535, list);
    EXPECT_LE(list.size(), 65535u);
    EXPECT_TRUE(BuildFrequencyList(5000, 100, 3, 65535, list));
    EXPECT_TRUE(list.empty());
}
