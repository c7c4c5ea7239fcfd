#include "project/arrangement/ArrangementPreview.h"

#include "common/Errors.h"
#include "common/MathUtil.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
// Truncates toward zero; values beyond any screen are pinned so the conversion stays defined.
int Trunc(double v) {
    if (!(v > -1e9))
        return -1000000000;
    if (!(v < 1e9))
        return 1000000000;
    return static_cast<int>(v);
}

CPreviewPoint Along(const CPreviewPoint& p, double length, double x, double z) {
    return {p.x + length * x, p.z + length * z};
}

// Corners of an element at angle theta (degrees) of length h, half wedge w (degrees) and depth
// d. An upper element grows up from its bottom front corner, a lower one down from its top.
CPreviewCorners ElementCorners(const CPreviewPoint& start, bool upward, double theta, double h,
                               double wedge, double d) {
    const double t = DegToRad(theta);
    const double w = DegToRad(wedge / 2);
    CPreviewCorners c;
    if (upward) {
        c.bottomFront = start;
        c.topFront = Along(start, h, std::sin(t), std::cos(t));
    } else {
        c.topFront = start;
        c.bottomFront = Along(start, -h, std::sin(t), std::cos(t));
    }
    const double rear = d / std::cos(w);
    c.bottomRear = Along(c.bottomFront, rear, -std::cos(t + w), std::sin(t + w));
    c.topRear = Along(c.topFront, rear, -std::cos(t - w), std::sin(t - w));
    return c;
}

struct Stacks {
    int upper = 0;
    int lower = 0;
    int centre = -1; // element index of a centre module, or -1
};

Stacks StacksOf(const CModuleCounts& counts, std::size_t n) {
    Stacks s;
    const int total = static_cast<int>(n);
    s.upper = std::clamp(counts.upper, 0, total);
    s.lower = std::clamp(counts.lower, 0, total - s.upper);
    if (counts.centre > 0 && s.upper + s.lower < total)
        s.centre = s.upper + s.lower;
    return s;
}

void Add(std::vector<CPreviewSegment>& out, const CPreviewPoint& a, const CPreviewPoint& b) {
    out.push_back({a, b});
}
} // namespace

std::vector<CPreviewCorners> LayOutPreview(const CModuleCounts& counts,
                                           const CAxisEntityArray& vectors,
                                           const std::vector<double>& wedges,
                                           const std::vector<double>& depths) {
    const std::size_t n = vectors.size();
    if (wedges.size() < n || depths.size() < n)
        throw CInvalidArgument("the preview has " + std::to_string(wedges.size()) + " wedges and " +
                               std::to_string(depths.size()) + " depths for " + std::to_string(n) +
                               " elements");
    const Stacks s = StacksOf(counts, n);
    std::vector<CPreviewCorners> corners(n);
    CPreviewPoint upperStart, lowerStart;
    if (s.centre >= 0) {
        const double half = vectors[0].pitch / 2;
        const std::size_t c = static_cast<std::size_t>(s.centre);
        corners[c] = ElementCorners({0.0, -half}, true, 0.0, 2 * half, wedges[c], depths[c]);
        upperStart = corners[c].topFront;
        lowerStart = corners[c].bottomFront;
    }
    double angle = 0.0;
    CPreviewPoint at = upperStart;
    for (int i = 0; i < s.upper; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        angle += vectors[k].splay;
        corners[k] = ElementCorners(at, true, angle, vectors[k].pitch, wedges[k], depths[k]);
        at = corners[k].topFront;
    }
    angle = 0.0;
    at = lowerStart;
    for (int i = s.upper; i < s.upper + s.lower; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        angle += vectors[k].splay;
        corners[k] = ElementCorners(at, false, angle, vectors[k].pitch, wedges[k], depths[k]);
        at = corners[k].bottomFront;
    }
    return corners;
}

CPixel CPreviewFit::Map(const CPreviewPoint& p) const {
    CPixel pixel;
    pixel.x = Trunc(scale * (p.x - xRear) - 0.5) + Trunc(0.2 * width) + 1;
    pixel.y = height / 2 - Trunc(scale * (p.z - (zTop + zBottom) / 2) + 0.5) + 1;
    return pixel;
}

CPreviewFit FitPreview(const CModuleCounts& counts, const std::vector<CPreviewCorners>& corners,
                       int width, int height) {
    const Stacks s = StacksOf(counts, corners.size());
    // Without an upper (or lower) stack the centre module, if any, ends the column.
    const CPreviewCorners* top = s.upper > 0     ? &corners[static_cast<std::size_t>(s.upper - 1)]
                                 : s.centre >= 0 ? &corners[static_cast<std::size_t>(s.centre)]
                                                 : nullptr;
    const CPreviewCorners* bottom = s.lower > 0
                                        ? &corners[static_cast<std::size_t>(s.upper + s.lower - 1)]
                                    : s.centre >= 0 ? &corners[static_cast<std::size_t>(s.centre)]
                                                    : nullptr;
    CPreviewFit fit;
    fit.width = width;
    fit.height = height;
    fit.zTop = top ? top->topFront.z : 0.0;
    fit.zBottom = bottom ? bottom->bottomFront.z : 0.0;
    fit.xRear = std::min(top ? top->topRear.x : 0.0, bottom ? bottom->bottomRear.x : 0.0);

    const int usableWidth = Trunc(0.7 * width);
    const int usableHeight = Trunc(0.8 * height);
    const double tall = std::fabs(fit.zTop - fit.zBottom);
    const double deep = std::fabs(fit.xRear);
    if (tall > 0.0 && deep > 0.0)
        fit.scale =
            std::min(usableHeight / tall, (usableWidth - CPreviewPicture::kArrowLength) / deep);
    else if (tall > 0.0)
        fit.scale = usableHeight / tall;
    else if (deep > 0.0)
        fit.scale = (usableWidth - CPreviewPicture::kArrowLength) / deep;
    return fit;
}

namespace PreviewOutline {

std::vector<CPreviewSegment> ClosedElements(const std::vector<CPreviewCorners>& corners) {
    std::vector<CPreviewSegment> out;
    for (const CPreviewCorners& c : corners) {
        Add(out, c.topFront, c.bottomFront);
        Add(out, c.bottomFront, c.bottomRear);
        Add(out, c.bottomRear, c.topRear);
        Add(out, c.topRear, c.topFront);
    }
    return out;
}

std::vector<CPreviewSegment> Cabinets(const std::vector<CPreviewCorners>& corners,
                                      const std::vector<int>& firstOfCabinet) {
    auto starts = [&](std::size_t i) {
        return std::find(firstOfCabinet.begin(), firstOfCabinet.end(), static_cast<int>(i)) !=
               firstOfCabinet.end();
    };
    std::vector<CPreviewSegment> out;
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const CPreviewCorners& c = corners[i];
        Add(out, c.topFront, c.bottomFront);
        Add(out, c.bottomRear, c.topRear);
        if (starts(i))
            Add(out, c.topRear, c.topFront);
        if (i + 1 == corners.size() || starts(i + 1))
            Add(out, c.bottomFront, c.bottomRear);
    }
    return out;
}

std::vector<CPreviewSegment> SingleKCabinet(const std::vector<CPreviewCorners>& corners) {
    std::vector<CPreviewSegment> out;
    if (corners.empty())
        return out;
    for (const CPreviewCorners& c : corners)
        Add(out, c.topFront, c.bottomFront);
    Add(out, corners.front().topRear, corners.front().topFront);
    const CPreviewCorners& last = corners.back();
    Add(out, last.bottomFront, last.bottomRear);
    const CPreviewPoint level{last.bottomRear.x, 0.0};
    Add(out, last.bottomRear, level);
    Add(out, level, CPreviewPoint{});
    return out;
}

} // namespace PreviewOutline

CPreviewPicture PaintPreview(const CModuleCounts& counts,
                             const std::vector<CPreviewCorners>& corners,
                             const std::vector<CPreviewSegment>& outline, int width, int height) {
    return PaintPreview(FitPreview(counts, corners, width, height), outline);
}

CPreviewPicture PaintPreview(const CPreviewFit& fit, const std::vector<CPreviewSegment>& outline) {
    CPreviewPicture picture;
    picture.fit = fit;
    picture.reference = picture.fit.Map({});
    const CPixel& r = picture.reference;
    const CPixel tip{r.x + CPreviewPicture::kArrowLength, r.y};
    const int mark = CPreviewPicture::kMarkSize;
    picture.arrow = {
        {r, tip}, {tip, {tip.x - mark, tip.y - mark}}, {tip, {tip.x - mark, tip.y + mark}}};
    picture.outline.reserve(outline.size());
    for (const CPreviewSegment& s : outline)
        picture.outline.push_back({picture.fit.Map(s.from), picture.fit.Map(s.to)});
    return picture;
}

namespace {
// Where an element's front middle is and the unit vector it aims along (x forward, z up).
struct CAim {
    CPreviewPoint from;
    double ux = 1.0, uz = 0.0;
    double degrees = 0.0; // below horizontal
};

std::vector<CAim> Aims(const std::vector<CPreviewCorners>& corners, double tilt) {
    std::vector<CAim> aims;
    for (const CPreviewCorners& c : corners) {
        const double dx = c.topFront.x - c.bottomFront.x, dz = c.topFront.z - c.bottomFront.z;
        if (dx == 0.0 && dz == 0.0)
            continue;
        CAim aim;
        // The front edge leans forward by theta; the element aims at theta below horizontal.
        aim.degrees = std::atan2(dx, dz) * 180.0 / kPi + tilt;
        const double r = aim.degrees * kPi / 180.0;
        aim.ux = std::cos(r);
        aim.uz = -std::sin(r);
        aim.from = {(c.topFront.x + c.bottomFront.x) / 2, (c.topFront.z + c.bottomFront.z) / 2};
        aims.push_back(aim);
    }
    return aims;
}

// How far along its aim an element reaches the plane `drop` below the reference point; negative
// when it aims level or up, 0 for an element at or below the plane.
double ToPlane(const CAim& aim, double drop) {
    if (aim.uz >= 0.0)
        return -1.0;
    return std::max(0.0, (aim.from.z + drop) / -aim.uz);
}
} // namespace

CPreviewFit SiteFit(const CPreviewFit& base, const std::vector<CPreviewCorners>& corners,
                    const CArraySite& site) {
    if (!site.known || !(site.drop > 0.0))
        return base;
    CPreviewFit fit = base;
    fit.zBottom = std::min(base.zBottom, -site.drop);
    // As far forward as the aims reach the plane, but not so far that a nearly level aim
    // shrinks the column to nothing: four drops at most.
    double forward = 0.0;
    for (const CAim& aim : Aims(corners, site.tilt))
        if (const double length = ToPlane(aim, site.drop); length >= 0.0)
            forward = std::max(forward, std::min(aim.from.x + aim.ux * length, 4.0 * site.drop));
    const double tall = fit.zTop - fit.zBottom;
    double scale = base.scale > 0.0 ? base.scale : 1e9;
    if (tall > 0.0)
        scale = std::min(scale, Trunc(0.8 * fit.height) / tall);
    if (forward - fit.xRear > 0.0)
        scale = std::min(scale, 0.75 * fit.width / (forward - fit.xRear));
    fit.scale = scale;
    return fit;
}

CPreviewAnnotations AnnotatePreview(const std::vector<CPreviewCorners>& corners,
                                    const CPreviewFit& fit, const CArraySite& site) {
    CPreviewAnnotations a;
    const double tilt = site.known ? site.tilt : 0.0;
    // Far enough to reach a plane in front of a nearly level aim, or to leave the picture.
    const double reach = fit.scale > 0.0 ? 200.0 * (fit.width + fit.height) / fit.scale : 1000.0;
    double lowest = 0.0, highest = 0.0;
    for (const CAim& aim : Aims(corners, tilt)) {
        a.aimAngles.push_back(aim.degrees);
        if (a.aimAngles.size() == 1)
            lowest = highest = aim.degrees;
        lowest = std::min(lowest, aim.degrees), highest = std::max(highest, aim.degrees);
        double length = reach;
        if (site.known)
            if (const double toPlane = ToPlane(aim, site.drop); toPlane >= 0.0)
                length = std::min(reach, toPlane);
        const CPreviewPoint to{aim.from.x + aim.ux * length, aim.from.z + aim.uz * length};
        a.aims.push_back({fit.Map(aim.from), fit.Map(to)});
    }
    a.totalAngle = a.aimAngles.empty() ? 0.0 : highest - lowest;
    char text[64];
    std::snprintf(text, sizeof text, "Total angle: %.1f deg", a.totalAngle);
    a.totalAngleText = text;
    if (site.known) {
        const int y = fit.Map({0.0, -site.drop}).y;
        a.planeShown = y >= 0 && y < fit.height;
        a.plane = {{0, y}, {fit.width - 1, y}};
    }
    // A round length about a fifth of the picture wide.
    double length = 0.01;
    if (fit.scale > 0.0) {
        const double wanted = 0.2 * fit.width / fit.scale;
        for (double decade = 0.01; decade < 1e6; decade *= 10.0)
            for (double f : {1.0, 2.0, 5.0})
                if (f * decade <= wanted)
                    length = f * decade;
    }
    const int x0 = fit.width / 20, y0 = fit.height - fit.height / 20;
    a.scaleBar = {{x0, y0}, {x0 + static_cast<int>(std::lround(length * fit.scale)), y0}};
    std::snprintf(text, sizeof text, "%g m", length);
    a.scaleText = text;
    return a;
}
