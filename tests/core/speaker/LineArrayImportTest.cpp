#include "SpeakerFixtures.h"
#include "speaker/CabinetArrayModel.h"
#include "speaker/ModuleArrangementPort.h"
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

// The lines of the generated text, without its version line.
std::vector<std::string> Lines(const CVsaGenOptions& o) {
    std::vector<std::string> lines;
    std::istringstream in(WithoutVersionLine(GenerateVsa(o)));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string Join(const std::vector<std::string>& lines, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += lines[i] + "\n";
    return text;
}
} // namespace

TEST(LineArrayImport, EveryPresetImportsWithItsFamilyCounts) {
    struct Expected {
        CVsaGenOptions options;
        CModuleCounts counts;
        std::size_t balloons;
    };
    for (const Expected& e : std::vector<Expected>{{QL9ArrayOptions(), {0, 4, 4}, 1},
                                                   {KVW5ArrayOptions(), {0, 0, 8}, 1},
                                                   {KVKArrayOptions(), {0, 0, 9}, 4},
                                                   {KVP10ArrayOptions(), {0, 0, 1}, 2},
                                                   {KVR6ArrayOptions(), {0, 0, 1}, 2},
                                                   {TypeNArrayOptions(), {0, 0, 8}, 1}}) {
        SCOPED_TRACE(e.options.name);
        std::string reason;
        auto model = ImportSpeakerText(GenerateVsa(e.options), kUnitMetric, &reason);
        ASSERT_TRUE(model) << reason;
        EXPECT_EQ(model->Kind(), e.options.kind);
        EXPECT_EQ(dynamic_cast<CLineArrayModel&>(*model).Counts(), e.counts);
        EXPECT_EQ(model->Balloons().size(), e.balloons);
        EXPECT_EQ(model->Elements().size(), static_cast<std::size_t>(e.counts.Total()));
        EXPECT_TRUE(model->CanArrangeModules());
        EXPECT_FALSE(model->CanAutoInstall());
        EXPECT_FALSE(model->IsKindZero());
        // The module table holds what the generator wrote: name, pitch, offset, splay, weight.
        ASSERT_EQ(model->Modules().size(), e.options.modules.size());
        for (std::size_t i = 0; i < e.options.modules.size(); ++i) {
            const CVsaModule& m = e.options.modules[i];
            EXPECT_EQ(model->Modules()[i],
                      (CAxisElement{m.name, {m.offset, m.pitch, m.splay}, m.weight}));
        }
        // Cabinet families start as one cabinet of type 0 whose splay is never used.
        if (auto* cabinets = dynamic_cast<CCabinetArrayModel*>(model.get())) {
            EXPECT_EQ(cabinets->Cabinets(),
                      CTypePandRParamArray(model->States().size(), CTypePandRParam{0, 0.0}));
            EXPECT_EQ(model->State(0).module.vector.splay, 0.0);
            EXPECT_EQ(model->State(0).module.weight, e.options.modules[0].weight);
        }
        for (const CBalloonElement& b : model->Balloons())
            EXPECT_GT(b.Value(0, 0, 0).Level(), 60.0);
    }
}

TEST(LineArrayImport, CountsAFamilyCannotHoldFailWithAReasonAndNoModel) {
    struct Case {
        CVsaGenOptions options;
        std::array<const char*, 3> counts;
    };
    const std::vector<Case> cases{
        {QL9ArrayOptions(), {"0", "-4", "4"}},
        {QL9ArrayOptions(), {"2", "3", "3"}},
        {QL9ArrayOptions(), {"0", "9", "9"}},
        {QL9ArrayOptions(), {"0", "0", "0"}},
        {QL9ArrayOptions(), {"0", "99999999999", "99999999999"}},
        {KVW5ArrayOptions(), {"0", "0", "33"}},
        {KVW5ArrayOptions(), {"0", "8", "8"}},
        {KVP10ArrayOptions(), {"1", "0", "1"}},
        {KVR6ArrayOptions(), {"0", "2", "1"}},
        {KVKArrayOptions(), {"0", "-1", "9"}},
        {TypeNArrayOptions(), {"3", "0", "8"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines = Lines(Small(c.options));
        std::copy(c.counts.begin(), c.counts.end(), lines.begin() + 1);
        std::istringstream in(Join(lines, lines.size()));
        CLineReader reader(in);
        CSpeakerModelContainer container;
        std::string reason;
        EXPECT_FALSE(container.ImportModel(reader, 0, nullptr, &reason)) << c.options.name;
        EXPECT_EQ(container.Count(), 0);
        EXPECT_FALSE(reason.empty());
    }
    // The third count of the cabinet families and type N is read and ignored.
    std::vector<std::string> typeN = Lines(Small(TypeNArrayOptions()));
    typeN[3] = "3";
    auto model = ImportSpeakerText(Join(typeN, typeN.size()));
    ASSERT_TRUE(model);
    EXPECT_EQ(model->ElementTotal(), 8);

    std::string reason;
    EXPECT_FALSE(ImportSpeakerText("5\n0\n4\n", 0, &reason)); // a count line is missing
    EXPECT_NE(reason.find("count"), std::string::npos) << reason;
}

TEST(LineArrayImport, MissingBalloonsFailTheImport) {
    // KV-K has four balloons of 4 phi blocks, each a phi line and 7 frequency lines.
    const CVsaGenOptions k = Small(KVKArrayOptions());
    const std::vector<std::string> lines = Lines(k);
    const std::size_t perBalloon = 4 * (1 + 7);
    const std::size_t before = lines.size() - 4 * perBalloon;
    std::string reason;
    EXPECT_FALSE(ImportSpeakerText(Join(lines, before + perBalloon), 0, &reason));
    EXPECT_NE(reason.find("module type 2 of 4"), std::string::npos) << reason;
    EXPECT_FALSE(ImportSpeakerText(Join(lines, before + 3 * perBalloon), 0, &reason));
    EXPECT_NE(reason.find("module type 4 of 4"), std::string::npos) << reason;

    // A QL-9 file that ends with its module table, and one that ends inside it.
    const std::vector<std::string> ql9 = Lines(Small(QL9ArrayOptions()));
    const std::size_t modulesEnd = ql9.size() - perBalloon;
    EXPECT_FALSE(ImportSpeakerText(Join(ql9, modulesEnd), 0, &reason));
    EXPECT_NE(reason.find("module type 1 of 1"), std::string::npos) << reason;
    EXPECT_FALSE(ImportSpeakerText(Join(ql9, modulesEnd - 12), 0, &reason));
}

TEST(LineArrayImport, CountsThatOverflowAnIntAreAnErrorNotAWrappedTotal) {
    const CModuleCounts damaged{1, 2147483647, 5};
    EXPECT_EQ(damaged.Total(), 2147483653LL);
    EXPECT_THROW(damaged.CheckedTotal(), CInvalidArgument);
    EXPECT_EQ((CModuleCounts{1, 4, 3}).CheckedTotal(), 8);
}
