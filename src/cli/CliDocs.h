#pragma once

// What daxara-cli says about itself beyond --help: the manual page and the bash completion,
// both written from the parsed command tree so they cannot drift from the options, and the
// suggestions for a mistyped command or option.
#include <CLI/CLI.hpp>

#include <string>

inline constexpr const char* kGenerateManPage = "--write-man-page";
inline constexpr const char* kGenerateCompletion = "--write-bash-completion";

// Writes the manual page (troff) or the completion script to `path`; the exit status.
int WriteDocumentation(const CLI::App& app, const std::string& what, const std::string& path);

std::string ManPage(const CLI::App& app);
std::string BashCompletion(const CLI::App& app);

// When the first argument is neither an option nor a subcommand: the refusal, with the nearest
// subcommand when it looks like a slip ("unknown command \"lst\"; did you mean \"list\"?").
std::string UnknownCommand(const CLI::App& app, int argc, char** argv);
// After a failed parse: "did you mean" lines for options the chosen subcommand does not have.
std::string UnknownOptionHint(const CLI::App& app, int argc, char** argv);
