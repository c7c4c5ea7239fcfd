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

// A junction's entries name the splays it can give between the two cabinets: both half wedges
// less a gap of 5 to 0 degrees, so two L cabinets offer 0 to 5, an L and an S 5 to 10, two S
// 10 to 15. Changing a cabinet keeps the junction's gap and relabels its entries.
TEST(CabinetArrangementForm, EachJunctionEntryNamesTheSplayItGives) {
    CTypePArrangementForm form(Cabinets({{0, 0}, {1, 0}}));
    EXPECT_EQ(form.JunctionCombo(0).items,
              (std::vector<std::string>{"5deg", "6deg", "7deg", "8deg", "9deg", "10deg"}));
    form.SelectJunction(0, 3);
    EXPECT_EQ(form.Cabinets()[1].splay, 8.0);
    EXPECT_EQ(form.JunctionCombo(0).SelectedText(), "8deg");
    form.SelectCabinet(0, 0);
    form.SelectCabinet(1, 0);
    EXPECT_EQ(form.Cabinets()[1].splay, 3.0); // the same gap between narrower cabinets
    EXPECT_EQ(form.JunctionCombo(0).SelectedText(), "3deg");
    form.SelectJunction(0, 0);
    EXPECT_EQ(form.Cabinets()[1].splay, 0.0); // two L at "0deg" hang straight
    form.SelectCabinet(0, 1);
    form.SelectCabinet(1, 1);
    EXPECT_EQ(form.JunctionCombo(0).items.front(), "10deg");
    form.SelectJunction(0, 5);
    EXPECT_EQ(form.Cabinets()[1].splay, 15.0);
    EXPECT_EQ(form.JunctionCombo(0).SelectedText(), "15deg");
    EXPECT_EQ(form.Vectors()[1], (CModuleVector{0.07, 0.3, 15.0}));
    EXPECT_EQ(form.Wedges()[1], 15.0);
    for (int above : {0, 1})
        for (int below : {0, 1})
            for (int entry = 0; entry < CCabinetArrangementForm::kJunctionAngles; ++entry)
                EXPECT_EQ(CCabinetArrangementForm::JunctionSplay(above, below, entry),
                          CCabinetArrangementForm::HalfWedge(above) +
                              CCabinetArrangementForm::HalfWedge(below) - 5 + entry);
}

TEST(CabinetArrangementForm, StartsFromTheCabinetList) {
    const CTypePArrangementForm form(Cabinets({{0, 3.0}, {1, 8.0}, {1, 12.5}}));
    EXPECT_EQ(form.CountCombo().items[7], "KV-P10 x 8");
    EXPECT_EQ(form.CountCombo().selection, 2);
    EXPECT_EQ(form.CabinetCombo(0).items, (std::vector<std::string>{"KV-P10L ", "KV-P10S"}));
    EXPECT_EQ(form.JunctionCombo(0).items,
              (std::vector<std::string>{"5deg", "6deg", "7deg", "8deg", "9deg", "10deg"}));
    const std::vector<int> types{0, 1, 1, 0, 0, 0, 0, 0};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(form.CabinetCombo(i).selection, types[static_cast<std::size_t>(i)]) << i;
        EXPECT_EQ(form.CabinetCombo(i).enabled, i < 3) << i;
    }
    // The stored 8 is an entry; 12.5 between two S cabinets is none and shows as it is, without
    // a selection; unused junctions start at the straightest entry.
    const std::vector<int> entries{3, -1, 0, 0, 0, 0, 0};
    for (int j = 0; j < 7; ++j) {
        EXPECT_EQ(form.JunctionCombo(j).selection, entries[static_cast<std::size_t>(j)]) << j;
        EXPECT_EQ(form.JunctionCombo(j).enabled, j < 2) << j;
    }
    EXPECT_EQ(form.JunctionCombo(1).placeholder, "12.5deg (custom)");
    EXPECT_EQ(form.JunctionCombo(0).placeholder, "");
    EXPECT_EQ(form.JunctionCombo(2).items.front(), "5deg"); // an S above an L
    // The stored splays stand until the user changes something; the first is never used.
    EXPECT_EQ(Splays(form), (std::vector<double>{3.0, 8.0, 12.5}));
    EXPECT_EQ(form.Vectors()[0], (CModuleVector{0.1, 0.45, 0.0}));
    EXPECT_EQ(form.Vectors()[2], (CModuleVector{0.07, 0.3, 12.5}));
    EXPECT_EQ(form.Depths(), std::vector<double>(3, 0.469));
}

TEST(CabinetArrangementForm, GrowingKeepsEarlierJunctionsAndStartsNewOnesAtFiveDegrees) {
    CTypePArrangementForm form(Cabinets({{0, 0}, {0, 0}, {0, 0}}));
    form.SelectJunction(0, 1);
    form.SelectJunction(1, 3);
    form.SelectCount(1); // junction 1 is disabled but keeps "3deg"
    EXPECT_FALSE(form.JunctionCombo(1).enabled);
    form.SelectCount(4);
    EXPECT_EQ(form.Counts(), (CModuleCounts{0, 0, 5}));
    EXPECT_EQ(Splays(form), (std::vector<double>{0.0, 1.0, 3.0, 0.0, 0.0}));
    EXPECT_TRUE(form.JunctionCombo(3).enabled);
    EXPECT_EQ(form.Vectors().size(), 5u);

    // A junction that read no angle from its stored splay keeps that splay.
    CTypePArrangementForm odd(Cabinets({{0, 0}, {0, -20.0}, {0, 0}}));
    EXPECT_EQ(odd.JunctionCombo(0).selection, -1);
    EXPECT_EQ(odd.JunctionCombo(0).placeholder, "-20deg (custom)");
    odd.SelectCabinet(2, 1);
    EXPECT_EQ(Splays(odd), (std::vector<double>{0.0, -20.0, 5.0}));
}

TEST(CabinetArrangementForm, RefusesWhatTheDialogCannotDo) {
    CTypePArrangementForm form(Cabinets({{0, 0}, {1, 8}}));
    EXPECT_THROW(form.SelectCabinet(2, 0), CInvalidArgument); // disabled
    EXPECT_THROW(form.SelectJunction(1, 0), CInvalidArgument);
    EXPECT_THROW(form.SelectCabinet(0, 2), CInvalidArgument);
    EXPECT_THROW(form.SelectCount(8), CInvalidArgument);
    EXPECT_EQ(Splays(form), (std::vector<double>{0.0, 8.0}));
    EXPECT_THROW(CTypePArrangementForm(Cabinets({{0, 0}, {2, 0}})), CInvalidArgument);
    EXPECT_THROW(CTypePArrangementForm(Cabinets(CTypePandRParamArray(9))), CInvalidArgument);
}

TEST(CabinetArrangementForm, KVR6HasTwelveCabinetsAndItsOwnDepths) {
    CTypeRArrangementForm form(Cabinets({{0, 0}, {1, 0}}));
    ASSERT_EQ(form.CountCombo().items.size(), 12u);
    EXPECT_EQ(form.CountCombo().items[1], "KV-R6 x 2"); // not sorted as text
    EXPECT_EQ(form.CabinetCombo(11).items, (std::vector<std::string>{"KV-P10L ", "KV-P10S"}));
    EXPECT_THROW(form.JunctionCombo(11), CInvalidArgument);
    EXPECT_EQ(form.Depths(), (std::vector<double>{0.27, 0.268}));
    form.SelectCount(11);
    form.SelectJunction(10, 4);
    EXPECT_EQ(form.Cabinets()[11].splay, 4.0); // "4deg" between two L
    EXPECT_EQ(form.Cabinets()[2].splay, 5.0);  // an L below the S at its straightest, "5deg"
}

TEST(CabinetArrangementForm, AShortModuleTableOffersWhatItHolds) {
    CCabinetArrangement a = Cabinets({{0, 0}, {1, 8.0}});
    a.modules.resize(1);
    CTypeRArrangementForm form(a);
    EXPECT_NE(form.Notice().find("KV-P10S"), std::string::npos);
    for (int i = 0; i < form.MaxCabinets(); ++i)
        EXPECT_EQ(form.CabinetCombo(i).items, (std::vector<std::string>{"KV-P10L "})) << i;
    // The S cabinet the table cannot draw becomes an L; the column still draws.
    EXPECT_EQ(form.Cabinets()[1].type, 0);
    EXPECT_EQ(form.Vectors()[1].pitch, 0.45);
    EXPECT_THROW(form.SelectCabinet(0, 1), CInvalidArgument);
    form.SelectCount(3);
    EXPECT_EQ(form.Cabinets().size(), 4u);
    EXPECT_EQ(form.Outline().size(), 16u);

    EXPECT_TRUE(CTypeRArrangementForm(Cabinets({{1, 0}})).Notice().empty());
    a.modules.clear();
    EXPECT_THROW(CTypeRArrangementForm{a}, CInvalidArgument);
}
