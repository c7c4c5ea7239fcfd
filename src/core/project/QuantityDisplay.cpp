#include "project/QuantityDisplay.h"

#include "acoustics/ArrivalMap.h"
#include "acoustics/ColorMapCondition.h"
#include "acoustics/RoomQuantities.h"
#include "acoustics/SpeechTransmission.h"
#include "common/FormatSignificant.h"
#include "project/ColorMapLayout.h"
#include "project/Strings.h"

#include <cmath>
#include <cstdio>

namespace {
// The qualification bands of the index, from the top.
constexpr const char* kStiBands[] = {"A+", "A", "B", "C", "D", "E",
                                     "F",  "G", "H", "I", "J", "U"};
constexpr int kStiClasses = 12;

// The arrival classes' upper bounds, from the top: a planner hears a second arrival 20 ms after
// the first as part of it, one 50 ms or more later as an echo.
constexpr double kArrivalBounds[] = {80, 50, 30, 20, 10, 5};
constexpr int kArrivalClasses = 7;

std::string Fixed(double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

bool IsIndex(EMapQuantity q) {
    return IsSpeechQuantity(q);
}

// The unit as the legend writes it; the indices' values stand without one in the texts.
std::string Unit(EMapQuantity quantity) {
    return "[" + std::string(QuantityInfo(quantity).unit) + "]";
}

std::string TextUnit(EMapQuantity quantity) {
    return IsIndex(quantity) ? std::string() : Unit(quantity);
}

std::string Replace(std::string text, const std::string& value) {
    const std::size_t at = text.find("%1");
    return at == std::string::npos ? text : text.replace(at, 2, value);
}

// Spreads `count` classes over the plane's palette, its first colour at the top.
std::uint32_t PaletteColor(const CListeningPlane& plane, int i, int count) {
    const long palette = std::lround(i * (kColorClasses - 1.0) / (count - 1.0));
    return plane.colors[static_cast<std::size_t>(palette)];
}
} // namespace

std::string QuantityLabel(EMapQuantity quantity) {
    switch (quantity) {
    case EMapQuantity::Direct:
        return Strings::kQuantityDirect;
    case EMapQuantity::Reverberant:
        return Strings::kQuantityReverberant;
    case EMapQuantity::Total:
        return Strings::kQuantityTotal;
    case EMapQuantity::DirectToReverberant:
        return Strings::kQuantityRatio;
    case EMapQuantity::BroadbandZ:
        return Strings::kQuantityBroadbandZ;
    case EMapQuantity::BroadbandA:
        return Strings::kQuantityBroadbandA;
    case EMapQuantity::Sti:
        return Strings::kQuantitySti;
    case EMapQuantity::Cis:
        return Strings::kQuantityCis;
    case EMapQuantity::Arrival:
        return Strings::kQuantityArrival;
    case EMapQuantity::LateLoudest:
        return Strings::kQuantityLateLoudest;
    }
    return QuantityInfo(quantity).name;
}

std::string QuantityValueText(EMapQuantity quantity, double value) {
    if (IsIndex(quantity))
        return Fixed(value, 3);
    return FormatSignificant(value, 4);
}

CColorScale ColorScaleOf(const CColorMapCondition& condition) {
    const CListeningPlane& plane = condition.plane;
    const EMapQuantity q = condition.quantity;
    CColorScale scale;
    scale.unit = Unit(q);
    if (IsLevelQuantity(q)) {
        // The automatic choice moves the stored classes up to the map's maximum.
        const double shift = ColorShift(condition);
        scale.colors = plane.colors;
        scale.thresholds = plane.thresholds;
        for (double& threshold : scale.thresholds)
            threshold += shift;
        scale.labels = LegendLabels(plane, shift);
        return scale;
    }
    if (IsArrivalQuantity(q)) {
        scale.count = kArrivalClasses;
        for (int i = 0; i < kArrivalClasses; ++i) {
            const auto at = static_cast<std::size_t>(i);
            // The first colour is the latest.
            scale.colors[at] = PaletteColor(plane, i, kArrivalClasses);
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
    if (q == EMapQuantity::DirectToReverberant) {
        scale.colors = plane.colors;
        for (int i = 0; i + 1 < kColorClasses; ++i)
            scale.thresholds[static_cast<std::size_t>(i)] = 24.0 - 2.0 * i;
    } else {
        scale.count = kStiClasses;
        scale.lowerInclusive = true;
        for (int i = 0; i < kStiClasses; ++i) {
            scale.colors[static_cast<std::size_t>(i)] = PaletteColor(plane, i, kStiClasses);
            if (i + 1 < kStiClasses) {
                const double sti = 0.76 - 0.04 * i;
                scale.thresholds[static_cast<std::size_t>(i)] =
                    q == EMapQuantity::Cis ? CisOfSti(sti) : sti;
            }
        }
    }
    for (int i = 0; i < scale.count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const std::string upper = i == 0 ? "" : QuantityValueText(q, scale.thresholds[at - 1]);
        const std::string lower =
            i == scale.count - 1 ? "" : QuantityValueText(q, scale.thresholds[at]);
        scale.labels[at] = upper + Strings::kLegendSeparator + lower;
        if (IsIndex(q))
            scale.labels[at] += std::string("  ") + kStiBands[i];
    }
    return scale;
}

std::uint32_t ScaleColor(const CColorScale& scale, double value) {
    if (std::isnan(value))
        return 0;
    const int last = scale.count - 1;
    for (int i = 0; i < last; ++i) {
        const double threshold = scale.thresholds[static_cast<std::size_t>(i)];
        if (value > threshold || (scale.lowerInclusive && value == threshold))
            return scale.colors[static_cast<std::size_t>(i)];
    }
    return scale.colors[static_cast<std::size_t>(last)];
}

std::vector<CAnnotationLine> QuantityStatisticLines(const CColorMapCondition& c, double stiTarget) {
    const EMapQuantity q = c.quantity;
    const CListeningPlane& plane = c.plane;
    const std::string name = QuantityLabel(q);
    auto value = [&](double v) { return QuantityValueText(q, v) + TextUnit(q); };
    std::vector<CAnnotationLine> lines = {
        {6, name + Strings::kQuantityMaxValue + value(plane.maximumLevel)},
        {7, name + Strings::kQuantityMinValue + value(plane.minimumLevel)},
        {8, name + (IsLevelQuantity(q) ? Strings::kQuantityEnergyMeanValue
                                       : Strings::kQuantityMeanValue) +
                value(plane.pinkNoiseAverage)}};
    if (q == EMapQuantity::LateLoudest)
        lines.push_back(
            {9,
             name + Replace(Strings::kQuantityLateShare, FormatSignificant(kLateThresholdMs, 4)) +
                 FormatSignificant(100.0 * plane.musicSpeechAverage, 4) + Strings::kUnitPercent});
    if (IsIndex(q)) {
        const double target = q == EMapQuantity::Cis ? CisOfSti(stiTarget) : stiTarget;
        lines.push_back({9, name + Replace(Strings::kQuantityTargetShare,
                                           QuantityValueText(q, target)) +
                                FormatSignificant(100.0 * plane.musicSpeechAverage, 4) +
                                Strings::kUnitPercent});
    }
    return lines;
}

std::vector<std::string> SpeechTableLines(const CPointSpeech& speech) {
    const CStiInput& in = speech.input;
    const CStiResult& r = speech.result;
    std::vector<std::string> lines = {"Octave     Ld     Lr     Ls     Ln     T    MTI"};
    static const char* octaves[kOctaveCount] = {"125", "250", "500", "1k", "2k", "4k", "8k"};
    for (std::size_t k = 0; k < kOctaveCount; ++k) {
        char line[96];
        std::snprintf(line, sizeof line, "%-6s %6.1f %6.1f %6.1f %6s %5.2f %6.3f", octaves[k],
                      in.direct[k], in.reverberant[k], r.signal[k],
                      in.noiseOn ? Fixed(in.noise[k], 1).c_str() : "-", in.rt[k], r.mti[k]);
        lines.emplace_back(line);
    }
    lines.push_back("STI " + Fixed(r.sti, 3) + "   CIS " + Fixed(r.cis, 3));
    return lines;
}

std::string CursorValueText(EMapQuantity quantity, double value) {
    if (quantity == EMapQuantity::Direct)
        return CursorLevelText(value);
    return QuantityLabel(quantity) + Strings::kQuantityAtCursor +
           QuantityValueText(quantity, value) + TextUnit(quantity);
}
