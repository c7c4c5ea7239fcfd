// Any bytes, read as a current and as a legacy project file, must end in a result or a clean
// error: no crash, no sanitizer report, no runaway allocation.
#include "project/DAXDoc.h"
#include "project/ProjectFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> bytes(data, data + size);
    for (bool legacy : {false, true}) {
        CDAXDoc doc;
        std::string error;
        if (ProjectFile::Read(bytes, legacy, doc, error) != ProjectFile::EReadResult::Loaded)
            continue;
        // Writer and reader agree: whatever loads is written and loads again.
        std::vector<std::uint8_t> written;
        try {
            written = ProjectFile::Write(doc);
        } catch (const std::exception&) {
            __builtin_trap();
        }
        CDAXDoc again;
        if (ProjectFile::Read(written, false, again, error) != ProjectFile::EReadResult::Loaded)
            __builtin_trap();
    }
    return 0;
}
