#pragma once

// Open directivity files are parsed by the netCDF/HDF5 library, which a crafted file can crash,
// send into an endless loop or make allocate without end, and no check of ours before it can be
// complete. So they are read by a separate program, daxara-sofa-reader, under limits on
// processor time, wall time and memory; the model comes back through a pipe in the project's own
// archive format. Whatever happens to the reader, the calling program, its projects and their
// locks are untouched, and the import ends with a reason.
#include "speaker/SofaImport.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr const char* kSofaReaderProgram = "daxara-sofa-reader";
// Names the reader program to use instead of the one beside the running program (the tests').
inline constexpr const char* kSofaReaderVariable = "DAXARA_SOFA_READER";

struct CSofaReaderLimits {
    // Processor time of the reader; what is left runs out as SIGXCPU.
    double cpuSeconds = 10.0;
    // From start to answer, a reader that waits rather than computes included.
    double wallSeconds = 30.0;
    // Address space the reader may add to what it holds once started.
    std::size_t memoryBytes = std::size_t(2) << 30;
};

// The default limits, each replaced by its environment variable when that holds a positive
// number: DAXARA_SOFA_CPU_SECONDS, DAXARA_SOFA_WALL_SECONDS, DAXARA_SOFA_MEMORY_MIB (for very
// large files on a slow machine, and for the tests).
CSofaReaderLimits SofaReaderLimitsFromEnvironment();

// Imports an open directivity file through the reader program. A reader that crashes, runs out
// of time or memory, or answers nonsense gives a refusal that says so ("the file could not be
// read safely: ...").
CSofaImportResult ImportSofaIsolated(const std::string& path, const CSofaImportOptions& options,
                                     int lengthUnit, const CSofaReaderLimits& limits = {});

// The reader program: kSofaReaderVariable when set, else the one beside the running program.
// Empty, with `error`, when there is none.
std::string FindSofaReader(std::string& error);

// The reader program's work (its main): the limits and options from the arguments, the file
// on standard input, the answer on standard output.
int SofaReaderMain(int argc, char** argv);

// The reader's answer: a model, or why there is none.
std::vector<std::uint8_t> EncodeSofaReply(const CSofaImportResult& result);
// The answer for a reader whose memory ran out where it could not say so itself.
std::vector<std::uint8_t> SofaOutOfMemoryReply();
