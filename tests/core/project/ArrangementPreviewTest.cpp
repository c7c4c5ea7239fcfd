#include "project/arrangement/ArrangementPreview.h"
#include "project/arrangement/QL9ArrangementForm.h"

#include "common/Errors.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
const double kDeg = std::atan(1.0) / 45.0;

void ExpectPoint(const CPreviewPoint& p, double x, double z) {
    EXPECT_NEAR(p.x, x, 1e-12);
    EXPECT_NEAR(p.z, z, 1e-12);
}
} // namespace

TEST(ArrangementPreview, ElementsNarrowTowardTheRearByTheirWedge) {
    // One lower element of pitch 1, depth 0.5, no splay, 10-degree wedge.
    const auto c = LayOutPreview({0, 0, 1}, {{0.2, 1.0, 0.0}}, {10.0}, {0.5});
    ASSERT_EQ(c.size(), 1u);
    ExpectPoint(c[0].topFront, 0, 0); // the offset is not drawn
    ExpectPoint(c[0].bottomFront, 0, -1);
    const double t = std::tan(5 * kDeg);
    ExpectPoint(c[0].bottomRear, -0.5, -1 + 0.5 * t);
    ExpectPoint(c[0].topRear, -0.5, -0.5 * t);
}

TEST(ArrangementPreview, StacksTurnByTheirSplaysFromTheReferencePoint) {
    const CAxisEntityArray v{{0, 0.5, -10.0}, {0, 0.5, 0.0}, {0, 0.5, 20.0}};
    const auto c = LayOutPreview({0, 1, 2}, v, {0, 0, 0}, {0.25, 0.25, 0.25});
    // Upper element 0 rises from the reference point, tilted back by 10 degrees.
    ExpectPoint(c[0].bottomFront, 0, 0);
    ExpectPoint(c[0].topFront, 0.5 * std::sin(-10 * kDeg), 0.5 * std::cos(10 * kDeg));
    ExpectPoint(c[0].topRear, c[0].topFront.x - 0.25 * std::cos(10 * kDeg),
                c[0].topFront.z - 0.25 * std::sin(10 * kDeg));
    // Lower elements hang from it, the second one starting where the first ends.
    ExpectPoint(c[1].topFront, 0, 0);
    ExpectPoint(c[1].bottomFront, 0, -0.5);
    ExpectPoint(c[2].topFront, 0, -0.5);
    ExpectPoint(c[2].bottomFront, -0.5 * std::sin(20 * kDeg), -0.5 - 0.5 * std::cos(20 * kDeg));
    EXPECT_THROW(LayOutPreview({0, 1, 2}, v, {0, 0}, {0.25, 0.25, 0.25}), CInvalidArgument);
}

TEST(ArrangementPreview, FitsTheColumnAndMapsMetresToPixels) {
    const auto c = LayOutPreview({0, 0, 1}, {{0, 1.0, 0}}, {0}, {0.5});
    // zTop 0 (no upper stack), zBottom -1, xRear -0.5. The usable area is 294 x 480 pixels,
    // so the height limits: min(480 / 1, (294 - 40) / 0.5) = 480.
    const CPreviewFit fit = FitPreview({0, 0, 1}, c, 420, 600);
    EXPECT_EQ(fit.zTop, 0.0);
    EXPECT_EQ(fit.zBottom, -1.0);
    EXPECT_EQ(fit.xRear, -0.5);
    EXPECT_EQ(fit.scale, 480.0);
    // Column trunc(480 * 0.5 - 0.5) + trunc(84) + 1, row 300 - trunc(480 * 0.5 + 0.5) + 1.
    EXPECT_EQ(fit.Map({0, 0}), (CPixel{324, 61}));
    // Truncation goes toward zero: trunc(-0.5) = 0 and trunc(-239.5) = -239.
    EXPECT_EQ(fit.Map({-0.5, -1}), (CPixel{85, 540}));
    // A narrow area: the depth limits, (140 - 40) / 0.5 = 200.
    EXPECT_EQ(FitPreview({0, 0, 1}, c, 200, 600).scale, 200.0);

    // A column without height or depth keeps scale 1 instead of dividing by zero.
    const auto flat = LayOutPreview({0, 0, 1}, {{0, 0, 0}}, {0}, {0});
    const CPreviewFit still = FitPreview({0, 0, 1}, flat, 420, 600);
    EXPECT_EQ(still.scale, 1.0);
    EXPECT_EQ(still.Map({0, 0}), (CPixel{85, 301}));
}

TEST(ArrangementPreview, PictureHoldsTheReferenceMarkAndTheOutline) {
    const auto c = LayOutPreview({0, 0, 2}, {{0, 0.5, 0}, {0, 0.5, 5}}, {5, 5}, {0.3, 0.3});
    const auto outline = PreviewOutline::ClosedElements(c);
    ASSERT_EQ(outline.size(), 8u);
    ExpectPoint(outline[0].from, 0, 0); // top front to bottom front, ...
    ExpectPoint(outline[0].to, 0, -0.5);
    ExpectPoint(outline[3].from, c[0].topRear.x, c[0].topRear.z); // ... back to the top front
    const CPreviewPicture p = PaintPreview({0, 0, 2}, c, outline, 400, 500);
    EXPECT_EQ(p.reference, p.fit.Map({0, 0}));
    EXPECT_EQ(p.markRadius, 10);
    EXPECT_EQ(CPreviewPicture::kPenColour, 0x00007F00u);
    ASSERT_EQ(p.arrow.size(), 3u);
    const CPixel tip{p.reference.x + 40, p.reference.y};
    EXPECT_EQ(p.arrow[0], (CPixelLine{p.reference, tip}));
    EXPECT_EQ(p.arrow[1], (CPixelLine{tip, {tip.x - 10, tip.y - 10}}));
    EXPECT_EQ(p.arrow[2], (CPixelLine{tip, {tip.x - 10, tip.y + 10}}));
    ASSERT_EQ(p.outline.size(), outline.size());
    EXPECT_EQ(p.outline[5].from, p.fit.Map(outline[5].from));
    EXPECT_EQ(p.outline[5].to, p.fit.Map(outline[5].to));
}

TEST(ArrangementPreview, AStraightQL9ColumnIsCentredOnTheReferencePoint) {
    CVectorArrangement a;
    a.counts = {0, 4, 4};
    a.vectors.assign(8, {0.06, 0.125, 0.0});
    CQL9ArrangementForm form(a, true);
    for (int k = 0; k < 7; ++k)
        form.SelectJunction(k, 6);
    const CPreviewPicture p = form.Preview(420, 610);
    EXPECT_DOUBLE_EQ(p.fit.zTop, 0.5);
    EXPECT_DOUBLE_EQ(p.fit.zBottom, -0.5);
    EXPECT_DOUBLE_EQ(p.fit.xRear, -0.256);
    EXPECT_DOUBLE_EQ(p.fit.scale, std::min(488 / 1.0, (294 - 40) / 0.256));
    EXPECT_EQ(p.reference.y, 305 + 1);
    EXPECT_EQ(p.outline.size(), 4u * 8);
}
