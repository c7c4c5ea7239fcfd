#pragma once

// The subcommands that edit a project's installations and rig its line arrays, each registered
// by its own source file.
#include "CliOptions.h"

#include <string>
#include <vector>

class CDAXDoc;
class CSpeakerModel;
struct CInstallationElement;

// list, remove, move and set.
std::vector<CCliCommand> AddEditCommands(CLI::App& app);
// arrange.
CCliCommand AddArrangeCommand(CLI::App& app);
// points: the named listening points.
CCliCommand AddPointsCommand(CLI::App& app);

// What `info` tells of a line-array model's arrangement.
struct CArrangementSummary {
    bool lineArray = false;
    int elements = 0;
    int centre = 0, upper = 0, lower = 0;
    // Each element's splay to its neighbour toward the reference point, degrees, element order.
    std::vector<double> splays;
    // The cabinet of each element, for the cabinet families (KV-P10, KV-R6, KV-K).
    std::vector<std::string> cabinets;
    // The angle at each junction between elements that hang next to each other, top to bottom,
    // degrees: what the arrangement dialog's junction entries name and its preview draws.
    std::vector<double> junctions;
};
CArrangementSummary SummariseArrangement(const CSpeakerModel& model);
// "KV-P10L x2, KV-P10S": consecutive equal cabinets as one run, which reads better than 32 names.
std::string CabinetRuns(const std::vector<std::string>& cabinets);
