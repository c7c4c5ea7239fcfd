// Room acoustics and speech intelligibility from the command line: what acoustics sets and
// shows, the library it takes materials from, and the maps and spectra of the new quantities.
#include "CliFixture.h"
#include "SpeakerFixtures.h"
#include "acoustics/NoiseCurves.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <set>

namespace {
using nlohmann::json;

class CliAcoustics : public CliFixture {
protected:
    std::string project;

    // Two directional ceiling speakers (3 points per octave, 0.75 W and 3 W) in a 12 x 9 x 4 m
    // room.
    void SetUp() override {
        project = P("room.tdax");
        const std::string speaker = Write("c.vsa", GenerateVsa(DirectionalSpeaker(1, 3)));
        Run("new " + project + " --room 12,9,4");
        Run("import " + project + " " + speaker);
        Run("install " + project + " --at 3,3,4 --power 0.75");
        Run("install " + project + " --at 9,6,4"); // the tap's 3 W
        Run("plane " + project + " --origin 0,0,1.2 --extent 12,9,0 --pitch 1");
    }
    CliRun Run(const std::string& args) const {
        const CliRun r = Cli(args);
        EXPECT_EQ(r.status, 0) << args << "\n" << r.err;
        return r;
    }
    std::set<std::string> Keys(const json& j) const {
        std::set<std::string> keys;
        for (const auto& [key, value] : j.items())
            keys.insert(key);
        return keys;
    }
};
} // namespace

TEST_F(CliAcoustics, SetsShowsAndSavesTheRoomAcoustics) {
    const std::string before = Read(project);
    Run("acoustics " + project +
        " --surface 'floor=Carpet on concrete' --surface wall-x0=0.1,0.2,0.3,0.4,0.5,0.6,0.7"
        " --surface 'ceiling=acoustic ceiling tiles, 25 mm glass fibre' --extra 1,2,3,4,5,6,7"
        " --air 25,40 --air-absorption on --rt sabine --noise NR35 --sti-target 0.6");
    const auto doc = Reopen(project);
    const CRoomAcoustics& a = doc->Settings().roomAcoustics;
    EXPECT_EQ(a.faces[0].name, "Carpet on concrete");
    EXPECT_EQ(a.faces[0].alpha[3], 0.37);
    EXPECT_EQ(a.faces[1].name, "Acoustic ceiling tiles, 25 mm glass fibre");
    EXPECT_EQ(a.faces[2].name, "");
    EXPECT_EQ(a.faces[2].alpha[6], 0.7);
    EXPECT_EQ(a.extraAbsorption[6], 7.0);
    EXPECT_EQ(a.temperature, 25.0);
    EXPECT_EQ(a.humidity, 40.0);
    EXPECT_TRUE(a.airOnDirect);
    EXPECT_EQ(a.formula, EReverbFormula::Sabine);
    EXPECT_EQ(doc->Settings().speech.curve, "NR35");
    EXPECT_EQ(doc->Settings().speech.noise, *NoiseCurve("NR35"));
    EXPECT_EQ(doc->Settings().speech.stiTarget, 0.6);

    const json j = json::parse(Run("acoustics " + project + " --json").out);
    EXPECT_EQ(Keys(j), (std::set<std::string>{"octaves", "volume", "surface", "absorption_area",
                                               "mean_alpha", "air_db_per_m", "rt_sabine",
                                               "rt_eyring", "room_constant", "lw_total",
                                               "reverberant_level", "installations"}));
    EXPECT_DOUBLE_EQ(j["volume"].get<double>(), 12 * 9 * 4);
    EXPECT_DOUBLE_EQ(j["surface"].get<double>(), 2 * (12 * 9 + 12 * 4 + 9 * 4));
    for (const char* key : {"octaves", "absorption_area", "mean_alpha", "air_db_per_m", "rt_sabine",
                            "rt_eyring", "room_constant", "lw_total", "reverberant_level"})
        EXPECT_EQ(j[key].size(), 7u) << key;
    EXPECT_NEAR(j["octaves"][3].get<double>(), 1000.0, 1e-9);
    ASSERT_EQ(j["installations"].size(), 2u);
    EXPECT_EQ(Keys(j["installations"][0]),
              (std::set<std::string>{"lw", "q", "di", "critical_distance"}));
    for (int k = 0; k < 7; ++k) {
        // 3 W against 0.75 W of the same speaker, and the field both feed.
        EXPECT_NEAR(j["installations"][1]["lw"][k].get<double>() -
                        j["installations"][0]["lw"][k].get<double>(),
                    10 * std::log10(4.0), 1e-9);
        const double total = 10 * std::log10(std::pow(10, j["installations"][0]["lw"][k].get<double>() / 10) +
                                             std::pow(10, j["installations"][1]["lw"][k].get<double>() / 10));
        EXPECT_NEAR(j["lw_total"][k].get<double>(), total, 1e-9);
        EXPECT_NEAR(j["reverberant_level"][k].get<double>(),
                    total + 10 * std::log10(4 / j["room_constant"][k].get<double>()), 1e-9);
        EXPECT_LT(j["rt_eyring"][k].get<double>(), j["rt_sabine"][k].get<double>());
    }
    // Only the options given change; showing changes nothing.
    const std::string saved = Read(project);
    Run("acoustics " + project);
    EXPECT_EQ(Read(project), saved);
    EXPECT_NE(saved, before);
}

TEST_F(CliAcoustics, RefusesBadEntriesNamingThemAndChangesNothing) {
    const std::string before = Read(project);
    struct Bad {
        std::string args, says;
    };
    const Bad bad[] = {
        {"--surface floor=0.1,0.2,1.2,0.1,0.1,0.1,0.1", "Surface floor alpha at 500 Hz is 1.2"},
        {"--surface floor=0.1,0.2", "neither seven coefficients"},
        {"--surface 'floor=Carpet on concret'", "did you mean 'Carpet on concrete'"},
        {"--surface roof=0.1,0.1,0.1,0.1,0.1,0.1,0.1", "there is no face 'roof'"},
        {"--extra 1,2,-3,4,5,6,7", "Extra absorption at 500 Hz is -3"},
        {"--extra 1,2,3", "seven areas"},
        {"--air 20,101", "Relative humidity is 101"},
        {"--air 20,nan", "--air"},
        {"--noise NR-x", "--noise NR-x"},
        {"--noise 40,40,40,40,40,40,141", "Noise level at 8 kHz is 141"},
        {"--sti-target 1.5", "--sti-target"},
    };
    for (const Bad& b : bad) {
        const CliRun r = Cli("acoustics " + project + " " + b.args);
        EXPECT_NE(r.status, 0) << b.args;
        EXPECT_NE(r.err.find(b.says), std::string::npos) << b.args << "\n" << r.err;
        EXPECT_EQ(Read(project), before) << b.args;
    }
    EXPECT_TRUE(Debris({"room.tdax", "c.vsa"}).empty());
}

TEST_F(CliAcoustics, MaterialsListTheLibrary) {
    const json list = json::parse(Run("materials --json").out);
    EXPECT_GE(list.size(), 25u);
    bool carpet = false;
    for (const json& m : list) {
        EXPECT_EQ(m["alpha"].size(), 7u);
        EXPECT_FALSE(m["source"].get<std::string>().empty()) << m["name"];
        carpet = carpet || m["name"] == "Carpet on concrete";
    }
    EXPECT_TRUE(carpet);
    EXPECT_NE(Run("materials").out.find("Audience in upholstered seats"), std::string::npos);
}

// The map's quantities and the speech table at a point.
TEST_F(CliAcoustics, QuantityMapsAndTheSpeechTableAtAPoint) {
    CliRun r = Cli("map " + project + " --quantity total --json");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("absorb nothing"), std::string::npos) << r.err;
    Run("acoustics " + project + " --surface 'floor=Carpet on concrete' --surface "
        "'ceiling=Plaster on masonry' --surface wall-x0=0.2,0.2,0.2,0.2,0.2,0.2,0.2 --noise NC-35");
    r = Cli("map " + project + " --quantity nonsense");
    EXPECT_NE(r.err.find("direct, reverberant, total, dr, broadband-z, broadband-a, sti, cis, "
                         "arrival, late-loudest"),
              std::string::npos)
        << r.err;

    const json direct = json::parse(Run("map " + project + " --band 1 --freq 1000 --json").out);
    const json total = json::parse(Run("map " + project + " --quantity total --json").out);
    EXPECT_EQ(total["quantity"], "total");
    EXPECT_GT(total["minimum"].get<double>(), direct["minimum"].get<double>());
    const json sti = json::parse(Run("map " + project + " --quantity sti --json --save").out);
    EXPECT_EQ(sti["quantity"], "sti");
    EXPECT_GT(sti["minimum"].get<double>(), 0.0);
    EXPECT_LE(sti["maximum"].get<double>(), 1.0);
    EXPECT_GE(sti["shareAtOrAboveTarget"].get<double>(), 0.0);
    EXPECT_EQ(sti["target"].get<double>(), 0.5);
    EXPECT_EQ(Reopen(project)->Conditions().At(0)->quantity, EMapQuantity::Sti);

    const json at = json::parse(Run("spectrum " + project + " --at 6,4.5,1.2 --sti --json").out);
    EXPECT_EQ(Keys(at), (std::set<std::string>{"octaves", "direct", "reverberant", "signal",
                                                "noise", "rt", "mti", "m", "sti", "cis"}));
    ASSERT_EQ(at["m"].size(), 7u);
    for (const json& row : at["m"])
        EXPECT_EQ(row.size(), 14u);
    EXPECT_EQ(at["noise"][2].get<double>(), 40.0); // NC-35 at 500 Hz
    EXPECT_NEAR(at["cis"].get<double>(), 1 + std::log10(at["sti"].get<double>()), 1e-12);
    EXPECT_GE(at["sti"].get<double>(), sti["minimum"].get<double>() - 1e-9);
    EXPECT_LE(at["sti"].get<double>(), sti["maximum"].get<double>() + 1e-9);

    // The total spectrum is the energy sum of the direct one and the reverberant one.
    const json d = json::parse(Run("spectrum " + project + " --at 6,4.5,1.2 --band 1 --json").out);
    const json rv = json::parse(
        Run("spectrum " + project + " --at 6,4.5,1.2 --band 1 --quantity reverberant --json").out);
    const json t = json::parse(
        Run("spectrum " + project + " --at 6,4.5,1.2 --band 1 --quantity total --json").out);
    ASSERT_EQ(d["bands"].size(), t["bands"].size());
    for (std::size_t i = 0; i < d["bands"].size(); ++i)
        EXPECT_NEAR(t["bands"][i]["level"].get<double>(),
                    10 * std::log10(std::pow(10, d["bands"][i]["level"].get<double>() / 10) +
                                    std::pow(10, rv["bands"][i]["level"].get<double>() / 10)),
                    1e-9);
}
