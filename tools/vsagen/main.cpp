// daxara-vsagen: writes synthetic speaker data (VSA text) from the analytic model.

#include "VsaGenerator.h"
#include "VsaPresets.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::vector<std::string> SplitCommas(std::string_view text) {
    std::vector<std::string> items;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        items.emplace_back(text.substr(start, comma - start));
        if (comma == std::string_view::npos)
            return items;
        start = comma + 1;
    }
}

// The whole token must be a number; "12abc" is a typo, not 12.
template <typename T> T ParseNumber(const std::string& token, const std::string& what) {
    T value{};
    const char* end = token.data() + token.size();
    const auto result = std::from_chars(token.data(), end, value);
    if (token.empty() || result.ec != std::errc() || result.ptr != end)
        throw std::invalid_argument(what + ": '" + token + "' is not a number");
    return value;
}

CVsaTap ParseTap(const std::string& text) {
    const std::vector<std::string> items = SplitCommas(text);
    const std::string what = "--tap " + text;
    if (items.size() < 3 || items.size() > 4 || (items[0] != "h" && items[0] != "l"))
        throw std::invalid_argument(what + ": expected h,<volts>,<watts>[,<factor>] or "
                                           "l,<ohms>,<watts>[,<factor>]");
    CVsaTap tap{items[0] == "l", ParseNumber<double>(items[1], what),
                ParseNumber<double>(items[2], what), std::nullopt};
    if (items.size() == 4)
        tap.ampFactor = ParseNumber<double>(items[3], what);
    return tap;
}

CVsaModule ParseModule(const std::string& text) {
    const std::vector<std::string> items = SplitCommas(text);
    const std::string what = "--module " + text;
    if (items.size() != 5)
        throw std::invalid_argument(what + ": expected name,pitch,offset,splay,weight");
    return {items[0], ParseNumber<double>(items[1], what), ParseNumber<double>(items[2], what),
            ParseNumber<double>(items[3], what), ParseNumber<double>(items[4], what)};
}

std::array<int, 3> ParseCounts(const std::string& text) {
    const std::vector<std::string> items = SplitCommas(text);
    const std::string what = "--counts " + text;
    if (items.size() != 3)
        throw std::invalid_argument(what + ": expected c0,c1,c2");
    return {ParseNumber<int>(items[0], what), ParseNumber<int>(items[1], what),
            ParseNumber<int>(items[2], what)};
}

void WriteFile(const CVsaGenOptions& options, const std::filesystem::path& path) {
    ValidateVsaOptions(options); // before the file is created, so a bad request leaves none
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file)
        throw std::runtime_error("cannot open " + path.string() + " for writing");
    WriteVsa(options, file);
    file.close();
    if (!file)
        throw std::runtime_error("cannot write " + path.string());
}

void WriteExamples(const std::filesystem::path& dir) {
    std::filesystem::create_directories(dir);
    for (const CVsaExample& example : ExampleSet())
        WriteFile(example.options, dir / example.fileName);
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Writes synthetic speaker data (VSA text) from an analytic loudspeaker model.\n"
                 "A preset gives the starting values (default: wall); the other options "
                 "override them."};

    std::string preset = "wall";
    int kind = 0;
    std::string name;
    int ppo = 3;
    double fmin = 0.0;
    double fmax = 0.0;
    int phiBlocks = 0;
    int thetaCount = 0;
    int decimals = 2;
    std::vector<std::string> taps;
    std::vector<std::string> modules;
    std::string counts;
    CVsaDriver driver;
    std::string output;
    std::string examplesDir;

    auto* presetOpt = app.add_option("--preset", preset, "Starting values (default wall)")
                          ->check(CLI::IsMember(PresetNames()));
    auto* kindOpt = app.add_option("--kind", kind, "Model type 0..7");
    auto* nameOpt = app.add_option("--name", name, "Model name");
    auto* ppoOpt = app.add_option("--ppo", ppo, "Points per octave: 24, 12, 6, 3 or 1");
    auto* fminOpt = app.add_option("--fmin", fmin, "Lowest frequency, Hz");
    auto* fmaxOpt = app.add_option("--fmax", fmax, "Highest frequency, Hz");
    auto* phiOpt = app.add_option("--phi-blocks", phiBlocks, "Phi blocks P (step 360/P)");
    auto* thetaOpt = app.add_option("--theta-count", thetaCount, "Theta values over 0..180");
    auto* decimalsOpt = app.add_option("--decimals", decimals, "Digits after the point, 0..6");
    auto* tapOpt = app.add_option("--tap", taps,
                                  "Tap row h,<V>,<W>[,<f>] or l,<ohm>,<W>[,<f>]; "
                                  "repeatable, replaces the preset's taps");
    auto* countsOpt = app.add_option("--counts", counts, "Module counts c0,c1,c2");
    auto* moduleOpt = app.add_option("--module", modules,
                                     "Module entry name,pitch,offset,splay,weight; repeatable, "
                                     "replaces the preset's entries");
    std::vector<CLI::Option*> driverOpts{
        app.add_option("--sensitivity", driver.sensitivity, "dB SPL at 1 m, 1 W (all balloons)"),
        app.add_option("--radius", driver.radius, "Piston radius, m; 0 = omnidirectional"),
        app.add_option("--offset", driver.offset, "Acoustic centre ahead of the axis origin, m"),
        app.add_option("--asymmetry", driver.asymmetry, "e in a(1 + e cos 2phi), |e| < 1"),
        app.add_option("--low-corner", driver.lowCorner, "High-pass corner, Hz; 0 = off"),
        app.add_option("--high-corner", driver.highCorner, "Low-pass corner, Hz; 0 = off"),
        app.add_option("--rear", driver.rearAttenuation, "Rear attenuation at high f, dB"),
        app.add_option("--coverage", driver.coverage,
                       "Horizontal -6 dB angle held at high f, degrees; 0 = the piston's own"),
        app.add_option("--rear-corner", driver.rearCorner,
                       "Frequency of half the rear attenuation, Hz; 0 = from the piston's ka"),
    };
    auto* outputOpt = app.add_option("-o,--output", output, "Output file (default stdout)");
    auto* examplesOpt = app.add_option("--examples", examplesDir,
                                       "Write the example set into this directory and nothing "
                                       "else");

    std::vector<CLI::Option*> generationOpts{presetOpt, kindOpt,     nameOpt,  ppoOpt, fminOpt,
                                             fmaxOpt,   phiOpt,      thetaOpt, tapOpt, countsOpt,
                                             moduleOpt, decimalsOpt, outputOpt};
    generationOpts.insert(generationOpts.end(), driverOpts.begin(), driverOpts.end());
    for (CLI::Option* opt : generationOpts)
        examplesOpt->excludes(opt);

    app.footer(
        "The presets stand for kinds of loudspeaker, not for products. Their figures lie in the "
        "range of typical published data for their kind:\n"
        "  ceiling  6.5-inch coaxial ceiling speaker in a closed back can: about 100 degrees "
        "conical coverage (-6 dB) from 2 kHz up, wider below; 25 to 30 dB quieter straight "
        "behind (into the ceiling void) from 500 Hz up, about 12 dB at 125 Hz.\n"
        "  wall     8-inch two-way box with a constant-directivity horn: 90 x 60 degrees "
        "(horizontal x vertical) from 4 kHz up; front-to-back ratio a few dB at 125 Hz, 20 to "
        "25 dB from 1 kHz up.\n"
        "  ql9, kvw5, kvk, kvp10, kvr6, typen  line array elements: about 100 degrees "
        "horizontal (90 for the large KV-P10 cabinet); the vertical beam is formed by the "
        "column; front-to-back ratio about 6 dB at 250 Hz, about 20 dB from 1 kHz up.\n"
        "  omni     an ideal point source, the same in every direction.");

    CLI11_PARSE(app, argc, argv);

    try {
        if (*examplesOpt) {
            WriteExamples(examplesDir);
            return 0;
        }

        CVsaGenOptions options = *PresetOptions(preset);
        if (*kindOpt)
            options.kind = kind;
        if (*nameOpt)
            options.name = name;
        if (*ppoOpt)
            options.pointsPerOctave = ppo;
        if (*fminOpt)
            options.lowestFrequency = fmin;
        if (*fmaxOpt)
            options.highestFrequency = fmax;
        if (*phiOpt)
            options.phiBlocks = phiBlocks;
        if (*thetaOpt)
            options.thetaCount = thetaCount;
        if (*decimalsOpt)
            options.decimals = decimals;
        if (*tapOpt) {
            options.taps.clear();
            for (const std::string& t : taps)
                options.taps.push_back(ParseTap(t));
        }
        if (*countsOpt)
            options.counts = ParseCounts(counts);
        if (*moduleOpt) {
            options.modules.clear();
            for (const std::string& m : modules)
                options.modules.push_back(ParseModule(m));
        }
        // A standard kind has no module table, whatever the preset carried.
        if (options.kind == 0 || options.kind == 1)
            options.modules.clear();
        for (CVsaDriver& d : options.drivers) {
            if (*driverOpts[0])
                d.sensitivity = driver.sensitivity;
            if (*driverOpts[1])
                d.radius = driver.radius;
            if (*driverOpts[2])
                d.offset = driver.offset;
            if (*driverOpts[3])
                d.asymmetry = driver.asymmetry;
            if (*driverOpts[4])
                d.lowCorner = driver.lowCorner;
            if (*driverOpts[5])
                d.highCorner = driver.highCorner;
            if (*driverOpts[6])
                d.rearAttenuation = driver.rearAttenuation;
            if (*driverOpts[7])
                d.coverage = driver.coverage;
            if (*driverOpts[8])
                d.rearCorner = driver.rearCorner;
        }
        // A changed kind may need another number of balloons: repeat the first driver.
        if (options.kind >= 0 && options.kind <= 7) {
            const CVsaDriver first = options.drivers.front();
            options.drivers.resize(
                static_cast<std::size_t>(ExpectedBalloonCount(options.kind, options.counts)),
                first);
        }

        if (*outputOpt) {
            WriteFile(options, output);
        } else {
            std::cout << GenerateVsa(options);
            std::cout.flush();
            if (!std::cout)
                throw std::runtime_error("cannot write to standard output");
        }
    } catch (const std::invalid_argument& e) {
        std::cerr << "daxara-vsagen: invalid options: " << e.what() << '\n';
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "daxara-vsagen: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
