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
    EXPECT_EQ(plain.Depths(), std::vector<double>(16, 0.255));

    const CTypeWArrangementForm bottom(Column(24, 2.2));
    EXPECT_TRUE(bottom.BottomOption());
    EXPECT_EQ(bottom.Wedges()[15], 0.0);
    EXPECT_EQ(bottom.Wedges()[23], 2.2);
    EXPECT_THROW(CTypeWArrangementForm(CVectorArrangement{{0, 4, 4}, Column(8).vectors, 0}),
                 CInvalidArgument);
}

TEST(TypeWArrangementForm, TheBottomOptionGivesTheLastCabinetItsSplays) {
    CTypeWArrangementForm form(Column(24));
    form.SetBottomOption(true);
    ASSERT_EQ(form.Vectors().size(), 24u);
    for (std::size_t i = 0; i < 24; ++i) {
        const double splay = i < 16 ? 0.0 : kBottom[i - 16];
        // Every module takes the first module's vector.
        EXPECT_EQ(form.Vectors()[i], (CModuleVector{0.03, 0.1, splay})) << i;
        EXPECT_EQ(form.Wedges()[i], splay) << i;
    }
    form.SetBottomOption(false);
    EXPECT_EQ(form.Vectors(), CAxisEntityArray(24, CModuleVector{0.03, 0.1, 0.0}));
    EXPECT_EQ(form.Wedges(), std::vector<double>(24, 0.0));
}

TEST(TypeWArrangementForm, ACountChangeRebuildsEveryModule) {
    CTypeWArrangementForm form(Column(8, 1.0));
    form.SelectCount(3);
    EXPECT_EQ(form.Counts(), (CModuleCounts{0, 0, 32}));
    ASSERT_EQ(form.Vectors().size(), 32u);
    EXPECT_EQ(form.Vectors()[23].splay, 0.0);
    EXPECT_EQ(form.Vectors()[24].splay, 0.1);
    EXPECT_THROW(form.SelectCount(4), CInvalidArgument);
    EXPECT_EQ(form.Vectors().size(), 32u);
}
