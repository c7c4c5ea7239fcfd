#pragma once

#include "speaker/SofaImport.h"

#include <optional>
#include <string>
#include <vector>

// The subcommands of daxara-cli. Each returns the exit status; failures throw CCliError.

struct CNewOptions {
    std::string project;
    std::string unit = "metric";
    std::vector<double> room;
    std::string ceiling;
    bool force = false;
};
int RunNew(const CNewOptions& o);

struct CImportOptions {
    std::string project;
    std::vector<std::string> files;
    bool force = false;
    // How open directivity (SOFA) files among them are read.
    CSofaImportOptions sofa;
};
int RunImport(const CImportOptions& o);

struct CInstallOptions {
    std::string project;
    std::optional<int> model;
    std::vector<double> at;
    std::vector<double> aim;
    std::vector<double> aimAt; // a point the main axis points at, instead of --aim's angles
    std::optional<double> power;
    std::optional<int> tap;
    bool reverse = false;
    std::optional<double> delay; // ms
    bool force = false;
};
int RunInstall(const CInstallOptions& o);

struct CAutoInstallOptions {
    std::string project;
    std::optional<int> model;
    std::optional<int> pattern;
    std::string shape;
    std::string band;
    std::optional<double> frequency;
    std::vector<double> aim;
    std::optional<double> height;
    bool replace = false; // the project's installations may go
    bool force = false;
};
int RunAutoInstall(const CAutoInstallOptions& o);

struct CPlaneOptions {
    std::string project;
    std::vector<double> origin;
    std::vector<double> extent;
    double pitch = 0.0;
    std::optional<double> maximum;
    std::optional<double> step;
    bool force = false;
};
int RunPlane(const CPlaneOptions& o);

struct CMapCommandOptions {
    std::string project;
    std::string band;
    std::optional<double> frequency;
    std::string mode;
    std::optional<std::string> csv; // x,y,z,level per point to this file (- for stdout)
    bool save = false;
    std::string engine = "engine";
    int threads = 0;
    bool force = false;
    double within = 3.0; // dB either side of the average for the share of points
    bool json = false;
    std::string quantity; // empty: what the map shows already
};
// The quantities' command-line names, "direct, reverberant, ...".
std::string QuantityNames();
int RunMap(const CMapCommandOptions& o);

struct CSpectrumOptions {
    std::string project;
    std::vector<double> at;
    std::string band;
    std::optional<double> frequency;
    std::string mode;
    std::optional<std::string> csv; // exact frequency,level lines to this file (- for stdout)
    std::string quantity; // direct (the default), reverberant or total
    bool sti = false;
    bool json = false;
    bool force = false; // replace an existing --csv file
};
int RunSpectrum(const CSpectrumOptions& o);

struct CBandsOptions {
    std::string source; // a project or a speaker data file
    std::optional<int> model;
    std::string band;
    bool json = false;
};
// The bands and centres a model offers, labelled as the colour map's lists label them.
int RunBands(const CBandsOptions& o);

struct CInfoOptions {
    std::string project;
    bool json = false;
};
int RunInfo(const CInfoOptions& o);

struct CRenderOptions {
    std::string project;
    std::optional<std::string> png;
    std::optional<std::string> svg;
    std::optional<std::string> pdf;
    bool force = false; // replace existing picture files
    std::string size = "1200x900";
    std::string view; // plan, front, side, diagonal; empty keeps the project's view
    int condition = 0;
};
// Draws a colour map of the project to PNG and/or PDF, as the window and the printer would.
int RunRender(const CRenderOptions& o);
// Reads --size ("WIDTHxHEIGHT", each 1 to the largest side); empty when it is good, otherwise
// what is wrong with it.
std::string ParseRenderSize(const std::string& text, int& width, int& height);

struct CReportOptions {
    std::string project;
    std::string pdf;
    std::string planner;
    std::string company;
    bool force = false;
};
// Writes the project's report (title block, room, equipment, maps, responses) as a PDF.
int RunReport(const CReportOptions& o);

struct CDemoOptions {
    std::string directory;
    bool force = false; // replace the example files an earlier demo wrote
};
int RunDemo(const CDemoOptions& o);

// "1/24" ... "4" as bands per octave; throws CCliError for anything else.
double ParseBand(const std::string& text);
// "interference" or "energy" as the summation mode.
int ParseMode(const std::string& text);
enum class EBandCoverage;
// "inside", "partly outside" or "outside" (of the speaker data), as JSON output names it.
const char* CoverageName(EBandCoverage coverage);
// Names are bytes of whatever code page wrote the file. JSON needs UTF-8: text that already is
// UTF-8 stays as it is, anything else is read as Latin-1, so every byte keeps a character.
std::string JsonText(const std::string& text);
// Flushes standard output; throws CCliError when what was written did not arrive (a full disk,
// a closed pipe), so a cut output never ends with status 0.
void FlushOutput();

class CAutoInstallationForm;
// Selects the judgment band and the centre nearest to `frequency` in the form; false (with the
// reason) when the band is not offered.
bool ChooseJudgment(CAutoInstallationForm& form, const std::string& band,
                    std::optional<double> frequency, std::string& refusal);
