#include "ByteWriter.h"
#include "SpeakerFixtures.h"
#include "common/Archive.h"
#include "common/FileVersion.h"
#include "common/MathUtil.h"
#include "speaker/QL9Model.h"
#include "speaker/SpeakerModelContainer.h"
#include "speaker/TypeKModel.h"
#include "speaker/TypeNModel.h"
#include "speaker/TypePModel.h"
#include "speaker/TypeRModel.h"
#include "speaker/TypeWModel.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
// Counts, axis entries (name, offset, pitch, splay) and cabinets as the file layout has them.
struct Record : CByteWriter {
    Record(int c0, int c1, int c2) {
        Word(static_cast<std::uint16_t>(c0)).Word(static_cast<std::uint16_t>(c1));
        Word(static_cast<std::uint16_t>(c2));
    }
    Record& Entry(const std::string& name, double offset, double pitch, double splay) {
        String(name).Doubles({offset, pitch, splay});
        return *this;
    }
    Record& Cabinet(std::uint32_t type, double splay) {
        Dword(type).Double(splay);
        return *this;
    }
};

// The part of a project load the families take part in, in the load order.
void Load(CSpeakerModel& model, const Record& record) {
    CArchiveIn ar(record.bytes);
    model.LoadCounts(ar);
    model.ResetWeights();
    model.LoadModules(ar);
    model.ApplyModules(0);
    model.BuildElements();
    EXPECT_EQ(ar.Remaining(), 0u);
}

class CTestTypeN : public CTypeNModel {
public:
    using CTypeNModel::SetCounts;
};
} // namespace

TEST(TypeNModel, FixedSplaysGiveTheDocumentedElevationsWhateverTheFileSays) {
    CVsaGenOptions o = TypeNArrayOptions();
    for (CVsaModule& m : o.modules)
        m.splay = 0.0;
    o.modules[3].pitch = 0.2; // pitches and offsets do come from the file
    auto model = ImportSpeakerText(GenerateVsa(o));
    ASSERT_TRUE(model);
    const double expected[8] = {4.0, 4.4, 5.2, 6.8, 9.6, 14.0, 20.4, 30.4};
    // The column is continuous: each module's front edge starts where the one above it ends.
    double topX = 0.0, topZ = 0.0;
    for (int j = 0; j < 8; ++j) {
        const CSPVariableParam& s = model->State(j);
        const double t = DegToRad(s.orientation.elevation), h = j == 3 ? 0.2 : 0.15;
        EXPECT_NEAR(s.orientation.elevation, expected[j], 1e-12) << j;
        EXPECT_NEAR(s.position.x - 0.04 * std::cos(t), topX - std::sin(t) * h / 2, 1e-12) << j;
        EXPECT_NEAR(s.position.z + 0.04 * std::sin(t), topZ - std::cos(t) * h / 2, 1e-12) << j;
        topX -= std::sin(t) * h;
        topZ -= std::cos(t) * h;
    }
}

TEST(TypeNModel, MoreThanEightModulesAreRefused) {
    CTestTypeN model;
    Record record(0, 0, 8);
    for (int i = 0; i < 8; ++i)
        record.Entry("N", 0.04, 0.15, 0);
    Load(model, record);
    model.ComputeAim();
    model.SetCounts(0, 0, 9);
    EXPECT_THROW(model.ComputeAim(), CInvalidArgument);
    EXPECT_NEAR(model.State(7).orientation.elevation, 30.4, 1e-12); // untouched
    CArchiveIn ar(Record(0, 0, 9).bytes);
    EXPECT_THROW(CTypeNModel().LoadCounts(ar), CArchiveException);
}

TEST(TypeWModel, StacksTheDocumentedTwoModules) {
    CTypeWModel model;
    Load(model, Record(0, 0, 2).Entry("W", 0.1, 0.5, 0.0).Entry("W", 0.1, 0.5, 10.0));
    model.ComputeAim();
    EXPECT_DOUBLE_EQ(model.State(0).position.x, 0.1);
    EXPECT_DOUBLE_EQ(model.State(0).position.z, -0.25);
    EXPECT_EQ(model.State(1).orientation.elevation, 10.0);
    EXPECT_DOUBLE_EQ(model.State(1).position.x, 0.05506873088448822);
    EXPECT_DOUBLE_EQ(model.State(1).position.z, -0.7635667560197451);
}

TEST(QL9Model, ACentreModuleSitsAtTheReferencePointBetweenTheStacks) {
    CQL9Model model;
    const double p = 0.125, b = 0.06;
    Load(model, Record(1, 2, 1)
                    .Entry("U", b, p, 0)
                    .Entry("U", b, p, -10)
                    .Entry("L", b, p, 0)
                    .Entry("C", 0.05, p, 7.0));
    model.States()[3].position = {9, 9, 9};
    model.States()[3].orientation.elevation = 9;
    model.ComputeAim();
    // Both stacks start half a pitch away from the reference point, the upper one upward.
    EXPECT_EQ(model.State(0).position, (CVec3{b, 0, p}));
    EXPECT_EQ(model.State(1).orientation.elevation, -10.0);
    EXPECT_LT(model.State(1).position.x, b);
    EXPECT_EQ(model.State(2).position, (CVec3{b, 0, -p}));
    EXPECT_EQ(model.State(3).position, (CVec3{0.05, 0, 0}));
    EXPECT_EQ(model.State(3).orientation.elevation, 0.0);
}

TEST(CabinetArrayModel, CabinetListPicksModuleTypeBalloonAndSplay) {
    CTypePModel model;
    Load(model, Record(0, 0, 3)
                    .Entry("L", 0.1, 0.45, 9.0)
                    .Entry("S", 0.07, 0.3, 5.0)
                    .Cabinet(1, 9.0)
                    .Cabinet(0, 4.0)
                    .Cabinet(1, 2.5));
    EXPECT_EQ(&model.Element(0).Balloon(), &model.Balloon(1));
    EXPECT_EQ(&model.Element(1).Balloon(), &model.Balloon(0));
    EXPECT_EQ(model.State(0).module.vector, (CModuleVector{0.07, 0.3, 0.0}));
    EXPECT_EQ(model.State(1).module.vector, (CModuleVector{0.1, 0.45, 4.0}));
    // BuildElements ends with the aim: the splays accumulate down the column.
    EXPECT_EQ(model.State(2).orientation.elevation, 6.5);
    EXPECT_DOUBLE_EQ(model.State(0).position.z, -0.15);

    // A bad type is refused before the elements or states change.
    const CSpeakerElement* before = &model.Element(1);
    model.Cabinets()[1].type = 2;
    EXPECT_THROW(model.BuildElements(), CInvalidArgument);
    EXPECT_THROW(model.ApplyModules(1), CInvalidArgument);
    EXPECT_EQ(&model.Element(1), before);
    EXPECT_EQ(model.State(0).module.name, ""); // checked before anything was copied
    // A short list is lengthened with type 0 when modules are applied, but not built from.
    model.Cabinets().resize(1);
    model.ApplyModules(1);
    EXPECT_EQ(model.Cabinets()[2], (CTypePandRParam{0, 0.0}));
    model.Cabinets().resize(2);
    EXPECT_THROW(model.BuildElements(), CInvalidArgument);
}

TEST(LineArrayPersistence, StoresCountsAxisEntriesAndCabinetsInTheFileLayout) {
    CTypeRModel model;
    const Record r6 = Record(0, 0, 2)
                          .Entry("R6L", 0.05, 0.2, 0)
                          .Entry("R6S", 0.04, 0.15, 3)
                          .Cabinet(0, 0.0)
                          .Cabinet(1, 6.5);
    Load(model, r6);
    CArchiveOut storing;
    model.StoreCounts(storing);
    model.StoreModules(storing);
    EXPECT_EQ(storing.Buffer(), r6.bytes);

    auto refuses = [](CSpeakerModel&& m, const CByteWriter& bytes) {
        CArchiveIn ar(bytes.bytes);
        m.LoadCounts(ar);
        m.ResetWeights();
        m.LoadModules(ar);
    };
    const Record p = Record(0, 0, 1).Entry("L", 0, 0.4, 0).Entry("S", 0, 0.3, 0);
    EXPECT_NO_THROW(refuses(CTypePModel(), Record(p).Cabinet(1, 0)));
    EXPECT_THROW(refuses(CTypePModel(), Record(p).Cabinet(2, 0)), CArchiveException);
    EXPECT_THROW(refuses(CTypePModel(), Record(p).Cabinet(0xFFFFFFFF, 0)), CArchiveException);
    EXPECT_THROW(refuses(CTypePModel(), p), CArchiveException); // no cabinet list
    EXPECT_THROW(refuses(CTypePModel(), Record(0, 0, 9)), CArchiveException);
    EXPECT_THROW(refuses(CTypeRModel(), Record(1, 0, 1)), CArchiveException);
    EXPECT_THROW(refuses(CTypeKModel(), Record(0, 0, 10)), CArchiveException);
    EXPECT_THROW(refuses(CQL9Model(), Record(0, 9, 9)), CArchiveException);
    EXPECT_THROW(refuses(CTypeWModel(), Record(0, 0, 40)), CArchiveException);
    EXPECT_THROW(refuses(CTypeWModel(), Record(0, 0, 8)), CArchiveException); // no entries
}

TEST(LineArrayPersistence, EveryFamilySurvivesAProjectRoundTrip) {
    for (CVsaGenOptions o : {QL9ArrayOptions(), KVW5ArrayOptions(), KVKArrayOptions(),
                             KVP10ArrayOptions(), KVR6ArrayOptions(), TypeNArrayOptions()}) {
        SCOPED_TRACE(o.name);
        o.phiBlocks = 4;
        o.thetaCount = 5;
        o.lowestFrequency = 500.0;
        o.highestFrequency = 2000.0;
        auto model = ImportSpeakerText(GenerateVsa(o));
        ASSERT_TRUE(model);
        CArchiveOut storing;
        model->Store(storing, kVersion200);
        auto loaded = CSpeakerModelContainer::CreateModel(model->Kind());
        CArchiveIn loading(storing.TakeBuffer());
        loaded->Load(loading, kVersion200);
        EXPECT_EQ(loading.Remaining(), 0u);
        ASSERT_EQ(loaded->Elements().size(), model->Elements().size());
        for (int i = 0; i < model->ElementTotal(); ++i) {
            EXPECT_EQ(loaded->State(i).position, model->State(i).position) << i;
            EXPECT_EQ(loaded->State(i).orientation, model->State(i).orientation) << i;
            EXPECT_EQ(loaded->State(i).module.vector, model->State(i).module.vector) << i;
            EXPECT_EQ(loaded->State(i).module.weight, model->State(i).module.weight) << i;
            EXPECT_EQ(loaded->Element(i).Balloon().data, model->Element(i).Balloon().data) << i;
        }
    }
}

TEST(LineArrayNames, SuffixesFollowTheFamilyAndTotal) {
    auto suffix = [](CSpeakerModel&& model, int upper, int lower) {
        CArchiveIn ar(Record(0, upper, lower).bytes);
        model.LoadCounts(ar);
        return model.NameSuffix();
    };
    EXPECT_EQ(suffix(CQL9Model(), 2, 2), "");
    EXPECT_EQ(suffix(CQL9Model(), 4, 4), " (x 2)");
    EXPECT_EQ(suffix(CQL9Model(), 6, 6), " (x 3)");
    EXPECT_EQ(suffix(CQL9Model(), 8, 8), " (x 4)");
    EXPECT_EQ(suffix(CTypeWModel(), 0, 8), "");
    EXPECT_EQ(suffix(CTypeWModel(), 0, 16), " (x 2)");
    EXPECT_EQ(suffix(CTypeWModel(), 0, 32), " (x 4)");
    EXPECT_EQ(suffix(CTypePModel(), 0, 1), "");
    EXPECT_EQ(suffix(CTypePModel(), 0, 8), "(x 8)");
    EXPECT_EQ(suffix(CTypeRModel(), 0, 12), "(x 12)");
    EXPECT_EQ(suffix(CTypeKModel(), 0, 16), "");
    EXPECT_EQ(suffix(CTypeKModel(), 0, 25), "(x 2)");
    EXPECT_EQ(suffix(CTypeKModel(), 0, 32), "(x 2)");
    EXPECT_EQ(suffix(CTypeNModel(), 0, 8), "");
}
