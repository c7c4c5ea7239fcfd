#include "SpeakerFixtures.h"
#include "common/Archive.h"
#include "common/FileVersion.h"
#include "project/arrangement/ModuleArrangementDialogs.h"
#include "speaker/CabinetArrayModel.h"
#include "speaker/LineArrayModel.h"
#include "speaker/SpeakerModelContainer.h"

#include <gtest/gtest.h>

#include <functional>

namespace {
// Plays the user: each family's script edits the form and answers OK (true) or Cancel.
class CScriptedDialogs : public CModuleArrangementDialogs {
public:
    std::function<bool(CQL9ArrangementForm&)> ql9;
    std::function<bool(CTypeWArrangementForm&)> typeW;
    std::function<bool(CTypePArrangementForm&)> typeP;
    std::function<bool(CTypeRArrangementForm&)> typeR;
    std::function<bool(CTypeKArrangementForm&)> typeK;
    bool special = false;
    int runs = 0;

    bool Run(CQL9ArrangementForm& form) override { return Play(ql9, form); }
    bool Run(CTypeWArrangementForm& form) override { return Play(typeW, form); }
    bool Run(CTypePArrangementForm& form) override { return Play(typeP, form); }
    bool Run(CTypeRArrangementForm& form) override { return Play(typeR, form); }
    bool Run(CTypeKArrangementForm& form) override { return Play(typeK, form); }
    bool SpecialUserLevel() const override { return special; }

private:
    template <class Form> bool Play(const std::function<bool(Form&)>& script, Form& form) {
        ++runs;
        return script ? script(form) : false;
    }
};

std::unique_ptr<CSpeakerModel> Imported(CVsaGenOptions o) {
    o.phiBlocks = 4;
    o.thetaCount = 5;
    o.lowestFrequency = 500.0;
    o.highestFrequency = 2000.0;
    std::string reason;
    auto model = ImportSpeakerText(GenerateVsa(o), 0, &reason);
    EXPECT_TRUE(model) << reason;
    return model;
}

CModuleCounts CountsOf(const CSpeakerModel& m) {
    return {m.Settings().centre, m.Settings().upper, m.Settings().lower};
}

// Everything of a model an arrangement may change, as bytes of a project record and the
// element links, so "unchanged" means what a saved project would show.
struct Snapshot {
    explicit Snapshot(CSpeakerModel& m) {
        CArchiveOut ar;
        m.Store(ar, kVersion200);
        bytes = ar.TakeBuffer();
        for (const CSpeakerElement& e : m.Elements()) {
            elements.push_back(&e.Balloon());
            vectors.push_back(e.State().module.vector);
        }
    }
    bool operator==(const Snapshot&) const = default;
    std::vector<std::uint8_t> bytes;
    std::vector<const CBalloonElement*> elements;
    CAxisEntityArray vectors;
};

void ExpectEqualWeights(const CSpeakerModel& m, int total) {
    ASSERT_EQ(m.States().size(), static_cast<std::size_t>(total));
    ASSERT_EQ(m.Elements().size(), static_cast<std::size_t>(total));
    for (const CSpeakerElement& e : m.Elements())
        EXPECT_DOUBLE_EQ(e.Weight(), 1.0 / total);
}
} // namespace

TEST(ArrangeModules, QL9FromEightToSixteenModulesHalvesTheShare) {
    auto model = Imported(QL9ArrayOptions());
    CScriptedDialogs user;
    user.ql9 = [](CQL9ArrangementForm& form) {
        form.SelectCount(3);
        return true;
    };
    EXPECT_EQ(model->ArrangeModules(0, &user), 0.5);
    EXPECT_EQ(CountsOf(*model), (CModuleCounts{0, 8, 8}));
    ExpectEqualWeights(*model, 16);
    EXPECT_EQ(model->NameSuffix(), " (x 4)");
    EXPECT_EQ(model->DisplayName(), "QL-9 synthetic (x 4)");
    // The added modules are aimed and placed: the outermost lower one hangs lowest.
    EXPECT_LT(model->State(15).position.z, model->State(14).position.z);
    EXPECT_GT(model->State(7).position.z, model->State(6).position.z);
    // The module table holds the arranged vectors too.
    ASSERT_EQ(model->Modules().size(), 16u);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(model->Module(i).vector, model->State(i).module.vector) << i;
}

TEST(ArrangeModules, EightQL9ModulesAtZeroDegreesHangStraight) {
    auto model = Imported(QL9ArrayOptions());
    const double p = model->Module(0).vector.pitch;
    const double b = model->Module(0).vector.offset;
    CScriptedDialogs user;
    user.special = true;
    user.ql9 = [](CQL9ArrangementForm& form) {
        for (int k = 0; k < 7; ++k)
            form.SelectJunction(k, 6); // "0deg-mode(*)"
        return true;
    };
    // The box count stays: the counts and the shares from the speaker data stay too.
    EXPECT_EQ(model->ArrangeModules(0, &user), 1.0);
    EXPECT_EQ(CountsOf(*model), (CModuleCounts{0, 4, 4}));
    const double heights[8] = {0.5, 1.5, 2.5, 3.5, -0.5, -1.5, -2.5, -3.5};
    for (int i = 0; i < 8; ++i) {
        EXPECT_DOUBLE_EQ(model->State(i).position.x, b) << i;
        EXPECT_DOUBLE_EQ(model->State(i).position.z, heights[i] * p) << i;
        EXPECT_EQ(model->State(i).orientation.elevation, 0.0) << i;
        EXPECT_EQ(model->State(i).module.weight, 1.0 / 8) << i;
    }
}

TEST(ArrangeModules, CancelLeavesTheModelAsItWas) {
    CScriptedDialogs user;
    user.ql9 = [](CQL9ArrangementForm& form) {
        form.SelectCount(3);
        form.SelectJunction(0, 0);
        return false;
    };
    user.typeW = [](CTypeWArrangementForm& form) {
        form.SelectCount(2);
        return false;
    };
    user.typeP = [](CTypePArrangementForm& form) {
        form.SelectCount(5);
        return false;
    };
    user.typeK = [](CTypeKArrangementForm& form) {
        form.SelectCount(1);
        return false;
    };
    for (const CVsaGenOptions& o :
         {QL9ArrayOptions(), KVW5ArrayOptions(), KVP10ArrayOptions(), KVKArrayOptions()}) {
        auto model = Imported(o);
        const Snapshot before(*model);
        EXPECT_EQ(model->ArrangeModules(0, &user), 0.0) << o.name;
        EXPECT_TRUE(Snapshot(*model) == before) << o.name;
    }
    EXPECT_EQ(user.runs, 4);
}

TEST(ArrangeModules, TypeNHasNoDialog) {
    auto model = Imported(TypeNArrayOptions());
    const Snapshot before(*model);
    CScriptedDialogs user;
    EXPECT_TRUE(model->CanArrangeModules());
    EXPECT_EQ(model->ArrangeModules(0, &user), 0.0);
    EXPECT_EQ(user.runs, 0);
    EXPECT_TRUE(Snapshot(*model) == before);
    // Without a port no family can ask anyone.
    auto ql9 = Imported(QL9ArrayOptions());
    EXPECT_EQ(ql9->ArrangeModules(0, nullptr), 0.0);
}

TEST(ArrangeModules, AReopenedDialogAndAReloadSeeTheArrangedSplays) {
    auto model = Imported(QL9ArrayOptions());
    CScriptedDialogs user;
    user.ql9 = [](CQL9ArrangementForm& form) {
        form.SelectJunction(3, 2); // "30deg-mode" at the centre
        form.SelectJunction(4, 1); // "45deg-mode" below it
        return true;
    };
    ASSERT_EQ(model->ArrangeModules(0, &user), 1.0);
    EXPECT_EQ(model->State(0).module.vector.splay, -3.75);
    EXPECT_EQ(model->State(4).module.vector.splay, 3.75);
    EXPECT_EQ(model->State(5).module.vector.splay, 11.25);

    std::vector<int> seen;
    user.ql9 = [&](CQL9ArrangementForm& form) {
        seen = {form.JunctionCombo(3).selection, form.JunctionCombo(4).selection};
        return false;
    };
    model->ArrangeModules(0, &user);
    EXPECT_EQ(seen, (std::vector<int>{2, 1}));

    // A project stores the module table, not the state vectors; a reload gets them back.
    CArchiveOut storing;
    model->Store(storing, kVersion200);
    auto reloaded = CSpeakerModelContainer::CreateModel(model->Kind());
    CArchiveIn loading(storing.TakeBuffer());
    reloaded->Load(loading, kVersion200);
    reloaded->ComputeAim();
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(reloaded->State(i).module.vector, model->State(i).module.vector) << i;
        EXPECT_EQ(reloaded->State(i).position, model->State(i).position) << i;
    }
}

TEST(ArrangeModules, KVW5GrowsWithAKVW5SBottom) {
    auto model = Imported(KVW5ArrayOptions());
    CScriptedDialogs user;
    user.typeW = [](CTypeWArrangementForm& form) {
        form.SelectCount(2);
        form.SetBottomOption(true);
        return true;
    };
    EXPECT_DOUBLE_EQ(model->ArrangeModules(0, &user), 8.0 / 24.0);
    EXPECT_EQ(CountsOf(*model), (CModuleCounts{0, 0, 24}));
    ExpectEqualWeights(*model, 24);
    EXPECT_EQ(model->NameSuffix(), " (x 3)");
    const double bottom[8] = {0.1, 0.3, 0.6, 0.9, 1.3, 1.5, 1.9, 2.2};
    double elevation = 0.0;
    for (int i = 0; i < 24; ++i) {
        const double splay = i < 16 ? 0.0 : bottom[i - 16];
        elevation += splay;
        EXPECT_EQ(model->State(i).module.vector.splay, splay) << i;
        EXPECT_NEAR(model->State(i).orientation.elevation, elevation, 1e-12) << i;
    }
    EXPECT_EQ(model->Module(20).vector, model->State(20).module.vector);
}

TEST(ArrangeModules, KVP10CabinetsTakeTheirTypesSplaysAndBalloons) {
    auto model = Imported(KVP10ArrayOptions());
    CScriptedDialogs user;
    user.typeP = [](CTypePArrangementForm& form) {
        form.SelectCount(2);
        form.SelectCabinet(1, 1);
        form.SelectJunction(0, 3); // L above S: "8deg"
        form.SelectJunction(1, 1); // S above L: "6deg"
        return true;
    };
    EXPECT_DOUBLE_EQ(model->ArrangeModules(1, &user), 1.0 / 3.0);
    const auto& cabinets = dynamic_cast<CCabinetArrayModel&>(*model).Cabinets();
    EXPECT_EQ(cabinets, (CTypePandRParamArray{{0, 0.0}, {1, 8.0}, {0, 6.0}}));
    ExpectEqualWeights(*model, 3);
    EXPECT_EQ(model->NameSuffix(), "(x 3)");
    EXPECT_EQ(&model->Element(1).Balloon(), &model->Balloon(1));
    EXPECT_EQ(&model->Element(2).Balloon(), &model->Balloon(0));
    EXPECT_EQ(model->State(1).module.name, "KV-P10S");
    EXPECT_EQ(model->State(2).orientation.elevation, 14.0);
    EXPECT_EQ(model->State(1).module.vector.pitch, model->Module(1).vector.pitch);
}

TEST(ArrangeModules, KVKBecomesTwoCabinetsAndBack) {
    auto k = Imported(KVKArrayOptions());
    CScriptedDialogs user;
    user.typeK = [](CTypeKArrangementForm& form) {
        form.SelectCount(1); // a K2L above a K3L
        return true;
    };
    EXPECT_DOUBLE_EQ(k->ArrangeModules(0, &user), 9.0 / 25.0);
    EXPECT_EQ(k->NameSuffix(), "(x 2)");
    ExpectEqualWeights(*k, 25);
    EXPECT_EQ(&k->Element(24).Balloon(), &k->Balloon(1));
    user.typeK = [](CTypeKArrangementForm& form) {
        form.SelectCount(0);
        form.SelectFirstCabinet(2);
        return true;
    };
    EXPECT_DOUBLE_EQ(k->ArrangeModules(0, &user), 25.0 / 9.0);
    EXPECT_EQ(k->NameSuffix(), "");
    EXPECT_NEAR(k->State(8).orientation.elevation, 15.64, 1e-12); // the K2S splays summed
}

namespace {
// A port that answers with whatever the test puts in, bypassing the forms.
class CRawPort : public CModuleArrangementPort {
public:
    std::function<void(CVectorArrangement&)> vectors;
    std::function<void(CCabinetArrangement&)> cabinets;
    bool ArrangeQL9(CVectorArrangement& a) override { return vectors(a), true; }
    bool ArrangeTypeW(CVectorArrangement& a) override { return vectors(a), true; }
    bool ArrangeTypeP(CCabinetArrangement& a) override { return cabinets(a), true; }
    bool ArrangeTypeR(CCabinetArrangement& a) override { return cabinets(a), true; }
    bool ArrangeTypeK(CCabinetArrangement& a) override { return cabinets(a), true; }
};
} // namespace

TEST(ArrangeModules, ImpossibleAnswersAreRefusedBeforeAnythingChanges) {
    CRawPort port;
    auto refused = [&](const CVsaGenOptions& o) {
        auto model = Imported(o);
        const Snapshot before(*model);
        EXPECT_THROW(model->ArrangeModules(0, &port), CInvalidArgument) << o.name;
        EXPECT_TRUE(Snapshot(*model) == before) << o.name;
    };
    port.vectors = [](CVectorArrangement& a) { a.counts = {0, 9, 9}; };
    refused(QL9ArrayOptions());
    port.vectors = [](CVectorArrangement& a) { a.counts = {0, 8, 8}; }; // vectors still 8
    refused(QL9ArrayOptions());
    port.vectors = [](CVectorArrangement& a) { a.counts = {1, 4, 3}; };
    refused(QL9ArrayOptions());
    port.vectors = [](CVectorArrangement& a) { a.counts = {0, 4, 4}; };
    refused(KVW5ArrayOptions());
    port.cabinets = [](CCabinetArrangement& a) {
        a.counts = {0, 0, 2};
        a.cabinets = {{0, 0}, {7, 3}};
    };
    refused(KVP10ArrayOptions());
    port.cabinets = [](CCabinetArrangement& a) { a.counts = {0, 0, 2}; }; // one cabinet only
    refused(KVR6ArrayOptions());
    port.cabinets = [](CCabinetArrangement& a) {
        a.counts = {0, 0, 10};
        a.cabinets.resize(10);
    };
    refused(KVKArrayOptions());
}
