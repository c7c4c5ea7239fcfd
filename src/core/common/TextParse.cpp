#include "common/TextParse.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>

namespace {
locale_t CLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}
} // namespace

int ParseLeadingInt(const char* text) {
    const long long value = strtoll_l(text, nullptr, 10, CLocale());
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

double ParseLeadingDouble(const char* text) {
    return strtod_l(text, nullptr, CLocale());
}

bool ParseFiniteNumber(const char* text, const char* field, long long line, double& value,
                       std::string& why, double limit) {
    value = ParseLeadingDouble(text);
    if (std::isfinite(value) && std::fabs(value) <= limit)
        return true;
    std::string shown(text, std::min<std::size_t>(std::strcspn(text, ","), 40));
    char bound[32];
    std::snprintf(bound, sizeof bound, "%g", limit);
    why = "line " + std::to_string(line) + ": the " + field + " \"" + shown + "\" is " +
          (std::isfinite(value) ? "outside -" + std::string(bound) + " to " + bound
                                : std::string("not a finite number"));
    return false;
}

const char* CCommaTokenizer::Next() {
    while (*m_pos == ',')
        ++m_pos;
    if (*m_pos == '\0')
        return nullptr;
    m_token = m_pos;
    while (*m_pos != '\0' && *m_pos != ',')
        ++m_pos;
    m_length = static_cast<std::size_t>(m_pos - m_token);
    return m_token;
}
