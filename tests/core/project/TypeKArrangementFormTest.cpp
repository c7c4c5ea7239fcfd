#include "project/arrangement/TypeKArrangementForm.h"

#include "common/Errors.h"

#include <gtest/gtest.h>

namespace {
CCabinetArrangement KColumn(int elements, int type, double splay = 0.0) {
    CCabinetArrangement a;
    a.counts = {0, 0, elements};
    a.cabinets.assign(static_cast<std::size_t>(elements), {type, splay});
    a.modules = {{"K2L", {0.08, 0.11, 0}, 1},
                 {"K3L", {0.085, 0.115, 0}, 1},
                 {"K2S", {0.05, 0.1, 1}, 1},
                 {"K3S", {0.055, 0.105, 1}, 1}};
    return a;
}

CTypePandRParamArray Column(int type, const std::vector<double>& splays) {
    CTypePandRParamArray c;
    for (double s : splays)
        c.push_back({type, s});
    return c;
}

const std::vector<double> kK2S{0, 0.17, 0.34, 0.68, 1.19, 1.87, 2.72, 3.74, 4.93};
const std::vector<std::string> kAll{"KV-K2L", "KV-K3L", "KV-K2S", "KV-K3S"};
} // namespace

TEST(TypeKArrangementForm, OneLargeCabinetCanBecomeTwo) {
    CTypeKArrangementForm form(KColumn(9, 0));
    EXPECT_EQ(form.CountCombo().items, (std::vector<std::string>{"KV-K x 1", "KV-K x 2"}));
    EXPECT_EQ(form.FirstCabinetCombo().items, kAll);
    EXPECT_EQ(form.SecondCabinetCombo().items, (std::vector<std::string>{"KV-K3L"}));
    EXPECT_FALSE(form.SecondCabinetCombo().enabled);

    form.SelectCount(1);
    EXPECT_EQ(form.Cabinets(), Column(1, std::vector<double>(25, 0.0)));
    EXPECT_EQ(form.Counts(), (CModuleCounts{0, 0, 25}));
    EXPECT_TRUE(form.SecondCabinetCombo().enabled);
    EXPECT_EQ(form.SecondCabinetCombo().selection, 0);
    EXPECT_EQ(form.FirstCabinetCombo().items, (std::vector<std::string>{"KV-K2L", "KV-K3L"}));
    form.SelectFirstCabinet(1);
    EXPECT_EQ(form.Cabinets(), Column(1, std::vector<double>(32, 0.0)));
    form.SelectCount(0);
    EXPECT_EQ(form.FirstCabinetCombo().items, kAll);
    EXPECT_EQ(form.Cabinets(), Column(1, std::vector<double>(16, 0.0)));
    EXPECT_FALSE(form.SecondCabinetCombo().enabled);
}

TEST(TypeKArrangementForm, SmallCabinetsHaveFixedSplaysAndHangAlone) {
    CTypeKArrangementForm form(KColumn(16, 1));
    form.SelectFirstCabinet(2);
    EXPECT_EQ(form.Cabinets(), Column(2, kK2S));
    EXPECT_FALSE(form.CountCombo().enabled);
    EXPECT_THROW(form.SelectCount(1), CInvalidArgument);
    form.SelectFirstCabinet(3);
    EXPECT_EQ(form.Cabinets(), Column(3, {0, 0.03, 0.06, 0.12, 0.21, 0.33, 0.48, 0.66, 0.87, 1.11,
                                          1.38, 1.68, 2.01, 2.37, 2.76, 3.18}));
    // Working vectors: the K3S module with the cabinet splays, the first without one.
    EXPECT_EQ(form.Vectors()[0], (CModuleVector{0.055, 0.105, 0.0}));
    EXPECT_EQ(form.Vectors()[15], (CModuleVector{0.055, 0.105, 3.18}));
    EXPECT_EQ(form.Depths(), std::vector<double>(16, 0.08));
    form.SelectFirstCabinet(0);
    EXPECT_TRUE(form.CountCombo().enabled);
}

TEST(TypeKArrangementForm, StartsFromTheModelsCabinetsAndRecomputesOnOK) {
    const CTypeKArrangementForm two(KColumn(32, 1));
    EXPECT_EQ(two.FirstCabinetCombo().selection, 1);
    EXPECT_EQ(two.FirstCabinetCombo().items.size(), 2u);
    EXPECT_EQ(two.SecondCabinetCombo().selection, 0);
    EXPECT_EQ(two.CountCombo().selection, 1);

    CTypeKArrangementForm small(KColumn(9, 2, 0.5));
    EXPECT_FALSE(small.CountCombo().enabled);
    EXPECT_EQ(small.Cabinets()[4].splay, 0.5); // kept until something changes ...
    small.OnOK();
    EXPECT_EQ(small.Cabinets(), Column(2, kK2S)); // ... or OK is pressed
    CTypeKArrangementForm mixed(KColumn(25, 0));
    mixed.OnOK();
    EXPECT_EQ(mixed.Cabinets(), Column(1, std::vector<double>(25, 0.0)));

    EXPECT_THROW(CTypeKArrangementForm(KColumn(10, 0)), CInvalidArgument);
    EXPECT_THROW(CTypeKArrangementForm(KColumn(9, 4)), CInvalidArgument);
}

TEST(TypeKArrangementForm, AShortModuleTableOffersWhatItHolds) {
    // Without the S types: both large types, one or two cabinets.
    CCabinetArrangement a = KColumn(25, 1);
    a.modules.resize(2);
    CTypeKArrangementForm two(a);
    EXPECT_NE(two.Notice().find("KV-K2S, KV-K3S"), std::string::npos);
    EXPECT_EQ(two.Counts().lower, 25);
    two.SelectCount(0);
    EXPECT_EQ(two.FirstCabinetCombo().items, (std::vector<std::string>{"KV-K2L", "KV-K3L"}));
    EXPECT_TRUE(two.CountCombo().enabled);

    // Without a K3L no second cabinet can hang: what cannot be drawn becomes one K2L.
    a.modules.resize(1);
    CTypeKArrangementForm one(a);
    EXPECT_EQ(one.Counts().lower, 9);
    EXPECT_EQ(one.FirstCabinetCombo().items, (std::vector<std::string>{"KV-K2L"}));
    EXPECT_FALSE(one.CountCombo().enabled);
    EXPECT_EQ(one.CountCombo().selection, 0);
    EXPECT_THROW(one.SelectCount(1), CInvalidArgument);
    for (const CTypePandRParam& c : one.Cabinets())
        EXPECT_EQ(c.type, 0);

    a = KColumn(16, 3, 0.5);
    a.modules.resize(3);
    CTypeKArrangementForm small(a);
    EXPECT_EQ(small.FirstCabinetCombo().selection, 0);
    EXPECT_EQ(small.Counts().lower, 9);
    EXPECT_TRUE(CTypeKArrangementForm(KColumn(16, 3)).Notice().empty());
}
