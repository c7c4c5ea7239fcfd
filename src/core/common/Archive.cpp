#include "common/Archive.h"

#include <bit>
#include <cmath>
#include <cstring>

static_assert(std::endian::native == std::endian::little,
              "the archive assumes a little-endian host");

void CArchive::Fail(const std::string& what) const {
    std::string message = what;
    if (!m_context.empty())
        message += " (" + m_context + ")";
    if (!m_storing)
        message += " at byte offset " + std::to_string(m_offset);
    throw CArchiveException(message);
}

void CArchive::Read(void* data, std::size_t size, const char* what) {
    if (size > Remaining())
        Fail(std::string("the file ends inside ") + what + ": " + std::to_string(size) +
             " bytes needed, " + std::to_string(Remaining()) + " left");
    std::memcpy(data, m_bytes.data() + m_offset, size);
    m_offset += size;
}

void CArchive::Write(const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    m_bytes.insert(m_bytes.end(), p, p + size);
}

void CArchive::Bytes(void* data, std::size_t size, const char* what) {
    if (m_storing)
        Write(data, size);
    else
        Read(data, size, what);
}

void CArchive::Word(std::uint16_t& value) {
    Bytes(&value, sizeof value, "a WORD");
}
void CArchive::Dword(std::uint32_t& value) {
    Bytes(&value, sizeof value, "a DWORD");
}
void CArchive::Double(double& value, const char* what) {
    if (m_storing && !std::isfinite(value))
        Fail(std::string("cannot store ") + what + " that is not a finite number (" +
             std::to_string(value) + ")");
    const std::size_t at = m_offset;
    Bytes(&value, sizeof value, what);
    if (!m_storing && !std::isfinite(value)) {
        m_offset = at; // the message names where the value starts
        Fail(std::string(what) + " is not a finite number (" + std::to_string(value) + ")");
    }
}

void CArchive::WordInt(int& value) {
    std::uint16_t w = static_cast<std::uint16_t>(value);
    Word(w);
    if (!m_storing)
        value = w;
}

void CArchive::WordBool(bool& value) {
    std::uint16_t w = value ? 1 : 0;
    Word(w);
    if (!m_storing)
        value = w != 0;
}

void CArchive::DwordInt(int& value) {
    std::uint32_t d = static_cast<std::uint32_t>(value);
    Dword(d);
    if (!m_storing)
        value = static_cast<std::int32_t>(d);
}

void CArchive::RequireItems(std::size_t count, std::size_t bytesPerItem, const char* what) const {
    if (bytesPerItem != 0 && count > Remaining() / bytesPerItem)
        Fail(std::string("the file claims ") + std::to_string(count) + " " + what +
             ", more than the " + std::to_string(Remaining()) + " bytes left can hold");
}

void CArchive::CountWord(std::size_t& count, std::size_t bytesPerItem, const char* what) {
    if (m_storing) {
        if (count > 0xFFFF)
            Fail(std::string("cannot store ") + std::to_string(count) + " " + what +
                 ": the file format holds at most 65535");
        std::uint16_t w = static_cast<std::uint16_t>(count);
        Word(w);
    } else {
        std::uint16_t w = 0;
        Word(w);
        RequireItems(w, bytesPerItem, what);
        count = w;
    }
}

void CArchive::String(std::string& value) {
    if (m_storing) {
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
            std::uint16_t w = static_cast<std::uint16_t>(n);
            Write(&w, 2);
        } else {
            b = 0xFF;
            Write(&b, 1);
            std::uint16_t w = 0xFFFF;
            Write(&w, 2);
            std::uint32_t d = static_cast<std::uint32_t>(n);
            Write(&d, 4);
        }
        Write(value.data(), n);
        return;
    }
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
