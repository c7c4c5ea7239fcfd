// Any text read as speaker data must import or fail with a reason: no crash, no sanitizer report.
#include "common/LineReader.h"
#include "speaker/SpeakerModelContainer.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <sstream>

// Gigabyte balloons are legal input but slow every run to a crawl; a smaller bound keeps the
// fuzzer exploring, and the refusal path it guards is the same.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SetMaxModelBalloonValues(std::size_t(1) << 18);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    CLineReader reader(in, 1 << 20);
    CSpeakerModelContainer container;
    std::string reason;
    if (!container.ImportModel(reader, 0, nullptr, &reason)) {
        if (reason.empty())
            __builtin_trap(); // a refusal must say why
        return 0;
    }
    // What imports is whole: every directivity value a calculation can use.
    const CSpeakerModel& model = container.At(0);
    for (const CBalloonElement& balloon : model.Balloons())
        for (const CSPComplex& v : balloon.data)
            if (!std::isfinite(v.re) || !std::isfinite(v.im))
                __builtin_trap();
    if (model.Settings().taps.empty())
        __builtin_trap();
    return 0;
}
