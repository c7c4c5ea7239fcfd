#include "SpeakerFixtures.h"
#include "common/Archive.h"
#include "speaker/SpeakerModelContainer.h"
#include "speaker/StdSPModel.h"

#include "common/LineReader.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {
CSpeakerModelContainer ContainerWith(int count) {
    CSpeakerModelContainer container;
    for (int i = 0; i < count; ++i) {
        auto model = ImportSpeakerText(GenerateVsa(OmniSpeaker(80.0 + i)));
        model->Header().name = "m" + std::to_string(i);
        container.Append(std::move(model));
    }
    return container;
}
} // namespace

TEST(SpeakerModelContainer, RemovingTheCurrentLastModelMovesCurrentToTheNewLast) {
    CSpeakerModelContainer c = ContainerWith(3);
    c.SetCurrentIndex(2);
    c.RemoveModel(2);
    EXPECT_EQ(c.Count(), 2);
    EXPECT_EQ(c.CurrentIndex(), 1);
    EXPECT_EQ(c.CurrentModel()->Name(), "m1");

    c.RemoveModel(5); // beyond the count: nothing happens
    EXPECT_EQ(c.Count(), 2);

    c.SetCurrentIndex(1);
    c.RemoveModel(0); // current stays below the count, so it is kept as an index
    EXPECT_EQ(c.CurrentIndex(), 0);
    EXPECT_EQ(c.CurrentModel()->Name(), "m1");
    c.RemoveModel(0);
    EXPECT_EQ(c.Count(), 0);
    EXPECT_EQ(c.CurrentIndex(), 0);
    EXPECT_EQ(c.CurrentModel(), nullptr);
    EXPECT_THROW(c.At(0), CInvalidArgument);
}

TEST(SpeakerModelContainer, ImportAppendsWithoutChangingTheCurrentModel) {
    CSpeakerModelContainer c = ContainerWith(2);
    c.SetCurrentIndex(0);
    std::istringstream in(WithoutVersionLine(GenerateVsa(DirectionalSpeaker(1))));
    CLineReader reader(in);
    ASSERT_TRUE(c.ImportModel(reader, kUnitImperial, nullptr));
    EXPECT_EQ(c.Count(), 3);
    EXPECT_EQ(c.CurrentIndex(), 0);
    EXPECT_EQ(c.At(2).Settings().lengthUnit, kUnitImperial);

    std::istringstream bad("9\nnothing\n");
    CLineReader badReader(bad);
    std::string reason;
    EXPECT_FALSE(c.ImportModel(badReader, 0, nullptr, &reason));
    EXPECT_EQ(c.Count(), 3);
}

TEST(StdSPModel, KindDecidesCeilingBehaviour) {
    CStdSPModel wall(0), ceiling(1);
    EXPECT_TRUE(wall.IsKindZero());
    EXPECT_FALSE(wall.CanAutoInstall());
    EXPECT_EQ(wall.DefaultElevation(), 0.0);
    EXPECT_FALSE(ceiling.IsKindZero());
    EXPECT_TRUE(ceiling.CanAutoInstall());
    EXPECT_EQ(ceiling.DefaultElevation(), 90.0);
    EXPECT_FALSE(ceiling.CanArrangeModules());
    EXPECT_EQ(ceiling.ArrangeModules(0, nullptr), 0.0);
    EXPECT_EQ(ceiling.NameSuffix(), "");
}

TEST(StdSPModel, LoadingSetsOneElementAndNamesItsModuleAfterTheModel) {
    CStdSPModel model(0);
    model.Header().name = "Wall 8";
    CArchiveIn loading({});
    model.LoadCounts(loading);
    EXPECT_EQ(model.ElementTotal(), 1);
    EXPECT_EQ(model.Modules().size(), 1u);
    EXPECT_EQ(model.Balloons().size(), 1u);
    model.ResetWeights();
    EXPECT_EQ(model.State(0).module.weight, 1.0);
    model.LoadModules(loading);
    EXPECT_EQ(model.State(0).module.name, "Wall 8");
    EXPECT_EQ(loading.Offset(), 0u); // the standard model stores nothing of its own

    CArchiveOut storing;
    model.StoreCounts(storing);
    model.StoreModules(storing);
    EXPECT_TRUE(storing.Buffer().empty());
}

TEST(SpeakerModel, ModulesApplyWholeOrVectorOnly) {
    CStdSPModel model(0);
    CArchiveIn loading({});
    model.LoadCounts(loading);
    model.ResetWeights();
    model.Modules()[0] = {"entry", {0.25, 0.5, 3.0}, 0.75};
    model.ApplyModules(0);
    EXPECT_EQ(model.State(0).module.vector, (CModuleVector{0.25, 0.5, 3.0}));
    EXPECT_EQ(model.State(0).module.weight, 1.0);
    EXPECT_EQ(model.State(0).module.name, "");
    model.ApplyModules(1);
    EXPECT_EQ(model.State(0).module, model.Modules()[0]);
    model.ComputeAim();
    EXPECT_EQ(model.State(0).position, (CVec3{0.25, 0, 0}));
}
