// The band and centre choices the map's lists, the desktop combos and the command line share.
#include "project/BandChoice.h"
#include "FakePorts.h"
#include "project/ColorMapViewModel.h"
#include "speaker/FrequencyList.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
struct LoadedDoc : CDocFixture {
    explicit LoadedDoc(int pitch = 3) {
        AddModel(DirectionalSpeaker(1, pitch));
        EditSettings(doc)->loadedFromFile = 1;
        CColorMapCondition c;
        c.plane.Build(0, 0, 1, 4, 4, 0, 0.5, 100, 2);
        Build(doc).Conditions().Append(c);
    }
    CColorMapCondition& Condition() { return *Build(doc).Conditions().At(0); }
};

std::vector<std::string> Labels(const std::vector<CChoice<double>>& choices) {
    std::vector<std::string> labels;
    for (const auto& choice : choices)
        labels.push_back(choice.label);
    return labels;
}
} // namespace

TEST(BandChoice, BandsStartAtTheDataResolutionAndCentresAreModelFrequencies) {
    EXPECT_EQ(Labels(BandChoices(12)).front(), "1/12 Oct. Band");
    EXPECT_EQ(BandChoices(12).size(), 6u);
    EXPECT_EQ(BandChoices(1).size(), 3u);
    EXPECT_TRUE(BandChoices(0.1).empty());
    for (const CBandChoice& band : AllBandChoices())
        EXPECT_EQ(BandLabel(band.value), band.label);
    EXPECT_EQ(BandLabel(5), "");

    // A band as fine as the data holds one frequency, its centre: the data must hold every
    // centre bit for bit.
    for (double pitch : {24.0, 3.0, 1.0}) {
        CSpeakerDataHeader header;
        header.pointsPerOctave = pitch;
        ASSERT_TRUE(BuildFrequencyList(20, 20000, pitch, 1000, header.frequencyList));
        header.frequencyCount = static_cast<std::uint16_t>(header.frequencyList.size());
        const auto centres = FrequencyChoices(pitch);
        ASSERT_EQ(centres.size(), header.frequencyList.size());
        for (const CFrequencyChoice& c : centres)
            EXPECT_GE(header.FindFrequencyIndex(c.value), 0) << pitch << " " << c.label;
    }
    EXPECT_EQ(FrequencyChoices(24).size(), 240u);
    EXPECT_EQ(FrequencyChoices(24)[3].label, "22.4[Hz]"); // three digits below 1/6 octave
    EXPECT_EQ(FrequencyChoices(6)[1].label, "25[Hz]");    // two from 1/6 octave up
}

TEST(BandChoice, SnappingTakesTheNearestCentreInHertzAndSaysHowFarItMoved) {
    struct Case {
        double band, request, centre;
        bool far;
    };
    const double third = std::pow(10.0, 0.1); // one third-octave step
    for (const Case& c : {
             Case{3, 1000, 1000, false},
             Case{0.25, 1000, ModelFrequency(2, 0.25), true}, // 251 Hz: on the band's edge
             Case{1, 1400, 1000, false},                      // 0.49 bands
             Case{1, 1450, 1000, true},                       // 0.54 bands
             Case{3, 891, 1000 / third, false},               // nearer 794 than 1000 in Hz
             Case{3, 895, 1000 / third, true},
             Case{0.25, 20000, ModelFrequency(3, 0.25), true}, // 3981 Hz
             Case{3, 5, ModelFrequency(14, 3), true},          // the first centre from 20 Hz
         }) {
        SCOPED_TRACE(std::to_string(c.band) + " bands per octave, " + std::to_string(c.request));
        const CSnappedCentre s = SnapToBandCentre(c.band, c.request);
        EXPECT_NEAR(s.frequency, c.centre, 1e-9 * c.centre);
        EXPECT_EQ(s.MovedFar(), c.far);
        const auto centres = FrequencyChoices(c.band);
        ASSERT_GE(s.entry, 0);
        EXPECT_EQ(centres[static_cast<std::size_t>(s.entry)].value, s.frequency);
    }
    // 1000 Hz is the geometric middle of 251 and 3981 Hz: half a band from either.
    EXPECT_NEAR(SnapToBandCentre(0.25, 1000).bandsMoved, 0.5, 1e-12);
    EXPECT_NEAR(SnapToBandCentre(1, 1400).bandsMoved, std::log10(1.4) / 0.3, 1e-12);
    // Exactly between two centres in Hz: the lower one.
    int ties = 0;
    for (int k = 14; k < 40; ++k) {
        const double low = ModelFrequency(k, 3), high = ModelFrequency(k + 1, 3);
        const double middle = low + (high - low) / 2;
        if (middle - low != high - middle)
            continue; // not representable as an exact tie
        ++ties;
        EXPECT_EQ(SnapToBandCentre(3, middle).frequency, low) << k;
    }
    EXPECT_GT(ties, 0);
    // Past 20 kHz the first centre above it may win; it has no entry in the list.
    const CSnappedCentre above = SnapToBandCentre(1, 30000);
    EXPECT_EQ(above.frequency, ModelFrequency(15, 1));
    EXPECT_EQ(above.entry, -1);
}

TEST(BandChoice, WidthsFromDamagedFilesHaveNoGridInsteadOfAnEndlessOne) {
    for (double band : {0.0, -3.0, std::nan(""), HUGE_VAL, 1e12}) {
        EXPECT_FALSE(SnapToBandCentre(band, 1000).Valid()) << band;
        EXPECT_TRUE(FrequencyChoices(band).empty()) << band;
    }
    EXPECT_FALSE(SnapToBandCentre(3, std::nan("")).Valid());
}

TEST(BandChoice, ARequestAgreesWithTheViewsListsAndChangesNothingWhenRefused) {
    LoadedDoc a(3), b(3);
    CColorMapViewModel view(b.doc);
    view.OnInitialUpdate();
    // The view's entries are the core's choices.
    EXPECT_EQ(view.BandCombo().items, Labels(BandChoices(3)));
    EXPECT_EQ(view.FrequencyCombo().items, Labels(FrequencyChoices(3)));
    EXPECT_EQ(view.FrequencyChoiceList(), FrequencyChoices(3));

    for (double band : {3.0, 1.0, 0.5, 0.25}) {
        for (double request : {1000.0, 1300.0, 60.0, 19000.0}) {
            SCOPED_TRACE(std::to_string(band) + " " + std::to_string(request));
            const CBandOutcome outcome = ApplyBandRequest(a.doc, 0, {band, request, kModeEnergy, {}});
            ASSERT_EQ(outcome.status, EBandChoiceStatus::Done);
            // The window's lists, given the same band and frequency.
            Build(b.doc).Conditions().At(view.ConditionIndex())->band = band;
            Build(b.doc).Conditions().At(view.ConditionIndex())->centreFrequency = request;
            view.SyncConditionControls(CColorMapViewModel::EListSync::Fill);
            EXPECT_EQ(a.Condition().band, b.Condition().band);
            EXPECT_EQ(a.Condition().centreFrequency, b.Condition().centreFrequency);
            EXPECT_EQ(outcome.centre.entry, view.FrequencyCombo().selection);
        }
    }

    const CColorMapCondition before = a.Condition();
    for (const CBandRequest& bad :
         {CBandRequest{24.0, {}, {}, {}}, CBandRequest{7.0, {}, {}, {}}, CBandRequest{{}, -5.0, {}, {}},
          CBandRequest{{}, std::nan(""), {}, {}}}) {
        const CBandOutcome outcome = ApplyBandRequest(a.doc, 0, bad);
        EXPECT_NE(outcome.status, EBandChoiceStatus::Done);
        EXPECT_EQ(a.Condition().band, before.band);
        EXPECT_EQ(a.Condition().centreFrequency, before.centreFrequency);
    }
    EXPECT_EQ(ApplyBandRequest(a.doc, 1, {}).status, EBandChoiceStatus::NoCondition);
}

TEST(BandChoice, AChangedBandOrCentreClearsEveryMapAndAModeAloneDoesNot) {
    LoadedDoc f(3);
    ASSERT_EQ(ApplyBandRequest(f.doc, 0, {3.0, 1000.0, {}, {}}).status, EBandChoiceStatus::Done);
    auto mark = [&] {
        for (CPlaceElement& p : f.Condition().plane.points)
            p.level = 80.0;
        f.Condition().plane.maximumLevel = 80.0;
    };
    mark();
    CBandOutcome outcome = ApplyBandRequest(f.doc, 0, {{}, {}, kModeInterference, {}});
    EXPECT_FALSE(outcome.changed);
    EXPECT_EQ(f.Condition().mode, kModeInterference);
    EXPECT_EQ(f.Condition().plane.maximumLevel, 80.0);
    outcome = ApplyBandRequest(f.doc, 0, {3.0, 1010.0, {}, {}}); // snaps back onto 1000
    EXPECT_FALSE(outcome.changed);
    EXPECT_EQ(f.Condition().plane.points.front().level, 80.0);

    outcome = ApplyBandRequest(f.doc, 0, {{}, 2000.0, {}, {}});
    EXPECT_TRUE(outcome.changed);
    EXPECT_EQ(outcome.requested, 2000.0);
    EXPECT_EQ(f.Condition().plane.maximumLevel, 0.0);
    EXPECT_EQ(f.Condition().plane.points.front().level, 0.0);
    mark();
    outcome = ApplyBandRequest(f.doc, 0, {1.0, {}, {}, {}}); // the stored centre on the octave grid
    EXPECT_TRUE(outcome.changed);
    EXPECT_EQ(f.Condition().band, 1.0);
    EXPECT_EQ(f.Condition().centreFrequency, ModelFrequency(11, 1)); // 1995 Hz
    EXPECT_EQ(f.Condition().plane.points.front().level, 0.0);
}

TEST(BandChoice, CoverageComparesTheBandsDataFrequenciesWithTheMeasuredRange) {
    // Data from 100 Hz to 10 kHz on a third-octave grid.
    EXPECT_EQ(BandCoverage(3, 100, 3, 100, 10000), EBandCoverage::Inside);
    EXPECT_EQ(BandCoverage(3, ModelFrequency(19, 3), 3, 100, 10000), EBandCoverage::Outside);
    EXPECT_EQ(BandCoverage(1, 100, 3, 100, 10000), EBandCoverage::Partly); // 79 Hz is outside
    EXPECT_EQ(BandCoverage(1, 1000, 3, 100, 10000), EBandCoverage::Inside);
    EXPECT_EQ(BandCoverage(1, 10000, 3, 100, 10000), EBandCoverage::Partly);
    EXPECT_EQ(BandCoverage(0.25, 20000, 3, 100, 10000), EBandCoverage::Partly);
}

TEST(BandChoice, CoverageOfAScenePutsEveryInstallationAgainstItsOwnModel) {
    CDocFixture f;
    CVsaGenOptions narrow = DirectionalSpeaker(1, 3);
    narrow.lowestFrequency = 500;
    f.AddModel(DirectionalSpeaker(1, 3)); // 100 Hz to 10 kHz
    ASSERT_EQ(f.Install(2, 2), 0);
    const CAcousticScene scene = f.doc.Scene();
    EXPECT_EQ(BandCoverage(scene, 3, 200), EBandCoverage::Inside);
    f.AddModel(narrow);
    ASSERT_EQ(f.Install(3, 3), 0);
    EXPECT_EQ(BandCoverage(f.doc.Scene(), 3, 200), EBandCoverage::Partly); // one has data there
    EXPECT_EQ(BandCoverage(f.doc.Scene(), 3, 1000), EBandCoverage::Inside);
    EXPECT_EQ(BandCoverage(f.doc.Scene(), 3, 50), EBandCoverage::Outside);
    CDocFixture empty;
    EXPECT_EQ(BandCoverage(empty.doc.Scene(), 3, 1000), EBandCoverage::Outside);
}
