#include "project/forms/NumberField.h"

#include "project/Strings.h"

#include <cctype>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace {
locale_t CLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

std::string Replace(std::string text, const std::string& key, const std::string& value) {
    const auto at = text.find(key);
    if (at != std::string::npos)
        text.replace(at, key.size(), value);
    return text;
}

// Bounds are printed with 15 significant digits, as the range message always showed them.
std::string BoundText(double value) {
    char buffer[64];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    return std::string(buffer, r.ptr);
}
} // namespace

std::string FormatFieldNumber(double value) {
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, r.ptr);
}

std::optional<double> ParseWholeNumber(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    const double value = strtod_l(begin, &end, CLocale());
    if (end == begin)
        return std::nullopt;
    while (*end != '\0' && std::isspace(static_cast<unsigned char>(*end)))
        ++end;
    if (*end != '\0' || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string RangeMessage(double minimum, double maximum) {
    return Replace(Replace(Strings::kEnterNumberBetween, "%1", BoundText(minimum)), "%2",
                   BoundText(maximum));
}

void CNumberField::SetValue(double value) {
    text = FormatFieldNumber(value);
}

std::optional<double> CNumberField::Parse(std::string* message) const {
    const std::optional<double> value = ParseWholeNumber(text);
    if (!value) {
        if (message)
            *message = Strings::kEnterNumber;
        return std::nullopt;
    }
    if (*value < minimum || *value > maximum) {
        if (message)
            *message = RangeMessage(minimum, maximum);
        return std::nullopt;
    }
    return value;
}

std::optional<double> CNumberField::ParseNamed(std::string* message) const {
    const std::optional<double> value = Parse(message);
    if (!value && message)
        *message = FieldMessage(label, *message);
    return value;
}

std::string FieldName(const std::string& label) {
    std::string name = label;
    while (!name.empty() && (name.back() == ' ' || name.back() == ':'))
        name.pop_back();
    return name;
}

std::string FieldMessage(const std::string& label, const std::string& message) {
    const std::string name = FieldName(label);
    if (name.empty())
        return message;
    std::string text = message;
    // "Enter" becomes "enter"; a name or an abbreviation at the start keeps its capital.
    if (text.size() > 1 && std::isupper(static_cast<unsigned char>(text[0])) &&
        std::islower(static_cast<unsigned char>(text[1])))
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return name + ": " + text;
}

std::string OutsideRange(const std::string& name, double value, double lo, double hi,
                         const std::string& unit, const std::string& why) {
    if (value >= lo && value <= hi)
        return {};
    std::string text = name + " must lie between " + FormatFieldNumber(lo) + " and " +
                       FormatFieldNumber(hi) + (unit.empty() ? "" : " " + unit);
    if (!why.empty())
        text += " (" + why + ")";
    return text + "; " + FormatFieldNumber(value) + " was given";
}
