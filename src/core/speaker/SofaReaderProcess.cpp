// The calling program's side of reading open directivity files in a separate process.
#include "speaker/SofaReaderProcess.h"

#include "common/Archive.h"
#include "common/FileSafety.h"
#include "common/FileVersion.h"
#include "speaker/SofaFile.h"
#include "speaker/SofaReplyFormat.h"
#include "speaker/SpeakerModel.h"
#include "speaker/SpeakerModelContainer.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <thread>

extern char** environ;

namespace {
using Clock = std::chrono::steady_clock;

constexpr const char* kUnsafe = "the file could not be read safely: ";

// A descriptor closed when it goes.
class CFd {
public:
    explicit CFd(int fd = -1) : m_fd(fd) {}
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;
    ~CFd() { Close(); }
    int Get() const { return m_fd; }
    void Close() {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
};

std::string Hex(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%a", v);
    return text;
}

std::string Seconds(double s) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", s);
    return std::string(text) + (s == 1.0 ? " second" : " seconds");
}

std::string MiB(std::size_t bytes) {
    return std::to_string(bytes >> 20) + " MiB";
}

std::string SignalName(int signal) {
    const char* abbreviation = ::sigabbrev_np(signal);
    return "signal " + std::to_string(signal) +
           (abbreviation ? std::string(" (SIG") + abbreviation + ")" : std::string());
}

std::vector<std::string> ReaderArguments(const std::string& program,
                                         const CSofaImportOptions& o, int lengthUnit,
                                         const std::string& name, const CSofaReaderLimits& limits) {
    std::vector<std::string> args = {
        program,
        "--cpu-seconds", Hex(std::max(1.0, std::ceil(limits.cpuSeconds))),
        "--memory-bytes", Hex(static_cast<double>(limits.memoryBytes)),
        "--length-unit", Hex(lengthUnit),
        "--name", name,
        "--input", o.input == CSofaImportOptions::EInput::OneWatt ? "watt" : "voltage",
        "--voltage", Hex(o.voltage),
        "--impedance", Hex(o.nominalImpedance),
        "--power", Hex(o.ratedPower),
        "--measurement", Hex(o.measurement)};
    if (o.pointsPerOctave) {
        args.push_back("--ppo");
        args.push_back(Hex(*o.pointsPerOctave));
    }
    if (o.angleStep) {
        args.push_back("--angle-step");
        args.push_back(Hex(*o.angleStep));
    }
    return args;
}

// What the reader did: its answer, and how it ended.
struct CReaderRun {
    std::vector<std::uint8_t> answer;
    int status = 0;
    bool timedOut = false;  // stopped by us at the wall-time limit
    bool tooLarge = false;  // stopped by us for an answer larger than any model
    double cpuSeconds = 0.0;
};

// Runs the reader with `file` as its standard input; the error is the reason it could not start.
bool RunReader(const std::vector<std::string>& args, int file, const CSofaReaderLimits& limits,
               CReaderRun& run, std::string& error) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        error = std::string("no pipe to the reader: ") + std::strerror(errno);
        return false;
    }
    CFd readEnd(pipeFds[0]), writeEnd(pipeFds[1]);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, file, 0);
    posix_spawn_file_actions_adddup2(&actions, writeEnd.Get(), 1);
    // Nothing of ours (a project's lock, a file being saved) reaches the reader.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigfillset(&defaults);
    // A signal this program ignores or blocks (SIGXFSZ, SIGPIPE) must act on the reader as usual.
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned =
        ::posix_spawn(&pid, args[0].c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (spawned != 0) {
        error = "the reader " + args[0] + " cannot be started: " + std::strerror(spawned);
        return false;
    }
    writeEnd.Close();

    const auto deadline =
        Clock::now() + std::chrono::milliseconds(static_cast<long long>(limits.wallSeconds * 1000));
    // The largest model a project holds, with room for its report.
    const std::size_t maxAnswer = MaxModelBalloonValues() * 16 + (std::size_t(64) << 20);
    auto stop = [&](bool& why) {
        why = true;
        ::kill(pid, SIGKILL);
    };
    unsigned char block[1 << 16];
    while (!run.timedOut && !run.tooLarge) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            stop(run.timedOut);
            break;
        }
        pollfd p{readEnd.Get(), POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 1000)));
        if (ready <= 0)
            continue; // the time left is checked again; EINTR likewise
        const ssize_t n = ::read(readEnd.Get(), block, sizeof block);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            break; // the answer is whole (or the reader ended)
        if (run.answer.size() + static_cast<std::size_t>(n) > maxAnswer)
            stop(run.tooLarge);
        else
            run.answer.insert(run.answer.end(), block, block + n);
    }
    // A reader that closed its output but lingers is given the time left.
    rusage usage{};
    for (;;) {
        const pid_t done = ::wait4(pid, &run.status, WNOHANG, &usage);
        if (done == pid)
            break;
        if (done < 0 && errno != EINTR) {
            error = std::string("the reader's end cannot be told: ") + std::strerror(errno);
            return false;
        }
        if (Clock::now() >= deadline && !run.timedOut)
            stop(run.timedOut);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    run.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    return true;
}

// The reader's answer as a result; a malformed one is a refusal.
CSofaImportResult DecodeAnswer(const CReaderRun& run, int lengthUnit,
                               const CSofaReaderLimits& limits) {
    CSofaImportResult result;
    try {
        CArchiveIn ar(run.answer);
        std::uint32_t tag = 0;
        std::uint16_t kind = 0;
        ar.Dword(tag);
        ar.Word(kind);
        if (tag != SofaReply::kTag)
            ar.Fail("not the reader's answer");
        if (kind == SofaReply::kModel) {
            ar.String(result.report);
            result.model = CSpeakerModelContainer::LoadModelRecord(ar, kVersion200);
            if (!result.model)
                ar.Fail("a model of unknown type");
            result.model->SetLengthUnit(lengthUnit);
        } else if (kind == SofaReply::kRefused || kind == SofaReply::kOutOfMemory) {
            ar.String(result.error);
            if (kind == SofaReply::kOutOfMemory) {
                result.outOfMemory = true;
                result.error = kUnsafe + std::string("reading it needed more memory than ") +
                               MiB(limits.memoryBytes);
            }
        } else {
            ar.Fail("an answer of unknown kind");
        }
        if (ar.Remaining() != 0)
            ar.Fail("bytes after the answer");
    } catch (const CArchiveException& e) {
        result = {};
        result.error = kUnsafe + std::string("the reader's answer cannot be read (") + e.what() + ")";
    } catch (const std::bad_alloc&) {
        result = {};
        result.outOfMemory = true;
        result.error = "not enough memory for the directivity data";
    }
    return result;
}
} // namespace

CSofaReaderLimits SofaReaderLimitsFromEnvironment() {
    auto number = [](const char* name, double largest) -> std::optional<double> {
        const char* text = std::getenv(name);
        if (!text || !*text)
            return std::nullopt;
        char* end = nullptr;
        const double v = std::strtod(text, &end);
        if (*end != '\0' || !(v > 0.0) || !(v <= largest))
            return std::nullopt;
        return v;
    };
    CSofaReaderLimits limits;
    if (const auto v = number("DAXARA_SOFA_CPU_SECONDS", 86400.0))
        limits.cpuSeconds = *v;
    if (const auto v = number("DAXARA_SOFA_WALL_SECONDS", 86400.0))
        limits.wallSeconds = *v;
    if (const auto v = number("DAXARA_SOFA_MEMORY_MIB", 1 << 20))
        limits.memoryBytes = static_cast<std::size_t>(*v * (1 << 20));
    return limits;
}

std::string FindSofaReader(std::string& error) {
    if (const char* given = std::getenv(kSofaReaderVariable); given && *given)
        return given;
    std::error_code code;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", code);
    if (code) {
        error = std::string("the reader ") + kSofaReaderProgram +
                " cannot be found: the running program's folder is unknown";
        return {};
    }
    const std::filesystem::path reader = self.parent_path() / kSofaReaderProgram;
    if (::access(reader.c_str(), X_OK) != 0) {
        error = "the reader " + reader.string() + " is missing";
        return {};
    }
    return reader.string();
}

CSofaImportResult ImportSofaIsolated(const std::string& path, const CSofaImportOptions& options,
                                     int lengthUnit, const CSofaReaderLimits& limits) {
    CSofaImportResult result;
    result.error = CheckSofaImportOptions(options);
    if (!result.error.empty())
        return result;
    CFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat st {};
    if (file.Get() < 0 || ::fstat(file.Get(), &st) != 0) {
        result.error = std::string("the file cannot be opened: ") + std::strerror(errno);
        return result;
    }
    if (!S_ISREG(st.st_mode)) {
        result.error = "it is not a regular file";
        return result;
    }
    if (static_cast<std::uint64_t>(st.st_size) > FileSafety::kMaxFileBytes) {
        result.error = "the file is larger than " + std::to_string(FileSafety::kMaxFileBytes) +
                       " bytes";
        return result;
    }
    unsigned char head[8] = {};
    const ssize_t got = ::pread(file.Get(), head, sizeof head, 0);
    if (got < 0 || !HasNetCdfSignature(head, static_cast<std::size_t>(got))) {
        result.error = "the file is not a netCDF file";
        return result;
    }
    std::string error;
    const std::string program = FindSofaReader(error);
    if (program.empty()) {
        result.error = kUnsafe + error;
        return result;
    }
    CReaderRun run;
    const std::vector<std::string> args =
        ReaderArguments(program, options, lengthUnit,
                        std::filesystem::path(path).stem().string(), limits);
    if (!RunReader(args, file.Get(), limits, run, error)) {
        result.error = kUnsafe + error;
        return result;
    }
    const int status = run.status;
    const bool cpuSpent = run.cpuSeconds >= std::ceil(limits.cpuSeconds) - 0.05;
    if (run.timedOut) {
        result.error = kUnsafe + std::string("reading it took longer than ") +
                       Seconds(limits.wallSeconds);
    } else if (run.tooLarge) {
        result.error = kUnsafe + std::string("the reader's answer is larger than any model");
    } else if (WIFSIGNALED(status) &&
               (WTERMSIG(status) == SIGXCPU || (WTERMSIG(status) == SIGKILL && cpuSpent))) {
        result.error = kUnsafe + std::string("reading it took longer than ") +
                       Seconds(std::ceil(limits.cpuSeconds)) + " of processor time";
    } else if (WIFSIGNALED(status)) {
        result.error = kUnsafe + std::string("reading it crashed with ") +
                       SignalName(WTERMSIG(status));
    } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        result.error = kUnsafe + std::string("the reader ended with exit status ") +
                       std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    } else {
        return DecodeAnswer(run, lengthUnit, limits);
    }
    return result;
}
