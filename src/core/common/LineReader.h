#pragma once

#include <cstddef>
#include <istream>
#include <string>

// Reads speaker data text one line at a time. Lines may end in LF or CR LF; the end is not part
// of the line. A line longer than the limit is treated as damage: reading stops there and
// Failed() tells why, so a file without line breaks cannot exhaust memory.
class CLineReader {
public:
    static constexpr std::size_t kMaxLineLength = std::size_t(1) << 26;

    explicit CLineReader(std::istream& in, std::size_t maxLineLength = kMaxLineLength)
        : m_in(in), m_maxLineLength(maxLineLength) {}

    // False at the end of the input or after damage.
    bool ReadLine(std::string& line);
    // Number of lines read so far (the last line returned has this number, counting from 1).
    long long LineNumber() const { return m_lineNumber; }
    bool Failed() const { return !m_error.empty(); }
    const std::string& Error() const { return m_error; }

private:
    std::istream& m_in;
    std::size_t m_maxLineLength;
    long long m_lineNumber = 0;
    std::string m_error;
};
