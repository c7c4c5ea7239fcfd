#include "acoustics/NoiseCurves.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace {
// L = a + b NR, ISO R 1996 (the 125 Hz to 8 kHz octaves).
constexpr COctaveValues kNrA = {22.0, 12.0, 4.8, 0.0, -3.5, -6.1, -8.0};
constexpr COctaveValues kNrB = {0.870, 0.930, 0.974, 1.000, 1.015, 1.025, 1.030};

struct CNcRow {
    int nc;
    COctaveValues levels;
};
constexpr CNcRow kNc[] = {
    {15, {36, 29, 22, 17, 14, 12, 11}}, {20, {40, 33, 26, 22, 19, 17, 16}},
    {25, {44, 37, 31, 27, 24, 22, 21}}, {30, {48, 41, 35, 31, 29, 28, 27}},
    {35, {52, 45, 40, 36, 34, 33, 32}}, {40, {56, 50, 45, 41, 39, 38, 37}},
    {45, {60, 54, 49, 46, 44, 43, 42}}, {50, {64, 58, 54, 51, 49, 48, 47}},
    {55, {67, 62, 58, 56, 54, 53, 52}}, {60, {71, 67, 63, 61, 59, 58, 57}},
    {65, {75, 71, 68, 66, 64, 63, 62}}, {70, {79, 75, 72, 71, 70, 69, 68}},
};

// The curve family ("NR" or "NC") and its number, or nothing.
struct CParsed {
    bool nr = false;
    int number = 0;
};
std::optional<CParsed> Parse(std::string_view name) {
    if (name.size() < 3)
        return std::nullopt;
    const char a = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    const char b = static_cast<char>(std::toupper(static_cast<unsigned char>(name[1])));
    CParsed parsed;
    if (a == 'N' && b == 'R')
        parsed.nr = true;
    else if (!(a == 'N' && b == 'C'))
        return std::nullopt;
    std::string_view digits = name.substr(2);
    if (!digits.empty() && (digits[0] == '-' || digits[0] == ' '))
        digits.remove_prefix(1);
    if (digits.empty() || digits.size() > 3)
        return std::nullopt;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), parsed.number);
    if (error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return parsed;
}
} // namespace

std::optional<COctaveValues> NoiseCurve(std::string_view name) {
    const std::optional<CParsed> parsed = Parse(name);
    if (!parsed)
        return std::nullopt;
    if (parsed->nr) {
        if (parsed->number < 0 || parsed->number > 130)
            return std::nullopt;
        COctaveValues levels{};
        // The curve's levels have at most three decimals; rounded so, they read back as typed
        // (44.55, not 44.550000000000004) in the dialog and the project.
        for (std::size_t k = 0; k < kOctaveCount; ++k)
            levels[k] = std::round((kNrA[k] + kNrB[k] * parsed->number) * 1000.0) / 1000.0;
        return levels;
    }
    for (const CNcRow& row : kNc)
        if (row.nc == parsed->number)
            return row.levels;
    return std::nullopt;
}

std::string NoiseCurveName(std::string_view name) {
    const std::optional<CParsed> parsed = Parse(name);
    if (!parsed || !NoiseCurve(name))
        return {};
    return (parsed->nr ? "NR" : "NC-") + std::to_string(parsed->number);
}
