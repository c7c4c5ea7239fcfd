#include "SpeakerFixtures.h"
#include "common/Archive.h"
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
#include <cstring>

namespace {
// Project bytes written by hand, little-endian, as the file layout describes them.
struct Bytes {
    std::vector<std::uint8_t> data;
    void Raw(const void* p, std::size_t n) {
        const auto* b = static_cast<const std::uint8_t*>(p);
        data.insert(data.end(), b, b + n);
    }
    Bytes& Word(std::uint16_t v) { return Raw(&v, 2), *this; }
    Bytes& Dword(std::uint32_t v) { return Raw(&v, 4), *this; }
    Bytes& Double(double v) { return Raw(&v, 8), *this; }
    Bytes& Counts(int c0, int c1, int c2) {
        return Word(static_cast<std::uint16_t>(c0))
            .Word(static_cast<std::uint16_t>(c1))
            .Word(static_cast<std::uint16_t>(c2));
    }
    // Axis entry: name, then offset, pitch, splay.
    Bytes& Entry(const std::string& name, double offset, double pitch, double splay) {
        data.push_back(static_cast<std::uint8_t>(name.size()));
        Raw(name.data(), name.size());
        return Double(offset).Double(pitch).Double(splay);
    }
    Bytes& Cabinet(std::uint32_t type, double splay) { return Dword(type).Double(splay); }
};

// The part of a project load the families take part in, in the load order.
void Load(CSpeakerModel& model, const Bytes& bytes) {
    CArchive ar = CArchive::ForLoading(bytes.data);
    model.SerializeCounts(ar);
    model.ResetWeights();
    model.SerializeModules(ar);
    model.ApplyModules(0);
    model.BuildElements();
    EXPECT_EQ(ar.Remaining(), 0u);
}

std::vector<std::uint8_t> Store(CSpeakerModel& model) {
    CArchive ar = CArchive::ForStoring();
    model.SerializeCounts(ar);
    model.SerializeModules(ar);
    return ar.TakeBuffer();
}

// Segment ends of a stacked element along its column: its acoustic centre moved back by the
// offset, then half a pitch up or down along the column direction at its elevation.
struct Segment {
    double topX, topZ, bottomX, bottomZ;
};
Segment ColumnSegment(const CSPVariableParam& s) {
    const double t = DegToRad(s.orientation.elevation);
    const CModuleVector& v = s.module.vector;
    const double mx = s.position.x - v.offset * std::cos(t);
    const double mz = s.position.z + v.offset * std::sin(t);
    const double dx = std::sin(t) * v.pitch / 2, dz = std::cos(t) * v.pitch / 2;
    return {mx + dx, mz + dz, mx - dx, mz - dz};
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
    o.modules[3].pitch = 0.2; // the pitches and offsets do come from the file
    auto model = ImportSpeakerText(GenerateVsa(o));
    ASSERT_TRUE(model);
    const double expected[8] = {4.0, 4.4, 5.2, 6.8, 9.6, 14.0, 20.4, 30.4};
    ASSERT_EQ(model->Elements().size(), 8u);
    for (int j = 0; j < 8; ++j)
        EXPECT_NEAR(model->State(j).orientation.elevation, expected[j], 1e-12) << j;

    // The column is continuous: each module starts where the one above it ends, the first at
    // the reference point.
    Segment above = ColumnSegment(model->State(0));
    EXPECT_NEAR(above.topX, 0.0, 1e-15);
    EXPECT_NEAR(above.topZ, 0.0, 1e-15);
    for (int j = 1; j < 8; ++j) {
        const Segment s = ColumnSegment(model->State(j));
        EXPECT_NEAR(s.topX, above.bottomX, 1e-12) << j;
        EXPECT_NEAR(s.topZ, above.bottomZ, 1e-12) << j;
        EXPECT_NEAR(std::hypot(s.topX - s.bottomX, s.topZ - s.bottomZ), j == 3 ? 0.2 : 0.15, 1e-12);
        above = s;
    }
}

TEST(TypeNModel, MoreThanEightModulesAreRefused) {
    CTestTypeN model;
    Load(model, Bytes()
                    .Counts(0, 0, 8)
                    .Entry("N", 0.04, 0.15, 0)
                    .Entry("N", 0.04, 0.15, 0)
                    .Entry("N", 0.04, 0.15, 0)
                    .Entry("N", 0.04, 0.15, 0)
                    .Entry("N", 0.04, 0.15, 0)
                    .Entry("N", 0.04, 0.15, 0)
                    .Entry("N", 0.04, 0.15, 0)
                    .Entry("N", 0.04, 0.15, 0));
    model.ComputeAim();
    model.SetCounts(0, 0, 9);
    EXPECT_THROW(model.ComputeAim(), CInvalidArgument);
    EXPECT_NEAR(model.State(7).orientation.elevation, 30.4, 1e-12); // untouched

    CTypeNModel loaded;
    CArchive ar = CArchive::ForLoading(Bytes().Counts(0, 0, 9).data);
    EXPECT_THROW(loaded.SerializeCounts(ar), CArchiveException);
}

TEST(TypeWModel, StacksTheDocumentedTwoModules) {
    CTypeWModel model;
    Load(model, Bytes().Counts(0, 0, 2).Entry("W", 0.1, 0.5, 0.0).Entry("W", 0.1, 0.5, 10.0));
    model.ComputeAim();
    EXPECT_EQ(model.State(0).orientation.elevation, 0.0);
    EXPECT_DOUBLE_EQ(model.State(0).position.x, 0.1);
    EXPECT_DOUBLE_EQ(model.State(0).position.z, -0.25);
    EXPECT_EQ(model.State(1).orientation.elevation, 10.0);
    EXPECT_DOUBLE_EQ(model.State(1).position.x, 0.05506873088448822);
    EXPECT_DOUBLE_EQ(model.State(1).position.z, -0.7635667560197451);
    EXPECT_EQ(model.State(1).position.y, 0.0);
}

TEST(QL9Model, UpperHalfStacksUpAndLowerHalfDown) {
    CQL9Model model;
    const double p = 0.125, b = 0.06;
    Load(model, Bytes()
                    .Counts(0, 2, 2)
                    .Entry("Q", b, p, 0)
                    .Entry("Q", b, p, 0)
                    .Entry("Q", b, p, 0)
                    .Entry("Q", b, p, 0));
    model.ComputeAim();
    const double z[4] = {p / 2, 3 * p / 2, -p / 2, -3 * p / 2};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(model.State(i).position, (CVec3{b, 0, z[i]})) << i;
        EXPECT_EQ(model.State(i).orientation.elevation, 0.0);
    }

    // Upper splays aim up and curve the column backward, lower ones the same downward.
    model.States()[1].module.vector.splay = -3.75;
    model.States()[3].module.vector.splay = 3.75;
    model.ComputeAim();
    EXPECT_EQ(model.State(1).orientation.elevation, -3.75);
    EXPECT_EQ(model.State(3).orientation.elevation, 3.75);
    EXPECT_LT(model.State(1).position.x, b);
    EXPECT_DOUBLE_EQ(model.State(1).position.x, model.State(3).position.x);
    EXPECT_DOUBLE_EQ(model.State(1).position.z, -model.State(3).position.z);
}

TEST(QL9Model, ACentreModuleSitsAtTheReferencePointBetweenTheStacks) {
    CQL9Model model;
    const double p = 0.125, b = 0.06;
    Load(model, Bytes()
                    .Counts(1, 2, 1)
                    .Entry("U", b, p, 0)
                    .Entry("U", b, p, 0)
                    .Entry("L", b, p, 0)
                    .Entry("C", 0.05, p, 7.0));
    model.States()[3].position = {9, 9, 9};
    model.States()[3].orientation.elevation = 9;
    model.ComputeAim();
    EXPECT_EQ(model.State(0).position, (CVec3{b, 0, p}));
    EXPECT_EQ(model.State(1).position, (CVec3{b, 0, 2 * p}));
    EXPECT_EQ(model.State(2).position, (CVec3{b, 0, -p}));
    EXPECT_EQ(model.State(3).position, (CVec3{0.05, 0, 0}));
    EXPECT_EQ(model.State(3).orientation.elevation, 0.0);
    EXPECT_EQ(model.NameSuffix(), "");
}

TEST(CabinetArrayModel, CabinetListPicksModuleTypeBalloonAndSplay) {
    CTypePModel model;
    Load(model, Bytes()
                    .Counts(0, 0, 3)
                    .Entry("L", 0.1, 0.45, 9.0)
                    .Entry("S", 0.07, 0.3, 5.0)
                    .Cabinet(1, 9.0)
                    .Cabinet(0, 4.0)
                    .Cabinet(1, 2.5));
    ASSERT_EQ(model.Elements().size(), 3u);
    EXPECT_EQ(&model.Element(0).Balloon(), &model.Balloon(1));
    EXPECT_EQ(&model.Element(1).Balloon(), &model.Balloon(0));
    EXPECT_EQ(&model.Element(2).Balloon(), &model.Balloon(1));
    EXPECT_EQ(model.State(0).module.vector, (CModuleVector{0.07, 0.3, 0.0}));
    EXPECT_EQ(model.State(1).module.vector, (CModuleVector{0.1, 0.45, 4.0}));
    EXPECT_EQ(model.State(2).module.vector, (CModuleVector{0.07, 0.3, 2.5}));
    // BuildElements ends with the aim: the splays accumulate down the column.
    EXPECT_EQ(model.State(0).orientation.elevation, 0.0);
    EXPECT_EQ(model.State(1).orientation.elevation, 4.0);
    EXPECT_EQ(model.State(2).orientation.elevation, 6.5);
    EXPECT_DOUBLE_EQ(model.State(0).position.z, -0.15);
    EXPECT_EQ(model.NameSuffix(), "(x 3)");
}

TEST(CabinetArrayModel, BadCabinetTypesAreRefusedWithoutTouchingTheElements) {
    CTypeKModel model;
    Load(model, Bytes()
                    .Counts(0, 0, 9)
                    .Entry("K2L", 0.08, 0.11, 0)
                    .Entry("K3L", 0.085, 0.11, 0)
                    .Entry("K2S", 0.05, 0.1, 0)
                    .Entry("K3S", 0.055, 0.1, 0)
                    .Cabinet(2, 0)
                    .Cabinet(2, 0.17)
                    .Cabinet(2, 0.34)
                    .Cabinet(2, 0.68)
                    .Cabinet(2, 1.19)
                    .Cabinet(2, 1.87)
                    .Cabinet(2, 2.72)
                    .Cabinet(2, 3.74)
                    .Cabinet(2, 4.93));
    EXPECT_NEAR(model.State(8).orientation.elevation, 15.64, 1e-12);
    const CSpeakerElement* before = &model.Element(4);
    model.Cabinets()[4].type = 4;
    EXPECT_THROW(model.BuildElements(), CInvalidArgument);
    EXPECT_THROW(model.ApplyModules(1), CInvalidArgument);
    EXPECT_EQ(model.Elements().size(), 9u);
    EXPECT_EQ(&model.Element(4), before);
    EXPECT_EQ(model.State(4).module.name, ""); // ApplyModules checked before it copied
    model.Cabinets()[4].type = -1;
    EXPECT_THROW(model.BuildElements(), CInvalidArgument);

    // A short cabinet list is lengthened with type 0 entries when modules are applied ...
    model.Cabinets()[4].type = 2;
    model.Cabinets().resize(5);
    model.ApplyModules(1);
    ASSERT_EQ(model.Cabinets().size(), 9u);
    EXPECT_EQ(model.Cabinets()[8], (CTypePandRParam{0, 0.0}));
    EXPECT_EQ(model.State(8).module.name, "K2L");
    // ... but building elements from one is refused.
    model.Cabinets().resize(5);
    EXPECT_THROW(model.BuildElements(), CInvalidArgument);
}

TEST(LineArrayPersistence, StoresCountsAxisEntriesAndCabinetsInTheFileLayout) {
    CTypeRModel model;
    const Bytes bytes = Bytes()
                            .Counts(0, 0, 2)
                            .Entry("R6L", 0.05, 0.2, 0)
                            .Entry("R6S", 0.04, 0.15, 3)
                            .Cabinet(0, 0.0)
                            .Cabinet(1, 6.5);
    Load(model, bytes);
    EXPECT_EQ(Store(model), bytes.data);

    CQL9Model ql9;
    const Bytes q = Bytes().Counts(0, 1, 1).Entry("A", 0.06, 0.125, -1.5).Entry("", 0.06, 0.125, 2);
    Load(ql9, q);
    EXPECT_EQ(Store(ql9), q.data);
    EXPECT_EQ(ql9.State(1).module.vector, (CModuleVector{0.06, 0.125, 2}));
}

TEST(LineArrayPersistence, LoadRefusesWhatTheFamilyCannotHold) {
    auto refuses = [](CSpeakerModel&& model, const Bytes& bytes) {
        CArchive ar = CArchive::ForLoading(bytes.data);
        model.SerializeCounts(ar);
        model.ResetWeights();
        model.SerializeModules(ar);
    };
    const Bytes p = Bytes().Counts(0, 0, 1).Entry("L", 0, 0.4, 0).Entry("S", 0, 0.3, 0);
    EXPECT_NO_THROW(refuses(CTypePModel(), Bytes(p).Cabinet(1, 0)));
    EXPECT_THROW(refuses(CTypePModel(), Bytes(p).Cabinet(2, 0)), CArchiveException);
    EXPECT_THROW(refuses(CTypePModel(), Bytes(p).Cabinet(0xFFFFFFFF, 0)), CArchiveException);
    EXPECT_THROW(refuses(CTypePModel(), p), CArchiveException); // truncated cabinet list
    EXPECT_THROW(refuses(CTypePModel(), Bytes().Counts(0, 0, 9)), CArchiveException);
    EXPECT_THROW(refuses(CTypeRModel(), Bytes().Counts(0, 0, 13)), CArchiveException);
    EXPECT_THROW(refuses(CTypeRModel(), Bytes().Counts(1, 0, 1)), CArchiveException);
    EXPECT_THROW(refuses(CTypeKModel(), Bytes().Counts(0, 0, 10)), CArchiveException);
    EXPECT_THROW(refuses(CQL9Model(), Bytes().Counts(0, 9, 9)), CArchiveException);
    EXPECT_THROW(refuses(CQL9Model(), Bytes().Counts(0, 0, 0)), CArchiveException);
    EXPECT_THROW(refuses(CTypeWModel(), Bytes().Counts(0, 0, 40)), CArchiveException);
    EXPECT_THROW(refuses(CTypeWModel(), Bytes().Counts(0, 0, 8)), CArchiveException); // no entries
    EXPECT_THROW(refuses(CTypeNModel(), Bytes().Word(0).Word(0)), CArchiveException);
}

TEST(LineArrayNames, SuffixesFollowTheFamilyAndTotal) {
    auto suffix = [](CSpeakerModel&& model, int c1, int c2) {
        CArchive ar = CArchive::ForLoading(Bytes().Counts(0, c1, c2).data);
        model.SerializeCounts(ar);
        return model.NameSuffix();
    };
    EXPECT_EQ(suffix(CQL9Model(), 2, 2), "");
    EXPECT_EQ(suffix(CQL9Model(), 4, 4), " (x 2)");
    EXPECT_EQ(suffix(CQL9Model(), 6, 6), " (x 3)");
    EXPECT_EQ(suffix(CQL9Model(), 8, 8), " (x 4)");
    EXPECT_EQ(suffix(CQL9Model(), 5, 5), "");
    EXPECT_EQ(suffix(CTypeWModel(), 0, 8), "");
    EXPECT_EQ(suffix(CTypeWModel(), 0, 16), " (x 2)");
    EXPECT_EQ(suffix(CTypeWModel(), 0, 24), " (x 3)");
    EXPECT_EQ(suffix(CTypeWModel(), 0, 32), " (x 4)");
    EXPECT_EQ(suffix(CTypePModel(), 0, 1), "");
    EXPECT_EQ(suffix(CTypePModel(), 0, 2), "(x 2)");
    EXPECT_EQ(suffix(CTypePModel(), 0, 8), "(x 8)");
    EXPECT_EQ(suffix(CTypeRModel(), 0, 1), "");
    EXPECT_EQ(suffix(CTypeRModel(), 0, 12), "(x 12)");
    EXPECT_EQ(suffix(CTypeKModel(), 0, 9), "");
    EXPECT_EQ(suffix(CTypeKModel(), 0, 16), "");
    EXPECT_EQ(suffix(CTypeKModel(), 0, 25), "(x 2)");
    EXPECT_EQ(suffix(CTypeKModel(), 0, 32), "(x 2)");
    EXPECT_EQ(suffix(CTypeNModel(), 0, 8), "");
}

TEST(LineArrayNames, ContainerCreatesEveryFamilyByKind) {
    for (int kind = 2; kind <= 7; ++kind) {
        auto model = CSpeakerModelContainer::CreateModel(kind);
        ASSERT_TRUE(model) << kind;
        EXPECT_EQ(model->Kind(), kind);
        EXPECT_TRUE(model->CanArrangeModules());
    }
    EXPECT_TRUE(dynamic_cast<CTypeNModel*>(CSpeakerModelContainer::CreateModel(2).get()));
    EXPECT_TRUE(dynamic_cast<CTypeWModel*>(CSpeakerModelContainer::CreateModel(3).get()));
    EXPECT_TRUE(dynamic_cast<CTypeKModel*>(CSpeakerModelContainer::CreateModel(4).get()));
    EXPECT_TRUE(dynamic_cast<CQL9Model*>(CSpeakerModelContainer::CreateModel(5).get()));
    EXPECT_TRUE(dynamic_cast<CTypePModel*>(CSpeakerModelContainer::CreateModel(6).get()));
    EXPECT_TRUE(dynamic_cast<CTypeRModel*>(CSpeakerModelContainer::CreateModel(7).get()));
}
