#include "acoustics/MaterialLibrary.h"


#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {
std::string_view Trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// A larger file is not a material list.
constexpr std::uintmax_t kMaxLibraryBytes = 4u << 20;
} // namespace

std::string CMaterialLibrary::Add(std::string_view text, const std::string& origin) {
    std::vector<CLibraryMaterial> read;
    long long lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        ++lineNumber;
        if (const std::size_t hash = line.find('#'); hash != std::string_view::npos)
            line = line.substr(0, hash);
        line = Trim(line);
        if (line.empty())
            continue;
        const std::string where = origin + ", line " + std::to_string(lineNumber) + ": ";
        const std::size_t bar = line.find('|');
        if (bar == std::string_view::npos)
            return where + "expected 'name | seven coefficients | source'";
        const std::size_t bar2 = line.find('|', bar + 1);
        CLibraryMaterial m;
        m.origin = origin;
        m.material.name = std::string(Trim(line.substr(0, bar)));
        if (m.material.name.empty())
            return where + "the material has no name";
        if (m.material.name.size() > kMaxMaterialName)
            return where + "the name is longer than " + std::to_string(kMaxMaterialName) +
                   " bytes";
        std::string_view numbers = line.substr(bar + 1, bar2 == std::string_view::npos
                                                            ? std::string_view::npos
                                                            : bar2 - bar - 1);
        if (bar2 != std::string_view::npos)
            m.source = std::string(Trim(line.substr(bar2 + 1)));
        int count = 0;
        for (;;) {
            numbers = Trim(numbers);
            if (numbers.empty())
                break;
            std::size_t blank = 0;
            while (blank < numbers.size() && !std::isspace(static_cast<unsigned char>(numbers[blank])))
                ++blank;
            const std::string_view token = numbers.substr(0, blank);
            numbers.remove_prefix(blank);
            double value = 0.0;
            const auto [ptr, error] = std::from_chars(token.data(), token.data() + token.size(), value);
            if (error != std::errc() || ptr != token.data() + token.size())
                return where + "'" + std::string(token) + "' is not a number";
            if (count == kOctaveCount)
                return where + "more than seven coefficients";
            if (!(value >= 0.0 && value <= 1.0))
                return where + "the coefficient '" + std::string(token) + "' is not from 0 to 1";
            m.material.alpha[static_cast<std::size_t>(count++)] = value;
        }
        if (count != kOctaveCount)
            return where + "seven coefficients are needed (125 Hz to 8 kHz), " +
                   std::to_string(count) + " are given";
        read.push_back(std::move(m));
    }
    for (CLibraryMaterial& m : read) {
        auto same = std::find_if(m_materials.begin(), m_materials.end(), [&](const auto& known) {
            return SameName(known.material.name, m.material.name);
        });
        if (same != m_materials.end())
            *same = std::move(m);
        else
            m_materials.push_back(std::move(m));
    }
    return {};
}

std::string CMaterialLibrary::AddFile(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return {};
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec)
        return path + ": " + ec.message();
    if (size > kMaxLibraryBytes)
        return path + ": the file is larger than a material list can be";
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return path + ": the file cannot be read";
    std::ostringstream text;
    text << in.rdbuf();
    return Add(text.str(), path);
}

const CLibraryMaterial* CMaterialLibrary::Find(std::string_view name) const {
    for (const CLibraryMaterial& m : m_materials)
        if (SameName(m.material.name, Trim(name)))
            return &m;
    return nullptr;
}

std::vector<std::string> CMaterialLibrary::LibraryPaths(const std::string& programDir) {
    const std::filesystem::path dir(programDir);
    return {(dir / ".." / "share" / "daxara" / "materials.txt").lexically_normal().string(),
            (dir / ".." / ".." / "share" / "daxara" / "materials.txt").lexically_normal().string()};
}

std::string CMaterialLibrary::UserPath() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        return (std::filesystem::path(xdg) / "VEL" / "materials.txt").string();
    const char* home = std::getenv("HOME");
    return (std::filesystem::path(home ? home : ".") / ".config" / "VEL" / "materials.txt").string();
}

namespace {
std::string& ProgramDirectory() {
    static std::string directory;
    return directory;
}
} // namespace

void CMaterialLibrary::SetProgramDirectory(const std::string& programDir) {
    ProgramDirectory() = programDir;
}

CMaterialLibrary CMaterialLibrary::Installed(std::vector<std::string>* problems) {
    if (ProgramDirectory().empty()) {
        CMaterialLibrary library;
        if (const std::string problem = library.AddFile(UserPath()); !problem.empty() && problems)
            problems->push_back(problem);
        return library;
    }
    return Installed(ProgramDirectory(), problems);
}

CMaterialLibrary CMaterialLibrary::Installed(const std::string& programDir,
                                             std::vector<std::string>* problems) {
    CMaterialLibrary library;
    auto note = [&](const std::string& problem) {
        if (!problem.empty() && problems)
            problems->push_back(problem);
    };
    for (const std::string& path : LibraryPaths(programDir)) {
        std::error_code ec;
        if (std::filesystem::exists(path, ec)) {
            note(library.AddFile(path));
            break;
        }
    }
    note(library.AddFile(UserPath()));
    return library;
}
