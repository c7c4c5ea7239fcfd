#pragma once

#include "common/Vec3.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// A malformed or truncated archive, or a value the layout cannot hold. The message names what
// was being read or written and, when loading, the byte offset.
class CArchiveException : public std::runtime_error {
public:
    explicit CArchiveException(const std::string& what) : std::runtime_error(what) {}
};

// The little-endian project archive. One object either stores into a byte buffer or loads from
// one; the same Serialize code runs in both directions. Every read is bounds-checked.
class CArchive {
public:
    static CArchive ForStoring() { return CArchive(); }
    static CArchive ForLoading(std::vector<std::uint8_t> bytes) {
        return CArchive(std::move(bytes));
    }

    bool IsStoring() const { return m_storing; }
    bool IsLoading() const { return !m_storing; }

    void Word(std::uint16_t& value);
    void Dword(std::uint32_t& value);
    // Only finite numbers travel: a NaN or an infinity is refused in both directions, naming
    // `what`, since no field of the project can use one.
    void Double(double& value, const char* what = "a number");
    // The counted string: one length byte below 255, else 0xFF and a WORD below 0xFFFE, else
    // 0xFF, 0xFFFF and a DWORD. Writers use the shortest form.
    void String(std::string& value);
    void Bytes(void* data, std::size_t size, const char* what);

    // Integers, enums and flags travel as WORDs: truncated on storing, zero-extended on loading.
    void WordInt(int& value);
    void WordBool(bool& value);
    void DwordInt(int& value);

    // Storing: refuses counts a WORD cannot hold instead of writing a file that reads back wrong.
    // Loading: refuses counts whose items cannot fit in the bytes left.
    void CountWord(std::size_t& count, std::size_t bytesPerItem, const char* what);
    void RequireItems(std::size_t count, std::size_t bytesPerItem, const char* what) const;

    // Loading position and size, for messages and the end-of-data check.
    std::size_t Offset() const { return m_offset; }
    std::size_t Remaining() const { return m_bytes.size() - m_offset; }
    const std::vector<std::uint8_t>& Buffer() const { return m_bytes; }
    std::vector<std::uint8_t> TakeBuffer() { return std::move(m_bytes); }

    // Context for error messages ("model 2", ...); kept short.
    void SetContext(std::string context) { m_context = std::move(context); }
    [[noreturn]] void Fail(const std::string& what) const;

private:
    CArchive() : m_storing(true) {}
    explicit CArchive(std::vector<std::uint8_t> bytes)
        : m_storing(false), m_bytes(std::move(bytes)) {}
    void Read(void* data, std::size_t size, const char* what);
    void Write(const void* data, std::size_t size);

    bool m_storing;
    std::vector<std::uint8_t> m_bytes;
    std::size_t m_offset = 0;
    std::string m_context;
};

// Three doubles in their stored order: x, y, z; azimuth, rotation, elevation.
inline void SerializeVec3(CArchive& ar, CVec3& v, const char* what = "a position") {
    ar.Double(v.x, what);
    ar.Double(v.y, what);
    ar.Double(v.z, what);
}
inline void SerializeOrientation(CArchive& ar, COrientation& o) {
    ar.Double(o.azimuth, "an azimuth");
    ar.Double(o.rotation, "a rotation");
    ar.Double(o.elevation, "an elevation");
}
