#include "project/ColorMapLayout.h"
#include "project/QuantityDisplay.h"

#include "acoustics/ColorMapCondition.h"
#include "common/FormatSignificant.h"
#include "common/Units.h"
#include "project/BandChoice.h"
#include "project/DAXDoc.h"
#include "project/Strings.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>

CPixel CMapProjector::operator()(const CVec3& v) const {
    const double u = xu * v.x + yu * v.y + zu * v.z;
    const double w = xw * v.x + yw * v.y + zw * v.z;
    return {left + 1 - static_cast<int>(std::trunc(0.5 - (u - minU) * scale * 1000.0)),
            bottom + 1 - static_cast<int>(std::trunc((w - minW) * scale * 1000.0 + 0.5))};
}

CQuad CMapProjector::Quad(const std::array<CVec3, 4>& c) const {
    const CMapProjector& p = *this;
    return {p(c[0]), p(c[3]), p(c[2]), p(c[1])};
}

bool PointInQuad(const CQuad& quad, const CPixel& p, EFacing facing) {
    // Screen y runs down, so a front-facing quad turns with negative cross products.
    bool anyPositive = false, anyNegative = false;
    for (std::size_t i = 0; i < 4; ++i) {
        const CPixel& a = quad[i];
        const CPixel& b = quad[(i + 1) % 4];
        const std::int64_t ex = b.x - a.x, ey = b.y - a.y;
        const std::int64_t vx = p.x - a.x, vy = p.y - a.y;
        const std::int64_t cross = ex * vy - ey * vx;
        anyPositive = anyPositive || cross > 0;
        anyNegative = anyNegative || cross < 0;
    }
    if (facing == EFacing::FrontOnly)
        return !anyPositive;
    return !(anyPositive && anyNegative);
}

std::array<CVec3, 4> RectangleCorners(const CVec3& s, const CVec3& e) {
    if (e.z != 0.0 && e.y == 0.0) // XZ
        return {CVec3{s.x, s.y, s.z}, CVec3{s.x + e.x, s.y, s.z}, CVec3{s.x + e.x, s.y, s.z + e.z},
                CVec3{s.x, s.y, s.z + e.z}};
    if (e.z != 0.0 && e.x == 0.0) // YZ
        return {CVec3{s.x, s.y, s.z}, CVec3{s.x, s.y, s.z + e.z}, CVec3{s.x, s.y + e.y, s.z + e.z},
                CVec3{s.x, s.y + e.y, s.z}};
    return {CVec3{s.x, s.y, s.z}, CVec3{s.x, s.y + e.y, s.z}, CVec3{s.x + e.x, s.y + e.y, s.z},
            CVec3{s.x + e.x, s.y, s.z}};
}

std::array<CVec3, 4> CellCorners(const CPlaceElement& c, EPlaneOrientation orientation) {
    const double hx = c.sizeX / 2, hy = c.sizeY / 2, hz = c.sizeZ / 2;
    switch (orientation) {
    case EPlaneOrientation::YZ:
        return {CVec3{c.x, c.y - hy, c.z - hz}, CVec3{c.x, c.y - hy, c.z + hz},
                CVec3{c.x, c.y + hy, c.z + hz}, CVec3{c.x, c.y + hy, c.z - hz}};
    case EPlaneOrientation::XZ:
        return {CVec3{c.x - hx, c.y, c.z - hz}, CVec3{c.x - hx, c.y, c.z + hz},
                CVec3{c.x + hx, c.y, c.z + hz}, CVec3{c.x + hx, c.y, c.z - hz}};
    default:
        return {CVec3{c.x - hx, c.y - hy, c.z}, CVec3{c.x - hx, c.y + hy, c.z},
                CVec3{c.x + hx, c.y + hy, c.z}, CVec3{c.x + hx, c.y - hy, c.z}};
    }
}

EFacing FacingOf(EPlaneOrientation orientation) {
    return orientation == EPlaneOrientation::XZ || orientation == EPlaneOrientation::YZ
               ? EFacing::EitherSide
               : EFacing::FrontOnly;
}

std::string UnitText(int lengthUnit) {
    return lengthUnit == kUnitImperial ? Strings::kUnitFeet : Strings::kUnitMetre;
}

std::string OctaveBandName(double band) {
    return BandLabel(band);
}

namespace {
const CTapElement* TapOf(const CDAXDoc& doc, const CInstallationElement& installation) {
    if (installation.modelIndex < 0 || installation.modelIndex >= doc.Models().Count())
        return nullptr;
    const CSpeakerModel& model = doc.Models().At(installation.modelIndex);
    const int rows = static_cast<int>(model.Settings().taps.size());
    if (installation.tapIndex < 0 || installation.tapIndex >= rows)
        return nullptr;
    return &model.Tap(installation.tapIndex);
}

std::string Level(double value) {
    return FormatSignificant(value, 4) + Strings::kUnitDecibel;
}

std::string Quoted(const char* text) {
    return std::string("\"") + text + "\"";
}
} // namespace

std::string AmplifierEstimate(const CDAXDoc& doc) {
    const CInstallationElement* first = doc.Room().At(0);
    const CTapElement* firstTap = first ? TapOf(doc, *first) : nullptr;
    if (doc.Models().Count() == 0 || !first || !firstTap)
        return std::string("0") + Strings::kUnitWatt;
    const double total = doc.Room().TotalPower();
    if (!firstTap->lowImpedance)
        return FormatSignificant(total * 1.2, 4) + Strings::kUnitWatt;
    double sum = 0.0;
    for (const CInstallationElement& installation : doc.Room().List())
        if (const CTapElement* tap = TapOf(doc, installation))
            sum += installation.power * tap->ampFactor;
    return FormatSignificant(total, 4) + Strings::kAmplifierTo + FormatSignificant(sum, 4) +
           Strings::kUnitWatt;
}

std::string MapStateText(const CListeningPlane& plane) {
    if (plane.calculating)
        return Strings::kMapCalculatingNote;
    switch (plane.state) {
    case EMapState::Complete:
        return {};
    case EMapState::Incomplete: {
        long long computed = 0;
        for (const CPlaceElement& p : plane.points)
            computed += !std::isnan(p.level);
        std::string text = Strings::kMapIncomplete;
        text.replace(text.find("%1"), 2, std::to_string(computed));
        text.replace(text.find("%2"), 2, std::to_string(plane.points.size()));
        return text;
    }
    case EMapState::Failed:
        return Strings::kMapFailed + plane.failure + ".";
    case EMapState::NotCalculated:
        break;
    }
    return Strings::kMapNotCalculated;
}

std::vector<CAnnotationLine> AnnotationLines(const CDAXDoc& doc, const CColorMapCondition& c) {
    const std::string unit = UnitText(doc.Settings().lengthUnit);
    const CListeningPlane& plane = c.plane;
    std::vector<CAnnotationLine> lines;
    lines.push_back({2, Strings::kMapProjectName + doc.Settings().projectName});
    lines.push_back({3, Strings::kMapDate + doc.Settings().projectDate});
    lines.push_back(
        {11, (doc.Room().ceilingType != 0 ? Strings::kCeilingSolid : Strings::kCeilingAbsorbent) +
                 FormatSignificant(doc.Room().roomHeight, 4) + unit});
    switch (plane.Orientation()) {
    case EPlaneOrientation::XZ:
        lines.push_back(
            {12, Strings::kLengthYFromXZPlane + FormatSignificant(plane.originY, 4) + unit});
        break;
    case EPlaneOrientation::YZ:
        lines.push_back(
            {12, Strings::kLengthXFromYZPlane + FormatSignificant(plane.originX, 4) + unit});
        break;
    default:
        lines.push_back(
            {12, Strings::kAudienceHeight + FormatSignificant(plane.originZ, 4) + unit});
        break;
    }
    if (plane.HasResult()) {
        if (c.quantity == EMapQuantity::Direct) {
            lines.push_back({6, Strings::kAverageMax + Level(plane.maximumLevel)});
            lines.push_back({7, Strings::kAverageMin + Level(plane.minimumLevel)});
            lines.push_back({8, Strings::kAveragePink + Level(plane.pinkNoiseAverage)});
            lines.push_back({9, Strings::kAverageMusic + Level(plane.musicSpeechAverage)});
        } else {
            for (CAnnotationLine& line : QuantityStatisticLines(c, doc.Settings().speech.stiTarget))
                lines.push_back(std::move(line));
        }
        if (plane.leftOut > 0)
            lines.push_back({10, std::to_string(plane.leftOut) + Strings::kPointsLeftOut});
    } else {
        lines.push_back({6, MapStateText(plane)});
    }
    lines.push_back({14, Strings::kNumberOfSpeakers + std::to_string(doc.Room().Count())});
    // The estimate goes with the averages: a map without a result reports neither.
    if (plane.HasResult())
        lines.push_back({15, Strings::kAmplifierPower + AmplifierEstimate(doc)});
    if (doc.Settings().autoLayoutValid != 1)
        return lines;

    static const char* const kPatterns[] = {
        Strings::kPatternMaximumOverlap, Strings::kPatternMinimumOverlap,
        Strings::kPatternEdgeToEdge, Strings::kPattern14EdgeToEdge, Strings::kPattern2EdgeToEdge};
    std::string density = Strings::kAutoDensity;
    if (doc.Settings().autoLayoutPattern >= 0 && doc.Settings().autoLayoutPattern < 5)
        density += Quoted(kPatterns[doc.Settings().autoLayoutPattern]);
    lines.push_back({17, density});
    if (const CInstallationElement* first = doc.Room().At(0)) {
        if (first->modelIndex >= 0 && first->modelIndex < doc.Models().Count())
            lines.push_back(
                {18, Strings::kAutoSpeaker + doc.Models().At(first->modelIndex).DisplayName()});
        if (const CTapElement* tap = TapOf(doc, *first))
            lines.push_back({19, Strings::kAutoTap + FormatSignificant(tap->tapRating, 4) +
                                     (tap->lowImpedance ? Strings::kTapOhms : Strings::kTapLine) +
                                     FormatSignificant(tap->tapPower, 4) + "W"});
    }
    lines.push_back(
        {20, Strings::kColumnPitch + FormatSignificant(doc.Settings().autoColumnPitch, 4) + unit});
    lines.push_back(
        {21, Strings::kRowPitch + FormatSignificant(doc.Settings().autoRowPitch, 4) + unit});
    lines.push_back(
        {22, Strings::kLeftOffset + FormatSignificant(doc.Settings().autoLeftOffset, 4) + unit});
    lines.push_back({23, Strings::kBottomOffset +
                             FormatSignificant(doc.Settings().autoBottomOffset, 4) + unit});
    if (doc.Settings().advancedMode > 1) {
        lines.push_back({25, Strings::kJudgmentFrequency +
                                 FormatSignificant(doc.Settings().autoJudgeFrequency, 2) +
                                 Strings::kHz});
        lines.push_back(
            {26, Strings::kJudgmentBand + OctaveBandName(doc.Settings().autoJudgeBand)});
    }
    return lines;
}

double AutomaticColorMaximum(const CListeningPlane& plane) {
    const double pitch = plane.colorPitch;
    const bool calculated = plane.maximumLevel != 0.0 || plane.minimumLevel != 0.0;
    if (!calculated || !(pitch > 0.0) || !std::isfinite(plane.maximumLevel))
        return plane.colorMaximum;
    return std::ceil(plane.maximumLevel / pitch - 1e-9) * pitch;
}

double ColorShift(const CColorMapCondition& condition) {
    return condition.automaticScale
               ? AutomaticColorMaximum(condition.plane) - condition.plane.colorMaximum
               : 0.0;
}

std::array<std::string, kColorClasses> LegendLabels(const CListeningPlane& plane, double shift) {
    std::array<std::string, kColorClasses> labels;
    for (int i = 0; i < kColorClasses; ++i) {
        const auto index = static_cast<std::size_t>(i);
        const std::string upper =
            i == 0 ? "" : FormatSignificant(plane.thresholds[index - 1] + shift, 5);
        const std::string lower =
            i == kColorClasses - 1 ? "" : FormatSignificant(plane.thresholds[index] + shift, 5);
        labels[index] = upper + Strings::kLegendSeparator + lower;
    }
    return labels;
}

std::string PrintTitle(const CColorMapCondition& condition) {
    return Strings::kMapShownAt + FormatSignificant(condition.centreFrequency, 2) + Strings::kHz +
           Strings::kTitleSeparator + OctaveBandName(condition.band) + Strings::kTitleSeparator +
           (condition.mode == kModeInterference ? Strings::kModeInterference
                                                : Strings::kModeEnergy) +
           (condition.quantity == EMapQuantity::Direct
                ? std::string()
                : Strings::kTitleSeparator + QuantityLabel(condition.quantity));
}

std::string CursorLevelText(double level) {
    return Strings::kCursorLevel + Level(level);
}

std::string CursorPointText(const CVec3& p, int lengthUnit) {
    const std::string unit = UnitText(lengthUnit);
    return "(X=" + FormatSignificant(p.x, 4) + unit + " Y=" + FormatSignificant(p.y, 4) + unit +
           " Z=" + FormatSignificant(p.z, 4) + unit + ")";
}

std::string SpeakerTooltip(const CDAXDoc& doc, int index) {
    const CInstallationElement* e = doc.Room().At(index);
    if (!e)
        return {};
    std::string text = "No " + std::to_string(index + 1) + ": ";
    text += e->modelIndex >= 0 && e->modelIndex < doc.Models().Count()
                ? doc.Models().At(e->modelIndex).DisplayName()
                : std::string("?");
    if (const CTapElement* tap = TapOf(doc, *e))
        text += "\n" + std::string(Strings::kColumnTap) + ": " +
                FormatSignificant(tap->tapRating, 4) +
                (tap->lowImpedance ? Strings::kTapOhms : Strings::kTapLine) +
                FormatSignificant(tap->tapPower, 4) + Strings::kTapWatt;
    text += "\n" + std::string(Strings::kColumnPower) + ": " + FormatSignificant(e->power, 4) +
            Strings::kUnitWatt;
    return text;
}

std::string CursorTooltip(EMapQuantity quantity, double value, const CVec3& point,
                          int lengthUnit) {
    return CursorValueText(quantity, value) + "\n" + CursorPointText(point, lengthUnit);
}

std::vector<CPlaneLabel> PlaneDimensionLabels(const CListeningPlane& plane, int lengthUnit) {
    const double x0 = plane.originX, y0 = plane.originY, z0 = plane.originZ;
    const double ex = plane.extentX, ey = plane.extentY, ez = plane.extentZ;
    const std::string unit = UnitText(lengthUnit);
    auto number = [](double v) { return FormatSignificant(v, 4); };
    switch (plane.Orientation()) {
    case EPlaneOrientation::XZ:
        return {{{x0, y0, z0 + ez}, number(x0), true},
                {{x0 + ex, y0, z0 + ez}, number(x0 + ex), true},
                {{x0 + ex / 2, y0, z0 + ez}, unit, true},
                {{x0 + ex, y0, z0}, number(z0), false},
                {{x0 + ex, y0, z0 + ez}, number(z0 + ez), false},
                {{x0 + ex, y0, z0 + ez / 2}, unit, false}};
    case EPlaneOrientation::YZ:
        return {{{x0, y0, z0 + ez}, number(y0), true},
                {{x0, y0 + ey, z0 + ez}, number(y0 + ey), true},
                {{x0, y0 + ey / 2, z0 + ez}, unit, true},
                {{x0, y0 + ey, z0}, number(z0), false},
                {{x0, y0 + ey, z0 + ez}, number(z0 + ez), false},
                {{x0, y0 + ey, z0 + ez / 2}, unit, false}};
    default:
        return {{{x0, y0 + ey, z0}, number(x0), true},
                {{x0 + ex, y0 + ey, z0}, number(x0 + ex), true},
                {{x0 + ex / 2, y0 + ey, z0}, unit, true},
                {{x0 + ex, y0, z0}, number(y0), false},
                {{x0 + ex, y0 + ey, z0}, number(y0 + ey), false},
                {{x0 + ex, y0 + ey / 2, z0}, unit, false}};
    }
}

double TickStep(double span, double pixels, double minSpacing) {
    if (!(span > 0.0) || !(pixels > 0.0) || !(minSpacing > 0.0) || !std::isfinite(span))
        return 0.0;
    const double most = std::floor(pixels / minSpacing); // ticks the edge has room for
    if (most < 1.0)
        return 0.0;
    double decade = std::pow(10.0, std::floor(std::log10(span / most)));
    for (;;) {
        for (double factor : {1.0, 2.0, 5.0})
            if (span / (factor * decade) <= most + 1e-9)
                return factor * decade;
        decade *= 10.0;
    }
}

namespace {
// Ticks at multiples of `step` strictly inside (start, end), clear of both ends and the middle.
std::vector<double> TickValues(double start, double end, double step) {
    std::vector<double> values;
    if (!(step > 0.0) || !(end > start))
        return values;
    const double middle = (start + end) / 2;
    for (double k = std::ceil(start / step); k * step < end; k += 1.0) {
        const double v = k * step;
        if (v - start < step / 2 || end - v < step / 2 || std::fabs(v - middle) < step / 2)
            continue;
        values.push_back(v);
        if (values.size() > 1000) // a pixel count no screen has
            break;
    }
    return values;
}
} // namespace

std::vector<CPlaneTick> PlaneTicks(const CListeningPlane& plane, double firstPixels,
                                   double secondPixels, double minSpacing) {
    const double x0 = plane.originX, y0 = plane.originY, z0 = plane.originZ;
    const double ex = plane.extentX, ey = plane.extentY, ez = plane.extentZ;
    // Each edge as its first coordinate's range and the world point at a value along it.
    struct Edge {
        double start, span;
        std::function<CVec3(double)> at;
        bool first;
        double pixels;
    };
    std::vector<Edge> edges;
    switch (plane.Orientation()) {
    case EPlaneOrientation::XZ:
        edges = {{x0, ex, [=](double v) { return CVec3{v, y0, z0 + ez}; }, true, firstPixels},
                 {z0, ez, [=](double v) { return CVec3{x0 + ex, y0, v}; }, false, secondPixels}};
        break;
    case EPlaneOrientation::YZ:
        edges = {{y0, ey, [=](double v) { return CVec3{x0, v, z0 + ez}; }, true, firstPixels},
                 {z0, ez, [=](double v) { return CVec3{x0, y0 + ey, v}; }, false, secondPixels}};
        break;
    case EPlaneOrientation::XY:
        edges = {{x0, ex, [=](double v) { return CVec3{v, y0 + ey, z0}; }, true, firstPixels},
                 {y0, ey, [=](double v) { return CVec3{x0 + ex, v, z0}; }, false, secondPixels}};
        break;
    case EPlaneOrientation::Invalid:
        break;
    }
    std::vector<CPlaneTick> ticks;
    for (const Edge& edge : edges) {
        const double step = TickStep(edge.span, edge.pixels, minSpacing);
        for (double v : TickValues(edge.start, edge.start + edge.span, step))
            ticks.push_back({edge.at(v), edge.at(edge.start), edge.at(edge.start + edge.span),
                             FormatSignificant(v, 4), edge.first});
    }
    return ticks;
}

CTablePaging TablePaging(int installations, int fontHeight, int pageHeight, int firstRowY,
                         int headerLines) {
    CTablePaging paging;
    const int h = std::max(1, fontHeight);
    const int extra = std::max(0, headerLines - 1); // the header's lines after its first
    paging.rowsPerPage =
        std::max(2, (pageHeight - pageHeight / 10 - pageHeight / 3) / h + 1 - extra);
    // Page 1 keeps at least its header, even when the picture leaves no room below it.
    paging.firstPageRows = std::max(1, (pageHeight - firstRowY) / h - extra);
    const int rest = std::max(0, installations - (paging.firstPageRows - 1));
    const int perPage = paging.rowsPerPage - 1;
    paging.pageCount = 1 + (rest + perPage - 1) / perPage;
    return paging;
}

CTableRow TableHeader(const CDAXDoc& doc) {
    CTableRow row = {{0, Strings::kTableNo},
                     {150, Strings::kTableSpeakerName},
                     {1150, Strings::kTableX},
                     {1450, Strings::kTableY},
                     {1750, Strings::kTableZ}};
    if (doc.Settings().advancedMode != 0) {
        row.push_back({2050, Strings::kAzimuthLabel});
        row.push_back({2500, Strings::kElevationLabel});
        row.push_back({3050, Strings::kRotationLabel});
        row.push_back({3550, Strings::kTablePower});
        row.push_back({3850, Strings::kTablePolarity});
    }
    return row;
}

namespace {
// The text split in two at the break that leaves the wider part narrowest: before a "(" or at
// a blank. Nothing when it has no break.
std::optional<std::pair<std::string, std::string>>
SplitHeader(const std::string& text, int fontHeight, const CTextWidth& width) {
    std::optional<std::pair<std::string, std::string>> best;
    double bestWidth = 0.0;
    for (std::size_t i = 1; i < text.size(); ++i) {
        std::pair<std::string, std::string> parts;
        if (text[i] == '(')
            parts = {text.substr(0, i), text.substr(i)};
        else if (text[i] == ' ')
            parts = {text.substr(0, i), text.substr(i + 1)};
        else
            continue;
        if (parts.first.empty() || parts.second.empty())
            continue;
        const double wider =
            std::max(width(parts.first, fontHeight), width(parts.second, fontHeight));
        if (!best || wider < bestWidth) {
            best = std::move(parts);
            bestWidth = wider;
        }
    }
    return best;
}
} // namespace

CTableHeaderLayout FitTableHeader(const CTableRow& header, int rightEdge, int fontHeight,
                                  const CTextWidth& width) {
    CTableHeaderLayout layout;
    for (std::size_t i = 0; i < header.size(); ++i) {
        CHeaderCell cell{header[i].offset, {header[i].text}, 1.0};
        if (width) {
            const int end = i + 1 < header.size() ? header[i + 1].offset : rightEdge;
            const double room = end - cell.offset - fontHeight / 2;
            if (width(header[i].text, fontHeight) > room) {
                if (auto parts = SplitHeader(header[i].text, fontHeight, width))
                    cell.lines = {parts->first, parts->second};
                double widest = 0.0;
                for (const std::string& line : cell.lines)
                    widest = std::max(widest, width(line, fontHeight));
                // Never below half size: a header too long for any column stays readable.
                if (widest > room)
                    cell.fontScale = std::max(0.5, room / widest);
            }
        }
        layout.lineCount = std::max(layout.lineCount, static_cast<int>(cell.lines.size()));
        layout.cells.push_back(std::move(cell));
    }
    return layout;
}

std::vector<CTableRow> TableRows(const CDAXDoc& doc, const CTablePaging& paging, int page) {
    const int count = doc.Room().Count();
    int first = 0, rows = paging.firstPageRows - 1;
    if (page > 1) {
        first = paging.firstPageRows - 1 + (page - 2) * (paging.rowsPerPage - 1);
        rows = paging.rowsPerPage - 1;
    }
    const std::string unit = UnitText(doc.Settings().lengthUnit);
    const std::string degree = Strings::kUnitDegree;
    std::vector<CTableRow> table;
    for (int index = std::max(0, first); index < count && index < first + rows; ++index) {
        const CInstallationElement& e = *doc.Room().At(index);
        const std::string name = e.modelIndex >= 0 && e.modelIndex < doc.Models().Count()
                                     ? doc.Models().At(e.modelIndex).DisplayName()
                                     : std::string();
        CTableRow row = {{0, FormatSignificant(index + 1, 5)},
                         {150, name},
                         {1150, FormatSignificant(e.position.x, 4) + unit},
                         {1450, FormatSignificant(e.position.y, 4) + unit},
                         {1750, FormatSignificant(e.position.z, 4) + unit}};
        if (doc.Settings().advancedMode != 0) {
            row.push_back({2050, FormatSignificant(e.orientation.azimuth, 4) + degree});
            row.push_back({2500, FormatSignificant(e.orientation.elevation, 4) + degree});
            row.push_back({3050, FormatSignificant(e.orientation.rotation, 4) + degree});
            row.push_back({3550, FormatSignificant(e.power, 4) + Strings::kUnitWatt});
            row.push_back(
                {3850, e.polarityNormal ? Strings::kTableNormal : Strings::kTableReverse});
        }
        table.push_back(std::move(row));
    }
    return table;
}

std::optional<double> FitScale(double widthMM, double heightMM, int areaWidth, int areaHeight,
                               const std::array<int, 4>& margins, int fontHeight) {
    const double aw = areaWidth - margins[0] - margins[2];
    const double lines = std::max(0.6 * margins[3], double{kMapAnnotationLines} * fontHeight);
    const double ah = areaHeight - margins[1] - lines;
    // An area smaller than its margins has nothing to fit into.
    if (!(widthMM > 0.0) || !(heightMM > 0.0) || aw <= 0.0 || ah <= 0.0)
        return std::nullopt;
    return std::min(aw / widthMM, ah / heightMM);
}

std::array<int, 4> PrintMargins(int pageWidth, int pageHeight) {
    return {pageWidth * 20 / 100, pageHeight / 10, pageWidth * 5 / 100, pageHeight * 36 / 100};
}

int ContentHeight(int scrollHeight, int bottomMargin, int fontHeight, bool automaticLayout) {
    const int lines = automaticLayout ? kAllAnnotationLines : kMapAnnotationLines;
    return std::min(scrollHeight, scrollHeight - bottomMargin + lines * fontHeight);
}
