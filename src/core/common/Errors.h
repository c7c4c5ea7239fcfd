#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

// The "invalid-argument error": an index outside an array or data a model cannot hold. It ends
// the running command; whoever started the command reports it and the document stays consistent.
class CInvalidArgument : public std::invalid_argument {
public:
    explicit CInvalidArgument(const std::string& what) : std::invalid_argument(what) {}
};

// Throws CInvalidArgument unless 0 <= index < count.
inline void CheckIndex(long long index, std::size_t count, const char* what) {
    if (index < 0 || static_cast<unsigned long long>(index) >= count)
        throw CInvalidArgument(std::string(what) + " index " + std::to_string(index) +
                               " is outside 0.." +
                               std::to_string(static_cast<long long>(count) - 1));
}
