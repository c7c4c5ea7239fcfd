// Any text read as speaker data must import or fail with a reason: no crash, no sanitizer report.
#include "common/LineReader.h"
#include "speaker/SpeakerModelContainer.h"

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
    container.ImportModel(reader, 0, nullptr, &reason);
    return 0;
}
