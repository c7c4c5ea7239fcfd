#include "CliOptions.h"

#include "common/FormatSignificant.h"
#include "project/forms/NumberField.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <numbers>

CLI::Validator Finite(double lo, double hi) {
    return CLI::Validator(
        [lo, hi](std::string& text) -> std::string {
            char* end = nullptr;
            errno = 0;
            const double v = std::strtod(text.c_str(), &end);
            if (end == text.c_str() || *end != '\0')
                return "\"" + text + "\" is not a number";
            if (!std::isfinite(v) || errno == ERANGE)
                return "\"" + text + "\" is not a finite number";
            if (v < lo || v > hi)
                return "\"" + text + "\" is outside " + FormatValue(lo, 6) + " to " +
                       FormatValue(hi, 6);
            return {};
        },
        "NUMBER");
}

CLI::Validator Decimal(long long lo, long long hi) {
    return CLI::Validator(
        [lo, hi](std::string& text) -> std::string {
            if (text.empty())
                return "the value is empty; give a whole number";
            if (text.find_first_not_of("0123456789") != std::string::npos)
                return "\"" + text + "\" is not a whole number in decimal digits";
            const std::size_t first = text.find_first_not_of('0');
            const std::string digits = first == std::string::npos ? "0" : text.substr(first);
            // 18 digits always fit a long long; more are past every range.
            const long long value = digits.size() > 18 ? hi : std::stoll(digits);
            if (digits.size() > 18 || value < lo || value > hi)
                return "\"" + text + "\" is outside " + std::to_string(lo) + " to " +
                       std::to_string(hi);
            text = digits;
            return {};
        },
        "DECIMAL", "decimal");
}

void ReadIntegersAsDecimal(CLI::App& app) {
    for (CLI::Option* option : app.get_options()) {
        const std::string type = option->get_type_name();
        const std::string base = type.substr(0, type.find(':'));
        if (base != "INT" && base != "UINT")
            continue;
        try {
            option->get_validator("decimal");
        } catch (const CLI::OptionNotFound&) {
            option->transform(Decimal());
        }
    }
    for (CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; }))
        ReadIntegersAsDecimal(*sub);
}

CLI::Option* Triple(CLI::App* app, const std::string& name, std::vector<double>& values,
                    const std::string& help, bool required, double lo, double hi) {
    auto* option =
        app->add_option(name, values, help)->delimiter(',')->expected(3)->check(Finite(lo, hi));
    if (required)
        option->required();
    return option;
}

bool FillField(CNumberField& field, double value, const std::string& option, std::string& refusal) {
    field.SetValue(value);
    std::string dialogSays;
    if (field.Parse(&dialogSays))
        return true;
    std::string unit = field.unit;
    // Unit labels read "[m]" in the dialog; the message names the unit plainly.
    if (unit.size() > 2 && unit.front() == '[' && unit.back() == ']')
        unit = unit.substr(1, unit.size() - 2);
    refusal = OutsideRange(option, value, field.minimum, field.maximum, unit,
                           "the dialog's \"" + field.label + "\" row: " + dialogSays);
    return false;
}

namespace {
std::size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}
} // namespace

std::string ClosestName(const std::string& typed, const std::vector<std::string>& candidates) {
    std::string best;
    std::size_t bestDistance = 0;
    for (const std::string& name : candidates) {
        const std::size_t d = EditDistance(typed, name);
        if (best.empty() || d < bestDistance)
            best = name, bestDistance = d;
    }
    const std::size_t allowed = std::max<std::size_t>(1, std::max(typed.size(), best.size()) / 3);
    return bestDistance <= allowed ? best : std::string();
}

bool AimAt(const CVec3& from, const CVec3& target, double& azimuth, double& elevation) {
    const double dx = target.x - from.x, dy = target.y - from.y, dz = target.z - from.z;
    const double across = std::hypot(dx, dy);
    if (across == 0.0 && dz == 0.0)
        return false;
    constexpr double kDegrees = 180.0 / std::numbers::pi;
    // The main axis of azimuth A and elevation E is (cos A cos E, sin A cos E, -sin E).
    azimuth = across == 0.0 ? 0.0 : std::atan2(dy, dx) * kDegrees;
    elevation = std::atan2(-dz, across) * kDegrees;
    return true;
}
