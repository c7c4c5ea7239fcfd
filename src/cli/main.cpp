// daxara-cli: projects, maps and spectra from the command line.
#include "CliAcoustics.h"
#include "CliCommands.h"
#include "CliDocs.h"
#include "CliEdit.h"
#include "CliOptions.h"
#include "CliSession.h"
#include "CliSofa.h"

#include "acoustics/MapQuantity.h"
#include "common/Errors.h"
#include "common/FileSafety.h"

#include <CLI/CLI.hpp>

#include <iostream>

int main(int argc, char** argv) {
    CLI::App app{
        "Daxara on the command line: projects, speaker data, installations, SPL maps and spectra.",
        "daxara-cli"};
    app.require_subcommand(1);

    static constexpr const char* kForceHelp =
        "Replace the .tdax a .dax project is saved as, when it is another file";
    CNewOptions newOptions;
    auto* cmdNew = app.add_subcommand("new", "Create a project with the defaults of a new project");
    cmdNew->add_option("PROJECT", newOptions.project, "Project file to create (.tdax)")->required();
    cmdNew->add_option("--unit", newOptions.unit, "Length unit")
        ->check(CLI::IsMember({"metric", "imperial"}));
    Triple(cmdNew, "--room", newOptions.room, "Room length, width, height: L,W,H");
    cmdNew->add_option("--ceiling", newOptions.ceiling, "Solid (half) or absorbent (full) ceiling")
        ->check(CLI::IsMember({"half", "full"}));
    cmdNew->add_flag("--force", newOptions.force,
                     "Replace an existing file (also the .tdax a .dax name is saved as)");

    CImportOptions importOptions;
    auto* cmdImport =
        app.add_subcommand("import", "Import speaker data files; the last becomes current");
    cmdImport->add_option("PROJECT", importOptions.project, "Project file")->required();
    cmdImport->add_option("FILES", importOptions.files, "Speaker data files (.vsa, or AES69 .sofa)")
        ->required();
    cmdImport->add_flag("--force", importOptions.force, kForceHelp);

    // Open directivity files (SOFA): the import's options for them, and export-sofa.
    std::string sofaInput;
    AddSofaImportOptions(*cmdImport, importOptions.sofa, sofaInput);
    CExportSofaOptions exportSofaOptions;
    CLI::App* cmdExportSofa = AddExportSofaCommand(app, exportSofaOptions);

    CInstallOptions installOptions;
    auto* cmdInstall =
        app.add_subcommand("install", "Install a speaker, as the installation dialog does");
    cmdInstall->add_option("PROJECT", installOptions.project, "Project file")->required();
    cmdInstall->add_option("--model", installOptions.model,
                           "Speaker model index (default: the current model)");
    Triple(cmdInstall, "--at", installOptions.at, "Position X,Y,Z", true);
    auto* installAim = Triple(cmdInstall, "--aim", installOptions.aim,
                              "Azimuth, elevation, rotation in degrees: AZ,EL,ROT");
    Triple(cmdInstall, "--aim-at", installOptions.aimAt,
           "Aim the main axis at the point X,Y,Z (azimuth and elevation computed, rotation 0). "
           "An addition of the command line: the dialog takes angles only")
        ->excludes(installAim);
    cmdInstall
        ->add_option("--power", installOptions.power,
                     "Power in W, at most the tap's (default: the tap's)")
        ->check(Finite());
    cmdInstall->add_option(
        "--tap", installOptions.tap,
        "Tap number, from 1 as the tap list shows it; it becomes the model's default tap");
    cmdInstall->add_flag("--reverse", installOptions.reverse, "Reverse polarity");
    cmdInstall->add_option("--delay", installOptions.delay, "Signal delay in ms, 0 to 1000")
        ->check(Finite());
    cmdInstall->add_flag("--force", installOptions.force,
                         "Install even where an identical speaker is; and replace the .tdax a "
                         ".dax project is saved as");

    CAutoInstallOptions autoOptions;
    auto* cmdAuto = app.add_subcommand("auto-install", "Lay out ceiling speakers automatically");
    cmdAuto->add_option("PROJECT", autoOptions.project, "Project file")->required();
    cmdAuto->add_option("--model", autoOptions.model,
                        "Speaker model index (default: the current model)");
    cmdAuto
        ->add_option("--pattern", autoOptions.pattern, "0 maximum overlap ... 4 twice edge-to-edge")
        ->check(CLI::Range(0, 4));
    cmdAuto->add_option("--shape", autoOptions.shape, "Grid shape")
        ->check(CLI::IsMember({"rect", "hex"}));
    cmdAuto->add_option("--band", autoOptions.band,
                        "Judgment band: 1/24, 1/12, 1/6, 1/3, 1, 2 or 4 octaves");
    cmdAuto->add_option("--freq", autoOptions.frequency, "Judgment centre frequency in Hz")
        ->check(Finite(20.0, 20000.0));
    Triple(cmdAuto, "--aim", autoOptions.aim, "Azimuth, elevation, rotation: AZ,EL,ROT");
    cmdAuto
        ->add_option("--height", autoOptions.height,
                     "Installation height, above the calculation plane and at most the room's")
        ->check(Finite());
    cmdAuto->add_flag("--replace", autoOptions.replace,
                      "Replace the project's installations (refused without it when there are "
                      "any)");
    cmdAuto->add_flag("--force", autoOptions.force, kForceHelp);

    CPlaneOptions planeOptions;
    auto* cmdPlane =
        app.add_subcommand("plane", "Rebuild every calculation plane, as Room Parameters does");
    cmdPlane->add_option("PROJECT", planeOptions.project, "Project file")->required();
    Triple(cmdPlane, "--origin", planeOptions.origin, "Corner with the smallest coordinates: X,Y,Z",
           true);
    Triple(cmdPlane, "--extent", planeOptions.extent, "Size along X,Y,Z; exactly one is 0", true);
    cmdPlane->add_option("--pitch", planeOptions.pitch, "Pitch of colour dot")
        ->required()
        ->check(Finite());
    cmdPlane->add_option("--max", planeOptions.maximum, "Colour map maximum in dB")
        ->check(Finite());
    cmdPlane->add_option("--step", planeOptions.step, "Colour map pitch in dB")->check(Finite());
    cmdPlane->add_flag("--force", planeOptions.force, kForceHelp);

    CMapCommandOptions mapOptions;
    auto* cmdMap =
        app.add_subcommand("map", "Calculate the SPL map of the first calculation plane");
    cmdMap->add_option("PROJECT", mapOptions.project, "Project file")->required();
    cmdMap->add_option("--band", mapOptions.band, "Band: 1/24, 1/12, 1/6, 1/3, 1, 2 or 4 octaves");
    cmdMap
        ->add_option("--freq", mapOptions.frequency,
                     "Band centre in Hz (snapped to the band's grid)")
        ->check(Finite(20.0, 20000.0));
    cmdMap->add_option("--mode", mapOptions.mode, "Summation")
        ->check(CLI::IsMember({"interference", "energy"}));
    cmdMap->add_option("--csv", mapOptions.csv,
                       "Write x,y,z,level per grid point to this file (- for stdout); an existing "
                       "file only with --force, never the project");
    cmdMap->add_flag("--save", mapOptions.save, "Store the levels and statistics in the project");
    cmdMap->add_flag("--force", mapOptions.force,
                     "Replace an existing --csv file, and the .tdax a .dax project is saved as");
    cmdMap
        ->add_option("--engine", mapOptions.engine,
                     "engine (default) or the literal reference path")
        ->check(CLI::IsMember({"engine", "reference"}));
    cmdMap
        ->add_option("--threads", mapOptions.threads,
                     "Worker threads of the engine (0: every core)")
        ->check(CLI::Range(0, 256));
    cmdMap
        ->add_option("--within", mapOptions.within,
                     "Count the points within +/- this many dB of the pink-noise average")
        ->capture_default_str()
        ->check(Finite(0.0, 100.0));
    cmdMap->add_flag("--json", mapOptions.json,
                     "Write the band, the statistics and the uniformity figures as JSON");
    cmdMap
        ->add_option("--quantity", mapOptions.quantity,
                     "What the map shows: " + QuantityNames() +
                         " (saved with --save); default: what it shows already")
        ->check(CLI::Validator(
            [](std::string& text) -> std::string {
                return QuantityByName(text) ? std::string()
                                            : "\"" + text + "\" is not known: " + QuantityNames();
            },
            "QUANTITY"));

    CSpectrumOptions spectrumOptions;
    auto* cmdSpectrum = app.add_subcommand(
        "spectrum", "Band spectrum at a point: one frequency,level line per band");
    cmdSpectrum->add_option("PROJECT", spectrumOptions.project, "Project file")->required();
    Triple(cmdSpectrum, "--at", spectrumOptions.at, "Point X,Y,Z", true, -kCoordinateLimit,
           kCoordinateLimit);
    cmdSpectrum->add_option("--band", spectrumOptions.band,
                            "Band: 1/24, 1/12, 1/6, 1/3, 1, 2 or 4 octaves");
    cmdSpectrum
        ->add_option("--freq", spectrumOptions.frequency,
                     "The map's band centre in Hz, marked in the table (snapped to the grid)")
        ->check(Finite(20.0, 20000.0));
    cmdSpectrum->add_option("--mode", spectrumOptions.mode, "Summation")
        ->check(CLI::IsMember({"interference", "energy"}));
    cmdSpectrum->add_option(
        "--csv", spectrumOptions.csv,
        "Write exact frequency,level lines to this file (- for stdout, instead of the table); an "
        "existing file only with --force, never the project");
    cmdSpectrum->add_flag("--force", spectrumOptions.force, "Replace an existing --csv file");
    cmdSpectrum
        ->add_option("--quantity", spectrumOptions.quantity,
                     "The spectrum of the direct sound, the reverberant field or their total")
        ->check(CLI::IsMember({"direct", "reverberant", "total"}));
    cmdSpectrum->add_flag("--sti", spectrumOptions.sti,
                          "The speech transmission index at the point instead: the octave table, "
                          "the STI and the CIS");
    cmdSpectrum->add_flag("--json", spectrumOptions.json,
                          "Write the spectrum as JSON, exact levels and whether each band lies "
                          "within the speaker data");

    CBandsOptions bandsOptions;
    auto* cmdBands = app.add_subcommand(
        "bands", "List the bands and band centres a speaker model offers, as the map's lists do");
    cmdBands
        ->add_option("SOURCE", bandsOptions.source,
                     "A project (its current model, or --model) or a speaker data file (.vsa)")
        ->required();
    cmdBands->add_option("--model", bandsOptions.model, "Speaker model index of the project");
    cmdBands->add_option("--band", bandsOptions.band,
                         "Only this band: 1/24, 1/12, 1/6, 1/3, 1, 2 or 4 octaves");
    cmdBands->add_flag("--json", bandsOptions.json, "As JSON");

    CInfoOptions infoOptions;
    auto* cmdInfo = app.add_subcommand("info", "Show what a project holds");
    cmdInfo->add_option("PROJECT", infoOptions.project, "Project file")->required();
    cmdInfo->add_flag("--json", infoOptions.json,
                      "As JSON (UTF-8). Names and texts come from the file as bytes: those that "
                      "are not valid UTF-8 are read as Latin-1 (ISO 8859-1), byte for byte");

    CRenderOptions renderOptions;
#ifdef DAXARA_HAVE_RENDER
    auto* cmdRender = app.add_subcommand(
        "render", "Draw a colour map as the window shows it (PNG) and as it prints (PDF)");
    cmdRender->add_option("PROJECT", renderOptions.project, "Project file")->required();
    cmdRender->add_option("--png", renderOptions.png,
                          "PNG file to write (an existing file only with --force)");
    cmdRender->add_option("--svg", renderOptions.svg,
                          "SVG file to write: the PNG's picture as vectors and text (an existing "
                          "file only with --force)");
    cmdRender->add_option("--pdf", renderOptions.pdf,
                          "PDF file to write, the printed pages (an existing file only with "
                          "--force)");
    cmdRender->add_flag("--force", renderOptions.force, "Replace existing picture files");
    cmdRender->add_option("--size", renderOptions.size, "Window client size WxH in pixels")
        ->capture_default_str()
        ->check(CLI::Validator(
            [](std::string& text) {
                int width = 0, height = 0;
                return ParseRenderSize(text, width, height);
            },
            "WxH"));
    cmdRender->add_option("--view", renderOptions.view, "View direction (default: the project's)")
        ->check(CLI::IsMember({"plan", "front", "side", "diagonal"}));
    cmdRender->add_option("--condition", renderOptions.condition,
                          "Which colour map of the project, from 0");

    CReportOptions reportOptions;
    auto* cmdReport = app.add_subcommand(
        "report", "Write the report a client reads: title block, room, room acoustics and STI "
                  "(for a project with room acoustics), equipment, maps and the frequency "
                  "response at the listening points, as a PDF");
    cmdReport->add_option("PROJECT", reportOptions.project, "Project file")->required();
    cmdReport->add_option("--pdf", reportOptions.pdf, "PDF file to write")->required();
    cmdReport->add_option("--planner", reportOptions.planner, "The planner named in the title");
    cmdReport->add_option("--company", reportOptions.company, "The company named in the title");
    cmdReport->add_flag("--force", reportOptions.force, "Replace an existing PDF file");
#endif

    // Editing installations and rigging line arrays.
    std::vector<CCliCommand> commands = AddEditCommands(app);
    commands.push_back(AddArrangeCommand(app));
    for (CCliCommand& command : AddAcousticsCommands(app))
        commands.push_back(std::move(command));
    commands.push_back(AddPointsCommand(app));

    CDemoOptions demoOptions;
    auto* cmdDemo =
        app.add_subcommand("demo", "Write example projects made from the bundled example speakers");
    cmdDemo->add_option("DIR", demoOptions.directory, "Directory for the projects")->required();
    cmdDemo->add_flag("--force", demoOptions.force,
                      "Replace the files an earlier demo wrote in DIR (links are never followed)");

    app.set_version_flag("--version", std::string("daxara-cli ") + DAXARA_VERSION);
    // Indices, counts, --model and --tap: every whole number is decimal, whatever CLI11 reads.
    ReadIntegersAsDecimal(app);
    // The manual page and the shell completion are written from these very options.
    if (argc == 3 &&
        (std::string(argv[1]) == kGenerateManPage || std::string(argv[1]) == kGenerateCompletion))
        return WriteDocumentation(app, argv[1], argv[2]);
    if (const std::string refusal = UnknownCommand(app, argc, argv); !refusal.empty()) {
        std::cerr << "daxara-cli: " << refusal << "\n";
        return 1;
    }

    // Saves leave no temporary file behind when the command is interrupted or killed.
    FileSafety::InstallSignalCleanup();
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int status = app.exit(e);
        if (const std::string hint = UnknownOptionHint(app, argc, argv); !hint.empty())
            std::cerr << hint << "\n";
        // --help and --version end here too: a text that did not arrive is no success.
        try {
            FlushOutput();
        } catch (const CCliError& failed) {
            std::cerr << "daxara-cli: " << failed.what() << "\n";
            status = status == 0 ? 1 : status;
        }
        return status;
    }
    int status = 0;
    try {
        if (*cmdNew)
            status = RunNew(newOptions);
        if (*cmdImport) {
            ApplySofaInput(sofaInput, importOptions.sofa);
            status = RunImport(importOptions);
        }
        if (*cmdExportSofa)
            status = RunExportSofa(exportSofaOptions);
        if (*cmdInstall)
            status = RunInstall(installOptions);
        if (*cmdAuto)
            status = RunAutoInstall(autoOptions);
        if (*cmdPlane)
            status = RunPlane(planeOptions);
        if (*cmdMap)
            status = RunMap(mapOptions);
        if (*cmdSpectrum)
            status = RunSpectrum(spectrumOptions);
        if (*cmdBands)
            status = RunBands(bandsOptions);
        if (*cmdInfo)
            status = RunInfo(infoOptions);
#ifdef DAXARA_HAVE_RENDER
        if (*cmdRender)
            status = RunRender(renderOptions);
        if (*cmdReport)
            status = RunReport(reportOptions);
#endif
        if (*cmdDemo)
            status = RunDemo(demoOptions);
        for (const CCliCommand& command : commands)
            if (*command.app)
                status = command.run();
        FlushOutput();
        return status;
    } catch (const CCliError& e) {
        std::cerr << "daxara-cli: " << e.what() << "\n";
        return 1;
    } catch (const CInvalidArgument& e) {
        std::cerr << "daxara-cli: invalid data: " << e.what() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "daxara-cli: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
