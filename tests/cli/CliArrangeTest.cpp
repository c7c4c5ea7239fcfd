// Rigging line arrays from the command line: each family through its own arrangement form, with
// the Arrange Modules command's power rescale, and `info` telling what was arranged.
#include "CliFixture.h"
#include "SpeakerFixtures.h"
#include "project/arrangement/CabinetArrangementForm.h"
#include "project/arrangement/QL9ArrangementForm.h"
#include "project/arrangement/TypeWArrangementForm.h"
#include "speaker/LineArrayModel.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace {
class CliArrange : public CliFixture {
protected:
    std::string project;
    enum { kP10, kQL9, kW5, kK, kOmni };

    void SetUp() override {
        project = P("rig.tdax");
        Run("new " + project + " --room 40,30,12");
        std::string files;
        int n = 0;
        for (const CVsaGenOptions& o : {KVP10ArrayOptions(), QL9ArrayOptions(), KVW5ArrayOptions(),
                                        KVKArrayOptions(), OmniOptions(3, 63, 16000)})
            files += " " + Write("m" + std::to_string(n++) + ".vsa", GenerateVsa(o));
        Run("import " + project + files);
    }

    nlohmann::json Arrangement(int model) const {
        return Info(project)["models"][model]["arrangement"];
    }

    void ExpectRefused(const std::string& args, const std::vector<std::string>& expected) const {
        const std::string before = Read(project);
        const CliRun r = Cli(args);
        EXPECT_NE(r.status, 0) << args;
        for (const std::string& part : expected)
            EXPECT_NE(r.err.find(part), std::string::npos) << args << "\n" << r.err;
        EXPECT_EQ(Read(project), before) << args;
    }
};
} // namespace

TEST_F(CliArrange, CabinetsJunctionsAndThePowerRescaleOfALowImpedanceColumn) {
    Run("install " + project + " --model 0 --at 20,2,8 --power 100");
    Run("install " + project + " --model 4 --at 5,5,3");
    const int before = Arrangement(kP10)["elements"];
    Run("arrange " + project + " 0 --count 4 --cabinets L,L,S,S --junctions 0,2,5");
    const nlohmann::json a = Arrangement(kP10);
    EXPECT_EQ(a["elements"], 4);
    EXPECT_EQ(a["counts"]["lower"], 4);
    EXPECT_EQ(a["cabinets"], nlohmann::json({"KV-P10L", "KV-P10L", "KV-P10S", "KV-P10S"}));
    // A cabinet's splay is both half wedges less its junction angle.
    const int types[] = {0, 0, 1, 1}, angles[] = {0, 2, 5};
    for (int j = 1; j < 4; ++j)
        EXPECT_EQ(a["splays"][j], CCabinetArrangementForm::HalfWedge(types[j - 1]) +
                                      CCabinetArrangementForm::HalfWedge(types[j]) - angles[j - 1])
            << "cabinet " << j;
    // Each element keeps its share: the column's power grows with its element count. Only the
    // arranged model's installations change.
    const nlohmann::json installations = Info(project)["installations"];
    EXPECT_DOUBLE_EQ(installations[0]["power"].get<double>(), 100.0 * 4 / before);
    EXPECT_EQ(installations[1]["power"], 100);

    const CliRun text = Cli("info " + project);
    EXPECT_NE(text.out.find("arranged: 4 elements"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("cabinets: KV-P10L x2, KV-P10S x2"), std::string::npos) << text.out;

    ExpectRefused("arrange " + project + " 0 --count 9", {"--count", "1, 2", "8"});
    ExpectRefused("arrange " + project + " 0 --cabinets L,X,L,L", {"--cabinets", "\"X\""});
    ExpectRefused("arrange " + project + " 0 --junctions 6", {"--junctions", "0 to 5"});
    ExpectRefused("arrange " + project + " 0 --junctions 1,2", {"--junctions", "3 here"});
    // One cabinet has no junction for the angle to go to.
    ExpectRefused("arrange " + project + " 0 --count 1 --junctions 5",
                  {"--junctions does not apply", "no junctions"});
    ExpectRefused("arrange " + project + " 0 --w5s", {"--w5s", "KV-P10"});
    ExpectRefused("arrange " + project + " 0", {"nothing to arrange"});
    ExpectRefused("arrange " + project + " 4 --count 2", {"not a line array"});
    ExpectRefused("arrange " + project + " 7 --count 2", {"model 7 does not exist"});
}

TEST_F(CliArrange, QL9BoxesAndJunctionModes) {
    Run("arrange " + project + " 1 --count 3 --junctions 15");
    const nlohmann::json narrow = Arrangement(kQL9);
    EXPECT_EQ(narrow["elements"], 12);
    EXPECT_EQ(narrow["counts"]["upper"], 6);
    EXPECT_EQ(narrow["counts"]["lower"], 6);
    Run("arrange " + project + " 1 --junctions 60deg-mode");
    const nlohmann::json wide = Arrangement(kQL9);
    // The same junctions at four times the coverage: every splay four times as large.
    bool anyNonZero = false;
    for (std::size_t i = 0; i < 12; ++i) {
        EXPECT_DOUBLE_EQ(wide["splays"][i].get<double>(), 4 * narrow["splays"][i].get<double>());
        anyNonZero = anyNonZero || narrow["splays"][i] != 0.0;
    }
    EXPECT_TRUE(anyNonZero);
    EXPECT_EQ(wide["cabinets"], nlohmann::json::array());

    // The dialog's form, given the same choices by hand, gives the same splays, signs included
    // (the upper stack is counted upward from the reference point).
    const auto model = ImportSpeakerText(WithoutVersionLine(GenerateVsa(QL9ArrayOptions())));
    ASSERT_NE(model, nullptr);
    CVectorArrangement start;
    start.counts = dynamic_cast<const CLineArrayModel&>(*model).Counts();
    for (const CSPVariableParam& state : model->States())
        start.vectors.push_back(state.module.vector);
    CQL9ArrangementForm form(start, false);
    form.SelectCount(2);
    for (int j = 0; j < CQL9ArrangementForm::kJunctionCombos; ++j)
        if (form.JunctionCombo(j).visible && form.JunctionCombo(j).enabled)
            form.SelectJunction(j, 0); // 60deg-mode
    form.OnOK();
    ASSERT_EQ(form.Vectors().size(), 12u);
    for (std::size_t i = 0; i < 12; ++i)
        EXPECT_EQ(wide["splays"][i], form.Vectors()[i].splay) << "element " << i;

    ExpectRefused("arrange " + project + " 1 --junctions 20", {"--junctions", "60, 45, 30, 15"});
    ExpectRefused("arrange " + project + " 1 --count 5", {"--count", "QL-9"});
    ExpectRefused("arrange " + project + " 1 --cabinets L", {"--cabinets", "QL-9"});
}

TEST_F(CliArrange, KVW5CountAndBottomCabinet) {
    Run("arrange " + project + " 2 --count 2 --w5s");
    nlohmann::json a = Arrangement(kW5);
    ASSERT_EQ(a["elements"], 16);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(a["splays"][8 + i], CTypeWArrangementForm::kBottomSplays[i]) << i;
        EXPECT_EQ(a["splays"][i], 0) << i;
    }
    Run("arrange " + project + " 2 --no-w5s");
    a = Arrangement(kW5);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(a["splays"][i], 0) << i;

    ExpectRefused("arrange " + project + " 2 --count 5", {"--count", "1, 2, 3, 4"});
    ExpectRefused("arrange " + project + " 2 --junctions 2", {"--junctions", "KV-W5"});
    ExpectRefused("arrange " + project + " 2 --w5s --no-w5s", {"--no-w5s"});
}

TEST_F(CliArrange, KVKCabinetTypesAndCount) {
    Run("arrange " + project + " 3 --cabinets KV-K3L --count 2");
    nlohmann::json a = Arrangement(kK);
    EXPECT_EQ(a["elements"], 32);
    EXPECT_EQ(a["cabinets"], nlohmann::json(std::vector<std::string>(32, "KV-K3L")));
    Run("arrange " + project + " 3 --count 1 --cabinets KV-K2S");
    a = Arrangement(kK);
    EXPECT_EQ(a["elements"], 9);
    EXPECT_EQ(a["cabinets"][0], "KV-K2S");

    // A small cabinet hangs alone.
    ExpectRefused("arrange " + project + " 3 --count 2", {"--count", "1 for this KV-K"});
    ExpectRefused("arrange " + project + " 3 --cabinets KV-K9", {"--cabinets", "KV-K3S"});
    // From a small first cabinet, a large one chosen in the same command lets a second hang
    // under it: the count comes after the cabinet, as a person would set them.
    Run("arrange " + project + " 3 --cabinets KV-K3L --count 2");
    a = Arrangement(kK);
    EXPECT_EQ(a["elements"], 32);
    EXPECT_EQ(a["cabinets"], nlohmann::json(std::vector<std::string>(32, "KV-K3L")));
}

// After every command that changes what a map depends on, the map the project stores is either
// cleared or the one a calculation gives now: never the old map presented as current.
TEST_F(CliArrange, EveryChangeOfWhatTheMapDependsOnClearsOrRecalculatesIt) {
    CVsaGenOptions ceiling = DirectionalSpeaker(1, 3);
    Run("import " + project + " " + Write("ceiling.vsa", GenerateVsa(ceiling)));
    Run("install " + project + " --model 0 --at 20,2,8 --power 100");
    Run("install " + project + " --model 4 --at 5,5,3");
    Run("install " + project + " --model 1 --at 30,5,6");
    Run("plane " + project + " --origin 0,0,1.2 --extent 40,30,0 --pitch 2");
    Run("map " + project + " --save --mode interference"); // polarity matters
    const std::string calculated = Read(project);
    const std::vector<double> stored = [&] {
        std::vector<double> levels;
        const auto doc = Reopen(project); // the range below must not outlive the document
        for (const CPlaceElement& point : doc->Conditions().At(0)->plane.points)
            levels.push_back(point.level);
        return levels;
    }();
    const auto calculate = [&] {
        const CliRun r = Cli("map " + project + " --csv -");
        EXPECT_EQ(r.status, 0) << r.err;
        std::vector<double> levels;
        std::istringstream lines(r.out.substr(r.out.find("x,y,z,level\n") + 12));
        for (std::string line; std::getline(lines, line);)
            levels.push_back(std::stod(line.substr(line.rfind(',') + 1)));
        return levels;
    };
    ASSERT_EQ(calculate(), stored);
    for (const std::string& edit :
         {"install " + project + " --model 4 --at 30,20,3", "remove " + project + " 1",
          "move " + project + " 1 --at 10,10,3", "set " + project + " 1 --aim 30,-20,0",
          "set " + project + " 1 --power 50", "set " + project + " 0 --polarity reverse",
          "set " + project + " 2 --tap 1", "set " + project + " 1 --model 0",
          "auto-install " + project + " --model 5 --replace", "arrange " + project + " 0 --count 3",
          "arrange " + project + " 1 --junctions 15",
          "plane " + project + " --origin 0,0,1 --extent 40,30,0 --pitch 2"}) {
        SCOPED_TRACE(edit);
        Write("rig.tdax", calculated);
        Run(edit);
        const auto doc = Reopen(project);
        const CListeningPlane& plane = doc->Conditions().At(0)->plane;
        const std::vector<double> now = calculate();
        ASSERT_EQ(now.size(), plane.points.size());
        EXPECT_NE(now, stored); // the edit changed what the map shows
        const bool cleared = plane.maximumLevel == 0.0 && plane.pinkNoiseAverage == 0.0 &&
                             std::all_of(plane.points.begin(), plane.points.end(),
                                         [](const CPlaceElement& p) { return p.level == 0.0; });
        for (std::size_t i = 0; i < now.size() && !cleared; ++i)
            ASSERT_NEAR(plane.points[i].level, now[i], 1e-9) << "point " << i;
    }
}
