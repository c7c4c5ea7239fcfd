// Any bytes read as an open directivity file (netCDF/HDF5) must import or fail with a reason:
// no crash, no sanitizer report, and what imports is whole. Fuzzing runs the reader in this
// process, where the coverage is measured; with DAXARA_FUZZ_ISOLATED set, each input goes the
// way the programs read such files, through the separate reader under its limits, so inputs
// that crash or hang the netCDF library (fuzz/regressions) must end as refusals.
#include "speaker/SofaImport.h"
#include "speaker/SofaReaderProcess.h"
#include "speaker/SpeakerModel.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {
bool g_isolated = false;

CSofaImportResult ImportIsolated(const std::uint8_t* data, std::size_t size,
                                 const CSofaImportOptions& options) {
    const char* folder = std::getenv("TMPDIR");
    std::string path = std::string(folder && *folder ? folder : "/tmp") + "/sofa-fuzz-XXXXXX";
    const int fd = ::mkstemp(path.data());
    if (fd < 0)
        __builtin_trap();
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0)
            __builtin_trap();
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    CSofaReaderLimits limits;
    limits.cpuSeconds = 3.0;
    limits.wallSeconds = 30.0;
    limits.memoryBytes = std::size_t(1) << 30;
    CSofaImportResult result = ImportSofaIsolated(path, options, 0, limits);
    ::unlink(path.c_str());
    return result;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SetMaxModelBalloonValues(std::size_t(1) << 18);
    g_isolated = std::getenv("DAXARA_FUZZ_ISOLATED") != nullptr;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CSofaImportOptions options;
    // The last byte, when there is one, picks the measurement, so several are reached.
    if (size > 0)
        options.measurement = data[size - 1] % 4;
    const CSofaImportResult result = g_isolated ? ImportIsolated(data, size, options)
                                                : ImportSofaMemory(data, size, options, 0, "fuzz");
    if (!result.model) {
        if (result.error.empty())
            __builtin_trap(); // a refusal must say why
        return 0;
    }
    const CSpeakerModel& model = *result.model;
    if (model.Settings().taps.empty() || model.Header().frequencyList.empty() ||
        model.Elements().size() != 1)
        __builtin_trap();
    for (const CSPComplex& v : model.Balloon(0).data)
        if (!std::isfinite(v.re) || !std::isfinite(v.im))
            __builtin_trap();
    // The model answers a calculation in every direction.
    const double f = model.Header().frequencyList.front();
    for (const CVec3& at : {CVec3{1, 0, 0}, CVec3{-1, 0.2, 0.3}, CVec3{0, 0, -2}}) {
        CSPComplex p;
        if (model.Evaluate(p, at, {}, {}, f, 10.0, false, 1.0, false, 0) != 0 ||
            !std::isfinite(p.re) || !std::isfinite(p.im))
            __builtin_trap();
    }
    return 0;
}
