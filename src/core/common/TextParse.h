#pragma once

#include <string>
#include <string_view>

// Number conversions of speaker data text. They behave like the C library's atoi and strtod
// (leading blanks, an optional sign, the longest number at the start; nothing convertible gives
// 0) but always read a '.' as the decimal point, whatever the user's locale says.
int ParseLeadingInt(const char* text);
double ParseLeadingDouble(const char* text);
inline int ParseLeadingInt(const std::string& text) {
    return ParseLeadingInt(text.c_str());
}
inline double ParseLeadingDouble(const std::string& text) {
    return ParseLeadingDouble(text.c_str());
}

// The number at the start of `text` when it is finite (and, for a range, within it); otherwise
// nothing and `why` says what is wrong with it, naming `field` and the line.
bool ParseFiniteNumber(const char* text, const char* field, long long line, double& value,
                       std::string& why, double limit = 1e12);

// Walks the comma-separated tokens of a line, skipping empty ones. Tokens point into the line,
// which stays NUL-terminated, so the number conversions above stop at the next comma.
class CCommaTokenizer {
public:
    explicit CCommaTokenizer(const std::string& line) : m_pos(line.c_str()) {}
    // Returns the start of the next non-empty token, or nullptr after the last one.
    const char* Next();
    // The token text returned by the last call of Next.
    std::string_view Token() const { return {m_token, m_length}; }

private:
    const char* m_pos;
    const char* m_token = nullptr;
    std::size_t m_length = 0;
};
