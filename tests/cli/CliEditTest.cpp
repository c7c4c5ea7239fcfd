// Editing installations from the command line: every command through the document's own flows,
// every refusal naming its option and leaving the project byte for byte as it was.
#include "CliFixture.h"
#include "SpeakerFixtures.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <regex>
#include <sstream>

namespace {
// A ceiling speaker with line taps of 3, 6 and 1.5 W; the first is the default.
CVsaGenOptions LineTapSpeaker() {
    CVsaGenOptions o = DirectionalSpeaker(1, 3);
    o.taps = {{false, 100, 3, {}}, {false, 100, 6, {}}, {false, 70, 1.5, {}}};
    return o;
}

class CliEdit : public CliFixture {
protected:
    std::string project;

    void SetUp() override {
        project = P("edit.tdax");
        Run("new " + project + " --room 12,9,3.2");
        CVsaGenOptions lowImpedance = DirectionalSpeaker(0, 3);
        lowImpedance.taps = {{true, 8, 60, {}}};
        CVsaGenOptions otherResolution = LineTapSpeaker();
        otherResolution.pointsPerOctave = 6;
        Run("import " + project + " " + Write("line.vsa", GenerateVsa(LineTapSpeaker())) + " " +
            Write("low.vsa", GenerateVsa(lowImpedance)) + " " +
            Write("fine.vsa", GenerateVsa(otherResolution)));
        for (const char* at : {"1,1,3.2", "2,2,3.2", "3,3,3.2", "4,4,3.2"})
            Run("install " + project + " --model 0 --at " + at);
    }

    nlohmann::json Installations() const {
        const CliRun r = Cli("info " + project + " --json");
        EXPECT_EQ(r.status, 0) << r.err;
        return nlohmann::json::parse(r.out)["installations"];
    }

    // The command fails, says `expected` (every part of it) and leaves the project unchanged.
    void ExpectRefused(const std::string& args, const std::vector<std::string>& expected) const {
        const std::string before = Read(project);
        const CliRun r = Cli(args);
        EXPECT_NE(r.status, 0) << args;
        for (const std::string& part : expected)
            EXPECT_NE(r.err.find(part), std::string::npos) << args << "\n" << r.err;
        EXPECT_EQ(r.out, "") << args;
        EXPECT_EQ(Read(project), before) << args;
    }
};

nlohmann::json Position(double x, double y, double z) {
    return nlohmann::json::array({x, y, z});
}
} // namespace

TEST_F(CliEdit, ListShowsEveryInstallationWithTheNumberTheCommandsTake) {
    // Taps are numbered from 1, as the tap list shows them: this is the second.
    Run("set " + project + " 2 --tap 2 --polarity reverse");
    const CliRun r = Cli("list " + project);
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream lines(r.out);
    std::string header, line;
    std::getline(lines, header);
    for (const char* column : {"N", "Speaker Name", "Tap", "X", "Azimuth(Left+)", "Power"})
        EXPECT_NE(header.find(column), std::string::npos) << header;
    const nlohmann::json installations = Installations();
    int rows = 0;
    while (std::getline(lines, line)) {
        std::istringstream cells(line);
        int n = -1;
        cells >> n;
        ASSERT_EQ(n, rows) << line;
        const nlohmann::json& e = installations[static_cast<std::size_t>(n)];
        // The position and the power the row shows are the installation's.
        std::ostringstream x;
        x << e["position"][0].get<double>();
        EXPECT_NE(line.find(" " + x.str() + " "), std::string::npos) << line;
        EXPECT_NE(line.find(e["polarity"] == "normal" ? "Normal" : "Reverse"), std::string::npos)
            << line;
        ++rows;
    }
    EXPECT_EQ(rows, static_cast<int>(installations.size()));
    EXPECT_EQ(installations[2]["power"], 6); // the new tap brought its power
    EXPECT_EQ(installations[2]["tap"], 1);   // the second row of the model's tap table
    const CliRun missing = Cli("list " + P("missing.tdax"));
    EXPECT_NE(missing.status, 0);
    EXPECT_NE(missing.err.find("missing.tdax"), std::string::npos) << missing.err;
}

TEST_F(CliEdit, RemoveTakesTheNamedInstallationsOrAll) {
    Run("remove " + project + " 2 0");
    nlohmann::json left = Installations();
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[0]["position"], Position(2, 2, 3.2)); // the numbers name the list before
    EXPECT_EQ(left[1]["position"], Position(4, 4, 3.2));

    ExpectRefused("remove " + project + " 1 2", {"installation 2 does not exist", "0 to 1"});
    ExpectRefused("remove " + project + " 0 --all", {"--all"});
    ExpectRefused("remove " + project, {"--all"});

    Run("remove " + project + " --all");
    EXPECT_TRUE(Installations().empty());
    EXPECT_EQ(Reopen(project)->Room().TotalPower(), 0);
    ExpectRefused("remove " + project + " --all", {"no installations"});
}

TEST_F(CliEdit, MoveChangesThePositionOnlyAndAsksAboutTheSameSpot) {
    Run("set " + project + " 1 --aim 10,20,30 --power 2");
    Run("move " + project + " 1 --at 7.5,6.25,2.5");
    const nlohmann::json moved = Installations()[1];
    EXPECT_EQ(moved["position"], Position(7.5, 6.25, 2.5));
    EXPECT_EQ(moved["azimuth"], 10);
    EXPECT_EQ(moved["elevation"], 20);
    EXPECT_EQ(moved["rotation"], 30);
    EXPECT_EQ(moved["power"], 2);

    // Installation 3 has installation 0's aim; on its spot the flow asks, and the command says no
    // unless --force.
    ExpectRefused("move " + project + " 3 --at 1,1,3.2", {"same position and aim", "--force"});
    ExpectRefused("move " + project + " 3 --at 1,1,20000", {"--at (Z)", "-10000 and 10000"});
    ExpectRefused("move " + project + " 4 --at 1,1,3", {"installation 4 does not exist"});
    Run("move " + project + " 3 --at 1,1,3.2 --force");
    EXPECT_EQ(Installations()[3]["position"], Installations()[0]["position"]);
}

TEST_F(CliEdit, SetFollowsTheRulesOfTheDialogAndTheTaps) {
    Run("set " + project + " 0 --aim -15,25,-35 --polarity reverse");
    nlohmann::json e = Installations()[0];
    EXPECT_EQ(e["azimuth"], -15);
    EXPECT_EQ(e["elevation"], 25);
    EXPECT_EQ(e["rotation"], -35);
    EXPECT_EQ(e["polarity"], "reverse");
    EXPECT_EQ(e["power"], 3);

    Run("set " + project + " 0 --tap 3");
    e = Installations()[0];
    EXPECT_EQ(e["tap"], 2);
    EXPECT_EQ(e["power"], 1.5); // the tap's power
    EXPECT_EQ(e["polarity"], "reverse");
    // The list numbers it as the tap list does.
    const CliRun listed = Cli("list " + project);
    std::istringstream rows(listed.out);
    std::string row;
    std::getline(rows, row); // the header
    std::getline(rows, row); // installation 0
    const std::regex gap("  +");
    const std::sregex_token_iterator cell(row.begin(), row.end(), gap, -1);
    const std::vector<std::string> cells(cell, std::sregex_token_iterator());
    ASSERT_GT(cells.size(), 2u) << row;
    EXPECT_EQ(cells[2], "3") << row;
    Run("set " + project + " 0 --tap 2 --power 4.5");
    EXPECT_EQ(Installations()[0]["power"], 4.5);
    EXPECT_EQ(Reopen(project)->Room().TotalPower(), 4.5 + 3 * 3);

    ExpectRefused("set " + project + " 0 --power 7", {"--power", "between 0 and 6 W", "tap 2 of"});
    ExpectRefused("set " + project + " 0 --tap 4", {"--tap", "between 1 and 3", "4 was given"});
    ExpectRefused("set " + project + " 0 --tap 0", {"--tap", "between 1 and 3", "0 was given"});
    ExpectRefused("set " + project + " 0 --aim 190,0,0", {"--aim (azimuth)", "-180 and 180"});
    ExpectRefused("set " + project + " 0 --polarity sideways", {"--polarity"});
    ExpectRefused("set " + project + " 0", {"nothing to set"});
    ExpectRefused("set " + project + " 0 --model 1", {"High and low impedance"});
    ExpectRefused("set " + project + " 0 --model 2", {"frequency resolution"});
    ExpectRefused("set " + project + " 0 --model 3",
                  {"--model", "between 0 and 2", "model 3 does not exist"});
    // The only installation may change to any model: nothing else in the room to mix with.
    Run("remove " + project + " 1 2 3");
    Run("set " + project + " 0 --model 1");
    e = Installations()[0];
    EXPECT_EQ(e["model"], 1);
    EXPECT_EQ(e["tap"], 0);
    EXPECT_EQ(e["power"], 60);
}

TEST_F(CliEdit, AutoInstallReplacesInstallationsOnlyWhenToldTo) {
    ExpectRefused("auto-install " + project, {"4 installations", "--replace"});
    ExpectRefused("auto-install " + project + " --replace --height 5",
                  {"--height", "3.2", "above the calculation plane"});
    // Messages show the value given, however large.
    ExpectRefused("auto-install " + project + " --replace --height 1e9", {"; 1e+09 was given"});
    Run("auto-install " + project + " --replace --height 3");
    const nlohmann::json laid = Installations();
    ASSERT_FALSE(laid.empty());
    for (const nlohmann::json& e : laid)
        EXPECT_EQ(e["position"][2], 3);
}

TEST_F(CliEdit, OptionsTheRoomCannotHoldAreRefusedNamingTheOption) {
    const std::string room = P("room.tdax");
    const CliRun r = Cli("new " + room + " --room 20,12,-3");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("--room (height)"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(room));
    ExpectRefused("plane " + project + " --origin 0,0,4 --extent 12,9,0 --pitch 0.5",
                  {"--origin (Z)", "between 0 and 3.2"});
    ExpectRefused("plane " + project + " --origin 1,0,1 --extent 12,9,0 --pitch 0.5",
                  {"--origin (X)", "between 0 and 0"});
    ExpectRefused("plane " + project + " --origin 0,0,1 --extent 0,10,3 --pitch 0.5",
                  {"--extent (Y)", "between 0 and 9"});
    ExpectRefused("plane " + project + " --origin 0,0,1 --extent 12,9,0 --pitch 0",
                  {"--pitch", "0.001"});
    ExpectRefused("install " + project + " --at 5,5,3 --power 1000",
                  {"--power", "between 0 and 3 W"});
    ExpectRefused("install " + project + " --at 5,5,3 --aim 0,-200,0",
                  {"--aim (elevation)", "-180 and 180"});
    // At the edges of the room, every plane is accepted.
    Run("plane " + project + " --origin 0,0,3.2 --extent 12,9,0 --pitch 0.5");
    Run("plane " + project + " --origin 12,0,0 --extent 0,9,3.2 --pitch 0.5");
}

TEST_F(CliEdit, UnknownNamesGetASuggestionAndTheVersionIsKnown) {
    CliRun r = Cli("lst " + project);
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("did you mean \"list\""), std::string::npos) << r.err;
    r = Cli("arange " + project + " 0");
    EXPECT_NE(r.err.find("did you mean \"arrange\""), std::string::npos) << r.err;
    r = Cli("frobnicate " + project);
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(r.err.find("did you mean"), std::string::npos) << r.err; // nothing close
    r = Cli("set " + project + " 0 --pwoer 2");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("did you mean --power"), std::string::npos) << r.err;
    r = Cli("--version");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("daxara-cli ", 0), 0u) << r.out;
    EXPECT_NE(r.out.find('.'), std::string::npos) << r.out;
}

// The main axis of a speaker aimed at a point passes through it: the spectrum there is the one
// on the axis of a speaker aimed along +x at the same distance.
TEST_F(CliEdit, AimAtPointsTheMainAxisAtTheTarget) {
    CVsaGenOptions beam = DirectionalSpeaker(0, 3);
    beam.drivers.at(0).offset = 0.0; // the acoustic centre at the reference point
    beam.taps = {{false, 100, 10, {}}};
    const std::string speaker = Write("beam.vsa", GenerateVsa(beam));
    const std::string aimed = P("aimed.tdax"), reference = P("reference.tdax");
    const CVec3 from{2, 3, 8}, target{12, 9, 1.5};
    const double distance = std::sqrt(10.0 * 10.0 + 6.0 * 6.0 + 6.5 * 6.5); // |target - from|
    for (const std::string& p : {aimed, reference}) {
        Run("new " + p + " --room 30,30,10 --ceiling full");
        Run("import " + p + " " + speaker);
    }
    Run("install " + aimed + " --at 2,3,8 --aim-at 12,9,1.5");
    Run("install " + reference + " --at 2,3,8 --aim 0,0,0");
    auto spectrum = [&](const std::string& p, const CVec3& at) {
        std::ostringstream point;
        point.precision(17);
        point << at.x << "," << at.y << "," << at.z;
        const CliRun r = Cli("spectrum " + p + " --at " + point.str() + " --mode energy --csv -");
        EXPECT_EQ(r.status, 0) << r.err;
        std::vector<double> levels;
        std::istringstream lines(r.out);
        std::string line;
        while (std::getline(lines, line)) {
            double f = 0, level = 0;
            if (std::sscanf(line.c_str(), "%lf,%lf", &f, &level) == 2)
                levels.push_back(level);
        }
        return levels;
    };
    const std::vector<double> atTarget = spectrum(aimed, target);
    const std::vector<double> onAxis = spectrum(reference, {from.x + distance, from.y, from.z});
    const std::vector<double> offAxis = spectrum(reference, target);
    ASSERT_FALSE(atTarget.empty());
    ASSERT_EQ(atTarget.size(), onAxis.size());
    double largestOffAxisDrop = 0;
    for (std::size_t i = 0; i < atTarget.size(); ++i) {
        EXPECT_NEAR(atTarget[i], onAxis[i], 1e-6) << "band " << i;
        largestOffAxisDrop = std::max(largestOffAxisDrop, onAxis[i] - offAxis[i]);
    }
    EXPECT_GT(largestOffAxisDrop,
              1.0); // the speaker is directional (40 degrees off axis), so the aim matters

    // set --aim-at turns an installed speaker the same way.
    Run("set " + reference + " 0 --aim-at 12,9,1.5");
    EXPECT_EQ(spectrum(reference, target), atTarget);
    const CliRun same = Cli("set " + reference + " 0 --aim-at 2,3,8");
    EXPECT_NE(same.status, 0);
    EXPECT_NE(same.err.find("--aim-at"), std::string::npos) << same.err;
    const CliRun both = Cli("install " + reference + " --at 1,1,1 --aim 0,0,0 --aim-at 5,5,5");
    EXPECT_NE(both.status, 0);
}

TEST_F(CliEdit, PointsAreMarkedRenamedAndRemovedByNameAndRefusalsKeepTheProject) {
    const std::string plain = Read(project);
    Run("points " + project + " --add Stage=6,1.5,1.2 --add \"Row 10=6,7.5,1.2\"");
    CliRun list = Cli("points " + project);
    EXPECT_EQ(list.out, "Stage: 6, 1.5, 1.2 [m]\nRow 10: 6, 7.5, 1.2 [m]\n");
    auto doc = Reopen(project);
    ASSERT_EQ(doc->Settings().listeningPoints.size(), 2u);
    EXPECT_EQ(doc->Settings().listeningPoints[1].position.y, 7.5);

    ExpectRefused("points " + project + " --add Stage=1,1,1", {"\"Stage\" is already marked"});
    ExpectRefused("points " + project + " --add Desk=1,nan,1", {"--add Desk", "finite"});
    ExpectRefused("points " + project + " --add Desk=1,1", {"--add Desk", "X,Y,Z"});
    ExpectRefused("points " + project + " --add =1,1,1", {"NAME=X,Y,Z"});
    ExpectRefused("points " + project + " --remove Nowhere", {"no listening point", "Nowhere"});
    // Several edits in one call: all of them or none.
    ExpectRefused("points " + project + " --remove Stage --rename Gone=X",
                  {"no listening point", "Gone"});

    Run("points " + project + " --remove Stage --rename \"Row 10=Back\" --add Stage=1,1,1");
    const nlohmann::json j = nlohmann::json::parse(Cli("points " + project + " --json").out);
    ASSERT_EQ(j["points"].size(), 2u);
    EXPECT_EQ(j["points"][0]["name"], "Back");
    EXPECT_EQ(j["points"][1]["position"], Position(1, 1, 1));
    EXPECT_EQ(j["unit"], "[m]");

    // Without marked points the project is the 2.0.0 file it was, byte for byte.
    Run("points " + project + " --remove Back --remove Stage");
    EXPECT_EQ(Read(project), plain);
}

// Every whole number of the command line is decimal: "010" is ten, never octal eight, and any
// other form (hexadecimal, signs, blanks, exponents, numbers past the range) is refused naming
// the option, before anything is read or written.
TEST_F(CliEdit, EveryWholeNumberOfTheCommandLineIsDecimal) {
    Run("import " + project + " " + Write("ql9.vsa", GenerateVsa(QL9ArrayOptions())));
    Run("export-sofa " + project + " " + P("m.sofa") + " --model 0");
    struct CInteger {
        std::string option, command; // {} is the number
        std::string ten;             // what the command says of `probe`, read as decimal
        std::string probe = "010";   // refused as decimal, not as octal
    };
    const std::string p = project;
    std::vector<CInteger> integers = {
        {"--model", "install " + p + " --model {} --at 1,1,3", "model 10 does not exist"},
        {"--tap", "install " + p + " --model 0 --tap {} --at 1,1,3", "tap 10 does not exist"},
        {"--model", "auto-install " + p + " --replace --model {}", "model 10 does not exist"},
        {"--pattern", "auto-install " + p + " --replace --pattern {}", "10 not in range 0 to 4"},
        {"--threads", "map " + p + " --threads {}", "300 not in range 0 to 256", "0300"},
        {"--model", "bands " + p + " --model {}", "model 10 does not exist"},
        {"N", "remove " + p + " {}", "installation 10 does not exist"},
        {"N", "move " + p + " {} --at 1,1,3", "installation 10 does not exist"},
        {"N", "set " + p + " {} --power 1", "installation 10 does not exist"},
        {"--tap", "set " + p + " 0 --tap {}", "10 was given"},
        {"--model", "set " + p + " 0 --model {}", "model 10 does not exist"},
        {"MODEL", "arrange " + p + " {} --count 2", "model 10 does not exist"},
        {"--count", "arrange " + p + " 3 --count {}", "10 was given"},
        {"--model", "export-sofa " + p + " " + P("x.sofa") + " --model {}",
         "model 10 does not exist"},
        {"--sofa-measurement", "import " + p + " " + P("m.sofa") + " --sofa-measurement {}",
         "measurement 10 does not exist"},
        {"--sofa-ppo", "import " + p + " " + P("m.sofa") + " --sofa-ppo {}",
         "100 not in range 1 to 96", "0100"}};
    if (Cli("render --help").status == 0)
        integers.push_back({"--condition",
                            "render " + p + " --png " + P("x.png") + " --condition {}",
                            "--condition 10"});
    const auto command = [](const CInteger& i, const std::string& number) {
        std::string text = i.command;
        return text.replace(text.find("{}"), 2, "'" + number + "'");
    };
    const std::string before = Read(project);
    for (const CInteger& i : integers) {
        SCOPED_TRACE(i.command);
        for (const char* bad : {"0x1", "0X1", "-1", "+1", " 1", "1 ", "", "1e1", "1.0", "١",
                                "99999999999999999999", "2147483648"}) {
            const CliRun r = Cli(command(i, bad));
            EXPECT_NE(r.status, 0) << bad;
            EXPECT_NE(r.err.find(i.option + ": "), std::string::npos) << bad << ": " << r.err;
            EXPECT_EQ(r.out, "") << bad;
        }
        const CliRun ten = Cli(command(i, i.probe));
        EXPECT_NE(ten.status, 0);
        EXPECT_NE(ten.err.find(i.ten), std::string::npos) << ten.err;
        EXPECT_EQ(ten.err.find(" 8 "), std::string::npos) << ten.err;
        EXPECT_EQ(Read(project), before);
    }
    EXPECT_FALSE(std::filesystem::exists(P("x.sofa")));
    EXPECT_FALSE(std::filesystem::exists(P("x.png")));
    // The leading zeros are only that: installation 03 is installation 3.
    Run("move " + p + " 03 --at 6,6,3");
    EXPECT_EQ(Installations()[3]["position"], Position(6, 6, 3));
}
