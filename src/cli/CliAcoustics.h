#pragma once

#include "CliOptions.h"

#include <vector>

// acoustics and materials.
std::vector<CCliCommand> AddAcousticsCommands(CLI::App& app);
