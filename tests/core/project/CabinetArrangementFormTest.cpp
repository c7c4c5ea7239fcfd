#include "project/arrangement/CabinetArrangementForm.h"

#include "common/Errors.h"

#include <gtest/gtest.h>

namespace {
CCabinetArrangement Cabinets(CTypePandRParamArray cabinets) {
    CCabinetArrangement a;
    a.counts = {0, 0, static_cast<int>(cabinets.size())};
    a.cabinets = std::move(cabinets);
    a.modules = {{"L", {0.1, 0.45, 9.0}, 1.0}, {"S", {0.07, 0.3, 5.0}, 1.0}};
    return a;
}

std::vector<double> Splays(const CCabinetArrangementForm& form) {
    std::vector<double> s;
    for (const CTypePandRParam& c : form.Cabinets())
        s.push_back(c.splay);
    return s;
}
} // namespace

TEST(CabinetArrangementForm, JunctionAnglesFollowFromBothCabinets) {
    CTypePArrangementForm form(Cabinets({{0, 0}, {1, 0}}));
    form.SelectJunction(0, 2);
    EXPECT_EQ(form.Cabinets()[1].splay, 8.0); // 2.5 + 7.5 - 2

    CTypePArrangementForm ls(Cabinets({{0, 0}, {0, 0}}));
    ls.SelectJunction(0, 0);
    EXPECT_EQ(ls.Cabinets()[1].splay, 5.0);
    ls.SelectJunction(0, 5);
    EXPECT_EQ(ls.Cabinets()[1].splay, 0.0);
    ls.SelectCabinet(0, 1);
    ls.SelectCabinet(1, 1);
    EXPECT_EQ(ls.Cabinets()[1].splay, 10.0);
    ls.SelectJunction(0, 0);
    EXPECT_EQ(ls.Cabinets()[1].splay, 15.0);
}

TEST(CabinetArrangementForm, StartsFromTheCabinetList) {
    const CTypePArrangementForm form(Cabinets({{0, 3.0}, {1, 8.0}, {1, 12.5}}));
    EXPECT_EQ(form.CountCombo().items.size(), 8u);
    EXPECT_EQ(form.CountCombo().items[7], "KV-P10 x 8");
    EXPECT_EQ(form.CountCombo().selection, 2);
    EXPECT_EQ(form.CabinetCombo(0).items, (std::vector<std::string>{"KV-P10L ", "KV-P10S"}));
    EXPECT_EQ(form.JunctionCombo(0).items,
              (std::vector<std::string>{"0deg", "1deg", "2deg", "3deg", "4deg", "5deg"}));
    const std::vector<int> types{0, 1, 1, 0, 0, 0, 0, 0};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(form.CabinetCombo(i).selection, types[static_cast<std::size_t>(i)]) << i;
        EXPECT_EQ(form.CabinetCombo(i).enabled, i < 3) << i;
    }
    // 2.5 + 7.5 - 8 = 2; 7.5 + 7.5 - 12.5 = 2.5, truncated to 2; unused junctions at "5deg".
    const std::vector<int> angles{2, 2, 5, 5, 5, 5, 5};
    for (int j = 0; j < 7; ++j) {
        EXPECT_EQ(form.JunctionCombo(j).selection, angles[static_cast<std::size_t>(j)]) << j;
        EXPECT_EQ(form.JunctionCombo(j).enabled, j < 2) << j;
    }
    // The stored splays stand until the user changes something.
    EXPECT_EQ(Splays(form), (std::vector<double>{3.0, 8.0, 12.5}));
    // Working vectors: the module of each type, the first without splay.
    EXPECT_EQ(form.Vectors()[0], (CModuleVector{0.1, 0.45, 0.0}));
    EXPECT_EQ(form.Vectors()[1], (CModuleVector{0.07, 0.3, 8.0}));
    EXPECT_EQ(form.Vectors()[2], (CModuleVector{0.07, 0.3, 12.5}));
    EXPECT_EQ(form.Wedges(), (std::vector<double>{5.0, 15.0, 15.0}));
    EXPECT_EQ(form.Depths(), (std::vector<double>{0.469, 0.469, 0.469}));
}

TEST(CabinetArrangementForm, GrowingKeepsEarlierJunctionsAndStartsNewOnesAtFiveDegrees) {
    CTypePArrangementForm form(Cabinets({{0, 0}, {0, 0}, {0, 0}}));
    form.SelectJunction(0, 1);
    form.SelectJunction(1, 3);
    form.SelectCount(1); // two cabinets: junction 1 is disabled but keeps "3deg"
    EXPECT_EQ(form.Cabinets().size(), 2u);
    EXPECT_FALSE(form.JunctionCombo(1).enabled);
    EXPECT_EQ(form.JunctionCombo(1).selection, 3);
    form.SelectCount(4);
    EXPECT_EQ(form.Counts(), (CModuleCounts{0, 0, 5}));
    EXPECT_EQ(form.CountCombo().selection, 4);
    EXPECT_EQ(Splays(form), (std::vector<double>{0.0, 4.0, 2.0, 0.0, 0.0}));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(form.Cabinets()[static_cast<std::size_t>(i)].type, 0);
    EXPECT_TRUE(form.JunctionCombo(3).enabled);
    EXPECT_FALSE(form.JunctionCombo(4).enabled);
    EXPECT_EQ(form.Vectors().size(), 5u);
}

TEST(CabinetArrangementForm, ACabinetChangeRecomputesEverySplay) {
    CTypePArrangementForm form(Cabinets({{0, 0}, {0, 0}, {0, 0}}));
    form.SelectJunction(0, 0);
    form.SelectJunction(1, 0);
    form.SelectCabinet(1, 1);
    EXPECT_EQ(Splays(form), (std::vector<double>{0.0, 10.0, 10.0}));
    EXPECT_EQ(form.Vectors()[1].pitch, 0.3);
    EXPECT_EQ(form.Wedges()[1], 15.0);
    // A cabinet splay whose junction shows no angle stays as stored.
    CTypePArrangementForm odd(Cabinets({{0, 0}, {0, -20.0}, {0, 0}}));
    EXPECT_EQ(odd.JunctionCombo(0).selection, -1);
    odd.SelectCabinet(2, 1);
    EXPECT_EQ(Splays(odd), (std::vector<double>{0.0, -20.0, 5.0}));
}

TEST(CabinetArrangementForm, RefusesWhatTheDialogCannotDo) {
    CTypePArrangementForm form(Cabinets({{0, 0}, {1, 8}}));
    EXPECT_THROW(form.SelectCabinet(2, 0), CInvalidArgument); // disabled
    EXPECT_THROW(form.SelectJunction(1, 0), CInvalidArgument);
    EXPECT_THROW(form.SelectCabinet(0, 2), CInvalidArgument);
    EXPECT_THROW(form.SelectJunction(0, 6), CInvalidArgument);
    EXPECT_THROW(form.SelectCount(8), CInvalidArgument);
    EXPECT_EQ(Splays(form), (std::vector<double>{0.0, 8.0}));
    EXPECT_THROW(CTypePArrangementForm(Cabinets({{0, 0}, {2, 0}})), CInvalidArgument);
    EXPECT_THROW(CTypePArrangementForm(Cabinets(CTypePandRParamArray(9))), CInvalidArgument);
    CCabinetArrangement noS = Cabinets({{0, 0}});
    noS.modules.pop_back();
    EXPECT_THROW(CTypePArrangementForm{noS}, CInvalidArgument);
}

TEST(CabinetArrangementForm, KVR6HasTwelveCabinetsAndItsOwnDepths) {
    CTypeRArrangementForm form(Cabinets({{0, 0}, {1, 0}}));
    EXPECT_EQ(form.MaxCabinets(), 12);
    ASSERT_EQ(form.CountCombo().items.size(), 12u);
    EXPECT_EQ(form.CountCombo().items[1], "KV-R6 x 2"); // not sorted as text
    EXPECT_EQ(form.CountCombo().items[11], "KV-R6 x 12");
    EXPECT_EQ(form.CabinetCombo(11).items, (std::vector<std::string>{"KV-P10L ", "KV-P10S"}));
    EXPECT_NO_THROW(form.JunctionCombo(10));
    EXPECT_THROW(form.JunctionCombo(11), CInvalidArgument);
    EXPECT_EQ(form.Depths(), (std::vector<double>{0.27, 0.268}));
    form.SelectCount(11);
    form.SelectJunction(10, 4);
    EXPECT_EQ(form.Cabinets()[11].splay, 1.0);
    // L above S with a stored splay of 0 would need "10deg": that junction shows no angle and
    // the stored splay stays, while the newly shown ones start at "5deg".
    EXPECT_EQ(form.JunctionCombo(0).selection, -1);
    EXPECT_EQ(form.Cabinets()[1].splay, 0.0);
    EXPECT_EQ(form.Cabinets()[2].splay, 5.0); // an L below the S: 7.5 + 2.5 - 5
    EXPECT_EQ(form.Cabinets()[3].splay, 0.0); // two L
}
