#pragma once

// The one rule for every file a command writes besides its project (render --png and --pdf,
// map --csv, spectrum --csv, export-sofa, demo, new): checked before any work, so a refused
// output costs nothing and loses nothing, and written atomically, as projects are.
#include <cstdint>
#include <string>
#include <vector>

// A file the command reads and an output must never replace, with what it is in words.
struct CKeptFile {
    std::string path;
    std::string what; // "the project", "the speaker data"
};

// The files a command on `project` reads and no output may replace: the project, and when the
// command saves a legacy (.dax) project, the .tdax it is saved as.
std::vector<CKeptFile> ProjectFiles(const std::string& project, bool saves);

// Refuses, with a CCliError naming `option`, an output path that is empty, in a missing folder,
// one of `keep` (device and inode, through links), a directory, pipe, device or socket, a
// read-only file, or an existing file without --force (`force`). "-" (standard output) passes.
void CheckOutput(const std::string& path, const std::string& option, bool force,
                 const std::vector<CKeptFile>& keep = {});

// Writes the bytes to a temporary file beside `path` and renames it over the target; a failure
// leaves the old file and names the option.
void WriteOutput(const std::string& path, const std::string& option,
                 const std::vector<std::uint8_t>& bytes);
