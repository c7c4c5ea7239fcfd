// Any text read as speaker data must import or fail with a reason: no crash, no sanitizer report.
#include "common/LineReader.h"
#include "speaker/SpeakerModelContainer.h"

#include <cstddef>
#include <cstdint>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    CLineReader reader(in, 1 << 20);
    CSpeakerModelContainer container;
    std::string reason;
    container.ImportModel(reader, 0, nullptr, &reason);
    return 0;
}
