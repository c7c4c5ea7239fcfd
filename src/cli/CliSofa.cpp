#include "CliSofa.h"

#include "CliOutput.h"
#include "CliSession.h"
#include "speaker/SofaExport.h"
#include "speaker/SofaFile.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>

namespace {
// A positive finite number ("nan", "inf" and 0 are refused, naming the option).
CLI::Validator PositiveFinite() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            char* end = nullptr;
            errno = 0;
            const double v = std::strtod(text.c_str(), &end);
            if (end == text.c_str() || *end != '\0')
                return "\"" + text + "\" is not a number";
            if (!std::isfinite(v) || errno == ERANGE || !(v > 0.0))
                return "\"" + text + "\" is not a positive finite number";
            return {};
        },
        "NUMBER > 0");
}

bool IsSpeakerDataFile(const std::string& path) {
    if (FileHasNetCdfSignature(path))
        return true;
    std::ifstream in(path, std::ios::binary);
    std::string first;
    std::getline(in, first);
    if (!first.empty() && first.back() == '\r')
        first.pop_back();
    return first == "Version 1.0.0";
}
} // namespace

void AddSofaImportOptions(CLI::App& import, CSofaImportOptions& o, std::string& input) {
    import
        .add_option("--sofa-input", input,
                    "SOFA files: the input the pressures were measured for, 1W (default) or a "
                    "voltage into the nominal impedance such as 2.83V")
        ->check(CLI::Validator(
            [](std::string& text) -> std::string {
                CSofaImportOptions probe;
    try {
        ApplySofaInput(text, probe);
    } catch (const CCliError& e) {
        return e.what();
    }
    return {};
},
            "1W|<volts>V"));
import
    .add_option("--sofa-impedance", o.nominalImpedance,
                "SOFA files: nominal impedance in ohms (the tap's rating; default 8)")
    ->check(PositiveFinite());
import
    .add_option("--sofa-power", o.ratedPower,
                "SOFA files: rated power in W of the model's tap (default 100)")
    ->check(PositiveFinite());
import
    .add_option("--sofa-measurement", o.measurement,
                "SOFA files: which measurement to import, from 0 (default 0)")
    ->check(CLI::NonNegativeNumber);
import
    .add_option("--sofa-ppo", o.pointsPerOctave,
                "SOFA files: frequency grid in points per octave (default: the data's own, "
                "or the nearest it supports)")
    ->check(CLI::Range(1, 96));
import.add_option("--sofa-angle-step", o.angleStep,
                  "SOFA files: theta/phi step in degrees for irregular receivers (1, 2, 2.5, "
                  "3, 5, 6, 7.5, 9, 10, 15, 18, 20, 22.5, 30 or 45)");
}

void ApplySofaInput(const std::string& input, CSofaImportOptions& o) {
    if (input.empty() || input == "1W" || input == "1w") {
        o.input = CSofaImportOptions::EInput::OneWatt;
        return;
    }
    char* end = nullptr;
    errno = 0;
    const double volts = std::strtod(input.c_str(), &end);
    if (end == input.c_str() || (std::string(end) != "V" && std::string(end) != "v") ||
        !std::isfinite(volts) || !(volts > 0.0) || errno == ERANGE)
        throw CCliError("--sofa-input \"" + input + "\" is neither 1W nor a voltage such as 2.83V");
    o.input = CSofaImportOptions::EInput::Voltage;
    o.voltage = volts;
}

CLI::App* AddExportSofaCommand(CLI::App& app, CExportSofaOptions& o) {
    auto* cmd = app.add_subcommand(
        "export-sofa",
        "Write a speaker model as an AES69 (SOFA) FreeFieldDirectivityTF file, one measurement "
        "per element");
    cmd->add_option("MODEL", o.model,
                    "A project (its current model, or --model), or a speaker data file")
        ->required();
    cmd->add_option("OUT", o.output, "The .sofa file to write")->required();
    cmd->add_option("--model", o.index, "Model index in the project (default: the current one)");
    cmd->add_flag("--force", o.force, "Replace an existing OUT (never MODEL itself)");
    return cmd;
}

int RunExportSofa(const CExportSofaOptions& o) {
    const bool speakerData = IsSpeakerDataFile(o.model);
    CheckOutput(o.output, "OUT", o.force,
                {{o.model, speakerData ? "the speaker data read" : "the project"}});
    CCliSession s;
    if (speakerData) {
        if (o.index)
            throw CCliError("--model applies to a project, and " + o.model + " is speaker data");
        s.Create(0);
        s.doc->ImportSpeakerFile(o.model);
        s.ThrowIfErrors("");
        if (s.doc->Models().Count() != 1)
            throw CCliError(o.model + " could not be read");
    } else {
        s.Open(o.model);
    }
    CDAXDoc& doc = *s.doc;
    if (doc.Models().Count() == 0)
        throw CCliError(o.model + " holds no speaker model");
    const int index = o.index.value_or(doc.Models().CurrentIndex());
    if (index < 0 || index >= doc.Models().Count())
        throw CCliError("model " + std::to_string(index) + " does not exist; the project has " +
                        std::to_string(doc.Models().Count()) + " (0 to " +
                        std::to_string(doc.Models().Count() - 1) + ")");
    const CSpeakerModel& model = doc.Models().At(index);
    try {
        ExportSofa(model, o.output);
    } catch (const CSofaError& e) {
        throw CCliError(model.DisplayName() + " could not be exported as SOFA: " + e.what());
    }
    std::cout << "exported " << model.DisplayName() << " (" << model.Elements().size()
              << (model.Elements().size() == 1 ? " element" : " elements") << ") to " << o.output
              << "\n";
    return 0;
}
