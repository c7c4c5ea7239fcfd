#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// What identifies a file's contents on disk. A save compares the stamp taken when the project was
// read with the file's stamp now, so a file changed or replaced by someone else is not
// overwritten unnoticed. Identity, size and time alone miss an edit within one clock tick that
// keeps the size; the content hash catches it.
struct CFileStamp {
    bool exists = false;
    std::uint64_t device = 0, inode = 0, size = 0;
    std::int64_t modifiedNs = 0;
    std::uint64_t hash = 0;
    friend bool operator==(const CFileStamp&, const CFileStamp&) = default;
};

namespace FileSafety {
// The largest file the readers take; the writer refuses to produce anything larger, so every
// file it writes can be opened again.
inline constexpr std::size_t kMaxFileBytes = std::size_t(1) << 31;

// FNV-1a of the bytes.
std::uint64_t HashBytes(const std::uint8_t* data, std::size_t size);

// The file a write to `path` changes: symbolic links followed to their final target (which
// need not exist yet). Paths that are not links come back unchanged.
std::string WriteTarget(const std::string& path);

// The stamp of the file at path now (exists false when there is none); nullopt with `error`
// when it exists but cannot be read.
std::optional<CFileStamp> Stamp(const std::string& path, std::string& error);

// Asked about a file's first bytes (up to kHeadBytes) and its whole size before the rest is read
// or any memory is taken for it; false, with the reason in `error`, ends the read there.
using CHeadCheck = std::function<bool(const std::vector<std::uint8_t>& head, std::uint64_t size,
                                      std::string& error)>;
inline constexpr std::size_t kHeadBytes = 4096;

// Reads a whole regular file into one buffer of the file's size. Anything else (a directory, a
// device, a pipe) is refused before a byte is read, as is a file larger than maxBytes, and a file
// whose first bytes `head` refuses. `stamp` receives the identity of what was read.
bool ReadRegularFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error,
                     std::size_t maxBytes = kMaxFileBytes, CFileStamp* stamp = nullptr,
                     const CHeadCheck& head = {});

// Whether a and b name the same file: device and inode, links followed, when both exist;
// otherwise the same absolute path once links and dots are resolved.
bool SameFile(const std::string& a, const std::string& b);

// Whether the file at path (links followed) exists and must not be written: no write permission
// for this process, or no write bit at all (which the superuser would otherwise pass over). The
// atomic replacement itself needs only the folder's permission, so writers of projects and
// outputs ask this first.
bool IsReadOnly(const std::string& path);

// Why a file a command writes beside its project (a picture, a table, exported data) may not be
// written at `path`, so that nothing is lost: the name is empty, its folder does not exist, it is
// one of `keep` (the project and the files read), it is a directory, pipe, device or socket, it
// is read-only, or it exists and `replace` is false. None when it may be written.
enum class EOutputProblem { None, NoName, NoFolder, Kept, NotRegular, ReadOnly, Exists };
struct COutputCheck {
    EOutputProblem problem = EOutputProblem::None;
    std::string reason; // the problem in words, naming the path
    std::string kept;   // which of `keep` it is
};
COutputCheck CheckOutput(const std::string& path, const std::vector<std::string>& keep,
                         bool replace);

// Writes bytes to path atomically: a temporary file beside the target, flushed, given the old
// file's permission bits, owner and group (as far as the process may), renamed over the target,
// then the directory flushed. Symbolic links are followed, so the link stays and its target
// changes. A target that is not a regular file is refused. On failure the previous file is
// untouched, no temporary file remains and `error` says why. Temporary files left by an earlier
// save that was killed are removed first.
bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         std::string& error);

// The name pattern of temporary and lock files beside `target`: a leading dot, the target's
// name (shortened so the whole name fits in 255 bytes) and the given suffix.
std::string SiblingName(const std::string& target, const std::string& suffix);
inline constexpr const char* kTemporarySuffix = ".daxara-tmp-";

// Removes the temporary file of a save in progress and re-raises the signal; installed for
// SIGINT, SIGTERM, SIGHUP and SIGQUIT by programs that save (the handler is async-signal-safe).
// SIGXFSZ is ignored, so exceeding a file-size limit fails the write instead of killing the
// program with its temporary file in place.
void InstallSignalCleanup();
} // namespace FileSafety

// One atomic replacement of a file, in steps: Open makes the temporary file beside the target
// (following links; stale temporaries of ours are removed first), Write appends, Commit gives it
// the old file's permission bits, owner and group, flushes it, renames it over the target and
// flushes the directory. Any failure, Discard, the destructor and the signals of
// FileSafety::InstallSignalCleanup remove the temporary file.
class CAtomicFile {
public:
    CAtomicFile() = default;
    CAtomicFile(const CAtomicFile&) = delete;
    CAtomicFile& operator=(const CAtomicFile&) = delete;
    ~CAtomicFile();

    bool Open(const std::string& path, std::string& error);
    bool Write(const std::uint8_t* data, std::size_t size, std::string& error);
    bool Commit(std::string& error);
    void Discard();
    // The temporary file while one is open.
    const std::string& TemporaryPath() const { return m_temporary; }

private:
    int m_fd = -1;
    std::string m_target, m_temporary;
    bool m_replacing = false;
    unsigned m_uid = 0, m_gid = 0, m_mode = 0;
};

// An advisory lock (flock) on a lock file beside a project, held from reading the project to
// writing it, so two programs cannot interleave their changes. The lock file is removed when the
// lock is released.
class CProjectLock {
public:
    CProjectLock() = default;
    CProjectLock(const CProjectLock&) = delete;
    CProjectLock& operator=(const CProjectLock&) = delete;
    ~CProjectLock() { Release(); }

    // Waits up to `wait` for the lock; false with `error` when another holder keeps it.
    bool Acquire(const std::string& project, std::chrono::milliseconds wait, std::string& error);
    void Release();
    bool Held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
    int m_slot = -1;
    std::string m_path;
};
