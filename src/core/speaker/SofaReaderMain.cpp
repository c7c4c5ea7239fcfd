// The reader program's side of reading open directivity files in a separate process.
#include "common/Archive.h"
#include "common/FileSafety.h"
#include "common/FileVersion.h"
#include "speaker/SofaReaderProcess.h"
#include "speaker/SofaReplyFormat.h"
#include "speaker/SpeakerModel.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {
struct CReaderArguments {
    double cpuSeconds = 0.0;
    double memoryBytes = 0.0;
    int lengthUnit = 0;
    std::string name;
    CSofaImportOptions options;
};

// Numbers travel as hexadecimal floating point, so every bit arrives.
bool ParseNumber(const char* text, double& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && errno == 0 && std::isfinite(value);
}

bool ParseArguments(int argc, char** argv, CReaderArguments& a, std::string& error) {
    for (int i = 1; i < argc; i += 2) {
        const std::string key = argv[i];
        if (i + 1 >= argc) {
            error = key + " has no value";
            return false;
        }
        const char* text = argv[i + 1];
        if (key == "--name") {
            a.name = text;
            continue;
        }
        if (key == "--input") {
            const std::string input = text;
            if (input != "watt" && input != "voltage") {
                error = "--input is watt or voltage";
                return false;
            }
            a.options.input = input == "watt" ? CSofaImportOptions::EInput::OneWatt
                                              : CSofaImportOptions::EInput::Voltage;
            continue;
        }
        double v = 0.0;
        if (!ParseNumber(text, v)) {
            error = key + " \"" + text + "\" is not a number";
            return false;
        }
        if (key == "--cpu-seconds")
            a.cpuSeconds = v;
        else if (key == "--memory-bytes")
            a.memoryBytes = v;
        else if (key == "--length-unit")
            a.lengthUnit = static_cast<int>(v);
        else if (key == "--voltage")
            a.options.voltage = v;
        else if (key == "--impedance")
            a.options.nominalImpedance = v;
        else if (key == "--power")
            a.options.ratedPower = v;
        else if (key == "--measurement")
            a.options.measurement = static_cast<int>(v);
        else if (key == "--ppo")
            a.options.pointsPerOctave = static_cast<int>(v);
        else if (key == "--angle-step")
            a.options.angleStep = v;
        else {
            error = "unknown argument " + key;
            return false;
        }
    }
    if (!(a.cpuSeconds >= 1.0) || !(a.memoryBytes >= 1.0)) {
        error = "--cpu-seconds and --memory-bytes are required";
        return false;
    }
    return true;
}

// The address space in use now: the program, its libraries and the sanitizer's reservations.
std::size_t AddressSpaceInUse() {
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    statm >> pages;
    return pages * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

bool ApplyLimits(const CReaderArguments& a, std::string& error) {
    const rlimit noCore{0, 0};
    const auto cpu = static_cast<rlim_t>(std::ceil(a.cpuSeconds));
    // The soft limit sends SIGXCPU; the hard one, a second later, SIGKILL.
    const rlimit cpuLimit{cpu, cpu + 1};
    const auto space = static_cast<rlim_t>(AddressSpaceInUse() + static_cast<std::size_t>(a.memoryBytes));
    const rlimit memory{space, space};
    if (::setrlimit(RLIMIT_CORE, &noCore) != 0 || ::setrlimit(RLIMIT_CPU, &cpuLimit) != 0 ||
        ::setrlimit(RLIMIT_AS, &memory) != 0) {
        error = std::string("the limits cannot be set: ") + std::strerror(errno);
        return false;
    }
    return true;
}

// Faults on demand, so the tests can show what a crash, a hang or a memory bomb inside the
// library turns into; set only by the tests.
void InjectFault() {
    const char* fault = std::getenv("DAXARA_SOFA_READER_FAULT");
    if (!fault)
        return;
    const std::string f = fault;
    if (f == "crash")
        std::raise(SIGSEGV);
    if (f == "spin")
        for (;;)
            __asm__ volatile(""); // a loop the compiler must keep
    if (f == "sleep")
        for (;;)
            ::pause();
    if (f == "hog") { // address space, not memory pages: the limit is on the former
        std::vector<std::unique_ptr<char[]>> blocks;
        for (;;)
            blocks.emplace_back(new char[std::size_t(64) << 20]);
    }
}

bool ReadStandardInput(std::vector<unsigned char>& bytes, std::string& error) {
    struct stat st {};
    if (::fstat(0, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 &&
        static_cast<std::size_t>(st.st_size) <= FileSafety::kMaxFileBytes)
        bytes.reserve(static_cast<std::size_t>(st.st_size));
    unsigned char block[1 << 16];
    for (;;) {
        const ssize_t n = ::read(0, block, sizeof block);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = std::string("the file cannot be read: ") + std::strerror(errno);
            return false;
        }
        if (n == 0)
            return true;
        if (bytes.size() + static_cast<std::size_t>(n) > FileSafety::kMaxFileBytes) {
            error = "the file is larger than " + std::to_string(FileSafety::kMaxFileBytes) +
                    " bytes";
            return false;
        }
        bytes.insert(bytes.end(), block, block + n);
    }
}

bool WriteAll(const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(1, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}
} // namespace

std::vector<std::uint8_t> EncodeSofaReply(const CSofaImportResult& result) {
    CArchiveOut ar;
    ar.Dword(SofaReply::kTag);
    if (result.model) {
        try {
            ar.Word(SofaReply::kModel);
            ar.String(result.report);
            ar.Word(static_cast<std::uint16_t>(result.model->Kind()));
            result.model->Store(ar, kVersion200);
            return ar.TakeBuffer();
        } catch (const CArchiveException& e) {
            CSofaImportResult refused;
            refused.error = std::string("the model cannot be passed on: ") + e.what();
            return EncodeSofaReply(refused);
        }
    }
    ar.Word(result.outOfMemory ? SofaReply::kOutOfMemory : SofaReply::kRefused);
    ar.String(result.error);
    return ar.TakeBuffer();
}

std::vector<std::uint8_t> SofaOutOfMemoryReply() {
    CSofaImportResult result;
    result.outOfMemory = true;
    result.error = "not enough memory";
    return EncodeSofaReply(result);
}

int SofaReaderMain(int argc, char** argv) {
    CReaderArguments a;
    std::string error;
    if (!ParseArguments(argc, argv, a, error) || !ApplyLimits(a, error)) {
        std::fprintf(stderr, "%s: %s\n", kSofaReaderProgram, error.c_str());
        return 2;
    }
    // Made before anything can run out.
    const std::vector<std::uint8_t> outOfMemory = SofaOutOfMemoryReply();
    try {
        InjectFault();
        CSofaImportResult result;
        std::vector<unsigned char> bytes;
        if (ReadStandardInput(bytes, result.error))
            result = ImportSofaMemory(bytes.data(), bytes.size(), a.options, a.lengthUnit, a.name);
        return WriteAll(EncodeSofaReply(result)) ? 0 : 3;
    } catch (const std::bad_alloc&) {
        return WriteAll(outOfMemory) ? 0 : 3;
    }
}
