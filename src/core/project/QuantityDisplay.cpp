#include "project/QuantityDisplay.h"

#include "acoustics/ArrivalMap.h"
#include "acoustics/ColorMapCondition.h"
#include "common/FormatSignificant.h"
#include "project/ColorMapLayout.h"
#include "project/Strings.h"

#include <cmath>

namespace {
// The arrival classes' upper bounds, from the top: a planner hears a second arrival 20 ms after
// the first as part of it, one 50 ms or more later as an echo.
constexpr double kArrivalBounds[] = {80, 50, 30, 20, 10, 5};
constexpr int kArrivalClasses = 7;

std::string Unit(EMapQuantity quantity) {
    return "[" + std::string(QuantityInfo(quantity).unit) + "]";
}

std::string Replace(std::string text, const std::string& value) {
    const std::size_t at = text.find("%1");
    return at == std::string::npos ? text : text.replace(at, 2, value);
}
} // namespace

std::string QuantityLabel(EMapQuantity quantity) {
    switch (quantity) {
    case EMapQuantity::Direct:
        return Strings::kQuantityDirect;
    case EMapQuantity::Arrival:
        return Strings::kQuantityArrival;
    case EMapQuantity::LateLoudest:
        return Strings::kQuantityLateLoudest;
    }
    return QuantityInfo(quantity).name;
}

std::string QuantityValueText(EMapQuantity, double value) {
    return FormatSignificant(value, 4);
}

CColorScale ColorScaleOf(const CColorMapCondition& condition) {
    const CListeningPlane& plane = condition.plane;
    const EMapQuantity q = condition.quantity;
    CColorScale scale;
    scale.unit = Unit(q);
    if (!IsArrivalQuantity(q)) {
        // The automatic choice moves the stored classes up to the map's maximum.
        const double shift = ColorShift(condition);
        scale.colors = plane.colors;
        scale.thresholds = plane.thresholds;
        for (double& threshold : scale.thresholds)
            threshold += shift;
        scale.labels = LegendLabels(plane, shift);
        return scale;
    }
    scale.count = kArrivalClasses;
    for (int i = 0; i < kArrivalClasses; ++i) {
        const auto at = static_cast<std::size_t>(i);
        // Spread over the plane's palette, its first colour (the latest) at the top.
        const long palette = std::lround(i * (kColorClasses - 1.0) / (kArrivalClasses - 1.0));
        scale.colors[at] = plane.colors[static_cast<std::size_t>(palette)];
        if (i + 1 < kArrivalClasses)
            scale.thresholds[at] = kArrivalBounds[at];
        const std::string upper = i == 0 ? "" : QuantityValueText(q, kArrivalBounds[at - 1]);
        // Times are never negative: the last class reaches down to 0.
        const std::string lower =
            QuantityValueText(q, i + 1 < kArrivalClasses ? kArrivalBounds[at] : 0.0);
        scale.labels[at] = upper + Strings::kLegendSeparator + lower;
    }
    return scale;
}

std::uint32_t ScaleColor(const CColorScale& scale, double value) {
    if (std::isnan(value))
        return 0;
    const int last = scale.count - 1;
    for (int i = 0; i < last; ++i)
        if (value > scale.thresholds[static_cast<std::size_t>(i)])
            return scale.colors[static_cast<std::size_t>(i)];
    return scale.colors[static_cast<std::size_t>(last)];
}

std::vector<CAnnotationLine> QuantityStatisticLines(const CColorMapCondition& c) {
    const EMapQuantity q = c.quantity;
    const CListeningPlane& plane = c.plane;
    const std::string name = QuantityLabel(q);
    auto value = [&](double v) { return QuantityValueText(q, v) + Unit(q); };
    std::vector<CAnnotationLine> lines = {
        {6, name + Strings::kQuantityMaxValue + value(plane.maximumLevel)},
        {7, name + Strings::kQuantityMinValue + value(plane.minimumLevel)},
        {8, name + Strings::kQuantityMeanValue + value(plane.pinkNoiseAverage)}};
    if (q == EMapQuantity::LateLoudest)
        lines.push_back(
            {9,
             name + Replace(Strings::kQuantityLateShare, FormatSignificant(kLateThresholdMs, 4)) +
                 FormatSignificant(100.0 * plane.musicSpeechAverage, 4) + Strings::kUnitPercent});
    return lines;
}

std::string CursorValueText(EMapQuantity quantity, double value) {
    if (quantity == EMapQuantity::Direct)
        return CursorLevelText(value);
    return QuantityLabel(quantity) + Strings::kQuantityAtCursor +
           QuantityValueText(quantity, value) + Unit(quantity);
}
