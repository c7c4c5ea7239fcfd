#include "SpeakerFixtures.h"
#include "speaker/CabinetArrayModel.h"
#include "speaker/SpeakerModelContainer.h"

#include "common/LineReader.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {
// A preset on a small grid, so the files stay short.
CVsaGenOptions Small(CVsaGenOptions o) {
    o.phiBlocks = 4;
    o.thetaCount = 5;
    o.lowestFrequency = 500.0;
    o.highestFrequency = 2000.0;
    return o;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string Join(const std::vector<std::string>& lines, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count && i < lines.size(); ++i)
        text += lines[i] + "\n";
    return text;
}

// The generated text without its version line, with the three count lines replaced.
std::string WithCounts(const CVsaGenOptions& o, const std::string& c0, const std::string& c1,
                       const std::string& c2) {
    std::vector<std::string> lines = Lines(WithoutVersionLine(GenerateVsa(o)));
    lines[1] = c0;
    lines[2] = c1;
    lines[3] = c2;
    return Join(lines, lines.size());
}

// Number of text lines before the directivity data of a generated file (without version line).
std::size_t LinesBeforeBalloons(const CVsaGenOptions& o) {
    return 1 + 3 + 7 + o.taps.size() + 1 + 5 * o.modules.size();
}

struct Expected {
    CVsaGenOptions options;
    CModuleCounts counts;
    std::size_t modules;
    std::size_t balloons;
};
} // namespace

TEST(LineArrayImport, EveryPresetImportsWithItsFamilyCounts) {
    const std::vector<Expected> presets{
        {QL9ArrayOptions(), {0, 4, 4}, 8, 1},  {KVW5ArrayOptions(), {0, 0, 8}, 8, 1},
        {KVKArrayOptions(), {0, 0, 9}, 4, 4},  {KVP10ArrayOptions(), {0, 0, 1}, 2, 2},
        {KVR6ArrayOptions(), {0, 0, 1}, 2, 2}, {TypeNArrayOptions(), {0, 0, 8}, 8, 1},
    };
    for (const Expected& e : presets) {
        SCOPED_TRACE(e.options.name);
        std::string reason;
        auto model = ImportSpeakerText(GenerateVsa(e.options), kUnitMetric, &reason);
        ASSERT_TRUE(model) << reason;
        auto* array = dynamic_cast<CLineArrayModel*>(model.get());
        ASSERT_TRUE(array);
        EXPECT_EQ(model->Kind(), e.options.kind);
        EXPECT_EQ(array->Counts(), e.counts);
        EXPECT_EQ(model->Modules().size(), e.modules);
        EXPECT_EQ(model->Balloons().size(), e.balloons);
        EXPECT_EQ(model->Elements().size(), static_cast<std::size_t>(e.counts.Total()));
        EXPECT_TRUE(model->CanArrangeModules());
        EXPECT_FALSE(model->CanAutoInstall());
        EXPECT_FALSE(model->IsKindZero());
        EXPECT_EQ(model->DefaultElevation(), 0.0);

        // The module table holds what the generator wrote, line for line.
        for (std::size_t i = 0; i < e.modules; ++i) {
            const CVsaModule& written = e.options.modules[i];
            const CAxisElement& read = model->Module(static_cast<int>(i));
            EXPECT_EQ(read.name, written.name);
            EXPECT_EQ(read.vector.pitch, written.pitch);
            EXPECT_EQ(read.vector.offset, written.offset);
            EXPECT_EQ(read.vector.splay, written.splay);
            EXPECT_EQ(read.weight, written.weight);
            EXPECT_GT(read.vector.pitch, 0.05);
            EXPECT_LT(read.vector.pitch, 0.6);
        }
        // Elements hang from the reference point, downward unless the family has an upper stack.
        for (const CSPVariableParam& state : model->States()) {
            EXPECT_EQ(state.position.y, 0.0);
            EXPECT_NE(state.position.z, 0.0);
            EXPECT_GT(state.position.x, -1.0);
            if (e.counts.upper == 0) {
                EXPECT_LT(state.position.z, 0.0);
            }
        }
        // Every balloon carries data after the import.
        for (const CBalloonElement& b : model->Balloons())
            EXPECT_GT(b.Value(0, 0, 0).Level(), 60.0);
    }
}

TEST(LineArrayImport, CabinetFamiliesStartWithOneCabinetOfTypeZero) {
    for (CVsaGenOptions o : {KVP10ArrayOptions(), KVR6ArrayOptions(), KVKArrayOptions()}) {
        SCOPED_TRACE(o.name);
        o.counts = {0, 0, 5}; // the third count is read and ignored
        auto model = ImportSpeakerText(GenerateVsa(Small(o)));
        ASSERT_TRUE(model);
        auto& cabinets = dynamic_cast<CCabinetArrayModel&>(*model).Cabinets();
        ASSERT_EQ(cabinets.size(), model->States().size());
        for (const CTypePandRParam& c : cabinets)
            EXPECT_EQ(c.type, 0);
        for (std::size_t i = 0; i < model->Elements().size(); ++i)
            EXPECT_EQ(&model->Element(static_cast<int>(i)).Balloon(), &model->Balloon(0));
        // The first cabinet never splays, whatever its module entry says.
        EXPECT_EQ(model->State(0).module.vector.splay, 0.0);
        EXPECT_EQ(model->State(0).orientation.elevation, 0.0);
    }
    auto typeN = ImportSpeakerText(WithCounts(Small(TypeNArrayOptions()), "0", "0", "3"));
    ASSERT_TRUE(typeN);
    EXPECT_EQ(typeN->ElementTotal(), 8);
}

TEST(LineArrayImport, CountsAFamilyCannotHoldFailWithAReasonAndNoModel) {
    struct Case {
        CVsaGenOptions options;
        const char* c0;
        const char* c1;
        const char* c2;
    };
    const std::vector<Case> cases{
        {QL9ArrayOptions(), "0", "-4", "4"},       // negative
        {QL9ArrayOptions(), "2", "3", "3"},        // two centre modules
        {QL9ArrayOptions(), "0", "9", "9"},        // more than four boxes
        {QL9ArrayOptions(), "0", "0", "0"},        // nothing at all
        {QL9ArrayOptions(), "0", "99999999", "4"}, // absurd
        {KVW5ArrayOptions(), "0", "0", "33"},      // more than four cabinets
        {KVW5ArrayOptions(), "0", "8", "8"},       // an upper stack
        {KVW5ArrayOptions(), "0", "0", "-8"},      {KVP10ArrayOptions(), "1", "0", "1"},
        {KVR6ArrayOptions(), "0", "2", "1"},       {KVKArrayOptions(), "0", "-1", "9"},
        {TypeNArrayOptions(), "3", "0", "8"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.name + " " + c.c0 + "," + c.c1 + "," + c.c2);
        std::istringstream in(WithCounts(Small(c.options), c.c0, c.c1, c.c2));
        CLineReader reader(in);
        CSpeakerModelContainer container;
        std::string reason;
        EXPECT_FALSE(container.ImportModel(reader, 0, nullptr, &reason));
        EXPECT_EQ(container.Count(), 0);
        EXPECT_FALSE(reason.empty());
    }
}

TEST(LineArrayImport, AMissingCountLineFails) {
    for (const char* text : {"5\n0\n4\n", "6\n0\n", "4\n"}) {
        std::string reason;
        EXPECT_FALSE(ImportSpeakerText(text, 0, &reason)) << text;
        EXPECT_NE(reason.find("count"), std::string::npos) << reason;
    }
}

TEST(LineArrayImport, MissingBalloonsFailTheImport) {
    // A KV-K file cut after its first balloon lacks the three other module types.
    const CVsaGenOptions k = Small(KVKArrayOptions());
    const std::vector<std::string> lines = Lines(WithoutVersionLine(GenerateVsa(k)));
    const std::size_t perBalloon = 4 * (1 + 7); // phi blocks x (phi line + 7 frequency lines)
    const std::size_t before = LinesBeforeBalloons(k);
    ASSERT_EQ(lines.size(), before + 4 * perBalloon);
    std::string reason;
    EXPECT_FALSE(ImportSpeakerText(Join(lines, before + perBalloon), 0, &reason));
    EXPECT_NE(reason.find("module type 2 of 4"), std::string::npos) << reason;
    EXPECT_FALSE(ImportSpeakerText(Join(lines, before + 3 * perBalloon), 0, &reason));
    EXPECT_NE(reason.find("module type 4 of 4"), std::string::npos) << reason;
    EXPECT_TRUE(ImportSpeakerText(Join(lines, lines.size()), 0, &reason)) << reason;

    // A QL-9 file that ends with its module table, and one that ends inside it.
    const CVsaGenOptions q = Small(QL9ArrayOptions());
    const std::vector<std::string> ql9 = Lines(WithoutVersionLine(GenerateVsa(q)));
    EXPECT_FALSE(ImportSpeakerText(Join(ql9, LinesBeforeBalloons(q)), 0, &reason));
    EXPECT_NE(reason.find("module type 1 of 1"), std::string::npos) << reason;
    EXPECT_FALSE(ImportSpeakerText(Join(ql9, LinesBeforeBalloons(q) - 12), 0, &reason));
    EXPECT_FALSE(reason.empty());
}

TEST(LineArrayImport, ModuleLinesAreNamePitchOffsetSplayWeight) {
    CVsaGenOptions o = Small(KVP10ArrayOptions());
    o.modules = {{"Long cabinet", 0.5, 0.125, 7.0, 0.75}, {"Short", 0.25, 0.0625, -3.0, 0.5}};
    auto model = ImportSpeakerText(GenerateVsa(o));
    ASSERT_TRUE(model);
    EXPECT_EQ(model->Module(0), (CAxisElement{"Long cabinet", {0.125, 0.5, 7.0}, 0.75}));
    EXPECT_EQ(model->Module(1), (CAxisElement{"Short", {0.0625, 0.25, -3.0}, 0.5}));
    // Applied whole to the single cabinet, except its splay, which the first cabinet never has.
    EXPECT_EQ(model->State(0).module.name, "Long cabinet");
    EXPECT_EQ(model->State(0).module.weight, 0.75);
    EXPECT_EQ(model->State(0).module.vector, (CModuleVector{0.125, 0.5, 0.0}));
    EXPECT_EQ(model->State(0).position, (CVec3{0.125, 0.0, -0.25}));
}
