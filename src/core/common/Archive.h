#pragma once

#include "common/Errors.h"
#include "common/Vec3.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

// A malformed or truncated archive, or a value the layout cannot hold. The message names what
// was being read or written and, when loading, the byte offset.
class CArchiveException : public CBadData {
public:
    explicit CArchiveException(const std::string& what) : CBadData(what) {}
};

// The little-endian project archive, one class per direction. Both offer the same calls, so a
// record whose fields travel alike both ways is written once, as a template over the archive:
// storing takes the values (a const object can be saved), loading takes references to fill.
// Every read is bounds-checked.
class CArchiveOut {
public:
    static constexpr bool kStoring = true;

    void Word(std::uint16_t value);
    void Dword(std::uint32_t value);
    // Only finite numbers travel: a NaN or an infinity is refused, naming `what`, since no
    // field of the project can use one.
    void Double(double value, const char* what = "a number");
    // The counted string: one length byte below 255, else 0xFF and a WORD below 0xFFFE, else
    // 0xFF, 0xFFFF and a DWORD. Writers use the shortest form.
    void String(const std::string& value);
    void Bytes(const void* data, std::size_t size, const char* what);

    // Integers, enums and flags travel as WORDs, truncated.
    void WordInt(int value);
    void WordBool(bool value);
    void DwordInt(int value);

    // Refuses counts a WORD cannot hold instead of writing a file that reads back wrong.
    void CountWord(std::size_t count, std::size_t bytesPerItem, const char* what);

    const std::vector<std::uint8_t>& Buffer() const { return m_bytes; }
    std::vector<std::uint8_t> TakeBuffer() { return std::move(m_bytes); }

    // Context for error messages ("model 2", ...); kept short.
    void SetContext(std::string context) { m_context = std::move(context); }
    [[noreturn]] void Fail(const std::string& what) const;

private:
    void Write(const void* data, std::size_t size);

    std::vector<std::uint8_t> m_bytes;
    std::string m_context;
};

class CArchiveIn {
public:
    static constexpr bool kStoring = false;

    explicit CArchiveIn(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)) {}

    void Word(std::uint16_t& value);
    void Dword(std::uint32_t& value);
    void Double(double& value, const char* what = "a number");
    void String(std::string& value);
    void Bytes(void* data, std::size_t size, const char* what);

    // WORDs zero-extended into integers and flags.
    void WordInt(int& value);
    void WordBool(bool& value);
    void DwordInt(int& value);

    // Refuses counts whose items cannot fit in the bytes left.
    void CountWord(std::size_t& count, std::size_t bytesPerItem, const char* what);
    void RequireItems(std::size_t count, std::size_t bytesPerItem, const char* what) const;

    // Position in the whole file and bytes left, for messages and the end-of-data check.
    std::size_t Offset() const { return m_base + m_offset; }
    std::size_t Remaining() const { return m_bytes.size() - m_offset; }
    // The next `length` bytes as an archive of their own (a record's payload), whose messages
    // still name offsets in the whole file; this archive moves past them.
    CArchiveIn Section(std::size_t length, const char* what);

    void SetContext(std::string context) { m_context = std::move(context); }
    [[noreturn]] void Fail(const std::string& what) const;

private:
    void Read(void* data, std::size_t size, const char* what);

    std::vector<std::uint8_t> m_bytes;
    std::size_t m_offset = 0;
    std::size_t m_base = 0; // where m_bytes starts in the whole file
    std::string m_context;
};

// What a record template works on: read-only when storing, filled when loading.
template <class Archive, class T>
using ArchiveSubject = std::conditional_t<Archive::kStoring, const T, T>;

// Three doubles in their stored order: x, y, z; azimuth, rotation, elevation.
template <class Archive>
void SerializeVec3(Archive& ar, ArchiveSubject<Archive, CVec3>& v,
                   const char* what = "a position") {
    ar.Double(v.x, what);
    ar.Double(v.y, what);
    ar.Double(v.z, what);
}
template <class Archive>
void SerializeOrientation(Archive& ar, ArchiveSubject<Archive, COrientation>& o) {
    ar.Double(o.azimuth, "an azimuth");
    ar.Double(o.rotation, "a rotation");
    ar.Double(o.elevation, "an elevation");
}
