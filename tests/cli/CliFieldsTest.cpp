// What daxara-cli is told is what the project holds afterwards, read back field by field.
#include "CliFixture.h"
#include "SpeakerFixtures.h"
#include "acoustics/MapCalculation.h"
#include "project/BandChoice.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

namespace {
// A ceiling speaker with three line taps of different power; the first is the default.
CVsaGenOptions ThreeTapSpeaker() {
    CVsaGenOptions o = DirectionalSpeaker(1, 3);
    o.lowestFrequency = 20.0;
    o.highestFrequency = 20000.0;
    o.taps = {{false, 100, 3, {}}, {false, 100, 6, {}}, {false, 70, 1.5, {}}};
    return o;
}

class CliFields : public CliFixture {
protected:
    std::string project;

    void SetUp() override {
        project = P("fields.tdax");
        Run("new " + project + " --room 12,9,4");
        Run("import " + project + " " + Write("c.vsa", GenerateVsa(ThreeTapSpeaker())));
    }

    // The project saved with another advanced mode, as the Preferences dialog would leave it.
    void SetAdvancedMode(int mode) const {
        auto doc = Reopen(project);
        doc->SetAdvancedMode(mode);
        std::string error;
        ASSERT_TRUE(ProjectFile::WriteFileAtomically(project, ProjectFile::Write(*doc), error))
            << error;
    }
};

struct Expected {
    CVec3 position;
    COrientation aim; // azimuth, rotation, elevation
    double power;
    bool normal;
    int tap;
};

void ExpectInstallation(const CInstallationElement& e, const nlohmann::json& j, const Expected& x) {
    EXPECT_EQ(e.position, x.position);
    EXPECT_EQ(e.orientation.azimuth, x.aim.azimuth);
    EXPECT_EQ(e.orientation.elevation, x.aim.elevation);
    EXPECT_EQ(e.orientation.rotation, x.aim.rotation);
    EXPECT_EQ(e.power, x.power);
    EXPECT_EQ(e.polarityNormal, x.normal);
    EXPECT_EQ(e.tapIndex, x.tap);
    EXPECT_EQ(e.modelIndex, 0);
    // info --json names the same values.
    EXPECT_EQ(j["position"], nlohmann::json({x.position.x, x.position.y, x.position.z}));
    EXPECT_EQ(j["azimuth"], x.aim.azimuth);
    EXPECT_EQ(j["elevation"], x.aim.elevation);
    EXPECT_EQ(j["rotation"], x.aim.rotation);
    EXPECT_EQ(j["power"], x.power);
    EXPECT_EQ(j["polarity"], x.normal ? "normal" : "reverse");
    EXPECT_EQ(j["tap"], x.tap);
    EXPECT_EQ(j["model"], 0);
}

// The frequency column of spectrum's output, exactly as printed.
std::vector<double> SpectrumFrequencies(const std::string& out) {
    std::istringstream lines(out);
    std::string line;
    std::vector<double> frequencies;
    while (std::getline(lines, line)) {
        double f = 0, level = 0;
        EXPECT_EQ(std::sscanf(line.c_str(), "%lf,%lf", &f, &level), 2) << line;
        frequencies.push_back(f);
    }
    return frequencies;
}
} // namespace

TEST_F(CliFields, InstallStoresPositionAimPowerPolarityAndTap) {
    Run("install " + project + " --at 1,2,3.5");
    Run("install " + project + " --at 2,3,3.25 --aim 10,20,30");
    Run("install " + project + " --at 3,4,3.5 --reverse");
    Run("install " + project + " --at 4,5,3.5 --power 2.5");
    // Taps are numbered from 1, as the tap list shows them.
    Run("install " + project + " --at 5,6,3.5 --tap 2");
    Run("install " + project + " --at 6,7,3.5 --tap 3 --power 0.25 --aim -15,-25,-35 --reverse");

    const std::vector<Expected> expected = {
        {{1, 2, 3.5}, {0, 0, 90}, 3, true, 0},         // the ceiling model's defaults
        {{2, 3, 3.25}, {10, 30, 20}, 3, true, 0},      // --aim is azimuth, elevation, rotation
        {{3, 4, 3.5}, {0, 0, 90}, 3, false, 0},        // --reverse alone
        {{4, 5, 3.5}, {0, 0, 90}, 2.5, true, 0},       // --power alone
        {{5, 6, 3.5}, {0, 0, 90}, 6, true, 1},         // the tap's own power
        {{6, 7, 3.5}, {-15, -35, -25}, 0.25, false, 2} // everything at once
    };
    const auto doc = Reopen(project);
    const nlohmann::json info = Info(project);
    ASSERT_EQ(doc->Room().Count(), static_cast<int>(expected.size()));
    ASSERT_EQ(info["installations"].size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("installation " + std::to_string(i));
        ExpectInstallation(*doc->Room().At(static_cast<int>(i)), info["installations"][i],
                           expected[i]);
    }
    EXPECT_EQ(doc->Room().CurrentIndex(), 5);
    EXPECT_EQ(doc->Room().TotalPower(), 3 + 3 + 3 + 2.5 + 6 + 0.25);
    EXPECT_EQ(doc->Models().At(0).DefaultTap(), 2); // --tap also chose the model's default tap
    EXPECT_EQ(info["models"][0]["defaultTap"], 2);
    EXPECT_EQ(doc->Settings().advancedMode, 0); // the rows were shown for the commands only
}

TEST_F(CliFields, CommandsThatNeedAdvancedRowsKeepTheProjectsMode) {
    for (int mode : {0, 2}) {
        SCOPED_TRACE("advanced mode " + std::to_string(mode));
        SetAdvancedMode(mode);
        const std::string x = mode == 0 ? "1.37" : "3.37"; // off the automatic grid
        for (const std::string& args :
             {"install " + project + " --at " + x + ",1,3.5 --aim 5,6,7",
              "install " + project + " --at " + x + ",2,3.5 --power 2",
              "install " + project + " --at " + x + ",3,3.5 --reverse",
              "plane " + project + " --origin 0,0,1.2 --extent 12,9,0 --pitch 0.5",
              "auto-install " + project +
                  " --aim 0,90,0 --height 3.5 --band 1 --freq 1000 --replace"}) {
            Run(args);
            EXPECT_EQ(Reopen(project)->Settings().advancedMode, mode) << args;
        }
    }
}

TEST_F(CliFields, AutoInstallStoresItsAimHeightAndJudgment) {
    Run("auto-install " + project +
        " --aim 4,85,-6 --height 3.75 --band 1 --freq 1000 --pattern 3");
    const auto doc = Reopen(project);
    EXPECT_EQ(doc->Settings().installAngles.azimuth, 4);
    EXPECT_EQ(doc->Settings().installAngles.elevation, 85);
    EXPECT_EQ(doc->Settings().installAngles.rotation, -6);
    EXPECT_EQ(doc->Settings().installHeight, 3.75);
    EXPECT_EQ(doc->Settings().autoJudgeBand, 1);
    EXPECT_DOUBLE_EQ(doc->Settings().autoJudgeFrequency, 1000); // the octave grid's 10^(0.3 k)
    EXPECT_EQ(doc->Settings().autoLayoutPattern, 3);
    EXPECT_EQ(doc->Settings().autoLayoutValid, 1);
    ASSERT_GT(doc->Room().Count(), 0);
    for (const CInstallationElement& e : doc->Room().List()) {
        EXPECT_EQ(e.orientation, (COrientation{4, -6, 85}));
        EXPECT_EQ(e.position.z, 3.75);
    }
}

// The judgment frequency snaps to its band's centre as a map's does, by value, not by label.
TEST_F(CliFields, AutoInstallJudgesAtTheCentreAMapWouldUse) {
    Run("auto-install " + project + " --band 1/3 --freq 1430");
    Run("map " + project + " --band 1/3 --freq 1430 --save");
    const auto doc = Reopen(project);
    EXPECT_EQ(doc->Settings().autoJudgeBand, 3);
    EXPECT_EQ(doc->Settings().autoJudgeFrequency, doc->Conditions().At(0)->centreFrequency);
    EXPECT_EQ(doc->Settings().autoJudgeFrequency, SnapToBandCentre(3, 1430).frequency);
}

TEST_F(CliFields, MapAndSpectrumUseTheBandTheyAreGiven) {
    Run("install " + project + " --at 6,4.5,3.5");
    struct Band {
        std::string name;
        double perOctave;
    };
    for (const Band& b : {Band{"2", 0.5}, Band{"4", 0.25}, Band{"1", 1}, Band{"1/3", 3}}) {
        SCOPED_TRACE("--band " + b.name);
        for (const char* mode : {"energy", "interference"}) {
            Run("map " + project + " --band " + b.name + " --mode " + mode + " --save");
            const auto doc = Reopen(project);
            const CColorMapCondition& c = *doc->Conditions().At(0);
            EXPECT_EQ(c.band, b.perOctave);
            EXPECT_EQ(c.mode, std::string(mode) == "energy" ? kModeEnergy : kModeInterference);
            EXPECT_EQ(Info(project)["planes"][0]["band"], b.perOctave);
        }

        const std::string before = Read(project);
        const CliRun spectrum =
            Cli("spectrum " + project + " --at 6,4.5,1.2 --csv - --band " + b.name);
        ASSERT_EQ(spectrum.status, 0) << spectrum.err;
        EXPECT_EQ(SpectrumFrequencies(spectrum.out), BandCentres(b.perOctave));
        EXPECT_EQ(Read(project), before); // the spectrum stores nothing
    }
}

TEST_F(CliFields, PlaneStoresOriginExtentAndPitchInEveryOrientation) {
    struct Case {
        std::string origin, extent;
        double pitch;
        CVec3 o, e;
        int points;
    };
    for (const Case& c : {Case{"1,2,1.25", "6,5,0", 0.5, {1, 2, 1.25}, {6, 5, 0}, 12 * 10},
                          Case{"1,2,0.5", "6,0,2.5", 0.5, {1, 2, 0.5}, {6, 0, 2.5}, 12 * 5}, // XZ
                          Case{"3,1,0.5", "0,5,2", 0.25, {3, 1, 0.5}, {0, 5, 2}, 20 * 8}}) { // YZ
        SCOPED_TRACE("--extent " + c.extent);
        Run("plane " + project + " --origin " + c.origin + " --extent " + c.extent + " --pitch " +
            std::to_string(c.pitch) + " --max 95 --step 3");
        const auto doc = Reopen(project);
        const CListeningPlane& p = doc->Conditions().At(0)->plane;
        EXPECT_EQ((CVec3{p.originX, p.originY, p.originZ}), c.o);
        EXPECT_EQ((CVec3{p.extentX, p.extentY, p.extentZ}), c.e);
        EXPECT_EQ(p.dotPitch, c.pitch);
        EXPECT_EQ(p.pointCount, c.points);
        EXPECT_EQ(p.colorMaximum, 95);
        EXPECT_EQ(p.colorPitch, 3);
        EXPECT_EQ(doc->Settings().planeSameAsRoom, 0);
        EXPECT_EQ(doc->Settings().advancedMode, 0);
        // The room is left as it was.
        EXPECT_EQ(doc->Room().roomLength, 12);
        EXPECT_EQ(doc->Room().roomWidth, 9);
        EXPECT_EQ(doc->Room().roomHeight, 4);
        const nlohmann::json plane = Info(project)["planes"][0];
        EXPECT_EQ(plane["origin"], nlohmann::json({c.o.x, c.o.y, c.o.z}));
        EXPECT_EQ(plane["extent"], nlohmann::json({c.e.x, c.e.y, c.e.z}));
    }
}
