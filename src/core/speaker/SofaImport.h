#pragma once

#include <memory>
#include <optional>
#include <string>

class CSpeakerModel;
class CNetCdfFile;

// The frequencies a speaker model holds from an open directivity file: the audible range with a
// wide margin.
inline constexpr double kSofaLowestFrequency = 1.0;
inline constexpr double kSofaHighestFrequency = 1e5;

// How open directivity data (FreeFieldDirectivityTF) becomes a model.
struct CSofaImportOptions {
    // The input the pressures were measured for: 1 W, or `voltage` volts into the nominal
    // impedance (V^2 / Z watts); the model holds pressures for 1 W.
    enum class EInput { OneWatt, Voltage };
    EInput input = EInput::OneWatt;
    double voltage = 2.83;
    // Ohms: the rating of the model's one low-impedance tap and the load for a voltage input.
    double nominalImpedance = 8.0;
    // Watts: the power of that tap.
    double ratedPower = 100.0;
    // Which measurement (0-based) of a file holding several.
    int measurement = 0;
    // Frequency grid of the model; when unset, the data's own if a model can hold it exactly,
    // else the nearest one the data supports.
    std::optional<int> pointsPerOctave;
    // Theta/phi step in degrees of the grid that irregular receivers are resampled onto; when
    // unset, one near the receivers' spacing.
    std::optional<double> angleStep;
};

struct CSofaImportResult {
    std::unique_ptr<CSpeakerModel> model; // nullptr on failure
    std::string error;                    // why nothing was imported
    std::string report;                   // what was taken exactly, resampled or left out
    bool outOfMemory = false;             // the failure was a failed allocation
};

// The two ways into the importer: a file, or a file image in memory. `fallbackName` names the
// model when the file has no title. Nothing is thrown: a failure comes back in `error`.
CSofaImportResult ImportSofaFile(const std::string& path, const CSofaImportOptions& options,
                                 int lengthUnit);
CSofaImportResult ImportSofaMemory(const void* data, std::size_t size,
                                   const CSofaImportOptions& options, int lengthUnit,
                                   const std::string& fallbackName);

// Options that cannot describe a measurement (a non-positive impedance, a negative index, ...)
// give the reason, naming the option; empty when they are usable.
std::string CheckSofaImportOptions(const CSofaImportOptions& options);
