#include "acoustics/AutoInstallation.h"
#include "FakePorts.h"
#include "project/ColorMapViewModel.h"
#include "project/CommandTable.h"
#include "project/Strings.h"
#include "project/forms/AutoInstallationForm.h"
#include "speaker/FrequencyList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

using Form = CAutoInstallationForm;

namespace {
CAutoInstallationValues Stored() {
    CAutoInstallationValues v;
    v.angles = {0, 0, 90};
    v.height = 3.5;
    return v;
}
} // namespace

TEST(AutoInstallationForm, OffersTheBandsFromTheSpeakerResolutionDown) {
    Form form(Stored(), 12, 0, 2);
    EXPECT_EQ(form.Title(), "Properties for Auto Installation");
    EXPECT_EQ(form.PatternCombo().items,
              (std::vector<std::string>{"Maximum Overlap", "Minimum Overlap", "Edge-to-Edge",
                                        "1.4 * Edge-to-Edge", "2 * Edge-to-Edge"}));
    EXPECT_EQ(form.PatternCombo().selection, 2);
    EXPECT_EQ(form.BandCombo().items,
              (std::vector<std::string>{"1/12 Oct. Band", "1/6 Oct. Band", "1/3 Oct. Band",
                                        "1 Oct. Band", "2 Oct. Band", "4 Oct. Band"}));
    // Nothing chosen yet: two octaves at 1 kHz, the grid 10^(0.6 k) from 20 Hz on.
    EXPECT_EQ(form.BandCombo().selection, 4);
    EXPECT_EQ(form.FrequencyCombo().items,
              (std::vector<std::string>{"63[Hz]", "250[Hz]", "1000[Hz]", "4000[Hz]", "16000[Hz]"}));
    EXPECT_EQ(form.FrequencyCombo().selection, 2);
    EXPECT_EQ(form.BandEdgeText(), "501[Hz] - 2000[Hz]");
    EXPECT_EQ(form.Field(Form::kHeight).unit, "[m]");
    EXPECT_EQ(form.Field(Form::kAzimuth).unit, "[deg]");
    EXPECT_EQ(Form(Stored(), 12, 1, 2).Field(Form::kHeight).unit, "[ft]");
}

TEST(AutoInstallationForm, FinerBandsListThreeDigitsAndKeepTheNearestCentre) {
    Form form(Stored(), 12, 0, 2);
    form.SelectBand(0);                                         // 1/12 octave
    EXPECT_EQ(form.FrequencyCombo().items.front(), "21.1[Hz]"); // 10^1.325
    EXPECT_EQ(
        form.FrequencyCombo().items[static_cast<std::size_t>(form.FrequencyCombo().selection)],
        "1000[Hz]");
    EXPECT_EQ(form.BandEdgeText(), "972[Hz] - 1030[Hz]");
    form.SelectFrequency(0);
    form.SelectPattern(4);
    form.SelectShape(1);
    form.Field(Form::kAzimuth).text = "-30";
    form.Field(Form::kRotation).text = "5";
    form.Field(Form::kElevation).text = "80";
    form.Field(Form::kHeight).text = "4";
    ASSERT_TRUE(form.Accept());
    const CAutoInstallationValues& r = form.Result();
    EXPECT_EQ(r.band, 12);
    EXPECT_EQ(r.frequency, std::pow(10.0, 0.3 * 53 / 12));
    EXPECT_EQ(r.pattern, 4);
    EXPECT_EQ(r.shape, 1);
    EXPECT_EQ(r.angles, (COrientation{-30, 5, 80}));
    EXPECT_EQ(r.height, 4);
}

TEST(AutoInstallationForm, StoredChoicesArePreselected) {
    CAutoInstallationValues v = Stored();
    v.band = 3;
    v.frequency = 1300;
    v.pattern = 0;
    v.shape = 1;
    Form form(v, 24, 0, 2);
    EXPECT_EQ(form.BandCombo().items.size(), 7u);
    EXPECT_EQ(form.BandCombo().selection, 3);
    EXPECT_EQ(
        form.FrequencyCombo().items[static_cast<std::size_t>(form.FrequencyCombo().selection)],
        "1300[Hz]");
    EXPECT_EQ(form.PatternCombo().selection, 0);
    EXPECT_EQ(form.ShapeCombo().selection, 1);
    // A band the speaker data does not offer falls back to two octaves.
    v.band = 24;
    EXPECT_EQ(Form(v, 3, 0, 2).BandCombo().selection, 2);
}

TEST(AutoInstallationForm, HiddenControlsKeepTheirValuesAndShownOnesAreRangeChecked) {
    CAutoInstallationValues v = Stored();
    v.angles = {0, 0, 90};
    Form plain(v, 3, 0, 0);
    for (auto e : {Form::kAzimuth, Form::kElevation, Form::kRotation, Form::kHeight})
        EXPECT_FALSE(plain.Field(e).visible);
    EXPECT_FALSE(plain.JudgmentVisible());
    plain.Field(Form::kHeight).text = "not shown";
    ASSERT_TRUE(plain.Accept());
    EXPECT_EQ(plain.Result().height, 3.5);
    EXPECT_EQ(plain.Result().band, 0.5);
    EXPECT_EQ(plain.Result().frequency, 1000);

    Form advanced(v, 3, 0, 2);
    EXPECT_TRUE(advanced.JudgmentVisible());
    EXPECT_TRUE(advanced.Field(Form::kAzimuth).visible);
    std::string message;
    advanced.Field(Form::kRotation).text = "181";
    advanced.Field(Form::kHeight).text = "x";
    EXPECT_FALSE(advanced.Accept(&message));
    EXPECT_EQ(message, "Rotation(Right+): enter a number between -180 and 180.");
    advanced.Field(Form::kRotation).text = "-180";
    EXPECT_FALSE(advanced.Accept(&message));
    EXPECT_EQ(message, "Z: enter a number.");
    advanced.Field(Form::kHeight).text = "10001";
    EXPECT_FALSE(advanced.Accept(&message));
    EXPECT_EQ(message, "Z: enter a number between -10000 and 10000.");
}

namespace {
// A 20 x 15 x 3.5 m room with a wall speaker installed and a ceiling speaker current.
struct AutoDoc : CDocFixture {
    std::unique_ptr<CColorMapViewModel> view;
    int ceiling = 0;

    explicit AutoDoc(int advanced = 0, int pitch = 3, double planeSize = 20) {
        EditSettings(doc)->advancedMode = advanced;
        EditSettings(doc)->manualRecalc = 1; // the layout is what is tested, not the map
        AddModel(DirectionalSpeaker(0, pitch));
        ceiling = AddModel(DirectionalSpeaker(1, pitch));
        Build(doc).Room().roomLength = 20;
        Build(doc).Room().roomWidth = 15;
        Build(doc).Room().roomHeight = 3.5;
        EditSettings(doc)->loadedFromFile = 1;
        CColorMapCondition c;
        c.plane.Build(0, 0, 1.2, planeSize, planeSize * 0.75, 0, 1.0, 100, 2);
        Build(doc).Conditions().Append(c);
        view = std::make_unique<CColorMapViewModel>(doc);
        view->OnInitialUpdate();
        Build(doc).Models().SetCurrentIndex(0);
        Install(5, 5);
        Build(doc).Models().SetCurrentIndex(ceiling);
        doc.SetModified(false);
    }
    const CSpeakerModel& Ceiling() const { return doc.Models().At(ceiling); }
};

std::vector<CInstallationElement> Installed(const CDAXDoc& doc) {
    return {doc.Room().List().begin(), doc.Room().List().end()};
}
} // namespace

TEST(AutoInstallationCommand, LaysTheCurrentModelOutOnACentredGrid) {
    AutoDoc f;
    EditSettings(f.doc)->installState = 0; // as if a model of another resolution had been selected
    f.dialogs.autoInstallation = [](Form& form) {
        form.SelectPattern(0); // "Maximum Overlap": several rows and columns in this room
        return true;
    };
    ASSERT_TRUE(f.doc.IsCommandEnabled(kCmdAutoInstall));
    ASSERT_TRUE(f.doc.OnCommand(kCmdAutoInstall));
    EXPECT_EQ(f.dialogs.autoInstallationRuns, 1);
    EXPECT_TRUE(f.messages.errors.empty());
    ASSERT_EQ(f.doc.Settings().autoLayoutValid, 1);
    // Without advanced mode: straight down from the ceiling, judged over two octaves at 1 kHz.
    EXPECT_EQ(f.doc.Settings().installAngles, (COrientation{0, 0, 90}));
    EXPECT_EQ(f.doc.Settings().installHeight, 3.5);
    EXPECT_EQ(f.doc.Settings().autoJudgeBand, 0.5);
    EXPECT_EQ(f.doc.Settings().autoJudgeFrequency, 1000);
    EXPECT_EQ(f.doc.Settings().autoLayoutPattern, 0);

    const std::vector<CInstallationElement> all = Installed(f.doc);
    ASSERT_GT(all.size(), 1u);
    const double power = f.Ceiling().Tap(f.Ceiling().DefaultTap()).tapPower;
    for (const CInstallationElement& inst : all) {
        EXPECT_EQ(inst.modelIndex, f.ceiling); // the wall speaker is gone
        EXPECT_EQ(inst.tapIndex, f.Ceiling().DefaultTap());
        EXPECT_EQ(inst.power, power);
        EXPECT_EQ(inst.position.z, 3.5);
        EXPECT_EQ(inst.orientation, (COrientation{0, 0, 90}));
    }
    EXPECT_EQ(f.doc.Room().CurrentIndex(), static_cast<int>(all.size()) - 1);
    EXPECT_DOUBLE_EQ(f.doc.Room().TotalPower(), power * static_cast<double>(all.size()));
    // The grid: its pitches and offsets as stored, centred in the room.
    const CVec3 first = all.front().position, last = all.back().position;
    EXPECT_DOUBLE_EQ(f.doc.Settings().autoLeftOffset, first.x);
    EXPECT_DOUBLE_EQ(f.doc.Settings().autoBottomOffset, first.y);
    EXPECT_NEAR(20 - last.x, first.x, 1e-9);
    EXPECT_NEAR(15 - last.y, first.y, 1e-9);
    EXPECT_NEAR(all[1].position.x - first.x, f.doc.Settings().autoColumnPitch, 1e-9);
    const auto nextRow = std::find_if(all.begin(), all.end(), [&](const CInstallationElement& e) {
        return e.position.y > first.y + 1e-9;
    });
    ASSERT_NE(nextRow, all.end());
    EXPECT_NEAR(nextRow->position.y - first.y, f.doc.Settings().autoRowPitch, 1e-9);
    EXPECT_EQ(f.doc.Settings().installState, 2); // every speaker is now of the current model
    EXPECT_TRUE(f.doc.IsModified());

    // A second run replaces the first run's speakers.
    ASSERT_TRUE(f.doc.OnCommand(kCmdAutoInstall));
    EXPECT_EQ(Installed(f.doc), all);
}

TEST(AutoInstallationCommand, TheWalkGoesOnPastThePlanesEdge) {
    AutoDoc large(0, 3, 20), small(0, 3, 1);
    ASSERT_TRUE(large.doc.OnCommand(kCmdAutoInstall));
    ASSERT_TRUE(small.doc.OnCommand(kCmdAutoInstall));
    ASSERT_EQ(small.doc.Settings().autoLayoutValid, 1);
    EXPECT_GT(small.doc.Settings().autoColumnPitch, 1.0); // wider than the 1 x 0.75 plane
    EXPECT_EQ(small.doc.Settings().autoColumnPitch, large.doc.Settings().autoColumnPitch);
    EXPECT_EQ(small.doc.Settings().autoRowPitch, large.doc.Settings().autoRowPitch);
}

TEST(AutoInstallationCommand, WorksForEveryResolutionASpeakerCanHave) {
    // At one point per octave the judgment band must still hold data frequencies.
    for (int pitch : {24, 12, 6, 3, 1}) {
        AutoDoc f(0, pitch);
        ASSERT_TRUE(f.doc.OnCommand(kCmdAutoInstall));
        EXPECT_TRUE(f.messages.errors.empty()) << pitch;
        EXPECT_EQ(f.doc.Settings().autoLayoutValid, 1) << pitch;
        EXPECT_GT(f.doc.Settings().autoColumnPitch, 0.5) << pitch;
    }
}

TEST(AutoInstallationCommand, CancelLeavesTheProjectAsItWas) {
    AutoDoc f;
    EditSettings(f.doc)->autoLayoutValid = 1;
    EditSettings(f.doc)->autoColumnPitch = 4;
    const auto before = Installed(f.doc);
    f.dialogs.autoInstallation = [](Form& form) {
        form.SelectPattern(0);
        return false;
    };
    ASSERT_TRUE(f.doc.OnCommand(kCmdAutoInstall));
    EXPECT_EQ(Installed(f.doc), before);
    EXPECT_EQ(f.doc.Settings().autoLayoutValid, 1);
    EXPECT_EQ(f.doc.Settings().autoColumnPitch, 4);
    EXPECT_EQ(f.doc.Settings().autoLayoutPattern, 2);
    EXPECT_EQ(f.doc.Settings().installHeight, kUnsetSentinel);
    EXPECT_EQ(f.doc.Settings().installAngles.elevation, kUnsetSentinel);
    EXPECT_TRUE(f.doc.IsModified()); // the command marks the project in every case
}

TEST(AutoInstallationCommand, APlaneAtCeilingHeightIsRefusedBeforeTheDialog) {
    AutoDoc f;
    Build(f.doc).Room().roomHeight = 1.2;
    const auto before = Installed(f.doc);
    ASSERT_TRUE(f.doc.OnCommand(kCmdAutoInstall));
    EXPECT_EQ(f.messages.informed, (std::vector<std::string>{Strings::kPlaneAtCeiling}));
    EXPECT_EQ(f.dialogs.autoInstallationRuns, 0);
    EXPECT_EQ(Installed(f.doc), before);
    EXPECT_TRUE(f.doc.IsModified());
}

// The height the speakers hang at lies above the plane and at most at the ceiling; the dialog
// refuses any other and stays open, the project unchanged. Hidden, the height is not held to it.
TEST(AutoInstallationCommand, AnInstallationHeightOutsideTheRoomIsRefusedNamingTheRow) {
    AutoDoc f(2);
    const auto before = Installed(f.doc);
    std::vector<std::string> refusals;
    f.dialogs.autoInstallation = [&](Form& form) {
        for (const char* height : {"1.2", "0.5", "3.6"}) {
            form.Field(Form::kHeight).text = height;
            std::string message;
            EXPECT_FALSE(form.Accept(&message)) << height;
            refusals.push_back(message);
        }
        form.Field(Form::kHeight).text = "3.5";
        return true;
    };
    ASSERT_TRUE(f.doc.OnCommand(kCmdAutoInstall));
    EXPECT_EQ(refusals.front(), "Z must lie above the calculation plane (1.2 m) and at most at the "
                                "ceiling (3.5 m); 1.2 was given");
    EXPECT_NE(refusals[1].find("; 0.5 was given"), std::string::npos) << refusals[1];
    EXPECT_NE(refusals[2].find("; 3.6 was given"), std::string::npos) << refusals[2];
    EXPECT_EQ(f.doc.Settings().autoLayoutValid, 1);
    EXPECT_NE(Installed(f.doc), before);
    for (const CInstallationElement& e : f.doc.Room().List())
        EXPECT_EQ(e.position.z, 3.5);

    AutoDoc plain(0);
    EditSettings(plain.doc)->installHeight = 4; // above the ceiling, as an old project may hold it
    plain.dialogs.autoInstallation = [](Form& form) {
        EXPECT_FALSE(form.Field(Form::kHeight).visible);
        return true;
    };
    ASSERT_TRUE(plain.doc.OnCommand(kCmdAutoInstall));
    EXPECT_EQ(plain.doc.Settings().autoLayoutValid, 1);
    EXPECT_EQ(plain.doc.Room().At(0)->position.z, 4.0);
}

TEST(AutoInstallationCommand, AHexagonalGridOfATiltedAimAsksFirst) {
    AutoDoc f(2);
    const auto before = Installed(f.doc);
    f.dialogs.autoInstallation = [](Form& form) {
        form.SelectShape(kShapeHexagonal);
        form.Field(Form::kAzimuth).text = "10";
        return true;
    };
    f.messages.answers = {false};
    ASSERT_TRUE(f.doc.OnCommand(kCmdAutoInstall));
    EXPECT_EQ(f.messages.asked, (std::vector<std::string>{Strings::kHexagonalDoubtful}));
    EXPECT_EQ(Installed(f.doc), before);
    // The dialog's values are remembered; the grid is not there.
    EXPECT_EQ(f.doc.Settings().autoLayoutShape, kShapeHexagonal);
    EXPECT_EQ(f.doc.Settings().installAngles, (COrientation{10, 0, 90}));
    EXPECT_EQ(f.doc.Settings().autoLayoutValid, 0);

    f.messages.answers = {true};
    ASSERT_TRUE(f.doc.OnCommand(kCmdAutoInstall));
    EXPECT_EQ(f.doc.Settings().autoLayoutValid, 1);
    EXPECT_NE(Installed(f.doc), before);

    // Straight down needs no question.
    f.messages.asked.clear();
    f.dialogs.autoInstallation = [](Form& form) {
        form.SelectShape(kShapeHexagonal);
        return true;
    };
    EditSettings(f.doc)->installAngles = {kUnsetSentinel, kUnsetSentinel, kUnsetSentinel};
    ASSERT_TRUE(f.doc.OnCommand(kCmdAutoInstall));
    EXPECT_TRUE(f.messages.asked.empty());
    EXPECT_EQ(f.doc.Settings().autoLayoutValid, 1);
    // Hexagonal: the column pitch reported is half the pitch within a row.
    const auto all = Installed(f.doc);
    EXPECT_NEAR(all[1].position.x - all[0].position.x, 2 * f.doc.Settings().autoColumnPitch, 1e-9);
}

TEST(AutoInstallationCommand, AFailedLevelEndsWithAMessageAndTheOldInstallations) {
    AutoDoc f;
    EditSettings(f.doc)->autoLayoutValid = 1;
    const auto before = Installed(f.doc);
    CSpeakerDataHeader& header = f.doc.Models().At(f.ceiling).Header();
    const int k = header.FindFrequencyIndex(ModelFrequency(30, 3)); // 1 kHz
    ASSERT_GE(k, 0);
    header.frequencyList[static_cast<std::size_t>(k)] *= 1.0 + 1e-9;
    ASSERT_TRUE(f.doc.OnCommand(kCmdAutoInstall));
    EXPECT_EQ(f.messages.errors, (std::vector<std::string>{Strings::kAutoLevelFailed}));
    EXPECT_EQ(Installed(f.doc), before);
    EXPECT_EQ(f.doc.Settings().autoLayoutValid, 0);
}

TEST(AutoInstallationCommand, WithoutACalculationPlaneOnlyTheTestSpeakerIsInstalled) {
    CDocFixture f;
    f.AddModel(DirectionalSpeaker(1, 3));
    Build(f.doc).Room().roomZeroX = -1;
    ASSERT_TRUE(f.doc.OnCommand(kCmdAutoInstall));
    ASSERT_EQ(f.doc.Room().Count(), 1);
    EXPECT_EQ(f.doc.Room().At(0)->position, (CVec3{-1, 0, f.doc.Room().roomHeight}));
    EXPECT_EQ(f.doc.Settings().autoLayoutValid, 0);
}

TEST(AutoInstallationForm, EveryListEntryCarriesTheValueItStandsFor) {
    Form form(Stored(), 12, 0, 2);
    for (const CComboModel* combo :
         {&form.PatternCombo(), &form.ShapeCombo(), &form.BandCombo(), &form.FrequencyCombo()})
        EXPECT_EQ(combo->values.size(), combo->items.size());
    // Chosen by value, as a front end without the texts chooses.
    const int quarter = form.BandCombo().IndexOf(0.25);
    ASSERT_GE(quarter, 0);
    EXPECT_EQ(form.BandCombo().Choice(quarter).label, "4 Oct. Band");
    form.SelectBand(quarter);
    for (int i = 0; i < form.FrequencyCombo().Count(); ++i) {
        form.SelectFrequency(i);
        ASSERT_TRUE(form.Accept());
        EXPECT_EQ(form.BandCombo().SelectedValue(), form.Result().band);
        EXPECT_EQ(form.FrequencyCombo().SelectedValue(), form.Result().frequency) << i;
    }
    form.SelectShape(form.ShapeCombo().IndexOf(kShapeHexagonal));
    form.SelectPattern(form.PatternCombo().IndexOf(4));
    ASSERT_TRUE(form.Accept());
    EXPECT_EQ(form.Result().shape, kShapeHexagonal);
    EXPECT_EQ(form.Result().pattern, 4);

    EXPECT_EQ(form.ShapeCombo().IndexOf(7), -1);
    EXPECT_THROW(form.ShapeCombo().Choice(2), CInvalidArgument);
    EXPECT_EQ(CComboModel{}.SelectedValue(), std::nullopt);
}

// A front end without the lists chooses by value and lands where the colour map's lists would.
TEST(AutoInstallationForm, ChoosingByValueSnapsAsTheColourMapDoes) {
    Form form(Stored(), 24, 0, 2);
    const int band = form.BandCombo().selection;
    const int centre = form.FrequencyCombo().selection;
    EXPECT_FALSE(form.ChooseBand(5));                     // no band width
    EXPECT_FALSE(Form(Stored(), 3, 0, 2).ChooseBand(12)); // finer than the data
    EXPECT_EQ(form.BandCombo().selection, band);
    EXPECT_EQ(form.FrequencyCombo().selection, centre);

    ASSERT_TRUE(form.ChooseBand(3));
    EXPECT_EQ(form.BandCombo().selection, form.BandCombo().IndexOf(3));
    for (double request : {1430.0, 20.0, 1000.0, 19000.0, 21500.0, 1e6}) {
        form.ChooseFrequency(request);
        const CSnappedCentre snapped = SnapToBandCentre(3, request);
        const int expected = snapped.entry >= 0 ? snapped.entry : form.FrequencyCombo().Count() - 1;
        EXPECT_EQ(form.FrequencyCombo().selection, expected) << request;
    }
    // 1430 Hz is nearer the label "1300[Hz]" than "1600[Hz]", but nearer 1585 Hz than 1259 Hz.
    form.ChooseFrequency(1430);
    const int chosen = form.FrequencyCombo().selection;
    EXPECT_EQ(form.FrequencyCombo().items[static_cast<std::size_t>(chosen)], "1600[Hz]");
    for (double nonsense : {0.0, -5.0, std::nan("")})
        form.ChooseFrequency(nonsense);
    EXPECT_EQ(form.FrequencyCombo().selection, chosen);
    ASSERT_TRUE(form.Accept());
    EXPECT_EQ(form.Result().band, 3);
    EXPECT_EQ(form.Result().frequency, SnapToBandCentre(3, 1430).frequency);
}
