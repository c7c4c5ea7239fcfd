#include "common/LineReader.h"

bool CLineReader::ReadLine(std::string& line) {
    line.clear();
    if (!m_error.empty())
        return false;
    std::streambuf* buffer = m_in.rdbuf();
    if (buffer == nullptr)
        return false;
    bool any = false;
    for (;;) {
        const int c = buffer->sbumpc();
        if (c == std::char_traits<char>::eof()) {
            if (!any)
                return false;
            break;
        }
        any = true;
        if (c == '\n')
            break;
        if (line.size() >= m_maxLineLength) {
            m_error = "line " + std::to_string(m_lineNumber + 1) + " is longer than " +
                      std::to_string(m_maxLineLength) + " characters";
            line.clear();
            return false;
        }
        line.push_back(static_cast<char>(c));
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    ++m_lineNumber;
    return true;
}
