#include "FakePorts.h"
#include "project/ColorMapViewModel.h"
#include "project/SoundGraphViewModel.h"

#include <gtest/gtest.h>

namespace {
struct LoadedDoc : CDocFixture {
    explicit LoadedDoc(int pitch = 3) {
        AddModel(DirectionalSpeaker(1, pitch));
        EditSettings(doc)->loadedFromFile = 1;
        CColorMapCondition c;
        c.plane.Build(0, 0, 1, 4, 4, 0, 0.5, 100, 2);
        Build(doc).Conditions().Append(c);
    }
};
} // namespace

TEST(ColorMapViewModel, BandListFollowsTheModelResolution) {
    LoadedDoc f(3);
    CColorMapViewModel view(f.doc);
    view.OnInitialUpdate();
    Build(f.doc).Conditions().At(view.ConditionIndex())->band = 24;
    view.SyncConditionControls(CColorMapViewModel::EListSync::Fill);
    EXPECT_EQ(view.BandCombo().items, (std::vector<std::string>{"1/3 Oct. Band", "1 Oct. Band",
                                                                "2 Oct. Band", "4 Oct. Band"}));
    EXPECT_EQ(view.BandCombo().selection, -1); // band 24 is not offered at 3 per octave

    view.ResetSpeakerDependentDisplay();
    EXPECT_EQ(view.Condition()->band, 3.0);
    EXPECT_EQ(view.BandCombo().selection, 0);
    EXPECT_EQ(view.ModeCombo().items, (std::vector<std::string>{"Interference", "Energy"}));
    EXPECT_EQ(view.ModeCombo().selection, 1);
}

TEST(ColorMapViewModel, ThirdOctaveFrequencyLabels) {
    LoadedDoc f(3);
    CColorMapViewModel view(f.doc);
    view.OnInitialUpdate();
    view.ResetSpeakerDependentDisplay();
    const std::vector<std::string> expected = {
        "25",   "32",   "40",   "50",   "63",   "79",   "100",   "130",   "160",   "200",
        "250",  "320",  "400",  "500",  "630",  "790",  "1000",  "1300",  "1600",  "2000",
        "2500", "3200", "4000", "5000", "6300", "7900", "10000", "13000", "16000", "20000"};
    ASSERT_EQ(view.FrequencyCombo().items.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(view.FrequencyCombo().items[i], expected[i] + "[Hz]");
    EXPECT_EQ(view.Condition()->centreFrequency, 1000.0);
    EXPECT_EQ(view.FrequencyCombo().selection, 16);
}

TEST(ColorMapViewModel, SwitchingBandsKeepsTheNearestCentre) {
    LoadedDoc f(3);
    CColorMapViewModel view(f.doc);
    view.OnInitialUpdate();
    view.ResetSpeakerDependentDisplay();
    view.OnBandSelected(1); // 1 octave
    EXPECT_EQ(view.Condition()->band, 1.0);
    EXPECT_EQ(view.Condition()->centreFrequency, 1000.0);
    view.OnBandSelected(0);
    view.OnFrequencySelected(17); // 1300, exactly 1258.9 Hz
    EXPECT_NEAR(view.Condition()->centreFrequency, 1258.9254, 1e-4);
    view.OnBandSelected(1);
    EXPECT_EQ(view.Condition()->centreFrequency, 1000.0);
    view.OnModeSelected(0);
    EXPECT_EQ(view.Condition()->mode, kModeInterference);
}

TEST(ColorMapViewModel, ANewProjectViewAppendsAConditionAndTheSecondDuplicatesIt) {
    CDocFixture f;
    f.AddModel(DirectionalSpeaker(1));
    CColorMapViewModel first(f.doc);
    first.OnInitialUpdate();
    ASSERT_EQ(f.doc.Conditions().Count(), 1);
    const CListeningPlane& plane = first.Condition()->plane;
    EXPECT_EQ(plane.pointCount, 1600);
    EXPECT_EQ(plane.originZ, 1.5);
    EXPECT_EQ(first.Condition()->viewAngles, (std::array<double, 3>{45, 75, 0}));
    EXPECT_EQ(first.Condition()->mode, kModeEnergy);

    CColorMapViewModel second(f.doc);
    second.OnInitialUpdate();
    EXPECT_EQ(second.ConditionIndex(), 1);
    EXPECT_EQ(f.doc.Conditions().Count(), 2);
    first.Close();
    EXPECT_EQ(second.ConditionIndex(), 0);
    EXPECT_EQ(f.doc.Conditions().Count(), 1);
}

TEST(ColorMapViewModel, AnImperialProjectStartsWithAPlaneInFeet) {
    CDocFixture f(1);
    CColorMapViewModel view(f.doc);
    view.OnInitialUpdate();
    EXPECT_EQ(view.Condition()->plane.extentX, 30.0);
    EXPECT_EQ(view.Condition()->plane.dotPitch, 0.5);
    EXPECT_EQ(view.Condition()->plane.originZ, 5.0);
}

TEST(ColorMapViewModel, ProjectionPresetsAndTheMinimumScrollWidth) {
    LoadedDoc f;
    CColorMapViewModel view(f.doc);
    view.OnInitialUpdate();
    view.SetViewDirection(0, 0, 0);
    double u = 0, w = 0;
    view.Project({1, 2, 3}, u, w);
    EXPECT_NEAR(u, 1, 1e-12);
    EXPECT_NEAR(w, 2, 1e-12);
    view.SetViewDirection(90, 90, 0);
    view.Project({1, 2, 3}, u, w);
    EXPECT_NEAR(u, 2, 1e-12);
    EXPECT_NEAR(w, 3, 1e-12);

    view.SetClientSize(3000, 2000);
    view.Fit();
    const double scale = view.Condition()->scale;
    view.ZoomIn();
    view.ZoomOut();
    EXPECT_NEAR(view.Condition()->scale, scale, 1e-12 * scale);
    Build(f.doc).Room().roomLength = 0.1; // a tiny room still scrolls 470 pixels wide plus margins
    Build(f.doc).Room().roomWidth = 0.1;
    CColorMapCondition& condition = *Build(f.doc).Conditions().At(view.ConditionIndex());
    condition.plane.Build(0, 0, 1, 0.1, 0.1, 0, 0.05, 100, 2);
    condition.scale = 0.001;
    view.ProjectView(false);
    EXPECT_EQ(view.Condition()->scrollSize[0], 470 + 110 + 40);
}

TEST(SoundGraphViewModel, EntriesFollowTheirViews) {
    CDocFixture f;
    CSoundGraphViewModel a(f.doc), b(f.doc), c(f.doc);
    a.OnInitialUpdate();
    const CSoundGraphCondition& entry = *a.Entry();
    EXPECT_EQ(entry.data.frequencyAxisType, 1);
    EXPECT_EQ(entry.data.levelAxisType, 0);
    EXPECT_EQ(entry.data.frequencyMin, 20.0);
    EXPECT_EQ(entry.data.levelMax, 120.0);
    EXPECT_EQ(entry.left, 30);
    EXPECT_EQ(entry.bottom, 36);
    ASSERT_EQ(entry.data.CurveCount(), 1);
    EXPECT_EQ(entry.data.Curve(0)->PointCount(), 1);

    auto entryOf = [&](const CSoundGraphViewModel& v) -> CSoundGraphCondition& {
        return *Build(f.doc).Graphs().At(v.EntryIndex());
    };
    entryOf(a).left = 77;
    b.OnInitialUpdate(); // copies the current entry
    EXPECT_EQ(b.Entry()->left, 77);
    Build(f.doc).Graphs().currentIndex = 9;
    c.OnInitialUpdate(); // beyond the last: copies the last
    EXPECT_EQ(c.Entry()->left, 77);
    entryOf(c).top = 5;
    b.Close();
    EXPECT_EQ(f.doc.Graphs().Count(), 2);
    EXPECT_EQ(c.EntryIndex(), 1);
    EXPECT_EQ(c.Entry()->top, 5);

    const double fr[] = {1, 2};
    entryOf(a).data.SetCurve(1, 2, fr, fr);
    EXPECT_EQ(a.Entry()->data.Curve(0)->PointCount(), 1);
}

TEST(ColorMapViewModel, HoveringFillsEveryResponseEntryAndAnEmptyRoomClearsThem) {
    LoadedDoc f;
    CColorMapViewModel view(f.doc);
    CSoundGraphViewModel g1(f.doc), g2(f.doc);
    view.OnInitialUpdate();
    g1.OnInitialUpdate();
    g2.OnInitialUpdate();
    view.ResetSpeakerDependentDisplay();
    f.Install(2, 2);
    ASSERT_TRUE(view.PointSpectrum({2, 2, 1}));
    EXPECT_EQ(g1.Entry()->data.Curve(0)->PointCount(), 30);
    EXPECT_EQ(g1.Entry()->data.curves, g2.Entry()->data.curves);
    ASSERT_TRUE(f.doc.RemoveInstallations(true).IsDone());
    EXPECT_EQ(g1.Entry()->data.Curve(0)->PointCount(), 1);
}

TEST(ColorMapViewModel, AMetricProjectStartsWithAMetricPlaneUnderItsCeiling) {
    CDocFixture f(0);
    f.dialogs.roomParameters = [](CRoomParametersForm&) { return ERoomParametersAnswer::Cancel; };
    CDAXDoc& doc = f.doc;
    CColorMapViewModel view(doc);
    view.OnInitialUpdate();
    const CListeningPlane& plane = view.Condition()->plane;
    EXPECT_EQ(doc.Settings().lengthUnit, 0);
    EXPECT_EQ(plane.dotPitch, 0.25);
    EXPECT_LT(plane.originZ, doc.Room().roomHeight);
}
