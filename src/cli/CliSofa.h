#pragma once

#include "speaker/SofaImport.h"

#include <optional>
#include <string>

namespace CLI {
class App;
}

// Open directivity files (AES69 SOFA) on the command line: the options `import` reads them
// with, and `export-sofa`.
struct CExportSofaOptions {
    std::string model;  // a project, or a speaker data file of either kind
    std::string output; // the .sofa file to write
    std::optional<int> index;
    bool force = false;
};

// Adds the options of open directivity files to `import`; they fill `options`.
void AddSofaImportOptions(CLI::App& import, CSofaImportOptions& options, std::string& input);
// Sets the input of `options` from the --sofa-input text ("1W" or "<volts>V"); throws CCliError.
void ApplySofaInput(const std::string& input, CSofaImportOptions& options);
CLI::App* AddExportSofaCommand(CLI::App& app, CExportSofaOptions& options);
int RunExportSofa(const CExportSofaOptions& options);
