// daxara-sofa-reader: reads one open directivity file from standard input under the limits its
// caller gives, and writes the model or the reason there is none to standard output. Started by
// daxara and daxara-cli, never by hand.
#include "speaker/SofaReaderProcess.h"

#include <cstring>
#include <unistd.h>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define DAXARA_READER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DAXARA_READER_ASAN 1
#endif
#endif

#ifdef DAXARA_READER_ASAN
#include <sanitizer/asan_interface.h>

// In a sanitizer build the reader must still end as the release build does: a crash by its
// signal (not the sanitizer's exit), and an allocation beyond the memory limit as the
// out-of-memory answer (the sanitizer reports a failed `new` instead of throwing).
extern "C" const char* __asan_default_options() {
    return "handle_segv=0:handle_sigbus=0:handle_sigfpe=0:handle_sigill=0:handle_abort=0:"
           "allocator_may_return_null=1";
}

namespace {
std::vector<std::uint8_t> g_outOfMemory;

void OnSanitizerReport(const char* report) {
    if (!std::strstr(report, "out of memory") &&
        !std::strstr(report, "exceeds maximum supported size") &&
        !std::strstr(report, "allocation-size-too-big"))
        return;
    std::size_t done = 0;
    while (done < g_outOfMemory.size()) {
        const ssize_t n = ::write(1, g_outOfMemory.data() + done, g_outOfMemory.size() - done);
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    ::_exit(0);
}
} // namespace
#endif

int main(int argc, char** argv) {
#ifdef DAXARA_READER_ASAN
    g_outOfMemory = SofaOutOfMemoryReply();
    __asan_set_error_report_callback(OnSanitizerReport);
#endif
    return SofaReaderMain(argc, argv);
}
