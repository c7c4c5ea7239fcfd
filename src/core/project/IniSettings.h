#pragma once

#include "project/Ports.h"

#include <string>

// The settings file: an INI file with one integer key per section. Reading a missing file, section
// or key gives the fallback; writing replaces the whole section with the single line key=value
// and leaves every other line as it was. Section and key names match regardless of case.
class CIniSettings : public CSettingsPort {
public:
    explicit CIniSettings(std::string path) : m_path(std::move(path)) {}

    int ReadInt(const std::string& section, const std::string& key, int fallback) override;
    // Throws std::runtime_error when the file cannot be written; the old file then stays as it was.
    void WriteInt(const std::string& section, const std::string& key, int value) override;
    std::string ReadText(const std::string& section, const std::string& key,
                         const std::string& fallback) override;
    // Line breaks in the value become blanks: a value is one line of the file.
    void WriteText(const std::string& section, const std::string& key,
                   const std::string& value) override;

    const std::string& Path() const { return m_path; }

private:
    // Replaces the section with this one line.
    void WriteLine(const std::string& section, const std::string& line);
    std::string m_path;
};

// The settings file's contents with one section replaced by the single line key=value (appended
// at the end when the section is missing).
std::string ReplaceIniSection(const std::string& contents, const std::string& section,
                              const std::string& line);
// The leading integer of the value of key in section, as the classic profile reader gives it
// (optional sign, digits; anything else ends the number), or the fallback when absent.
int ReadIniInt(const std::string& contents, const std::string& section, const std::string& key,
               int fallback);
// The value of key in section as it stands, blanks around it removed, or the fallback.
std::string ReadIniText(const std::string& contents, const std::string& section,
                        const std::string& key, const std::string& fallback);
