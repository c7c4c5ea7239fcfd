#pragma once

#include "project/Ports.h"

#include <cstdint>
#include <string>
#include <vector>

class CDAXDoc;

inline constexpr char kProjectTag[] = "VELDAXDoc"; // 9 bytes, no terminator in the file

// The project file: the current container (tag, version word, body, and the records of data
// added since version 2.0.0 when the project holds any: ProjectRecords.h) is written; the
// current and the legacy container (a version text, then the body) are read in every known
// version.
namespace ProjectFile {
// The complete file contents of a document, in the current version. Only reads the document.
std::vector<std::uint8_t> Write(const CDAXDoc& doc);

enum class EReadResult { Loaded, UnknownVersion, NewerVersion, Failed };
// Reads file contents into a freshly constructed document. Failed: `error` says what and at
// which byte offset, and the document must be discarded. UnknownVersion: the document keeps its
// construction defaults, as a file of an unknown version has always opened. NewerVersion: the
// file was written by a later version and must not be opened (a save would lose what it holds).
EReadResult Read(const std::vector<std::uint8_t>& bytes, bool legacy, CDAXDoc& doc,
                 std::string& error);
// The same, reading from the given buffer instead of a copy of it.
EReadResult Read(std::vector<std::uint8_t>&& bytes, bool legacy, CDAXDoc& doc, std::string& error);
// What the first bytes of a file of `size` bytes decide before the rest is read: Failed (with
// the reason) when they cannot start a project, UnknownVersion or NewerVersion when they name a
// version this program does not read, Loaded when the rest must be read to know. A head that is the whole
// file is left to Read.
EReadResult ReadHead(const std::vector<std::uint8_t>& head, std::uint64_t size, bool legacy,
                     std::string& error);

// True when the bytes start with the tag; checked before a second project is opened.
bool HasTag(const std::vector<std::uint8_t>& bytes);

// Writes bytes to path atomically: a temporary file beside it, flushed, then renamed over it.
// On failure the previous file is untouched and `error` says why.
bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         std::string& error);
// Reads a whole regular file; refuses anything else, files larger than maxBytes, and files whose
// first bytes `head` refuses, first.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error,
                   std::size_t maxBytes = FileSafety::kMaxFileBytes, CFileStamp* stamp = nullptr,
                   const FileSafety::CHeadCheck& head = {});

// Opens a project file into doc (freshly constructed): sets the path, the legacy flag and
// loadedFromFile, and remembers the file's stamp for the next save. A file whose first bytes
// are no project of a known version is refused, or opened empty, without reading the rest; a
// project takes memory for its bytes once. `notice` receives "Not
// available file." for an unknown version.
bool Open(const std::string& path, CDAXDoc& doc, std::string& error, std::string* notice = nullptr);
} // namespace ProjectFile

// The storage port of the desktop program and the command-line tool.
class CProjectFileStorage : public CProjectStorage {
public:
    bool Save(const CDAXDoc& document, const std::string& path, std::string& error) override;
    std::optional<CFileStamp> Stamp(const std::string& path) override;
};
