#include "project/arrangement/TypeWArrangementForm.h"

#include "common/Errors.h"

#include <gtest/gtest.h>

namespace {
CVectorArrangement Column(int modules, double lastSplay = 0.0) {
    CVectorArrangement a;
    a.counts = {0, 0, modules};
    for (int i = 0; i < modules; ++i)
        a.vectors.push_back({0.03 + 0.001 * i, 0.1 + 0.001 * i, 0.5});
    a.vectors.back().splay = lastSplay;
    return a;
}

const double kBottom[8] = {0.1, 0.3, 0.6, 0.9, 1.3, 1.5, 1.9, 2.2};
} // namespace

TEST(TypeWArrangementForm, StartsFromTheModelsCountAndBottomCabinet) {
    const CTypeWArrangementForm plain(Column(16));
    EXPECT_EQ(plain.CountCombo().items,
              (std::vector<std::string>{"KV-W5 x 1", "KV-W5 x 2", "KV-W5 x 3", "KV-W5 x 4"}));
    EXPECT_EQ(plain.CountCombo().selection, 1);
    EXPECT_FALSE(plain.BottomOption());
    EXPECT_EQ(plain.Vectors(), Column(16).vectors); // nothing changes before the user acts
    for (double w : plain.Wedges())
        EXPECT_EQ(w, 0.0);
    for (double d : plain.Depths())
        EXPECT_EQ(d, 0.255);

    const CTypeWArrangementForm bottom(Column(24, 2.2));
    EXPECT_TRUE(bottom.BottomOption());
    EXPECT_EQ(bottom.CountCombo().selection, 2);
    EXPECT_EQ(bottom.Wedges()[15], 0.0);
    for (int b = 0; b < 8; ++b)
        EXPECT_EQ(bottom.Wedges()[static_cast<std::size_t>(16 + b)], kBottom[b]);
}

TEST(TypeWArrangementForm, TheBottomOptionGivesTheLastCabinetItsSplays) {
    CTypeWArrangementForm form(Column(24));
    form.SetBottomOption(true);
    ASSERT_EQ(form.Vectors().size(), 24u);
    for (std::size_t i = 0; i < 24; ++i) {
        const CModuleVector& v = form.Vectors()[i];
        EXPECT_EQ(v.offset, 0.03) << i; // every module takes the first module's vector
        EXPECT_EQ(v.pitch, 0.1) << i;
        EXPECT_EQ(v.splay, i < 16 ? 0.0 : kBottom[i - 16]) << i;
        EXPECT_EQ(form.Wedges()[i], i < 16 ? 0.0 : kBottom[i - 16]) << i;
    }
    form.SetBottomOption(false);
    for (const CModuleVector& v : form.Vectors())
        EXPECT_EQ(v.splay, 0.0);
    for (double w : form.Wedges())
        EXPECT_EQ(w, 0.0);
}

TEST(TypeWArrangementForm, ACountChangeRebuildsEveryModule) {
    CTypeWArrangementForm form(Column(8, 1.0));
    form.SelectCount(3);
    EXPECT_EQ(form.Counts(), (CModuleCounts{0, 0, 32}));
    EXPECT_EQ(form.CountCombo().selection, 3);
    ASSERT_EQ(form.Vectors().size(), 32u);
    ASSERT_EQ(form.Depths().size(), 32u);
    EXPECT_EQ(form.Vectors()[23].splay, 0.0);
    EXPECT_EQ(form.Vectors()[24].splay, 0.1);
    EXPECT_EQ(form.Vectors()[31].splay, 2.2);
    EXPECT_THROW(form.SelectCount(4), CInvalidArgument);
    EXPECT_EQ(form.Vectors().size(), 32u);

    CVectorArrangement upper = Column(8);
    upper.counts = {0, 4, 4};
    EXPECT_THROW((CTypeWArrangementForm(upper)), CInvalidArgument);
}

TEST(TypeWArrangementForm, CabinetsAreDrawnAsBodies) {
    CTypeWArrangementForm form(Column(16));
    const std::vector<CPreviewCorners> c = form.Corners();
    const std::vector<CPreviewSegment> outline = form.Outline();
    // Front and rear edge of every module, top of modules 0 and 8, bottom of 7 and 15.
    ASSERT_EQ(outline.size(), 2u * 16 + 4);
    auto has = [&](const CPreviewPoint& a, const CPreviewPoint& b) {
        for (const CPreviewSegment& s : outline)
            if (s.from.x == a.x && s.from.z == a.z && s.to.x == b.x && s.to.z == b.z)
                return true;
        return false;
    };
    EXPECT_TRUE(has(c[0].topRear, c[0].topFront));
    EXPECT_TRUE(has(c[8].topRear, c[8].topFront));
    EXPECT_FALSE(has(c[1].topRear, c[1].topFront));
    EXPECT_TRUE(has(c[7].bottomFront, c[7].bottomRear));
    EXPECT_TRUE(has(c[15].bottomFront, c[15].bottomRear));
    EXPECT_FALSE(has(c[8].bottomFront, c[8].bottomRear));
}
