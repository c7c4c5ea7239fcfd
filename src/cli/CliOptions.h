#pragma once

// What the subcommands share when they read their options: number checks, the dialog fields an
// option fills, the subcommands registered outside main, and suggestions for mistyped names.
#include "common/Vec3.h"
#include "project/forms/NumberField.h"

#include <CLI/CLI.hpp>

#include <functional>
#include <limits>
#include <string>
#include <vector>

struct CNumberField;

// Every number of every option must be finite ("nan", "inf" and 1e999 are refused before any
// work, naming the option); a range, where given, is checked after that.
CLI::Validator Finite(double lo = -std::numeric_limits<double>::max(),
                      double hi = std::numeric_limits<double>::max());

// A whole number of the command line: decimal digits only, read as decimal ("010" is ten),
// within lo..hi; signs, blanks, "0x1", "1e3" and numbers past the range are refused. The text
// is handed on without its leading zeros, since CLI11 itself reads "010" as octal and "0x1" as
// hexadecimal.
CLI::Validator Decimal(long long lo = 0, long long hi = std::numeric_limits<int>::max());
// Gives every integer option of `app` and of its subcommands the Decimal transform, run before
// any other check of the option and before CLI11's own conversion.
void ReadIntegersAsDecimal(CLI::App& app);

// An option of three comma-separated finite numbers.
CLI::Option* Triple(CLI::App* app, const std::string& name, std::vector<double>& values,
                    const std::string& help, bool required = false,
                    double lo = -std::numeric_limits<double>::max(),
                    double hi = std::numeric_limits<double>::max());

// The largest coordinate the installation and room dialogs accept.
inline constexpr double kCoordinateLimit = 10000.0;

// Fills a dialog field from an option. A value outside the field's range is refused here,
// naming the option, the allowed range with its unit and the dialog's own message; `refusal`
// then holds the text and false comes back.
bool FillField(CNumberField& field, double value, const std::string& option, std::string& refusal);

// A subcommand registered by its own source file: the parsed options live in `run`.
struct CCliCommand {
    CLI::App* app = nullptr;
    std::function<int()> run;
};

// The candidate closest to `typed` by edit distance, when it is close enough to be a typing
// slip (at most a third of its letters differ); empty otherwise.
std::string ClosestName(const std::string& typed, const std::vector<std::string>& candidates);

// Azimuth and elevation (degrees, the installation dialog's senses) that point a speaker at
// `from` along its main axis toward `target`; false when the two points coincide.
bool AimAt(const CVec3& from, const CVec3& target, double& azimuth, double& elevation);
