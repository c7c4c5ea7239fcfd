#include "common/Archive.h"

#include <bit>
#include <cmath>
#include <cstring>

static_assert(std::endian::native == std::endian::little,
              "the archive assumes a little-endian host");

namespace {
std::string InContext(const std::string& what, const std::string& context) {
    return context.empty() ? what : what + " (" + context + ")";
}
} // namespace

// --- Storing ---

void CArchiveOut::Fail(const std::string& what) const {
    throw CArchiveException(InContext(what, m_context));
}

void CArchiveOut::Write(const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    m_bytes.insert(m_bytes.end(), p, p + size);
}

void CArchiveOut::Bytes(const void* data, std::size_t size, const char*) {
    Write(data, size);
}

void CArchiveOut::Word(std::uint16_t value) {
    Write(&value, sizeof value);
}
void CArchiveOut::Dword(std::uint32_t value) {
    Write(&value, sizeof value);
}
void CArchiveOut::Double(double value, const char* what) {
    if (!std::isfinite(value))
        Fail(std::string("cannot store ") + what + " that is not a finite number (" +
             std::to_string(value) + ")");
    Write(&value, sizeof value);
}

void CArchiveOut::WordInt(int value) {
    Word(static_cast<std::uint16_t>(value));
}
void CArchiveOut::WordBool(bool value) {
    Word(value ? 1 : 0);
}
void CArchiveOut::DwordInt(int value) {
    Dword(static_cast<std::uint32_t>(value));
}

void CArchiveOut::CountWord(std::size_t count, std::size_t, const char* what) {
    if (count > 0xFFFF)
        Fail(std::string("cannot store ") + std::to_string(count) + " " + what +
             ": the file format holds at most 65535");
    Word(static_cast<std::uint16_t>(count));
}

void CArchiveOut::String(const std::string& value) {
    const std::size_t n = value.size();
    if (n > 0xFFFFFFFFu)
        Fail("cannot store a string of " + std::to_string(n) + " bytes");
    std::uint8_t b;
    if (n < 0xFF) {
        b = static_cast<std::uint8_t>(n);
        Write(&b, 1);
    } else if (n < 0xFFFE) {
        b = 0xFF;
        Write(&b, 1);
        Word(static_cast<std::uint16_t>(n));
    } else {
        b = 0xFF;
        Write(&b, 1);
        Word(0xFFFF);
        Dword(static_cast<std::uint32_t>(n));
    }
    Write(value.data(), n);
}

// --- Loading ---

void CArchiveIn::Fail(const std::string& what) const {
    throw CArchiveException(InContext(what, m_context) + " at byte offset " +
                            std::to_string(Offset()));
}

CArchiveIn CArchiveIn::Section(std::size_t length, const char* what) {
    if (length > Remaining())
        Fail(std::string(what) + " of " + std::to_string(length) +
             " bytes runs past the end of the file (" + std::to_string(Remaining()) +
             " bytes left)");
    const auto first = m_bytes.begin() + static_cast<std::ptrdiff_t>(m_offset);
    CArchiveIn section(std::vector<std::uint8_t>(first, first + static_cast<std::ptrdiff_t>(length)));
    section.m_base = Offset();
    section.m_context = m_context;
    m_offset += length;
    return section;
}

void CArchiveIn::Read(void* data, std::size_t size, const char* what) {
    if (size > Remaining())
        Fail(std::string("the file ends inside ") + what + ": " + std::to_string(size) +
             " bytes needed, " + std::to_string(Remaining()) + " left");
    std::memcpy(data, m_bytes.data() + m_offset, size);
    m_offset += size;
}

void CArchiveIn::Bytes(void* data, std::size_t size, const char* what) {
    Read(data, size, what);
}

void CArchiveIn::Word(std::uint16_t& value) {
    Read(&value, sizeof value, "a WORD");
}
void CArchiveIn::Dword(std::uint32_t& value) {
    Read(&value, sizeof value, "a DWORD");
}
void CArchiveIn::Double(double& value, const char* what) {
    const std::size_t at = m_offset;
    Read(&value, sizeof value, what);
    if (!std::isfinite(value)) {
        m_offset = at; // the message names where the value starts
        Fail(std::string(what) + " is not a finite number (" + std::to_string(value) + ")");
    }
}

void CArchiveIn::WordInt(int& value) {
    std::uint16_t w = 0;
    Word(w);
    value = w;
}
void CArchiveIn::WordBool(bool& value) {
    std::uint16_t w = 0;
    Word(w);
    value = w != 0;
}
void CArchiveIn::DwordInt(int& value) {
    std::uint32_t d = 0;
    Dword(d);
    value = static_cast<std::int32_t>(d);
}

void CArchiveIn::RequireItems(std::size_t count, std::size_t bytesPerItem, const char* what) const {
    if (bytesPerItem != 0 && count > Remaining() / bytesPerItem)
        Fail(std::string("the file claims ") + std::to_string(count) + " " + what +
             ", more than the " + std::to_string(Remaining()) + " bytes left can hold");
}

void CArchiveIn::CountWord(std::size_t& count, std::size_t bytesPerItem, const char* what) {
    std::uint16_t w = 0;
    Word(w);
    RequireItems(w, bytesPerItem, what);
    count = w;
}

void CArchiveIn::String(std::string& value) {
    std::uint8_t b = 0;
    Read(&b, 1, "a string length");
    std::size_t n = b;
    if (b == 0xFF) {
        std::uint16_t w = 0;
        Read(&w, 2, "a string length");
        n = w;
        if (w == 0xFFFF) {
            std::uint32_t d = 0;
            Read(&d, 4, "a string length");
            n = d;
        }
    }
    if (n > Remaining())
        Fail("a string of " + std::to_string(n) + " bytes runs past the end of the file (" +
             std::to_string(Remaining()) + " bytes left)");
    value.assign(reinterpret_cast<const char*>(m_bytes.data() + m_offset), n);
    m_offset += n;
}
