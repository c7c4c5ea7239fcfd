#include "CliOutput.h"

#include "CliSession.h"
#include "common/FileSafety.h"
#include "project/DAXDoc.h"

std::vector<CKeptFile> ProjectFiles(const std::string& project, bool saves) {
    std::vector<CKeptFile> files = {{project, "the project"}};
    if (saves && IsLegacyPath(project))
        files.push_back({SavedPath(project), "the file the project is saved as"});
    return files;
}

void CheckOutput(const std::string& path, const std::string& option, bool force,
                 const std::vector<CKeptFile>& keep) {
    if (path == "-")
        return;
    std::vector<std::string> paths;
    for (const CKeptFile& file : keep)
        paths.push_back(file.path);
    const FileSafety::COutputCheck check = FileSafety::CheckOutput(path, paths, force);
    switch (check.problem) {
    case FileSafety::EOutputProblem::None:
        return;
    case FileSafety::EOutputProblem::Kept:
        for (const CKeptFile& file : keep)
            if (file.path == check.kept)
                throw CCliError(option + ": " + path + " is " + file.what + " (" + file.path +
                                ") itself; an output never replaces it, choose another file");
        break;
    case FileSafety::EOutputProblem::Exists:
        throw CCliError(option + ": " + path + " exists; use --force to replace it");
    case FileSafety::EOutputProblem::ReadOnly:
        throw CCliError(option + ": " + path +
                        " is read-only; it is not replaced, not even with --force");
    case FileSafety::EOutputProblem::NoName:
    case FileSafety::EOutputProblem::NoFolder:
    case FileSafety::EOutputProblem::NotRegular:
        break;
    }
    throw CCliError(option + ": " + check.reason);
}

void WriteOutput(const std::string& path, const std::string& option,
                 const std::vector<std::uint8_t>& bytes) {
    std::string error;
    if (!FileSafety::WriteFileAtomically(path, bytes, error))
        throw CCliError(option + ": cannot write " + path + ": " + error);
}
