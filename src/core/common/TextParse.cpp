#include "common/TextParse.h"

#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdlib>
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
