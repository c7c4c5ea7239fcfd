#include "project/IniSettings.h"

#include "project/ProjectFile.h"

#include <cctype>
#include <cstdio>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The section name of a "[name]" line, or nothing for any other line.
bool SectionHeader(std::string_view line, std::string_view& name) {
    line = Trim(line);
    if (line.size() < 2 || line.front() != '[')
        return false;
    const auto close = line.find(']');
    if (close == std::string_view::npos)
        return false;
    name = Trim(line.substr(1, close - 1));
    return true;
}

std::vector<std::string_view> Lines(const std::string& contents) {
    std::vector<std::string_view> lines;
    std::string_view rest(contents);
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos)
            break;
        rest.remove_prefix(end + 1);
    }
    return lines;
}

} // namespace

std::string ReadIniText(const std::string& contents, const std::string& section,
                        const std::string& key, const std::string& fallback) {
    bool inSection = false;
    for (std::string_view line : Lines(contents)) {
        std::string_view name;
        if (SectionHeader(line, name)) {
            inSection = SameName(name, section);
            continue;
        }
        const auto equals = line.find('=');
        if (inSection && equals != std::string_view::npos &&
            SameName(Trim(line.substr(0, equals)), key))
            return std::string(Trim(line.substr(equals + 1)));
    }
    return fallback;
}

int ReadIniInt(const std::string& contents, const std::string& section, const std::string& key,
               int fallback) {
    bool inSection = false;
    for (std::string_view line : Lines(contents)) {
        std::string_view name;
        if (SectionHeader(line, name)) {
            inSection = SameName(name, section);
            continue;
        }
        if (!inSection)
            continue;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos || !SameName(Trim(line.substr(0, equals)), key))
            continue;
        std::string_view value = Trim(line.substr(equals + 1));
        bool negative = false;
        if (!value.empty() && (value.front() == '-' || value.front() == '+')) {
            negative = value.front() == '-';
            value.remove_prefix(1);
        }
        // Wider than int so an over-long number wraps the way the classic reader's does not
        // matter: it is clamped instead of overflowing.
        long long number = 0;
        for (char c : value) {
            if (!std::isdigit(static_cast<unsigned char>(c)))
                break;
            number = number * 10 + (c - '0');
            if (number > 2147483647LL)
                number = 2147483648LL;
        }
        if (negative)
            number = -number;
        if (number > 2147483647LL)
            number = 2147483647LL;
        return static_cast<int>(number);
    }
    return fallback;
}

std::string ReplaceIniSection(const std::string& contents, const std::string& section,
                              const std::string& line) {
    std::string out;
    bool inSection = false;
    bool replaced = false;
    for (std::string_view current : Lines(contents)) {
        std::string_view name;
        if (SectionHeader(current, name)) {
            inSection = SameName(name, section);
            out.append(current).append("\n");
            if (inSection && !replaced) {
                out.append(line).append("\n");
                replaced = true;
            }
            continue;
        }
        if (!inSection)
            out.append(current).append("\n");
    }
    if (!replaced) {
        if (!out.empty() && out.back() != '\n')
            out.append("\n");
        out.append("[").append(section).append("]\n").append(line).append("\n");
    }
    return out;
}

int CIniSettings::ReadInt(const std::string& section, const std::string& key, int fallback) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    // A settings file is a few lines; anything large is not ours and reads as absent.
    if (!ProjectFile::ReadWholeFile(m_path, bytes, error, std::size_t(1) << 20))
        return fallback;
    return ReadIniInt(std::string(bytes.begin(), bytes.end()), section, key, fallback);
}

void CIniSettings::WriteInt(const std::string& section, const std::string& key, int value) {
    char line[256];
    std::snprintf(line, sizeof line, "%s=%d", key.c_str(), value);
    WriteLine(section, line);
}

std::string CIniSettings::ReadText(const std::string& section, const std::string& key,
                                   const std::string& fallback) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!ProjectFile::ReadWholeFile(m_path, bytes, error, std::size_t(1) << 20))
        return fallback;
    return ReadIniText(std::string(bytes.begin(), bytes.end()), section, key, fallback);
}

void CIniSettings::WriteText(const std::string& section, const std::string& key,
                             const std::string& value) {
    std::string line = key + "=" + value;
    for (char& c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    WriteLine(section, line);
}

void CIniSettings::WriteLine(const std::string& section, const std::string& line) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    std::string contents;
    if (ProjectFile::ReadWholeFile(m_path, bytes, error, std::size_t(1) << 20))
        contents.assign(bytes.begin(), bytes.end());
    const std::string updated = ReplaceIniSection(contents, section, line);
    if (!ProjectFile::WriteFileAtomically(m_path, {updated.begin(), updated.end()}, error))
        throw std::runtime_error(error);
}
