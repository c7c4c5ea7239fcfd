#include "project/SoundGraphLayout.h"
#include "acoustics/SoundGraphData.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
CSoundGraphCondition DefaultEntry() {
    CSoundGraphCondition entry;
    entry.data.InitAxes(1, 0, 20, 50, 20000, 120, 1000, 10);
    return entry;
}

std::vector<std::string> Labels(const std::vector<CGraphTick>& ticks) {
    std::vector<std::string> labels;
    for (const CGraphTick& t : ticks)
        if (t.Labelled())
            labels.push_back(t.label);
    return labels;
}
} // namespace

TEST(SoundGraphLayout, ADefaultEntryFitsA330By256Window) {
    CSoundGraphCondition entry = DefaultEntry();
    const CGraphSize size = FitGraph(entry, true, 330, 256);
    EXPECT_NEAR(entry.xScale, 280.0 / 3.0, 1e-12);
    EXPECT_NEAR(entry.yScale, 200.0 / 70.0, 1e-12);
    // A fitted graph is exactly the window: no scroll bars.
    EXPECT_EQ(size.width, 330);
    EXPECT_EQ(size.height, 256);
    // The axes start one pixel inside the margins (truncation toward zero).
    EXPECT_EQ(FrequencyToX(entry, 20), 31);
    EXPECT_EQ(FrequencyToX(entry, 20000), 310);
    EXPECT_EQ(FrequencyToX(entry, 1000),
              30 + static_cast<int>(280.0 / 3.0 * std::log10(50.0) - 0.5) + 1);
    EXPECT_EQ(LevelToY(entry, 50), 256 - 36 + 1);
    EXPECT_EQ(LevelToY(entry, 120), 256 - 200 - 36 + 1);
}

TEST(SoundGraphLayout, WithoutFitTheStoredScalesSetTheSize) {
    CSoundGraphCondition entry = DefaultEntry();
    entry.xScale = 100;
    entry.yScale = 4;
    const CGraphSize size = FitGraph(entry, false, 50, 50);
    EXPECT_EQ(entry.xScale, 100);
    EXPECT_EQ(size.width, 300 + 50);
    EXPECT_EQ(size.height, 280 + 56);
    // Rows count from the bottom of the scrolled graph, not of the window.
    EXPECT_EQ(LevelToY(entry, 50), 336 - 36 + 1);
}

TEST(SoundGraphLayout, TheDecadeWalkLabelsPowersOfTenAndTheEnds) {
    const CSoundGraphCondition entry = DefaultEntry();
    const std::vector<CGraphTick> ticks = FrequencyTicks(entry.data);
    EXPECT_EQ(Labels(ticks), (std::vector<std::string>{"20", "100", "1k", "10k", "20k"}));
    ASSERT_FALSE(ticks.empty());
    EXPECT_EQ(ticks.front().value, 20);
    EXPECT_EQ(ticks.back().value, 20000);
    // 20 .. 90, 100 .. 900, 1000 .. 9000, 10000, 20000: nothing below the minimum.
    EXPECT_EQ(ticks.size(), 8u + 9u + 9u + 2u);
    EXPECT_FALSE(ticks[1].Labelled()); // 30
    EXPECT_EQ(ticks[1].value, 30);
    EXPECT_EQ(ticks[9].value, 200);
}

TEST(SoundGraphLayout, LevelLinesEveryStepAndLinearFrequencies) {
    CSoundGraphCondition entry = DefaultEntry();
    EXPECT_EQ(Labels(LevelTicks(entry.data)),
              (std::vector<std::string>{"50", "60", "70", "80", "90", "100", "110", "120"}));
    entry.data.frequencyAxisType = 0;
    entry.data.frequencyMin = 0;
    entry.data.frequencyMax = 2500;
    entry.data.frequencyStep = 1000;
    EXPECT_EQ(Labels(FrequencyTicks(entry.data)),
              (std::vector<std::string>{"0", "1000", "2000", "3000"}));
    FitGraph(entry, true, 300, 200);
    EXPECT_EQ(FrequencyToX(entry, 0), entry.left + 1);
    EXPECT_NEAR(entry.xScale, 250.0 / 2500.0, 1e-15);
}

TEST(SoundGraphLayout, DamagedAxesFromAFileNeitherDivideByZeroNorOverflow) {
    CSoundGraphCondition entry = DefaultEntry();
    entry.xScale = 93;
    entry.data.frequencyMax = entry.data.frequencyMin; // no span
    FitGraph(entry, true, 330, 256);
    EXPECT_EQ(entry.xScale, 93); // kept
    entry.data.levelStep = 0;
    EXPECT_TRUE(LevelTicks(entry.data).empty());
    entry.xScale = 1e300;
    entry.data.frequencyMax = 20000;
    EXPECT_EQ(FrequencyToX(entry, 20000), 1000000000 + entry.left + 1);
}

TEST(SoundGraphLayout, LabelsThatWouldTouchGiveWayToTheEnds) {
    // A narrow pane: the default axis over 150 pixels puts "10k" 15 pixels before "20k".
    CSoundGraphCondition entry = DefaultEntry();
    FitGraph(entry, true, 200, 256);
    std::vector<CLabelSpan> spans;
    for (const CGraphTick& tick : FrequencyTicks(entry.data))
        if (tick.Labelled())
            spans.push_back(
                {FrequencyToX(entry, tick.value) - 6, static_cast<int>(7 * tick.label.size())});
    ASSERT_EQ(spans.size(), 5u); // 20, 100, 1k, 10k, 20k
    EXPECT_EQ(LabelsThatFit(spans, 2), (std::vector<bool>{true, true, true, false, true}));
    // Wide enough, every label stays.
    FitGraph(entry, true, 600, 256);
    for (std::size_t i = 0; i < spans.size(); ++i)
        spans[i].left =
            FrequencyToX(entry, std::vector<double>{20, 100, 1000, 10000, 20000}[i]) - 6;
    EXPECT_EQ(LabelsThatFit(spans, 2), std::vector<bool>(5, true));
    // The gap counts: two labels exactly `gap` apart both stay, one pixel closer they do not.
    EXPECT_EQ(LabelsThatFit({{0, 10}, {12, 10}, {40, 10}}, 2),
              (std::vector<bool>{true, true, true}));
    EXPECT_EQ(LabelsThatFit({{0, 10}, {11, 10}, {40, 10}}, 2),
              (std::vector<bool>{true, false, true}));
    // A middle label clear of the first but too close to the last end goes.
    EXPECT_EQ(LabelsThatFit({{0, 10}, {20, 10}, {31, 10}}, 2),
              (std::vector<bool>{true, false, true}));
    // Ends on top of each other: the first alone.
    EXPECT_EQ(LabelsThatFit({{0, 10}, {5, 10}}, 2), (std::vector<bool>{true, false}));
    EXPECT_TRUE(LabelsThatFit({}, 2).empty());
}
