#include "project/arrangement/ArrangementPreview.h"
#include "project/arrangement/QL9ArrangementForm.h"
#include "project/arrangement/TypeKArrangementForm.h"
#include "project/arrangement/TypeWArrangementForm.h"

#include "common/Errors.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
const double kDeg = std::atan(1.0) / 45.0;

void ExpectPoint(const CPreviewPoint& p, double x, double z) {
    EXPECT_NEAR(p.x, x, 1e-12);
    EXPECT_NEAR(p.z, z, 1e-12);
}

bool Has(const std::vector<CPreviewSegment>& outline, const CPreviewPoint& a,
         const CPreviewPoint& b) {
    for (const CPreviewSegment& s : outline)
        if (s.from.x == a.x && s.from.z == a.z && s.to.x == b.x && s.to.z == b.z)
            return true;
    return false;
}
} // namespace

TEST(ArrangementPreview, ElementsTurnByTheirSplaysAndNarrowByTheirWedge) {
    const CAxisEntityArray v{{0, 0.5, -10.0}, {0.2, 1.0, 0.0}, {0, 0.5, 20.0}};
    const auto c = LayOutPreview({0, 1, 2}, v, {0, 10, 0}, {0.25, 0.5, 0.25});
    // Upper element 0 rises from the reference point, tilted back by 10 degrees.
    ExpectPoint(c[0].bottomFront, 0, 0);
    ExpectPoint(c[0].topFront, -0.5 * std::sin(10 * kDeg), 0.5 * std::cos(10 * kDeg));
    ExpectPoint(c[0].topRear, c[0].topFront.x - 0.25 * std::cos(10 * kDeg),
                c[0].topFront.z - 0.25 * std::sin(10 * kDeg));
    // Lower element 1 hangs from it; the offset is not drawn and the 10-degree wedge narrows
    // the rear edge by 0.5 tan 5 at each end.
    const double t = std::tan(5 * kDeg);
    ExpectPoint(c[1].topFront, 0, 0);
    ExpectPoint(c[1].bottomRear, -0.5, -1 + 0.5 * t);
    ExpectPoint(c[1].topRear, -0.5, -0.5 * t);
    ExpectPoint(c[2].topFront, 0, -1);
    ExpectPoint(c[2].bottomFront, -0.5 * std::sin(20 * kDeg), -1 - 0.5 * std::cos(20 * kDeg));
    EXPECT_THROW(LayOutPreview({0, 1, 2}, v, {0, 0}, {0.25, 0.25, 0.25}), CInvalidArgument);
}

TEST(ArrangementPreview, FitsTheColumnAndMapsMetresToPixels) {
    const auto c = LayOutPreview({0, 0, 1}, {{0, 1.0, 0}}, {0}, {0.5});
    // zTop 0 (no upper stack), zBottom -1, xRear -0.5. The usable area is 294 x 480 pixels,
    // so the height limits: min(480 / 1, (294 - 40) / 0.5) = 480.
    const CPreviewFit fit = FitPreview({0, 0, 1}, c, 420, 600);
    EXPECT_EQ(fit.zBottom, -1.0);
    EXPECT_EQ(fit.xRear, -0.5);
    EXPECT_EQ(fit.scale, 480.0);
    // Column trunc(480 * 0.5 - 0.5) + trunc(84) + 1, row 300 - trunc(480 * 0.5 + 0.5) + 1;
    // truncation goes toward zero, so trunc(-239.5) = -239.
    EXPECT_EQ(fit.Map({0, 0}), (CPixel{324, 61}));
    EXPECT_EQ(fit.Map({-0.5, -1}), (CPixel{85, 540}));
    EXPECT_EQ(FitPreview({0, 0, 1}, c, 200, 600).scale, 200.0); // the depth limits: 100 / 0.5
    // A column without height or depth keeps scale 1 instead of dividing by zero.
    const auto flat = LayOutPreview({0, 0, 1}, {{0, 0, 0}}, {0}, {0});
    EXPECT_EQ(FitPreview({0, 0, 1}, flat, 420, 600).scale, 1.0);
}

TEST(ArrangementPreview, AStraightQL9ColumnIsCentredWithItsMarkAndArrow) {
    CVectorArrangement a{{0, 4, 4}, CAxisEntityArray(8, {0.06, 0.125, 0.0}), 0};
    CQL9ArrangementForm form(a, true);
    const CPreviewPicture p = form.Preview(420, 610);
    EXPECT_DOUBLE_EQ(p.fit.zTop, 0.5);
    EXPECT_DOUBLE_EQ(p.fit.zBottom, -0.5);
    EXPECT_DOUBLE_EQ(p.fit.xRear, -0.256);
    EXPECT_EQ(p.reference, (CPixel{p.fit.Map({0, 0}).x, 305 + 1}));
    const CPixel tip{p.reference.x + 40, p.reference.y};
    EXPECT_EQ(p.arrow, (std::vector<CPixelLine>{{p.reference, tip},
                                                {tip, {tip.x - 10, tip.y - 10}},
                                                {tip, {tip.x - 10, tip.y + 10}}}));
    EXPECT_EQ(p.markRadius, 10);
    // Every element closed: top front, bottom front, bottom rear, top rear, top front.
    const std::vector<CPreviewCorners> c = form.Corners();
    ASSERT_EQ(p.outline.size(), 4u * 8);
    EXPECT_EQ(p.outline[4], (CPixelLine{p.fit.Map(c[1].topFront), p.fit.Map(c[1].bottomFront)}));
    EXPECT_EQ(p.outline[7], (CPixelLine{p.fit.Map(c[1].topRear), p.fit.Map(c[1].topFront)}));
}

TEST(ArrangementPreview, CabinetFamiliesDrawBodies) {
    // KV-W5: front and rear of every module, top of modules 0 and 8, bottom of 7 and 15.
    const CTypeWArrangementForm w(
        CVectorArrangement{{0, 0, 16}, CAxisEntityArray(16, {0.03, 0.1, 0.5}), 0});
    const auto wc = w.Corners();
    const auto wo = w.Outline();
    EXPECT_EQ(wo.size(), 2u * 16 + 4);
    EXPECT_TRUE(Has(wo, wc[8].topRear, wc[8].topFront));
    EXPECT_FALSE(Has(wo, wc[1].topRear, wc[1].topFront));
    EXPECT_TRUE(Has(wo, wc[7].bottomFront, wc[7].bottomRear));
    EXPECT_FALSE(Has(wo, wc[8].bottomFront, wc[8].bottomRear));

    CCabinetArrangement k{{0, 0, 9}, CTypePandRParamArray(9), {}, 0};
    k.modules.assign(4, {"K", {0.08, 0.11, 0}, 1});
    const CTypeKArrangementForm one(k);
    const auto kc = one.Corners();
    const auto ko = one.Outline();
    // One cabinet: 9 fronts, top and bottom, and its back drawn to the reference point.
    ASSERT_EQ(ko.size(), 9u + 2 + 2);
    EXPECT_FALSE(Has(ko, kc[3].bottomRear, kc[3].topRear));
    EXPECT_TRUE(Has(ko, kc[8].bottomRear, {kc[8].bottomRear.x, 0.0}));
    EXPECT_TRUE(Has(ko, {kc[8].bottomRear.x, 0.0}, {0.0, 0.0}));
    // Two cabinets: as KV-W5 with the boundary after element 8.
    k.counts.lower = 25;
    k.cabinets.assign(25, {1, 0.0});
    const CTypeKArrangementForm two(k);
    const auto tc = two.Corners();
    const auto to = two.Outline();
    EXPECT_EQ(to.size(), 2u * 25 + 4);
    EXPECT_TRUE(Has(to, tc[9].topRear, tc[9].topFront));
    EXPECT_TRUE(Has(to, tc[8].bottomFront, tc[8].bottomRear));
}

TEST(ArrangementPreview, EveryBoxAimsDownToThePlaneAndTheArrayShowsItsTotalAngle) {
    // Eight QL-9 modules at "30deg-mode" everywhere: 3.75 degrees either side of the centre
    // junction, 7.5 at every other, so the outer modules aim 26.25 degrees up and down.
    CVectorArrangement a;
    a.counts = {0, 4, 4};
    const double splays[8] = {-3.75, -7.5, -7.5, -7.5, 3.75, 7.5, 7.5, 7.5};
    for (double splay : splays)
        a.vectors.push_back({0.0, 0.1, splay});
    CQL9ArrangementForm form(a, false);
    const int width = 420, height = 610;
    CPreviewAnnotations free = form.Annotations(width, height);
    EXPECT_NEAR(free.totalAngle, 52.5, 1e-9);
    EXPECT_EQ(free.totalAngleText, "Total angle: 52.5 deg");
    EXPECT_FALSE(free.planeShown);
    ASSERT_EQ(free.aims.size(), 8u);
    EXPECT_NEAR(free.aimAngles[3], -26.25, 1e-9); // the top module aims up
    EXPECT_NEAR(free.aimAngles[7], 26.25, 1e-9);

    // Hung 0.6 m above the plane and tilted down by 5 degrees: the aims that point down end on
    // the plane's line, the others leave the picture; the total angle stays.
    form.SetSite({true, 0.6, 5.0});
    const CPreviewAnnotations a2 = form.Annotations(width, height);
    EXPECT_NEAR(a2.totalAngle, 52.5, 1e-9);
    EXPECT_NEAR(a2.aimAngles[0], -3.75 + 5.0, 1e-9);
    ASSERT_TRUE(a2.planeShown);
    for (std::size_t i = 0; i < a2.aims.size(); ++i) {
        const CPixelLine& aim = a2.aims[i];
        EXPECT_GT(aim.to.x, aim.from.x) << i; // forward
        if (a2.aimAngles[i] > 0)
            EXPECT_NEAR(aim.to.y, a2.plane.from.y, 1) << i;
        else
            EXPECT_LT(aim.to.y, 0) << i; // upward, out of the picture
    }
    // The picture widens to the plane, and its column shrinks to make room.
    const CPreviewFit fit = form.SitePreview(width, height).fit;
    EXPECT_LT(fit.scale, form.Preview(width, height).fit.scale);
    EXPECT_LT(a2.plane.from.y, height);
    // A round scale bar whose pixels are its length at the picture's scale.
    const double metres = std::stod(a2.scaleText);
    EXPECT_EQ(a2.scaleText.substr(a2.scaleText.size() - 2), " m");
    const double mantissa = metres / std::pow(10.0, std::floor(std::log10(metres) + 1e-9));
    EXPECT_TRUE(std::abs(mantissa - 1) < 1e-9 || std::abs(mantissa - 2) < 1e-9 ||
                std::abs(mantissa - 5) < 1e-9)
        << a2.scaleText;
    EXPECT_NEAR(a2.scaleBar.to.x - a2.scaleBar.from.x, metres * fit.scale, 1.0);
    EXPECT_LE(a2.scaleBar.to.x - a2.scaleBar.from.x, width / 5 + 1);
}
