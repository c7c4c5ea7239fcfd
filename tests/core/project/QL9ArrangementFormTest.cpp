#include "project/arrangement/QL9ArrangementForm.h"
#include "project/arrangement/ArrangementStrings.h"

#include "common/Errors.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
// Modules whose pitch tags their element index, so copies can be traced.
CVectorArrangement Tagged(int upper, int lower, std::vector<double> splays = {}) {
    CVectorArrangement a;
    a.counts = {0, upper, lower};
    splays.resize(static_cast<std::size_t>(upper + lower));
    for (int i = 0; i < upper + lower; ++i)
        a.vectors.push_back({0.06, 0.1 + 0.001 * i, splays[static_cast<std::size_t>(i)]});
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
    EXPECT_EQ(std::vector<std::string>(special.JunctionCombo(14).items.begin() + 4,
                                       special.JunctionCombo(14).items.end()),
              (std::vector<std::string>{"10deg-mode(*)", "5deg-mode(*)", "0deg-mode(*)"}));
    // Eight modules show seven junctions, eight module groups, two boxes and one joint.
    EXPECT_TRUE(normal.JunctionCombo(6).visible);
    EXPECT_FALSE(normal.JunctionCombo(7).visible);
    EXPECT_EQ(normal.ShownModuleGroups(), 8);
    EXPECT_EQ(normal.ShownBoxGroups(), 2);
    EXPECT_EQ(normal.ShownJointGroups(), 1);
    EXPECT_EQ(ArrangementStrings::QL9ModuleLabel(5), "2nd Module");
    // Top to bottom: the upper half from its outermost module, then the lower half.
    const std::vector<int> rows{3, 2, 1, 0, 4, 5, 6, 7};
    for (int r = 0; r < 8; ++r)
        EXPECT_EQ(normal.ElementAtRow(r), rows[static_cast<std::size_t>(r)]);
}

TEST(QL9ArrangementForm, JunctionModesAreReadFromTheSplaysAndSetThem) {
    // Junctions top to bottom: 3|2, 2|1, 1|0, 0|4 (the centre, half each side), 4|5, 5|6, 6|7.
    CQL9ArrangementForm form(Tagged(4, 4, {-1.875, -3.75, -7.5, -11.25, 1.875, 3.75, 7.5, 15}),
                             false);
    EXPECT_EQ(Selections(form), (std::vector<int>{1, 2, 3, 3, 3, 2, 0}));
    form.SelectJunction(3, 2); // "30deg-mode" at the centre
    EXPECT_EQ(form.Vectors()[0].splay, -3.75);
    EXPECT_EQ(form.Vectors()[4].splay, 3.75);
    form.SelectJunction(0, 0);
    EXPECT_EQ(form.Vectors()[3].splay, -15.0);

    // 2.5 degrees is "10deg-mode(*)": offered only at the special level. Without it the
    // junction shows nothing and its module keeps the stored splay when others change.
    const CVectorArrangement a = Tagged(4, 4, {0, 0, 0, 0, 0, 2.5});
    EXPECT_EQ(CQL9ArrangementForm(a, true).JunctionCombo(4).selection, 4);
    CQL9ArrangementForm normal(a, false);
    EXPECT_EQ(normal.JunctionCombo(4).selection, -1);
    normal.SelectJunction(6, 1);
    EXPECT_EQ(normal.Vectors()[5].splay, 2.5);
    EXPECT_EQ(normal.Vectors()[7].splay, 11.25);
}

TEST(QL9ArrangementForm, GrowingCopiesTheOutermostModulesOfEachHalf) {
    CQL9ArrangementForm form(Tagged(4, 4), true);
    form.SelectCount(3);
    EXPECT_EQ(form.Counts(), (CModuleCounts{0, 8, 8}));
    ASSERT_EQ(form.Wedges().size(), 16u);
    const std::vector<int> from{0, 1, 2, 3, 3, 3, 3, 3, 4, 5, 6, 7, 7, 7, 7, 7};
    for (std::size_t i = 0; i < 16; ++i)
        EXPECT_EQ(TagOf(form.Vectors()[i]), from[i]) << i;
    EXPECT_EQ(form.CountCombo().selection, 3);
    EXPECT_TRUE(form.JunctionCombo(14).visible);

    // Shrinking keeps the modules nearest the reference point.
    form.SelectCount(0);
    EXPECT_EQ(form.Counts(), (CModuleCounts{0, 2, 2}));
    const std::vector<int> kept{0, 1, 4, 5};
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(TagOf(form.Vectors()[i]), kept[i]) << i;
    EXPECT_FALSE(form.JunctionCombo(3).visible);
}

TEST(QL9ArrangementForm, RefusesChoicesTheDialogDoesNotOffer) {
    CQL9ArrangementForm form(Tagged(4, 4, {0, -3.75, 0, 0, 0, 3.75}), false);
    const CAxisEntityArray before = form.Vectors();
    EXPECT_THROW(form.SelectCount(4), CInvalidArgument);
    EXPECT_THROW(form.SelectJunction(7, 0), CInvalidArgument); // hidden with eight modules
    EXPECT_THROW(form.SelectJunction(0, 4), CInvalidArgument); // a special-level mode
    EXPECT_EQ(form.Vectors(), before);
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
    EXPECT_EQ(form.LinkOf(4).junction, -1);
    EXPECT_EQ(Selections(form), (std::vector<int>{3, 3, 2, 2}));
    form.SelectJunction(1, 0);
    EXPECT_EQ(form.Vectors()[0].splay, -15.0); // a full junction, not half of one
    EXPECT_EQ(form.Vectors()[4].splay, 0.0);
    // Choosing a box count gives a regular arrangement without the centre module.
    form.SelectCount(1);
    EXPECT_EQ(form.Counts(), (CModuleCounts{0, 4, 4}));
    for (const CModuleVector& v : form.Vectors())
        EXPECT_NE(v.offset, 0.05);
}

TEST(QL9ArrangementForm, AJunctionNoOfferedModeStandsForShowsItsStoredAngle) {
    // Per junction top to bottom: 0.5, 0, 0.125, 0.25 (the centre, half each side), 0.75, 2.5
    // and 3 degrees, all below "15deg-mode" (3.75), the smallest standard mode.
    const CVectorArrangement a = Tagged(4, 4, {-0.125, -0.125, 0.0, -0.5, 0.125, 0.75, 2.5, 3.0});
    CQL9ArrangementForm form(a, false);
    const std::vector<std::string> shown{"2deg (custom)", "0deg (custom)", "0.5deg (custom)",
                                         "1deg (custom)", "3deg (custom)", "10deg (custom)",
                                         "12deg (custom)"};
    for (int k = 0; k < 7; ++k) {
        EXPECT_EQ(form.JunctionCombo(k).selection, -1) << k;
        EXPECT_EQ(form.JunctionCombo(k).placeholder, shown[static_cast<std::size_t>(k)]) << k;
    }
    // At the special level the same splays meet the extra modes: nothing custom is left.
    const CQL9ArrangementForm special(a, true);
    for (int k = 0; k < 7; ++k)
        EXPECT_EQ(special.JunctionCombo(k).placeholder, "") << k;
    EXPECT_EQ(special.JunctionCombo(6).selection, 4);

    // Choosing a mode replaces the custom angle at that junction only; the others keep theirs.
    form.SelectJunction(5, 3);
    EXPECT_EQ(form.JunctionCombo(5).placeholder, "");
    EXPECT_EQ(form.Vectors()[6].splay, 3.75);
    EXPECT_EQ(form.Vectors()[7].splay, 3.0);
    EXPECT_EQ(form.JunctionCombo(6).placeholder, "12deg (custom)");
    for (int i : {0, 1, 2, 3, 4, 5})
        EXPECT_EQ(form.Vectors()[static_cast<std::size_t>(i)].splay,
                  a.vectors[static_cast<std::size_t>(i)].splay)
            << i;
    EXPECT_EQ(ArrangementStrings::QL9CustomJunction(std::nan("")), "custom");
}
