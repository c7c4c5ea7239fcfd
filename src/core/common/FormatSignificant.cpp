#include "common/FormatSignificant.h"

#include <algorithm>
#include <charconv>
#include <cmath>

std::string FormatSignificant(double x, int n) {
    static const double kDecades[] = {100000.0, 10000.0, 1000.0, 100.0,  10.0,    1.0,
                                      0.1,      0.01,    0.001,  0.0001, 0.00001, 0.000001};
    const double magnitude = std::fabs(x);
    double decade = 0.0;
    for (double e : kDecades) {
        if (e <= magnitude && magnitude < 10.0 * e) {
            decade = e;
            break;
        }
    }
    if (decade == 0.0)
        return "0";

    const double u = 10.0 * decade / std::pow(10.0, n);
    const double rounded =
        x >= 0.0 ? u * std::trunc((x + u / 2.0) / u) : u * std::trunc((x - u / 2.0) / u);

    // Fixed notation with ten decimals, as "%1.10f" prints it, but free of the user's locale.
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, rounded, std::chars_format::fixed, 10);
    std::string text(buffer, result.ptr);
    while (!text.empty() && text.back() == '0')
        text.pop_back();
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    return text;
}

std::string FormatValue(double x, int n) {
    if (std::isnan(x))
        return "nan";
    if (std::isinf(x))
        return x > 0 ? "inf" : "-inf";
    if (const std::string text = FormatSignificant(x, n); text != "0" || x == 0.0)
        return text;
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::general,
                                      std::max(n, 1));
    return std::string(buffer, result.ptr);
}
