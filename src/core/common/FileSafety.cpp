#include "common/FileSafety.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {
// The temporary file of the save in progress, for the signal handler. Written only while the
// flag is 0, so the handler never sees a half-copied name.
char g_pendingTemporary[PATH_MAX + 1];
volatile std::sig_atomic_t g_pendingSet = 0;

void SetPending(const std::string& path) {
    g_pendingSet = 0;
    const std::size_t n = std::min(path.size(), static_cast<std::size_t>(PATH_MAX));
    std::memcpy(g_pendingTemporary, path.data(), n);
    g_pendingTemporary[n] = '\0';
    g_pendingSet = 1;
}

void ClearPending() {
    g_pendingSet = 0;
}

// The lock files this process holds, for the same handler: a killed command leaves no lock
// file either (the lock itself ends with the process).
constexpr int kLockSlots = 4;
char g_lockFiles[kLockSlots][PATH_MAX + 1];
volatile std::sig_atomic_t g_lockSet[kLockSlots] = {};

int RegisterLock(const std::string& path) {
    for (int i = 0; i < kLockSlots; ++i)
        if (!g_lockSet[i]) {
            const std::size_t n = std::min(path.size(), static_cast<std::size_t>(PATH_MAX));
            std::memcpy(g_lockFiles[i], path.data(), n);
            g_lockFiles[i][n] = '\0';
            g_lockSet[i] = 1;
            return i;
        }
    return -1;
}

extern "C" void OnFatalSignal(int signal) {
    if (g_pendingSet)
        ::unlink(g_pendingTemporary);
    for (int i = 0; i < kLockSlots; ++i)
        if (g_lockSet[i])
            ::unlink(g_lockFiles[i]);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

std::string Errno() {
    return std::strerror(errno);
}

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Leaves room for the dot, the longest suffix and six random characters within 255 bytes.
constexpr std::size_t kMaxNamePart = 255 - 1 - 12 - 6;

// A name too long for its siblings is cut, and ends in a hash of the whole name: two names that
// share their first bytes ("x.dax" and "x.tdax" of 250 bytes) must not share a lock file.
std::string NamePart(const std::string& name) {
    if (name.size() <= kMaxNamePart)
        return name;
    static const char kHex[] = "0123456789abcdef";
    std::uint64_t h =
        FileSafety::HashBytes(reinterpret_cast<const std::uint8_t*>(name.data()), name.size());
    std::string tail = "~";
    for (int i = 0; i < 16; ++i, h >>= 4)
        tail += kHex[h & 15];
    return name.substr(0, kMaxNamePart - tail.size()) + tail;
}

std::string Prefix(const std::string& target, const std::string& suffix) {
    const std::string dir = DirectoryOf(target);
    return (dir == "/" ? "" : dir) + "/." + NamePart(NameOf(target)) + suffix;
}

CFileStamp StampOf(const struct stat& st, std::uint64_t hash) {
    CFileStamp s;
    s.exists = true;
    s.device = static_cast<std::uint64_t>(st.st_dev);
    s.inode = static_cast<std::uint64_t>(st.st_ino);
    s.size = static_cast<std::uint64_t>(st.st_size);
    s.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.hash = hash;
    return s;
}

std::string NotRegular(const std::string& path, const struct stat& st) {
    return path +
           (S_ISDIR(st.st_mode) ? " is a directory, not a project file" : " is not a regular file");
}

// What a file that is not a regular one is, in words.
const char* KindOf(const struct stat& st) {
    if (S_ISDIR(st.st_mode))
        return "a directory";
    if (S_ISFIFO(st.st_mode))
        return "a named pipe";
    if (S_ISSOCK(st.st_mode))
        return "a socket";
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return "a device";
    return "not a regular file";
}

bool ReadOnly(const std::string& path, const struct stat& st) {
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
           ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0;
}

// Temporary files of saves that were killed: ours by name, and no longer locked by a writer.
void RemoveStaleTemporaries(const std::string& target) {
    const std::string prefix = Prefix(target, FileSafety::kTemporarySuffix);
    const std::string dir = DirectoryOf(prefix);
    const std::string namePrefix = NameOf(prefix);
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return;
    while (const dirent* entry = ::readdir(d)) {
        const std::string name = entry->d_name;
        if (name.size() != namePrefix.size() + 6 || name.compare(0, namePrefix.size(), namePrefix))
            continue;
        const std::string path = (dir == "/" ? "" : dir) + "/" + name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0)
            continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.c_str());
        ::close(fd);
    }
    ::closedir(d);
}

} // namespace

namespace FileSafety {

std::uint64_t HashBytes(const std::uint8_t* data, std::size_t size) {
    std::uint64_t h = 14695981039346656037ull;
    for (std::size_t i = 0; i < size; ++i) {
        h ^= data[i];
        h *= 1099511628211ull;
    }
    return h;
}

std::string WriteTarget(const std::string& path) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        std::string link(PATH_MAX, '\0');
        const ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
        if (n <= 0)
            return current;
        link.resize(static_cast<std::size_t>(n));
        current = link[0] == '/' ? link : DirectoryOf(current) + "/" + link;
    }
    return current;
}

std::string SiblingName(const std::string& target, const std::string& suffix) {
    return Prefix(target, suffix);
}

std::optional<CFileStamp> Stamp(const std::string& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT)
            return CFileStamp{};
        error = "cannot open " + path + ": " + Errno();
        return std::nullopt;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = ::fstat(fd, &st) == 0 ? NotRegular(path, st) : "cannot examine " + path;
        ::close(fd);
        return std::nullopt;
    }
    std::uint64_t h = 14695981039346656037ull;
    std::uint8_t buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = "cannot read " + path + ": " + Errno();
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        for (ssize_t i = 0; i < n; ++i) {
            h ^= buffer[i];
            h *= 1099511628211ull;
        }
    }
    ::close(fd);
    return StampOf(st, h);
}

bool ReadRegularFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error,
                     std::size_t maxBytes, CFileStamp* stamp, const CHeadCheck& head) {
    // Not blocking on open: a named pipe must be refused, not waited for.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = "cannot open " + path + ": " + Errno();
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = "cannot examine " + path + ": " + Errno();
        ::close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = NotRegular(path, st);
        ::close(fd);
        return false;
    }
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
        error = path + " is " + std::to_string(st.st_size) + " bytes, more than the " +
                std::to_string(maxBytes) + " bytes a project file may hold";
        ::close(fd);
        return false;
    }
    if (head) {
        std::vector<std::uint8_t> first(std::min(static_cast<std::size_t>(st.st_size), kHeadBytes));
        std::size_t got = 0;
        while (got < first.size()) {
            const ssize_t n =
                ::pread(fd, first.data() + got, first.size() - got, static_cast<off_t>(got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        first.resize(got);
        if (!head(first, static_cast<std::uint64_t>(st.st_size), error)) {
            ::close(fd);
            return false;
        }
    }
    bytes.assign(static_cast<std::size_t>(st.st_size), 0);
    std::size_t got = 0;
    // The end shows as a read of nothing; a file that grew since fstat spills past its size and
    // is read on within the limit. Only then does the buffer grow.
    std::uint8_t spill[65536];
    for (;;) {
        const bool full = got == bytes.size();
        std::uint8_t* into = full ? spill : bytes.data() + got;
        const std::size_t room = full ? sizeof spill : bytes.size() - got;
        const ssize_t n = ::read(fd, into, room);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = "cannot read " + path + ": " + Errno();
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        if (full) {
            if (bytes.size() + static_cast<std::size_t>(n) > maxBytes) {
                error = path + " is larger than the " + std::to_string(maxBytes) +
                        " bytes a project file may hold";
                ::close(fd);
                return false;
            }
            bytes.insert(bytes.end(), spill, spill + n);
            got = bytes.size();
        } else {
            got += static_cast<std::size_t>(n);
        }
    }
    ::close(fd);
    bytes.resize(got);
    if (stamp) {
        st.st_size = static_cast<off_t>(got);
        *stamp = StampOf(st, HashBytes(bytes.data(), bytes.size()));
    }
    return true;
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    std::error_code ignored;
    const std::filesystem::path pa = std::filesystem::weakly_canonical(
        std::filesystem::absolute(WriteTarget(a), ignored), ignored);
    const std::filesystem::path pb = std::filesystem::weakly_canonical(
        std::filesystem::absolute(WriteTarget(b), ignored), ignored);
    return !pa.empty() && pa == pb;
}

bool IsReadOnly(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && ReadOnly(path, st);
}

namespace {
COutputCheck Refused(EOutputProblem problem, std::string reason) {
    return {problem, std::move(reason), {}};
}
} // namespace

COutputCheck CheckOutput(const std::string& path, const std::vector<std::string>& keep,
                         bool replace) {
    if (path.empty())
        return Refused(EOutputProblem::NoName, "the file name is empty");
    const std::string target = WriteTarget(path);
    if (NameOf(target).empty() || NameOf(target) == "." || NameOf(target) == "..")
        return Refused(EOutputProblem::NoName, "\"" + path + "\" names no file");
    struct stat folder {};
    const std::string directory = DirectoryOf(target);
    if (::stat(directory.c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode))
        return Refused(EOutputProblem::NoFolder, "the folder " + directory + " does not exist");
    for (const std::string& kept : keep)
        if (!kept.empty() && SameFile(path, kept))
            return {EOutputProblem::Kept, path + " is " + kept + " itself", kept};
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0)
        return {};
    if (!S_ISREG(st.st_mode))
        return Refused(EOutputProblem::NotRegular,
                       path + " is " + KindOf(st) + ", not a regular file");
    if (ReadOnly(target, st))
        return Refused(EOutputProblem::ReadOnly, path + " is read-only");
    if (!replace)
        return Refused(EOutputProblem::Exists, path + " exists");
    return {};
}

bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         std::string& error) {
    CAtomicFile file;
    return file.Open(path, error) && file.Write(bytes.data(), bytes.size(), error) &&
           file.Commit(error);
}

void InstallSignalCleanup() {
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
        std::signal(s, OnFatalSignal);
    std::signal(SIGXFSZ, SIG_IGN);
}
} // namespace FileSafety

bool CProjectLock::Acquire(const std::string& project, std::chrono::milliseconds wait,
                           std::string& error) {
    Release();
    const std::string path =
        FileSafety::SiblingName(FileSafety::WriteTarget(project), ".daxara-lock");
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0) {
            error = "cannot lock " + project + " (" + path + "): " + Errno();
            return false;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            // A holder that just released removed the file; the lock is on the path's file only.
            struct stat held {
            }, now{};
            if (::fstat(fd, &held) == 0 && ::stat(path.c_str(), &now) == 0 &&
                held.st_ino == now.st_ino && held.st_dev == now.st_dev) {
                m_fd = fd;
                m_path = path;
                m_slot = RegisterLock(path);
                return true;
            }
            ::close(fd);
            continue;
        }
        const int why = errno;
        ::close(fd);
        if (why != EWOULDBLOCK && why != EINTR) {
            error = "cannot lock " + project + ": " + std::strerror(why);
            return false;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            error = project + " is being changed by another command (it holds " + path +
                    "); try again when that command has finished";
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void CProjectLock::Release() {
    if (m_fd < 0)
        return;
    if (m_slot >= 0)
        g_lockSet[m_slot] = 0;
    m_slot = -1;
    ::unlink(m_path.c_str());
    ::close(m_fd);
    m_fd = -1;
    m_path.clear();
}

CAtomicFile::~CAtomicFile() {
    Discard();
}

bool CAtomicFile::Open(const std::string& path, std::string& error) {
    Discard();
    m_target = FileSafety::WriteTarget(path);
    struct stat previous {};
    m_replacing = ::stat(m_target.c_str(), &previous) == 0;
    if (m_replacing && !S_ISREG(previous.st_mode)) {
        error = NotRegular(m_target, previous);
        return false;
    }
    m_uid = previous.st_uid;
    m_gid = previous.st_gid;
    m_mode = previous.st_mode & 07777;
    RemoveStaleTemporaries(m_target);

    const std::string prefix = Prefix(m_target, FileSafety::kTemporarySuffix);
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::mt19937 random(std::random_device{}());
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_temporary = prefix;
        for (int i = 0; i < 6; ++i)
            m_temporary += kLetters[random() % (sizeof kLetters - 1)];
        // 0666 less the umask, as any new file, unless it replaces one (then its bits at Commit).
        m_fd = ::open(m_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0 && errno != EEXIST)
            break;
    }
    if (m_fd < 0) {
        error = "cannot create a file beside " + m_target + ": " + Errno();
        m_temporary.clear();
        return false;
    }
    SetPending(m_temporary);
    // Marks the file as in use, so a concurrent save never takes it for a stale one.
    ::flock(m_fd, LOCK_EX | LOCK_NB);
    return true;
}

bool CAtomicFile::Write(const std::uint8_t* data, std::size_t size, std::string& error) {
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = ::write(m_fd, data + written, size - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            error = "writing failed: " + Errno();
            Discard();
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

bool CAtomicFile::Commit(std::string& error) {
    if (m_fd < 0) {
        error = "nothing to save";
        return false;
    }
    bool ok = true;
    if (m_replacing) {
        // Owner and group first: changing them clears set-id bits, which fchmod then restores.
        // Only a privileged process may give a file away; others keep what they may.
        if (::fchown(m_fd, m_uid, m_gid) != 0)
            (void)!::fchown(m_fd, static_cast<uid_t>(-1), m_gid);
        if (::fchmod(m_fd, m_mode) != 0) {
            ok = false;
            error = "cannot set the permissions of the new file: " + Errno();
        }
    }
    if (ok && ::fsync(m_fd) != 0) {
        ok = false;
        error = "writing failed: " + Errno();
    }
    if (::close(m_fd) != 0 && ok) {
        ok = false;
        error = "writing failed: " + Errno();
    }
    m_fd = -1;
    if (ok && ::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        ok = false;
        error = "cannot replace " + m_target + ": " + Errno();
    }
    if (!ok) {
        Discard();
        return false;
    }
    m_temporary.clear();
    ClearPending();
    // The rename is durable only once the directory is.
    const int dir = ::open(DirectoryOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

void CAtomicFile::Discard() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temporary.empty())
        ::unlink(m_temporary.c_str());
    m_temporary.clear();
    ClearPending();
}
