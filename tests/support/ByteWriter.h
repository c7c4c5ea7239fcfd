#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// Little-endian bytes written field by field, for file fixtures built from the layout in tests.
class CByteWriter {
public:
    std::vector<std::uint8_t> bytes;

    CByteWriter& Raw(const void* p, std::size_t n) {
        const auto* b = static_cast<const std::uint8_t*>(p);
        bytes.insert(bytes.end(), b, b + n);
        return *this;
    }
    CByteWriter& Word(std::uint16_t v) { return Raw(&v, 2); }
    CByteWriter& Dword(std::uint32_t v) { return Raw(&v, 4); }
    CByteWriter& Double(double v) { return Raw(&v, 8); }
    CByteWriter& Doubles(std::initializer_list<double> values) {
        for (double v : values)
            Double(v);
        return *this;
    }
    // The counted string in its shortest form.
    CByteWriter& String(const std::string& s) {
        if (s.size() < 0xFF) {
            const std::uint8_t n = static_cast<std::uint8_t>(s.size());
            Raw(&n, 1);
        } else {
            const std::uint8_t marker = 0xFF;
            Raw(&marker, 1);
            Word(static_cast<std::uint16_t>(s.size()));
        }
        return Raw(s.data(), s.size());
    }
};
