// End-to-end runs of the built daxara-cli on generated data.
#include "CliFixture.h"
#include "SceneFixtures.h"
#include "acoustics/MapCalculation.h"
#include "project/DAXDoc.h"
#include "project/ProjectFile.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <sstream>

namespace {
class CliTest : public CliFixture {
protected:
    // A metric project without ceiling reflections holding one omnidirectional speaker.
    std::string OmniProject() {
        const std::string project = P("omni.tdax");
        EXPECT_EQ(Cli("new " + project + " --room 10,8,4 --ceiling full").status, 0);
        const std::string speaker = Write("omni.vsa", GenerateVsa(OmniSpeaker(90.0, 3)));
        EXPECT_EQ(Cli("import " + project + " " + speaker).status, 0);
        const CliRun installed = Cli("install " + project + " --at 5,4,3 --power 1");
        EXPECT_EQ(installed.status, 0) << installed.err;
        EXPECT_EQ(Cli("plane " + project + " --origin 0,0,1.2 --extent 10,8,0 --pitch 0.5").status,
                  0);
        return project;
    }
};

std::vector<std::array<double, 4>> ParseCsv(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "x,y,z,level");
    std::vector<std::array<double, 4>> rows;
    while (std::getline(in, line)) {
        std::array<double, 4> row{};
        EXPECT_EQ(std::sscanf(line.c_str(), "%lf,%lf,%lf,%lf", &row[0], &row[1], &row[2], &row[3]),
                  4)
            << line;
        rows.push_back(row);
    }
    return rows;
}
} // namespace

TEST_F(CliTest, AnOmniSpeakerMapFollowsTheInverseDistanceLaw) {
    const std::string project = OmniProject();
    const CliRun map = Cli("map " + project + " --csv " + P("map.csv") + " --mode energy");
    ASSERT_EQ(map.status, 0) << map.err;
    const auto rows = ParseCsv(Read(P("map.csv")));
    ASSERT_EQ(rows.size(), 20u * 16u);
    for (const auto& r : rows) {
        const double distance =
            std::sqrt((r[0] - 5) * (r[0] - 5) + (r[1] - 4) * (r[1] - 4) + (r[2] - 3) * (r[2] - 3));
        EXPECT_NEAR(r[3], 90.0 - 20.0 * std::log10(distance), 1e-9) << r[0] << "," << r[1];
    }
    EXPECT_NE(map.out.find("maximum: "), std::string::npos);
    EXPECT_NE(map.out.find("average (music/speech): "), std::string::npos);
}

TEST_F(CliTest, TheCsvMatchesTheCoresOwnCalculation) {
    const std::string project = P("room.tdax");
    ASSERT_EQ(Cli("new " + project + " --room 8,6,3").status, 0);
    ASSERT_EQ(Cli("import " + project + " " + Write("c.vsa", GenerateVsa(DirectionalSpeaker(1, 3))))
                  .status,
              0);
    ASSERT_EQ(Cli("install " + project + " --at 2,2,3").status, 0);
    ASSERT_EQ(Cli("install " + project + " --at 6,4,3 --aim 10,80,5 --reverse").status, 0);
    ASSERT_EQ(Cli("map " + project + " --band 1 --freq 1000 --mode interference --save --csv " +
                  P("e.csv"))
                  .status,
              0);
    ASSERT_EQ(Cli("map " + project + " --engine reference --threads 1 --csv " + P("r.csv")).status,
              0);

    CDAXDoc doc;
    std::string error;
    ASSERT_TRUE(ProjectFile::Open(project, doc, error)) << error;
    const CColorMapCondition& c = *doc.Conditions().At(0);
    EXPECT_EQ(c.band, 1.0);
    EXPECT_EQ(c.mode, kModeInterference);
    const CAcousticScene scene = doc.Scene();
    const CBandIndexRange band = ConditionBand(scene, c);
    const auto engine = ParseCsv(Read(P("e.csv")));
    const auto reference = ParseCsv(Read(P("r.csv")));
    ASSERT_EQ(engine.size(), c.plane.points.size());
    ASSERT_EQ(reference.size(), engine.size());
    for (std::size_t i = 0; i < engine.size(); ++i) {
        const CPlaceElement& p = c.plane.points[i];
        double pressure = 0;
        ASSERT_EQ(BandPressure(scene, c.mode, {p.x, p.y, p.z}, band.start, band.end, band.pitch,
                               pressure),
                  kBandOk);
        EXPECT_EQ(reference[i][3], PressureLevel(pressure)) << i; // the literal path, bit for bit
        EXPECT_NEAR(engine[i][3], PressureLevel(pressure), 1e-9) << i;
        EXPECT_EQ(p.level, engine[i][3]) << i; // --save stored what the CSV shows
        EXPECT_EQ(engine[i][0], p.x);
    }
    EXPECT_NE(c.plane.pinkNoiseAverage, 0.0);
}

TEST_F(CliTest, InfoAndSpectrumDescribeTheProject) {
    const std::string project = OmniProject();
    const CliRun info = Cli("info " + project + " --json");
    ASSERT_EQ(info.status, 0) << info.err;
    const nlohmann::json j = nlohmann::json::parse(info.out);
    EXPECT_EQ(j["unit"], "metric");
    EXPECT_EQ(j["room"]["ceiling"], "full");
    ASSERT_EQ(j["models"].size(), 1u);
    EXPECT_EQ(j["models"][0]["pointsPerOctave"], 3.0);
    ASSERT_EQ(j["installations"].size(), 1u);
    EXPECT_EQ(j["installations"][0]["power"], 1.0);
    EXPECT_EQ(j["planes"][0]["points"], 320);

    const CliRun spectrum = Cli("spectrum " + project + " --at 5,4,1 --band 1 --csv -");
    ASSERT_EQ(spectrum.status, 0) << spectrum.err;
    std::istringstream lines(spectrum.out);
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        double f = 0, level = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "%lf,%lf", &f, &level), 2);
        if (f >= 100 && f <= 10000) { // inside the speaker's range: 90 dB at 1 m, here 2 m away
            EXPECT_NEAR(level, 90.0 - 20.0 * std::log10(2.0), 1e-9) << f;
        }
        ++count;
    }
    EXPECT_EQ(count, static_cast<int>(BandCentres(1).size()));
}

TEST_F(CliTest, BadInputFailsClearlyAndLeavesTheProjectUntouched) {
    const std::string project = OmniProject();
    const std::string before = Read(project);
    struct Case {
        std::string args;
        std::string message;
    };
    const std::string bad = Write("bad.vsa", "Version 1.0.1\n0\n");
    const std::string broken = Write("broken.vsa", "Version 1.0.0\n0\nName\n1\n");
    for (const Case& c :
         {Case{"import " + project + " " + P("missing.vsa"), "missing.vsa"},
          Case{"import " + project + " " + bad, "Version 1.0.0"},
          Case{"import " + project + " " + broken, "broken.vsa"},
          Case{"install " + project + " --at a,b,c", "--at"},
          Case{"install " + project + " --at 1,2", "--at"},
          Case{"install " + project + " --at 1,2,3 --power 20000", "between 0 and 10000"},
          Case{"install " + project + " --model 7 --at 1,2,3", "model 7 does not exist"},
          Case{"install " + project + " --at 5,4,3", "already installed"},
          Case{"map " + project + " --band 1/5", "1/5"},
          Case{"map " + project + " --band 1/24", "not offered"},
          Case{"plane " + project + " --origin 0,0,0 --extent 1,1,1 --pitch 0.5",
               "exactly one zero"},
          Case{"info " + P("nowhere.tdax"), "nowhere.tdax"}}) {
        const CliRun r = Cli(c.args);
        EXPECT_NE(r.status, 0) << c.args;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << "\n" << r.err;
        EXPECT_EQ(Read(project), before) << c.args;
    }

    const std::string truncated = P("truncated.tdax");
    Write("truncated.tdax", before.substr(0, before.size() / 2));
    const CliRun r = Cli("map " + truncated);
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("Failed to open document."), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("byte offset"), std::string::npos) << r.err;
    EXPECT_EQ(Read(truncated), before.substr(0, before.size() / 2));

    const CliRun exists = Cli("new " + project);
    EXPECT_NE(exists.status, 0);
    EXPECT_EQ(Read(project), before);
}

TEST_F(CliTest, EverySubcommandHasHelpAndTheDemoWritesProjects) {
    for (const char* sub :
         {"new", "import", "install", "auto-install", "plane", "map", "spectrum", "info", "demo"}) {
        const CliRun help = Cli(std::string(sub) + " --help");
        EXPECT_EQ(help.status, 0) << sub;
        EXPECT_NE(help.out.find("Usage"), std::string::npos) << sub;
    }
    const CliRun demo = Cli("demo " + P("demo"));
    ASSERT_EQ(demo.status, 0) << demo.err;
    for (const char* name : {"meeting-room.tdax", "hall.tdax"}) {
        CDAXDoc doc;
        std::string error;
        ASSERT_TRUE(ProjectFile::Open(P("demo/") + name, doc, error)) << error;
        EXPECT_TRUE(doc.HasInstallations()) << name;
        EXPECT_GT(doc.Conditions().At(0)->plane.maximumLevel, 60.0) << name;
    }
}

TEST_F(CliTest, DelaysAreSetAndAlignedAndTheArrivalMapsShowThem) {
    // Omni speakers along a corridor; the reference point (10, 5, 2) is 30 m from installation 0,
    // 10 m from installation 1 and 5 m from installation 2.
    const std::string project = P("corridor.tdax");
    ASSERT_EQ(Cli("new " + project + " --room 60,10,5 --ceiling full").status, 0);
    ASSERT_EQ(
        Cli("import " + project + " " + Write("omni.vsa", GenerateVsa(OmniSpeaker(90, 3)))).status,
        0);
    for (const char* at : {"40,5,2", "20,5,2 --delay 3", "5,5,2"}) {
        const CliRun r = Cli("install " + project + " --power 1 --at " + std::string(at));
        ASSERT_EQ(r.status, 0) << r.err;
    }
    ASSERT_EQ(Cli("plane " + project + " --origin 0,0,1.2 --extent 60,10,0 --pitch 2").status, 0);
    EXPECT_EQ(Reopen(project)->Room().At(1)->delay, 3.0);
    const auto refused = [&](const std::string& args, const std::string& expected) {
        const std::string before = Read(project);
        const CliRun r = Cli(args);
        EXPECT_NE(r.status, 0) << args;
        EXPECT_NE(r.err.find(expected), std::string::npos) << args << "\n" << r.err;
        EXPECT_EQ(Read(project), before) << args;
    };
    refused("set " + project + " 1 --delay 1000.5", "--delay");
    refused("install " + project + " --at 1,1,1 --delay -2", "--delay");

    // Installation 0 as a fill of installation 2 would have to start 62.67 ms early: it stays
    // at 0 and the command says so.
    const CliRun negative = Cli("align " + project + " 0 --to 2 --at 10,5,2");
    ASSERT_EQ(negative.status, 0) << negative.err;
    EXPECT_NE(negative.err.find("warning: Installation 0 would need a delay of -62.67 ms"),
              std::string::npos)
        << negative.err;
    EXPECT_EQ(Reopen(project)->Room().At(0)->delay, 0.0);

    const CliRun aligned = Cli("align " + project + " 2 1 --to 0 --at 10,5,2 --offset 5");
    ASSERT_EQ(aligned.status, 0) << aligned.err;
    EXPECT_EQ(aligned.err, "");
    std::unique_ptr<CDAXDoc> doc = Reopen(project);
    EXPECT_NEAR(doc->Room().At(1)->delay, 20 * 1000.0 / 344 + 5, 1e-9); // (30 - 10) m at 344 m/s
    EXPECT_NEAR(doc->Room().At(2)->delay, 25 * 1000.0 / 344 + 5, 1e-9);
    EXPECT_NE(aligned.out.find("installation 1: delay 63.1395 ms"), std::string::npos)
        << aligned.out;
    refused("align " + project + " 1 --to 1 --at 10,5,2", "cannot follow itself");
    refused("align " + project + " 3 --to 0 --at 10,5,2", "between 0 and 2");
    refused("align " + project + " 1 --to 0", "--at");
    refused("align " + project + " 1 --to 0 --at 10,5,2 --offset 2000", "--offset");

    // The maps of the arrival times: the CSV is the core's map, --save keeps the quantity.
    const CliRun arrival =
        Cli("map " + project + " --quantity arrival --save --csv " + P("arrival.csv"));
    ASSERT_EQ(arrival.status, 0) << arrival.err;
    EXPECT_NE(arrival.out.find("mean: "), std::string::npos) << arrival.out;
    doc = Reopen(project);
    const CColorMapCondition& c = *doc->Conditions().At(0);
    EXPECT_EQ(c.quantity, EMapQuantity::Arrival);
    std::istringstream csv(Read(P("arrival.csv")));
    std::string line;
    std::getline(csv, line);
    EXPECT_EQ(line, "x,y,z,arrival");
    const std::vector<CPlaceElement> saved = c.plane.points;
    CColorMapCondition recalculated = c;
    ASSERT_EQ(CalculateMap(doc->Scene(), recalculated, nullptr).status, ECalcStatus::Completed);
    for (std::size_t i = 0; std::getline(csv, line); ++i) {
        double x = 0, y = 0, z = 0, ms = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "%lf,%lf,%lf,%lf", &x, &y, &z, &ms), 4);
        EXPECT_EQ(ms, recalculated.plane.points.at(i).level) << i;
        EXPECT_EQ(ms, saved.at(i).level) << i;
    }
    const CliRun late = Cli("map " + project + " --quantity late-loudest --json");
    ASSERT_EQ(late.status, 0) << late.err;
    const nlohmann::json j = nlohmann::json::parse(late.out);
    EXPECT_EQ(j["quantity"], "late-loudest");
    EXPECT_EQ(j["quantityUnit"], "ms");
    EXPECT_GE(j["lateShare"]["share"].get<double>(), 0.0);
    EXPECT_GT(j["maximum"].get<double>(), j["minimum"].get<double>());
    EXPECT_EQ(Cli("map " + project + " --quantity loudness").status == 0, false);
}

// A plane without levels is reported as not calculated (no 0 dB statistics) and drawn as such;
// a speaker exactly on a plane point leaves that point out, named, instead of putting the
// response's 999 dB sentinel into the statistics.
TEST_F(CliTest, AMapWithoutLevelsSaysSoAndAPointAtASpeakerIsLeftOut) {
    const std::string empty = P("empty.tdax");
    ASSERT_EQ(Cli("new " + empty).status, 0);
    const CliRun text = Cli("info " + empty);
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("points; not calculated\n"), std::string::npos) << text.out;
    EXPECT_EQ(text.out.find("maximum 0 dB"), std::string::npos);
    const nlohmann::json plain = nlohmann::json::parse(Cli("info " + empty + " --json").out);
    EXPECT_EQ(plain["planes"][0]["calculated"], false);
    EXPECT_TRUE(plain["planes"][0]["maximum"].is_null());
    EXPECT_TRUE(plain["planes"][0]["pinkNoiseAverage"].is_null());
    const CliRun render = Cli("render " + empty + " --png " + P("empty.png"));
    EXPECT_EQ(render.status, 0) << render.err;
    EXPECT_NE(render.err.find("colour map 0 is not calculated"), std::string::npos) << render.err;

    const std::string project = OmniProject();
    // The plane's points lie at 0.25 + 0.5 k; this speaker stands on (2.25, 1.75, 1.2).
    const CliRun installed = Cli("install " + project + " --at 2.25,1.75,1.2 --power 1");
    ASSERT_EQ(installed.status, 0) << installed.err;
    const CliRun map = Cli("map " + project + " --json --csv " + P("map.csv"));
    ASSERT_EQ(map.status, 0) << map.err;
    const nlohmann::json j = nlohmann::json::parse(map.out);
    ASSERT_EQ(j["leftOut"].size(), 1u);
    EXPECT_EQ(j["leftOut"][0]["installation"], 1);
    EXPECT_EQ(j["leftOut"][0]["point"], (std::vector<double>{2.25, 1.75, 1.2}));
    EXPECT_LT(j["maximum"].get<double>(), 200.0);
    EXPECT_LT(j["percentiles"]["90"].get<double>(), 200.0);
    int rows = 0, empties = 0;
    std::istringstream csv(Read(P("map.csv")));
    for (std::string line; std::getline(csv, line); ++rows)
        empties += line == "2.25,1.75,1.2,";
    EXPECT_EQ(rows, 1 + 20 * 16);
    EXPECT_EQ(empties, 1);
    const CliRun named = Cli("map " + project);
    EXPECT_NE(named.out.find("left out: point (2.25, 1.75, 1.2) lies at installation 1"),
              std::string::npos)
        << named.out;
    // As saved: the point reads back without a level, the statistics without it.
    ASSERT_EQ(Cli("map " + project + " --save").status, 0);
    const nlohmann::json saved = nlohmann::json::parse(Cli("info " + project + " --json").out);
    EXPECT_EQ(saved["planes"][0]["calculated"], true);
    EXPECT_EQ(saved["planes"][0]["pointsLeftOut"], 1);
    EXPECT_EQ(saved["planes"][0]["maximum"], j["maximum"]);
}
