// daxara-cli: projects, maps and spectra from the command line.
#include "CliCommands.h"
#include "CliSession.h"

#include "common/Errors.h"

#include <CLI/CLI.hpp>

#include <iostream>

namespace {
void Triple(CLI::App* app, const std::string& name, std::vector<double>& values,
            const std::string& help, bool required = false) {
    auto* option = app->add_option(name, values, help)->delimiter(',')->expected(3);
    if (required)
        option->required();
}
} // namespace

int main(int argc, char** argv) {
    CLI::App app{
        "Daxara on the command line: projects, speaker data, installations, SPL maps and spectra.",
        "daxara-cli"};
    app.require_subcommand(1);

    CNewOptions newOptions;
    auto* cmdNew = app.add_subcommand("new", "Create a project with the defaults of a new project");
    cmdNew->add_option("PROJECT", newOptions.project, "Project file to create (.tdax)")->required();
    cmdNew->add_option("--unit", newOptions.unit, "Length unit")
        ->check(CLI::IsMember({"metric", "imperial"}));
    Triple(cmdNew, "--room", newOptions.room, "Room length, width, height: L,W,H");
    cmdNew->add_option("--ceiling", newOptions.ceiling, "Solid (half) or absorbent (full) ceiling")
        ->check(CLI::IsMember({"half", "full"}));
    cmdNew->add_flag("--force", newOptions.force, "Replace an existing file");

    CImportOptions importOptions;
    auto* cmdImport =
        app.add_subcommand("import", "Import speaker data files; the last becomes current");
    cmdImport->add_option("PROJECT", importOptions.project, "Project file")->required();
    cmdImport->add_option("FILES", importOptions.files, "Speaker data files (.vsa)")->required();

    CInstallOptions installOptions;
    auto* cmdInstall =
        app.add_subcommand("install", "Install a speaker, as the installation dialog does");
    cmdInstall->add_option("PROJECT", installOptions.project, "Project file")->required();
    cmdInstall->add_option("--model", installOptions.model,
                           "Speaker model index (default: the current model)");
    Triple(cmdInstall, "--at", installOptions.at, "Position X,Y,Z", true);
    Triple(cmdInstall, "--aim", installOptions.aim,
           "Azimuth, elevation, rotation in degrees: AZ,EL,ROT");
    cmdInstall->add_option("--power", installOptions.power, "Power in W (default: the tap's)");
    cmdInstall->add_option("--tap", installOptions.tap,
                           "Tap row, which becomes the model's default tap");
    cmdInstall->add_flag("--reverse", installOptions.reverse, "Reverse polarity");
    cmdInstall->add_flag("--force", installOptions.force,
                         "Install even where an identical speaker is");

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
    cmdAuto->add_option("--freq", autoOptions.frequency, "Judgment centre frequency in Hz");
    Triple(cmdAuto, "--aim", autoOptions.aim, "Azimuth, elevation, rotation: AZ,EL,ROT");
    cmdAuto->add_option("--height", autoOptions.height, "Installation height");

    CPlaneOptions planeOptions;
    auto* cmdPlane =
        app.add_subcommand("plane", "Rebuild every calculation plane, as Room Parameters does");
    cmdPlane->add_option("PROJECT", planeOptions.project, "Project file")->required();
    Triple(cmdPlane, "--origin", planeOptions.origin, "Corner with the smallest coordinates: X,Y,Z",
           true);
    Triple(cmdPlane, "--extent", planeOptions.extent, "Size along X,Y,Z; exactly one is 0", true);
    cmdPlane->add_option("--pitch", planeOptions.pitch, "Pitch of colour dot")->required();
    cmdPlane->add_option("--max", planeOptions.maximum, "Colour map maximum in dB");
    cmdPlane->add_option("--step", planeOptions.step, "Colour map pitch in dB");

    CMapCommandOptions mapOptions;
    auto* cmdMap =
        app.add_subcommand("map", "Calculate the SPL map of the first calculation plane");
    cmdMap->add_option("PROJECT", mapOptions.project, "Project file")->required();
    cmdMap->add_option("--band", mapOptions.band, "Band: 1/24, 1/12, 1/6, 1/3, 1, 2 or 4 octaves");
    cmdMap->add_option("--freq", mapOptions.frequency,
                       "Band centre in Hz (snapped to the band's grid)");
    cmdMap->add_option("--mode", mapOptions.mode, "Summation")
        ->check(CLI::IsMember({"interference", "energy"}));
    cmdMap->add_option("--csv", mapOptions.csv,
                       "Write x,y,z,level per grid point to this file (- for stdout)");
    cmdMap->add_flag("--save", mapOptions.save, "Store the levels and statistics in the project");
    cmdMap
        ->add_option("--engine", mapOptions.engine,
                     "engine (default) or the literal reference path")
        ->check(CLI::IsMember({"engine", "reference"}));
    cmdMap
        ->add_option("--threads", mapOptions.threads,
                     "Worker threads of the engine (0: every core)")
        ->check(CLI::Range(0, 256));

    CSpectrumOptions spectrumOptions;
    auto* cmdSpectrum = app.add_subcommand(
        "spectrum", "Band spectrum at a point: one frequency,level line per band");
    cmdSpectrum->add_option("PROJECT", spectrumOptions.project, "Project file")->required();
    Triple(cmdSpectrum, "--at", spectrumOptions.at, "Point X,Y,Z", true);
    cmdSpectrum->add_option("--band", spectrumOptions.band,
                            "Band: 1/24, 1/12, 1/6, 1/3, 1, 2 or 4 octaves");
    cmdSpectrum->add_option("--mode", spectrumOptions.mode, "Summation")
        ->check(CLI::IsMember({"interference", "energy"}));

    CInfoOptions infoOptions;
    auto* cmdInfo = app.add_subcommand("info", "Show what a project holds");
    cmdInfo->add_option("PROJECT", infoOptions.project, "Project file")->required();
    cmdInfo->add_flag("--json", infoOptions.json, "As JSON");

    CRenderOptions renderOptions;
#ifdef DAXARA_HAVE_RENDER
    auto* cmdRender = app.add_subcommand(
        "render", "Draw a colour map as the window shows it (PNG) and as it prints (PDF)");
    cmdRender->add_option("PROJECT", renderOptions.project, "Project file")->required();
    cmdRender->add_option("--png", renderOptions.png, "PNG file to write");
    cmdRender->add_option("--pdf", renderOptions.pdf, "PDF file to write (the printed pages)");
    cmdRender->add_option("--size", renderOptions.size, "Window client size WxH in pixels")
        ->capture_default_str();
    cmdRender->add_option("--view", renderOptions.view, "View direction (default: the project's)")
        ->check(CLI::IsMember({"plan", "front", "side", "diagonal"}));
    cmdRender->add_option("--condition", renderOptions.condition,
                          "Which colour map of the project, from 0");
#endif

    CDemoOptions demoOptions;
    auto* cmdDemo =
        app.add_subcommand("demo", "Write example projects made from the bundled example speakers");
    cmdDemo->add_option("DIR", demoOptions.directory, "Directory for the projects")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }
    try {
        if (*cmdNew)
            return RunNew(newOptions);
        if (*cmdImport)
            return RunImport(importOptions);
        if (*cmdInstall)
            return RunInstall(installOptions);
        if (*cmdAuto)
            return RunAutoInstall(autoOptions);
        if (*cmdPlane)
            return RunPlane(planeOptions);
        if (*cmdMap)
            return RunMap(mapOptions);
        if (*cmdSpectrum)
            return RunSpectrum(spectrumOptions);
        if (*cmdInfo)
            return RunInfo(infoOptions);
#ifdef DAXARA_HAVE_RENDER
        if (*cmdRender)
            return RunRender(renderOptions);
#endif
        if (*cmdDemo)
            return RunDemo(demoOptions);
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
