// Any bytes read as an open directivity file (netCDF/HDF5) must import or fail with a reason:
// no crash, no sanitizer report, and what imports is whole.
#include "speaker/SofaImport.h"
#include "speaker/SpeakerModel.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SetMaxModelBalloonValues(std::size_t(1) << 18);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CSofaImportOptions options;
    // The last byte, when there is one, picks the measurement, so several are reached.
    if (size > 0)
        options.measurement = data[size - 1] % 4;
    const CSofaImportResult result = ImportSofaMemory(data, size, options, 0, "fuzz");
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
