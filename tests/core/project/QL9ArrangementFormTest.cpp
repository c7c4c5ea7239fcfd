#include "project/arrangement/QL9ArrangementForm.h"
#include "project/arrangement/ArrangementStrings.h"

#include "common/Errors.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
// Eight modules whose pitch tags their element index, so copies can be traced.
CVectorArrangement Tagged(int upper, int lower, std::vector<double> splays = {}) {
    CVectorArrangement a;
    a.counts = {0, upper, lower};
    for (int i = 0; i < upper + lower; ++i)
        a.vectors.push_back(
            {0.06, 0.1 + 0.001 * i, i < static_cast<int>(splays.size()) ? splays[i] : 0.0});
    return a;
}

int TagOf(const CModuleVector& v) {
    return static_cast<int>(std::lround((v.pitch - 0.1) / 0.001));
}

std::vector<int> Selections(const CQL9ArrangementForm& form) {
    std::vector<int> s;
    for (int k = 0; k < form.Counts().Total() - 1; ++k)
        s.push_back(form.JunctionCombo(k).selection);
    return s;
}
} // namespace

TEST(QL9ArrangementForm, OffersBoxCountsAndModesByUserLevel) {
    const CQL9ArrangementForm normal(Tagged(4, 4), false);
    EXPECT_EQ(normal.CountCombo().items,
              (std::vector<std::string>{"QL-9 x 1", "QL-9 x 2", "QL-9 x 3", "QL-9 x 4"}));
    EXPECT_EQ(normal.CountCombo().selection, 1);
    EXPECT_EQ(normal.JunctionCombo(0).items,
              (std::vector<std::string>{"60deg-mode", "45deg-mode", "30deg-mode", "15deg-mode"}));
    const CQL9ArrangementForm special(Tagged(4, 4), true);
    EXPECT_EQ(special.JunctionCombo(14).items.size(), 7u);
    EXPECT_EQ(special.JunctionCombo(14).items[4], "10deg-mode(*)");
    EXPECT_EQ(special.JunctionCombo(14).items[5], "5deg-mode(*)");
    EXPECT_EQ(special.JunctionCombo(14).items[6], "0deg-mode(*)");

    // Eight modules show seven junctions, eight module groups, two boxes and one joint.
    for (int k = 0; k < CQL9ArrangementForm::kJunctionCombos; ++k)
        EXPECT_EQ(normal.JunctionCombo(k).visible, k < 7) << k;
    EXPECT_EQ(normal.ShownModuleGroups(), 8);
    EXPECT_EQ(normal.ShownBoxGroups(), 2);
    EXPECT_EQ(normal.ShownJointGroups(), 1);
    EXPECT_EQ(Strings::QL9ModuleLabel(5), "2nd Module");
    EXPECT_EQ(Strings::QL9BoxLabel(3), "QL-9 (4)");
    // Top to bottom: the upper half from its outermost module, then the lower half.
    const std::vector<int> rows{3, 2, 1, 0, 4, 5, 6, 7};
    for (int r = 0; r < 8; ++r)
        EXPECT_EQ(normal.ElementAtRow(r), rows[static_cast<std::size_t>(r)]);
}

TEST(QL9ArrangementForm, JunctionModesAreReadFromTheSplays) {
    // Upper splays aim up, lower ones down; the centre junction is shared by elements 0 and 4.
    const CQL9ArrangementForm form(
        Tagged(4, 4, {-1.875, -3.75, -7.5, -11.25, 1.875, 3.75, 7.5, 15.0}), false);
    // Junctions top to bottom: 3|2, 2|1, 1|0, 0|4 (centre), 4|5, 5|6, 6|7.
    EXPECT_EQ(Selections(form), (std::vector<int>{1, 2, 3, 3, 3, 2, 0}));

    // The centre junction is written last from the first lower module.
    const CQL9ArrangementForm shared(Tagged(4, 4, {-7.5, 0, 0, 0, 1.875, 0, 0, 0}), false);
    EXPECT_EQ(shared.JunctionCombo(3).selection, 3);
}

TEST(QL9ArrangementForm, AModeMissingFromTheListLeavesNoSelectionAndTheStoredSplay) {
    const CVectorArrangement a =
        Tagged(4, 4, {-1.875, -3.75, -3.75, -3.75, 1.875, 2.5, 3.75, 3.75});
    CQL9ArrangementForm normal(a, false);
    EXPECT_EQ(normal.JunctionCombo(4).selection, -1); // 2.5 is "10deg-mode(*)"
    CQL9ArrangementForm special(a, true);
    EXPECT_EQ(special.JunctionCombo(4).selection, 4);

    // Another junction changes; the unselected one keeps its element's stored splay.
    normal.SelectJunction(6, 0);
    EXPECT_EQ(normal.Vectors()[5].splay, 2.5);
    EXPECT_EQ(normal.Vectors()[7].splay, 15.0);
    EXPECT_EQ(normal.Vectors()[6].splay, 3.75);
}

TEST(QL9ArrangementForm, TheCentreJunctionSplitsItsAngle) {
    CQL9ArrangementForm form(Tagged(4, 4), false);
    form.SelectJunction(3, 2); // "30deg-mode" between elements 0 and 4
    EXPECT_EQ(form.Vectors()[0].splay, -3.75);
    EXPECT_EQ(form.Vectors()[4].splay, 3.75);
    form.SelectJunction(0, 0); // between elements 3 and 2: a full 15 degrees upward
    EXPECT_EQ(form.Vectors()[3].splay, -15.0);
    form.SelectJunction(6, 1); // between elements 6 and 7
    EXPECT_EQ(form.Vectors()[7].splay, 11.25);
}

TEST(QL9ArrangementForm, GrowingCopiesTheOutermostModulesOfEachHalf) {
    CQL9ArrangementForm form(Tagged(4, 4), true);
    form.SelectCount(3);
    EXPECT_EQ(form.Counts(), (CModuleCounts{0, 8, 8}));
    ASSERT_EQ(form.Vectors().size(), 16u);
    ASSERT_EQ(form.Wedges().size(), 16u);
    const std::vector<int> from{0, 1, 2, 3, 3, 3, 3, 3, 4, 5, 6, 7, 7, 7, 7, 7};
    for (std::size_t i = 0; i < 16; ++i)
        EXPECT_EQ(TagOf(form.Vectors()[i]), from[i]) << i;
    EXPECT_EQ(form.CountCombo().selection, 3);
    EXPECT_EQ(form.ShownJointGroups(), 3);
    EXPECT_TRUE(form.JunctionCombo(14).visible);

    // Shrinking keeps the modules nearest the reference point.
    form.SelectCount(0);
    EXPECT_EQ(form.Counts(), (CModuleCounts{0, 2, 2}));
    const std::vector<int> kept{0, 1, 4, 5};
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(TagOf(form.Vectors()[i]), kept[i]) << i;
    EXPECT_FALSE(form.JunctionCombo(3).visible);
    EXPECT_EQ(form.CountCombo().selection, 0);
}

TEST(QL9ArrangementForm, AddedModulesRepeatTheOutermostJunction) {
    CQL9ArrangementForm form(Tagged(2, 2), false);
    form.SelectJunction(0, 3); // between elements 1 and 0
    form.SelectJunction(2, 2); // between elements 2 and 3
    form.SelectCount(1);
    EXPECT_EQ(Selections(form), (std::vector<int>{3, 3, 3, -1, 2, 2, 2}));
    // Without a centre selection (0 degrees needs the special level) the stored 0 stays.
    EXPECT_EQ(form.Vectors()[0].splay, 0.0);
    for (int i : {1, 2, 3})
        EXPECT_EQ(form.Vectors()[static_cast<std::size_t>(i)].splay, -3.75);
    for (int i : {5, 6, 7})
        EXPECT_EQ(form.Vectors()[static_cast<std::size_t>(i)].splay, 7.5);
}

TEST(QL9ArrangementForm, RefusesChoicesTheDialogDoesNotOffer) {
    CQL9ArrangementForm form(Tagged(4, 4, {0, -3.75, 0, 0, 0, 3.75}), false);
    const CAxisEntityArray before = form.Vectors();
    EXPECT_THROW(form.SelectCount(4), CInvalidArgument);
    EXPECT_THROW(form.SelectCount(-1), CInvalidArgument);
    EXPECT_THROW(form.SelectJunction(7, 0), CInvalidArgument); // hidden with eight modules
    EXPECT_THROW(form.SelectJunction(15, 0), CInvalidArgument);
    EXPECT_THROW(form.SelectJunction(0, 4), CInvalidArgument); // a special-level mode
    EXPECT_EQ(form.Vectors(), before);
    EXPECT_EQ(form.Counts(), (CModuleCounts{0, 4, 4}));

    CVectorArrangement wrong = Tagged(4, 4);
    wrong.vectors.pop_back();
    EXPECT_THROW(CQL9ArrangementForm(wrong, false), CInvalidArgument);
    EXPECT_THROW(CQL9ArrangementForm(Tagged(9, 9), false), CInvalidArgument);
}

TEST(QL9ArrangementForm, ACentreModuleMeetsBothStacksAtFullJunctions) {
    CVectorArrangement a = Tagged(2, 2, {-3.75, -3.75, 7.5, 7.5});
    a.counts.centre = 1;
    a.vectors.push_back({0.05, 0.125, 0.0}); // the centre module comes last
    CQL9ArrangementForm form(a, false);
    const std::vector<int> rows{1, 0, 4, 2, 3};
    for (int r = 0; r < 5; ++r)
        EXPECT_EQ(form.ElementAtRow(r), rows[static_cast<std::size_t>(r)]);
    EXPECT_EQ(form.LinkOf(0).junction, 1);
    EXPECT_EQ(form.LinkOf(0).factor, -1.0);
    EXPECT_EQ(form.LinkOf(2).junction, 2);
    EXPECT_EQ(form.LinkOf(2).factor, 1.0);
    EXPECT_EQ(form.LinkOf(4).junction, -1);
    EXPECT_EQ(Selections(form), (std::vector<int>{3, 3, 2, 2}));
    form.SelectJunction(1, 0);
    EXPECT_EQ(form.Vectors()[0].splay, -15.0);
    EXPECT_EQ(form.Vectors()[4].splay, 0.0);

    // Choosing a box count gives a regular arrangement without the centre module.
    form.SelectCount(1);
    EXPECT_EQ(form.Counts(), (CModuleCounts{0, 4, 4}));
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_NE(form.Vectors()[i].offset, 0.05) << i;
}
