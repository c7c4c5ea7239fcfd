// Rigging line arrays from the command line: each family through its own arrangement form, with
// the Arrange Modules command's power rescale, and `info` telling what was arranged.
#include "CliFixture.h"
#include "SpeakerFixtures.h"
#include "common/FormatSignificant.h"
#include "project/arrangement/ArrangementStrings.h"
#include "project/arrangement/CabinetArrangementForm.h"
#include "project/arrangement/QL9ArrangementForm.h"
#include "project/arrangement/TypeKArrangementForm.h"
#include "project/arrangement/TypeWArrangementForm.h"
#include "project/forms/NumberField.h"
#include "speaker/CabinetArrayModel.h"
#include "speaker/LineArrayModel.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <cmath>
#include <functional>
#include <memory>
#include <tuple>

namespace {
class CliArrange : public CliFixture {
protected:
    std::string project;
    enum { kP10, kQL9, kW5, kK, kOmni, kR6 };

    void SetUp() override {
        project = P("rig.tdax");
        Run("new " + project + " --room 40,30,12");
        std::string files;
        int n = 0;
        for (const CVsaGenOptions& o :
             {KVP10ArrayOptions(), QL9ArrayOptions(), KVW5ArrayOptions(), KVKArrayOptions(),
              OmniOptions(3, 63, 16000), KVR6ArrayOptions()})
            files += " " + Write("m" + std::to_string(n++) + ".vsa", GenerateVsa(o));
        Run("import " + project + files);
    }

    nlohmann::json Arrangement(int model) const {
        return Info(project)["models"][model]["arrangement"];
    }

    // The angle at each junction the preview draws, top to bottom: the turn of the front edge from
    // one element to the one hanging below it.
    static std::vector<double> DrawnJunctions(const CModuleArrangementForm& form) {
        const std::vector<CPreviewCorners> corners = form.Corners();
        const CModuleCounts& c = form.Counts();
        std::vector<int> order;
        for (int i = c.upper - 1; i >= 0; --i)
            order.push_back(i);
        for (int i = c.upper; i < c.upper + c.lower; ++i)
            order.push_back(i);
        std::vector<double> angles;
        auto tilt = [&](int i) {
            const CPreviewCorners& e = corners[static_cast<std::size_t>(i)];
            return std::atan2(e.topFront.x - e.bottomFront.x, e.topFront.z - e.bottomFront.z) *
                   180 / M_PI;
        };
        for (std::size_t k = 1; k < order.size(); ++k)
            angles.push_back(tilt(order[k]) - tilt(order[k - 1]));
        return angles;
    }

    // What a model's arrangement dialog starts from, as the program hands it over.
    static CCabinetArrangement CabinetStart(const CVsaGenOptions& options) {
        const auto model = ImportSpeakerText(WithoutVersionLine(GenerateVsa(options)));
        const auto& cabinets = dynamic_cast<const CCabinetArrayModel&>(*model);
        return {cabinets.Counts(), cabinets.Cabinets(), cabinets.Modules(), 0};
    }
    static CVectorArrangement VectorStart(const CVsaGenOptions& options) {
        const auto model = ImportSpeakerText(WithoutVersionLine(GenerateVsa(options)));
        CVectorArrangement start{dynamic_cast<const CLineArrayModel&>(*model).Counts(), {}, 0};
        for (const CSPVariableParam& state : model->States())
            start.vectors.push_back(state.module.vector);
        return start;
    }

    // Arranges model `model` from the command line and checks that `info` reports the junction
    // angles and the splays the dialog's form gives for the same choices.
    void ExpectArrangedAsTheFormShows(int model, const std::string& options,
                                      const CModuleArrangementForm& form, const std::string& what) {
        SCOPED_TRACE(what);
        Run("arrange " + project + " " + std::to_string(model) + " " + options);
        const nlohmann::json a = Arrangement(model);
        const std::vector<double> drawn = DrawnJunctions(form);
        ASSERT_EQ(a["junctions"].size(), drawn.size());
        for (std::size_t j = 0; j < drawn.size(); ++j)
            EXPECT_NEAR(a["junctions"][j].get<double>(), drawn[j], 1e-9) << "junction " << j;
        ASSERT_EQ(a["splays"].size(), form.Vectors().size());
        for (std::size_t i = 0; i < form.Vectors().size(); ++i)
            EXPECT_EQ(a["splays"][i].get<double>(), form.Vectors()[i].splay) << "element " << i;
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
    const CliRun arranged =
        Cli("arrange " + project + " 0 --count 4 --cabinets L,L,S,S --junctions 0,7,15");
    ASSERT_EQ(arranged.status, 0) << arranged.err;
    const nlohmann::json a = Arrangement(kP10);
    EXPECT_EQ(a["elements"], 4);
    EXPECT_EQ(a["counts"]["lower"], 4);
    EXPECT_EQ(a["cabinets"], nlohmann::json({"KV-P10L", "KV-P10L", "KV-P10S", "KV-P10S"}));
    // Each junction is given as the angle between its cabinets, which is their splay.
    const int angles[] = {0, 7, 15};
    for (int j = 1; j < 4; ++j) {
        EXPECT_EQ(a["splays"][j], angles[j - 1]) << "cabinet " << j;
        EXPECT_EQ(a["junctions"][j - 1], angles[j - 1]) << "junction " << j;
    }
    // Each element keeps its share: the column's power grows with its element count, each box
    // keeping its 100 W; the command says so. Only the arranged model's installations change.
    const nlohmann::json installations = Info(project)["installations"];
    EXPECT_DOUBLE_EQ(installations[0]["power"].get<double>(), 100.0 * 4 / before);
    EXPECT_EQ(installations[1]["power"], 100);
    EXPECT_NE(arranged.out.find("installation 0: power 100 W -> 400 W, 100 W a box for 4 boxes "
                                "(tap 1 of "),
              std::string::npos)
        << arranged.out;
    EXPECT_EQ(arranged.out.find("installation 1"), std::string::npos) << arranged.out;

    const CliRun text = Cli("info " + project);
    EXPECT_NE(text.out.find("arranged: 4 elements"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("cabinets: KV-P10L x2, KV-P10S x2"), std::string::npos) << text.out;

    ExpectRefused("arrange " + project + " 0 --count 9", {"--count", "1, 2", "8"});
    ExpectRefused("arrange " + project + " 0 --cabinets L,X,L,L", {"--cabinets", "\"X\""});
    ExpectRefused("arrange " + project + " 0 --junctions 6,6,6",
                  {"--junctions", "\"6\"", "junction 1", "offered: 0, 1, 2, 3, 4, 5"});
    ExpectRefused("arrange " + project + " 0 --junctions 0,4,15",
                  {"--junctions", "junction 2", "offered: 5, 6, 7, 8, 9, 10"});
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
          "set " + project + " 2 --tap 2", "set " + project + " 1 --model 0",
          "auto-install " + project + " --model 6 --replace", "arrange " + project + " 0 --count 3",
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

// Every junction entry the arrangement dialogs offer, in every family with junctions or fixed
// splays: the angle an entry's label names is the splay the model stores, the angle the preview
// draws between the two neighbours, and the junction angle `info` reports.
TEST_F(CliArrange, EachJunctionEntryIsTheAngleStoredDrawnAndReported) {
    const std::pair<const char*, int> types[] = {{"L", 0}, {"S", 1}};
    for (const auto& [family, model, options] :
         {std::tuple{"KV-P10", int(kP10), KVP10ArrayOptions()},
          std::tuple{"KV-R6", int(kR6), KVR6ArrayOptions()}}) {
        for (const auto& [above, aboveType] : types) {
            for (const auto& [below, belowType] : types) {
                std::unique_ptr<CCabinetArrangementForm> form;
                if (model == kP10)
                    form = std::make_unique<CTypePArrangementForm>(CabinetStart(options));
                else
                    form = std::make_unique<CTypeRArrangementForm>(CabinetStart(options));
                form->SelectCount(1);
                form->SelectCabinet(0, aboveType);
                form->SelectCabinet(1, belowType);
                const std::vector<std::string> entries = form->JunctionCombo(0).items;
                ASSERT_EQ(entries.size(), 6u);
                for (int entry = 0; entry < 6; ++entry) {
                    form->SelectJunction(0, entry);
                    const std::string label = entries[static_cast<std::size_t>(entry)];
                    ASSERT_EQ(label.substr(label.size() - 3), "deg") << label;
                    const double named = std::stod(label);
                    EXPECT_EQ(form->Vectors()[1].splay, named) << family << " " << label;
                    EXPECT_NEAR(DrawnJunctions(*form)[0], named, 1e-9) << family << " " << label;
                    ExpectArrangedAsTheFormShows(
                        model,
                        std::string("--count 2 --cabinets ") + above + "," + below +
                            " --junctions " + label.substr(0, label.size() - 3),
                        *form, std::string(family) + " " + above + "/" + below + " " + label);
                }
            }
        }
    }

    // QL-9: a mode names the coverage of one box, four junctions; each junction turns by a
    // quarter of it, the centre one too although its splay is shared by the modules beside it.
    for (int mode = 0; mode < CQL9ArrangementForm::kStandardModes; ++mode) {
        CQL9ArrangementForm form(VectorStart(QL9ArrayOptions()), false);
        form.SelectCount(1);
        for (int j = 0; j < CQL9ArrangementForm::kJunctionCombos; ++j)
            if (form.JunctionCombo(j).visible)
                form.SelectJunction(j, mode);
        const std::string label = form.JunctionCombo(0).items[static_cast<std::size_t>(mode)];
        const double perJunction = std::stod(label) / 4;
        for (const double drawn : DrawnJunctions(form))
            EXPECT_NEAR(drawn, perJunction, 1e-9) << label;
        ExpectArrangedAsTheFormShows(
            kQL9, "--count 2 --junctions " + label.substr(0, label.find("deg")), form, label);
    }

    // KV-W5 with its KV-W5S bottom cabinet and the KV-K S cabinets: fixed splays, each the angle
    // drawn and reported at its junction.
    for (const bool bottom : {false, true}) {
        CTypeWArrangementForm form(VectorStart(KVW5ArrayOptions()));
        form.SelectCount(1);
        form.SetBottomOption(bottom);
        const std::vector<double> drawn = DrawnJunctions(form);
        for (std::size_t j = 0; j < drawn.size(); ++j)
            EXPECT_NEAR(drawn[j], form.Vectors()[j + 1].splay, 1e-9) << j;
        ExpectArrangedAsTheFormShows(kW5, bottom ? "--count 2 --w5s" : "--count 2 --no-w5s", form,
                                     bottom ? "KV-W5S" : "KV-W5");
    }
    for (const int type : {int(CTypeKModel::kK2S), int(CTypeKModel::kK3S)}) {
        CTypeKArrangementForm form(CabinetStart(KVKArrayOptions()));
        form.SelectFirstCabinet(type);
        form.OnOK();
        const std::vector<double> drawn = DrawnJunctions(form);
        const double* table = type == CTypeKModel::kK2S ? CTypeKArrangementForm::kK2SSplays
                                                        : CTypeKArrangementForm::kK3SSplays;
        for (std::size_t j = 0; j < drawn.size(); ++j)
            EXPECT_NEAR(drawn[j], table[j + 1], 1e-9) << j;
        ExpectArrangedAsTheFormShows(
            kK, std::string("--count 1 --cabinets ") + ArrangementStrings::kTypeKCabinets[type],
            form, ArrangementStrings::kTypeKCabinets[type]);
    }
}

// An array arranged to eight boxes (or as many as its family hangs) holds its tap's power for
// every box; editing it from the command line is taken (a new aim, a move), and a power that
// would put a box above its tap is refused naming what each box would carry. `arrange` says
// what it did to the power, a KV-K brought down to its tap included.
TEST_F(CliArrange, EveryEditOfAnArrangedArrayIsTakenWhileEachBoxStaysWithinItsTap) {
    struct CFamily {
        int model;
        std::string arrange;
        int boxes;
    };
    const CFamily families[] = {{kP10, "--count 8", 8},
                                {kR6, "--count 8", 8},
                                {kQL9, "--count 4", 4},
                                {kW5, "--count 4", 4},
                                {kK, "--count 2", 2}};
    int n = 0;
    for (const CFamily& family : families) {
        SCOPED_TRACE("model " + std::to_string(family.model));
        const nlohmann::json model = Info(project)["models"][family.model];
        const double tap = model["taps"][model["defaultTap"].get<int>()]["power"];
        const int index = n++;
        Run("install " + project + " --model " + std::to_string(family.model) + " --at " +
            std::to_string(2 + 3 * index) + ",5,8");
        const CliRun arranged =
            Cli("arrange " + project + " " + std::to_string(family.model) + " " + family.arrange);
        ASSERT_EQ(arranged.status, 0) << arranged.err;
        const std::string boxes = std::to_string(family.boxes) + " boxes";
        EXPECT_NE(arranged.out.find("installation " + std::to_string(index) + ": power "),
                  std::string::npos)
            << arranged.out;
        EXPECT_NE(arranged.out.find(boxes + " (tap 1 of "), std::string::npos) << arranged.out;
        // Nine KV-K sections become twenty-five: their shares would put each cabinet above its
        // tap, so the array gets the tap's power for each instead.
        EXPECT_EQ(arranged.out.find("(the most its tap allows; the module shares would give ") !=
                      std::string::npos,
                  family.model == kK)
            << arranged.out;
        const double power = Info(project)["installations"][index]["power"];
        EXPECT_LE(power, tap * family.boxes * (1 + 1e-12));
        EXPECT_GT(power, tap);
        const std::string N = " " + std::to_string(index);
        Run("set " + project + N + " --aim 0,10,0");
        Run("move " + project + N + " --at " + std::to_string(2 + 3 * index) + ",6,7.5");
        Run("set " + project + N + " --power " + FormatFieldNumber(tap * family.boxes));
        const double over = tap * family.boxes * 1.25;
        ExpectRefused("set " + project + N + " --power " + FormatFieldNumber(over),
                      {"--power must lie between 0 and " + FormatFieldNumber(tap * family.boxes),
                       boxes + " of at most " + FormatFieldNumber(tap) + " W",
                       FormatSignificant(tap * 1.25, 4) + " W a box"});
    }
}
