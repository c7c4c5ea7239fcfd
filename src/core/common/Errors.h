#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

// Bad data: what a file, an option or an entry gave that the program cannot use. It ends the
// running command with a message naming what was wrong; the program and the project go on.
// Every reader's error derives from it.
class CBadData : public std::runtime_error {
public:
    explicit CBadData(const std::string& what) : std::runtime_error(what) {}
};

// The "invalid-argument error": an index outside an array or data a model cannot hold. It ends
// the running command; whoever started the command reports it and the document stays consistent.
class CInvalidArgument : public CBadData {
public:
    explicit CInvalidArgument(const std::string& what) : CBadData(what) {}
};

// A programming error: the program broke one of its own rules (a flow run without a port it
// needs, a state that cannot happen). Never the user's data, so it is not taken for a refusal:
// the desktop program reports it as a fault.
class CProgrammingError : public std::logic_error {
public:
    explicit CProgrammingError(const std::string& what) : std::logic_error(what) {}
};

// Throws CInvalidArgument unless 0 <= index < count.
inline void CheckIndex(long long index, std::size_t count, const char* what) {
    if (index < 0 || static_cast<unsigned long long>(index) >= count)
        throw CInvalidArgument(std::string(what) + " index " + std::to_string(index) +
                               " is outside 0.." +
                               std::to_string(static_cast<long long>(count) - 1));
}
